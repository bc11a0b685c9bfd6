#include "ui/form_look.h"

#include "ui/colours.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>
#include <QStyleFactory>
#include <QWidget>

namespace stepdrive {

namespace {
void applyOne(QWidget* w) {
    const QVariant pt = w->property("fontPt");
    const QVariant stretch = w->property("fontStretch");
    if (pt.isValid() || stretch.isValid()) {
        QFont f = w->font();
        if (pt.isValid())
            f.setPointSizeF(pt.toDouble());
        if (stretch.isValid())
            f.setStretch(stretch.toInt());
        w->setFont(f);
    }
    const QVariant colour = w->property("backColour");
    if (colour.isValid())
        setBackColour(w, colour.value<QColor>());
}
} // namespace

void applyFormLook(QWidget* root) {
    applyOne(root);
    for (QWidget* w : root->findChildren<QWidget*>())
        applyOne(w);
}

namespace {
void installHangulFont() {
    const QStringList families = QFontDatabase::families();
    QStringList hangul;
    for (const char* name : {"NanumGothic", "Noto Sans CJK KR", "Noto Sans KR", "UnDotum",
                             "Baekmuk Gulim", "NanumBarunGothic"})
        if (families.contains(QString::fromUtf8(name)))
            hangul << QString::fromUtf8(name);
    if (!hangul.isEmpty())
        QFont::insertSubstitutions(QStringLiteral("굴림"), hangul);
}
} // namespace

void applyApplicationLook() {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Windows")));
    installHangulFont();
}

void centreOnScreen(QWidget* window) {
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const QSize size = window->frameGeometry().size();
    window->move(area.x() + (area.width() - size.width()) / 2,
                 area.y() + (area.height() - size.height()) / 2);
}

void setUpWindow(QWidget* window, Border border) {
    applyFormLook(window);
    if (border == Border::Fixed) {
        window->setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint |
                               Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                               Qt::WindowCloseButtonHint);
        window->setFixedSize(window->size());
    }
    centreOnScreen(window);
}

} // namespace stepdrive
