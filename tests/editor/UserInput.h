#pragma once
// Reaching commands the way a user does: clicks on menu items and tool buttons.

#include <QAction>
#include <QMenu>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>

// Opens menu, clicks action's item and closes the menu again. A disabled item
// does nothing, as for a user; the caller checks the effect.
inline void ClickMenuItem(QMenu* menu, QAction* action) {
    ASSERT_NE(menu, nullptr);
    ASSERT_NE(action, nullptr);
    menu->popup(QPoint(10, 10));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    const QRect item = menu->actionGeometry(action);
    ASSERT_TRUE(item.isValid()) << action->text().toStdString() << " is not in the menu";
    QTest::mouseClick(menu, Qt::LeftButton, {}, item.center());
    menu->hide();
}

// Opens the menu and closes it without choosing anything.
inline void OpenAndCloseMenu(QMenu* menu) {
    menu->popup(QPoint(10, 10));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    menu->hide();
}

inline QToolButton* ToolButtonOf(QToolBar* bar, QAction* action) {
    return qobject_cast<QToolButton*>(bar->widgetForAction(action));
}

inline void ClickToolButton(QToolBar* bar, QAction* action) {
    QToolButton* button = ToolButtonOf(bar, action);
    ASSERT_NE(button, nullptr) << action->toolTip().toStdString();
    QTest::mouseClick(button, Qt::LeftButton);
}
