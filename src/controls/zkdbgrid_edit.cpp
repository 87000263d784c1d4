#include "controls/zkdbgrid_edit.h"

#include "core/zksub_text.h"
#include "platform/db/dbconnection.h"
#include "platform/db/dbedit.h"
#include "sqleditor/zksub_parse.h"

#include <QHash>
#include <QMap>
#include <QRegularExpression>
#include <QSet>

// --- Columns and table -------------------------------------------------------------

bool TDBEditColumn::Comparable() const
{
    static const QSet<QString> never{QStringLiteral("text"),        QStringLiteral("ntext"),
                                     QStringLiteral("image"),       QStringLiteral("xml"),
                                     QStringLiteral("float"),       QStringLiteral("real"),
                                     QStringLiteral("sql_variant"), QStringLiteral("geography"),
                                     QStringLiteral("geometry"),    QStringLiteral("hierarchyid")};
    return type.size >= 0 && !never.contains(type.typeName);
}

int TDBEditTable::ColumnOfField(int field) const
{
    for (qsizetype i = 0; i < columns.size(); ++i) {
        if (columns.at(i).field == field)
            return int(i);
    }
    return -1;
}

// --- Statements ----------------------------------------------------------------------

namespace {

QString quoted(const QString &name)
{
    return BracketName(name, true);
}

// The type a returned value is declared with in the table variable: a
// rowversion cannot be written into one.
QString declaredType(const TDBEditColumn &c)
{
    return c.rowversion ? QStringLiteral("binary(8)") : c.type.sqlTypeText();
}

// "?" or "CAST(? AS type)", with the parameter added.
QString marker(const TDBEditColumn &c, const TDBResultSet &store, TRecordId record, QList<TDBParamValue> *params)
{
    params->append(CellParamValue(store, c.field, record));
    return ParamNeedsCast(c.type) ? QStringLiteral("CAST(? AS %1)").arg(c.type.sqlTypeText()) : QStringLiteral("?");
}

QString whereClause(const TDBEditTable &table, const TDBResultSet &store, TRecordId record,
                    QList<TDBParamValue> *params)
{
    QStringList terms;
    for (int i : table.where) {
        const TDBEditColumn &c = table.columns.at(i);
        if (store.IsNull(c.field, record))
            terms << quoted(c.name) + QLatin1String(" IS NULL");
        else
            terms << quoted(c.name) + QLatin1String(" = ") + marker(c, store, record, params);
    }
    return terms.join(QLatin1String(" AND "));
}

QList<int> returnedColumns(const TDBEditTable &table)
{
    QList<int> list;
    for (qsizetype i = 0; i < table.columns.size(); ++i) {
        if (table.columns.at(i).field >= 0)
            list << int(i);
    }
    return list;
}

// The statement inside its own transaction (or a savepoint in one already
// open), undone when it touched more than one row; the row count first,
// then the returned values.
QString wrap(const TDBEditTable &table, const QString &statement, const QList<int> &returned)
{
    QString sql = QStringLiteral("DECLARE @zk_rows int = 0, @zk_tran int = @@TRANCOUNT;\n");
    QStringList declared, selected;
    for (int i : returned) {
        const TDBEditColumn &c = table.columns.at(i);
        declared << quoted(c.name) + QLatin1Char(' ') + declaredType(c) + QLatin1String(" NULL");
        selected << quoted(c.name);
    }
    if (!returned.isEmpty())
        sql += QStringLiteral("DECLARE @zk_out TABLE (%1);\n").arg(declared.join(QLatin1String(", ")));
    sql +=
        QStringLiteral(
            "IF @zk_tran = 0 BEGIN TRANSACTION ELSE SAVE TRANSACTION zk_row;\n"
            "BEGIN TRY\n"
            "%1;\n"
            "SET @zk_rows = @@ROWCOUNT;\n"
            "END TRY\n"
            "BEGIN CATCH\n"
            "IF @zk_tran = 0 AND @@TRANCOUNT > 0 ROLLBACK TRANSACTION ELSE IF XACT_STATE() = 1 ROLLBACK TRANSACTION zk_row;\n"
            "THROW;\n"
            "END CATCH;\n"
            "IF @zk_rows > 1 BEGIN IF @zk_tran = 0 ROLLBACK TRANSACTION ELSE ROLLBACK TRANSACTION zk_row END\n"
            "ELSE IF @zk_tran = 0 COMMIT TRANSACTION;\n"
            "SELECT @zk_rows AS zk_rows;")
            .arg(statement);
    if (!returned.isEmpty())
        sql += QStringLiteral("\nSELECT %1 FROM @zk_out WHERE @zk_rows = 1;").arg(selected.join(QLatin1String(", ")));
    return sql;
}

QString outputClause(const TDBEditTable &table, const QList<int> &returned)
{
    QStringList list;
    for (int i : returned)
        list << QLatin1String("inserted.") + quoted(table.columns.at(i).name);
    return QStringLiteral(" OUTPUT %1 INTO @zk_out").arg(list.join(QLatin1String(", ")));
}

// Table columns written from these result columns, once each, in order.
QList<int> writtenColumns(const TDBEditTable &table, const QList<int> &changed)
{
    QList<int> list;
    for (int f : changed) {
        const int i = table.ColumnOfField(f);
        if (i >= 0 && table.columns.at(i).Writable() && !list.contains(i))
            list << i;
    }
    return list;
}

} // namespace

TDBEditStatement BuildInsertStatement(const TDBEditTable &table, const TDBResultSet &store, TRecordId record,
                                      const QList<int> &changed)
{
    TDBEditStatement s;
    s.returned = returnedColumns(table);
    const QList<int> written = writtenColumns(table, changed);
    QString statement = QStringLiteral("INSERT INTO ") + table.name;
    if (written.isEmpty()) {
        statement += outputClause(table, s.returned) + QLatin1String(" DEFAULT VALUES");
    } else {
        QStringList names, values;
        for (int i : written) {
            names << quoted(table.columns.at(i).name);
            values << marker(table.columns.at(i), store, record, &s.params);
        }
        statement += QStringLiteral(" (%1)").arg(names.join(QLatin1String(", "))) + outputClause(table, s.returned)
                     + QStringLiteral(" VALUES (%1)").arg(values.join(QLatin1String(", ")));
    }
    s.sql = wrap(table, statement, s.returned);
    return s;
}

TDBEditStatement BuildUpdateStatement(const TDBEditTable &table, const TDBResultSet &store, TRecordId record,
                                      const QList<int> &changed, const TDBResultSet *before)
{
    TDBEditStatement s;
    s.returned = returnedColumns(table);
    QStringList sets;
    for (int i : writtenColumns(table, changed))
        sets << quoted(table.columns.at(i).name) + QLatin1String(" = ")
                    + marker(table.columns.at(i), store, record, &s.params);
    const QString where =
        before ? whereClause(table, *before, 0, &s.params) : whereClause(table, store, record, &s.params);
    const QString statement = QStringLiteral("UPDATE %1 SET %2").arg(table.name, sets.join(QLatin1String(", ")))
                              + outputClause(table, s.returned) + QLatin1String(" WHERE ") + where;
    s.sql = wrap(table, statement, s.returned);
    return s;
}

TDBEditStatement BuildDeleteStatement(const TDBEditTable &table, const TDBResultSet &store, TRecordId record)
{
    TDBEditStatement s;
    const QString statement =
        QStringLiteral("DELETE FROM %1 WHERE ").arg(table.name) + whereClause(table, store, record, &s.params);
    s.sql = wrap(table, statement, {});
    return s;
}

TDBBatch RunEditStatement(TFDConnection &connection, const TDBEditStatement &statement)
{
    TDBBatch batch = connection.Execute({statement.sql, statement.params, true});
    qint64 rows = -1;
    if (!batch.results.empty() && batch.results.front()->RecordCount() > 0)
        rows = batch.results.front()->AsInt64(0, 0);
    if (rows == 0)
        throw EDBError(
            TDBErrorKind::Server,
            QStringLiteral("対象の行が見つかりません。ほかのユーザーが変更または削除した可能性があります。"));
    if (rows != 1)
        throw EDBError(TDBErrorKind::Server, QStringLiteral("対象の行が %1 行あるため、変更を取り消しました。")
                                                 .arg(rows < 0 ? QStringLiteral("?") : QString::number(rows)));
    return batch;
}

// --- Catalogue ---------------------------------------------------------------------

QString EditTableCatalogSql(bool tempdb)
{
    const QString db = tempdb ? QStringLiteral("tempdb.") : QString();
    return QStringLiteral(
               "DECLARE @zk_id int = OBJECT_ID(?);\n"
               "SELECT o.type, SCHEMA_NAME(o.schema_id) AS schema_name, o.name FROM %1sys.objects o WHERE o.object_id = @zk_id;\n"
               "SELECT c.name, TYPE_NAME(c.system_type_id) AS type_name, c.max_length, c.precision, c.scale, c.is_identity, c.is_computed\n"
               "FROM %1sys.columns c WHERE c.object_id = @zk_id ORDER BY c.column_id;\n"
               "SELECT i.index_id, i.is_primary_key, c.name\n"
               "FROM %1sys.indexes i\n"
               "JOIN %1sys.index_columns ic ON ic.object_id = i.object_id AND ic.index_id = i.index_id\n"
               "JOIN %1sys.columns c ON c.object_id = ic.object_id AND c.column_id = ic.column_id\n"
               "WHERE i.object_id = @zk_id AND i.is_unique = 1 AND i.is_disabled = 0 AND i.has_filter = 0 AND ic.is_included_column = 0\n"
               "ORDER BY i.is_primary_key DESC, i.index_id, ic.key_ordinal;")
        .arg(db);
}

namespace {

QString cellText(const TDBResultSet &r, int column, qint64 position)
{
    return r.Value(column, r.RecordId(position)).toString();
}

} // namespace

std::shared_ptr<TDBEditTable> LoadEditTable(TFDConnection &connection, const QString &objectName,
                                            const TDBResultSet &result, const QStringList &unmapped)
{
    const bool temp = UnbracketName(objectName.trimmed()).startsWith(QLatin1Char('#'));
    const QString lookup = temp ? QStringLiteral("tempdb..") + objectName.trimmed() : objectName.trimmed();
    TDBBatch batch = connection.Execute({EditTableCatalogSql(temp), {{lookup, ftWideString}}, true}, true);
    if (batch.results.size() < 3)
        return nullptr;
    const TDBResultSet &object = *batch.results[0];
    const TDBResultSet &columns = *batch.results[1];
    const TDBResultSet &keys = *batch.results[2];
    if (object.RecordCount() != 1)
        return nullptr;
    const QString type = cellText(object, 0, 0).trimmed().toUpper();
    if (type != QLatin1String("U") && type != QLatin1String("V"))
        return nullptr;
    auto table = std::make_shared<TDBEditTable>();
    table->name = temp ? quoted(cellText(object, 2, 0))
                       : quoted(cellText(object, 1, 0)) + QLatin1Char('.') + quoted(cellText(object, 2, 0));
    for (qint64 r = 0; r < columns.RecordCount(); ++r) {
        const TRecordId id = columns.RecordId(r);
        TDBEditColumn c;
        c.name = columns.Value(0, id).toString();
        const QString typeName = columns.Value(1, id).toString().toLower();
        int size = int(columns.AsInt64(2, id));
        if (size > 0 && (typeName == QLatin1String("nvarchar") || typeName == QLatin1String("nchar")))
            size /= 2;
        c.type = DescribeColumn(c.name, typeName, size, int(columns.AsInt64(3, id)), int(columns.AsInt64(4, id)));
        c.identity = columns.AsBool(5, id);
        c.computed = columns.AsBool(6, id);
        c.rowversion = typeName == QLatin1String("timestamp");
        table->columns << c;
    }
    // Result columns map by name; an alias of something else never does.
    QSet<QString> blocked;
    for (const QString &u : unmapped)
        blocked << u.toLower();
    bool anyWritable = false;
    for (int f = 0; f < result.ColumnCount(); ++f) {
        const QString name = result.Column(f).name;
        if (blocked.contains(name.toLower()))
            continue;
        for (TDBEditColumn &c : table->columns) {
            if (c.field < 0 && c.name.compare(name, Qt::CaseInsensitive) == 0) {
                c.field = f;
                anyWritable |= c.Writable();
                break;
            }
        }
    }
    if (!anyWritable)
        return nullptr;
    // The primary key, else the first unique index wholly in the result.
    QMap<qint64, QList<int>> indexes;
    QList<qint64> order;
    for (qint64 r = 0; r < keys.RecordCount(); ++r) {
        const TRecordId id = keys.RecordId(r);
        const qint64 index = keys.AsInt64(0, id);
        if (!order.contains(index))
            order << index;
        const QString name = keys.Value(2, id).toString();
        int column = -1;
        for (qsizetype i = 0; i < table->columns.size(); ++i) {
            if (table->columns.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
                column = int(i);
        }
        indexes[index] << column;
    }
    for (qint64 index : std::as_const(order)) {
        const QList<int> &cols = indexes[index];
        const bool inResult =
            std::all_of(cols.begin(), cols.end(), [&](int c) { return c >= 0 && table->columns.at(c).field >= 0; });
        if (inResult) {
            table->where = cols;
            table->unique = true;
            break;
        }
    }
    if (table->where.isEmpty()) {
        for (qsizetype i = 0; i < table->columns.size(); ++i) {
            if (table->columns.at(i).field >= 0 && table->columns.at(i).Comparable())
                table->where << int(i);
        }
    }
    if (table->where.isEmpty())
        return nullptr;
    return table;
}

// --- The writer ----------------------------------------------------------------------

namespace {

// The values the server keeps, into the record.
void takeReturned(TDBResultSet &store, TRecordId record, const TDBEditTable &table, const TDBEditStatement &s,
                  const TDBBatch &batch)
{
    if (batch.results.size() < 2 || s.returned.isEmpty())
        return;
    const TDBResultSet &values = *batch.results[1];
    if (values.RecordCount() < 1)
        return;
    const TRecordId row = values.RecordId(0);
    for (int c = 0; c < s.returned.size() && c < values.ColumnCount(); ++c) {
        const TDBEditColumn &column = table.columns.at(s.returned.at(c));
        store.SetValue(column.field, record, values.Value(c, row));
    }
}

} // namespace

void InstallRecordWriter(TFDQuery &query, std::shared_ptr<TDBEditTable> table)
{
    for (int i = 0; i < query.FieldCount(); ++i) {
        TField *f = query.Fields(i);
        const int c = table->ColumnOfField(f->FieldNo() - 1);
        if (c < 0 || !table->columns.at(c).Writable())
            f->SetReadOnly(true);
    }
    query.SetPostHandler([table](TFDQuery *q, const TFDQuery::TPostRequest &request) {
        TFDConnection *con = q->Connection();
        if (!con)
            throw EDBError(TDBErrorKind::Usage, QStringLiteral("クエリにデータベース接続が設定されていません。"));
        TDBResultSet &store = *q->Result();
        const TDBEditStatement s =
            request.inserting
                ? BuildInsertStatement(*table, store, request.record, request.changedColumns)
                : BuildUpdateStatement(*table, store, request.record, request.changedColumns, request.before);
        const TDBBatch batch = RunEditStatement(*con, s);
        takeReturned(store, request.record, *table, s, batch);
    });
    query.SetDeleteHandler([table](TFDQuery *q, TRecordId record) {
        TFDConnection *con = q->Connection();
        if (!con)
            throw EDBError(TDBErrorKind::Usage, QStringLiteral("クエリにデータベース接続が設定されていません。"));
        RunEditStatement(*con, BuildDeleteStatement(*table, *q->Result(), record));
    });
}

// --- Which results are editable ------------------------------------------------------

namespace {

// Words outside literals, quoted names and comments, upper-cased, each with
// whether "(" follows it.
struct Word
{
    QString text;
    bool call = false;
};

// Past a quoted literal or name whose opening character stands at i
// (a doubled closing character stays inside).
qsizetype pastQuoted(const QString &sql, qsizetype i, QChar close)
{
    const qsizetype n = sql.size();
    for (++i; i < n; ++i) {
        if (sql.at(i) == close) {
            if (i + 1 < n && sql.at(i + 1) == close) {
                ++i;
                continue;
            }
            break;
        }
    }
    return i + 1;
}

// Past a comment starting at i; i itself when none starts there.
qsizetype pastComment(const QString &sql, qsizetype i)
{
    const qsizetype n = sql.size();
    if (sql.at(i) == QLatin1Char('-') && i + 1 < n && sql.at(i + 1) == QLatin1Char('-')) {
        while (i < n && sql.at(i) != QLatin1Char('\n'))
            ++i;
    } else if (sql.at(i) == QLatin1Char('/') && i + 1 < n && sql.at(i + 1) == QLatin1Char('*')) {
        const qsizetype end = sql.indexOf(QLatin1String("*/"), i + 2);
        i = end < 0 ? n : end + 2;
    }
    return i;
}

QChar closingOf(QChar open)
{
    return open == QLatin1Char('[') ? QLatin1Char(']') : open;
}

bool opensQuote(QChar c)
{
    return c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('[');
}

QList<Word> wordsOf(const QString &sql)
{
    QList<Word> words;
    const qsizetype n = sql.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = sql.at(i);
        if (opensQuote(c)) {
            i = pastQuoted(sql, i, closingOf(c));
        } else if (const qsizetype past = pastComment(sql, i); past != i) {
            i = past;
        } else if (c.isLetter() || c == QLatin1Char('_') || c == QLatin1Char('#') || c == QLatin1Char('@')) {
            const qsizetype start = i;
            while (i < n
                   && (sql.at(i).isLetterOrNumber() || sql.at(i) == QLatin1Char('_') || sql.at(i) == QLatin1Char('#')
                       || sql.at(i) == QLatin1Char('@') || sql.at(i) == QLatin1Char('$')))
                ++i;
            Word w{sql.mid(start, i - start).toUpper()};
            qsizetype j = i;
            while (j < n && sql.at(j).isSpace())
                ++j;
            w.call = j < n && sql.at(j) == QLatin1Char('(');
            words << w;
        } else if (c == QLatin1Char(';')) {
            words << Word{QStringLiteral(";")};
            ++i;
        } else {
            ++i;
        }
    }
    return words;
}

// Name parts of "a.b.c" with brackets and quotes respected, unbracketed.
QStringList nameParts(const QString &name)
{
    QStringList parts;
    QString part;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (c == QLatin1Char('[') || c == QLatin1Char('"')) {
            const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : c;
            for (++i; i < name.size(); ++i) {
                if (name.at(i) == close) {
                    if (i + 1 < name.size() && name.at(i + 1) == close) {
                        part += close;
                        ++i;
                        continue;
                    }
                    break;
                }
                part += name.at(i);
            }
        } else if (c == QLatin1Char('.')) {
            parts << part;
            part.clear();
        } else if (!c.isSpace()) {
            part += c;
        }
    }
    parts << part;
    return parts;
}

// The object name after the statement's own FROM (not one inside
// parentheses), brackets and quotes kept as written; empty when none.
QString objectAfterFrom(const QString &sql)
{
    const qsizetype n = sql.size();
    int depth = 0;
    qsizetype i = 0;
    while (i < n) {
        const QChar c = sql.at(i);
        if (opensQuote(c)) {
            i = pastQuoted(sql, i, closingOf(c));
        } else if (const qsizetype past = pastComment(sql, i); past != i) {
            i = past;
        } else if (c == QLatin1Char('(')) {
            ++depth;
            ++i;
        } else if (c == QLatin1Char(')')) {
            --depth;
            ++i;
        } else if (c.isLetter() || c == QLatin1Char('_')) {
            const qsizetype start = i;
            while (i < n && (sql.at(i).isLetterOrNumber() || sql.at(i) == QLatin1Char('_')))
                ++i;
            if (depth != 0 || sql.mid(start, i - start).compare(QLatin1String("FROM"), Qt::CaseInsensitive) != 0)
                continue;
            while (i < n && sql.at(i).isSpace())
                ++i;
            // name parts joined by dots
            const qsizetype nameStart = i;
            for (;;) {
                if (i < n && (sql.at(i) == QLatin1Char('[') || sql.at(i) == QLatin1Char('"'))) {
                    i = pastQuoted(sql, i, closingOf(sql.at(i)));
                } else {
                    while (i < n && (sql.at(i).isLetterOrNumber() || QStringLiteral("_#@$").contains(sql.at(i))))
                        ++i;
                }
                if (i < n && sql.at(i) == QLatin1Char('.')) {
                    ++i;
                    continue;
                }
                break;
            }
            return sql.mid(nameStart, qMin(i, n) - nameStart).trimmed();
        } else {
            ++i;
        }
    }
    return {};
}

bool isIdentifierChain(const QString &text)
{
    static const QRegularExpression re(
        QStringLiteral(
            "^\\s*((\\[([^\\]]|\\]\\])*\\]|\"[^\"]*\"|[\\w#@$]+)\\s*\\.\\s*){0,3}(\\[([^\\]]|\\]\\])*\\]|\"[^\"]*\"|[\\w#@$]+)\\s*$"),
        QRegularExpression::UseUnicodePropertiesOption);
    return re.match(text).hasMatch();
}

} // namespace

QString EditableSelectObject(const QString &sql, QStringList *unmapped)
{
    const QList<Word> words = wordsOf(sql);
    if (words.isEmpty() || words.first().text != QLatin1String("SELECT"))
        return {};
    static const QSet<QString> refused{
        QStringLiteral("JOIN"),         QStringLiteral("UNION"),      QStringLiteral("EXCEPT"),
        QStringLiteral("INTERSECT"),    QStringLiteral("DISTINCT"),   QStringLiteral("GROUP"),
        QStringLiteral("HAVING"),       QStringLiteral("INTO"),       QStringLiteral("APPLY"),
        QStringLiteral("PIVOT"),        QStringLiteral("UNPIVOT"),    QStringLiteral("COMPUTE"),
        QStringLiteral("FOR"),          QStringLiteral("EXEC"),       QStringLiteral("EXECUTE"),
        QStringLiteral("OPENQUERY"),    QStringLiteral("OPENROWSET"), QStringLiteral("CONTAINSTABLE"),
        QStringLiteral("FREETEXTTABLE")};
    static const QSet<QString> aggregates{QStringLiteral("COUNT"),        QStringLiteral("COUNT_BIG"),
                                          QStringLiteral("SUM"),          QStringLiteral("AVG"),
                                          QStringLiteral("MIN"),          QStringLiteral("MAX"),
                                          QStringLiteral("STDEV"),        QStringLiteral("STDEVP"),
                                          QStringLiteral("VAR"),          QStringLiteral("VARP"),
                                          QStringLiteral("STRING_AGG"),   QStringLiteral("GROUPING"),
                                          QStringLiteral("CHECKSUM_AGG"), QStringLiteral("APPROX_COUNT_DISTINCT")};
    int selects = 0;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const Word &w = words.at(i);
        if (refused.contains(w.text) || (w.call && aggregates.contains(w.text)))
            return {};
        if (w.text == QLatin1String("SELECT"))
            ++selects;
        // Anything after a statement's end is a second statement.
        if (w.text == QLatin1String(";") && i + 1 < words.size())
            return {};
    }
    if (selects != 1)
        return {};
    TzkParseList columns, tables, orderItems;
    QStringList where, group, having;
    QString view;
    try {
        if (ParseSqlTables(sql, columns, tables, orderItems, where, group, having, QStringLiteral("-"), view)
            != sqltSelect)
            return {};
    } catch (const ESQLParseError &) {
        return {};
    }
    if (tables.Count() != 1 || !group.isEmpty() || !having.isEmpty())
        return {};
    // The parser splits bracketed names at blanks: the name is read again here.
    const QString object = objectAfterFrom(sql);
    if (tables.ObjectName(0).trimmed().startsWith(QLatin1Char('(')) || object.isEmpty()
        || object.startsWith(QLatin1Char('@')) || !isIdentifierChain(object))
        return {};
    // Another database (or server) is never edited from here.
    if (nameParts(object).size() > 2)
        return {};
    if (unmapped) {
        for (int i = 0; i < columns.Count(); ++i) {
            QString expression = columns.ObjectName(i).trimmed();
            if (expression.endsWith(QLatin1String(" AS"), Qt::CaseInsensitive))
                expression = expression.left(expression.size() - 3).trimmed();
            const QString alias = nameParts(columns.Alias(i).trimmed()).join(QLatin1Char('.'));
            if (alias.isEmpty())
                continue;
            const QString column = isIdentifierChain(expression) ? nameParts(expression).constLast() : QString();
            if (column.compare(alias, Qt::CaseInsensitive) != 0)
                *unmapped << alias;
        }
    }
    return object;
}

bool PrepareResultEditing(TFDQuery &query)
{
    TDBResultSet *result = query.Result();
    TFDConnection *connection = query.Connection();
    if (!query.Active() || !result || !connection || query.ReadOnly() || result->ColumnCount() == 0)
        return false;
    QStringList unmapped;
    const QString object = EditableSelectObject(query.SQL(), &unmapped);
    if (object.isEmpty())
        return false;
    std::shared_ptr<TDBEditTable> table;
    try {
        table = LoadEditTable(*connection, object, *result, unmapped);
    } catch (const EDBError &) {
        // In doubt the result stays read-only.
        return false;
    }
    if (!table)
        return false;
    InstallRecordWriter(query, table);
    return true;
}
