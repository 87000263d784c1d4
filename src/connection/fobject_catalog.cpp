#include "connection/fobject.h"

#include "connection/fobject_p.h"
#include "connection/fobject_sql.h"
#include "core/dsqlserver.h"
#include "core/zkoption.h"
#include "platform/db/db.h"

#include <QApplication>

#include <algorithm>
#include <functional>

// The catalogue query interface that every window of the connection uses.

namespace {

void sortNames(QStringList &names)
{
    std::stable_sort(names.begin(), names.end(),
                     [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
}

} // namespace

QString TfrmObject::Use(const QString &DataBase) const
{
    return UseText(DataBase);
}

QString TfrmObject::VerStr(int Version, const QString &S1, const QString &S2) const
{
    return DBVer >= Version ? S1 : S2;
}

void TfrmObject::ExecuteSQL(const QString &SQLText)
{
    TSQLWaitCursor wait;
    qryExec->Close();
    qryExec->SetParamCreate(false);
    qryExec->Params().Clear();
    qryExec->SetSQL(SQLText);
    try {
        qryExec->ExecSQL();
    } catch (...) {
        qryExec->Close();
        throw;
    }
    qryExec->Close();
}

void TfrmObject::ExecuteSQL(const QStringList &SQLText, bool IgnoreError)
{
    TSQLWaitCursor wait;
    const QStringList batches = SplitScriptBatches(SQLText);
    for (const QString &batch : batches) {
        try {
            ExecuteSQL(batch);
        } catch (const EDBError &e) {
            if (!IgnoreError || e.Kind() == TDBErrorKind::Cancelled)
                throw;
        }
    }
}

TFDQuery *TfrmObject::OpenSQL(const QString &SQLText)
{
    TFDQuery *query = dmSQLServer->qryGeneral;
    query->Close();
    query->Params().Clear();
    query->SetSQL(SQLText);
    query->Open();
    return query;
}

TFDQuery *TfrmObject::OpenSQL(const QString &SQLText, const QStringList &ParamData)
{
    TFDQuery *query = dmSQLServer->qryGeneral;
    query->Close();
    query->SetParamCreate(true);
    query->SetSQL(SQLText);
    for (int i = 0; i < ParamData.size(); ++i) {
        if (i >= query->Params().Count())
            throw EListError(i);
        query->Params().Items(i).SetAsWideString(ParamData.at(i));
    }
    query->Open();
    return query;
}

namespace {

// The common frame of the list operations: the wait cursor, the list emptied
// first, the first column of every row.
void fillList(QStringList &ListData, bool sorted, bool closeAfter, const std::function<TFDQuery *()> &open)
{
    TSQLWaitCursor wait;
    ListData.clear();
    QStringList names;
    TFDQuery *query = open();
    for (; !query->Eof(); query->Next())
        names << query->Fields(0)->AsString();
    if (closeAfter)
        query->Close();
    if (sorted)
        sortNames(names);
    ListData << names;
}

} // namespace

void TfrmObject::GetDatabase(QStringList &ListData)
{
    fillList(ListData, true, true, [this] { return OpenSQL(GetDatabaseSQL(IsAzure)); });
}

void TfrmObject::GetUser(QStringList &ListData, const QString &Database, bool IsGrant)
{
    fillList(ListData, true, true, [&] { return OpenSQL(GetUserSQL(DialectOf(this), Database, IsGrant)); });
}

void TfrmObject::GetObject(QStringList &ListData, const QString &Database, const QString &Schema,
                           const QString &ObjectType)
{
    const QString sql = GetObjectSQL(DialectOf(this), Database, ObjectType);
    if (sql.isEmpty()) {
        ListData.clear();
        return;
    }
    const QString owner = Schema.trimmed().isEmpty() ? QStringLiteral("%") : Schema;
    fillList(ListData, true, true, [&] { return OpenSQL(sql, {owner}); });
}

QString TfrmObject::GetCurrentSchema() const
{
    return g_Schema;
}

void TfrmObject::GetFileGroup(QStringList &ListData)
{
    fillList(ListData, false, true,
             [this] { return OpenSQL(QStringLiteral("select groupname from sysfilegroups order by groupid asc")); });
}

void TfrmObject::GetDataType(QStringList &ListData, int ObjType)
{
    fillList(ListData, false, false, [&] { return OpenSQL(GetDataTypeSQL(ObjType)); });
}

void TfrmObject::GetCollationType(QStringList &ListData)
{
    fillList(ListData, false, false, [this] { return OpenSQL(QStringLiteral("select * from fn_helpcollations()")); });
}

QString TfrmObject::GetConnectInfo(const QString &Schema, const QString &ObjectName, bool IsAddDB) const
{
    const QString login = dmSQLServer ? dmSQLServer->Login().trimmed() : g_UserID.trimmed();
    const QString server = dmSQLServer ? dmSQLServer->Server().trimmed() : g_Server.trimmed();
    const QString database = dmSQLServer ? dmSQLServer->DataBase().trimmed() : g_DataBase.trimmed();
    QString text;
    if (Schema.trimmed().isEmpty() || ObjectName.trimmed().isEmpty())
        text = login + QStringLiteral(" @ ") + server;
    else
        text = Schema.trimmed() + QLatin1Char('.') + ObjectName.trimmed() + QStringLiteral(" @ ") + server;
    if (IsAddDB)
        text += QLatin1Char('.') + database;
    return text;
}
