#include "editors/fobjecteditor.h"

#include "connection/fddlexec.h"
#include "connection/fddlpreview.h"
#include "connection/fobject.h"
#include "connection/fsqlwait.h"
#include "core/dsqlserver.h"
#include "core/zkCommonData.h"
#include "core/zkactions.h"
#include "core/zkimagelist.h"
#include "core/zkreg.h"
#include "core/zksub.h"
#include "core/zksub_dialogs.h"
#include "core/zksub_files.h"
#include "core/zksub_text.h"
#include "platform/db/db.h"
#include "platform/graphics/colors.h"
#include "sqleditor/zkmemo.h"
#include "sqleditor/zksub_codeassist.h"

#include <QAction>
#include <QLayout>
#include <QToolButton>

#include <QLineEdit>
#include <QComboBox>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QWheelEvent>

namespace {

const QString kCRLF = QStringLiteral("\r\n");

// Buttons of a fixed width in rows, wrapping onto the next row when the bar
// is narrower than one row of them.
class TzkWrapLayout : public QLayout
{
public:
    explicit TzkWrapLayout(QWidget *parent)
        : QLayout(parent)
    {
        setContentsMargins(0, 0, 0, 0);
        setSpacing(0);
    }
    ~TzkWrapLayout() override
    {
        while (QLayoutItem *item = takeAt(0))
            delete item;
    }
    void addItem(QLayoutItem *item) override { m_items.append(item); }
    void insertWidgetAt(int position, QWidget *widget)
    {
        addChildWidget(widget);
        auto *item = new QWidgetItem(widget);
        if (position < 0 || position > m_items.size())
            m_items.append(item);
        else
            m_items.insert(position, item);
        invalidate();
    }
    int count() const override { return int(m_items.size()); }
    QLayoutItem *itemAt(int index) const override { return m_items.value(index); }
    QLayoutItem *takeAt(int index) override
    {
        return index >= 0 && index < m_items.size() ? m_items.takeAt(index) : nullptr;
    }
    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override { return arrange(QRect(0, 0, width, 0), false); }
    void setGeometry(const QRect &rect) override
    {
        QLayout::setGeometry(rect);
        arrange(rect, true);
    }
    QSize sizeHint() const override
    {
        QSize size;
        for (const QLayoutItem *item : m_items)
            size = QSize(size.width() + item->sizeHint().width(), qMax(size.height(), item->sizeHint().height()));
        return size;
    }
    QSize minimumSize() const override
    {
        QSize size;
        for (const QLayoutItem *item : m_items)
            size = size.expandedTo(item->minimumSize());
        return size;
    }

private:
    int arrange(const QRect &rect, bool place) const
    {
        int x = rect.x();
        int y = rect.y();
        int rowHeight = 0;
        for (QLayoutItem *item : m_items) {
            if (item->isEmpty())
                continue;
            const QSize size = item->sizeHint();
            if (x > rect.x() && x + size.width() > rect.right() + 1) {
                x = rect.x();
                y += rowHeight;
                rowHeight = 0;
            }
            if (place)
                item->setGeometry(QRect(QPoint(x, y), size));
            x += size.width();
            rowHeight = qMax(rowHeight, size.height());
        }
        return y + rowHeight - rect.y();
    }

    QList<QLayoutItem *> m_items;
};

constexpr int kCommandButtonWidth = 78;

QIcon mainImage(int index)
{
    const TzkImageList *images = zkMainForm ? zkMainForm->imgMain() : nullptr;
    return images ? images->Icon(index) : QIcon();
}

} // namespace

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
    qryCodeAssist = new TFDQuery(this);
    qryCodeAssist->setObjectName(QStringLiteral("qryCodeAssist"));

    actlst = new TzkActionList(this, QStringLiteral("actlst"));
    auto add = [this](const char *name, const QString &caption, const QString &hint, int image) {
        QAction *action = actlst->Add(QLatin1String(name), caption);
        action->setToolTip(hint);
        action->setStatusTip(hint);
        action->setIcon(mainImage(image));
        return action;
    };
    actCompile = add("actCompile", QStringLiteral("作成(&C)"),
                     QStringLiteral("現在の設定値を元にオブジェクトを作成・修正します。"), 15);
    actDelete = add("actDelete", QStringLiteral("削除(&D)"), QStringLiteral("オブジェクトを削除します。"), 41);
    actRefresh =
        add("actRefresh", QStringLiteral("戻す(&R)"), QStringLiteral("表示中の情報を変更前の状態に戻します。"), 16);
    actExit = add("actExit", QStringLiteral("終了(&X)"), QStringLiteral("画面を閉じます。"), 42);
    actlst->SetOnExecute(actCompile, [this] { Compile(); });
    actlst->SetOnUpdate(actCompile, [this] { actCompile->setEnabled(CompileEnabled()); });
    actlst->SetOnExecute(actDelete, [this] { Delete(); });
    actlst->SetOnUpdate(actDelete, [this] { actDelete->setEnabled(DeleteEnabled()); });
    actlst->SetOnExecute(actRefresh, [this] { Reload(); });
    actlst->SetOnExecute(actExit, [this] { Close(); });
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
    if (pnlPersonalColor && ConnectionManager) {
        QPalette pal = pnlPersonalColor->palette();
        pal.setColor(QPalette::Window, ColorToQColor(ConnectionManager->GetBackgroundColor(m_connection->MYSID)));
        pnlPersonalColor->setPalette(pal);
    }
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
    // Read before the load: the version query closes the session's general
    // query, which a load may be reading.
    if (m_serverVer == 0)
        m_serverVer = ServerVersionOverride >= 1 && m_connection->dmSQLServer
                          ? m_connection->dmSQLServer->GetDBVersion(0)
                          : m_connection->DBVer;
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
    // Items may hold several lines ("use [db]" CR LF "go"): the script is
    // split into batches at lines that read "go", so hand it over by line.
    QStringList sql;
    for (const QString &item : DatabaseLine() + BuildDropScript())
        sql << item.split(kCRLF);
    {
        TSQLWaitCursor wait;
        m_connection->ExecuteSQL(sql, false);
    }
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

TCatalogDialect TfrmObjectEditor::Dialect() const
{
    TCatalogDialect d = DialectOf(m_connection);
    d.ServerVer = m_serverVer;
    return d;
}

TDDLContext TfrmObjectEditor::DDLContext() const
{
    TDDLContext c;
    c.Dialect = Dialect();
    c.ScriptMode = m_scriptMode;
    c.Options = &Options();
    c.LogonDatabase = m_connection->g_DataBase;
    c.CurrentSchema = m_connection->GetCurrentSchema();
    return c;
}

TFDQuery *TfrmObjectEditor::OpenCatalogSQL(const QString &sql, const QStringList &params)
{
    return m_connection->OpenSQL(m_connection->Use(FDatabase) + sql, params);
}

void TfrmObjectEditor::UseObjectDatabase()
{
    if (!FDatabase.isEmpty())
        m_connection->ExecuteSQL(m_connection->Use(FDatabase));
}

TFDQuery *TfrmObjectEditor::OpenUnprefixedSQL(const QString &sql, const QStringList &params)
{
    UseObjectDatabase();
    return m_connection->OpenSQL(sql, params);
}

QWidget *TfrmObjectEditor::CreateCommandBar(QWidget *parent)
{
    tolCmd = new QWidget(parent);
    tolCmd->setObjectName(QStringLiteral("tolCmd"));
    new TzkWrapLayout(tolCmd);
    btnCompile = AddCommandButton(actCompile, QStringLiteral("btnCompile"));
    btnDelete = AddCommandButton(actDelete, QStringLiteral("btnDelete"));
    btnRollback = AddCommandButton(actRefresh, QStringLiteral("btnRollback"));
    btnExit = AddCommandButton(actExit, QStringLiteral("btnExit"));
    return tolCmd;
}

QToolButton *TfrmObjectEditor::AddCommandButton(QAction *action, const QString &name, int position)
{
    auto *button = new QToolButton(tolCmd);
    button->setObjectName(name);
    button->setDefaultAction(action);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    button->setFixedWidth(kCommandButtonWidth);
    static_cast<TzkWrapLayout *>(tolCmd->layout())->insertWidgetAt(position, button);
    return button;
}

QWidget *TfrmObjectEditor::CreateColorPanel(QWidget *parent)
{
    pnlPersonalColor = new QWidget(parent);
    pnlPersonalColor->setObjectName(QStringLiteral("pnlPersonalColor"));
    pnlPersonalColor->setFixedWidth(12);
    pnlPersonalColor->setAutoFillBackground(true);
    return pnlPersonalColor;
}

void TfrmObjectEditor::CodeAssist(const QPoint &caret)
{
    CodeAssist(SourceEditor(), caret);
}

void TfrmObjectEditor::CodeAssist(TzkMemo *memo, const QPoint &caret)
{
    CodeAssistIn(memo, caret, m_connection->dmSQLServer ? m_connection->dmSQLServer->DataBase() : QString(),
                 m_connection->GetCurrentSchema());
}

void TfrmObjectEditor::CodeAssistIn(TzkMemo *memo, const QPoint &caret, const QString &database, const QString &schema)
{
    if (!memo || !m_connection->dmSQLServer)
        return;
    qryCodeAssist->SetConnection(m_connection->dmSQLServer->Connection);
    CodeAssistCandidates(memo, this, qryCodeAssist, database, schema, m_connection->DBVer, caret.x(), caret.y());
}

void TfrmObjectEditor::TakeCodeAssist(TzkMemo *memo)
{
    disconnect(memo, &TEditor::CodeAssist, nullptr, nullptr);
    connect(memo, &TEditor::CodeAssist, this, [this, memo](const QPoint &caret) { CodeAssist(memo, caret); });
}
