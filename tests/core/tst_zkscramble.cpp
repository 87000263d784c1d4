#include "core/zkscramble.h"

#include <QSet>

#include <gtest/gtest.h>

namespace {

const QString kSymbols = QStringLiteral("~;:,.@_`=<>[]'!?");

TEST(Scrambler, RoundTripsAndKeepsTheLayout)
{
    struct Case
    {
        const char *name;
        QString text;
        int length;
    };
    const Case cases[] = {
        {"short text padded to 64 bytes", "abc", 132},
        {"64 bytes", QString(64, 'x'), 132},
        {"70 bytes", QString(70, 'y'), 144},
        {"blanks at both ends", "  pass word  ", 132},
        {"kanji and kana", QStringLiteral("パス漢字"), 132},
        {"outside the BMP", QStringLiteral("a\U0001F511b"), 132},
        {"all byte values of ASCII",
         [] {
             QString s;
             for (int c = 1; c < 128; ++c)
                 s += QChar(c);
             return s;
         }(),
         2 * 127 + 4},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString stored = ScrambleText(c.text);
        EXPECT_EQ(stored.size(), c.length);
        for (QChar s : stored)
            EXPECT_TRUE(kSymbols.contains(s)) << int(s.unicode());
        EXPECT_EQ(UnscrambleText(stored), c.text);
        QString text;
        EXPECT_TRUE(TryUnscrambleText(stored, text));
        EXPECT_EQ(text, c.text);
    }
}

TEST(Scrambler, DiffersFromCallToCall)
{
    QSet<QString> seen;
    for (int i = 0; i < 8; ++i) {
        const QString stored = ScrambleText("secret");
        EXPECT_EQ(UnscrambleText(stored), "secret");
        seen.insert(stored);
    }
    EXPECT_GT(seen.size(), 1);
}

TEST(Scrambler, EmptyAndForeignInput)
{
    EXPECT_EQ(ScrambleText(""), "");
    EXPECT_EQ(UnscrambleText(""), "");
    // Never scrambled: some text, no failure.
    UnscrambleText("hello");
    UnscrambleText(QString(200, 'Z'));

    struct Case
    {
        const char *name;
        QString stored;
    };
    const QString good = ScrambleText("pw");
    const Case notScrambled[] = {
        {"plain text", "password"},
        {"too short", QString(130, '~')},
        {"odd length", good + '~'},
        {"foreign symbol", QString(good).replace(5, 1, 'A')},
        {"empty", ""},
    };
    for (const Case &c : notScrambled) {
        SCOPED_TRACE(c.name);
        QString text = "unchanged";
        EXPECT_FALSE(TryUnscrambleText(c.stored, text));
        EXPECT_EQ(text, "unchanged");
    }
}

} // namespace
