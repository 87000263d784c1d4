#include "sqleditor/zksub_reserve.h"

#include <QSet>

#include <gtest/gtest.h>

namespace {

TEST(LoadReserveWords, AppendsTheDefaultListWithItsRepeats)
{
    QStringList list{QStringLiteral("mine")};
    LoadReserveWords(list);
    ASSERT_EQ(list.size(), 1 + 1333);
    EXPECT_EQ(list.first(), QStringLiteral("mine"));
    EXPECT_EQ(list[1], QStringLiteral("ABSOLUTE"));
    EXPECT_EQ(list.last(), QStringLiteral("sp_helparticlecolumns"));
    list.removeFirst();

    EXPECT_EQ(QSet<QString>(list.begin(), list.end()).size(), 1312);
    QSet<QString> folded;
    int mixedCase = 0;
    for (const QString &w : std::as_const(list)) {
        folded.insert(w.toUpper());
        EXPECT_GE(w.size(), 2);
        EXPECT_LE(w.size(), 54);
        EXPECT_FALSE(w.contains(QLatin1Char(' ')));
        if (w != w.toUpper() && w != w.toLower())
            ++mixedCase;
    }
    EXPECT_EQ(folded.size(), 1311);
    EXPECT_EQ(mixedCase, 32); // 20 function names and 12 procedure names
    EXPECT_EQ(list.count(QStringLiteral("@@LANGUAGE")), 2);
    for (const char *w : {"SQLCA", "BREADTH", "PREORDER", "END-EXEC", "UPDATE()", "$PARTITION", "grouping",
                          "sys.sp_cdc_scan", "core.sp_purge_data", "sp_MShasdbaccess", "ABS", "DEGREES"})
        EXPECT_TRUE(list.contains(QString::fromLatin1(w))) << w;
}

TEST(IsDefaultReserveWord, IgnoresLetterCase)
{
    for (const char *w : {"select", "Select", "SELECT", "GROUPING", "grouping", "encryptbykey", "SP_OACREATE",
                          "@@version", "sys.SP_CDC_SCAN", "UPDATE()"})
        EXPECT_TRUE(IsDefaultReserveWord(QString::fromLatin1(w))) << w;
    for (const char *w : {"", "selec", "selects", "dbo.T", "@@", "sp_"})
        EXPECT_FALSE(IsDefaultReserveWord(QString::fromLatin1(w))) << w;
}

} // namespace
