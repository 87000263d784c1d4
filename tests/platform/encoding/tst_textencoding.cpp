#include "platform/encoding/textencoding.h"
#include "platform/rtl/exceptions.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct EncodingCase
{
    const char *name;
    const TEncoding *encoding;
    QString text;
    QByteArray bytes;
    QByteArray preamble;
};

// Known byte forms of each encoding, both ways.
TEST(TEncoding, EncodesAndDecodesKnownForms)
{
    const EncodingCase cases[] = {
        {"UTF-8", TEncoding::GetUTF8(), QStringLiteral("Aあ漢～"), QByteArray("A\xE3\x81\x82\xE6\xBC\xA2\xEF\xBD\x9E"),
         QByteArray("\xEF\xBB\xBF")},
        {"UTF-16LE", TEncoding::GetUnicode(), QStringLiteral("Aあ"), QByteArray("A\0\x42\x30", 4),
         QByteArray("\xFF\xFE")},
        {"UTF-16BE", TEncoding::GetBigEndianUnicode(), QStringLiteral("Aあ"), QByteArray("\0A\x30\x42", 4),
         QByteArray("\xFE\xFF")},
        // The desktop's code page: the full-width tilde is 81 60, the backslash stays 5C.
        {"CP932", TEncoding::GetANSI(), QStringLiteral("Aあ漢～\\"), QByteArray("A\x82\xA0\x8A\xBF\x81\x60\x5C"),
         QByteArray()},
        {"UTF-7", TEncoding::GetUTF7(), QStringLiteral("Aあ"), QByteArray("A+MEI-"), QByteArray()},
    };
    for (const EncodingCase &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.encoding->GetBytes(c.text), c.bytes);
        EXPECT_EQ(c.encoding->GetString(c.bytes), c.text);
        EXPECT_EQ(c.encoding->GetPreamble(), c.preamble);
        EXPECT_EQ(c.encoding->Name(), QString::fromLatin1(c.name));
    }
}

TEST(TEncoding, NeverFailsOnWhatItCannotHold)
{
    // No CP932 form: each character (the emoji as one) becomes "?".
    EXPECT_EQ(TEncoding::GetANSI()->GetBytes(QStringLiteral("aä😀b")), QByteArray("a??b"));
    // A broken lead byte and a truncated one become U+FFFD; the rest survives.
    EXPECT_EQ(TEncoding::GetANSI()->GetString(QByteArray("\x82\xA0\xFF\x82\xA0\x82")),
              QStringLiteral("あ\uFFFDあ\uFFFD"));
    // A lone surrogate cannot go to UTF-7 either; the base64 run is closed first.
    const QString lone = QStringLiteral("あ") + QChar(0xD800) + QStringLiteral("い");
    const QByteArray utf7 = TEncoding::GetUTF7()->GetBytes(lone);
    EXPECT_EQ(TEncoding::GetUTF7()->GetString(utf7), QStringLiteral("あ?い"));
}

TEST(TEncoding, SharedInstancesAreComparedByIdentity)
{
    EXPECT_EQ(TEncoding::GetUTF8(), TEncoding::GetUTF8());
    EXPECT_NE(TEncoding::GetUnicode(), TEncoding::GetBigEndianUnicode());
    int length = -1;
    EXPECT_EQ(TEncoding::FromPreamble(QByteArray("\xFE\xFFx"), &length), TEncoding::GetBigEndianUnicode());
    EXPECT_EQ(length, 2);
    EXPECT_EQ(TEncoding::FromPreamble(QByteArray("abc"), &length), nullptr);
    EXPECT_EQ(length, 0);
}

// Files written with and without the mark read back the same text; a mark
// wins over the encoding the reader expects.
TEST(TextFile, WritesAndReadsWithAndWithoutByteOrderMark)
{
    QTemporaryDir dir;
    const QString text = QStringLiteral("SELECT 'あいう'\r\nFROM 表\r\n");
    const TEncoding *all[] = {TEncoding::GetUTF7(), TEncoding::GetUTF8(), TEncoding::GetUnicode(),
                              TEncoding::GetBigEndianUnicode(), TEncoding::GetANSI()};
    for (const TEncoding *enc : all) {
        for (bool mark : {false, true}) {
            SCOPED_TRACE(enc->Name().toStdString() + (mark ? " with mark" : " without mark"));
            const QString path = dir.filePath(enc->Name() + (mark ? "-bom.txt" : ".txt"));
            WriteTextFile(path, text, enc, mark);
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            EXPECT_EQ(f.readAll(), (mark ? enc->GetPreamble() : QByteArray()) + enc->GetBytes(text));
            EXPECT_EQ(ReadTextFile(path, enc), text);
            if (mark && !enc->GetPreamble().isEmpty()) {
                EXPECT_EQ(ReadTextFile(path, TEncoding::GetANSI()), text);
            }
        }
    }
}

TEST(TextFile, FailuresRaise)
{
    QTemporaryDir dir;
    EXPECT_THROW(ReadTextFile(dir.filePath("missing.txt"), TEncoding::GetUTF8()), Exception);
    EXPECT_THROW(WriteTextFile(dir.filePath("no/such/folder.txt"), "x", TEncoding::GetUTF8(), true), Exception);
}

} // namespace
