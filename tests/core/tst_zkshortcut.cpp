#include "core/zkshortcut.h"

#include <QKeyEvent>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

struct ConverterCase
{
    const char *text; // as stored or typed
    TShortCut word;   // 0: no key
    QKeyCombination key;
    const char *back; // the text written for the word
};

TEST(ShortCutConverter, WordTextAndKeySequenceAgree)
{
    const ConverterCase cases[] = {
        {"Ctrl+S", 0x4053, Qt::CTRL | Qt::Key_S, "Ctrl+S"},
        {"Shift+F3", 0x2072, Qt::SHIFT | Qt::Key_F3, "Shift+F3"},
        {"Shift+Ctrl+I", 0x6049, Qt::SHIFT | Qt::CTRL | Qt::Key_I, "Shift+Ctrl+I"},
        {"shift+ctrl+i", 0x6049, Qt::SHIFT | Qt::CTRL | Qt::Key_I, "Shift+Ctrl+I"},
        {"Ctrl+Shift+Alt+Z", 0xE05A, Qt::SHIFT | Qt::CTRL | Qt::ALT | Qt::Key_Z, "Shift+Ctrl+Alt+Z"},
        {"Ctrl+-", 0x40BD, Qt::CTRL | Qt::Key_Minus, "Ctrl+-"},
        {"Del", 0x2E, QKeyCombination(Qt::Key_Delete), "Del"},
        {"Space", 0x20, QKeyCombination(Qt::Key_Space), "Space"},
        {"Enter", 0x0D, QKeyCombination(Qt::Key_Return), "Enter"},
        {"Ctrl+BkSp", 0x4008, Qt::CTRL | Qt::Key_Backspace, "Ctrl+BkSp"},
        {"F24", 0x87, QKeyCombination(Qt::Key_F24), "F24"},
        {"^A", 0x4041, Qt::CTRL | Qt::Key_A, "Ctrl+A"},
        {"Ctrl+^", 0x40DE, Qt::CTRL | Qt::Key_AsciiCircum, "Ctrl+^"},
        {"Foo", 0, QKeyCombination(), ""},
        {"Ctrl+", 0, QKeyCombination(), ""},
        {"Ctrl+Shift", 0, QKeyCombination(), ""},
        {"", 0, QKeyCombination(), ""},
    };
    for (const ConverterCase &c : cases) {
        SCOPED_TRACE(c.text);
        const QString text = QString::fromUtf8(c.text);
        const TShortCut word = TextToShortCutWord(text);
        EXPECT_EQ(word, c.word);
        EXPECT_EQ(ShortCutWordToText(word), QString::fromUtf8(c.back));
        const QKeySequence key = ShortCutWordToKey(word);
        EXPECT_EQ(key, c.word ? QKeySequence(c.key) : QKeySequence());
        EXPECT_EQ(KeyToShortCutWord(key), c.word);
        EXPECT_EQ(TextToShortCut(text), key);
        EXPECT_EQ(ShortCutToText(key), QString::fromUtf8(c.back));
    }
}

TEST(ShortCutConverter, EveryKeyNameReadsBackAsItself)
{
    QStringList names{"BkSp", "Tab", "Enter", "Esc",  "Space", "PgUp", "PgDn", "End", "Home",
                      "Left", "Up",  "Right", "Down", "Ins",   "Del",  ":",    ";",   ",",
                      "-",    ".",   "/",     "@",    "[",     "\\",   "]",    "^"};
    for (int i = 1; i <= 24; ++i)
        names << QStringLiteral("F%1").arg(i);
    for (char c = '0'; c <= '9'; ++c)
        names << QString(QLatin1Char(c));
    for (char c = 'A'; c <= 'Z'; ++c)
        names << QString(QLatin1Char(c));
    for (const QString &name : std::as_const(names)) {
        SCOPED_TRACE(name.toStdString());
        const TShortCut word = TextToShortCutWord(QStringLiteral("Alt+") + name.toLower());
        ASSERT_NE(word, 0);
        EXPECT_EQ(ShortCutWordToText(word), QStringLiteral("Alt+") + name);
        const QKeySequence key = ShortCutWordToKey(word);
        ASSERT_FALSE(key.isEmpty());
        EXPECT_EQ(KeyToShortCutWord(key), word);
    }
}

// Records the word of every key press it receives; QTest presses the
// modifier keys first, and those alone give 0.
class KeyRecorder : public QWidget
{
public:
    QList<TShortCut> words;
    int modifierPresses = 0;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        const TShortCut word = KeyEventToShortCutWord(event);
        if (word)
            words << word;
        else
            ++modifierPresses;
    }
};

TEST(ShortCutConverter, KeyEventsGiveTheWordOfTheKeyPressed)
{
    KeyRecorder w;
    // Qt reports the typed character: Shift+1 arrives as "!".
    QTest::keyClick(&w, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&w, Qt::Key_Exclam, Qt::ShiftModifier);
    QTest::keyClick(&w, Qt::Key_Minus, Qt::ControlModifier);
    QTest::keyClick(&w, Qt::Key_Underscore, Qt::ShiftModifier);
    QTest::keyClick(&w, Qt::Key_Minus, Qt::KeypadModifier);
    QTest::keyClick(&w, Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(&w, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(w.words, (QList<TShortCut>{0x4041, 0x2031, 0x40BD, 0x20E2, 0x6D, 0x0D, 0x2009}));
    EXPECT_EQ(w.modifierPresses, 5) << "Ctrl, Shift, Ctrl, Shift, Shift alone";
    EXPECT_EQ(ShortCutWordToText(0x20E2), QStringLiteral("Shift+\\"));
}

} // namespace
