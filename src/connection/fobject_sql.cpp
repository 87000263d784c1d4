#include "connection/fobject_sql.h"

#include "core/zksub_text.h"

namespace {

QString ver(const TCatalogDialect &d, const QString &s1, const QString &s2)
{
    return d.DBVer >= 9 ? s1 : s2;
}

QString blanks(int count)
{
    return QString(count, QLatin1Char(' '));
}

} // namespace

QString UseText(const QString &DataBase)
{
    if (DataBase.isEmpty())
        return QString();
    // Always bracketed: a catalogue name may be a keyword or begin with "[".
    return QStringLiteral("use ") + QuoteName(DataBase) + QStringLiteral("\r\n");
}

QString SystemObjectFilter(int DBVer)
{
    if (DBVer >= 9)
        return QStringLiteral(
            " and a.type <> N'S' and a.name <> N'dtproperties' and (a.is_ms_shipped <> 1 and (select major_id "
            "from sys.extended_properties where major_id = a.object_id and minor_id = 0 and class = 1 and name = "
            "N'microsoft_database_tools_support') is null) ");
    return QStringLiteral(
        " and a.xtype <> N'S' and a.name <> N'dtproperties' and not(a.xtype in (N'V', N'P',N'RF',N'X', N'FN', "
        "N'IF', N'TF') and (objectproperty(a.id, N'IsMSShipped') is not null and objectproperty(a.id, "
        "N'IsMSShipped') = 1 or objectproperty(a.id, N'IsSystemTable') is not null and objectproperty(a.id, "
        "N'IsSystemTable') = 1)) ");
}

QString GetDatabaseSQL(bool IsAzure)
{
    return IsAzure ? QStringLiteral("select name from sys.databases")
                   : QStringLiteral("select name from master.dbo.sysdatabases where has_dbaccess(name) = 1");
}

QString GetUserSQL(const TCatalogDialect &Dialect, const QString &Database, bool IsGrant)
{
    if (IsGrant)
        return UseText(Database)
               + ver(Dialect,
                     QStringLiteral(
                         "select name from sys.database_principals where ((type in ('U', 'S', 'G', 'C', 'K')) "
                         "and ((cast(case when principal_id < 5 or principal_id = 16382 or principal_id = 16383 "
                         "then 1 else 0 end as bit) = 0 or name = N'guest'))) or ((type = 'R')and(cast(case when "
                         "principal_id > 16383 and principal_id < 16400 then 1 else 0 end as bit)=0)) or (type = "
                         "'A') order by name"),
                     QStringLiteral(
                         "select name from sysusers where ((((issqlrole != 1 and isapprole != 1 ) or (sid=0x00)) "
                         "and isaliased != 1 and hasdbaccess != 0)and((cast(case when uid = 1 or uid = 16382 or "
                         "uid = 16383 then 1 else 0 end as bit) = 0 or name = N'guest'))) or ((issqlrole = 1) and "
                         "(cast(case when cast(uid as int) > 16383 and cast(uid as int) < 16400 then 1 else 0 end "
                         "as bit)=0)) or (isapprole = 1) order by name"));
    return QStringLiteral("use ") + QuoteName(Database)
           + ver(Dialect,
                 QStringLiteral(" SELECT sc.name from sys.schemas sc") + blanks(41)
                     + QStringLiteral("inner join sys.database_principals ow on sc.principal_id = ow.principal_id "
                                      "order by sc.name")
                     + blanks(59),
                 QStringLiteral(" select name from sysusers order by name"));
}

QString GetObjectSQL(const TCatalogDialect &Dialect, const QString &Database, const QString &ObjectType)
{
    const QString D = BracketCatalogName(Database);
    // An empty database part: ".sys.tables" resolves in the session's
    // current database, which the "use" line has set.
    const QString E;
    const QString kind = ObjectType.toUpper();
    const QString sysFilter = Dialect.ShowSysObj ? QString() : SystemObjectFilter(Dialect.DBVer);
    const QString userTablesOnly = QStringLiteral("   and  (a.type not in(N'S',N'U') or a.object_id in (select "
                                                  "object_id from ")
                                   + E + QStringLiteral(".sys.tables))");
    const QString description9 = QStringLiteral("  left outer join ") + D
                                 + QStringLiteral(".sys.extended_properties as b on b.name = N'MS_Description' "
                                                  "and b.major_id = a.object_id and b.minor_id = 0 ");
    const QString description8 = QStringLiteral("  left outer join ") + D
                                 + QStringLiteral(".dbo.sysproperties as b on b.name = N'MS_Description' and "
                                                  "b.id = a.id and b.smallid = 0 ");
    QString sql;
    if (kind == QLatin1String("TABLE")) {
        if (Dialect.IsAzure) {
            sql = QStringLiteral("select  a.name   from  ") + D + QStringLiteral(".sys.objects as a ")
                  + QStringLiteral(" where  a.type in (N'S',N'U') ") + userTablesOnly;
        } else {
            const QString a9 = QStringLiteral("select  a.name   from  ") + D + QStringLiteral(".sys.objects as a ")
                               + description9 + QStringLiteral(" where  a.type in (N'S',N'U') ") + userTablesOnly;
            const QString a8 = QStringLiteral("select  a.name   from  ") + D + QStringLiteral(".dbo.sysobjects as a ")
                               + description8 + QStringLiteral(" where  a.xtype in (N'S',N'U') ");
            sql = UseText(Database) + ver(Dialect, a9, a8) + sysFilter;
        }
    } else if (kind == QLatin1String("VIEW")) {
        if (Dialect.IsAzure) {
            sql = QStringLiteral("select  a.name   from  ") + D + QStringLiteral(".sys.objects as a ")
                  + QStringLiteral(" where  a.type in (N'S',N'V') ") + userTablesOnly;
            if (Dialect.ShowSysObj)
                sql += QStringLiteral(" union ") + QStringLiteral("select a.name ") + QStringLiteral("from ") + D
                       + QStringLiteral(".sys.all_views as a ") + QStringLiteral("where a.name like N'%' ");
        } else {
            const QString v9 = QStringLiteral("select  a.name   from  ") + D + QStringLiteral(".sys.objects as a ")
                               + description9 + QStringLiteral(" where  a.type in (N'V') ")
                               + QStringLiteral("   and  (a.type not in(N'U', N'S') or a.object_id in (select "
                                                "object_id from ")
                               + E + QStringLiteral(".sys.tables))");
            const QString v8 = QStringLiteral("select  a.name   from  ") + D + QStringLiteral(".dbo.sysobjects as a ")
                               + description8 + QStringLiteral(" where  a.xtype in (N'V') ");
            sql = UseText(Database) + ver(Dialect, v9, v8) + sysFilter;
            if (Dialect.DBVer > 8 && Dialect.ShowSysObj)
                sql += QStringLiteral(" union ") + QStringLiteral("select a.name ") + QStringLiteral("from ") + D
                       + QStringLiteral(".sys.all_views as a ") + QStringLiteral("left outer join ") + E
                       + QStringLiteral(".sys.extended_properties as b on b.name = N'MS_Description' and "
                                        "b.major_id = a.object_id and b.minor_id = 0 ");
        }
    } else if (kind == QLatin1String("PROCEDURE") || kind == QLatin1String("FUNCTION")) {
        const bool procedure = kind == QLatin1String("PROCEDURE");
        const QString typeList =
            procedure ? QStringLiteral("(N'P',N'RF',N'X')") : QStringLiteral("(N'FN',N'IF',N'TF')");
        const QString notUserTables = QStringLiteral("and (a.type not in(N'S',N'U') or a.object_id in (select "
                                                     "object_id from ")
                                      + E + QStringLiteral(".sys.tables)) ");
        if (Dialect.IsAzure) {
            sql = QStringLiteral("select a.name  from ") + E + QStringLiteral(".sys.objects as a ")
                  + QStringLiteral("left outer join ") + E
                  + QStringLiteral(".sys.procedures as b on b.name = N'MS_Description' and b.object_id = "
                                   "a.object_id ")
                  + notUserTables + QStringLiteral("where a.type in ") + typeList;
        } else {
            const QString p9 = QStringLiteral("select a.name  from ") + E + QStringLiteral(".sys.objects as a ")
                               + QStringLiteral("left outer join ") + E
                               + QStringLiteral(".sys.extended_properties as b on b.name = N'MS_Description' "
                                                "and b.major_id = a.object_id and b.minor_id = 0 ")
                               + notUserTables;
            const QString p8 = QStringLiteral("select a.name from ") + E + QStringLiteral(".dbo.sysobjects as a ")
                               + QStringLiteral("left outer join ") + E
                               + QStringLiteral(".dbo.sysproperties as b on b.name = N'MS_Description' and "
                                                "b.id = a.id and b.smallid = 0 ");
            sql = UseText(Database) + ver(Dialect, p9, p8)
                  + ver(Dialect, QStringLiteral(" where a.type in ") + typeList,
                        QStringLiteral(" where a.xtype in ") + typeList)
                  + sysFilter;
        }
    } else {
        return QString();
    }
    return sql
           + ver(Dialect, QStringLiteral(" and a.schema_id = schema_id(:OWNER) "),
                 QStringLiteral("and a.uid = user_id(:OWNER) "));
}

QString GetDataTypeSQL(int ObjType)
{
    if (ObjType == 58)
        return QStringLiteral("select name from systypes where xtype in (48, 52, 56, 106, 108, 127) order by name");
    return QStringLiteral("select name from systypes order by name");
}

QStringList SplitScriptBatches(const QStringList &Lines)
{
    QStringList batches;
    QStringList buffer;
    auto flush = [&] {
        const QString text = ListToText(buffer);
        if (!TrimBlanks(text).isEmpty())
            batches << text;
        buffer.clear();
    };
    for (const QString &line : Lines) {
        if (TrimBlanks(line).toLower() == QLatin1String("go"))
            flush();
        else
            buffer << line;
    }
    flush();
    return batches;
}
