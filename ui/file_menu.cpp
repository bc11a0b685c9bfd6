#include "ui/file_menu.h"

#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QVBoxLayout>
#include <QWidget>

namespace stepdrive {

QMenu* addFileMenu(QWidget* window) {
    const QList<QWidget*> form = window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    auto* bar = new QMenuBar(window);
    bar->setObjectName(QStringLiteral("menuBar"));
    QMenu* menu = bar->addMenu(QCoreApplication::translate("FileMenu", "파일"));
    menu->setObjectName(QStringLiteral("fileMenu"));
    // The bar's height as it will be shown, in the window's font and style.
    bar->ensurePolished();
    const int height = bar->sizeHint().height();
    bar->setFixedHeight(height);
    bar->setGeometry(0, 0, window->width(), height);

    // The layout holds the bar only, across the window's width; the form's
    // controls keep their own places, one bar lower.
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setMenuBar(bar);
    for (QWidget* w : form)
        w->move(w->x(), w->y() + height);
    const QSize grown = window->size() + QSize(0, height);
    if (window->minimumSize() == window->maximumSize())
        window->setFixedSize(grown);
    else
        window->resize(grown);
    return menu;
}

} // namespace stepdrive
