#include "platform/nls/widthconv.h"

#include <gtest/gtest.h>

namespace {

struct WidthCase
{
    const char *name;
    QString half;
    QString full;
};

// Pairs that convert both ways.
TEST(WidthConversion, ConvertsBothWays)
{
    const WidthCase cases[] = {
        {"ascii", QStringLiteral("Ab1 !~\\"), QStringLiteral("Ａｂ１　！～＼")},
        {"katakana", QStringLiteral("ｱｲｳｴｵｦﾝｯｬｰ"), QStringLiteral("アイウエオヲンッャー")},
        {"voiced", QStringLiteral("ｶﾞｷﾞｸﾞﾀﾞﾄﾞﾊﾞﾎﾞｳﾞ"), QStringLiteral("ガギグダドバボヴ")},
        {"semi-voiced", QStringLiteral("ﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ"), QStringLiteral("パピプペポ")},
        {"punctuation", QStringLiteral("｡｢｣､･"), QStringLiteral("。「」、・")},
        {"signs", QStringLiteral("¥¢£¬"), QStringLiteral("￥￠￡￢")},
        {"mixed", QStringLiteral("ﾃﾞｰﾀ 1件"), QStringLiteral("データ　１件")},
    };
    for (const WidthCase &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(MapToFullWidth(c.half), c.full);
        EXPECT_EQ(MapToHalfWidth(c.full), c.half);
    }
}

TEST(WidthConversion, LeavesWhatHasNoCounterpart)
{
    // Kanji, hiragana and katakana without a half-width form stay.
    EXPECT_EQ(MapToHalfWidth(QStringLiteral("漢字ひらがなヵヶ")), QStringLiteral("漢字ひらがなヵヶ"));
    // A voiced mark that follows no voiceable kana stays a mark of its own.
    EXPECT_EQ(MapToFullWidth(QStringLiteral("ｱﾞﾏﾟﾞ")), QStringLiteral("ア゛マ゜゛"));
    EXPECT_EQ(MapToFullWidth(QString()), QString());
}

TEST(WidthConversion, OneVoicedKanaBecomesTwoHalfWidthCharacters)
{
    const QString full(20000, QChar(0x30AC)); // ガ
    const QString half = MapToHalfWidth(full);
    EXPECT_EQ(half.size(), 40000);
    EXPECT_EQ(MapToFullWidth(half), full);
}

} // namespace
