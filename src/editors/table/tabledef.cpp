#include "editors/table/tabledef.h"

#include "connection/fobject.h"
#include "platform/db/dbquery.h"
#include "platform/rtl/exceptions.h"

namespace {

// Catalogue names inside object_id(), IDENT_SEED() and IDENT_INCR() are
// joined from quoted parts, so a schema or table whose name holds "." or
// begins with "[" is still found.
QString QuotedPair(const QString &schema, const QString &name)
{
    return QStringLiteral("quotename(") + schema + QStringLiteral(") + '.' + quotename(") + name + QLatin1Char(')');
}

const QString kObjectIdParams = QStringLiteral("object_id(") + QuotedPair(":OWNER", ":TABLENAME") + QLatin1Char(')');

QString TableSQL(const QString &use, bool v9, const QString &tableName)
{
    const QString owner = v9 ? QStringLiteral("schema_name(a.uid)") : QStringLiteral("user_name(a.uid)");
    const QString props =
        v9 ? QStringLiteral(" left outer join sys.extended_properties as b on b.name = N'MS_Description' and "
                            "b.major_id = a.id and b.minor_id = 0")
           : QStringLiteral(" left outer join sysproperties as b on b.name = N'MS_Description' and b.id = a.id and "
                            "b.smallid = 0");
    QString sql = use;
    sql += v9 ? QStringLiteral("select a.id, cast(b.value as nvarchar(Max)) as comment, ")
              : QStringLiteral("select a.id, cast(b.value as nvarchar(4000)) as comment, ");
    sql += QStringLiteral(" IDENT_SEED(quotename(") + owner + QStringLiteral(")  + '.' + quotename(a.name)) AS seed, ")
           + QStringLiteral(" IDENT_INCR(quotename(") + owner + QStringLiteral(")  + '.' + quotename(a.name)) AS inc ")
           + QStringLiteral(" from sysobjects as a") + props + QStringLiteral(" where ") + owner
           + QStringLiteral(" = :OWNER collate database_default") + QStringLiteral(" and a.xtype in (N'U', N'S')");
    if (tableName.startsWith(QLatin1Char('#')))
        sql += QStringLiteral(" and a.name like :NAME + N'%'");
    else
        sql += QStringLiteral(" and a.name = :NAME");
    return sql;
}

QString ColumnSQL9(const QString &use, bool v13)
{
    const QString colsId = QStringLiteral("OBJECT_ID(") + QuotedPair("cols.TABLE_SCHEMA", "cols.TABLE_NAME") + ")";
    const QString m1 = v13 ? QStringLiteral(" ,maskcol.masking_function ") : QString();
    const QString m2 = v13 ? QStringLiteral(" left outer join sys.masked_columns maskcol on col.id = maskcol.object_id "
                                            "and col.colid = maskcol.column_id ")
                           : QString();
    return use
           + QStringLiteral(
               "select cols.COLUMN_NAME, cols.DATA_TYPE, cols.CHARACTER_OCTET_LENGTH, cols.NUMERIC_PRECISION, "
               "cols.NUMERIC_SCALE, cols.CHARACTER_MAXIMUM_LENGTH, CASE cols.IS_NULLABLE WHEN N'YES' THEN N'Y' ELSE "
               "N'N' END AS IS_NULLABLE, cols.COLUMN_DEFAULT ,cast(prop.value as nvarchar(max)) as comment  "
               ",COLUMNPROPERTY(col.id, col.name, N'IsIdentity') as isIdentity  ,case when pk.COLUMN_NAME is not "
               "null then N'Y' else N'N' end as isPrimary  ,scol.scale  ,col.collation ")
           + m1 + QStringLiteral(" from INFORMATION_SCHEMA.COLUMNS cols")
           + QStringLiteral(" inner join syscolumns col on ") + colsId + QStringLiteral(" = col.id and COLUMNPROPERTY(")
           + colsId + QStringLiteral(", cols.COLUMN_NAME, N'ColumnID') = col.colid")
           + QStringLiteral(" left outer join sys.extended_properties prop on prop.name = N'MS_Description' and "
                            "prop.major_id = col.id and prop.minor_id = col.colid and prop.class = 1")
           + QStringLiteral(" left outer join ( ")
           + QStringLiteral(" select pkey.TABLE_SCHEMA, pkey.TABLE_NAME, pkey.COLUMN_NAME ")
           + QStringLiteral(" from INFORMATION_SCHEMA.KEY_COLUMN_USAGE pkey ")
           + QStringLiteral(" inner join sys.all_objects obj ") + QStringLiteral(" on pkey.CONSTRAINT_NAME = obj.name ")
           + QStringLiteral(" and obj.schema_id = schema_id(pkey.TABLE_SCHEMA) ")
           + QStringLiteral(" and obj.parent_object_id = object_id(")
           + QuotedPair("pkey.TABLE_SCHEMA", "pkey.TABLE_NAME") + QStringLiteral(") ")
           + QStringLiteral(" and obj.type = N'PK' ") + QStringLiteral(" ) pk ")
           + QStringLiteral(" on cols.COLUMN_NAME = pk.COLUMN_NAME and col.id = OBJECT_ID(")
           + QuotedPair("pk.TABLE_SCHEMA", "pk.TABLE_NAME") + QStringLiteral(")")
           + QStringLiteral(" inner join sys.columns scol ")
           + QStringLiteral(" on col.id = scol.object_id and col.colid = scol.column_id ") + m2
           + QStringLiteral(" where col.id = :id") + QStringLiteral(" order by col.id, col.colid");
}

// The old system tables; no scale column.
QString ColumnSQL8(const QString &use)
{
    const QString prec = QStringLiteral("OdbcPrec(col.xtype, col.length, col.xprec)");
    return use
           + QStringLiteral("select col.name      as COLUMN_NAME ,spt_dtp.LOCAL_TYPE_NAME  as DATA_TYPE ,convert(int, "
                            "spt_dtp.charbin + case when spt_dtp.LOCAL_TYPE_NAME in (N'nchar', N'nvarchar', N'ntext') "
                            "then 2 * ")
           + prec + QStringLiteral(" else ") + prec
           + QStringLiteral(" end) as CHARACTER_OCTET_LENGTH ,nullif(col.xprec, 0) as NUMERIC_PRECISION ,col.scale as "
                            "NUMERIC_SCALE ,convert(int, ")
           + prec
           + QStringLiteral(
               " + spt_dtp.charbin) as CHARACTER_MAXIMUM_LENGTH ,case col.isnullable when 1 then N'Y' else N'N' end "
               "as IS_NULLABLE ,com.text as COLUMN_DEFAULT ,cast(prop.value as nvarchar(4000)) as comment "
               ",COLUMNPROPERTY(col.id, col.name, N'IsIdentity') as isIdentity ,case when pk.COLUMN_NAME is not null "
               "then N'Y' else N'N' end as isPrimary ,col.collation "
               "FROM sysobjects obj, master.dbo.spt_datatype_info spt_dtp, systypes typ, syscolumns col left outer "
               "join syscomments com on col.cdefault = com.id AND com.colid = 1 left outer join sysproperties prop on "
               "prop.name = N'MS_Description' and prop.id = col.id and prop.smallid = col.colid left outer join ("
               " select kcu.COLUMN_NAME, pko.parent_obj from INFORMATION_SCHEMA.KEY_COLUMN_USAGE kcu inner join "
               "sysobjects pko on pko.name = kcu.CONSTRAINT_NAME and pko.xtype = N'PK' inner join sysconstraints "
               "pkc on pkc.constid = pko.id ) pk on pk.COLUMN_NAME = col.name and pk.parent_obj = col.id, "
               "master.dbo.syscharsets  a_cha "
               "WHERE obj.id = :id AND permissions(obj.id, col.name) != 0 AND obj.id = col.id AND typ.xtype = "
               "spt_dtp.ss_dtype AND (spt_dtp.ODBCVer is null or spt_dtp.ODBCVer = 2) AND obj.xtype in (N'U', N'S', "
               "N'V') AND col.xusertype = typ.xusertype AND (spt_dtp.AUTO_INCREMENT is null or "
               "spt_dtp.AUTO_INCREMENT = 0) AND a_cha.id = isnull(convert(tinyint, CollationPropertyFromID("
               "col.collationid, 'sqlcharsetid')), convert(tinyint, ServerProperty('sqlcharset'))) "
               "ORDER BY col.id, col.colid");
}

QString Const1SQL(const QString &use, bool v9, bool azure)
{
    if (azure)
        return use
               + QStringLiteral("select schema_name(schema_id), name, type, objectproperty(object_id, "
                                "'CnstIsDisabled'), ")
               + QStringLiteral("case type ") + QStringLiteral("when 'PK' then '0' ")
               + QStringLiteral("when 'F'  then '1' ") + QStringLiteral("when 'UQ' then '2' ")
               + QStringLiteral("when 'C'  then '3' ") + QStringLiteral("else '4' ") + QStringLiteral("end as ntype ")
               + QStringLiteral("from sys.all_objects ") + QStringLiteral("where parent_object_id = ") + kObjectIdParams
               + QStringLiteral(" ") + QStringLiteral("and type in ('PK', 'UQ', 'C', 'F') ")
               + QStringLiteral("order by ntype, name");
    const QString b = v9 ? QStringLiteral("schema_name(b.uid)") : QStringLiteral("user_name(b.uid)");
    return use + QStringLiteral("select ") + b + QStringLiteral(", b.name, b.xtype,     ")
           + QStringLiteral("OBJECTPROPERTY(a.constid, 'CnstIsDisabled'), ")
           + QStringLiteral("case xtype                                    ")
           + QStringLiteral("  when N'PK' then '0' when N'F'  then '1' ")
           + QStringLiteral("  when N'UQ' then '2' when N'C'  then '3' ")
           + QStringLiteral("  else              '4'                       ")
           + QStringLiteral("end as ntype                                    ")
           + QStringLiteral("from sysconstraints a                         ")
           + QStringLiteral("inner join sysobjects b                       ")
           + QStringLiteral("on a.constid = b.id                           ") + QStringLiteral("where b.parent_obj  = ")
           + kObjectIdParams + QStringLiteral(" ") + QStringLiteral("order by ntype, b.name");
}

QString Const2SQL(const QString &use, bool v9, bool azure)
{
    if (azure)
        return use + QStringLiteral("select schema_name(b.schema_id), a.name, ")
               + QStringLiteral("indexproperty(a.object_id, a.name, N'IsUnique') as IsUnique, ")
               + QStringLiteral("indexproperty(a.object_id, a.name, N'IsDisabled') as IsDisabled ")
               + QStringLiteral("from sys.indexes a ")
               + QStringLiteral("inner join sys.objects b on a.object_id = b.object_id ")
               + QStringLiteral("where a.object_id = ") + kObjectIdParams + QStringLiteral(" ")
               + QStringLiteral("and a.name not like N'_WA_Sys%' ") + QStringLiteral("order by IsUnique, b.name");
    const QString b = v9 ? QStringLiteral("schema_name(b.uid)") : QStringLiteral("user_name(b.uid)");
    return use + QStringLiteral("select ") + b
           + QStringLiteral(", a.name, indexproperty(a.id, a.name, N'IsUnique') as IsUnique, ")
           + QStringLiteral("indexproperty(a.id, a.name, N'IsDisabled')                                 ")
           + QStringLiteral("from sysindexes as a inner join sysobjects as b on b.id = a.id               ")
           + QStringLiteral("where a.id = ") + kObjectIdParams + QStringLiteral("                        ")
           + QStringLiteral("  and a.name not like N'_WA_Sys%'                                          ")
           + QStringLiteral("order by IsUnique DESC, b.name");
}

QString Const3SQL(const QString &use, bool v9)
{
    const QString t = v9 ? QStringLiteral("schema_name(uid)") : QStringLiteral("user_name(uid)");
    return use + QStringLiteral("select ") + t + QStringLiteral(", name,                    ")
           + QStringLiteral("OBJECTPROPERTY(id, 'ExecIsTriggerDisabled'),  ")
           + QStringLiteral("OBJECTPROPERTY(id, 'ExecIsInsertTrigger'),    ")
           + QStringLiteral("OBJECTPROPERTY(id, 'ExecIsUpdateTrigger'),    ")
           + QStringLiteral("OBJECTPROPERTY(id, 'ExecIsDeleteTrigger'),    ")
           + QStringLiteral("OBJECTPROPERTY(id, 'ExecIsInsteadOfTrigger'), ")
           + QStringLiteral("OBJECTPROPERTY(id, 'ExecIsAfterTrigger')      ")
           + QStringLiteral("from sysobjects                                 ") + QStringLiteral("where parent_obj = ")
           + kObjectIdParams + QStringLiteral(" and xtype = 'TR' ");
}

const QString kTemporalSQL = QStringLiteral(
    "SELECT tbl.temporal_type AS temporal_type, schema_name(historyobj.uid)AS schema_name, historyTable.name AS "
    "history_table_Name, startcol.name AS start_time, startcol.generated_always_type_desc AS start_time_desc, "
    "startcol.is_hidden AS start_time_hidden, endcol.name AS end_time, endcol.generated_always_type_desc AS "
    "end_time_desc, endcol.is_hidden AS end_time_hidden FROM dbo.sysobjects AS obj LEFT OUTER JOIN sys.tables as tbl "
    "ON tbl.object_id = obj.id LEFT OUTER JOIN sys.tables as historyTable ON historyTable.object_id = "
    "tbl.history_table_id LEFT OUTER JOIN dbo.sysobjects as historyobj ON historyobj.id = tbl.history_table_id LEFT "
    "OUTER JOIN sys.all_columns as startcol ON tbl.object_id = startcol.object_id AND "
    "startcol.generated_always_type = '1' LEFT OUTER JOIN sys.all_columns as endcol ON tbl.object_id = "
    "endcol.object_id AND endcol.generated_always_type = '2' WHERE tbl.object_id = :id");

QString Field(const TFDQuery &query, int index)
{
    TField *f = query.Fields(index);
    return f ? f->AsString() : QString();
}

QString FieldNamed(const TFDQuery &query, const QString &name)
{
    TField *f = query.FindField(name);
    return f ? f->AsString() : QString();
}

// Closes the query however the read ends.
struct CloseQuery
{
    TFDQuery &query;
    ~CloseQuery() { query.Close(); }
};

} // namespace

TTableQueries TableQueries(const QString &use, int dbVer, bool isAzure, const QString &tableName)
{
    const bool v9 = dbVer >= 9;
    TTableQueries q;
    q.Table = TableSQL(use, v9, tableName);
    q.Column = v9 ? ColumnSQL9(use, dbVer >= 13) : ColumnSQL8(use);
    q.Const1 = Const1SQL(use, v9, isAzure);
    q.Const2 = Const2SQL(use, v9, isAzure);
    q.Const3 = Const3SQL(use, v9);
    q.Temporal = kTemporalSQL;
    q.ConstDef = QStringLiteral("select a.name colname, b.name constdefname from syscolumns a join sysobjects b on "
                                "a.cdefault = b.id and a.id = b.parent_obj where a.id = ")
                 + kObjectIdParams;
    return q;
}

QString PrimaryKeySQL()
{
    return QStringLiteral("EXEC sp_pkeys  @table_owner = :OWNER, @table_name = :NAME");
}

QString ColumnLengthText(const QString &dataType, const QString &maxLength, const QString &precision,
                         const QString &scale, const QString &timeScale, int dbVer)
{
    const QString type = dataType.toUpper();
    if (type == QLatin1String("CHAR") || type == QLatin1String("NCHAR") || type == QLatin1String("BINARY"))
        return maxLength;
    if (type == QLatin1String("VARCHAR") || type == QLatin1String("NVARCHAR") || type == QLatin1String("VARBINARY"))
        return dbVer >= 9 && maxLength == QLatin1String("-1") ? QStringLiteral("max") : maxLength;
    if (type == QLatin1String("NUMERIC") || type == QLatin1String("DECIMAL"))
        return precision + QLatin1Char(',') + scale;
    if (type == QLatin1String("FLOAT"))
        return dbVer >= 10 ? precision : QString();
    if (type == QLatin1String("DATETIME2") || type == QLatin1String("DATETIMEOFFSET") || type == QLatin1String("TIME"))
        return timeScale;
    return {};
}

TTableColumn ColumnFromRow(const TFDQuery &query, int row, int dbVer, bool isAzure, qint64 seed, qint64 increment)
{
    TTableColumn c;
    c.Name = Field(query, 0);
    c.DataType = Field(query, 1);
    c.Length = ColumnLengthText(c.DataType, Field(query, 5), Field(query, 3), Field(query, 4),
                                dbVer >= 9 && query.FieldCount() > 11 ? Field(query, 11) : QString(), dbVer);
    c.Primary = Field(query, 10) == QLatin1String("Y");
    c.NotNull = Field(query, 6) != QLatin1String("Y");
    c.Default = Field(query, 7);
    if (c.Default == QLatin1String("NULL"))
        c.Default.clear();
    c.Identity = Field(query, 9) == QLatin1String("1");
    if (c.Identity)
        c.Default = QStringLiteral("IDENTITY(%1, %2)").arg(seed).arg(increment);
    c.Comment = Field(query, 8);
    c.Collation = FieldNamed(query, QStringLiteral("collation"));
    if (dbVer >= 13 && !isAzure)
        c.Mask = FieldNamed(query, QStringLiteral("masking_function"));
    c.LoadedRow = row;
    return c;
}

TTableDefReader::TTableDefReader(TfrmObject *connection, const QString &database, const QString &schema,
                                 const QString &name)
    : m_connection(connection)
    , m_schema(schema)
    , m_name(name)
    , m_queries(TableQueries(connection->Use(database), connection->DBVer, connection->IsAzure, name))
{
}

bool TTableDefReader::ReadTable(TFDQuery &query, TTableDef &def) const
{
    CloseQuery close{query};
    query.SetSQL(m_queries.Table);
    query.ParamByName(QStringLiteral("OWNER")).SetAsWideString(m_schema);
    query.ParamByName(QStringLiteral("NAME")).SetAsWideString(m_name);
    query.Open();
    if (query.Eof())
        return false;
    def.Id = query.Fields(0)->AsLargeInt();
    def.Comment = query.Fields(1)->AsString();
    // numeric(38,0): a bigint seed must not be cut to 32 bits.
    def.Seed = query.Fields(2)->AsLargeInt();
    def.Increment = query.Fields(3)->AsLargeInt();
    return true;
}

void TTableDefReader::ReadTemporal(TFDQuery &query, TTableDef &def) const
{
    CloseQuery close{query};
    query.SetSQL(m_queries.Temporal);
    query.ParamByName(QStringLiteral("id")).SetAsLargeInt(def.Id);
    query.Open();
    TTableTemporal &t = def.Temporal;
    t = TTableTemporal();
    t.Read = true;
    if (query.Eof())
        return;
    t.TemporalType = query.Fields(0)->AsInteger();
    t.HistorySchema = Field(query, 1);
    t.HistoryTable = Field(query, 2);
    t.StartColumn = Field(query, 3);
    t.StartHidden = query.Fields(5)->AsBoolean();
    t.EndColumn = Field(query, 6);
    t.EndHidden = query.Fields(8)->AsBoolean();
}

void TTableDefReader::ReadColumns(TFDQuery &query, TTableDef &def) const
{
    CloseQuery close{query};
    def.Columns.clear();
    query.SetSQL(m_queries.Column);
    query.ParamByName(QStringLiteral("id")).SetAsLargeInt(def.Id);
    query.Open();
    int row = 1;
    for (; !query.Eof(); query.Next())
        def.Columns << ColumnFromRow(query, row++, m_connection->DBVer, m_connection->IsAzure, def.Seed, def.Increment);
}

void TTableDefReader::ReadDefaultColumns(TFDQuery &query, TTableDef &def) const
{
    CloseQuery close{query};
    def.DefaultColumns.clear();
    try {
        query.SetSQL(m_queries.ConstDef);
        query.ParamByName(QStringLiteral("OWNER")).SetAsWideString(m_schema);
        query.ParamByName(QStringLiteral("TABLENAME")).SetAsWideString(m_name);
        query.Open();
        for (; !query.Eof(); query.Next())
            def.DefaultColumns << TDefaultColumn{Field(query, 0), Field(query, 1)};
    } catch (const EAbort &) {
        throw;
    } catch (const std::exception &) {
        def.DefaultColumns.clear();
    }
}

void TTableDefReader::ReadPrimary(TTableDef &def) const
{
    try {
        TFDQuery *q = m_connection->OpenSQL(PrimaryKeySQL(), {m_schema, m_name});
        QStringList keys;
        for (; q && !q->Eof(); q->Next())
            keys << Field(*q, 3);
        def.Primary = keys;
    } catch (const EAbort &) {
        throw;
    } catch (const std::exception &) {
    }
}
