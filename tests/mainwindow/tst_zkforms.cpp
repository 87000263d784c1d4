#include "fixture.h"

#include "core/dsqlserver.h"
#include "core/zkCommonData.h"
#include "core/zkoption.h"
#include "platform/rtl/exceptions.h"
#include "core/zktaskbar.h"
#include "support/scripted/scriptedbackend.h"

#include <QComboBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QAbstractButton>
#include <QMessageBox>
#include <QPointer>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

// A window with the six operations counted and a page control.
class TestForm : public TzkForm
{
public:
    explicit TestForm(QObject *owner, int pages = 3)
        : TzkForm(owner)
    {
        auto *layout = new QVBoxLayout(this);
        edit = new QLineEdit(this);
        layout->addWidget(edit);
        tabs = new QTabWidget(this);
        for (int i = 0; i < pages; ++i)
            tabs->addTab(new QWidget, QStringLiteral("page %1").arg(i));
        layout->addWidget(tabs);
        InitForm();
    }
    void ChangedIsNew() override { ++changedIsNew; }
    void Compile() override
    {
        ++compiled;
        if (compileClears)
            SetModified(false);
    }
    void Reload() override { ++reloaded; }
    void DBChange() override { ++dbChanged; }
    void LoadWindowLayout() override { ++layoutLoaded; }
    void SaveWindowLayout() override { ++layoutSaved; }

    QLineEdit *edit = nullptr;
    QTabWidget *tabs = nullptr;
    int changedIsNew = 0, compiled = 0, reloaded = 0, dbChanged = 0, layoutLoaded = 0, layoutSaved = 0;
    bool compileClears = true;
};

} // namespace

class FormTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        w = createMain();
    }
    TfrmMain *w = nullptr;
};

TEST_F(FormTest, TaskTabCaptionImageHintAndRemoval)
{
    auto *form = new TestForm(w);
    form->setWindowTitle(QStringLiteral("TABLE - db.dbo.T"));
    form->SetTaskCaption(QStringLiteral("no tab yet"));
    EXPECT_EQ(form->GetTaskCaption(), QString());

    form->CreateTaskButton();
    form->ShowMDIChild();
    TzkTaskBar *bar = w->pagTaskBar();
    const int tab = bar->IndexOfTag(form->FormID());
    ASSERT_GE(tab, 0);
    EXPECT_EQ(bar->currentIndex(), tab);
    EXPECT_EQ(bar->tabToolTip(tab), QStringLiteral("TABLE - db.dbo.T"));

    form->SetTaskCaption(QStringLiteral("0123456789abcdef"));
    EXPECT_EQ(form->GetTaskCaption(), QStringLiteral("0123456789abcdef"));
    form->SetTaskCaption(QStringLiteral("0123456789abcdefg"));
    EXPECT_EQ(form->GetTaskCaption(), QStringLiteral("0123456789abcd…"));

    form->SetObjType(45);
    EXPECT_EQ(bar->ImageIndex(tab), 45);
    EXPECT_FALSE(bar->tabIcon(tab).isNull());
    form->setWindowTitle(QStringLiteral("renamed"));
    EXPECT_EQ(bar->tabToolTip(tab), QStringLiteral("renamed"));

    const int id = form->FormID();
    delete form->MDIFrame();
    EXPECT_EQ(bar->IndexOfTag(id), -1);
}

TEST_F(FormTest, FormsKeepTheirFontInsideTheMainWindow)
{
    QFont mainFont(QStringLiteral("DejaVu Sans Mono"));
    mainFont.setPixelSize(20);
    w->setFont(mainFont);
    for (const bool mdi : {true, false}) {
        SCOPED_TRACE(mdi);
        auto *form = new TestForm(w);
        if (mdi)
            form->ShowMDIChild();
        for (QWidget *widget : std::initializer_list<QWidget *>{form, form->edit}) {
            EXPECT_EQ(widget->font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
            EXPECT_EQ(widget->font().pixelSize(), 12);
        }
        if (mdi)
            delete form->MDIFrame();
        else
            delete form;
    }
}

TEST_F(FormTest, OwnerFormByOwner)
{
    FakeConnection connection;
    EXPECT_EQ(TestForm(&connection).OwnerForm(), &connection);
    EXPECT_EQ(TestForm(w).OwnerForm(), nullptr) << "no connection selected";
    AddComboConnection(w->cmbDBName(), QStringLiteral("sa @ srv.master"), &connection);
    w->cmbDBName()->setCurrentIndex(0);
    TestForm fromMain(w);
    EXPECT_EQ(fromMain.OwnerForm(), &connection);
    EXPECT_EQ(TestForm(&fromMain).OwnerForm(), &connection);
    QObject other;
    EXPECT_EQ(TestForm(&other).OwnerForm(), nullptr);
}

TEST_F(FormTest, OwnedFormGoesWithItsOwner)
{
    auto *connection = new FakeConnection;
    QPointer<TestForm> form = new TestForm(connection);
    form->ShowMDIChild();
    QPointer<QMdiSubWindow> frame = form->MDIFrame();
    delete connection;
    EXPECT_TRUE(form.isNull());
    EXPECT_TRUE(frame.isNull());
}

TEST_F(FormTest, CloseQuestionYesNoCancel)
{
    struct Case
    {
        const char *name;
        const char *answer;
        bool compileClears;
        bool closes;
        int compiled;
    };
    const Case cases[] = {
        {"cancel keeps it open", "Cancel", true, false, 0},
        {"no closes without compiling", "No", true, true, 0},
        {"yes compiles and closes", "Yes", true, true, 1},
        {"yes that leaves it changed stays", "Yes", false, false, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QPointer<TestForm> form = new TestForm(w);
        form->compileClears = c.compileClears;
        form->ShowMDIChild();
        form->SetModified(true);
        answer(c.answer);
        form->Close();
        processEvents();
        EXPECT_EQ(form.isNull(), c.closes);
        if (form) {
            EXPECT_EQ(form->compiled, c.compiled);
            EXPECT_EQ(form->layoutSaved, 0);
            form->SetModified(false);
            delete form->MDIFrame();
        }
    }
    // An unchanged form closes without a question and saves its layout.
    auto *form = new TestForm(w);
    EXPECT_TRUE(form->CloseQuery());
    EXPECT_EQ(form->layoutSaved, 1);
    EXPECT_EQ(form->layoutLoaded, 1);
    delete form;
}

TEST_F(FormTest, OperationsAndMessages)
{
    TestForm form(w);
    form.SetIsNew(true);
    form.SetIsNew(true);
    EXPECT_EQ(form.changedIsNew, 2);
    SendFormMessage(&form, WM_RELOAD);
    SendFormMessage(&form, WM_DBCHANGE);
    EXPECT_EQ(form.reloaded, 1);
    EXPECT_EQ(form.dbChanged, 1);
}

TEST_F(FormTest, CtrlPageKeysTurnPagesAndNeverReachTheControl)
{
    w->show();
    for (const int pages : {3, 1}) {
        SCOPED_TRACE(pages);
        auto *form = new TestForm(w, pages);
        form->ShowMDIChild();
        processEvents();
        form->edit->setFocus();
        processEvents();
        ASSERT_EQ(QApplication::focusWidget(), form->edit);
        form->edit->setText(QStringLiteral("abc"));
        form->edit->setCursorPosition(1);

        QKeyEvent down(QEvent::KeyPress, Qt::Key_PageDown, Qt::ControlModifier);
        QApplication::sendEvent(form->edit, &down);
        processEvents();
        EXPECT_EQ(form->tabs->currentIndex(), pages > 1 ? 1 : 0);
        EXPECT_EQ(form->edit->cursorPosition(), 1);

        QKeyEvent up(QEvent::KeyPress, Qt::Key_PageUp, Qt::ControlModifier);
        QApplication::sendEvent(QApplication::focusWidget(), &up);
        processEvents();
        EXPECT_EQ(form->tabs->currentIndex(), 0);
        delete form->MDIFrame();
    }
}

TEST_F(FormTest, PrefixMatrix)
{
    FakeConnection connection;
    connection.g_Schema = QStringLiteral("dbo");
    TdmSQLServer session;
    session.Connection->Params().SetValue(QStringLiteral("Database"), QStringLiteral("sales"));
    connection.dmSQLServer = &session;
    TestForm form(&connection);
    const TScriptOption saved = ScriptOption;

    struct Case
    {
        const char *name;
        TSourceMode mode;
        int option;
        bool azure;
        const char *schema, *ownerSchema, *schemaPrefix;
        const char *database, *ownerDatabase, *databasePrefix;
    };
    const Case cases[] = {
        {"shown: always", smShow, 3, false, "dbo", "x", "[dbo].", "sales", "x", "[sales]."},
        {"shown on Azure: always", smShow, 0, true, "dbo", "dbo", "[dbo].", "sales", "sales", "[sales]."},
        {"text 0", smText, 0, false, "dbo", "dbo", "[dbo].", "sales", "sales", "[sales]."},
        {"text 0 on Azure", smText, 0, true, "dbo", "dbo", "[dbo].", "sales", "sales", ""},
        {"text 1 current", smText, 1, false, "dbo", "x", "", "sales", "x", ""},
        {"text 1 other", smText, 1, false, "hr", "hr", "[hr].", "stock", "stock", "[stock]."},
        {"text 1 other on Azure", smText, 1, true, "hr", "hr", "[hr].", "stock", "stock", ""},
        {"text 2 same as owner", smText, 2, false, " hr", "hr ", "", " a", "a ", ""},
        {"text 2 differs", smText, 2, false, "hr", "dbo", "[hr].", "a", "b", "[a]."},
        {"text 2 case differs", smText, 2, false, "HR", "hr", "[HR].", "A", "a", "[A]."},
        {"text 3 never", smText, 3, false, "hr", "dbo", "", "a", "b", ""},
        {"blank name", smShow, 0, false, "  ", "x", "", " ", "x", ""},
    };
    zkOption.UseLowerName = true;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        form.SourceMode = c.mode;
        ScriptOption.Owner = c.option;
        ScriptOption.Database = c.option;
        connection.IsAzure = c.azure;
        EXPECT_EQ(form.SchemaPrefix(QString::fromUtf8(c.schema), QString::fromUtf8(c.ownerSchema)),
                  QString::fromUtf8(c.schemaPrefix));
        EXPECT_EQ(form.DatabasePrefix(QString::fromUtf8(c.database), QString::fromUtf8(c.ownerDatabase)),
                  QString::fromUtf8(c.databasePrefix));
    }
    EXPECT_EQ(TzkForm::NamePrefix(QStringLiteral("a]b")), QStringLiteral("[a]]b]."));
    EXPECT_EQ(TzkForm::NamePrefix(QStringLiteral(" ")), QString());
    ScriptOption.Owner = saved.Owner;
    ScriptOption.Database = saved.Database;
}

TEST_F(FormTest, AFailingCompileOnCloseIsShownAndTheFormClosesLater)
{
    class FailingForm : public TestForm
    {
    public:
        using TestForm::TestForm;
        void Compile() override { throw Exception(QStringLiteral("コンパイルエラー")); }
    };
    QPointer<FailingForm> form = new FailingForm(w);
    form->ShowMDIChild();
    form->SetModified(true);
    QString shown;
    WhenModal([&shown](QWidget *question) {
        // The error follows the answer.
        WhenModal(
            [&shown](QWidget *error) {
                for (QLabel *label : error->findChildren<QLabel *>())
                    shown += label->text();
                error->close();
            },
            question);
        question->findChild<QPushButton *>(QStringLiteral("Yes"))->click();
    });
    form->Close();
    processEvents();
    ASSERT_FALSE(form.isNull()) << "kept open";
    EXPECT_TRUE(shown.contains(QStringLiteral("コンパイルエラー")));

    form->SetModified(false);
    form->Close();
    processEvents();
    EXPECT_TRUE(form.isNull()) << "a later close still works";
}

TEST_F(FormTest, ModalFormReturnsItsResult)
{
    TestForm form(w, 1);
    WhenModal([&form](QWidget *) { form.accept(); });
    EXPECT_EQ(form.ShowModal(), int(QDialog::Accepted));
    WhenModal([&form](QWidget *) { form.close(); });
    EXPECT_EQ(form.ShowModal(), int(QDialog::Rejected));
    EXPECT_EQ(form.layoutSaved, 1);

    // Esc asks as the close box does; Cancel keeps the dialog.
    form.SetModified(true);
    WhenModal([&form](QWidget *) {
        answer("Cancel");
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&form, &esc);
        EXPECT_TRUE(form.isVisible());
        answer("No");
        form.close();
    });
    EXPECT_EQ(form.ShowModal(), int(QDialog::Rejected));
    EXPECT_EQ(form.layoutSaved, 2);
}

TEST_F(FormTest, SwitchingTheOwnerFormRebindsEveryQuery)
{
    auto script = std::make_shared<TScript>();
    ASSERT_TRUE(script->LoadText(QStringLiteral("rule exact: select 1\n  result: n int\n  row: 1\n")));
    TScriptedScope scope(script);
    FakeConnection first, second;
    TdmSQLServer firstSession, secondSession;
    first.dmSQLServer = &firstSession;
    second.dmSQLServer = &secondSession;
    for (TdmSQLServer *session : {&firstSession, &secondSession}) {
        session->Connection->Params().SetValue(QStringLiteral("Server"), QStringLiteral("srv"));
        ASSERT_NO_THROW(session->Connection->Open());
    }

    // A query of the form and one of a frame inside it.
    class QueryForm : public TzkForm
    {
    public:
        explicit QueryForm(QObject *owner)
            : TzkForm(owner)
        {
            top = new TFDQuery(this);
            inFrame = new TFDQuery(new QWidget(this));
            InitForm();
        }
        TFDQuery *top;
        TFDQuery *inFrame;
    } form(&first);
    EXPECT_EQ(form.top->Connection(), firstSession.Connection);
    EXPECT_EQ(form.inFrame->Connection(), firstSession.Connection);

    form.top->Open(QStringLiteral("select 1"));
    form.SetOwnerForm(&first);
    EXPECT_TRUE(form.top->Active()) << "the same connection window: no rebinding";

    form.SetOwnerForm(&second);
    EXPECT_FALSE(form.top->Active());
    EXPECT_EQ(form.top->Connection(), secondSession.Connection);
    EXPECT_EQ(form.inFrame->Connection(), secondSession.Connection);
    script->ClearLog();
    form.inFrame->Open(QStringLiteral("select 1"));
    ASSERT_EQ(script->Log().size(), 1);
    EXPECT_EQ(script->Log().first().connection, 2);
    form.SetOwnerForm(nullptr);
    EXPECT_EQ(form.inFrame->Connection(), secondSession.Connection) << "no connection window: left alone";
}

TEST_F(FormTest, ConnectionRegistryAndComboFollowTheForm)
{
    FakeConnection one, two;
    one.MYSID = 11;
    two.MYSID = 22;
    ConnectionManager->AddConnection(one.FormID(), 11, QStringLiteral("sa"), QStringLiteral("db"), QStringLiteral("s1"),
                                     RGBColor(255, 0, 0));
    ConnectionManager->AddConnection(two.FormID(), 22, QStringLiteral("sa"), QStringLiteral("db"), QStringLiteral("s2"),
                                     RGBColor(0, 0, 255));
    AddComboConnection(w->cmbDBName(), QStringLiteral("sa @ s1.db"), &one);
    AddComboConnection(w->cmbDBName(), QStringLiteral("sa @ s2.db"), &two);
    EXPECT_EQ(TzkForm::GetItemIndexHasSessionID(w->cmbDBName(), 22), 1);
    EXPECT_EQ(TzkForm::GetItemIndexHasSessionID(w->cmbDBName(), 33), -1);

    auto *form = new TestForm(&one);
    form->CreateTaskButton();
    EXPECT_EQ(ConnectionManager->GetSessionID(form->FormID()), 11);
    form->SetOwnerForm(&two);
    form->SwitchConnectionDisplay();
    EXPECT_EQ(ConnectionManager->GetSessionID(form->FormID()), 22);
    EXPECT_EQ(w->cmbDBName()->currentIndex(), 1);

    // Items are drawn in their session's colours.
    QImage image(40, 20, QImage::Format_RGB32);
    QPainter painter(&image);
    TzkForm::ConnectionComboBoxDrawItem(w->cmbDBName(), 0, &painter, image.rect());
    painter.end();
    EXPECT_EQ(image.pixelColor(0, 0), QColor(255, 0, 0));

    const int id = form->FormID();
    delete form;
    EXPECT_EQ(ConnectionManager->GetSessionID(id), 0);
}

TEST_F(FormTest, ActivationSelectsTheConnectionAndTheTab)
{
    FakeConnection plain, azure;
    TdmSQLServer plainSession, azureSession;
    auto params = [](TdmSQLServer &s, const char *user, const char *server, const char *db) {
        s.Connection->Params().SetValue(QStringLiteral("User_Name"), QString::fromLatin1(user));
        s.Connection->Params().SetValue(QStringLiteral("Server"), QString::fromLatin1(server));
        s.Connection->Params().SetValue(QStringLiteral("Database"), QString::fromLatin1(db));
    };
    params(plainSession, " sa ", "srv ", "sales");
    params(azureSession, "ann@x.example", "x.example", "app");
    plain.dmSQLServer = &plainSession;
    azure.dmSQLServer = &azureSession;
    azure.IsAzure = true;
    azure.g_UserID = QStringLiteral("ann");
    AddComboConnection(w->cmbDBName(), QStringLiteral("sa @ srv.sales"), &plain);
    AddComboConnection(w->cmbDBName(), QStringLiteral("ann @ x.example.app"), &azure);

    auto *a = new TestForm(&azure);
    a->CreateTaskButton();
    a->ShowMDIChild();
    auto *p = new TestForm(&plain);
    p->CreateTaskButton();
    p->ShowMDIChild();
    processEvents();
    EXPECT_EQ(w->cmbDBName()->currentIndex(), 0);
    EXPECT_EQ(w->pagTaskBar()->currentIndex(), w->pagTaskBar()->IndexOfTag(p->FormID()));

    w->MDIClient()->setActiveSubWindow(a->MDIFrame());
    processEvents();
    EXPECT_EQ(w->cmbDBName()->currentIndex(), 1);
    EXPECT_EQ(w->pagTaskBar()->currentIndex(), w->pagTaskBar()->IndexOfTag(a->FormID()));

    // A tab click brings its window forward.
    w->pagTaskBar()->setCurrentIndex(w->pagTaskBar()->IndexOfTag(p->FormID()));
    processEvents();
    EXPECT_EQ(w->MDIClient()->activeSubWindow(), p->MDIFrame());
    EXPECT_EQ(w->cmbDBName()->currentIndex(), 0);

    // A tool window of its own selects its connection when it becomes active.
    {
        TestForm tool(&azure);
        tool.show();
        tool.activateWindow();
        processEvents();
        EXPECT_EQ(w->cmbDBName()->currentIndex(), 1);
    }
    processEvents();

    plainSession.Connection->Params().SetValue(QStringLiteral("Database"), QStringLiteral("other"));
    SendFormMessage(p, ZK_FORMACTIVATE);
    EXPECT_EQ(w->cmbDBName()->currentIndex(), -1) << "no item with that text";
}
