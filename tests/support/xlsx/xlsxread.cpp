#include "support/xlsx/xlsxread.h"

#include <QFile>
#include <QXmlStreamReader>

#include <zlib.h>

namespace {

quint32 le(const QByteArray &data, qsizetype at, int bytes)
{
    quint32 value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = value << 8 | quint8(data.at(at + i));
    return value;
}

QByteArray inflateRaw(const QByteArray &input, qsizetype size)
{
    QByteArray out(size, Qt::Uninitialized);
    z_stream z = {};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
        return {};
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(input.constData()));
    z.avail_in = uInt(input.size());
    z.next_out = reinterpret_cast<Bytef *>(out.data());
    z.avail_out = uInt(out.size());
    const int rc = inflate(&z, Z_FINISH);
    inflateEnd(&z);
    return rc == Z_STREAM_END ? out : QByteArray();
}

// "BC12" → column 54 (0-based 54), row 11 (0-based).
void cellPosition(const QString &ref, int &row, int &col)
{
    col = 0;
    qsizetype i = 0;
    for (; i < ref.size() && ref.at(i).isLetter(); ++i)
        col = col * 26 + (ref.at(i).toUpper().unicode() - 'A' + 1);
    --col;
    row = ref.mid(i).toInt() - 1;
}

QStringList sharedStrings(const QByteArray &xml)
{
    QStringList strings;
    QXmlStreamReader r(xml);
    QString current;
    bool inItem = false;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement() && r.name() == QLatin1String("si")) {
            inItem = true;
            current.clear();
        } else if (inItem && r.isStartElement() && r.name() == QLatin1String("t")) {
            current += r.readElementText();
        } else if (r.isEndElement() && r.name() == QLatin1String("si")) {
            inItem = false;
            strings << current;
        }
    }
    return strings;
}

} // namespace

QMap<QString, QByteArray> ReadZipEntries(const QString &path)
{
    QMap<QString, QByteArray> entries;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return entries;
    const QByteArray data = file.readAll();
    // The end of central directory record, searched from the end.
    qsizetype eocd = data.lastIndexOf(QByteArray("PK\x05\x06", 4));
    if (eocd < 0)
        return entries;
    const quint32 count = le(data, eocd + 10, 2);
    qsizetype at = le(data, eocd + 16, 4);
    for (quint32 n = 0; n < count && at + 46 <= data.size(); ++n) {
        if (le(data, at, 4) != 0x02014b50)
            break;
        const quint32 method = le(data, at + 10, 2);
        const quint32 packed = le(data, at + 20, 4);
        const quint32 size = le(data, at + 24, 4);
        const quint32 nameLength = le(data, at + 28, 2);
        const quint32 extraLength = le(data, at + 30, 2);
        const quint32 commentLength = le(data, at + 32, 2);
        const quint32 local = le(data, at + 42, 4);
        const QString name = QString::fromUtf8(data.mid(at + 46, nameLength));
        const qsizetype body = local + 30 + le(data, local + 26, 2) + le(data, local + 28, 2);
        const QByteArray raw = data.mid(body, packed);
        entries.insert(name, method == 0 ? raw : inflateRaw(raw, size));
        at += 46 + nameLength + extraLength + commentLength;
    }
    return entries;
}

QList<QStringList> ReadXlsxCells(const QString &path, int sheet)
{
    const QMap<QString, QByteArray> zip = ReadZipEntries(path);
    const QStringList shared = sharedStrings(zip.value(QStringLiteral("xl/sharedStrings.xml")));
    QXmlStreamReader r(zip.value(QStringLiteral("xl/worksheets/sheet%1.xml").arg(sheet)));
    QList<QStringList> rows;
    int width = 0;
    int row = 0;
    int col = 0;
    QString type;
    while (!r.atEnd()) {
        r.readNext();
        if (!r.isStartElement())
            continue;
        if (r.name() == QLatin1String("c")) {
            cellPosition(r.attributes().value(QLatin1String("r")).toString(), row, col);
            type = r.attributes().value(QLatin1String("t")).toString();
            QString value;
            while (!(r.isEndElement() && r.name() == QLatin1String("c")) && !r.atEnd()) {
                r.readNext();
                if (r.isStartElement() && (r.name() == QLatin1String("v") || r.name() == QLatin1String("t")))
                    value += r.readElementText();
            }
            if (type == QLatin1String("s"))
                value = shared.value(value.toInt());
            while (rows.size() <= row)
                rows.append(QStringList());
            QStringList &cells = rows[row];
            while (cells.size() <= col)
                cells.append(QString());
            cells[col] = value;
            width = std::max(width, col + 1);
        }
    }
    for (QStringList &cells : rows)
        while (cells.size() < width)
            cells.append(QString());
    return rows;
}
