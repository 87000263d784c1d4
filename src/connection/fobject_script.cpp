// The script output of the connection window: sinks, the kind-to-generator
// dispatch, privilege scripts, name tables and the files of a run.

#include "connection/fobject_script.h"

#include "connection/fobject.h"
#include "connection/fobject_p.h"
#include "core/dsqlserver.h"
#include "core/zksub.h"
#include "core/zksub_files.h"
#include "core/zksub_objtype.h"
#include "core/zksub_text.h"
#include "platform/db/db.h"
#include "platform/encoding/textencoding.h"
#include "platform/rtl/exceptions.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

namespace {

const QString kCRLF = QStringLiteral("\r\n");

QHash<QString, TScriptGenerator> &generators()
{
    static QHash<QString, TScriptGenerator> table;
    return table;
}

QString fileError(const QString &fileName, const QString &reason)
{
    return QStringLiteral("ファイル %1 に書き込めません。\r\n%2").arg(QDir::toNativeSeparators(fileName), reason);
}

// A path component taken from an object: filtered, and refused when nothing
// is left of it.
QString component(const QString &text)
{
    const QString cleaned = RemoveInvalidFileChars(text);
    if (cleaned.trimmed().isEmpty())
        throw Exception(QStringLiteral("\"%1\" はファイル名に使用できません。").arg(text));
    return cleaned;
}

// A SCRIPT_NAME keeps its sub-folders: each part filtered on its own.
QString relativeFile(const QString &fileName)
{
    QStringList parts;
    for (const QString &part : QString(fileName).replace(QLatin1Char('\\'), QLatin1Char('/')).split(QLatin1Char('/')))
        parts << component(part);
    return parts.join(QLatin1Char('/'));
}

} // namespace

// --- Sinks ------------------------------------------------------------------------------------

TFileScriptSink::TFileScriptSink(const QString &fileName, bool append)
    : TFileScriptSink(fileName, append, GetFileEncoding())
{
}

TFileScriptSink::TFileScriptSink(const QString &fileName, bool append, const TEncoding *encoding)
    : m_file(fileName)
    , m_encoding(encoding)
{
    const QIODevice::OpenMode mode =
        append ? QIODevice::WriteOnly | QIODevice::Append : QIODevice::WriteOnly | QIODevice::Truncate;
    if (!m_file.open(mode))
        throw Exception(fileError(fileName, m_file.errorString()));
}

void TFileScriptSink::Write(const QString &text)
{
    const QByteArray bytes = m_encoding->GetBytes(text);
    if (m_file.write(bytes) != bytes.size() || !m_file.flush())
        throw Exception(fileError(m_file.fileName(), m_file.errorString()));
}

// --- Generators -------------------------------------------------------------------------------

void RegisterScriptGenerator(const QString &windowClass, TScriptGenerator generator)
{
    if (generator)
        generators().insert(windowClass, std::move(generator));
    else
        generators().remove(windowClass);
}

void ScriptGeneratorStub(const QString &windowClass)
{
    throw Exception(QStringLiteral("%1 のスクリプトはまだ出力できません。").arg(windowClass));
}

TScriptGenerator FindScriptGenerator(const QString &windowClass)
{
    const TScriptGenerator found = generators().value(windowClass);
    if (found)
        return found;
    return [windowClass](TfrmObject *, const TScriptRequest &, const TScriptOption &, TScriptSink &) {
        ScriptGeneratorStub(windowClass);
    };
}

TScriptCall ScriptCall(int ObjectType, const QString &Database, const QString &Schema, const QString &ObjectName,
                       const QString &NewSchema, const QString &NewObjectName, const QString &TableName, bool Index)
{
    TScriptCall call;
    TScriptRequest &r = call.Request;
    r.ObjectType = ObjectType;
    auto take = [&](const char *windowClass, bool database, bool schema, bool copy) {
        call.WindowClass = QLatin1String(windowClass);
        if (database)
            r.Database = Database;
        if (schema)
            r.Schema = Schema;
        r.ObjectName = ObjectName;
        if (copy) {
            r.NewSchema = NewSchema;
            r.NewObjectName = NewObjectName;
        }
    };
    switch (ObjectType) {
    case 1: take("Tfrmdb", true, true, false); break;
    case 2:
    case 3: take("TfrmUser", true, false, false); break;
    case 4:
    case 125:
    case 126: take("TfrmSchema", true, true, false); break;
    case 45:
        take("TfrmTable", true, true, true);
        r.Index = Index;
        break;
    case 46:
        take("TfrmIndex", true, true, false);
        r.TableName = TableName;
        break;
    case 47: take("TfrmView", true, true, true); break;
    case 51:
    case 52: take("TfrmSource", true, true, true); break;
    case 57: take("TfrmTrigger", true, true, true); break;
    case 58: take("TfrmSeq", true, true, true); break;
    case 60: take("TfrmSynonym", true, true, false); break;
    case 66: take("TfrmConst", true, true, false); break;
    case 68: take("TfrmRole", true, true, false); break;
    case 69:
    case 71: take("TfrmTBS", true, false, false); break;
    case 97: take("TfrmJob", false, false, false); break;
    case 117: take("Tfrmjobschedule", false, false, false); break;
    case 119:
    case 120: take("TfrmLogin", false, false, false); break;
    default: return {};
    }
    return call;
}

bool TfrmObject::OutputScript(int ObjectType, const QString &Database, const QString &Schema, const QString &ObjectName,
                              TScriptSink &Stream, const QString &NewSchema, const QString &NewObjectName,
                              bool AppendDrop, const QString &TableName, QString *Error)
{
    const TScriptCall call =
        ScriptCall(ObjectType, Database, Schema, ObjectName, NewSchema, NewObjectName, TableName, ScriptOption.Index);
    if (call.WindowClass.isEmpty())
        return true;
    const TScriptGenerator generator = FindScriptGenerator(call.WindowClass);
    // Each pass reads its own copy of the options, so the global record is
    // never changed, however a generator ends.
    auto pass = [&](bool drop, QString &error) {
        TScriptOption options(ScriptOption);
        options.Drop = drop;
        try {
            generator(this, call.Request, options, Stream);
            return true;
        } catch (const std::exception &e) {
            error = QString::fromUtf8(e.what());
        } catch (...) {
            error = QStringLiteral("スクリプトを作成できませんでした。");
        }
        return false;
    };
    // A failing DROP pass is no failure of the object: its CREATE script is
    // what counts.
    QString error;
    if (AppendDrop)
        pass(true, error);
    error.clear();
    const bool written = pass(false, error);
    if (!written && Error)
        *Error = error;
    return written;
}

// --- Privilege scripts ------------------------------------------------------------------------

namespace {

struct TCodeName
{
    const char *code;
    const char *name;
};

const TCodeName kObjectPermissions[] = {
    {"AL", "ALTER"},          {"CL", "CONTROL"}, {"DL", "DELETE"},          {"EX", "EXECUTE"},
    {"IN", "INSERT"},         {"RC", "RECEIVE"}, {"RF", "REFERENCES"},      {"SL", "SELECT"},
    {"TO", "TAKE OWNERSHIP"}, {"UP", "UPDATE"},  {"VW", "VIEW DEFINITION"}, {"VWCT", "VIEW CHANGE TRACKING"},
};

const TCodeName kDatabasePermissions[] = {
    {"AL", "ALTER"},
    {"ALAK", "ALTER ANY ASYMMETRIC KEY"},
    {"ALAR", "ALTER ANY APPLICATION ROLE"},
    {"ALAS", "ALTER ANY ASSEMBLY"},
    {"ALCF", "ALTER ANY CERTIFICATE"},
    {"ALDS", "ALTER ANY DATASPACE"},
    {"ALED", "ALTER ANY DATABASE EVENT NOTIFICATION"},
    {"ALFT", "ALTER ANY FULLTEXT CATALOG"},
    {"ALMT", "ALTER ANY MESSAGE TYPE"},
    {"ALRL", "ALTER ANY ROLE"},
    {"ALRT", "ALTER ANY ROUTE"},
    {"ALSB", "ALTER ANY REMOTE SERVICE BINDING"},
    {"ALSC", "ALTER ANY CONTRACT"},
    {"ALSK", "ALTER ANY SYMMETRIC KEY"},
    {"ALSM", "ALTER ANY SCHEMA"},
    {"ALSV", "ALTER ANY SERVICE"},
    {"ALTG", "ALTER ANY DATABASE DDL TRIGGER"},
    {"ALUS", "ALTER ANY USER"},
    {"AUTH", "AUTHENTICATE"},
    {"BADB", "BACKUP DATABASE"},
    {"BALO", "BACKUP LOG"},
    {"CL", "CONTROL"},
    {"CO", "CONNECT"},
    {"CORP", "CONNECT REPLICATION"},
    {"CP", "CHECKPOINT"},
    {"CRAG", "CREATE AGGREGATE"},
    {"CRAK", "CREATE ASYMMETRIC KEY"},
    {"CRAS", "CREATE ASSEMBLY"},
    {"CRCF", "CREATE CERTIFICATE"},
    {"CRDB", "CREATE DATABASE"},
    {"CRDF", "CREATE DEFAULT"},
    {"CRED", "CREATE DATABASE DDL EVENT NOTIFICATION"},
    {"CRFN", "CREATE FUNCTION"},
    {"CRFT", "CREATE FULLTEXT CATALOG"},
    {"CRMT", "CREATE MESSAGE TYPE"},
    {"CRPR", "CREATE PROCEDURE"},
    {"CRQU", "CREATE QUEUE"},
    {"CRRL", "CREATE ROLE"},
    {"CRRT", "CREATE ROUTE"},
    {"CRRU", "CREATE RULE"},
    {"CRSB", "CREATE REMOTE SERVICE BINDING"},
    {"CRSC", "CREATE CONTRACT"},
    {"CRSK", "CREATE SYMMETRIC KEY"},
    {"CRSM", "CREATE SCHEMA"},
    {"CRSN", "CREATE SYNONYM"},
    {"CRSV", "CREATE SERVICE"},
    {"CRTB", "CREATE TABLE"},
    {"CRTY", "CREATE TYPE"},
    {"CRVW", "CREATE VIEW"},
    {"CRXS", "CREATE XML SCHEMA COLLECTION"},
    {"DL", "DELETE"},
    {"EX", "EXECUTE"},
    {"IM", "IMPERSONATE"},
    {"IN", "INSERT"},
    {"RC", "RECEIVE"},
    {"RF", "REFERENCES"},
    {"SL", "SELECT"},
    {"SN", "SEND"},
    {"SPLN", "SHOWPLAN"},
    {"SUQN", "SUBSCRIBE QUERY NOTIFICATIONS"},
    {"TO", "TAKE OWNERSHIP"},
    {"UP", "UPDATE"},
    {"VW", "VIEW DEFINITION"},
    {"VWDS", "VIEW DATABASE STATE"},
};

const std::pair<int, const char *> kActions8[] = {
    {26, "REFERENCES"},      {178, "CREATE FUNCTION"},  {193, "SELECT"},       {195, "INSERT"},
    {196, "DELETE"},         {197, "UPDATE"},           {198, "CREATE TABLE"}, {203, "CREATE DATABASE"},
    {207, "CREATE VIEW"},    {222, "CREATE PROCEDURE"}, {224, "EXECUTE"},      {228, "BACKUP DATABASE"},
    {233, "CREATE DEFAULT"}, {235, "BACKUP LOG"},       {236, "CREATE RULE"},
};

template<size_t N>
QString typeCase(const TCodeName (&codes)[N])
{
    QString s = QStringLiteral("case b.type");
    for (const TCodeName &c : codes)
        s += QStringLiteral(" when '%1' then N'%2'").arg(QLatin1String(c.code), QLatin1String(c.name));
    return s + QStringLiteral(" end as PRIVILEGE");
}

QString actionCase()
{
    QString s = QStringLiteral("case b.action");
    for (const auto &[code, name] : kActions8)
        s += QStringLiteral(" when %1 then N'%2'").arg(code).arg(QLatin1String(name));
    return s + QStringLiteral(" end as PRIVILEGE");
}

const QString kProtectType = QStringLiteral(
    "case when b.protecttype = 204 then N'YES' when b.protecttype = 206 then N'DENY' else N'NO' end as GRANTABLE");

} // namespace

QString GrantQuerySQL(int DBVer, bool IsDB)
{
    const QString order = QStringLiteral(" order by 1, 2, 3");
    if (!IsDB && DBVer >= 9)
        return QStringLiteral("select d.name as GRANTEE, ") + typeCase(kObjectPermissions)
               + QStringLiteral(", case when b.state_desc = N'GRANT_WITH_GRANT_OPTION' then N'YES'"
                                " when b.state_desc = N'DENY' then N'DENY' else N'NO' end as GRANTABLE"
                                ", a.name, b.type as CODE"
                                " from sys.objects as a"
                                " inner join sys.database_permissions as b on b.major_id = a.object_id"
                                " and b.minor_id = 0 and b.class = 1"
                                " inner join sys.database_principals as c on c.principal_id = b.grantor_principal_id"
                                " inner join sys.database_principals as d on d.principal_id = b.grantee_principal_id"
                                " where (b.minor_id = 0)"
                                " and (a.object_id = object_id(quotename(:OWNER) + N'.' + quotename(:NAME)))")
               + order;
    if (!IsDB)
        return QStringLiteral("select user_name(a.grantee) as GRANTEE, ") + actionCase() + QStringLiteral(", ")
               + kProtectType
               + QStringLiteral(", object_name(b.id), b.action as CODE"
                                " from syspermissions a"
                                " inner join sysprotects b on a.id = b.id and b.uid = a.grantee"
                                " inner join sysobjects c on a.id = c.id"
                                " where user_name(c.uid) = :OWNER collate database_default"
                                " and object_name(a.id) = :NAME collate database_default")
               + order;
    if (DBVer >= 9)
        return QStringLiteral("select user_name(b.grantee_principal_id) as GRANTEE, ") + typeCase(kDatabasePermissions)
               + QStringLiteral(", case when b.state_desc = N'GRANT_WITH_GRANT_OPTION' then N'YES'"
                                " when b.state_desc = N'DENY' then N'DENY' else N'NO' end as GRANTABLE"
                                ", db_name(), b.type as CODE"
                                " from sys.database_permissions b"
                                " where b.class_desc = N'DATABASE'")
               + order;
    return QStringLiteral("select user_name(b.uid) as GRANTEE, ") + actionCase() + QStringLiteral(", ") + kProtectType
           + QStringLiteral(", db_name(), b.action as CODE"
                            " from sysprotects b"
                            " inner join syspermissions a on a.id = b.id"
                            " where a.id = 0")
           + order;
}

QStringList GrantScript(const TGrantContext &c, const QList<TGrantRow> &rows)
{
    QStringList lines;
    const QString go = QStringLiteral("go");
    const bool otherDatabase = c.Database.trimmed() != c.CurrentDatabase;
    if (!c.IsAzure && ((!rows.isEmpty() && c.DatabaseOption == 0) || (c.DatabaseOption == 1 && otherDatabase)))
        lines << TrimBlanks(UseText(c.Database)) << go;

    const bool qualified = c.OwnerOption == 0 || (c.OwnerOption == 1 && c.Schema != c.DefaultSchema);
    for (const TGrantRow &row : rows) {
        if (c.IsDB && !c.Principals.contains(row.Grantee))
            continue;
        const QString privilege = row.Privilege.trimmed();
        if (privilege.isEmpty()) {
            // A permission this program does not know: no statement the
            // server would refuse, but a trace of it.
            lines << QStringLiteral("-- type ") + row.Code.trimmed();
            continue;
        }
        QString statement =
            (row.Grantable == QLatin1String("DENY") ? QStringLiteral("DENY ") : QStringLiteral("GRANT ")) + privilege;
        if (!c.IsDB)
            statement +=
                QStringLiteral(" ON ")
                + (qualified ? QuoteName(c.Schema) + QLatin1Char('.') + QuoteName(row.Name) : QuoteName(row.Name));
        statement += QStringLiteral(" TO ") + QuoteName(row.Grantee);
        if (row.Grantable == QLatin1String("YES"))
            statement += QStringLiteral(" WITH GRANT OPTION");
        lines << statement << go;
    }
    return lines;
}

void TfrmObject::OutputGrant(const QString &Database, const QString &Schema, const QString &ObjectName,
                             TScriptSink &Stream, bool IsDB)
{
    if (IsAzure && Database.toUpper() != g_DataBase.toUpper())
        return;
    TGrantContext c;
    c.IsDB = IsDB;
    c.IsAzure = IsAzure;
    c.DatabaseOption = ScriptOption.Database;
    c.OwnerOption = ScriptOption.Owner;
    c.Database = Database;
    c.Schema = Schema;
    // Taken before the query's "use" line moves the session.
    c.CurrentDatabase = dmSQLServer->DataBase();
    c.DefaultSchema = GetCurrentSchema();

    QList<TGrantRow> rows;
    {
        TSQLWaitCursor wait;
        const QString sql = Use(Database) + GrantQuerySQL(DBVer, IsDB);
        TFDQuery *query = IsDB ? OpenSQL(sql) : OpenSQL(sql, {Schema, ObjectName});
        for (; !query->Eof(); query->Next())
            rows << TGrantRow{query->Fields(0)->AsString(), query->Fields(1)->AsString(),
                              query->Fields(2)->AsString().trimmed(), query->Fields(3)->AsString(),
                              query->Fields(4)->AsString()};
        query->Close();
    }
    if (IsDB)
        GetUser(c.Principals, Database, true);
    const QStringList lines = GrantScript(c, rows);
    if (!lines.isEmpty())
        Stream.Write(lines.join(kCRLF) + kCRLF);
}

// --- Name tables ------------------------------------------------------------------------------

TNameTableParts SplitNameTable(const QString &line, const QString &currentDatabase, const QString &defaultSchema)
{
    TNameTableParts parts;
    parts.Database = currentDatabase;
    parts.Schema = defaultSchema;
    const QStringList pieces = line.split(QLatin1Char('.'));
    parts.Table = pieces.last();
    if (pieces.size() == 2) {
        parts.Schema = pieces.at(0);
    } else if (pieces.size() == 3) {
        parts.Database = pieces.at(0);
        parts.Schema = pieces.at(1);
    } else if (pieces.size() > 3) {
        parts.SchemaKnown = false;
    }
    return parts;
}

QString QualifiedNameTable(const QString &line, const QString &currentDatabase, const QString &defaultSchema)
{
    if (line.trimmed().isEmpty())
        return QString();
    const TNameTableParts p = SplitNameTable(line.trimmed(), currentDatabase, defaultSchema);
    return BracketName(p.Database) + QLatin1Char('.') + BracketName(p.Schema) + QLatin1Char('.') + BracketName(p.Table);
}

QString NameTableLine(const QString &server)
{
    const QString prefix = server + QLatin1Char('=');
    for (const QString &line : std::as_const(ScriptOption.NameTable))
        if (line.startsWith(prefix, Qt::CaseInsensitive))
            return line.mid(prefix.size());
    return QString();
}

void SetNameTableLine(const QString &server, const QString &line)
{
    const QString prefix = server + QLatin1Char('=');
    QStringList &list = ScriptOption.NameTable;
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (list.at(i).startsWith(prefix, Qt::CaseInsensitive)) {
            list[i] = prefix + line;
            return;
        }
    }
    list << prefix + line;
}

// --- Script output paths ----------------------------------------------------------------------

TScriptLayout::TScriptLayout(const QString &path, const TScriptOption &options, int treeSort)
    : m_path(path)
    , m_oneScript(options.OneScript)
    , m_dir(options.Dir)
    , m_sameName(options.SameName)
    , m_grantMode(options.GrantMode)
    , m_treeSort(treeSort)
{
}

QString TScriptLayout::DefaultFileName(const QString &name, const QString &indexTable, bool isIndex)
{
    if (isIndex)
        return component(indexTable) + QLatin1Char('.') + component(name) + QStringLiteral(".SQL");
    return component(name) + QStringLiteral(".SQL");
}

QString TScriptLayout::RelativeFile(const QString &fileName)
{
    return relativeFile(fileName);
}

QString TScriptLayout::ObjectFile(const QString &database, const QString &schema, const QString &typeWord,
                                  const QString &fileName) const
{
    if (m_oneScript)
        return m_path;
    const QString file = relativeFile(fileName);
    if (!m_dir)
        return m_path + file;
    const QString d = component(database), s = component(schema), t = component(typeWord);
    if (m_treeSort == 1)
        return m_path + t + QLatin1Char('/') + d + QLatin1Char('/') + s + QLatin1Char('/') + file;
    return m_path + d + QLatin1Char('/') + s + QLatin1Char('/') + t + QLatin1Char('/') + file;
}

QString TScriptLayout::GrantFile(const QString &database, const QString &schema, const QString &typeWord,
                                 const QString &fileName) const
{
    if (m_oneScript || m_grantMode == 0)
        return QString();
    if (m_grantMode == 1) {
        const QString d = component(database), s = component(schema), file = relativeFile(fileName);
        if (m_treeSort == 1)
            return m_path + QStringLiteral("GRANT/") + d + QLatin1Char('/') + s + QLatin1Char('/') + file;
        return m_path + d + QLatin1Char('/') + s + QStringLiteral("/GRANT/") + file;
    }
    const QString shared = QStringLiteral("_GRANT.SQL");
    if (!m_dir)
        return m_path + shared;
    if (m_treeSort == 1)
        return m_path + component(typeWord) + QLatin1Char('/') + shared;
    return m_path + component(database) + QLatin1Char('/') + component(schema) + QLatin1Char('/') + shared;
}

TFileScriptSink *TScriptLayout::Open(const QString &fileName)
{
    const QString folder = QFileInfo(fileName).absolutePath();
    if (!ForceDir(folder))
        throw Exception(fileError(fileName, QStringLiteral("フォルダを作成できません。")));
    const bool usedBefore = m_used.contains(fileName);
    const bool append = usedBefore || (!m_sameName && QFileInfo::exists(fileName));
    auto *sink = new TFileScriptSink(fileName, append);
    if (!usedBefore)
        m_used << fileName;
    return sink;
}

// --- Source history ---------------------------------------------------------------------------

QString SourceHistoryFile(const QString &folder, const QString &schema, int objectType, const QString &name,
                          bool numbered)
{
    QString base = folder;
    if (!schema.isEmpty())
        base += component(schema) + QLatin1Char('/');
    base += component(ObjTypeToName(objectType)) + QLatin1Char('/') + relativeFile(name);
    if (!numbered)
        return base + QStringLiteral(".sql");
    for (int n = 0;; ++n) {
        const QString path = base + QStringLiteral("_%1.sql").arg(n, 2, 10, QLatin1Char('0'));
        if (!QFileInfo::exists(path))
            return path;
    }
}
