#include "editors/fobjecteditor.h"

#include "connection/fddlexec.h"
#include "connection/fddlpreview.h"
#include "connection/fobject.h"
#include "connection/fsqlwait.h"
#include "core/zkreg.h"
#include "core/zksub.h"
#include "core/zksub_dialogs.h"
#include "core/zksub_files.h"
#include "core/zksub_text.h"

#include <QLineEdit>
#include <QComboBox>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QWheelEvent>

namespace {

const QString kCRLF = QStringLiteral("\r\n");

} // namespace

QStringList DatabaseLine(const QString &writtenDatabase, const QString &comparedDatabase, const QString &logonDatabase,
                         bool scriptMode, int databaseOption, bool isAzure)
{
    bool write = true;
    if (scriptMode)
        write = !isAzure
                && (databaseOption == 0
                    || (databaseOption == 1 && comparedDatabase.compare(logonDatabase, Qt::CaseInsensitive) != 0));
    if (!write || writtenDatabase.isEmpty())
        return {};
    return {QStringLiteral("use ") + BracketName(writtenDatabase) + kCRLF + QStringLiteral("go")};
}

QString ObjectWindowCaption(const QString &typeWord, const QString &database, const QString &schema,
                            const QString &objectName, const QString &server, const QString &logonDatabase)
{
    return typeWord + QStringLiteral(" - ") + database + QLatin1Char('.') + schema + QLatin1Char('.') + objectName
           + QStringLiteral(" @ ") + server + QLatin1Char('.') + logonDatabase;
}

void TzkObjectTabBar::mousePressEvent(QMouseEvent *event)
{
    const int index = tabAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && index >= 0 && index != currentIndex() && Changing && !Changing(index))
        return;
    QTabBar::mousePressEvent(event);
}

void TzkObjectTabBar::keyPressEvent(QKeyEvent *event)
{
    int index = -1;
    if (event->key() == Qt::Key_Left || event->key() == Qt::Key_Up)
        index = currentIndex() - 1;
    else if (event->key() == Qt::Key_Right || event->key() == Qt::Key_Down)
        index = currentIndex() + 1;
    if (index >= 0 && index < count() && Changing && !Changing(index))
        return;
    QTabBar::keyPressEvent(event);
}

void TzkObjectTabBar::wheelEvent(QWheelEvent *event)
{
    // A wheel would move the page without asking.
    event->ignore();
}

TzkObjectPages::TzkObjectPages(QWidget *parent)
    : QTabWidget(parent)
    , m_bar(new TzkObjectTabBar(this))
{
    setTabBar(m_bar);
}

TEditorServices TEditorServices::Defaults()
{
    TEditorServices s;
    s.Preview = [](QStringList &sql, const QString &database, const QString &schema, const QString &name) {
        return TfrmDDLPreview::ShowWindow(sql, database, schema, name);
    };
    s.Execute = [](TfrmObject *owner, const QStringList &sql) {
        TfrmDDLExec::ShowWindow(owner, sql);
        TfrmDDLExec::WaitProc();
    };
    s.SaveBefore = [](TfrmObject *owner, const QString &database, const QString &schema, const QString &name,
                      int objectType) { owner->SaveBeforeSource(database, schema, name, objectType); };
    s.SaveAfter = [](TfrmObject *owner, const QString &database, const QString &schema, const QString &name,
                     int objectType) { owner->SaveAfterSource(database, schema, name, objectType); };
    s.Message = [](const QString &text, int flags) { return ShowAppMessage(text, flags); };
    return s;
}

TEditorServices &EditorServices()
{
    static TEditorServices services = TEditorServices::Defaults();
    return services;
}

TfrmObjectEditor::TfrmObjectEditor(TfrmObject *owner)
    : TzkForm(owner)
    , m_connection(owner)
{
}

TfrmObjectEditor::~TfrmObjectEditor() = default;

void TfrmObjectEditor::SetNames(const QString &database, const QString &schema, const QString &objectName)
{
    FDatabase = database;
    FSchema = schema;
    FObjectName = objectName;
}

QString TfrmObjectEditor::WindowCaption() const
{
    return ObjectWindowCaption(TypeWord(), FDatabase, FSchema, FObjectName, m_connection->g_Server,
                               m_connection->g_DataBase);
}

void TfrmObjectEditor::InitShown()
{
    InitForm();
    CreateTaskButton();
    BeforeFirstLoad();
    SetIsNew(FObjectName.isEmpty());
    ChangedIsNew();
    m_shown = true;
    pagObjectChange();
}

void TfrmObjectEditor::ChangedIsNew()
{
    if (IsNew()) {
        setWindowTitle(TypeWord() + QStringLiteral(" - 新規"));
        SetTaskCaption(QStringLiteral("新規"));
    } else {
        setWindowTitle(TypeWord() + QStringLiteral(" - ") + FDatabase + QLatin1Char('.')
                       + m_connection->GetConnectInfo(FSchema, FObjectName, true));
        SetTaskCaption(FObjectName);
    }
    EnableNameFields(IsNew());
}

void TfrmObjectEditor::LoadAll()
{
    TSQLWaitCursor wait;
    if (!LoadObject()) {
        if (!m_scriptMode)
            Ask(QStringLiteral("オブジェクトが見つからないか、参照できませんでした。"), MB_OK | MB_ICONERROR);
        throw EAbort();
    }
    SetModified(false);
}

QStringList TfrmObjectEditor::DatabaseLine() const
{
    return ::DatabaseLine(FDatabase, FDatabase, m_connection->g_DataBase, m_scriptMode, Options().Database,
                          m_connection->IsAzure);
}

QString TfrmObjectEditor::FieldText(QWidget *field) const
{
    if (auto *edit = qobject_cast<QLineEdit *>(field))
        return edit->text();
    if (auto *combo = qobject_cast<QComboBox *>(field))
        return combo->currentText();
    return {};
}

void TfrmObjectEditor::FieldError(const QString &text, QWidget *field) const
{
    Ask(text, MB_OK | MB_ICONWARNING);
    if (field)
        field->setFocus();
    throw EAbort();
}

void TfrmObjectEditor::CheckFields()
{
    if (QWidget *f = DatabaseField(); f && FieldText(f).trimmed().isEmpty())
        FieldError(QStringLiteral("データベース名を入力して下さい。"), f);
    if (QWidget *f = SchemaField(); f && FieldText(f).trimmed().isEmpty())
        FieldError(QStringLiteral("スキーマ名を入力して下さい。"), f);
    if (QWidget *f = NameField(); f && FieldText(f).trimmed().isEmpty())
        FieldError(QStringLiteral("名前を入力して下さい。"), f);
}

bool TfrmObjectEditor::CompileEnabled() const
{
    return Modified() || SourceTabActive();
}

void TfrmObjectEditor::Compile()
{
    if (m_busy)
        return;
    m_busy = true;
    struct Reset
    {
        bool &b;
        ~Reset() { b = false; }
    } reset{m_busy};

    ExitActiveControl();
    CheckFields();
    QStringList sql = BuildCompileScript();
    const TEditorServices &services = EditorServices();
    if (sql.isEmpty()) {
        Ask(QStringLiteral("変更箇所が見つかりませんでした。"), MB_OK | MB_ICONINFORMATION);
        SetIsNew(false);
        ChangedIsNew();
        LoadAll();
        return;
    }
    if (!services.Preview(sql, FDatabase, FSchema, FObjectName))
        return;
    if (!IsNew())
        services.SaveBefore(m_connection, FDatabase, FSchema, FObjectName, ObjType());
    // A run stopped at a failing batch raises EAbort and ends the road here.
    services.Execute(m_connection, sql);
    services.SaveAfter(m_connection, FDatabase, FSchema, FObjectName, ObjType());
    SetIsNew(false);
    ChangedIsNew();
    LoadAll();
}

void TfrmObjectEditor::Reload()
{
    if (m_busy)
        return;
    if (Modified()) {
        m_busy = true;
        const int answer = Ask(QStringLiteral("全ての変更を取り消しますか？"), MB_YESNO | MB_ICONQUESTION);
        m_busy = false;
        if (answer != IDYES)
            return;
    }
    if (!IsNew())
        LoadAll();
    else
        SetModified(false);
}

void TfrmObjectEditor::Delete()
{
    if (IsNew() || m_busy)
        return;
    m_busy = true;
    const int answer = Ask(QStringLiteral("オブジェクトを削除しますか？"), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    m_busy = false;
    if (answer != IDYES)
        return;
    QStringList sql = DatabaseLine();
    sql << BuildDropScript();
    m_connection->ExecuteSQL(sql, false);
    Ask(QStringLiteral("オブジェクトが削除されました。"), MB_OK | MB_ICONINFORMATION);
    SetModified(false);
    Close();
}

TzkObjectPages *TfrmObjectEditor::CreatePages(QWidget *parent)
{
    auto *pages = new TzkObjectPages(parent);
    pages->Bar()->Changing = [this](int index) { return TabChanging(index); };
    connect(pages, &QTabWidget::currentChanged, this, [this] { pagObjectChange(); });
    return pages;
}

bool TfrmObjectEditor::TabChanging(int index)
{
    Q_UNUSED(index)
    if (m_busy)
        return false;
    if (!Modified())
        return true;
    m_busy = true;
    const int answer =
        Ask(QStringLiteral("情報が変更されています。コンパイルしますか？"), MB_YESNOCANCEL | MB_ICONQUESTION);
    m_busy = false;
    if (answer == IDCANCEL)
        return false;
    if (answer == IDNO) {
        SetModified(false);
        return true;
    }
    try {
        Compile();
    } catch (const EAbort &) {
        // The road ended early (a field, a cancelled preview, a stopped
        // run): the changes stay and so does the page.
    }
    return !Modified();
}

void TfrmObjectEditor::pagObjectChange()
{
    if (IsNew() || !m_shown)
        return;
    setUpdatesEnabled(false);
    struct Thaw
    {
        QWidget *w;
        ~Thaw() { w->setUpdatesEnabled(true); }
    } thaw{this};
    LoadAll();
}

void TfrmObjectEditor::LoadWindowLayout()
{
    TzkRegistry reg;
    if (!reg.OpenKeyReadOnly(ZK_REG_ROOT + QStringLiteral("\\GUI\\") + LayoutKey()))
        return;
    resize(reg.GetInteger(QStringLiteral("Width"), width()), reg.GetInteger(QStringLiteral("Height"), height()));
}

void TfrmObjectEditor::SaveWindowLayout()
{
    // An MDI child is maximised or minimised through its frame.
    const auto *frame = qobject_cast<QMdiSubWindow *>(parentWidget());
    const Qt::WindowStates state = frame ? frame->windowState() : windowState();
    if (state & (Qt::WindowMinimized | Qt::WindowMaximized))
        return;
    TzkRegistry reg;
    if (!reg.OpenKey(ZK_REG_ROOT + QStringLiteral("\\GUI\\") + LayoutKey(), true))
        return;
    reg.WriteInteger(QStringLiteral("Width"), width());
    reg.WriteInteger(QStringLiteral("Height"), height());
}

void TfrmObjectEditor::WriteScriptTo(const TScriptOption &options, TScriptSink &sink)
{
    m_scriptMode = true;
    m_options = &options;
    SetIsNew(false);
    try {
        LoadAll();
    } catch (const EAbort &) {
        return; // a missing object writes nothing
    }
    QStringList lines;
    for (const QString &item : BuildScript(options.Drop))
        lines << item.split(kCRLF);
    RemoveRepeatedUse(lines);
    if (options.NullLine)
        lines.removeAll(QString());
    if (lines.isEmpty())
        return;
    sink.Write(lines.join(kCRLF) + kCRLF);
}
