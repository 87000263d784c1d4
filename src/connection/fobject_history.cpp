// The source history the editors keep of an object before and after they
// change it.

#include "connection/fobject.h"
#include "connection/fobject_p.h"
#include "connection/fobject_script.h"
#include "core/dsqlserver.h"
#include "core/zksub_datetime.h"
#include "core/zksub_dialogs.h"
#include "core/zksub_files.h"
#include "core/zksub_objtype.h"
#include "platform/db/db.h"
#include "platform/rtl/exceptions.h"

#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QMainWindow>

void TfrmObject::SaveBeforeSource(const QString &Database, const QString &Schema, const QString &ObjectName,
                                  int ObjectType)
{
    SaveSource(true, Database, Schema, ObjectName, ObjectType);
}

void TfrmObject::SaveAfterSource(const QString &Database, const QString &Schema, const QString &ObjectName,
                                 int ObjectType)
{
    SaveSource(false, Database, Schema, ObjectName, ObjectType);
}

void TfrmObject::SaveSource(bool before, const QString &Database, const QString &Schema, const QString &ObjectName,
                            int ObjectType)
{
    if (!(before ? zkOption.SaveBeforeSrc : zkOption.SaveAfterSrc))
        return;
    const QString folder = before ? zkOption.SaveBeforeSrcDir : zkOption.SaveAfterSrcDir;
    const bool numbered = before ? zkOption.SaveBeforeSrcRenum : zkOption.SaveAfterSrcRenum;
    const bool header = before ? zkOption.SaveBeforeSrcHead : zkOption.SaveAfterSrcHead;
    const bool dialog = before ? zkOption.SaveBeforeSrcDialog : zkOption.SaveAfterSrcDialog;
    const QString typeWord = ObjTypeToName(ObjectType);

    QString name = ObjectName;
    const QString line = NameTableLine(g_Server);
    if (!line.trimmed().isEmpty()) {
        const QString table = QualifiedNameTable(line, dmSQLServer->DataBase(), GetCurrentSchema());
        // The object's own database first; a row of any other serves when
        // it has none.
        TFDQuery *query = OpenSQL(QStringLiteral("SELECT SCRIPT_NAME FROM ") + table
                                      + QStringLiteral(" WHERE OWNER = :OWNER AND OBJECT_NAME = :OBJECT_NAME"
                                                       " AND OBJECT_TYPE = :OBJECT_TYPE ORDER BY CASE WHEN"
                                                       " DATABASE_NAME = :DATABASE_NAME THEN 0 ELSE 1 END"),
                                  {Schema, ObjectName, typeWord, Database});
        if (!query->Eof() && !query->Fields(0)->AsString().isEmpty())
            name = query->Fields(0)->AsString();
        query->Close();
    }

    QString path = SourceHistoryFile(folder, Schema, ObjectType, name, numbered);
    if (!ForceDir(QFileInfo(path).absolutePath()))
        throw Exception(QStringLiteral("フォルダ %1 を作成できません。").arg(QFileInfo(path).absolutePath()));

    if (dialog) {
        const QStringList filters = FileDialogFilters(
            QStringLiteral("SQLファイル(*.sql)|*.sql|テキストファイル(*.txt)|*.txt|すべてのファイル(*.*)|*.*"));
        QFileDialog save(zkMainForm ? zkMainForm->Window() : nullptr,
                         before ? QStringLiteral("変更前ソースの保存") : QStringLiteral("変更後ソースの保存"));
        save.setObjectName(QStringLiteral("dlgSourceSave"));
        save.setAcceptMode(QFileDialog::AcceptSave);
        save.setFileMode(QFileDialog::AnyFile);
        save.setOption(QFileDialog::DontUseNativeDialog);
        save.setNameFilters(filters);
        save.setDirectory(QFileInfo(path).absolutePath());
        save.selectFile(QFileInfo(MakeUniqueFileName(path)).fileName());
        if (save.exec() != QDialog::Accepted || save.selectedFiles().isEmpty())
            return;
        path = save.selectedFiles().constFirst();
        if (!HasKnownFileExt(path))
            path += FileDialogFilterIndex(filters, save.selectedNameFilter()) == 2 ? QStringLiteral(".txt")
                                                                                   : QStringLiteral(".sql");
    }

    TFileScriptSink sink(path, false);
    if (header)
        sink.Write(QStringLiteral("-- ") + DateTimeToStr(QDateTime::currentDateTime())
                   + (before ? QStringLiteral(" 変更前ソース") : QStringLiteral(" 変更後ソース"))
                   + QStringLiteral("\r\n"));
    QString error;
    if (!OutputScript(ObjectType, Database, Schema, ObjectName, sink, QString(), QString(), false, QString(), &error))
        ShowAppMessage(QStringLiteral("%1 のソース履歴を保存できませんでした。\r\n%2")
                           .arg(Schema.isEmpty() ? ObjectName : Schema + QLatin1Char('.') + ObjectName, error),
                       MB_ICONWARNING);
}
