#include "ui/form_look.h"

#include "ui/colours.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QGuiApplication>
#include <QIconEngine>
#include <QLayout>
#include <QMenuBar>
#include <QPainter>
#include <QProxyStyle>
#include <QScreen>
#include <QStyleFactory>
#include <QStyleOptionButton>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <functional>
#include <vector>

namespace stepdrive {

namespace {
void applyOne(QWidget* w) {
    if (w->property("windowFont").toBool()) {
        // Every attribute set explicitly, so nothing is taken from the container.
        QFont f = QApplication::font(w->window());
        f.setFamily(f.family());
        f.setPointSizeF(f.pointSizeF());
        f.setWeight(f.weight());
        f.setItalic(f.italic());
        w->setFont(f);
    }
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
    if (w->property("firstFocus").toBool())
        w->setFocus();
}

// An icon made only when it is first painted.
class OnFirstPaint : public QIconEngine {
public:
    explicit OnFirstPaint(std::function<QIcon()> make) : make_(std::move(make)) {}
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().pixmap(size, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().actualSize(size, mode, state);
    }
    QIconEngine* clone() const override { return new OnFirstPaint(make_); }

private:
    const QIcon& icon() {
        if (!made_) {
            icon_ = make_();
            made_ = true;
        }
        return icon_;
    }
    std::function<QIcon()> make_;
    QIcon icon_;
    bool made_ = false;
};

// Qt's "Windows" style, with captions too wide for their button wrapped onto
// more lines, as the forms' buttons were designed to show them.
class FormStyle : public QProxyStyle {
public:
    FormStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Windows"))) {}

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        if (element == CE_PushButtonLabel) {
            const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
            const int room = option->rect.width() - 2 * kCaptionMargin;
            if (button && button->icon.isNull() &&
                button->fontMetrics.horizontalAdvance(button->text) > room) {
                proxy()->drawItemText(
                    painter, option->rect.adjusted(kCaptionMargin, 0, -kCaptionMargin, 0),
                    Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic, button->palette,
                    button->state & State_Enabled, button->text, QPalette::ButtonText);
                return;
            }
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }

    // A combo box's list as wide as its widest entry ("low_speed6000"), so
    // that none shows cut: set when the list is made, as it first opens.
    using QProxyStyle::polish;
    void polish(QWidget* widget) override {
        QProxyStyle::polish(widget);
        auto* list = qobject_cast<QAbstractItemView*>(widget);
        const QWidget* popup = list ? list->parentWidget() : nullptr;
        if (popup && qobject_cast<const QComboBox*>(popup->parentWidget()))
            list->setMinimumWidth(list->sizeHintForColumn(0) + 2 * list->frameWidth() +
                                  pixelMetric(PM_ScrollBarExtent, nullptr, list));
    }

    // The menu bars' extension button is shown only when their menus do not
    // fit, which they always do; its icon is read on first paint, since
    // reading it at start-up loads every image format plugin.
    QIcon standardIcon(StandardPixmap which, const QStyleOption* option,
                       const QWidget* widget) const override {
        if (which == SP_ToolBarHorizontalExtensionButton ||
            which == SP_ToolBarVerticalExtensionButton)
            return QIcon(new OnFirstPaint(
                [this, which] { return QProxyStyle::standardIcon(which, nullptr, nullptr); }));
        return QProxyStyle::standardIcon(which, option, widget);
    }

private:
    static constexpr int kCaptionMargin = 2;
};

const QScreen* screenOf(const QWidget* window) {
    return window->screen() ? window->screen() : QGuiApplication::primaryScreen();
}

// Whether a control is one the form places: named in the form, and not laid
// out by its container (the menu bar, the parts of a combo box or a list).
bool placedByForm(const QWidget* w) {
    const QLayout* layout = w->parentWidget() ? w->parentWidget()->layout() : nullptr;
    return !w->isWindow() && !w->objectName().isEmpty() &&
           !w->objectName().startsWith(QLatin1String("qt_")) &&
           !(layout && layout->indexOf(w) >= 0) && !qobject_cast<const QMenuBar*>(w);
}

// Draws a window's form at `scale` of its present size: every font, and
// every control of the form at its place. A menu bar over the form takes the
// height of its smaller font.
void scaleForm(QWidget* window, double scale) {
    const auto times = [scale](int v) { return qRound(v * scale); };
    auto* bar = window->findChild<QMenuBar*>(QString(), Qt::FindDirectChildrenOnly);
    const int barBefore = bar ? bar->height() : 0;
    QList<QWidget*> all = window->findChildren<QWidget*>();
    all.prepend(window);
    // Each font from what it is now, then all of them set: none is scaled
    // twice through its container's.
    std::vector<QFont> fonts;
    for (QWidget* w : all) {
        QFont f = w->font();
        f.setPointSizeF(f.pointSizeF() * scale);
        fonts.push_back(f);
        const QVariant whole = w->property("wholeTextPt"); // see showWhole
        if (whole.isValid())
            w->setProperty("wholeTextPt", whole.toDouble() * scale);
    }
    for (qsizetype i = 0; i < all.size(); ++i)
        all[i]->setFont(fonts[static_cast<std::size_t>(i)]);
    const int barAfter = bar ? bar->sizeHint().height() : 0;
    if (bar)
        bar->setFixedHeight(barAfter);
    for (QWidget* w : all) {
        if (w == window || !placedByForm(w))
            continue;
        const bool underBar = w->parentWidget() == window;
        const QRect r = w->geometry();
        const QRect to(times(r.x()),
                       (underBar ? barAfter : 0) + times(r.y() - (underBar ? barBefore : 0)),
                       times(r.width()), times(r.height()));
        if (w->minimumSize() == w->maximumSize())
            w->setFixedSize(to.size());
        w->setGeometry(to);
    }
    // A check box's mark keeps its size: its caption is drawn smaller where
    // it no longer fits beside it.
    for (QCheckBox* box : window->findChildren<QCheckBox*>()) {
        QFont f = box->font();
        while (box->sizeHint().width() > box->width() && f.pointSizeF() > 1) {
            f.setPointSizeF(f.pointSizeF() - 0.25);
            box->setFont(f);
        }
    }
    const QSize size(times(window->width()), barAfter + times(window->height() - barBefore));
    if (window->minimumSize() == window->maximumSize())
        window->setFixedSize(size);
    else
        window->resize(size);
}

// A window larger than the available area of its screen, frame included,
// is drawn at the largest scale that fits it.
void fitOnScreen(QWidget* window) {
    const QRect area = screenOf(window)->availableGeometry();
    // A smaller font does not always shrink by the scale: a few tries.
    for (int tries = 0; tries < 3; ++tries) {
        const QSize size = window->frameGeometry().size();
        const double scale = std::min(
            {1.0, double(area.width()) / size.width(), double(area.height()) / size.height()});
        if (scale >= 1)
            return;
        scaleForm(window, scale);
    }
}

// Fits the window on its screen when it is first shown, as it is, and once
// more when it has the frame it is centred with.
class FitWhenShown : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            auto* window = static_cast<QWidget*>(watched);
            fitOnScreen(window);
            QTimer::singleShot(0, window, [window] {
                fitOnScreen(window);
                centreOnScreen(window);
            });
            window->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }
};

void installHangulFont() {
    // Tried in this order; one that is not installed is passed over when a
    // font is matched, so the font list need not be read at start-up. A
    // Windows without 굴림 has Malgun Gothic.
    // The forms' font "굴림", spelt in code points: a name, not a text.
    QFont::insertSubstitutions(QStringLiteral("\uAD74\uB9BC"),
                               {QStringLiteral("NanumGothic"), QStringLiteral("Malgun Gothic"),
                                QStringLiteral("Noto Sans CJK KR"), QStringLiteral("Noto Sans KR"),
                                QStringLiteral("UnDotum"), QStringLiteral("Baekmuk Gulim"),
                                QStringLiteral("NanumBarunGothic")});
}
} // namespace

void applyFormLook(QWidget* root) {
    applyOne(root);
    for (QWidget* w : root->findChildren<QWidget*>())
        applyOne(w);
}

void applyApplicationLook() {
    QApplication::setStyle(new FormStyle);
    installHangulFont();
}

void centreOnScreen(QWidget* window) {
    const QScreen* screen = screenOf(window);
    if (!screen)
        return;
    // Never off the area: a window wider or taller than it starts at its edge.
    const QRect area = screen->availableGeometry();
    const QSize size = window->frameGeometry().size();
    window->move(area.x() + std::max(0, (area.width() - size.width()) / 2),
                 area.y() + std::max(0, (area.height() - size.height()) / 2));
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
    window->installEventFilter(new FitWhenShown(window));
}

} // namespace stepdrive
