#include "core/zkactions.h"
#include "platform/rtl/exceptions.h"

#include <QAction>
#include <QWidget>

#include <gtest/gtest.h>

TEST(ActionList, UpdatePassSetsStatesAndSurvivesAFailingHandler)
{
    QWidget owner;
    TzkActionList list(&owner, QStringLiteral("actTest"));
    QAction *none = list.Add(QStringLiteral("actNone"), QStringLiteral("none"));
    QAction *failing = list.Add(QStringLiteral("actFailing"), QStringLiteral("failing"));
    QAction *later = list.Add(QStringLiteral("actLater"), QStringLiteral("later"));
    int runs = 0;
    list.SetOnExecute(failing, [] {});
    list.SetOnUpdate(failing, [] { throw Exception(QStringLiteral("broken")); });
    list.SetOnExecute(later, [&runs] { ++runs; });
    list.SetOnUpdate(later, [later] { later->setEnabled(false); });

    EXPECT_NO_THROW(list.UpdateActions());
    EXPECT_FALSE(none->isEnabled()) << "no handler";
    EXPECT_TRUE(failing->isEnabled());
    EXPECT_FALSE(later->isEnabled()) << "the handler after a failing one still ran";
    EXPECT_EQ(list.Find(QStringLiteral("actLater")), later);

    later->setEnabled(true);
    later->trigger();
    EXPECT_EQ(runs, 1);

    list.SetDisableIfNoHandler(false);
    none->setEnabled(true);
    list.UpdateActions();
    EXPECT_TRUE(none->isEnabled());
}
