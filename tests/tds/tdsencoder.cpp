#include "tds/tdsencoder.h"

#include "support/rules/tdsvalues.h"

#include <QDateTime>
#include <QUuid>

using namespace tdsrules;

namespace tds {

namespace {

enum TypeByte : quint8 {
    GuidType = 0x24,
    IntNType = 0x26,
    DateNType = 0x28,
    TimeNType = 0x29,
    DateTime2NType = 0x2A,
    DateTimeOffsetNType = 0x2B,
    ImageType = 0x22,
    TextType = 0x23,
    SqlVariantType = 0x62,
    NTextType = 0x63,
    BitNType = 0x68,
    DecimalNType = 0x6A,
    NumericNType = 0x6C,
    FloatNType = 0x6D,
    MoneyNType = 0x6E,
    DateTimeNType = 0x6F,
    BigVarBinaryType = 0xA5,
    BigVarCharType = 0xA7,
    BigBinaryType = 0xAD,
    BigCharType = 0xAF,
    NVarCharType = 0xE7,
    NCharType = 0xEF,
    XmlType = 0xF1,
};

constexpr quint64 PlpNull = ~quint64(0);
constexpr quint16 TimestampUserType = 80;

int decimalBytes(int precision)
{
    return precision <= 9 ? 4 : precision <= 19 ? 8 : precision <= 28 ? 12 : 16;
}

int timeBytes(int scale)
{
    return scale <= 2 ? 3 : scale <= 4 ? 4 : 5;
}

qint64 timeUnit(int scale)
{
    qint64 unit = 1;
    for (int i = scale; i < 7; ++i)
        unit *= 10;
    return unit;
}

bool isPlp(const Column &c)
{
    return c.type == Type::Xml
           || (c.length < 0 && (c.type == Type::VarChar || c.type == Type::NVarChar || c.type == Type::VarBinary));
}

void writeDecimal(Buffer &b, Int128 v, int precision)
{
    const int n = decimalBytes(precision);
    b.u8(quint8(n + 1));
    b.u8(v < 0 ? 0 : 1);
    unsigned __int128 m = v < 0 ? (unsigned __int128)(-v) : (unsigned __int128)v;
    char *p = b.grow(size_t(n));
    for (int i = 0; i < n; ++i) {
        p[i] = char(quint8(m));
        m >>= 8;
    }
}

void writeMoney(Buffer &b, Int128 v, bool small)
{
    if (small) {
        b.u8(4);
        b.u32(quint32(qint32(v)));
        return;
    }
    const quint64 u = quint64(qint64(v));
    b.u8(8);
    b.u32(quint32(u >> 32));
    b.u32(quint32(u));
}

void writeTime(Buffer &b, qint64 ticks, int scale)
{
    const quint64 units = quint64(ticks / timeUnit(scale));
    const int n = timeBytes(scale);
    char *p = b.grow(size_t(n));
    for (int i = 0; i < n; ++i)
        p[i] = char(quint8(units >> (8 * i)));
}

void writeDate3(Buffer &b, qint64 days)
{
    char *p = b.grow(3);
    p[0] = char(quint8(days));
    p[1] = char(quint8(days >> 8));
    p[2] = char(quint8(days >> 16));
}

void writeDateTimeParts(Buffer &b, const Column &c, qint64 days, qint64 ticks, int offsetMinutes)
{
    switch (c.type) {
    case Type::DateTime: {
        const qint64 ms = ticks / 10000;
        const qint64 t300 = (ms / 1000) * 300 + datetimeTicksFromMs(int(ms % 1000));
        b.u8(8);
        b.u32(quint32(qint32(days - Days1900)));
        b.u32(quint32(t300));
        break;
    }
    case Type::SmallDateTime:
        b.u8(4);
        b.u16(quint16(days - Days1900));
        b.u16(quint16(ticks / (60 * TicksPerSecond)));
        break;
    case Type::DateTime2:
        b.u8(quint8(timeBytes(c.scale) + 3));
        writeTime(b, ticks, c.scale);
        writeDate3(b, days);
        break;
    case Type::Date:
        b.u8(3);
        writeDate3(b, days);
        break;
    case Type::Time:
        b.u8(quint8(timeBytes(c.scale)));
        writeTime(b, ticks, c.scale);
        break;
    case Type::DateTimeOffset: {
        // On the wire the date and time are UTC.
        qint64 utc = days * TicksPerDay + ticks - qint64(offsetMinutes) * 60 * TicksPerSecond;
        b.u8(quint8(timeBytes(c.scale) + 5));
        writeTime(b, utc % TicksPerDay, c.scale);
        writeDate3(b, utc / TicksPerDay);
        b.u16(quint16(qint16(offsetMinutes)));
        break;
    }
    default: break;
    }
}

void writeGuid(Buffer &b, const QByteArray &rfc)
{
    // The first three groups go little-endian.
    const char *s = rfc.constData();
    char *p = b.grow(16);
    p[0] = s[3];
    p[1] = s[2];
    p[2] = s[1];
    p[3] = s[0];
    p[4] = s[5];
    p[5] = s[4];
    p[6] = s[7];
    p[7] = s[6];
    std::memcpy(p + 8, s + 8, 8);
}

void writePlp(Buffer &b, const char *data, size_t n)
{
    b.u64(n);
    if (n) {
        b.u32(quint32(n));
        b.bytes(data, n);
    }
    b.u32(0);
}

void writeTextPointer(Buffer &b, size_t n)
{
    b.u8(16);
    std::memset(b.grow(16), 0xAB, 16); // any text pointer; clients only check its presence
    std::memset(b.grow(8), 0, 8);      // timestamp
    b.u32(quint32(n));
}

// Variable-length data in its column's form: behind a text pointer (text,
// ntext, image), partially length-prefixed (max types, xml), or after a
// 2-byte length.
void writeVariable(Buffer &b, const Column &c, const char *data, size_t n)
{
    if (c.type == Type::Text || c.type == Type::NText || c.type == Type::Image) {
        writeTextPointer(b, n);
        b.bytes(data, n);
    } else if (isPlp(c)) {
        writePlp(b, data, n);
    } else {
        b.u16(quint16(n));
        b.bytes(data, n);
    }
}

// Digits of v (sign included) into buf, returning the count.
int formatInt(qint64 v, char *buf)
{
    char tmp[24];
    int n = 0;
    quint64 u = v < 0 ? quint64(0) - quint64(v) : quint64(v);
    do {
        tmp[n++] = char('0' + u % 10);
        u /= 10;
    } while (u);
    int k = 0;
    if (v < 0)
        buf[k++] = '-';
    while (n)
        buf[k++] = tmp[--n];
    return k;
}

// One column of a generated result, prepared so that a row costs no allocation.
struct GeneratedColumn
{
    enum Op { IntN, BitN, Dec, Flt8, Flt4, Money8, Money4, Text16, Text8, DateTimeParts, Constant, Null, Fallback };
    Op op = Fallback;
    int bytes = 0; // IntN width; char padding
    int precision = 0;
    bool rowNumber = false; // text: digits of n rather than of the sequence value
    QByteArray prefix, suffix, constant;
};

GeneratedColumn prepare(const Column &c, const Generator &g)
{
    GeneratedColumn p;
    if (g.kind == Generator::Constant) {
        if (g.constant.isNull()) {
            p.op = GeneratedColumn::Null;
        } else {
            Buffer b;
            writeValue(b, c, g.constant, g.constantTicks);
            p.op = GeneratedColumn::Constant;
            p.constant = QByteArray(b.data(), qsizetype(b.size()));
        }
        return p;
    }
    const bool text8 = c.type == Type::Char || c.type == Type::VarChar;
    const bool text16 = c.type == Type::NChar || c.type == Type::NVarChar;
    if ((text8 || text16) && c.length > 0) {
        p.op = text8 ? GeneratedColumn::Text8 : GeneratedColumn::Text16;
        if (c.type == Type::Char || c.type == Type::NChar)
            p.bytes = text8 ? c.length : c.length * 2;
        if (g.kind == Generator::Template) {
            p.rowNumber = true;
            const qsizetype at = g.text.indexOf(QLatin1String("{n}"));
            const QString before = g.text.left(at);
            const QString after = g.text.mid(at + 3);
            if (after.contains(QLatin1String("{n}")))
                return GeneratedColumn(); // several {n}: the general path
            if (text8) {
                p.prefix = encodeText(before, c.codePage);
                p.suffix = encodeText(after, c.codePage);
            } else {
                p.prefix = QByteArray(reinterpret_cast<const char *>(before.utf16()), before.size() * 2);
                p.suffix = QByteArray(reinterpret_cast<const char *>(after.utf16()), after.size() * 2);
            }
        }
        return p;
    }
    if (g.kind != Generator::Sequence)
        return p;
    switch (c.type) {
    case Type::Int:
        p.op = GeneratedColumn::IntN;
        p.bytes = 4;
        break;
    case Type::BigInt:
        p.op = GeneratedColumn::IntN;
        p.bytes = 8;
        break;
    case Type::SmallInt:
        p.op = GeneratedColumn::IntN;
        p.bytes = 2;
        break;
    case Type::TinyInt:
        p.op = GeneratedColumn::IntN;
        p.bytes = 1;
        break;
    case Type::Bit: p.op = GeneratedColumn::BitN; break;
    case Type::Decimal:
    case Type::Numeric:
        p.op = GeneratedColumn::Dec;
        p.precision = c.precision;
        break;
    case Type::Float: p.op = GeneratedColumn::Flt8; break;
    case Type::Real: p.op = GeneratedColumn::Flt4; break;
    case Type::Money: p.op = GeneratedColumn::Money8; break;
    case Type::SmallMoney: p.op = GeneratedColumn::Money4; break;
    case Type::DateTime:
    case Type::SmallDateTime:
    case Type::DateTime2:
    case Type::Date:
    case Type::Time:
    case Type::DateTimeOffset: p.op = GeneratedColumn::DateTimeParts; break;
    default: break;
    }
    return p;
}

void writeGeneratedText(Buffer &b, const GeneratedColumn &p, qint64 number, bool wide)
{
    char digits[24];
    const int nd = formatInt(number, digits);
    const size_t textBytes = size_t(p.prefix.size() + p.suffix.size()) + size_t(nd) * (wide ? 2 : 1);
    const size_t total = std::max(textBytes, size_t(p.bytes));
    b.u16(quint16(total));
    char *out = b.grow(total);
    std::memcpy(out, p.prefix.constData(), size_t(p.prefix.size()));
    out += p.prefix.size();
    for (int i = 0; i < nd; ++i) {
        *out++ = digits[i];
        if (wide)
            *out++ = 0;
    }
    std::memcpy(out, p.suffix.constData(), size_t(p.suffix.size()));
    out += p.suffix.size();
    for (size_t k = textBytes; k < total; k += wide ? 2 : 1) {
        *out++ = ' ';
        if (wide)
            *out++ = 0;
    }
}

} // namespace

void writeCollation(Buffer &b, int codePage)
{
    // LCID in the low 20 bits, then the flags: ignore case, kana type and width.
    const quint32 lcid = codePage == 932 ? 0x0411 : 0x0409;
    b.u32(lcid | 0x00D00000);
    b.u8(codePage == 932 ? 0 : 52); // sort id 52: SQL_Latin1_General_CP1_CI_AS
}

int codePageOfCollation(const uchar *c)
{
    const quint32 lcid = (c[0] | (c[1] << 8) | (c[2] << 16)) & 0xFFFFF;
    if (c[4] == 0 && lcid == 0x0411)
        return 932;
    return 1252;
}

void writeTypeInfo(Buffer &b, const Column &c)
{
    switch (c.type) {
    case Type::Int:
        b.u8(IntNType);
        b.u8(4);
        break;
    case Type::BigInt:
        b.u8(IntNType);
        b.u8(8);
        break;
    case Type::SmallInt:
        b.u8(IntNType);
        b.u8(2);
        break;
    case Type::TinyInt:
        b.u8(IntNType);
        b.u8(1);
        break;
    case Type::Bit:
        b.u8(BitNType);
        b.u8(1);
        break;
    case Type::Decimal:
    case Type::Numeric:
        b.u8(c.type == Type::Decimal ? DecimalNType : NumericNType);
        b.u8(quint8(decimalBytes(c.precision) + 1));
        b.u8(quint8(c.precision));
        b.u8(quint8(c.scale));
        break;
    case Type::Float:
        b.u8(FloatNType);
        b.u8(8);
        break;
    case Type::Real:
        b.u8(FloatNType);
        b.u8(4);
        break;
    case Type::Money:
        b.u8(MoneyNType);
        b.u8(8);
        break;
    case Type::SmallMoney:
        b.u8(MoneyNType);
        b.u8(4);
        break;
    case Type::DateTime:
        b.u8(DateTimeNType);
        b.u8(8);
        break;
    case Type::SmallDateTime:
        b.u8(DateTimeNType);
        b.u8(4);
        break;
    case Type::DateTime2:
        b.u8(DateTime2NType);
        b.u8(quint8(c.scale));
        break;
    case Type::Date: b.u8(DateNType); break;
    case Type::Time:
        b.u8(TimeNType);
        b.u8(quint8(c.scale));
        break;
    case Type::DateTimeOffset:
        b.u8(DateTimeOffsetNType);
        b.u8(quint8(c.scale));
        break;
    case Type::UniqueIdentifier:
        b.u8(GuidType);
        b.u8(16);
        break;
    case Type::Char:
    case Type::VarChar:
        b.u8(c.type == Type::Char ? BigCharType : BigVarCharType);
        b.u16(c.length < 0 ? 0xFFFF : quint16(c.length));
        writeCollation(b, c.codePage);
        break;
    case Type::NChar:
    case Type::NVarChar:
        b.u8(c.type == Type::NChar ? NCharType : NVarCharType);
        b.u16(c.length < 0 ? 0xFFFF : quint16(c.length * 2));
        writeCollation(b);
        break;
    case Type::Binary:
    case Type::Timestamp:
        b.u8(BigBinaryType);
        b.u16(quint16(c.length));
        break;
    case Type::VarBinary:
        b.u8(BigVarBinaryType);
        b.u16(c.length < 0 ? 0xFFFF : quint16(c.length));
        break;
    case Type::Text:
        b.u8(TextType);
        b.u32(0x7FFFFFFF);
        writeCollation(b, c.codePage);
        break;
    case Type::NText:
        b.u8(NTextType);
        b.u32(0x7FFFFFFE);
        writeCollation(b);
        break;
    case Type::Image:
        b.u8(ImageType);
        b.u32(0x7FFFFFFF);
        break;
    case Type::Xml:
        b.u8(XmlType);
        b.u8(0); // no schema
        break;
    case Type::SqlVariant:
        b.u8(SqlVariantType);
        b.u32(8009);
        break;
    }
}

void writeColMetadata(Buffer &b, const QList<Column> &columns)
{
    b.u8(ColMetadataToken);
    b.u16(quint16(columns.size()));
    for (const Column &c : columns) {
        b.u32(c.type == Type::Timestamp ? TimestampUserType : 0);
        b.u16(c.type == Type::Timestamp ? 0x0000 : 0x0001 | 0x0008); // nullable, updateable if unknown
        writeTypeInfo(b, c);
        if (c.type == Type::Text || c.type == Type::NText || c.type == Type::Image) {
            b.u8(1); // table name in one part
            b.usVarchar(u"T");
        }
        b.bVarchar(c.name);
    }
}

void writeNull(Buffer &b, const Column &c)
{
    if (isPlp(c)) {
        b.u64(PlpNull);
        return;
    }
    switch (c.type) {
    case Type::Char:
    case Type::VarChar:
    case Type::NChar:
    case Type::NVarChar:
    case Type::Binary:
    case Type::VarBinary:
    case Type::Timestamp: b.u16(0xFFFF); break;
    case Type::SqlVariant: b.u32(0); break;
    default:
        b.u8(0); // a zero length; for text, ntext and image no text pointer
        break;
    }
}

void writeValue(Buffer &b, const Column &c, const QVariant &v, int extraTicks)
{
    switch (c.type) {
    case Type::Int:
        b.u8(4);
        b.u32(quint32(qint32(v.toLongLong())));
        return;
    case Type::BigInt:
        b.u8(8);
        b.u64(quint64(v.toLongLong()));
        return;
    case Type::SmallInt:
        b.u8(2);
        b.u16(quint16(qint16(v.toLongLong())));
        return;
    case Type::TinyInt:
        b.u8(1);
        b.u8(quint8(v.toLongLong()));
        return;
    case Type::Bit:
        b.u8(1);
        b.u8(v.toBool() ? 1 : 0);
        return;
    case Type::Decimal:
    case Type::Numeric: {
        Int128 x = 0;
        parseScaled(v.toString(), c.scale, &x);
        writeDecimal(b, x, c.precision);
        return;
    }
    case Type::Float: {
        const double d = v.toDouble();
        b.u8(8);
        b.bytes(&d, 8);
        return;
    }
    case Type::Real: {
        const float f = float(v.toDouble());
        b.u8(4);
        b.bytes(&f, 4);
        return;
    }
    case Type::Money:
    case Type::SmallMoney: {
        Int128 x = 0;
        parseScaled(v.toString(), 4, &x);
        writeMoney(b, x, c.type == Type::SmallMoney);
        return;
    }
    case Type::DateTime:
    case Type::SmallDateTime:
    case Type::DateTime2:
    case Type::Date:
    case Type::Time:
    case Type::DateTimeOffset: {
        qint64 days = 0, ticks = 0;
        int offset = 0;
        if (c.type == Type::Date) {
            days = daysOf(v.toDate());
        } else if (c.type == Type::Time) {
            ticks = qint64(v.toTime().msecsSinceStartOfDay()) * 10000 + extraTicks;
        } else {
            const QDateTime dt = v.toDateTime();
            days = daysOf(dt.date());
            ticks = qint64(dt.time().msecsSinceStartOfDay()) * 10000 + extraTicks;
            offset = dt.timeSpec() == Qt::OffsetFromUTC ? dt.offsetFromUtc() / 60 : 0;
        }
        writeDateTimeParts(b, c, days, ticks, offset);
        return;
    }
    case Type::UniqueIdentifier:
        b.u8(16);
        writeGuid(b, v.toUuid().toRfc4122());
        return;
    case Type::Char:
    case Type::VarChar:
    case Type::Text: {
        const QByteArray bytes = encodeText(v.toString(), c.codePage);
        writeVariable(b, c, bytes.constData(), size_t(bytes.size()));
        return;
    }
    case Type::NChar:
    case Type::NVarChar:
    case Type::NText:
    case Type::Xml: {
        const QString s = v.toString();
        writeVariable(b, c, reinterpret_cast<const char *>(s.utf16()), size_t(s.size()) * 2);
        return;
    }
    case Type::Binary:
    case Type::VarBinary:
    case Type::Image:
    case Type::Timestamp: {
        const QByteArray bytes = v.toByteArray();
        writeVariable(b, c, bytes.constData(), size_t(bytes.size()));
        return;
    }
    case Type::SqlVariant: {
        // Carried as nvarchar: base type, property bytes (max length, collation), the text.
        const QString s = v.toString().left(4000);
        b.u32(quint32(2 + 7 + s.size() * 2));
        b.u8(NVarCharType);
        b.u8(7);
        b.u16(8000);
        writeCollation(b);
        b.utf16(s);
        return;
    }
    }
}

qint64 writeResultRows(const ResultSet &rs, Buffer &tokens, PacketStream &out, const std::function<bool()> &cancelled)
{
    const QList<Column> &cols = rs.columns;
    const int ncol = int(cols.size());
    writeColMetadata(tokens, cols);
    const size_t bitmapBytes = size_t((ncol + 7) / 8);
    constexpr size_t Chunk = 64 * 1024;
    auto pushChunk = [&]() -> bool {
        out.write(tokens);
        if (!out.sendFull())
            return false;
        return !(cancelled && cancelled());
    };

    if (!rs.isGenerated()) {
        for (qint64 r = 0; r < rs.rows.size(); ++r) {
            const QList<QVariant> &row = rs.rows[r];
            bool anyNull = false;
            for (const QVariant &v : row)
                anyNull = anyNull || v.isNull();
            tokens.u8(anyNull ? NbcRowToken : RowToken);
            if (anyNull) {
                char *bitmap = tokens.grow(bitmapBytes);
                std::memset(bitmap, 0, bitmapBytes);
                for (int c = 0; c < ncol; ++c) {
                    if (row[c].isNull())
                        bitmap[c / 8] = char(bitmap[c / 8] | (1 << (c % 8)));
                }
            }
            for (int c = 0; c < ncol; ++c) {
                if (!row[c].isNull())
                    writeValue(tokens, cols[c], row[c], rs.subMilliTicks.value(r * 65536 + c));
            }
            if (tokens.size() >= Chunk && !pushChunk())
                return r + 1;
        }
        return rs.rows.size();
    }

    std::vector<GeneratedColumn> gen;
    gen.reserve(size_t(ncol));
    QByteArray nullBitmap(qsizetype(bitmapBytes), '\0');
    bool anyNull = false;
    for (int c = 0; c < ncol; ++c) {
        gen.push_back(prepare(cols[c], rs.generators[c]));
        if (gen.back().op == GeneratedColumn::Null) {
            nullBitmap[c / 8] = char(nullBitmap[c / 8] | (1 << (c % 8)));
            anyNull = true;
        }
    }
    for (qint64 r = 0; r < rs.generatedRows; ++r) {
        const qint64 n = r + 1;
        tokens.u8(anyNull ? NbcRowToken : RowToken);
        if (anyNull)
            tokens.bytes(nullBitmap);
        for (int c = 0; c < ncol; ++c) {
            const GeneratedColumn &p = gen[size_t(c)];
            const Generator &g = rs.generators[c];
            switch (p.op) {
            case GeneratedColumn::IntN: {
                const qint64 v = g.integerAt(n);
                tokens.u8(quint8(p.bytes));
                tokens.bytes(&v, size_t(p.bytes));
                break;
            }
            case GeneratedColumn::BitN:
                tokens.u8(1);
                tokens.u8(quint8(g.integerAt(n) & 1));
                break;
            case GeneratedColumn::Dec: writeDecimal(tokens, g.integerAt(n), p.precision); break;
            case GeneratedColumn::Flt8: {
                const double d = g.realAt(n);
                tokens.u8(8);
                tokens.bytes(&d, 8);
                break;
            }
            case GeneratedColumn::Flt4: {
                const float f = float(g.realAt(n));
                tokens.u8(4);
                tokens.bytes(&f, 4);
                break;
            }
            case GeneratedColumn::Money8:
            case GeneratedColumn::Money4: writeMoney(tokens, g.integerAt(n), p.op == GeneratedColumn::Money4); break;
            case GeneratedColumn::Text8:
            case GeneratedColumn::Text16:
                writeGeneratedText(tokens, p, p.rowNumber ? n : g.integerAt(n), p.op == GeneratedColumn::Text16);
                break;
            case GeneratedColumn::DateTimeParts: {
                qint64 days = 0, ticks = 0;
                sequenceDateTime(cols[c], g.integerAt(n), &days, &ticks);
                writeDateTimeParts(tokens, cols[c], days, ticks, g.offsetMinutes);
                break;
            }
            case GeneratedColumn::Constant: tokens.bytes(p.constant); break;
            case GeneratedColumn::Null: break;
            case GeneratedColumn::Fallback: writeValue(tokens, cols[c], rs.value(r, c), rs.extraTicks(r, c)); break;
            }
        }
        if (tokens.size() >= Chunk && !pushChunk())
            return r + 1;
    }
    return rs.generatedRows;
}

} // namespace tds
