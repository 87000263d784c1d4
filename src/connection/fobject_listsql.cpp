#include "connection/fobject_sql.h"

#include "core/zksub_text.h"

// The object list's statements. Each is built line by line, the way the
// server receives it: the "use" line first, the other lines joined by CR LF.

namespace {

const QString kLineBreak = QStringLiteral("\r\n");

// The pieces every statement shares, for one database and dialect.
struct Parts
{
    explicit Parts(const TObjectListQuery &q)
        : v9(q.Dialect.DBVer >= 9)
        , azure(q.Dialect.IsAzure)
        , sysObj(q.Dialect.ShowSysObj)
        , B(BracketCatalogName(q.Database))
        , U(UseText(q.Database))
        , Q(QuoteSQLStr(q.Database))
        , P(QuoteSQLStr(q.Pattern))
    {
    }
    // (version 9: a / b)
    QString ver(const QString &a, const QString &b) const { return v9 ? a : b; }

    bool v9;
    bool azure;
    bool sysObj;
    QString B; // the bracketed database
    QString U; // its "use" line
    QString Q; // its name as a literal, after "N"
    QString P; // the name pattern as a literal, after "N"
};

QString J(const QString &expression)
{
    return UtcToJstExpr(expression);
}

// The two fragmentation columns of the index views, or their placeholders.
QString fragmentColumns(const Parts &p, bool fragment)
{
    if (!fragment)
        return QStringLiteral("'(権限がありません)' frg_per, '0' page_count, ");
    return p.ver(QStringLiteral("case when avg_fragmentation_in_percent is null then N'0' else "
                                "round(avg_fragmentation_in_percent / 100, 2, 1) end frg_per, ")
                     + QStringLiteral("case when page_count is null then N'0' else round(cast(page_count as "
                                      "float) / 100, 2) end page_count, "),
                 QStringLiteral("case when scandensity = 100 then N'0' when scandensity is null then N'0' else "
                                "round((100 - scandensity) / 100, 2, 1) end frg_per, ")
                     + QStringLiteral("case when dpages is null then N'0' else round(cast(dpages as float) / 100 "
                                      ",2) end page_count, "));
}

const QString kDeclareDbid = QStringLiteral("declare @dbid smallint ") + kLineBreak
                             + QStringLiteral("set @dbid = (select db_id()) ") + kLineBreak;

QStringList sourceView(const TObjectListQuery &q, const Parts &p)
{
    const QString T = ObjectListTypeFilter(q.Kind, p.sysObj);
    // The name, and of the tables only the user's (sys.objects lists the
    // system tables as S, but sys.tables never).
    const QString nameAndTables = QStringLiteral("where upper(a.name) like N") + p.P
                                  + QStringLiteral("and (a.type not in(N'S',N'U') or a.object_id in (select "
                                                   "object_id from ")
                                  + p.B + QStringLiteral(".sys.tables)) ");
    QStringList lines;
    if (p.azure) {
        // Like every other statement the pattern is a national literal, so
        // that names beyond the server's code page match.
        lines << p.U + QStringLiteral("select a.type, a.name, N") + p.Q
                     + QStringLiteral(", schema_name(a.schema_id) owner, a.type, ") + J(QStringLiteral("a.create_date"))
                     + QStringLiteral(", '' as comment ") + QStringLiteral(" , cast(null as varchar) ")
                     + QStringLiteral("from ") + p.B + QStringLiteral(".sys.objects as a ") + nameAndTables;
    } else if (p.v9) {
        lines << p.U + QStringLiteral("select a.type, a.name, N") + p.Q
                     + QStringLiteral(", schema_name(a.schema_id) owner, a.type, a.create_date, cast(b.value as "
                                      "nvarchar(4000)) as comment ")
                     + QStringLiteral(" , cast(null as varchar) ") + QStringLiteral("from ") + p.B
                     + QStringLiteral(".sys.objects as a ") + QStringLiteral("left outer join ") + p.B
                     + QStringLiteral(".sys.extended_properties as b on b.name = N'MS_Description' and b.major_id = "
                                      "a.object_id and b.minor_id = 0 ")
                     + nameAndTables;
    } else {
        lines << p.U + QStringLiteral("select a.xtype, a.name, N") + p.Q
                     + QStringLiteral(", user_name(a.uid) owner, a.xtype, a.crdate, cast(b.value as nvarchar(4000)) as "
                                      "comment ")
                     + QStringLiteral(" , cast(null as varchar) ") + QStringLiteral("from ") + p.B
                     + QStringLiteral(".dbo.sysobjects as a ") + QStringLiteral("left outer join ") + p.B
                     + QStringLiteral(".dbo.sysproperties as b on b.name = N'MS_Description' and b.id = a.id and "
                                      "b.smallid = 0 ")
                     + QStringLiteral("where upper(a.name) like N") + p.P;
    }
    if (!T.isEmpty())
        lines << p.ver(QStringLiteral(" and a.type in ("), QStringLiteral(" and a.xtype in (")) + T + QLatin1Char(')');
    if (!p.sysObj)
        lines << (p.azure ? QStringLiteral("and a.type <> N'S' and a.name <> N'dtproperties'")
                          : SystemObjectFilter(q.Dialect.DBVer));
    if (q.Kind == QLatin1String("%")) {
        // The indexes, with their table after the comment.
        if (p.azure)
            lines << QStringLiteral(" union select N'IX' xtype, c.name, N") + p.Q
                         + QStringLiteral(", schema_name(d.uid) owner, N'IX' object_type, ")
                         + J(QStringLiteral("d.crdate")) + QStringLiteral(", '' comment ")
                         + QStringLiteral(" ,object_name(object_id )") + QStringLiteral("from sys.indexes c ")
                         + QStringLiteral("inner join sys.sysobjects d on "
                                          "c.object_id = d.id");
        else
            lines << QStringLiteral(" union select N'IX' xtype , c.name, N") + p.Q + QLatin1Char(',')
                         + p.ver(QStringLiteral("schema_name(d.uid)"), QStringLiteral("user_name(d.uid)"))
                         + QStringLiteral(" owner, N'IX' object_type, d.crdate, '' comment ")
                         + QStringLiteral(" ,object_name(c.id) ") + QStringLiteral(" from ") + p.B
                         + QStringLiteral(".dbo.sysindexes c ") + QStringLiteral("inner join ") + p.B
                         + QStringLiteral(".dbo.sysobjects d on d.id = c.id and c.indid > 0 ");
        if (!p.sysObj)
            lines << QStringLiteral(" and d.xtype not in (N'S', N'IT') and d.name <> N'dtproperties' ");
        lines << QStringLiteral("where upper(c.name) like N") + p.P;
        lines << QStringLiteral("  and c.name not like N'_WA_Sys%' ");
        lines << (p.azure ? QStringLiteral("  and c.index_id > 0 and c.index_id <> 255 ")
                          : QStringLiteral("  and c.indid > 0 and c.indid <> 255 "));
    }
    if ((q.Kind == QLatin1String("VIEW") || q.Kind == QLatin1String("%")) && q.Dialect.DBVer > 8 && p.sysObj) {
        // The system views.
        if (p.azure)
            lines << QStringLiteral(" union select a.type, a.name, N") + p.Q
                         + QStringLiteral(", schema_name(a.schema_id) owner, a.type, ")
                         + J(QStringLiteral("a.create_date"))
                         + QStringLiteral(", '' as comment , cast(null as varchar)") + QStringLiteral("from ") + p.B
                         + QStringLiteral(".sys.all_views as a ") + QStringLiteral("where upper(a.name) like N") + p.P;
        else
            lines << QStringLiteral(" union select a.type, a.name, N") + p.Q
                         + QStringLiteral(", schema_name(a.schema_id) owner, a.type, a.create_date, cast(b.value as "
                                          "nvarchar(4000)) as comment , cast(null as varchar)")
                         + QStringLiteral("from ") + p.B + QStringLiteral(".sys.all_views as a ")
                         + QStringLiteral("left outer join ") + p.B
                         + QStringLiteral(".sys.extended_properties as b on b.name = N'MS_Description' and "
                                          "b.major_id = a.object_id and b.minor_id = 0 ")
                         + QStringLiteral("where upper(a.name) like N") + p.P;
    }
    return lines;
}

// Azure lists tables from the compatibility views, dates shifted to JST.
QString azureTables(const Parts &p, const QString &typeList, const QString &afterDate)
{
    return p.U + QStringLiteral("select distinct xtype, a.name, N") + p.Q
           + QStringLiteral(", schema_name(a.uid) owner, a.xtype, ") + J(QStringLiteral("crdate")) + afterDate
           + QStringLiteral(" from dbo.sysobjects as a")
           + QStringLiteral(" left outer join sys.indexes as c on c.object_id = a.id and c.index_id < 2")
           + QStringLiteral(" inner join sys.tables as e on e.object_id = a.id")
           + QStringLiteral(" where upper(a.name) like N") + p.P + QStringLiteral(" and a.xtype in (") + typeList
           + QStringLiteral(") ");
}

QStringList tableView(const TObjectListQuery &q, const Parts &p)
{
    const QString T = ObjectListTypeFilter(q.Kind, p.sysObj);
    if (p.azure)
        return {azureTables(p, T, QStringLiteral(" , N'(NONE)', '' as comment"))};
    const bool v13 = q.Dialect.DBVer >= 13;
    QStringList lines;
    lines << p.U + QStringLiteral("select distinct a.xtype, a.name, N") + p.Q + QStringLiteral(", ")
                 + p.ver(QStringLiteral("schema_name(a.uid)"), QStringLiteral("user_name(a.uid)"))
                 + QStringLiteral(" owner, a.xtype, a.crdate, ")
                 + p.ver(QStringLiteral("case when d.name is not null then d.name when filegroup_name(f.groupid) is "
                                        "not null then filegroup_name(f.groupid) else N'(NONE)' end, "),
                         QStringLiteral("isnull(filegroup_name(f.groupid), N'(NONE)') , "))
                 + QStringLiteral(" cast(b.value as nvarchar(4000)) as comment ")
                 + (v13 ? QStringLiteral(
                        ", case when e.temporal_type = 1 then N'履歴(' + temptbl.name + ')' when "
                        "e.temporal_type = 2 then N'システムバージョン管理(' + histtbl.name + ')' else "
                        "'' end ")
                        : QString())
                 + QStringLiteral("from dbo.sysobjects as a ")
                 + p.ver(QStringLiteral("left outer join sys.extended_properties as b on b.name = N'MS_Description' "
                                        "and b.major_id = a.id and b.minor_id = 0 left outer join sys.indexes as c on "
                                        "c.object_id = a.id and c.index_id < 2 left outer join sys.data_spaces as d on "
                                        "d.data_space_id = c.data_space_id inner join sys.tables as e on e.object_id "
                                        "= a.id "),
                         QStringLiteral("left outer join dbo.sysproperties as b on b.name = N'MS_Description' and "
                                        "b.id = a.id and b.smallid = 0 "))
                 + (v13 ? QStringLiteral("left outer join sys.tables as temptbl ON temptbl.history_table_id = "
                                         "e.object_id left outer join sys.tables as histtbl ON histtbl.object_id = "
                                         "e.history_table_id ")
                        : QString())
                 + QStringLiteral("left outer join dbo.sysindexes as f on f.id = a.id ")
                 + QStringLiteral("where upper(a.name) like N") + p.P + QStringLiteral(" and a.xtype in (") + T
                 + QStringLiteral(") ");
    if (!p.sysObj)
        lines << p.ver(QStringLiteral(" and (select major_id from sys.extended_properties where major_id = a.id and "
                                      "minor_id = 0 and class = 1 and name = N'microsoft_database_tools_support') is "
                                      "null "),
                       QStringLiteral(" and a.name <> N'dtproperties'"));
    return lines;
}

QStringList synonymView(const Parts &p)
{
    return {p.U + QStringLiteral("select N'SN', name, N") + p.Q
            + QStringLiteral(", schema_name(schema_id), N'SN' xtype, base_object_name ")
            + QStringLiteral("  from sys.synonyms ") + QStringLiteral("where upper(name) like N") + p.P};
}

QStringList constraintView(const Parts &p)
{
    if (p.azure)
        return {p.U + QStringLiteral("select N'PK', object_name(a.object_id), N") + p.Q + QStringLiteral(", ")
                + QStringLiteral("schema_name(a.schema_id) owner, N'PK' XTYPE, A.TYPE, object_name(a.parent_object_id)")
                + QStringLiteral("from sys.all_objects as a ")
                + QStringLiteral("where a.type in(N'PK',N'UQ',N'F',N'C', 'D') and upper(a.name) like N") + p.P
                + QStringLiteral("order by type, name")};
    QStringList lines;
    lines << p.U + QStringLiteral("select N'PK', object_name(a.constid), N") + p.Q + QStringLiteral(", ")
                 + p.ver(QStringLiteral("schema_name(b.uid)"), QStringLiteral("user_name(b.uid)"))
                 + QStringLiteral(" owner, N'PK' xtype, b.xtype, object_name(a.id) ")
                 + QStringLiteral("from dbo.sysconstraints as a")
                 + QStringLiteral(" inner join dbo.sysobjects as b on b.id = a.constid");
    if (!p.sysObj)
        lines << QStringLiteral(" inner join sysobjects as c on c.id = a.id and c.xtype = N'U' and c.name <> "
                                "N'dtproperties'");
    lines << QStringLiteral("where upper(b.name) like N") + p.P;
    return lines;
}

QStringList indexView(const TObjectListQuery &q, const Parts &p)
{
    QStringList lines;
    const bool fragment = q.Fragment && !p.azure;
    if (p.azure) {
        lines << p.U + QStringLiteral("select N'IX', a.name, N") + p.Q
                     + QStringLiteral(", schema_name(b.schema_id) owner, N'IX' xtype, object_name(a.object_id), "
                                      "N'(NONE)'")
                     + QStringLiteral("from sys.indexes as a ")
                     + QStringLiteral("inner join sys.objects as b on b.object_id = a.object_id");
    } else if (p.v9) {
        lines << p.U + (fragment ? kDeclareDbid : QString()) + QStringLiteral("select N'IX', a.name, N") + p.Q
                     + QStringLiteral(", schema_name(b.schema_id) owner, N'IX' xtype, object_name(a.object_id), ")
                     + fragmentColumns(p, fragment)
                     + QStringLiteral("case when c.name is not null then c.name when filegroup_name(a.data_space_id) "
                                      "is not null then filegroup_name(a.data_space_id) else N'(NONE)' end ")
                     + QStringLiteral("from sys.indexes as a ")
                     + QStringLiteral("left outer join sys.data_spaces as c on c.data_space_id = a.data_space_id ")
                     + QStringLiteral("inner join sys.objects as b on b.object_id = a.object_id ");
    } else {
        lines << p.U + QStringLiteral("select N'IX', a.name, N") + p.Q
                     + QStringLiteral(", user_name(b.uid) owner, N'IX' xtype, object_name(a.id), ")
                     + fragmentColumns(p, fragment) + QStringLiteral("isnull(filegroup_name(a.groupid), N'(NONE)') ")
                     + QStringLiteral("from dbo.sysindexes as a ")
                     + QStringLiteral("inner join dbo.sysobjects as b on b.id = a.id ")
                     + QStringLiteral(" and a.indid > 0 and a.indid <> 255");
    }
    if (!p.sysObj)
        lines << p.ver(QStringLiteral("and b.type not in (N'S', N'IT') "),
                       QStringLiteral("and b.xtype not in (N'S', N'IT') and b.name <> N'dtproperties' "));
    if (fragment)
        lines << p.ver(QStringLiteral("left outer join sys.dm_db_index_physical_stats(@dbid, null, null, null, null) "
                                      "as e on a.index_id = e.index_id and a.object_id = e.object_id"),
                       QStringLiteral("left outer join #temp_idx as c on a.id = c.objectid and a.indid = c.indexid"));
    lines << QStringLiteral("where upper(a.name) like N") + p.P;
    lines << QStringLiteral("and a.name not like N'_WA_Sys%' ");
    if (!p.v9)
        lines << QString();
    return lines;
}

QStringList index2View(const TObjectListQuery &q, const Parts &p)
{
    QStringList lines;
    if (p.azure) {
        lines << p.U + QStringLiteral("select N'IX', a.name, N") + p.Q
                     + QStringLiteral(", schema_name(b.schema_id) owner, N'IX' xtype, object_name(a.object_id), ")
                     + J(QStringLiteral("B.CREATE_DATE")) + QStringLiteral(", N'' comment ")
                     + QStringLiteral("from sys.indexes as a ")
                     + QStringLiteral("inner join sys.objects as b on b.object_id = a.object_id ")
                     + QStringLiteral("where upper(a.name) like N") + p.P
                     + QStringLiteral("and a.name not like N'_WA_Sys%' ");
        if (!p.sysObj)
            lines << QStringLiteral("and b.type not in (N'S', N'IT') ");
        return lines;
    }
    lines << p.U + kDeclareDbid + QStringLiteral("select N'IX' xtype , c.name, N") + p.Q + QLatin1Char(',')
                 + p.ver(QStringLiteral("schema_name(d.uid)"), QStringLiteral("user_name(d.uid)"))
                 + QStringLiteral(" owner, N'IX' object_type, d.name table_name,");
    lines << fragmentColumns(p, q.Fragment) + QStringLiteral("d.crdate, ")
                 + p.ver(QStringLiteral("'' comment "), QStringLiteral("' ' comment "));
    lines << QStringLiteral(" from ") + p.B + QStringLiteral(".dbo.sysindexes c ") + QStringLiteral("inner join ") + p.B
                 + QStringLiteral(".dbo.sysobjects d on d.id = c.id and c.indid > 0 and c.indid <> 255");
    if (!p.sysObj)
        lines << p.ver(QStringLiteral("and d.type not in (N'S', N'IT') "),
                       QStringLiteral("and d.xtype not in (N'S', N'IT') and d.name <> N'dtproperties' "));
    if (q.Fragment)
        lines << p.ver(QStringLiteral("left outer join sys.dm_db_index_physical_stats(@dbid, null, null, null, null) "
                                      "as e on c.indid = e.index_id and d.id = e.object_id"),
                       QStringLiteral("left outer join tempdb.dbo.#temp_idx as e on d.id = e.objectid and c.indid = "
                                      "e.indexid"));
    lines << QStringLiteral("where upper(c.name) like N") + p.P;
    lines << QStringLiteral("and c.name not like N'_WA_Sys%' ");
    return lines;
}

} // namespace

TObjectListView ObjectListViewOf(const QString &Kind, bool TreeData)
{
    if (Kind == QLatin1String("TABLE") && TreeData)
        return TObjectListView::Table;
    if (Kind == QLatin1String("INDEX"))
        return TreeData ? TObjectListView::Index : TObjectListView::Index2;
    if (Kind == QLatin1String("SYNONYM") && TreeData)
        return TObjectListView::Synonym;
    if (Kind == QLatin1String("CONSTRAINT"))
        return TObjectListView::Constraint;
    return TObjectListView::Source;
}

QString ObjectListViewType(TObjectListView View)
{
    switch (View) {
    case TObjectListView::Table: return QStringLiteral("TABLE");
    case TObjectListView::Index:
    case TObjectListView::Index2: return QStringLiteral("INDEX");
    case TObjectListView::Synonym: return QStringLiteral("SYNONYM");
    case TObjectListView::Constraint: return QStringLiteral("CONSTRAINT");
    case TObjectListView::Source: break;
    }
    return QStringLiteral("SOURCE");
}

QString ObjectListTypeFilter(const QString &Kind, bool ShowSysObj)
{
    if (Kind == QLatin1String("TABLE"))
        return ShowSysObj ? QStringLiteral("N'S',N'U'") : QStringLiteral("N'U'");
    static const struct
    {
        const char *kind;
        const char *letters;
    } filters[] = {
        {"INDEX", "N'IX'"},
        {"VIEW", "N'V'"},
        {"CONSTRAINT", "N'PK',N'F',N'C',N'D', N'UQ'"},
        {"PROCEDURE", "N'P',N'RF',N'X'"},
        {"FUNCTION", "N'FN',N'IF',N'TF'"},
        {"TRIGGER", "N'TR'"},
        {"SEQUENCE", "N'SO'"},
        {"SYNONYM", "N'SN'"},
    };
    for (const auto &f : filters)
        if (Kind == QLatin1String(f.kind))
            return QString::fromLatin1(f.letters);
    return QString();
}

QString ObjectListSQL(const TObjectListQuery &Query)
{
    const Parts p(Query);
    QStringList lines;
    switch (Query.View) {
    case TObjectListView::Source:
        if (p.azure && Query.Kind == QLatin1String("TABLE"))
            lines << azureTables(p, QStringLiteral("'U'"), QStringLiteral(", N'(NONE)', '' as comment"));
        else
            lines = sourceView(Query, p);
        break;
    case TObjectListView::Table: lines = tableView(Query, p); break;
    case TObjectListView::Index: lines = indexView(Query, p); break;
    case TObjectListView::Index2: lines = index2View(Query, p); break;
    case TObjectListView::Synonym: lines = synonymView(p); break;
    case TObjectListView::Constraint: lines = constraintView(p); break;
    }
    return lines.join(kLineBreak);
}

QStringList ShowplanOffSQL(const TCatalogDialect &Dialect)
{
    QStringList statements{QStringLiteral("set showplan_text off"), QStringLiteral("set showplan_all off")};
    if (Dialect.DBVer < 9 && !Dialect.IsAzure)
        statements << QStringLiteral("set showplan_parsing off");
    return statements;
}

QString FragmentPermsSQL(const TCatalogDialect &Dialect, const QString &Database)
{
    const QString U = UseText(Database);
    if (Dialect.DBVer >= 9)
        return U + QStringLiteral("select has_perms_by_name(N") + QuoteSQLStr(Database)
               + QStringLiteral(", 'DATABASE', 'VIEW DATABASE STATE')");
    return U + QStringLiteral("select is_srvrolemember('sysadmin'), is_member('db_owner'), is_member('db_ddladmin')");
}

QString TempIdxProbeSQL()
{
    return QStringLiteral("use[tempdb] select name from sysobjects where id = object_id('#temp_idx')");
}

QString TempIdxCreateSQL(const QString &Database)
{
    return UseText(Database)
           + QStringLiteral("create table #temp_idx(objectname varchar(8000), objectid int, indexname varchar(8000), "
                            "indexid int, level int, ")
           + QStringLiteral("pages int, rows int, minimumrecordsize int, maximumrecordsize int, averagerecordsize int, "
                            "forwardedrecords decimal(10, 3), ")
           + QStringLiteral("extents int, extentswitches int, averagefreebytes decimal(10, 3), averagepagedensity "
                            "decimal(10, 3), scandensity decimal(10, 3), ")
           + QStringLiteral("bestcount int, actualcount int, logicalfragmentation decimal(10, 3), extentfragmentation "
                            "decimal(10, 3))");
}

QString TempIdxTruncateSQL()
{
    return QStringLiteral("use[tempdb] truncate table #temp_idx");
}

QString TempIdxFillSQL(const QString &Database)
{
    return UseText(Database)
           + QStringLiteral("insert into #temp_idx exec('dbcc showcontig with tableresults, all_indexes')");
}

QString IndexObjectProbeSQL(const QString &Database, const QString &Name)
{
    return UseText(Database) + QStringLiteral("select Count(*) cnt from sysobjects") + QStringLiteral(" where name = N")
           + QuoteSQLStr(Name);
}

QString RenameObjectSQL(const QString &Database, const QString &Owner, const QString &Name, const QString &NewName)
{
    return UseText(Database) + QStringLiteral("exec sp_rename N")
           + QuoteSQLStr(BracketCatalogName(Owner) + QLatin1Char('.') + BracketCatalogName(Name)) + QStringLiteral(",N")
           + QuoteSQLStr(NewName) + QStringLiteral(",N'OBJECT'");
}

QString RenameIndexSQL(const QString &Database, const QString &Owner, const QString &Table, const QString &Name,
                       const QString &NewName)
{
    return UseText(Database) + QStringLiteral("exec sp_rename N")
           + QuoteSQLStr(BracketCatalogName(Owner) + QLatin1Char('.') + BracketCatalogName(Table) + QLatin1Char('.')
                         + BracketCatalogName(Name))
           + QStringLiteral(",N") + QuoteSQLStr(NewName) + QStringLiteral(",N'INDEX'");
}
