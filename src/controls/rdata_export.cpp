#include "controls/rdata.h"
#include "core/zkwaitcursor.h"

#include "controls/fcsvsql.h"
#include "controls/zkstdctl.h"
#include "controls/rdata_exporttext.h"
#include "core/zkoption.h"
#include "core/zksub_dialogs.h"
#include "core/zksub_files.h"
#include "core/zkwindows.h"
#include "platform/encoding/textencoding.h"
#include "platform/rtl/exceptions.h"
#include "sqleditor/zksub_parse.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMainWindow>
#include <QPointer>

// The Excel export is built in its own unit; until it is, its button says so
// instead of doing nothing.

namespace {

void ResultExportNotBuilt()
{
    ShowAppMessage(QStringLiteral("この出力はまだ使用できません。"), MB_ICONINFORMATION);
}

// Controls off while the loop moves the record; status bar and controls
// back at the end, also on failure.
class ExportRun
{
public:
    explicit ExportRun(TFDQuery *query)
        : m_query(query)
    {
        ResetEscapeLatch();
        if (zkMainForm)
            zkMainForm->SetLoopMessage(0, 0);
        m_query->DisableControls();
    }
    ~ExportRun()
    {
        m_query->EnableControls();
        if (zkMainForm)
            zkMainForm->SetDefMessage();
    }
    ExportRun(const ExportRun &) = delete;
    ExportRun &operator=(const ExportRun &) = delete;

    static void Progress(qint64 n, qint64 total)
    {
        if (zkMainForm)
            zkMainForm->SetLoopMessage(int(n), int(total));
    }

private:
    TFDQuery *m_query;
};

QString SaveFailedMessage(const QString &fileName)
{
    return QFileInfo(fileName).fileName()
           + QStringLiteral(" の保存に失敗しました。次のいずれかの理由が考えられます。\r\n")
           + QStringLiteral("・ファイル名またはパスが存在しません。\r\n")
           + QStringLiteral("・ファイルが他のプログラムによって使用されています。\r\n")
           + QStringLiteral("・権限が不足しています。");
}

QString WithTrailingSeparator(const QString &folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

// The table an INSERT script names when the owner gives none: the one table
// of a SELECT, else asked. Empty when the user cancels.
bool AskInsertTableName(QString &name)
{
    QString owner;
    QString value;
    if (!InputQueryDialog(QStringLiteral("INSERT文出力"), QStringLiteral("テーブル名を指定してください。"), value, {},
                          {}, owner, false))
        return false;
    name = value;
    return true;
}

bool StatementTableName(const QString &sql, QString &name)
{
    QStringList lines = sql.split(QLatin1Char('\n'));
    for (QString &l : lines)
        if (l.endsWith(QLatin1Char('\r')))
            l.chop(1);
    StripSqlComments(lines, false);
    TzkSQLType kind = sqltNone;
    bool parsed = false;
    TzkParseList columns, tables, order;
    if (!lines.isEmpty()) {
        QStringList where, group, having;
        QString view;
        try {
            kind = ParseSqlTables(lines.join(QStringLiteral("\r\n")), columns, tables, order, where, group, having,
                                  QString(), view);
            parsed = true;
        } catch (const Exception &) {
            tables.Clear();
        }
    }
    if (parsed && kind == sqltSelect && tables.Count() == 1) {
        QString parsedName = tables.ObjectName(0);
        // The parser splits at blanks and knows no brackets or quotes: a
        // name it left open is read again from the statement.
        if (parsedName.count(QLatin1Char('[')) > parsedName.count(QLatin1Char(']'))
            || parsedName.count(QLatin1Char('"')) % 2 != 0) {
            parsedName = FirstFromName(lines.join(QLatin1Char('\n')));
            if (parsedName.isEmpty())
                return AskInsertTableName(name);
        }
        name = parsedName;
        return true;
    }
    return AskInsertTableName(name);
}

} // namespace

void TfraData::btnExcelClick()
{
    ResultExportNotBuilt();
}

void TfraData::btnInsertClick()
{
    if (!qryData->Active())
        return;
    qryData->First();
    if (qryData->IsEmpty() || qryData->Eof()) {
        ShowAppMessage(QStringLiteral("出力可能なデータがありません。"), MB_ICONWARNING);
        return;
    }
    QString table;
    const TzkDataOwnerKind kind = OwnerKind();
    if (kind == dokTable || kind == dokView) {
        table = FTableName;
    } else if (kind == dokDataGenerate) {
        if (auto *o = dynamic_cast<IzkDataFrameOwner *>(m_owner.data()))
            table = o->DataInsertTableName();
    } else if (!StatementTableName(FSQL.isEmpty() ? qryData->SQL() : FSQL, table)) {
        return;
    }
    table = InsertTableName(table);

    QFileDialog dialog(this, QStringLiteral("名前を付けて保存"));
    dialog.setObjectName(QStringLiteral("dlgInsertSave"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilters(FileDialogFilters(
        QStringLiteral("SQLファイル(*.sql)|*.sql|テキストファイル(*.txt)|*.txt|すべてのファイル(*.*)|*.*")));
    if (!zkOption.FileDir.isEmpty() && QDir(zkOption.FileDir).exists())
        dialog.setDirectory(zkOption.FileDir);
    dialog.selectFile(QStringLiteral("insert.sql"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString fileName = dialog.selectedFiles().constFirst();
    if (zkMainForm && zkMainForm->Window())
        zkMainForm->Window()->setFocus();

    try {
        ExportRun run(qryData);
        WriteInsertScript(qryData, table, fileName, GetFileEncoding(), &ExportRun::Progress);
    } catch (const Exception &) {
        ShowAppMessage(SaveFailedMessage(fileName), MB_ICONERROR);
        return;
    }
    zkOption.FileDir = WithTrailingSeparator(QFileInfo(fileName).absolutePath());
    ShowAppMessage(QStringLiteral("ファイルに出力しました。"), MB_ICONINFORMATION);
}

void TfraData::btnCopyClick()
{
    if (!qryData->Active())
        return;
    bool header = zkOption.PasteHeader;
    bool comma = zkOption.PasteColumn == 1;
    if (zkOption.PasteDialog) {
        const TzkCheckList checks = {{QStringLiteral("列タイトルを出力する"), &header},
                                     {QStringLiteral("カンマ区切りにする(非チェック時はタブ区切り)"), &comma}};
        if (ShowCheckMessage(QStringLiteral("結果をクリップボードにコピーしますか？"), MB_YESNO | MB_ICONQUESTION,
                             checks)
            != IDYES)
            return;
    }
    TSQLWaitCursor wait;
    zkOption.PasteColumn = comma ? 1 : 0;
    QString text;
    try {
        ExportRun run(qryData);
        text = ClipboardText(qryData, header, comma ? QLatin1Char(',') : QLatin1Char('\t'), &ExportRun::Progress);
    } catch (const Exception &e) {
        ShowAppMessage(e.message(), MB_ICONERROR);
        return;
    }
    QApplication::clipboard()->setText(text);
    ShowAppMessage(QStringLiteral("クリップボードに出力しました。"), MB_ICONINFORMATION);
}

void TfraData::btnCSVClick()
{
    if (!qryData->Active())
        return;
    const QString dir = zkOption.CSVDir.isEmpty() ? QString() : WithTrailingSeparator(zkOption.CSVDir);
    TfrmCSVSQL form(this);
    form.chkRefresh->setEnabled(qryData->Active());
    form.txtSaveFile->setText(MakeUniqueFileName(dir + FTableName + QStringLiteral(".csv")));
    if (form.exec() != QDialog::Accepted)
        return;
    const QString fileName = form.txtSaveFile->text();
    TzkCsvOptions options;
    options.header = form.chkCSVHeader->isChecked();
    options.quoting = form.Quotation();
    options.lineFeedOnly = form.cmbLineBreak->currentIndex() == 1;

    if (form.chkRefresh->isChecked() || !qryData->Active()) {
        QPointer<TfraData> self(this);
        if (!(RefreshForExport && RefreshForExport(this)) && m_owner) {
            QEvent reload(WM_RELOAD);
            QCoreApplication::sendEvent(m_owner, &reload);
        }
        if (!self)
            return;
        if (!qryData->Active()) {
            ShowAppMessage(QStringLiteral("SQL が結果を返しませんでした。"), MB_ICONWARNING);
            return;
        }
    }

    TSQLWaitCursor wait;
    try {
        ExportRun run(qryData);
        WriteCsvFile(qryData, fileName, options, GetFileEncoding(), &ExportRun::Progress);
    } catch (const Exception &) {
        ShowAppMessage(SaveFailedMessage(fileName), MB_ICONERROR);
        return;
    }
    ShowAppMessage(QStringLiteral("CSVを出力しました。"), MB_ICONINFORMATION);
}
