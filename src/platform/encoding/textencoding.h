#pragma once

#include <QByteArray>
#include <QString>

// The text encodings the program reads and writes files in. There is one
// shared instance per encoding; callers compare them by identity and never
// free them.
//
// The system's "ANSI code page" is CP932 (Shift_JIS with the Windows
// extensions). CP932 and UTF-7 are converted by iconv, the Unicode forms by Qt.
// Conversions never fail: a character that the target cannot hold becomes "?"
// when encoding, a byte sequence that is not valid becomes U+FFFD when
// decoding.
class TEncoding
{
public:
    enum Kind { UTF7, UTF8, Unicode, BigEndianUnicode, ANSI };

    static const TEncoding *GetUTF7();
    static const TEncoding *GetUTF8();
    static const TEncoding *GetUnicode();          // UTF-16 little endian
    static const TEncoding *GetBigEndianUnicode(); // UTF-16 big endian
    static const TEncoding *GetANSI();             // CP932

    Kind kind() const { return m_kind; }
    QString Name() const;

    // The byte-order mark: EF BB BF, FF FE, FE FF; empty for ANSI and UTF-7.
    QByteArray GetPreamble() const;
    QByteArray GetBytes(const QString &text) const;
    QString GetString(const QByteArray &bytes) const;

    // The encoding whose byte-order mark starts the data (UTF-8, UTF-16 LE or
    // BE), with the mark's length; nullptr and 0 when there is none.
    static const TEncoding *FromPreamble(const QByteArray &data, int *length = nullptr);

    TEncoding(const TEncoding &) = delete;
    TEncoding &operator=(const TEncoding &) = delete;

private:
    explicit TEncoding(Kind kind)
        : m_kind(kind)
    {
    }
    Kind m_kind;
};

// Reads a whole text file. A byte-order mark at its start decides the
// encoding (and is dropped), so a file stays readable after the chosen
// encoding changed; without one the file is decoded with `encoding`.
// Raises Exception when the file cannot be read.
QString ReadTextFile(const QString &fileName, const TEncoding *encoding);

// Writes a whole text file in `encoding`, with its byte-order mark first when
// `writePreamble` is set. The file is replaced atomically, so a failed write
// never leaves half a file. Raises Exception when it cannot be written.
void WriteTextFile(const QString &fileName, const QString &text, const TEncoding *encoding, bool writePreamble);
