#include "controls/rdata_exporttext.h"

#include "core/zksub_text.h"
#include "platform/db/dbquery.h"

namespace {

bool IsBinaryExportType(TFieldType type)
{
    return type == ftBytes || type == ftVarBytes || type == ftBlob || type == ftDBaseOle;
}

bool IsCsvTextType(TFieldType type)
{
    switch (type) {
    case ftString:
    case ftMemo:
    case ftFixedChar:
    case ftWideString:
    case ftGuid:
    case ftFixedWideChar:
    case ftWideMemo: return true;
    default: return false;
    }
}

// The characters of the pattern [,"\s\s　\r\n] where \s is the ASCII white
// space of the regular-expression engine: no-break space and the Unicode
// line separators are not among them.
bool NeedsCsvQuoteChar(QChar c)
{
    switch (c.unicode()) {
    case u',':
    case u'"':
    case u' ':
    case u'\t':
    case u'\n':
    case u'\v':
    case u'\f':
    case u'\r':
    case 0x3000: return true;
    default: return false;
    }
}

QString UpToNul(const QString &text)
{
    const qsizetype nul = text.indexOf(QChar(0));
    return nul < 0 ? text : text.left(nul);
}

} // namespace

TzkExportCell ExportCell(TField *field)
{
    TzkExportCell cell;
    cell.type = field->DataType();
    cell.isNull = field->IsNull();
    if (!cell.isNull)
        cell.text = field->AsString();
    return cell;
}

QString CsvQuoted(const QString &value)
{
    QString v = value;
    v.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + v + QLatin1Char('"');
}

bool CsvNeedsQuotes(const QString &value, TFieldType type, int quoting)
{
    if (quoting == csvQuoteAll)
        return true;
    if (quoting == csvQuoteNeeded)
        return std::any_of(value.begin(), value.end(), NeedsCsvQuoteChar);
    return IsCsvTextType(type);
}

QString CsvHeaderLine(const QStringList &titles, const QString &lineEnd)
{
    QString line;
    for (qsizetype i = 0; i < titles.size(); ++i) {
        if (i > 0)
            line += QLatin1Char(',');
        line += CsvQuoted(titles[i]);
    }
    return line + lineEnd;
}

void AppendCsvRecord(QString &out, const TzkExportRecord &record, int quoting, const QString &lineEnd)
{
    for (qsizetype i = 0; i < record.size(); ++i) {
        if (i > 0)
            out += QLatin1Char(',');
        const TzkExportCell &cell = record[i];
        const QString value = IsBinaryExportType(cell.type) ? QString() : cell.text;
        if (CsvNeedsQuotes(value, cell.type, quoting))
            out += CsvQuoted(value);
        else
            out += value;
    }
    out += lineEnd;
}

QString ClipboardHeaderLine(const QStringList &titles, QChar separator)
{
    return titles.join(separator) + QLatin1String("\r\n");
}

void AppendClipboardRecord(QString &out, const TzkExportRecord &record, QChar separator)
{
    for (qsizetype i = 0; i < record.size(); ++i) {
        if (i > 0)
            out += separator;
        const TzkExportCell &cell = record[i];
        if (IsBinaryExportType(cell.type) || cell.type == ftGuid)
            continue;
        const QString &value = cell.text;
        const bool special = std::any_of(value.begin(), value.end(), [](QChar c) {
            return c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('"');
        });
        if (!special) {
            out += value;
            continue;
        }
        QString v = value;
        v.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        v.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        out += CsvQuoted(v);
    }
    out += QLatin1String("\r\n");
}

QString InsertValueText(const TzkExportCell &cell)
{
    const QString null = QStringLiteral("NULL");
    if (IsBinaryExportType(cell.type) || cell.type == ftGuid || cell.isNull)
        return null;
    const QString t = UpToNul(cell.text);
    switch (cell.type) {
    case ftString:
    case ftDate:
    case ftTime:
    case ftDateTime:
    case ftMemo:
    case ftFmtMemo:
    case ftFixedChar:
    case ftVariant:
    case ftTimeStamp: return QuoteSQLStr(t);
    case ftWideString:
    case ftFixedWideChar:
    case ftWideMemo: return QLatin1Char('N') + QuoteSQLStr(t);
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftAutoInc:
    case ftLargeint:
    case ftFMTBcd:
    case ftLongWord:
    case ftShortint:
    case ftByte:
    case ftExtended:
    case ftSingle: return t.isEmpty() ? null : t;
    case ftBoolean:
        if (t.isEmpty())
            return null;
        return t.toUpper() == QLatin1String("TRUE") ? QStringLiteral("1") : QStringLiteral("0");
    default: return null;
    }
}

QString InsertTableName(const QString &name)
{
    QStringList parts;
    QString part;
    QChar closer;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        part += c;
        if (!closer.isNull()) {
            if (c == closer) {
                // A doubled closer stays inside the name.
                if (i + 1 < name.size() && name[i + 1] == closer)
                    part += name[++i];
                else
                    closer = QChar();
            }
        } else if (c == QLatin1Char('[')) {
            closer = QLatin1Char(']');
        } else if (c == QLatin1Char('"')) {
            closer = QLatin1Char('"');
        } else if (c == QLatin1Char('.')) {
            part.chop(1);
            parts << part;
            part.clear();
        }
    }
    parts << part;
    for (QString &p : parts) {
        const QString t = p.trimmed();
        // A name in double quotes is written bracketed, its quotes undone.
        if (t.size() >= 2 && t.startsWith(QLatin1Char('"')) && t.endsWith(QLatin1Char('"')))
            p = QuoteName(t.mid(1, t.size() - 2).replace(QLatin1String("\"\""), QLatin1String("\"")));
        else
            p = BracketName(t);
    }
    return parts.join(QLatin1Char('.'));
}

QString InsertStatement(const QString &tableName, const QStringList &columns, const TzkExportRecord &record)
{
    QStringList names;
    names.reserve(columns.size());
    for (const QString &c : columns)
        names << BracketCatalogName(c);
    QStringList values;
    values.reserve(record.size());
    for (const TzkExportCell &cell : record)
        values << InsertValueText(cell);
    return QStringLiteral("INSERT INTO ") + tableName + QStringLiteral(" (") + names.join(QStringLiteral(", "))
           + QStringLiteral(") VALUES (") + values.join(QStringLiteral(", ")) + QLatin1Char(')');
}

QString FirstFromName(const QString &sql)
{
    const qsizetype n = sql.size();
    auto isWordChar = [](QChar c) {
        return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('@') || c == QLatin1Char('#');
    };
    qsizetype i = 0;
    while (i < n) {
        const QChar c = sql[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('[') || c == QLatin1Char('"')) {
            const QChar closer = c == QLatin1Char('[') ? QLatin1Char(']') : c;
            ++i;
            while (i < n) {
                if (sql[i] == closer) {
                    if (i + 1 < n && sql[i + 1] == closer) {
                        i += 2;
                        continue;
                    }
                    break;
                }
                ++i;
            }
            ++i;
        } else if (c == QLatin1Char('-') && i + 1 < n && sql[i + 1] == QLatin1Char('-')) {
            while (i < n && sql[i] != QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char('/') && i + 1 < n && sql[i + 1] == QLatin1Char('*')) {
            const qsizetype end = sql.indexOf(QLatin1String("*/"), i + 2);
            i = end < 0 ? n : end + 2;
        } else if (isWordChar(c)) {
            const qsizetype start = i;
            while (i < n && isWordChar(sql[i]))
                ++i;
            if (sql.mid(start, i - start).compare(QLatin1String("from"), Qt::CaseInsensitive) != 0)
                continue;
            while (i < n && sql[i].isSpace())
                ++i;
            // The dotted name: bracketed, quoted or plain parts.
            const qsizetype nameStart = i;
            while (i < n) {
                const QChar d = sql[i];
                if (d == QLatin1Char('[') || d == QLatin1Char('"')) {
                    const QChar closer = d == QLatin1Char('[') ? QLatin1Char(']') : d;
                    ++i;
                    bool closed = false;
                    while (i < n) {
                        if (sql[i] == closer) {
                            if (i + 1 < n && sql[i + 1] == closer) {
                                i += 2;
                                continue;
                            }
                            closed = true;
                            ++i;
                            break;
                        }
                        ++i;
                    }
                    if (!closed)
                        return QString();
                } else if (isWordChar(d) || d == QLatin1Char('$')) {
                    ++i;
                } else if (d == QLatin1Char('.')) {
                    ++i;
                } else {
                    break;
                }
            }
            return sql.mid(nameStart, i - nameStart);
        } else {
            ++i;
        }
    }
    return QString();
}
