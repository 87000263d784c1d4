#include "fixture.h"

#include "controls/zkcomctrls.h"
#include "core/zkCommonData.h"
#include "core/zkstsbar.h"
#include "core/zktaskbar.h"
#include "platform/graphics/colors.h"
#include "sqleditor/zkmemo.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSignalSpy>
#include <QSplitter>
#include <QTest>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

// A window of a connection with a line edit, an editor and a button on
// Alt+C; reloads and button clicks are counted.
class ViewForm : public TzkForm
{
public:
    ViewForm(QObject *owner, const QString &caption)
        : TzkForm(owner)
    {
        setWindowTitle(caption);
        auto *layout = new QVBoxLayout(this);
        edit = new QLineEdit(this);
        memo = new TzkMemo(this);
        btnClose = new QPushButton(QStringLiteral("閉じる(&C)"), this);
        layout->addWidget(edit);
        layout->addWidget(memo);
        layout->addWidget(btnClose);
        connect(btnClose, &QPushButton::clicked, this, [this] { ++clicked; });
        InitForm();
    }
    void Reload() override { ++reloaded; }

    QLineEdit *edit = nullptr;
    TzkMemo *memo = nullptr;
    QPushButton *btnClose = nullptr;
    int reloaded = 0;
    int clicked = 0;
};

class ViewTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        w = createMain();
        w->show();
        processEvents();
        one.MYSID = 11;
        two.MYSID = 22;
        ConnectionManager->AddConnection(one.FormID(), 11, QStringLiteral("sa"), QStringLiteral("db"),
                                         QStringLiteral("s1"), RGBColor(255, 0, 0));
        ConnectionManager->AddConnection(two.FormID(), 22, QStringLiteral("sa"), QStringLiteral("db"),
                                         QStringLiteral("s2"), RGBColor(0, 0, 255));
    }
    ViewForm *open(FakeConnection *owner, const QString &caption)
    {
        auto *form = new ViewForm(owner, caption);
        form->CreateTaskButton();
        form->ShowMDIChild();
        processEvents();
        return form;
    }
    QAction *item(const char *name) const { return w->findChild<QAction *>(QLatin1String(name)); }

    TfrmMain *w = nullptr;
    FakeConnection one{QStringLiteral("sa @ s1.db")}, two{QStringLiteral("sa @ s2.db")};
};

} // namespace

TEST_F(ViewTest, TabsInConnectionColoursAndTheActiveOneFramed)
{
    ViewForm *a = open(&one, QStringLiteral("TABLE - s1.T"));
    QSignalSpy activated(w->MDIClient(), &QMdiArea::subWindowActivated);
    ViewForm *b = open(&two, QStringLiteral("VIEW - s2.V"));
    for (const QList<QVariant> &args : std::as_const(activated))
        EXPECT_EQ(args.at(0).value<QMdiSubWindow *>(), b->MDIFrame()) << "opening a window activates no other";

    TzkTaskBar *bar = w->pagTaskBar();
    const QRect ra = bar->tabRect(bar->IndexOfTag(a->FormID()));
    const QRect rb = bar->tabRect(bar->IndexOfTag(b->FormID()));
    ASSERT_EQ(bar->currentIndex(), bar->IndexOfTag(b->FormID()));
    QImage image = bar->grab().toImage();
    EXPECT_EQ(image.pixelColor(ra.left() + 1, ra.top() + 1), QColor(255, 0, 0)) << "inactive: filled";
    EXPECT_EQ(image.pixelColor(rb.right() - 5, rb.top() + 5), QColor(0, 0, 255)) << "active: filled inside its frame";
    EXPECT_NE(image.pixelColor(rb.left() + 1, rb.top() + 1), QColor(0, 0, 255)) << "active: the frame is inset";
    // The frame is dotted in the text colour.
    const QColor text = ColorToQColor(ConnectionManager->GetForegroundColor(22));
    int dots = 0;
    const int length = rb.width() - 5;
    for (int x = rb.left() + 3; x < rb.left() + 3 + length; ++x)
        dots += image.pixelColor(x, rb.top() + 3) == text;
    EXPECT_GT(dots, 2);
    EXPECT_LT(dots, length - 2);

    // A window whose connection has gone is painted in the button colours.
    ConnectionManager->RemoveHandle(a->FormID());
    image = bar->grab().toImage();
    EXPECT_EQ(image.pixelColor(ra.left() + 1, ra.top() + 1), ColorToQColor(clBtnFace));
}

TEST_F(ViewTest, TabTooltipsAndCloseFromTheTabMenu)
{
    ViewForm *a = open(&one, QStringLiteral("TABLE - s1.T"));
    ViewForm *b = open(&two, QStringLiteral("VIEW - s2.V"));
    ViewForm *c = open(&two, QStringLiteral("PROC - s2.P"));
    TzkTaskBar *bar = w->pagTaskBar();
    QAction *close = w->findChild<QAction *>(QStringLiteral("mnuCloseWindow"));
    ASSERT_TRUE(close);

    w->pagTaskBarMouseMove(bar->tabRect(bar->IndexOfTag(a->FormID())).center());
    EXPECT_EQ(bar->toolTip(), QStringLiteral("TABLE - s1.T"));
    w->pagTaskBarMouseMove(bar->tabRect(bar->IndexOfTag(b->FormID())).center());
    EXPECT_EQ(bar->toolTip(), QStringLiteral("VIEW - s2.V"));
    EXPECT_EQ(w->MouseOverTaskTab(), b->FormID());

    // Over an inactive tab: that window closes, the active tab stays.
    const int bID = b->FormID();
    const int cID = c->FormID();
    close->trigger();
    processEvents();
    EXPECT_EQ(bar->IndexOfTag(bID), -1);
    EXPECT_EQ(bar->count(), 2);
    EXPECT_EQ(w->MDIClient()->activeSubWindow(), c->MDIFrame());
    EXPECT_EQ(bar->currentIndex(), bar->IndexOfTag(cID));

    // Over empty bar space: the tooltip stays, the active window closes.
    w->pagTaskBarMouseMove(QPoint(bar->width() + 40, 4));
    EXPECT_EQ(w->MouseOverTaskTab(), 0);
    EXPECT_EQ(bar->toolTip(), QStringLiteral("VIEW - s2.V"));
    close->trigger();
    processEvents();
    EXPECT_EQ(bar->IndexOfTag(cID), -1);
    EXPECT_EQ(bar->count(), 1);

    // A remembered tab whose window has gone counts as none.
    w->pagTaskBarMouseMove(bar->tabRect(bar->IndexOfTag(a->FormID())).center());
    a->MDIFrame()->close();
    processEvents();
    ASSERT_EQ(bar->count(), 0);
    close->trigger();
    processEvents();
}

TEST_F(ViewTest, ViewMenuEnablingAndBars)
{
    w->mnuDisplayClick();
    for (const char *name : {"mnuDispList", "mnuDispReport", "mnuReload"})
        EXPECT_FALSE(item(name)->isEnabled()) << name;

    // A logon: the command update alone enables F5.
    AddComboConnection(w->cmbDBName(), QStringLiteral("sa @ s1.db"), &one);
    w->MenuUpdate();
    for (const char *name : {"mnuDispList", "mnuDispReport", "mnuReload"})
        EXPECT_TRUE(item(name)->isEnabled()) << name;

    // Hidden and shown again, the task bar is back between the work space
    // and the status bar.
    QWidget *taskBar = w->findChild<QWidget *>(QStringLiteral("pnlTaskBar"));
    QWidget *splitter = w->findChild<QSplitter *>(QStringLiteral("splWorkSpace"));
    QAction *taskBarItem = item("mnuTaskBar");
    QAction *statusItem = item("mnuStsbar");
    w->mnuDisplayClick();
    EXPECT_TRUE(taskBarItem->isChecked());
    taskBarItem->trigger();
    statusItem->trigger();
    processEvents();
    EXPECT_TRUE(taskBar->isHidden());
    EXPECT_TRUE(w->stsMain()->isHidden());
    taskBarItem->trigger();
    statusItem->trigger();
    processEvents();
    auto top = [this](QWidget *widget) { return widget->mapTo(w, QPoint(0, 0)).y(); };
    EXPECT_LE(top(splitter) + splitter->height(), top(taskBar));
    EXPECT_LE(top(taskBar) + taskBar->height(), top(w->stsMain()));

    // The check marks follow the bars, whichever way they were hidden.
    w->lstWorkSpace()->hide();
    w->ToolBar(QStringLiteral("pnlAdmin"))->hide();
    w->mnuDisplayClick();
    EXPECT_FALSE(item("mnuWorkSpace")->isChecked());
    EXPECT_FALSE(item("mnuToolbar_pnlAdmin")->isChecked());
    EXPECT_TRUE(item("mnuToolbar_pnlDB")->isChecked());
}

TEST_F(ViewTest, F5RefreshesOrRunsTheEditorsCommand)
{
    AddComboConnection(w->cmbDBName(), QStringLiteral("sa @ s1.db"), &one);
    w->MenuUpdate();
    ViewForm *a = open(&one, QStringLiteral("TABLE - s1.T"));
    w->activateWindow();
    processEvents();

    // The key in a plain field refreshes the window.
    a->edit->setFocus();
    processEvents();
    QTest::keyClick(a->edit, Qt::Key_F5);
    processEvents();
    EXPECT_EQ(a->reloaded, 1);

    // In an editor outside a SQL window it is the window's Alt+C.
    a->memo->setFocus();
    processEvents();
    ASSERT_EQ(QApplication::focusWidget(), a->memo);
    QTest::keyClick(a->memo, Qt::Key_F5);
    processEvents();
    EXPECT_EQ(a->reloaded, 1);
    EXPECT_EQ(a->clicked, 1);

    // Chosen from the menu, the item always refreshes.
    item("mnuReload")->trigger();
    EXPECT_EQ(a->reloaded, 2);
    EXPECT_EQ(a->clicked, 1);
}
