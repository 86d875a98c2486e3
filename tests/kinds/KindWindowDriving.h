#pragma once

// Small steps a person takes in the kind manager, shared by its tests.

#include "kinds/mang_kind.h"
#include "support/TestSupport.h"

#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include <memory>

namespace kinds_testing {

inline std::unique_ptr<mang_kind> openManager()
{
    auto window = std::make_unique<mang_kind>();
    testing::showActive(window.get());
    return window;
}

inline QPoint itemCentre(QListWidget *list, int row)
{
    list->scrollToItem(list->item(row));
    QCoreApplication::processEvents();
    return list->visualItemRect(list->item(row)).center();
}

inline void clickItem(QListWidget *list, int row)
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, itemCentre(list, row));
}

// Press, release, then the second press that makes it a double-click.
inline void doubleClickItem(QListWidget *list, int row)
{
    const QPoint at = itemCentre(list, row);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

} // namespace kinds_testing
