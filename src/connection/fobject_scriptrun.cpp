// The connection window's script output and print commands over the object
// list's selection.

#include "connection/fobject.h"
#include "connection/fobject_p.h"
#include "connection/fobject_script.h"
#include "connection/fscriptoption.h"
#include "controls/fprint.h"
#include "controls/zkcomctrls.h"
#include "core/dsqlserver.h"
#include "core/zksub_dialogs.h"
#include "core/zksub_files.h"
#include "core/zksub_objtype.h"
#include "core/zksub_text.h"
#include "platform/db/db.h"
#include "platform/rtl/exceptions.h"

#include <memory>

namespace {

constexpr int kIndex = 46;
// The list's detail column with the table of an index in the index view.
constexpr int kIndexTableDetail = 3;
// The failed objects a completion message names before it counts the rest.
constexpr int kFailedShown = 20;

QString objectTitle(const TzkListItem &item)
{
    return item.SubItem(0) + QLatin1Char('.') + item.SubItem(1) + QLatin1Char('.') + item.Caption;
}

QString failedText(const QStringList &failed)
{
    QStringList shown = failed.mid(0, kFailedShown);
    if (failed.size() > kFailedShown)
        shown << QStringLiteral("ほか %1 件").arg(failed.size() - kFailedShown);
    return shown.join(QStringLiteral("\r\n"));
}

} // namespace

TScriptRunResult TfrmObject::RunScriptOutput(const QString &Path, const QString &NameTable)
{
    TScriptRunResult result;
    const TScriptOption options(ScriptOption);
    TScriptLayout layout(Path, options, zkOption.TreeSort);
    TListLoopGuard guard(this);

    const int total = lstObject->SelCount();
    int counter = 0;
    int item = lstObject->SelectedIndex();
    while (item >= 0) {
        if (IsEscapePressed()) {
            result.Escaped = true;
            break;
        }
        lstObject->MakeVisible(item);
        ++counter;
        if (zkMainForm)
            zkMainForm->SetLoopMessage(counter, total);
        const TzkListItem listed = lstObject->Item(item);
        const QString &db = listed.SubItem(0);
        const QString &schema = listed.SubItem(1);
        const QString &typeWord = listed.SubItem(2);
        const QString &name = listed.Caption;
        int kind = ObjTypeFromName(typeWord);
        if (kind < 0)
            kind = listed.ImageIndex;
        const bool isIndex = listed.ImageIndex == kIndex;

        auto deselect = [&] {
            if (item < lstObject->ItemCount())
                lstObject->SetSelected(item, false);
            item = nextSelected(lstObject, item);
        };

        // The index of a primary key or unique constraint comes with its
        // constraint's script.
        if (isIndex) {
            TFDQuery *query =
                OpenSQL(Use(db) + QStringLiteral("select name from sysobjects where uid = ")
                            + VerStr(9, QStringLiteral("schema_id(:OWNER)"), QStringLiteral("user_id(:OWNER)"))
                            + QStringLiteral(" and name = :NAME and xtype in (N'PK', N'UQ')"),
                        {schema, name});
            const bool constraintIndex = !query->Eof();
            query->Close();
            if (constraintIndex) {
                deselect();
                continue;
            }
        }

        QString table;
        if (isIndex) {
            // Index names are unique per table only: the list's own column
            // first, the catalogue when the list does not know it.
            table = IndexTableOf(item);
            if (table.isEmpty() && DBVer >= 9) {
                TFDQuery *query = OpenSQL(Use(db)
                                              + QStringLiteral("select object_name(a.object_id) from sys.indexes as a"
                                                               " inner join sysobjects b on a.object_id = b.id"
                                                               " and a.name = :NAME and b.uid = schema_id(:OWNER)"),
                                          {name, schema});
                if (!query->Eof())
                    table = query->Fields(0)->AsString();
                query->Close();
            }
            if (table.isEmpty())
                table = listed.SubItem(kIndexTableDetail);
        }

        QString file;
        QString grantFile;
        try {
            QString fileName = TScriptLayout::DefaultFileName(name, table, isIndex);
            if (!options.OneScript && !NameTable.isEmpty()) {
                TFDQuery *query =
                    OpenSQL(QStringLiteral("SELECT SCRIPT_NAME FROM ") + NameTable
                                + QStringLiteral(" WHERE DATABASE_NAME = :DATABASE_NAME AND OWNER = :OWNER"
                                                 " AND OBJECT_NAME = :OBJECT_NAME AND OBJECT_TYPE = "
                                                 ":OBJECT_TYPE"),
                            {db, schema, name, ObjTypeToName(listed.ImageIndex)});
                if (!query->Eof() && !query->Fields(0)->AsString().isEmpty())
                    fileName = query->Fields(0)->AsString();
                query->Close();
            }
            file = layout.ObjectFile(db, schema, typeWord, fileName);
            if (options.Grant)
                grantFile = layout.GrantFile(db, schema, typeWord, fileName);
        } catch (const EDBError &) {
            throw;
        } catch (const Exception &e) {
            // A name that cannot be a file: this object fails, the run goes on.
            result.Failed << objectTitle(listed) + QStringLiteral(": ") + e.message();
            deselect();
            continue;
        }

        const std::unique_ptr<TFileScriptSink> sink(layout.Open(file));
        QString error;
        if (OutputScript(kind, db, schema, name, *sink, QString(), QString(), options.Drop, table, &error))
            ++result.Written;
        else
            result.Failed << objectTitle(listed) + QStringLiteral(": ") + error;
        if (options.Grant) {
            if (grantFile.isEmpty()) {
                OutputGrant(db, schema, name, *sink, false);
            } else {
                const std::unique_ptr<TFileScriptSink> grants(layout.Open(grantFile));
                OutputGrant(db, schema, name, *grants, false);
            }
        }
        deselect();
    }
    return result;
}

void TfrmObject::actScriptExecute()
{
    if (lstObject->SelCount() == 0)
        return;
    QString path;
    QString nameTable;
    if (!TfrmScriptOption::ShowWindow(this, path, nameTable))
        return;
    // The run's "use" lines move the session: the name table stays in the
    // database that was current when the user confirmed.
    const QString table =
        QualifiedNameTable(nameTable, dmSQLServer ? dmSQLServer->DataBase() : g_DataBase, GetCurrentSchema());
    const TScriptRunResult result = RunScriptOutput(path, table);
    if (result.Failed.isEmpty())
        ShowAppMessage(QStringLiteral("スクリプトが出力されました。"), MB_ICONINFORMATION);
    else
        ShowAppMessage(QStringLiteral("スクリプトが出力されましたが、次のオブジェクトは出力できませんでした。\r\n")
                           + failedText(result.Failed),
                       MB_ICONWARNING);
}

void TfrmObject::actPrintExecute()
{
    if (lstObject->SelCount() == 0)
        return;
    TfrmPrint::ShowWindow(QStringLiteral("選択したオブジェクト"), [this] { PrintObjectScripts(); });
}

void TfrmObject::PrintObjectScripts()
{
    if (lstObject->SelCount() == 0)
        return;
    QStringList failed;
    TfrmPrint::BeginPrint();
    try {
        TListLoopGuard guard(this);
        const int total = lstObject->SelCount();
        int counter = 0;
        int item = lstObject->SelectedIndex();
        while (item >= 0 && !IsEscapePressed()) {
            lstObject->MakeVisible(item);
            ++counter;
            if (zkMainForm)
                zkMainForm->SetLoopMessage(counter, total);
            const TzkListItem listed = lstObject->Item(item);
            const QString &db = listed.SubItem(0);
            const QString &schema = listed.SubItem(1);
            bool skip = false;
            if (listed.ImageIndex == kIndex) {
                const QString sql = Use(db) + QStringLiteral("select object_name(a.constid) from sysconstraints a")
                                    + QStringLiteral("  left outer join sysobjects b         ")
                                    + QStringLiteral("    on a.constid = b.id                ")
                                    + QStringLiteral(" where b.uid = ")
                                    + VerStr(9, QStringLiteral("schema_id(:USER)"), QStringLiteral("user_id(:USER)"))
                                    + QStringLiteral("   and a.constid = object_id(:NAME)     ")
                                    + QStringLiteral("   and xtype in ('PK', 'UQ')");
                TFDQuery *query =
                    OpenSQL(sql, {schema, BracketCatalogName(db) + QLatin1Char('.') + BracketCatalogName(schema)
                                              + QLatin1Char('.') + BracketCatalogName(listed.Caption)});
                skip = !query->Eof();
                query->Close();
            }
            if (!skip) {
                int kind = ObjTypeFromName(listed.SubItem(2));
                if (kind < 0)
                    kind = listed.ImageIndex;
                TMemoryScriptSink sink;
                QString error;
                if (OutputScript(kind, db, schema, listed.Caption, sink, QString(), QString(), false, QString(),
                                 &error)) {
                    QStringList lines = sink.Text.split(QStringLiteral("\r\n"));
                    if (!lines.isEmpty() && lines.last().isEmpty())
                        lines.removeLast();
                    TfrmPrint::PrintSource(objectTitle(listed), lines, true);
                } else {
                    failed << objectTitle(listed) + QStringLiteral(": ") + error;
                }
            }
            if (item < lstObject->ItemCount())
                lstObject->SetSelected(item, false);
            item = nextSelected(lstObject, item);
        }
    } catch (...) {
        TfrmPrint::EndPrint();
        throw;
    }
    TfrmPrint::EndPrint();
    if (!failed.isEmpty())
        ShowAppMessage(QStringLiteral("次のオブジェクトは印刷できませんでした。\r\n") + failedText(failed),
                       MB_ICONWARNING);
}
