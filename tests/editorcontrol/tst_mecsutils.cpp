#include "common/testenv.h"
#include "core/zkreg.h"
#include "core/zksub.h"
#include "editorcontrol/MECSUtils.h"

#include <gtest/gtest.h>

namespace {

struct WidthCase
{
    char32_t first;
    char32_t last;
    TEastAsianWidth cls;
};

// Rows a reviewer can check against the Unicode 5.1.0 data, with the
// program's own exceptions (private-use planes, unassigned code points).
const WidthCase widthCases[] = {
    {0x0000, 0x001F, eawNeutral},
    {0x007F, 0x00A0, eawNeutral},
    {0x0020, 0x007E, eawNarrow},
    {0x00A2, 0x00A3, eawNarrow},
    {0x00A5, 0x00A6, eawNarrow},
    {0x00AC, 0x00AC, eawNarrow},
    {0x00AF, 0x00AF, eawNarrow},
    {0x27E6, 0x27ED, eawNarrow},
    {0x2985, 0x2986, eawNarrow},
    {0x00A1, 0x00A1, eawAmbiguous},
    {0x00B0, 0x00B4, eawAmbiguous},
    {0x00D7, 0x00D7, eawAmbiguous},
    {0x0300, 0x036F, eawAmbiguous},
    {0x0391, 0x03A1, eawAmbiguous},
    {0x03A3, 0x03A9, eawAmbiguous},
    {0x0410, 0x044F, eawAmbiguous},
    {0x2500, 0x254B, eawAmbiguous},
    {0x2550, 0x2573, eawAmbiguous},
    {0x2160, 0x216B, eawAmbiguous},
    {0x1100, 0x1159, eawWide},
    {0x115F, 0x115F, eawWide},
    {0x115A, 0x115E, eawNeutral},
    {0x2329, 0x232A, eawWide},
    {0x3001, 0x303E, eawWide},
    {0x3041, 0x3096, eawWide},
    {0x3099, 0x30FF, eawWide},
    {0x3300, 0x4DB5, eawWide},
    {0x4E00, 0x9FC3, eawWide},
    {0xAC00, 0xD7A3, eawWide},
    {0xF900, 0xFA2D, eawWide},
    {0x3000, 0x3000, eawFullwidth},
    {0xFF01, 0xFF60, eawFullwidth},
    {0xFFE0, 0xFFE6, eawFullwidth},
    {0x20A9, 0x20A9, eawHalfwidth},
    {0xFF61, 0xFFBE, eawHalfwidth},
    {0xFFC2, 0xFFC7, eawHalfwidth},
    {0xFFCA, 0xFFCF, eawHalfwidth},
    {0xFFD2, 0xFFD7, eawHalfwidth},
    {0xFFDA, 0xFFDC, eawHalfwidth},
    {0xFFE8, 0xFFEE, eawHalfwidth},
    {0xD800, 0xDFFF, eawNeutral},
    {0x4DC0, 0x4DFF, eawNeutral},
    {0x303F, 0x303F, eawNeutral},
    {0xE000, 0xF8FF, eawAmbiguous},
    {0xFE00, 0xFE0F, eawAmbiguous},
    {0xFFFD, 0xFFFD, eawAmbiguous},
    {0xE0100, 0xE01EF, eawAmbiguous},
    {0x2614, 0x2615, eawAmbiguous},
    // single code points of the edge-case list
    {0x0041, 0x0041, eawNarrow},
    {0x00E2, 0x00E2, eawNeutral},
    {0x00E0, 0x00E0, eawAmbiguous},
    {0x00E9, 0x00E9, eawAmbiguous},
    {0x3042, 0x3042, eawWide},
    {0xFF21, 0xFF21, eawFullwidth},
    {0xFF71, 0xFF71, eawHalfwidth},
    {0x9FC4, 0x9FC4, eawNeutral},
    {0x1F600, 0x1F600, eawNeutral},
    {0x20000, 0x2FFFD, eawWide},
    {0x30000, 0x3FFFD, eawWide},
    {0xF0000, 0xFFFFD, eawNeutral},
    {0x100000, 0x10FFFD, eawNeutral},
    {0x110000, 0x110000, eawNeutral},
    {0xFFFFFFFF, 0xFFFFFFFF, eawNeutral},
};

} // namespace

TEST(MECSUtils, WidthClassesFollowUnicode51)
{
    for (const WidthCase &c : widthCases) {
        for (char32_t cp = c.first;; ++cp) {
            SCOPED_TRACE(QStringLiteral("U+%1").arg(quint32(cp), 4, 16, QLatin1Char('0')).toStdString());
            ASSERT_EQ(GetEastAsianWidth(cp), c.cls);
            if (cp == c.last)
                break;
        }
    }
}

TEST(MECSUtils, CombiningMarks)
{
    const char32_t combining[] = {0x0300, 0x036F, 0x0483, 0x0489,  0x3099,  0x309A, 0xFE20,
                                  0xFE26, 0xFE00, 0xFE0F, 0xE0100, 0xE01EF, 0x0CBC, 0x0CCD};
    const char32_t plain[] = {0x0041, 0x3042, 0x0CBF, 0x0CC6, 0x0000, 0x1F600, 0x110000};
    for (char32_t cp : combining)
        EXPECT_TRUE(IsCombiningChar(cp)) << std::hex << quint32(cp);
    for (char32_t cp : plain)
        EXPECT_FALSE(IsCombiningChar(cp)) << std::hex << quint32(cp);
}

TEST(MECSUtils, SurrogatesJoinAndUnpairedOnesDrop)
{
    const struct
    {
        std::u16string text;
        std::vector<char32_t> expected;
    } cases[] = {
        {u"\xD842\xDFB7", {0x20BB7, 0}},
        {u"\xD842"
         u"A",
         {0x41, 0}},
        {u"A\xDC00", {0x41, 0}},
        {u"", {}},
        {u"a\xD842\xDFB7"
         u"b",
         {0x61, 0x20BB7, 0x62, 0}},
    };
    for (const auto &c : cases) {
        const QString text = QString::fromUtf16(c.text.data(), qsizetype(c.text.size()));
        EXPECT_EQ(UTF16ToUCS4(text), c.expected);
    }
}

TEST(MECSUtils, WideCharAtCountsCodePoints)
{
    const QString text = QString::fromUtf16(u"a\xD842\xDFB7"
                                            u"b");
    EXPECT_TRUE(IsWideCharAt(text, 2, false));
    EXPECT_FALSE(IsWideCharAt(text, 3, false));
    EXPECT_FALSE(IsWideCharAt(text, 4, false));
    EXPECT_FALSE(IsWideCharAt(text, 0, false));
    EXPECT_FALSE(IsWideCharAt(QString(), 1, true));
    EXPECT_TRUE(IsWideCharAt(QStringLiteral("±"), 1, true));
    EXPECT_FALSE(IsWideCharAt(QStringLiteral("±"), 1, false));
}

TEST(MECSUtils, SurrogateTypeAt)
{
    const QString text = QString::fromUtf16(u"a\xD842\xDFB7");
    EXPECT_EQ(SurrogateTypeAt(text, 2), 1);
    EXPECT_EQ(SurrogateTypeAt(text, 3), 2);
    EXPECT_EQ(SurrogateTypeAt(text, 4), 0);
    EXPECT_EQ(SurrogateTypeAt(QString::fromUtf16(u"\xDC00x"), 1), 0); // the first unit never
    const char16_t buffer[] = {u'a', 0, 0xD800, 0};
    EXPECT_EQ(StrSurrogateType(buffer, 2), 0); // past the terminator
    EXPECT_EQ(StrSurrogateType(nullptr, 1), 0);
}

TEST(MECSUtils, AmbiguousWideRule)
{
    for (int charset : {128, 129, 130, 134, 136})
        EXPECT_TRUE(IsAmbiguousWideCharset(quint8(charset)));
    for (int charset : {0, 1, 2, 255})
        EXPECT_FALSE(IsAmbiguousWideCharset(quint8(charset)));
    for (int lcid : {1028, 1041, 1042, 2052, 3076, 4100})
        EXPECT_TRUE(IsAmbiguousWideLocale(lcid));
    EXPECT_FALSE(IsAmbiguousWideLocale(1033));
    EXPECT_EQ(LcidFromLocaleName(QStringLiteral("ja_JP")), 1041);
    EXPECT_EQ(LcidFromLocaleName(QStringLiteral("zh_TW")), 1028);
    EXPECT_EQ(LcidFromLocaleName(QStringLiteral("zh_CN")), 2052);
    EXPECT_EQ(LcidFromLocaleName(QStringLiteral("ko_KR")), 1042);
    EXPECT_EQ(LcidFromLocaleName(QStringLiteral("en_US")), 1033);
}

TEST(MECSUtils, AmbiguousWideSettingOverridesTheLocale)
{
    TestEnv::resetRegistry();
    SetAmbiguousWideOverride(-1);
    EXPECT_EQ(DefaultAmbiguousWide(), IsAmbiguousWideLocale(UserDefaultLCID));
    {
        TzkRegistry reg;
        ASSERT_TRUE(reg.OpenKey(ZK_REG_ROOT + QStringLiteral("\\EDITOR"), true));
        reg.WriteInteger(QStringLiteral("AmbiguousWide"), IsAmbiguousWideLocale(UserDefaultLCID) ? 0 : 1);
        reg.CloseKey();
    }
    SetAmbiguousWideOverride(-1);
    EXPECT_NE(DefaultAmbiguousWide(), IsAmbiguousWideLocale(UserDefaultLCID));
    SetAmbiguousWideOverride(1);
    EXPECT_TRUE(DefaultAmbiguousWide());
    TestEnv::resetRegistry();
    SetAmbiguousWideOverride(-1);
}
