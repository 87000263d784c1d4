#include "platform/db/dbsql.h"

namespace {

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$') || c == QLatin1Char('#');
}

// Index just past a literal, quoted name or comment starting at i, or i
// itself when none starts there.
qsizetype skipQuoted(const QString &s, qsizetype i)
{
    const qsizetype n = s.size();
    const QChar c = s.at(i);
    if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('[')) {
        const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : c;
        qsizetype j = i + 1;
        while (j < n) {
            if (s.at(j) == close) {
                if (j + 1 < n && s.at(j + 1) == close) {
                    j += 2; // doubled: part of the text
                    continue;
                }
                return j + 1;
            }
            ++j;
        }
        return n; // unterminated: the rest is inside it
    }
    if (c == QLatin1Char('-') && i + 1 < n && s.at(i + 1) == QLatin1Char('-')) {
        qsizetype j = i + 2;
        while (j < n && s.at(j) != QLatin1Char('\n'))
            ++j;
        return j;
    }
    if (c == QLatin1Char('/') && i + 1 < n && s.at(i + 1) == QLatin1Char('*')) {
        int depth = 1;
        qsizetype j = i + 2;
        while (j < n && depth > 0) {
            if (s.at(j) == QLatin1Char('/') && j + 1 < n && s.at(j + 1) == QLatin1Char('*')) {
                ++depth;
                j += 2;
            } else if (s.at(j) == QLatin1Char('*') && j + 1 < n && s.at(j + 1) == QLatin1Char('/')) {
                --depth;
                j += 2;
            } else {
                ++j;
            }
        }
        return j;
    }
    return i;
}

template<typename OnMarker>
QString scanMarkers(const QString &sql, OnMarker onMarker)
{
    QString out;
    out.reserve(sql.size());
    const qsizetype n = sql.size();
    qsizetype i = 0;
    while (i < n) {
        const qsizetype skipped = skipQuoted(sql, i);
        if (skipped != i) {
            out.append(QStringView(sql).mid(i, skipped - i));
            i = skipped;
            continue;
        }
        const QChar c = sql.at(i);
        if (c == QLatin1Char(':')) {
            if (i + 1 < n && sql.at(i + 1) == QLatin1Char(':')) {
                out.append(QLatin1String("::"));
                i += 2;
                continue;
            }
            qsizetype j = i + 1;
            // "@" may follow inside a name, as in T-SQL names (":a@b").
            while (j < n && (isNameChar(sql.at(j)) || (j > i + 1 && sql.at(j) == QLatin1Char('@'))))
                ++j;
            if (j > i + 1) {
                onMarker(sql.mid(i + 1, j - i - 1));
                out.append(QLatin1Char('?'));
                i = j;
                continue;
            }
        }
        out.append(c);
        ++i;
    }
    return out;
}

qsizetype skipBlanksAndComments(const QString &s, qsizetype i)
{
    const qsizetype n = s.size();
    while (i < n) {
        if (s.at(i).isSpace()) {
            ++i;
            continue;
        }
        const QChar c = s.at(i);
        if ((c == QLatin1Char('-') || c == QLatin1Char('/'))) {
            const qsizetype j = skipQuoted(s, i);
            if (j != i) {
                i = j;
                continue;
            }
        }
        break;
    }
    return i;
}

} // namespace

TDBMarkers ReplaceParamMarkers(const QString &sql)
{
    TDBMarkers m;
    m.text = scanMarkers(sql, [&](const QString &name) { m.names.append(name); });
    return m;
}

QString NumberDriverMarkers(const QString &sql)
{
    QString out;
    out.reserve(sql.size() + 16);
    int n = 0;
    qsizetype i = 0;
    while (i < sql.size()) {
        const qsizetype skipped = skipQuoted(sql, i);
        if (skipped != i) {
            out.append(QStringView(sql).mid(i, skipped - i));
            i = skipped;
            continue;
        }
        if (sql.at(i) == QLatin1Char('?'))
            out.append(QStringLiteral("@P%1").arg(++n));
        else
            out.append(sql.at(i));
        ++i;
    }
    return out;
}

QStringList ParamNames(const QString &sql)
{
    QStringList names;
    scanMarkers(sql, [&](const QString &name) {
        for (const QString &n : std::as_const(names)) {
            if (n.compare(name, Qt::CaseInsensitive) == 0)
                return;
        }
        names.append(name);
    });
    return names;
}

bool SplitLeadingUse(const QString &sql, QString *useBatch, QString *rest)
{
    const qsizetype n = sql.size();
    qsizetype end = 0; // end of the last "use" statement found
    qsizetype i = skipBlanksAndComments(sql, 0);
    for (;;) {
        if (i + 3 >= n || QStringView(sql).mid(i, 3).compare(QLatin1String("use"), Qt::CaseInsensitive) != 0
            || !sql.at(i + 3).isSpace())
            break;
        qsizetype j = i + 3;
        while (j < n && sql.at(j).isSpace())
            ++j;
        if (j >= n)
            break;
        const QChar c = sql.at(j);
        qsizetype k;
        if (c == QLatin1Char('[') || c == QLatin1Char('"')) {
            k = skipQuoted(sql, j);
        } else {
            k = j;
            while (k < n && !sql.at(k).isSpace() && sql.at(k) != QLatin1Char(';'))
                ++k;
        }
        if (k == j)
            break;
        // An optional ";" on the same line ends the statement.
        qsizetype m = k;
        while (m < n && (sql.at(m) == QLatin1Char(' ') || sql.at(m) == QLatin1Char('\t')))
            ++m;
        if (m < n && sql.at(m) == QLatin1Char(';'))
            k = m + 1;
        end = k;
        i = skipBlanksAndComments(sql, k);
    }
    if (end == 0)
        return false;
    *useBatch = sql.left(end);
    *rest = sql.mid(end);
    return true;
}

bool OdbcProcedureCall(const QString &sql, QString *call, QString *procedure)
{
    const qsizetype n = sql.size();
    qsizetype i = skipBlanksAndComments(sql, 0);
    auto word = [&](QLatin1String w) {
        if (i + w.size() > n || QStringView(sql).mid(i, w.size()).compare(w, Qt::CaseInsensitive) != 0)
            return false;
        if (i + w.size() < n && (isNameChar(sql.at(i + w.size())) || sql.at(i + w.size()) == QLatin1Char('@')))
            return false;
        i += w.size();
        return true;
    };
    auto blanks = [&] { i = skipBlanksAndComments(sql, i); };
    if (!word(QLatin1String("execute")) && !word(QLatin1String("exec")))
        return false;
    blanks();
    if (i >= n || sql.at(i) != QLatin1Char('?'))
        return false;
    ++i;
    blanks();
    if (i >= n || sql.at(i) != QLatin1Char('='))
        return false;
    ++i;
    blanks();
    // The name: parts, bracketed, quoted or plain, joined by ".".
    const qsizetype nameStart = i;
    for (;;) {
        if (i >= n)
            return false;
        const QChar c = sql.at(i);
        qsizetype j = i;
        if (c == QLatin1Char('[') || c == QLatin1Char('"')) {
            j = skipQuoted(sql, i);
        } else {
            while (j < n && (isNameChar(sql.at(j)) || (j > i && sql.at(j) == QLatin1Char('@'))))
                ++j;
        }
        if (j == i)
            return false;
        i = j;
        if (i < n && sql.at(i) == QLatin1Char('.')) {
            ++i;
            continue;
        }
        break;
    }
    const QString name = sql.mid(nameStart, i - nameStart);
    int markers = 0;
    blanks();
    while (i < n) {
        if (sql.at(i) != QLatin1Char('?'))
            return false;
        ++i;
        ++markers;
        blanks();
        if (word(QLatin1String("output")) || word(QLatin1String("out")))
            blanks();
        if (i < n && sql.at(i) == QLatin1Char(';')) {
            ++i;
            blanks();
            if (i < n)
                return false;
            break;
        }
        if (i >= n)
            break;
        if (sql.at(i) != QLatin1Char(','))
            return false;
        ++i;
        blanks();
        if (i >= n)
            return false;
    }
    QStringList args;
    for (int k = 0; k < markers; ++k)
        args << QStringLiteral("?");
    *call = QStringLiteral("{? = call ") + name
            + (markers ? QLatin1Char('(') + args.join(QLatin1Char(',')) + QLatin1Char(')') : QString())
            + QLatin1Char('}');
    if (procedure)
        *procedure = name;
    return true;
}
