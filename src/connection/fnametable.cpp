#include "connection/fnametable.h"

#include "connection/fobject.h"
#include "connection/fobject_script.h"
#include "connection/fscriptoption.h"
#include "controls/rdata.h"
#include "controls/zkstdctl.h"
#include "core/dsqlserver.h"
#include "core/zkapp.h"
#include "core/zkimagelist.h"
#include "core/zkreg.h"
#include "core/zksub.h"
#include "core/zksub_dialogs.h"
#include "core/zksub_text.h"
#include "core/zkwindows.h"
#include "platform/db/db.h"
#include "platform/rtl/exceptions.h"

#include <QAction>
#include <QMainWindow>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kLayoutKey = ZK_REG_ROOT + QStringLiteral("\\GUI\\NAMETABLE");
constexpr int kHelpContext = 50300;

// A history combo that fills its list just before it drops down.
class TDropDownZkComboBox : public TzkComboBox
{
public:
    using TzkComboBox::TzkComboBox;
    std::function<void()> OnDropDown;

protected:
    void showPopup() override
    {
        if (OnDropDown)
            OnDropDown();
        TzkComboBox::showPopup();
    }
};

QString qualified(const QString &schema, const QString &table)
{
    return BracketName(schema) + QLatin1Char('.') + BracketName(table);
}

// The table the frame writes its edits to: always bracketed, so that a
// name with "." or blanks is one name.
QString FrameTableName(const QString &schema, const QString &table)
{
    return QuoteName(UnbracketName(schema)) + QLatin1Char('.') + QuoteName(UnbracketName(table));
}

} // namespace

QStringList NameTableCreateSQL(const QString &use, const QString &schema, const QString &table, bool azure)
{
    QStringList sql;
    sql << use + QStringLiteral("create table ") + qualified(schema, table) + QStringLiteral("(")
               + QStringLiteral("  DATABASE_NAME    nvarchar(128),")
               + QStringLiteral("  OWNER            nvarchar(128),")
               + QStringLiteral("  OBJECT_NAME      nvarchar(128),")
               + QStringLiteral("  OBJECT_TYPE      nvarchar(30),")
               + QStringLiteral("  SCRIPT_NAME      nvarchar(128))");
    // Azure SQL Database wants a clustered index on every table it writes.
    if (azure)
        sql << use + QStringLiteral("create clustered index ") + BracketName(QStringLiteral("IX_") + table)
                   + QStringLiteral(" on ") + qualified(schema, table) + QStringLiteral(" ([DATABASE_NAME])");
    return sql;
}

QStringList NameTableInitialDataSQL(const QString &use, const QString &database, const QString &schema,
                                    const QString &table, bool version9, bool allObjects)
{
    const QString owner = version9 ? QStringLiteral("schema_name(a.uid)") : QStringLiteral("user_name(a.uid)");
    QStringList s;
    QString first = use;
    if (first.endsWith(QLatin1Char('\n')))
        first.chop(1);
    if (first.endsWith(QLatin1Char('\r')))
        first.chop(1);
    if (!first.isEmpty())
        s << first;
    s << QStringLiteral("declare @OWNER nvarchar(128)") << QStringLiteral("declare @OBJECT_NAME nvarchar(128)")
      << QStringLiteral("declare @OBJECT_TYPE nvarchar(30)") << QStringLiteral("declare CDATA cursor")
      << QStringLiteral("for");
    s << QStringLiteral("    select ") + owner + QStringLiteral(" as OWNER, a.name as OBJECT_NAME,")
      << QStringLiteral("        case") << QStringLiteral("            when a.xtype in ('U', 'S') then 'TABLE'")
      << QStringLiteral("            when a.xtype = 'V' then 'VIEW'")
      << QStringLiteral("            when a.xtype in ('P', 'RF', 'X') then 'PROCEDURE'")
      << QStringLiteral("            when a.xtype in ('FN', 'IF', 'TF') then 'FUNCTION'")
      << QStringLiteral("            when a.xtype = 'TR' then 'TRIGGER'")
      << QStringLiteral("            when a.xtype = 'SN' then 'SYNONYM'")
      << QStringLiteral("            else 'Unknown'") << QStringLiteral("        end as OBJECT_TYPE")
      << QStringLiteral("    from dbo.sysobjects a");
    // A Japanese schema needs the N prefix outside code page 932.
    if (!allObjects)
        s << QStringLiteral("    where ") + owner + QStringLiteral(" = N") + QuoteSQLStr(schema)
                 + QStringLiteral(" collate database_default");
    s << QStringLiteral("open CDATA") << QStringLiteral("fetch next from CDATA")
      << QStringLiteral("into @OWNER, @OBJECT_NAME, @OBJECT_TYPE") << QStringLiteral("while @@FETCH_STATUS = 0")
      << QStringLiteral("    begin") << QStringLiteral("        if not(@OBJECT_TYPE = N'Unknown')")
      << QStringLiteral("            begin")
      << QStringLiteral("                insert into ") + qualified(schema, table)
      << QStringLiteral("                values (N") + QuoteSQLStr(database)
             + QStringLiteral(", @OWNER, @OBJECT_NAME, @OBJECT_TYPE, @OBJECT_NAME + '.sql')")
      << QStringLiteral("            end") << QStringLiteral("        fetch next from CDATA")
      << QStringLiteral("        into @OWNER, @OBJECT_NAME, @OBJECT_TYPE") << QStringLiteral("    end")
      << QStringLiteral("close CDATA") << QStringLiteral("deallocate CDATA");
    return s;
}

// --- The window ---------------------------------------------------------------------------

void TfrmNameTable::ShowWindow(TfrmObject *AOwner)
{
    // Owned by the main window, the window starts on its current connection.
    QObject *owner = AOwner ? AOwner->Form() : nullptr;
    if (zkMainForm)
        owner = zkMainForm->Window();
    auto *w = new TfrmNameTable(owner);
    try {
        w->Start();
    } catch (const std::exception &e) {
        TzkApplication::HandleException(e);
    }
    w->ShowModal();
    delete w;
}

TfrmNameTable::TfrmNameTable(QObject *AOwner)
    : TzkForm(AOwner)
{
    setObjectName(QStringLiteral("frmNameTable"));
    setWindowTitle(QStringLiteral("スクリプト名テーブル"));
    resize(640, 420);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    tolCmd = new QToolBar(this);
    tolCmd->setObjectName(QStringLiteral("tolCmd"));
    tolCmd->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    btnCommit = new QToolButton(tolCmd);
    btnCommit->setObjectName(QStringLiteral("btnCommit"));
    btnCommit->setText(QStringLiteral("登録(&C)"));
    btnCommit->setMinimumWidth(78);
    popDataGenerate = new QMenu(this);
    popDataGenerate->setObjectName(QStringLiteral("popDataGenerate"));
    mnuInstData = popDataGenerate->addAction(QStringLiteral("初期データ登録"));
    mnuInstData->setObjectName(QStringLiteral("mnuInstData"));
    mnuInstData->setStatusTip(QStringLiteral("初期データを登録します。"));
    mnuInstData->setToolTip(QStringLiteral("初期データ登録"));
    btnCommit->setMenu(popDataGenerate);
    btnCommit->setPopupMode(QToolButton::MenuButtonPopup);
    // Buttons added as widgets do not take the tool bar's style: without it
    // they would show their glyphs alone.
    btnCommit->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    btnExit = new QToolButton(tolCmd);
    btnExit->setObjectName(QStringLiteral("btnExit"));
    btnExit->setText(QStringLiteral("終了(&X)"));
    btnExit->setMinimumWidth(78);
    btnExit->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    if (zkMainForm && zkMainForm->imgMain()) {
        btnCommit->setIcon(zkMainForm->imgMain()->Icon(15));
        mnuInstData->setIcon(zkMainForm->imgMain()->Icon(39));
        btnExit->setIcon(zkMainForm->imgMain()->Icon(42));
    }
    tolCmd->addWidget(btnCommit);
    tolCmd->addWidget(btnExit);
    cmbConnection = new TzkConnectionComboBox(tolCmd);
    cmbConnection->setObjectName(QStringLiteral("cmbConnection"));
    cmbConnection->setMinimumWidth(220);
    tolCmd->addWidget(cmbConnection);
    layout->addWidget(tolCmd);

    auto *names = new QWidget(this);
    auto *grid = new QGridLayout(names);
    grid->setContentsMargins(6, 4, 6, 4);
    lblDatabase = new QLabel(QStringLiteral("データベース"), names);
    lblDatabase->setObjectName(QStringLiteral("lblDatabase"));
    cmbDatabase = new TzkComboBox(names);
    cmbDatabase->setObjectName(QStringLiteral("cmbDatabase"));
    lblOwner = new QLabel(QStringLiteral("所有者"), names);
    lblOwner->setObjectName(QStringLiteral("lblOwner"));
    auto *schema = new TDropDownZkComboBox(names);
    schema->OnDropDown = [this] { FillSchemas(); };
    cmbSchema = schema;
    cmbSchema->setObjectName(QStringLiteral("cmbSchema"));
    cmbSchema->setEditable(true);
    cmbSchema->SetAutoSave(true);
    lblName = new QLabel(QStringLiteral("名前"), names);
    lblName->setObjectName(QStringLiteral("lblName"));
    auto *name = new TDropDownZkComboBox(names);
    name->OnDropDown = [this] { FillTables(); };
    cmbName = name;
    cmbName->setObjectName(QStringLiteral("cmbName"));
    cmbName->setEditable(true);
    cmbName->SetAutoSave(true);
    grid->addWidget(lblDatabase, 0, 0);
    grid->addWidget(cmbDatabase, 0, 1);
    grid->addWidget(lblOwner, 0, 2);
    grid->addWidget(cmbSchema, 0, 3);
    grid->addWidget(lblName, 0, 4);
    grid->addWidget(cmbName, 0, 5);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->setColumnStretch(5, 2);
    layout->addWidget(names);

    fraData = new TfraData(this, this);
    fraData->setObjectName(QStringLiteral("fraData"));
    layout->addWidget(fraData, 1);

    InitForm();
    CreateTaskButton();

    connect(btnCommit, &QToolButton::clicked, this, [this] { btnCommitClick(); });
    connect(mnuInstData, &QAction::triggered, this, [this] { mnuInstDataClick(); });
    connect(btnExit, &QToolButton::clicked, this, [this] { Close(); });
    connect(cmbConnection, &QComboBox::activated, this, [this] { cmbConnectionSelect(); });
    auto reload = [this] {
        if (!m_loading) {
            UpdateCaption();
            Reload();
        }
    };
    connect(cmbDatabase, &QComboBox::currentIndexChanged, this, reload);
    connect(cmbSchema, &QComboBox::currentTextChanged, this, reload);
    connect(cmbName, &QComboBox::currentTextChanged, this, reload);
    Q_UNUSED(kHelpContext)
}

TfrmNameTable::~TfrmNameTable() = default;

void TfrmNameTable::Start()
{
    CopyConnections();
    if (OwnerForm())
        cmbConnection->setCurrentIndex(GetItemIndexHasSessionID(cmbConnection, OwnerForm()->MYSID));
    cmbConnectionSelect();
}

TfrmObject *TfrmNameTable::Connection() const
{
    return dynamic_cast<TfrmObject *>(m_connection.data());
}

void TfrmNameTable::CopyConnections()
{
    cmbConnection->clear();
    QComboBox *main = zkMainForm ? zkMainForm->cmbDBName() : nullptr;
    if (!main)
        return;
    for (int i = 0; i < main->count(); ++i)
        AddComboConnection(cmbConnection, main->itemText(i), ComboConnection(main, i));
}

void TfrmNameTable::cmbConnectionSelect()
{
    TzkConnectionWindow *chosen = ComboConnection(cmbConnection, cmbConnection->currentIndex());
    if (!chosen)
        return;
    m_loading = true;
    struct Done
    {
        bool &flag;
        ~Done() { flag = false; }
    } done{m_loading};

    if (chosen != OwnerForm()) {
        SetOwnerForm(chosen);
        SwitchConnectionDisplay();
    }
    m_connection = chosen->Form();
    m_sessionID = chosen->MYSID;
    TfrmObject *form = Connection();
    if (!form)
        return;
    const QString current = form->dmSQLServer->DataBase();
    QStringList list;
    form->GetDatabase(list);
    cmbDatabase->clear();
    cmbDatabase->addItems(list);
    cmbDatabase->setCurrentIndex(list.indexOf(current));
    FillSchemas();

    const TNameTableParts parts = SplitNameTable(NameTableLine(form->g_Server), current, form->GetCurrentSchema());
    if (parts.Database != current) {
        cmbDatabase->setCurrentIndex(list.indexOf(parts.Database));
        FillSchemas();
    }
    if (parts.SchemaKnown) {
        const int i = cmbSchema->findText(parts.Schema, Qt::MatchFixedString | Qt::MatchCaseSensitive);
        cmbSchema->setCurrentIndex(i);
        if (i < 0)
            cmbSchema->setEditText(QString());
    }
    cmbName->setEditText(parts.Table);
    cmbDatabase->setEnabled(!form->IsAzure);
    UpdateCaption();
    m_loading = false;
    Reload();
    if (fraData->qryData->Active())
        fraData->SetTableName(FrameTableName(cmbSchema->currentText(), cmbName->currentText()));
}

void TfrmNameTable::UpdateCaption()
{
    TfrmObject *form = Connection();
    setWindowTitle(QStringLiteral("スクリプト名テーブル編集 - ") + cmbDatabase->currentText() + QLatin1Char('.')
                   + cmbSchema->currentText() + QLatin1Char('.') + cmbName->currentText() + QStringLiteral(" @ ")
                   + (form ? form->g_Server : QString()));
    SetTaskCaption(cmbName->currentText());
}

void TfrmNameTable::FillSchemas()
{
    TfrmObject *form = Connection();
    if (!form)
        return;
    const QString text = cmbSchema->currentText();
    QStringList list;
    form->GetUser(list, cmbDatabase->currentText(), false);
    const bool loading = m_loading;
    m_loading = true;
    cmbSchema->clear();
    cmbSchema->addItems(list);
    cmbSchema->setEditText(text);
    m_loading = loading;
}

void TfrmNameTable::FillTables()
{
    TfrmObject *form = Connection();
    if (!form)
        return;
    const QString text = cmbName->currentText();
    QStringList list;
    form->GetObject(list, cmbDatabase->currentText(), cmbSchema->currentText(), QStringLiteral("TABLE"));
    const bool loading = m_loading;
    m_loading = true;
    cmbName->clear();
    cmbName->addItems(list);
    cmbName->setEditText(text);
    m_loading = loading;
}

void TfrmNameTable::Reload()
{
    // Any failure (a missing column, a missing table) only marks the layout
    // as unusable; registration tells the user.
    try {
        fraData->qryData->Close();
        const QString schema = cmbSchema->currentText();
        const QString table = cmbName->currentText();
        if (!schema.isEmpty() && !table.isEmpty()) {
            fraData->SetSQL(QStringLiteral("SELECT [DATABASE_NAME], [OWNER], [OBJECT_NAME], [OBJECT_TYPE], "
                                           "[SCRIPT_NAME] FROM ")
                            + BracketName(cmbDatabase->currentText()) + QLatin1Char('.') + qualified(schema, table));
            fraData->SetTableName(FrameTableName(schema, table));
            fraData->Prepare();
            fraData->Open();
        }
        LayoutOK = true;
    } catch (const std::exception &) {
        LayoutOK = false;
    }
}

void TfrmNameTable::btnCommitClick()
{
    const QString database = cmbDatabase->currentText();
    const QString schema = cmbSchema->currentText();
    const QString table = cmbName->currentText();
    if (table.isEmpty()) {
        ShowAppMessage(QStringLiteral("名前を入力して下さい。"), MB_OK | MB_ICONWARNING);
        cmbName->setFocus();
        return;
    }
    if (schema.isEmpty()) {
        ShowAppMessage(QStringLiteral("スキーマ名を入力して下さい。"), MB_OK | MB_ICONWARNING);
        cmbSchema->setFocus();
        return;
    }
    TfrmObject *form = Connection();
    if (!form)
        return;

    Reload();
    int count = 0;
    try {
        TFDQuery *query = form->OpenSQL(form->Use(database) + QStringLiteral("select count(object_id(:NAME))"),
                                        {qualified(schema, table)});
        count = query->Eof() ? 0 : query->Fields(0)->AsInteger();
        query->Close();
    } catch (const std::exception &) {
        count = 0;
    }
    if (count > 0) {
        if (!LayoutOK)
            ShowAppMessage(QStringLiteral("テーブルレイアウトが一致しません。"), MB_OK | MB_ICONWARNING);
    } else if (ShowAppMessage(QStringLiteral("テーブルが見つかりません。新規作成しますか？"),
                              MB_YESNO | MB_ICONQUESTION)
               == IDYES) {
        bool created = true;
        try {
            for (const QString &sql : NameTableCreateSQL(form->Use(database), schema, table, form->IsAzure))
                form->ExecuteSQL(sql);
        } catch (const std::exception &e) {
            // The user must learn why no table came; the line is stored anyway.
            created = false;
            ShowAppMessage(QString::fromUtf8(e.what()), MB_OK | MB_ICONERROR);
        }
        if (created) {
            Reload();
            mnuInstDataClick();
        }
    }
    SetNameTableLine(form->g_Server, database + QLatin1Char('.') + schema + QLatin1Char('.') + table);
    fraData->SetTableName(FrameTableName(schema, table));
}

void TfrmNameTable::mnuInstDataClick()
{
    TfrmObject *form = Connection();
    if (!form || !fraData->qryData->Active())
        return;
    bool all = false;
    if (ShowCheckMessage(QStringLiteral("初期データを登録しますか？"), MB_YESNO | MB_ICONQUESTION,
                         {{QStringLiteral("全オブジェクトを登録する(非チェック時は所有オブジェクトのみ)"), &all}})
        != IDYES)
        return;
    const QString database = cmbDatabase->currentText();
    form->ExecuteSQL(NameTableInitialDataSQL(form->Use(database), database, cmbSchema->currentText(),
                                             cmbName->currentText(), form->DBVer >= 9, all),
                     false);
    Reload();
}

void TfrmNameTable::DBChange()
{
    CopyConnections();
    const int i = GetItemIndexHasSessionID(cmbConnection, m_sessionID);
    if (i < 0) {
        Close();
        return;
    }
    cmbConnection->setCurrentIndex(i);
}

void TfrmNameTable::FormClose(TCloseAction &Action)
{
    Q_UNUSED(Action)
    fraData->grdData1->SetDataSource(nullptr);
    fraData->grdData2->SetDataSource(nullptr);
}

void TfrmNameTable::LoadWindowLayout()
{
    TzkRegistry reg;
    if (reg.OpenKey(kLayoutKey, true) && windowState() == Qt::WindowNoState)
        resize(reg.GetInteger(QStringLiteral("Width"), width()), reg.GetInteger(QStringLiteral("Height"), height()));
}

void TfrmNameTable::SaveWindowLayout()
{
    TzkRegistry reg;
    if (reg.OpenKey(kLayoutKey, true) && windowState() == Qt::WindowNoState) {
        reg.WriteInteger(QStringLiteral("Width"), width());
        reg.WriteInteger(QStringLiteral("Height"), height());
    }
}
