#include "editorcontrol/edstreamreg.h"

#include <QByteArray>
#include <QSettings>

namespace {

constexpr int HexLineLength = 64;
constexpr qint64 ChunkSize = 1048576;

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}

QString countName(const QString &ident)
{
    return ident + QStringLiteral("_c");
}

QString lineName(const QString &ident, int index)
{
    return ident + QStringLiteral("_d") + QString::number(index);
}

int readCount(const QSettings &ini, const QString &ident)
{
    bool ok = false;
    const int n = ini.value(countName(ident), QStringLiteral("0")).toString().trimmed().toInt(&ok);
    return ok ? n : 0;
}

void checkIni(QSettings &ini, const QString &fileName)
{
    ini.sync();
    if (ini.status() != QSettings::NoError)
        throw Exception(QStringLiteral("ファイル \"%1\" に書き込めません。").arg(fileName));
}

} // namespace

void StreamToHexLines(QIODevice &Stream, QStringList &Lines)
{
    static const char digits[] = "0123456789ABCDEF";
    Lines.clear();
    QString line;
    line.reserve(HexLineLength);
    char byte = 0;
    while (Stream.getChar(&byte)) {
        const auto b = static_cast<unsigned char>(byte);
        line += QLatin1Char(digits[b >> 4]);
        line += QLatin1Char(digits[b & 15]);
        if (line.size() >= HexLineLength) {
            Lines.append(line);
            line.clear();
        }
    }
    if (!line.isEmpty())
        Lines.append(line);
}

void HexLinesToStream(const QStringList &Lines, QIODevice &Stream)
{
    for (const QString &line : Lines) {
        QByteArray bytes;
        bytes.reserve(line.size() / 2);
        for (qsizetype i = 0; i + 1 < line.size(); i += 2) {
            const int hi = hexDigit(line[i]);
            const int lo = hexDigit(line[i + 1]);
            bytes.append(hi < 0 || lo < 0 ? char(0) : char(hi * 16 + lo));
        }
        Stream.write(bytes);
    }
}

void WriteStreamToIni(QIODevice &Stream, const QString &IniFileName, const QString &Section, const QString &Ident)
{
    QStringList lines;
    StreamToHexLines(Stream, lines);
    QSettings ini(IniFileName, QSettings::IniFormat);
    ini.beginGroup(Section);
    const int oldCount = readCount(ini, Ident);
    const int newCount = int(lines.size());
    for (int i = oldCount - 1; i >= newCount; --i)
        ini.remove(lineName(Ident, i));
    if (newCount == 0) {
        ini.remove(countName(Ident));
    } else {
        ini.setValue(countName(Ident), QString::number(newCount));
        for (int i = 0; i < newCount; ++i)
            ini.setValue(lineName(Ident, i), lines[i]);
    }
    ini.endGroup();
    checkIni(ini, IniFileName);
}

void ReadStreamFromIni(QIODevice &Stream, const QString &IniFileName, const QString &Section, const QString &Ident)
{
    QSettings ini(IniFileName, QSettings::IniFormat);
    ini.beginGroup(Section);
    const int count = readCount(ini, Ident);
    if (count < 1)
        return;
    QStringList lines;
    lines.reserve(count);
    for (int i = 0; i < count; ++i)
        lines.append(ini.value(lineName(Ident, i)).toString());
    HexLinesToStream(lines, Stream);
}

TStreamReg::TStreamReg()
    : TRegistry(HKEY_CURRENT_USER, KEY_ALL_ACCESS)
{
}

void TStreamReg::WriteStream(const QString &Name, QIODevice &Stream)
{
    QByteArray data;
    for (;;) {
        const QByteArray chunk = Stream.read(ChunkSize);
        if (chunk.isEmpty())
            break;
        data.append(chunk);
    }
    WriteBinary(Name, data);
}

bool TStreamReg::ReadStream(const QString &Name, QIODevice &Stream)
{
    if (!ValueExists(Name))
        return false;
    const QByteArray data = ReadBinary(Name);
    for (qsizetype pos = 0; pos < data.size(); pos += ChunkSize)
        Stream.write(data.constData() + pos, qMin<qsizetype>(ChunkSize, data.size() - pos));
    return true;
}

namespace {

// Opens Root\Key (creating both when missing); false when that fails.
bool openStreamKey(TStreamReg &reg, const QString &Root, const QString &Key)
{
    if (!reg.OpenKey(Root, true))
        return false;
    return Key.isEmpty() || reg.OpenKey(Key, true);
}

} // namespace

void WriteStreamToReg(QIODevice &Stream, const QString &Root, const QString &Key, const QString &Name)
{
    TStreamReg reg;
    if (!openStreamKey(reg, Root, Key))
        return;
    reg.WriteStream(Name, Stream);
    reg.CloseKey();
}

void ReadStreamFromReg(QIODevice &Stream, const QString &Root, const QString &Key, const QString &Name)
{
    TStreamReg reg;
    if (!openStreamKey(reg, Root, Key))
        return;
    reg.ReadStream(Name, Stream);
    reg.CloseKey();
}
