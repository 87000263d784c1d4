#include "support/rules/tdsrules_p.h"

#include <QRegularExpression>
#include <QUuid>

namespace tdsrules {

namespace {

bool fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

bool isTextType(Type t)
{
    switch (t) {
    case Type::Char:
    case Type::VarChar:
    case Type::Text:
    case Type::NChar:
    case Type::NVarChar:
    case Type::NText:
    case Type::Xml:
    case Type::SqlVariant: return true;
    default: return false;
    }
}

bool isSingleByteText(Type t)
{
    return t == Type::Char || t == Type::VarChar || t == Type::Text;
}

bool isDateType(Type t)
{
    return t == Type::DateTime || t == Type::SmallDateTime || t == Type::DateTime2 || t == Type::Date || t == Type::Time
           || t == Type::DateTimeOffset;
}

// Bytes a text takes in its column (characters for Unicode columns); -1 when
// a character has no place in any code page a column can use.
qsizetype textSize(const QString &s, Type t)
{
    if (!isSingleByteText(t))
        return s.size();
    bool ok = false;
    qsizetype n = encodeText(s, 1252, &ok).size();
    if (!ok)
        n = encodeText(s, 932, &ok).size();
    return ok ? n : -1;
}

QString padded(QString s, const Column &c)
{
    if ((c.type == Type::Char || c.type == Type::NChar) && s.size() < c.length)
        s += QString(c.length - s.size(), QLatin1Char(' '));
    return s;
}

bool integerLiteral(const Literal &l, qint64 *out)
{
    static const QRegularExpression integer(QStringLiteral("^[+-]?\\d+$"));
    if (l.kind != Literal::Number || !integer.match(l.text).hasMatch())
        return false;
    bool ok = false;
    *out = l.text.toLongLong(&ok);
    return ok;
}

} // namespace

void sequenceDateTime(const Column &c, qint64 value, qint64 *days, qint64 *ticks)
{
    if (c.type == Type::Time) {
        *days = 0;
        *ticks = ((value % TicksPerDay) + TicksPerDay) % TicksPerDay;
    } else {
        *days = value / TicksPerDay;
        *ticks = value % TicksPerDay;
    }
    switch (c.type) {
    case Type::Date: *ticks = 0; break;
    case Type::DateTime: {
        const qint64 t300 = *ticks * 3 / 100000;
        const qint64 seconds = t300 / 300;
        *ticks = seconds * TicksPerSecond + qint64(datetimeMsFromTicks(int(t300 % 300))) * 10000;
        break;
    }
    case Type::SmallDateTime: *ticks -= *ticks % (60 * TicksPerSecond); break;
    case Type::DateTime2:
    case Type::Time:
    case Type::DateTimeOffset: {
        qint64 unit = 1;
        for (int i = c.scale; i < 7; ++i)
            unit *= 10;
        *ticks -= *ticks % unit;
        break;
    }
    default: break;
    }
}

QByteArray sequenceBytes(qint64 value, const Column &c)
{
    int length = c.type == Type::UniqueIdentifier ? 16 : c.length;
    if (c.type != Type::Binary && c.type != Type::UniqueIdentifier && (length < 0 || length > 8))
        length = 8;
    QByteArray b(length, '\0');
    for (int i = 0; i < 8 && i < length; ++i)
        b[length - 1 - i] = char(quint64(value) >> (8 * i));
    return b;
}

QVariant ResultSet::value(qint64 row, int column) const
{
    if (!isGenerated())
        return rows.at(row).at(column);
    const Generator &g = generators.at(column);
    const Column &c = columns.at(column);
    const qint64 n = row + 1;
    switch (g.kind) {
    case Generator::Constant: return g.constant;
    case Generator::Template: {
        QString s = g.text;
        s.replace(QLatin1String("{n}"), QString::number(n));
        return padded(s, c);
    }
    case Generator::Sequence: break;
    }
    const qint64 v = g.integerAt(n);
    switch (c.type) {
    case Type::Int:
    case Type::BigInt:
    case Type::SmallInt:
    case Type::TinyInt: return v;
    case Type::Bit: return (v & 1) != 0;
    case Type::Decimal:
    case Type::Numeric: return formatScaled(v, c.scale);
    case Type::Money:
    case Type::SmallMoney: return formatScaled(v, 4);
    case Type::Float: return g.realAt(n);
    case Type::Real: return double(float(g.realAt(n)));
    case Type::UniqueIdentifier: return QUuid::fromRfc4122(sequenceBytes(v, c));
    case Type::Binary:
    case Type::VarBinary:
    case Type::Image:
    case Type::Timestamp: return sequenceBytes(v, c);
    default: break;
    }
    if (isDateType(c.type)) {
        qint64 days = 0, ticks = 0;
        sequenceDateTime(c, v, &days, &ticks);
        return dateTimeValue(c.type, days, ticks, g.offsetMinutes);
    }
    return padded(QString::number(v), c);
}

int ResultSet::extraTicks(qint64 row, int column) const
{
    if (!isGenerated())
        return subMilliTicks.value(row * 65536 + column);
    const Generator &g = generators.at(column);
    const Column &c = columns.at(column);
    if (g.kind == Generator::Constant)
        return g.constantTicks;
    if (g.kind != Generator::Sequence
        || (c.type != Type::DateTime2 && c.type != Type::Time && c.type != Type::DateTimeOffset))
        return 0;
    qint64 days = 0, ticks = 0;
    sequenceDateTime(c, g.integerAt(row + 1), &days, &ticks);
    return int(ticks % 10000);
}

QString stripComment(const QString &text)
{
    QChar quote;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar(); // a doubled quote reopens at once
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
        } else if (c == QLatin1Char('[')) {
            quote = QLatin1Char(']');
        } else if (c == QLatin1Char('#')) {
            return text.left(i).trimmed();
        }
    }
    return text;
}

QStringList splitTopLevel(QStringView text)
{
    QStringList parts;
    int depth = 0;
    QChar quote;
    qsizetype from = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!quote.isNull()) {
            if (c == quote) {
                if (i + 1 < text.size() && text[i + 1] == quote)
                    ++i; // a doubled quote or ]] stays inside
                else
                    quote = QChar();
            }
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"'))
            quote = c;
        else if (c == QLatin1Char('['))
            quote = QLatin1Char(']');
        else if (c == QLatin1Char('('))
            ++depth;
        else if (c == QLatin1Char(')'))
            --depth;
        else if (c == QLatin1Char(',') && depth == 0) {
            parts << text.mid(from, i - from).trimmed().toString();
            from = i + 1;
        }
    }
    parts << text.mid(from).trimmed().toString();
    return parts;
}

bool parseGenerator(const QString &text, const Column &c, qint64 count, Generator *out, QString *error)
{
    static const QRegularExpression seqRe(QStringLiteral("^seq\\s*(?:\\((.*)\\))?$"),
                                          QRegularExpression::CaseInsensitiveOption
                                              | QRegularExpression::DotMatchesEverythingOption);
    const QString t = text.trimmed();
    Generator g;
    const auto m = seqRe.match(t);
    if (!m.hasMatch()) {
        QList<Literal> lits;
        if (!parseLiterals(t, &lits, error))
            return false;
        if (lits.size() != 1)
            return fail(error, QStringLiteral("one value or seq(...) is expected, not '%1'").arg(t));
        const Literal &lit = lits.first();
        if (lit.kind == Literal::Text && lit.text.contains(QLatin1String("{n}")) && isTextType(c.type)) {
            g.kind = Generator::Template;
            g.text = lit.text;
            QString longest = lit.text;
            longest.replace(QLatin1String("{n}"), QString::number(count));
            const qsizetype size = textSize(longest, c.type);
            if (size < 0)
                return fail(error, QStringLiteral("'%1' has a character with no place in a code page").arg(lit.text));
            if (c.length > 0 && size > c.length)
                return fail(error, QStringLiteral("'%1' does not fit column %2 %3 for %4 rows")
                                       .arg(lit.text, c.name, c.sqlType())
                                       .arg(count));
        } else {
            g.kind = Generator::Constant;
            if (!convertLiteral(lit, c, &g.constant, &g.constantTicks, error))
                return false;
        }
        *out = g;
        return true;
    }

    g.kind = Generator::Sequence;
    QList<Literal> args;
    if (!parseLiterals(m.captured(1), &args, error))
        return false;
    if (args.size() > 2)
        return fail(error, QStringLiteral("seq takes a start and a step"));
    const QString where = QStringLiteral("seq of column %1 %2").arg(c.name, c.sqlType());
    auto badArg = [&] { return fail(error, QStringLiteral("bad start or step in %1").arg(where)); };
    auto outOfRange = [&] {
        return fail(error, QStringLiteral("%1 leaves the column's range within %2 rows").arg(where).arg(count));
    };

    switch (c.type) {
    case Type::Float:
    case Type::Real: {
        for (int i = 0; i < args.size(); ++i) {
            if (args[i].kind != Literal::Number)
                return badArg();
            (i == 0 ? g.realStart : g.realStep) = args[i].text.toDouble();
        }
        *out = g;
        return true;
    }
    case Type::Decimal:
    case Type::Numeric:
    case Type::Money:
    case Type::SmallMoney: {
        const int scale = (c.type == Type::Money || c.type == Type::SmallMoney) ? 4 : c.scale;
        Int128 one = 1;
        for (int i = 0; i < scale; ++i)
            one *= 10;
        Int128 vals[2] = {one, one};
        for (int i = 0; i < args.size(); ++i) {
            if (args[i].kind != Literal::Number || !parseScaled(args[i].text, scale, &vals[i]))
                return badArg();
        }
        const Int128 limit = std::numeric_limits<qint64>::max();
        if (vals[0] > limit || vals[0] < -limit || vals[1] > limit || vals[1] < -limit)
            return badArg();
        g.start = qint64(vals[0]);
        g.step = qint64(vals[1]);
        const Int128 last = vals[0] + Int128(count - 1) * vals[1];
        Int128 maxAbs = c.type == Type::Money        ? limit
                        : c.type == Type::SmallMoney ? Int128(std::numeric_limits<qint32>::max())
                                                     : limit;
        if (last > maxAbs || last < -maxAbs)
            return outOfRange();
        if ((c.type == Type::Decimal || c.type == Type::Numeric)
            && (digitCount(last) > c.precision || digitCount(vals[0]) > c.precision))
            return outOfRange();
        *out = g;
        return true;
    }
    default: break;
    }

    if (isDateType(c.type)) {
        DateTimeParts start;
        if (c.type == Type::Time)
            start.hasTime = true;
        else {
            start.hasDate = true;
            start.date = QDate(2000, 1, 1);
        }
        if (!args.isEmpty()) {
            QVariant check;
            int sub = 0;
            if (args[0].kind != Literal::Text || !parseDateTimeText(args[0].text, &start)
                || !convertLiteral(args[0], c, &check, &sub, error))
                return badArg();
        }
        g.offsetMinutes = start.offsetMinutes;
        g.start = (start.hasDate ? daysOf(start.date) * TicksPerDay : 0) + start.ticks;
        Int128 step = c.type == Type::Date ? TicksPerDay : TicksPerSecond;
        if (args.size() > 1) {
            Int128 v = 0;
            if (args[1].kind != Literal::Number || !parseScaled(args[1].text, c.type == Type::Date ? 0 : 7, &v))
                return badArg();
            step = c.type == Type::Date ? v * TicksPerDay : v;
        }
        if (step > std::numeric_limits<qint64>::max() / 2 || step < -std::numeric_limits<qint64>::max() / 2)
            return badArg();
        g.step = qint64(step);
        if (c.type != Type::Time) {
            const Int128 last = Int128(g.start) + Int128(count - 1) * step;
            const qint64 minDays = c.type == Type::DateTime        ? daysOf(QDate(1753, 1, 1))
                                   : c.type == Type::SmallDateTime ? Days1900
                                                                   : 0;
            const qint64 maxDays = daysOf(c.type == Type::SmallDateTime ? QDate(2079, 6, 6) : QDate(9999, 12, 31));
            for (Int128 v : {Int128(g.start), last}) {
                if (v < Int128(minDays) * TicksPerDay || v >= Int128(maxDays + 1) * TicksPerDay)
                    return outOfRange();
            }
        }
        *out = g;
        return true;
    }

    // Integers, bit, text digits, GUID, binary.
    qint64 vals[2] = {1, 1};
    for (int i = 0; i < args.size(); ++i) {
        if (!integerLiteral(args[i], &vals[i]))
            return badArg();
    }
    g.start = vals[0];
    g.step = vals[1];
    const Int128 last = Int128(g.start) + Int128(count - 1) * g.step;
    qint64 lo = 0, hi = 0;
    integerRange(c.type, &lo, &hi);
    if (c.type == Type::UniqueIdentifier)
        lo = 0;
    if (last < lo || last > hi || Int128(g.start) < lo || Int128(g.start) > hi)
        return outOfRange();
    if (isTextType(c.type) && c.length > 0) {
        const int digits = std::max(digitCount(last) + (last < 0 ? 1 : 0), digitCount(g.start) + (g.start < 0 ? 1 : 0));
        if (digits > c.length)
            return outOfRange();
    }
    *out = g;
    return true;
}

} // namespace tdsrules
