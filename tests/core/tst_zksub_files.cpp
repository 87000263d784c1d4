#include "common/testenv.h"
#include "controls/zkstdctl.h"
#include "core/zkoption.h"
#include "core/zkreg.h"
#include "core/zksub.h"
#include "modal.h"
#include "platform/encoding/textencoding.h"
#include "platform/rtl/exceptions.h"

#include <QColorDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

void touch(const QString &path)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
}

TEST(RemoveInvalidFileChars, DropsTheNineCharactersOnly)
{
    const std::pair<const char *, const char *> cases[] = {
        {R"(host\inst.db.dbo.T.ini)", "hostinst.db.dbo.T.ini"},
        {"a|b:c d.e", "abc d.e"},
        {R"(/*?\:<>"|)", ""},
        {"表 1.sql", "表 1.sql"},
        {"...", "..."},
    };
    for (const auto &[name, cleaned] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(RemoveInvalidFileChars(QString::fromUtf8(name)), QString::fromUtf8(cleaned));
    }
    // These would name the folder itself or its parent.
    EXPECT_THROW(RemoveInvalidFileChars(QStringLiteral("..")), Exception);
    EXPECT_THROW(RemoveInvalidFileChars(QStringLiteral(".:")), Exception);
}

TEST(MakeUniqueFileName, CountsToTheFirstFreeName)
{
    QTemporaryDir dir;
    auto path = [&](const char *name) { return dir.filePath(QString::fromUtf8(name)); };
    EXPECT_EQ(MakeUniqueFileName(path("x.sql")), path("x.sql"));
    touch(path("x.sql"));
    EXPECT_EQ(MakeUniqueFileName(path("x.sql")), path("x01.sql"));
    touch(path("x01.sql"));
    EXPECT_EQ(MakeUniqueFileName(path("x.sql")), path("x02.sql"));
    touch(path("noext"));
    EXPECT_EQ(MakeUniqueFileName(path("noext")), path("noext01"));
    QDir().mkdir(path("a.b"));
    touch(path("a.b/report"));
    EXPECT_EQ(MakeUniqueFileName(path("a.b/report")), path("a.b/report01"));
    // Past 99 it goes on counting rather than give a name in use.
    for (int i = 2; i <= 100; ++i)
        touch(dir.filePath(QStringLiteral("x%1.sql").arg(i, 2, 10, QLatin1Char('0'))));
    EXPECT_EQ(MakeUniqueFileName(path("x.sql")), path("x101.sql"));
}

TEST(HasKnownFileExt, ComparesTheLastExtensionInLowerCase)
{
    const std::pair<const char *, bool> cases[] = {
        {"Data.XLSX", true}, {"a.sql.tmp", false},      {"report.csv", true}, {"macro.zkmcr", true}, {"x.Bak", true},
        {"report", false},   {"dir.sql/report", false}, {".sql", true},       {"a.xlsb", false},     {"a.", false},
    };
    for (const auto &[name, known] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(HasKnownFileExt(QString::fromUtf8(name)), known);
    }
}

TEST(GetFileEncoding, FollowsTheOptionsLowByte)
{
    const std::pair<int, const TEncoding *> cases[] = {
        {0, TEncoding::GetANSI()},
        {1, TEncoding::GetUTF7()},
        {2, TEncoding::GetUTF8()},
        {3, TEncoding::GetUnicode()},
        {4, TEncoding::GetBigEndianUnicode()},
        {5, TEncoding::GetANSI()},
        {0x102, TEncoding::GetUTF8()},
        {-1, TEncoding::GetANSI()},
    };
    const int saved = zkOption.Encoding;
    for (const auto &[value, encoding] : cases) {
        SCOPED_TRACE(value);
        zkOption.Encoding = value;
        EXPECT_EQ(GetFileEncoding(), encoding);
    }
    zkOption.Encoding = saved;
}

TEST(AnsiAndWidth, BufferAndWidthConversion)
{
    const QByteArray buffer = StrToAnsiBuffer(QStringLiteral("aあ"));
    EXPECT_EQ(buffer, QByteArray("a\x82\xA0"));
    EXPECT_EQ(buffer.constData()[buffer.size()], '\0');
    EXPECT_EQ(ToFullWidth(QStringLiteral("ｶﾞ1")), QStringLiteral("ガ１"));
    EXPECT_EQ(ToHalfWidth(QStringLiteral("ガ１")), QStringLiteral("ｶﾞ1"));
}

TEST(SystemTimeToLocalDateTime, ConvertsUtcToLocalTime)
{
    const QDateTime utc(QDate(2024, 1, 15), QTime(3, 0), Qt::UTC);
    const QDateTime local = utc.toLocalTime();
    EXPECT_DOUBLE_EQ(SystemTimeToLocalDateTime(utc), TDateTimeFromDateTime(local));
    EXPECT_EQ(SystemTimeToLocalDateTime(QDateTime()), 0);
}

TEST(GetUrlInfo, UnknownWhenTheServerCannotBeReached)
{
    const TzkUrlInfo info = GetUrlInfo(QStringLiteral("http://127.0.0.1:1/news.txt"));
    EXPECT_EQ(info.LastModified, 0);
    EXPECT_EQ(info.Size, 0);
}

// A list view's stand-in: captions, first sub-items, a selection.
class FakeList : public IzkSearchableList
{
public:
    QStringList captions;
    QStringList subItems;
    int selected = -1;
    int shown = -1;

    int ItemCount() const override { return int(captions.size()); }
    int SelectedIndex() const override { return selected; }
    QString ItemCaption(int i) const override { return captions.at(i); }
    QString ItemFirstSubItem(int i) const override { return i < subItems.size() ? subItems.at(i) : QString(); }
    void ShowFoundItem(int i) override
    {
        selected = i;
        shown = i;
    }
};

TEST(FindInListView, FindsTheNextMatchAndWrapsRound)
{
    FakeList list;
    list.captions = {"CUSTOMER", "orders", "Order_Items", "SALES"};
    list.subItems = {"master", "", "", "sales_db"};
    TzkStrEdit edit;
    edit.setText(QStringLiteral("order"));

    FindInListView(&edit, &list); // nothing selected: from the first
    EXPECT_EQ(list.shown, 1);
    FindInListView(&edit, &list);
    EXPECT_EQ(list.shown, 2);
    FindInListView(&edit, &list); // past the last: round to the first match
    EXPECT_EQ(list.shown, 1);

    edit.setText(QStringLiteral("MASTER")); // the first sub-item counts too
    list.selected = 3;
    FindInListView(&edit, &list);
    EXPECT_EQ(list.shown, 0);

    list.shown = -1;
    edit.clear();
    FindInListView(&edit, &list);
    EXPECT_EQ(list.shown, -1);
}

TEST(FindInListView, TellsTheUserWhenNothingMatches)
{
    FakeList list;
    list.captions = {"a", "b"};
    TzkStrEdit edit;
    edit.setText(QStringLiteral("zzz"));
    QString message;
    WhenModal([&](QWidget *w) {
        message = w->findChild<QLabel *>(QStringLiteral("Message"))->text();
        w->close();
    });
    FindInListView(&edit, &list);
    EXPECT_EQ(message, QStringLiteral("検索対象が見つかりませんでした。"));
    EXPECT_EQ(list.shown, -1);
}

class PendingEdit
    : public QLineEdit
    , public IzkEditCommit
{
public:
    QString committed;
    void CommitEdit() override { committed = text(); }
};

TEST(ExitActiveControl, CommitsThePendingEditOfTheFocusedControl)
{
    QWidget window;
    auto *table = new QTableWidget(2, 2, &window);
    auto *pending = new PendingEdit;
    pending->setParent(&window);
    pending->move(0, 200);
    window.resize(400, 300);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    table->setItem(0, 0, new QTableWidgetItem);
    table->setFocus();
    table->editItem(table->item(0, 0));
    auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("新しい値"));
    ExitActiveControl();
    EXPECT_EQ(table->item(0, 0)->text(), QStringLiteral("新しい値"));

    pending->setFocus();
    pending->setText(QStringLiteral("入力中"));
    ExitActiveControl();
    EXPECT_EQ(pending->committed, QStringLiteral("入力中"));
}

TEST(IsEscapePressed, FalseWithoutAnActiveWindow)
{
    ASSERT_EQ(QApplication::activeWindow(), nullptr);
    EXPECT_FALSE(IsEscapePressed());
}

// The custom colours come from COLORS and go back there, as "ColorA=BBGGRR".
TEST(PickColor, KeepsTheCustomColoursInTheSettings)
{
    TestEnv::resetRegistry();
    InitializeCore();
    zkReg->OpenKey(ZK_REG_ROOT + QStringLiteral("\\COLORS"), true);
    zkReg->WriteString(QStringLiteral("Color_A"), QStringLiteral("ColorA=0000FF"));
    zkReg->WriteString(QStringLiteral("Color_B"), QStringLiteral("ColorB=FF8000"));
    zkReg->CloseKey();

    for (bool choose : {true, false}) {
        SCOPED_TRACE(choose ? "chosen" : "cancelled");
        QColor seenA;
        QColor seenB;
        WhenModal([&](QWidget *w) {
            seenA = QColorDialog::customColor(0);
            seenB = QColorDialog::customColor(1);
            auto *dialog = qobject_cast<QColorDialog *>(w);
            ASSERT_NE(dialog, nullptr);
            QColorDialog::setCustomColor(2, QColor(0x12, 0x34, 0x56));
            dialog->setCurrentColor(QColor(10, 20, 30));
            if (choose)
                dialog->accept();
            else
                dialog->reject();
        });
        QColor color(Qt::white);
        EXPECT_EQ(PickColor(nullptr, color), choose);
        EXPECT_EQ(color, choose ? QColor(10, 20, 30) : QColor(Qt::white));
        EXPECT_EQ(seenA, QColor(255, 0, 0));
        EXPECT_EQ(seenB, QColor(0, 0x80, 0xFF));

        zkReg->OpenKey(ZK_REG_ROOT + QStringLiteral("\\COLORS"), false);
        EXPECT_EQ(zkReg->GetString(QStringLiteral("Color_A"), QString()), QStringLiteral("ColorA=0000FF"));
        EXPECT_EQ(zkReg->GetString(QStringLiteral("Color_C"), QString()), QStringLiteral("ColorC=563412"));
        EXPECT_EQ(zkReg->GetString(QStringLiteral("Color_P"), QString()), QStringLiteral("ColorP=000000"));
        zkReg->CloseKey();
    }
    FinalizeCore();
}

} // namespace

namespace {

// A string grid's stand-in: one column of texts in the default font.
class FakeGrid : public IzkSizableGrid
{
public:
    QStringList texts;
    int width = 900;
    int setWidth = -1;

    int RowCount() const override { return int(texts.size()); }
    QString CellText(int, int row) const override { return texts.at(row); }
    QFontMetrics GridFontMetrics() const override { return QFontMetrics(QFont()); }
    int GridWidth() const override { return width; }
    void SetColumnWidth(int, int w) override { setWidth = w; }
};

TEST(AutoSizeGridColumn, SizesToTheWidestTextWithinLimits)
{
    const QFontMetrics fm{QFont()};
    FakeGrid grid;
    grid.texts = {QStringLiteral("ab"), QStringLiteral("c")};
    AutoSizeGridColumn(&grid, 0);
    EXPECT_EQ(grid.setWidth, 100);

    // Kanji count two cells each: twenty kanji are as wide as forty "M".
    grid.texts = {QStringLiteral("ab"), QString(20, QChar(0x6F22))};
    grid.width = 30000;
    const int fortyM = fm.horizontalAdvance(QString(40, QLatin1Char('M')));
    ASSERT_GT(fortyM, 100);
    AutoSizeGridColumn(&grid, 0);
    EXPECT_EQ(grid.setWidth, fortyM);

    grid.width = 900;
    grid.texts = {QString(200, QLatin1Char('x'))};
    AutoSizeGridColumn(&grid, 0);
    EXPECT_EQ(grid.setWidth, 300);
}

} // namespace
