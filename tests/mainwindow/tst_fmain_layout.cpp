#include "fixture.h"

#include "controls/zkcomctrls.h"
#include "core/zkoption.h"
#include "core/zkreg.h"

#include <QMap>
#include <QMdiArea>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QtEndian>

#include <functional>

namespace {

const QString kKey = ZK_REG_ROOT + QStringLiteral("\\GUI\\MAIN");

QByteArray rectBytes(int left, int top, int right, int bottom)
{
    QByteArray bytes(16, '\0');
    const qint32 values[] = {left, top, right, bottom};
    for (int i = 0; i < 4; ++i)
        qToLittleEndian<qint32>(values[i], bytes.data() + 4 * i);
    return bytes;
}

QRect rectOf(const QByteArray &bytes)
{
    auto at = [&bytes](int i) { return qFromLittleEndian<qint32>(bytes.constData() + 4 * i); };
    return bytes.size() == 16 ? QRect(QPoint(at(0), at(1)), QPoint(at(2) - 1, at(3) - 1)) : QRect();
}

// The stored values of GUI\MAIN, read after a save.
struct Stored
{
    Stored() { present = reg.OpenKey(kKey, false); }
    int Int(const char *name) { return reg.GetInteger(QLatin1String(name), -999); }
    bool Has(const char *name) { return reg.ValueExists(QLatin1String(name)); }
    QRect Rect(const QString &bar) { return rectOf(reg.ReadBinary(bar + QStringLiteral("Rect"))); }
    TzkRegistry reg;
    bool present = false;
};

void write(const std::function<void(TzkRegistry &)> &values)
{
    TzkRegistry reg;
    // A store of an older version would lose its layouts at the start.
    ASSERT_TRUE(reg.OpenKey(ZK_REG_ROOT, true));
    reg.WriteInteger(QStringLiteral("Version"), ZK_SETTINGS_VERSION);
    reg.CloseKey();
    ASSERT_TRUE(reg.OpenKey(kKey, true));
    values(reg);
    reg.CloseKey();
}

class LayoutTest : public MainWindowTest
{
protected:
    // An empty store of this version: nothing under GUI\MAIN.
    static void freshStore()
    {
        TestEnv::resetRegistry();
        write([](TzkRegistry &) {});
        TzkRegistry reg;
        reg.DeleteKey(kKey);
    }
    // A start: the window shown, its first paint (and layout restore) run.
    TfrmMain *start()
    {
        main.reset();
        TfrmMain *w = createMain();
        w->show();
        processEvents();
        return w;
    }
    // The bars of the top bar by row (top to bottom), each row left to right.
    static QList<QStringList> rows(TfrmMain *w)
    {
        QMap<int, QMap<int, QString>> byTop;
        for (QToolBar *bar : w->ToolBars())
            if (!w->ToolBarFloating(bar) && !bar->isHidden())
                byTop[bar->y()][bar->x()] = bar->objectName();
        QList<QStringList> out;
        for (const auto &row : std::as_const(byTop))
            out.append(row.values());
        return out;
    }
};

} // namespace

TEST_F(LayoutTest, FirstStartKeepsTheBuiltInLayout)
{
    TfrmMain *w = start();
    EXPECT_FALSE(Stored().present) << "a first start reads nothing and writes nothing";
    EXPECT_EQ(w->size(), QSize(1024, 720));
    EXPECT_EQ(w->WorkSpaceAlign(), 2);
    EXPECT_EQ(w->lstWorkSpace()->ViewStyle(), vsIcon);
    const QList<QStringList> built = {{"pnlDB", "pnlEdit"}, {"pnlTool", "pnlAdmin", "pnlTool2"}, {"pnlNewObj"}};
    EXPECT_EQ(rows(w), built);
    for (QToolBar *bar : w->ToolBars())
        EXPECT_EQ(w->toolBarArea(bar), Qt::TopToolBarArea) << bar->objectName().toStdString();
}

TEST_F(LayoutTest, WindowStateAndBoundsRoundTrip)
{
    TfrmMain *w = start();
    w->move(30, 20);
    w->resize(700, 500);
    w->SaveLayout();
    {
        Stored s;
        EXPECT_EQ(s.Int("WindowState"), 0);
        EXPECT_EQ(QRect(s.Int("Left"), s.Int("Top"), s.Int("Width"), s.Int("Height")), QRect(30, 20, 700, 500));
    }
    w = start();
    EXPECT_EQ(w->pos(), QPoint(30, 20));
    EXPECT_EQ(w->size(), QSize(700, 500)) << "saved and restored as the same pair: no creep";

    // Maximised: the state only, and no stored bounds applied next time.
    freshStore();
    w->setWindowState(Qt::WindowMaximized);
    w->SaveLayout();
    {
        Stored s;
        EXPECT_EQ(s.Int("WindowState"), 2);
        EXPECT_FALSE(s.Has("Left"));
        EXPECT_FALSE(s.Has("Width"));
    }
    w = start();
    EXPECT_TRUE(w->isMaximized());

    // Minimised: stored as such, restored normal.
    freshStore();
    w->setWindowState(Qt::WindowMinimized);
    w->SaveLayout();
    EXPECT_EQ(Stored().Int("WindowState"), 1);
    w = start();
    EXPECT_FALSE(w->isMinimized());
    EXPECT_FALSE(w->isMaximized());
}

TEST_F(LayoutTest, OffScreenBoundsComeBackOnTheDesktop)
{
    write([](TzkRegistry &reg) {
        reg.WriteInteger(QStringLiteral("WindowState"), 0);
        reg.WriteInteger(QStringLiteral("Left"), 90000);
        reg.WriteInteger(QStringLiteral("Top"), 90000);
        reg.WriteInteger(QStringLiteral("Width"), 700);
        reg.WriteInteger(QStringLiteral("Height"), 500);
    });
    TfrmMain *w = start();
    EXPECT_TRUE(w->screen()->availableGeometry().intersects(w->frameGeometry()));
    EXPECT_EQ(w->size(), QSize(700, 500));
}

TEST_F(LayoutTest, BarsAndWorkSpaceRoundTrip)
{
    TfrmMain *w = start();
    w->findChild<QWidget *>(QStringLiteral("pnlTaskBar"))->hide();
    w->statusBar()->hide();
    w->lstWorkSpace()->SetViewStyle(vsList);
    w->PlaceWorkSpace(3, 150);
    processEvents();
    EXPECT_EQ(w->WorkSpaceSize(), 150);
    w->SaveLayout();
    {
        Stored s;
        EXPECT_EQ(s.Int("TaskBar"), 0);
        EXPECT_EQ(s.Int("StatusBar"), 0);
        EXPECT_EQ(s.Int("WorkSpace"), 1);
        EXPECT_EQ(s.Int("WorkSpaceStyle"), 2);
        EXPECT_EQ(s.Int("WorkSpaceAlign"), 3);
        EXPECT_EQ(s.Int("WorkSpaceSize"), 150);
    }
    w = start();
    EXPECT_TRUE(w->findChild<QWidget *>(QStringLiteral("pnlTaskBar"))->isHidden());
    EXPECT_TRUE(w->statusBar()->isHidden());
    EXPECT_EQ(w->lstWorkSpace()->ViewStyle(), vsList);
    EXPECT_EQ(w->WorkSpaceAlign(), 3);
    auto *splitter = w->findChild<QSplitter *>(QStringLiteral("splWorkSpace"));
    EXPECT_EQ(splitter->orientation(), Qt::Horizontal);
    EXPECT_EQ(splitter->indexOf(w->lstWorkSpace()), 0) << "left of the windows";
    EXPECT_EQ(w->WorkSpaceSize(), 150);
}

TEST_F(LayoutTest, StoredWorkSpaceSizeIsBoundByHalfTheClientAndAtLeastOne)
{
    struct Case
    {
        int align, stored;
        bool half;
        int expected;
    };
    for (const Case &c : {Case{2, 5000, true, 0}, Case{1, 0, false, 1}, Case{4, 5000, true, 0}, Case{2, 1, false, 1},
                          Case{2, 2, false, 2}}) {
        SCOPED_TRACE(testing::Message() << c.align << " " << c.stored);
        freshStore();
        write([&c](TzkRegistry &reg) {
            reg.WriteInteger(QStringLiteral("WorkSpaceAlign"), c.align);
            reg.WriteInteger(QStringLiteral("WorkSpaceSize"), c.stored);
        });
        TfrmMain *w = start();
        const QWidget *client = w->centralWidget();
        const int half = (c.align <= 2 ? client->height() : client->width()) / 2;
        EXPECT_EQ(w->WorkSpaceSize(), c.half ? half : c.expected);
    }
}

TEST_F(LayoutTest, StoredRectsPutTheBarsInRowsAndReadBackTheSame)
{
    write([](TzkRegistry &reg) {
        // pnlDB first in the first row; pnlEdit before pnlTool in the second.
        reg.WriteBinary(QStringLiteral("pnlDBRect"), rectBytes(11, 2, 444, 26));
        reg.WriteBinary(QStringLiteral("pnlEditRect"), rectBytes(11, 30, 116, 54));
        reg.WriteBinary(QStringLiteral("pnlToolRect"), rectBytes(140, 30, 212, 54));
        reg.WriteBinary(QStringLiteral("pnlAdminRect"), rectBytes(460, 2, 607, 26));
        reg.WriteBinary(QStringLiteral("pnlTool2Rect"), rectBytes(11, 58, 179, 82));
        reg.WriteBinary(QStringLiteral("pnlNewObjRect"), rectBytes(200, 58, 416, 82));
    });
    TfrmMain *w = start();
    const QList<QStringList> expected = {{"pnlDB", "pnlAdmin"}, {"pnlEdit", "pnlTool"}, {"pnlTool2", "pnlNewObj"}};
    EXPECT_EQ(rows(w), expected);

    freshStore();
    w->SaveLayout();
    Stored s;
    const std::pair<const char *, int> tops[] = {{"pnlDB", 2},    {"pnlAdmin", 2},  {"pnlEdit", 30},
                                                 {"pnlTool", 30}, {"pnlTool2", 58}, {"pnlNewObj", 58}};
    for (const auto &[name, top] : tops)
        EXPECT_EQ(s.Rect(QLatin1String(name)).top(), top) << name;
    EXPECT_LT(s.Rect(QStringLiteral("pnlDB")).left(), s.Rect(QStringLiteral("pnlAdmin")).left());
    EXPECT_LT(s.Rect(QStringLiteral("pnlEdit")).left(), s.Rect(QStringLiteral("pnlTool")).left());
    EXPECT_EQ(s.Rect(QStringLiteral("pnlDB")).width(), w->ToolBar(QStringLiteral("pnlDB"))->width());
}

TEST_F(LayoutTest, FloatingAndHiddenBarsComeBackAndTheResetDocksThemAll)
{
    write([](TzkRegistry &reg) {
        reg.WriteBinary(QStringLiteral("pnlEditRect"), rectBytes(300, 200, 405, 224));
        reg.WriteBool(QStringLiteral("pnlEditFloat"), true);
        reg.WriteBinary(QStringLiteral("pnlTool2Rect"), rectBytes(120, 340, 288, 364));
        reg.WriteBool(QStringLiteral("pnlTool2Float"), true);
        reg.WriteBool(QStringLiteral("pnlTool2Visible"), false);
        reg.WriteBool(QStringLiteral("pnlAdminVisible"), false);
    });
    TfrmMain *w = start();
    QToolBar *edit = w->ToolBar(QStringLiteral("pnlEdit"));
    QToolBar *tool2 = w->ToolBar(QStringLiteral("pnlTool2"));
    QToolBar *admin = w->ToolBar(QStringLiteral("pnlAdmin"));
    ASSERT_TRUE(w->ToolBarFloating(edit));
    ASSERT_TRUE(w->ToolBarWindow(edit));
    EXPECT_EQ(w->ToolBarWindow(edit)->pos(), QPoint(300, 200));
    EXPECT_TRUE(w->ToolBarWindow(edit)->isVisible());
    EXPECT_TRUE(w->ToolBarFloating(tool2));
    EXPECT_FALSE(w->ToolBarWindow(tool2)->isVisible()) << "its window had been hidden";
    EXPECT_TRUE(admin->isHidden());
    EXPECT_FALSE(w->ToolBarFloating(admin));

    // Closing a floating window hides its bar, which is what is stored.
    w->ToolBarWindow(edit)->close();
    EXPECT_TRUE(edit->isHidden());
    w->SetToolBarVisible(edit, true);
    EXPECT_TRUE(w->ToolBarWindow(edit)->isVisible());

    freshStore();
    w->SaveLayout();
    {
        Stored s;
        EXPECT_EQ(s.Rect(QStringLiteral("pnlEdit")).topLeft(), QPoint(300, 200));
        EXPECT_EQ(s.Rect(QStringLiteral("pnlEdit")).size(), edit->size());
        EXPECT_EQ(s.Int("pnlEditFloat"), 1);
        EXPECT_EQ(s.Int("pnlEditVisible"), 1);
        EXPECT_EQ(s.Int("pnlTool2Float"), 1);
        EXPECT_EQ(s.Int("pnlTool2Visible"), 0);
        EXPECT_EQ(s.Int("pnlAdminFloat"), 0);
        EXPECT_EQ(s.Int("pnlAdminVisible"), 0);
    }

    // "位置の初期化" asks first; No changes nothing.
    QAction *reset = w->findChild<QAction *>(QStringLiteral("mnuToolbarReset"));
    ASSERT_TRUE(reset);
    answer("No");
    reset->trigger();
    EXPECT_TRUE(w->ToolBarFloating(edit));
    answer("Yes");
    reset->trigger();
    processEvents();
    for (QToolBar *bar : w->ToolBars()) {
        EXPECT_FALSE(w->ToolBarFloating(bar)) << bar->objectName().toStdString();
        EXPECT_FALSE(bar->isHidden()) << bar->objectName().toStdString();
    }
    const QList<QStringList> built = {{"pnlDB", "pnlEdit"}, {"pnlTool", "pnlAdmin", "pnlTool2"}, {"pnlNewObj"}};
    EXPECT_EQ(rows(w), built);
}
