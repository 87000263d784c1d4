#include "common/testenv.h"
#include "core/zkoption.h"
#include "core/zkreg.h"
#include "core/zksub.h"
#include "sqleditor/zksub_reserve.h"

#include <QCollator>
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

// The RESERVE key through LoadSettings and SaveSettings.
class ReserveWordSettings : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestEnv::resetRegistry();
        InitializeCore();
        RegisterReserveWordSettings();
    }
    void TearDown() override
    {
        RegisterSettingsSection(TSettingsSection::Reserve, {}, {});
        FinalizeCore();
    }
    static QStringList stored()
    {
        TzkRegistry reg;
        if (!reg.OpenKey(ZK_REG_ROOT + QStringLiteral("\\RESERVE"), false))
            return {QStringLiteral("<no key>")};
        QStringList names = reg.GetValueNames();
        names.sort(Qt::CaseInsensitive);
        return names;
    }
    static void store(const QStringList &words)
    {
        TzkRegistry reg;
        ASSERT_TRUE(reg.OpenKey(ZK_REG_ROOT + QStringLiteral("\\RESERVE"), true));
        for (const QString &w : words)
            reg.WriteString(w, QString());
        reg.CloseKey();
    }
};

TEST_F(ReserveWordSettings, AnEmptyKeyGivesTheDefaultsSorted)
{
    ReserveWords = QStringList{QStringLiteral("stale")};
    LoadSettings();
    ASSERT_EQ(ReserveWords.size(), 1333);
    EXPECT_FALSE(ReserveWords.contains(QStringLiteral("stale")));
    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    EXPECT_TRUE(std::is_sorted(ReserveWords.begin(), ReserveWords.end(),
                               [&](const QString &a, const QString &b) { return collator.compare(a, b) < 0; }));

    // Saved, the repeats and case variants are one value each.
    SaveSettings();
    EXPECT_EQ(stored().size(), 1311);
}

TEST_F(ReserveWordSettings, StoredWordsReplaceTheListAndAreWrittenBack)
{
    store({QStringLiteral("zeta"), QStringLiteral("Alpha"), QStringLiteral("beta")});
    LoadSettings();
    EXPECT_EQ(ReserveWords, (QStringList{"Alpha", "beta", "zeta"}));

    ReserveWords = QStringList{QStringLiteral("new"), QStringLiteral("NEW"), QString()};
    SaveSettings();
    EXPECT_EQ(stored(), QStringList{"new"});

    // A list emptied by the user comes back as the defaults at the next start.
    ReserveWords.clear();
    SaveSettings();
    EXPECT_EQ(stored(), QStringList{});
    LoadSettings();
    EXPECT_EQ(ReserveWords.size(), 1333);
}

} // namespace
