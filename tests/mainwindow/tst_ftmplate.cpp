#include "fixture.h"

#include "controls/zkcomctrls.h"
#include "controls/zkstdctl.h"
#include "core/zkreg.h"
#include "mainwindow/ftmplate.h"
#include "platform/encoding/textencoding.h"
#include "platform/rtl/exceptions.h"
#include "sqleditor/zkmemo.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

namespace {

QStringList split(const char *text)
{
    return QString::fromUtf8(text).split(QLatin1Char('\n'));
}

QStringList titles(const TTplIndex &index, const QVector<int> &items)
{
    QStringList out;
    for (int item : items)
        out.append(index.Title(item));
    return out;
}

struct CollectCase
{
    const char *name;
    const char *file;
    const char *first;
    QStringList expected;
};

} // namespace

TEST(TemplateParse, CollectsReferencesDepthFirstOnceFromBodyLinesOnly)
{
    const CollectCase cases[] = {
        {"cycle", "【 A 】\n<B>\n【 B 】\n<a>", "A", {"A", "B"}},
        {"depth first", "【 A 】\n<B> <C>\n【 B 】\n<D>\n【 C 】\n【 D 】", "A", {"A", "B", "D", "C"}},
        {"header and category lines not followed", "%%%cat <B>\n【 A 】 <B>\nx\n【 B 】\n%%%<B>", "A", {"A"}},
        {"unknown title ignored", "【 A 】\n<Z> <b>\n【 B 】", "A", {"A", "B"}},
        {"open bracket without close names nothing", "【 A 】\na < b\n【  b 】", "A", {"A"}},
        {"empty title found by <>", "【 A 】\nx <> y\n【 untitled", "A", {"A", ""}},
        {"title up to the first close", "【 A 】\n<B 】x> <b>\n【 B 】x 】", "A", {"A", "B"}},
    };
    for (const CollectCase &c : cases) {
        SCOPED_TRACE(c.name);
        const QStringList lines = split(c.file);
        TTplIndex index;
        index.Build(lines);
        const QVector<int> items = CollectTplEntries(lines, index, index.Find(QString::fromUtf8(c.first)));
        EXPECT_EQ(titles(index, items), c.expected);
    }
}

TEST(TemplateParse, FirstHeaderWinsIgnoringCaseAndTextGetsHeaderObjects)
{
    const QStringList lines = split("pre\n【 Sel 】one\nbody <X>\n【 SEL 】two\n【 x 】\nxb");
    TTplIndex index;
    index.Build(lines);
    ASSERT_EQ(index.Count(), 3);
    EXPECT_EQ(index.Find(QStringLiteral("sel")), 0);
    EXPECT_EQ(index.Line(index.Find(QStringLiteral("SEL"))), 1);
    const TTplText text = AssembleTplText(lines, index, 0);
    EXPECT_EQ(text.Lines, QStringList({"【 Sel 】one", "body <X>", "【 x 】", "xb"}));
    EXPECT_EQ(text.Objects, QVector<quint32>({kTplHeaderObject, 0, kTplHeaderObject, 0}));
}

TEST(TemplateParse, LongChainDoesNotExhaustTheStack)
{
    QStringList lines;
    const int n = 200000;
    for (int i = 0; i < n; ++i) {
        lines.append(QStringLiteral("【 E%1 】").arg(i));
        lines.append(QStringLiteral("<E%1>").arg(i + 1));
    }
    TTplIndex index;
    index.Build(lines);
    EXPECT_EQ(CollectTplEntries(lines, index, 0).size(), n);
}

TEST(TemplateParse, TreeFilterKeepsCategoriesAndReferringEntries)
{
    const QStringList lines = split("【 TOP 】\n%%%DML\n【 A 】\nSELECT x <B>\n【 L 】\nselect only\n【 B 】\nFROM t\n"
                                    "%%%EMPTY\n【 C 】\nnothing");
    TTplIndex index;
    index.Build(lines);
    QVector<TTplNode> tree = BuildTplTree(lines, index, QString());
    ASSERT_EQ(tree.size(), 3);
    EXPECT_FALSE(tree[0].Category);
    EXPECT_EQ(tree[0].Text, "TOP");
    EXPECT_EQ(tree[1].Entries, QStringList({"A", "L", "B"}));

    tree = BuildTplTree(lines, index, QStringLiteral("SELECT"));
    ASSERT_EQ(tree.size(), 2);                      // the top-level entry is gone, the categories stay
    EXPECT_EQ(tree[0].Entries, QStringList({"A"})); // lower-case "select" does not match
    EXPECT_TRUE(tree[1].Entries.isEmpty());

    tree = BuildTplTree(lines, index, QStringLiteral("FROM"));
    EXPECT_EQ(tree[0].Entries, QStringList({"A", "B"})); // A finds it in B
}

TEST(TemplateParse, FindsTplFilesIgnoringCaseRegularFilesOnly)
{
    QTemporaryDir dir;
    for (const char *name : {"2019.tpl", "2022.TPL", "notes.txt", ".tpl"}) {
        QFile f(dir.filePath(QLatin1String(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    QDir(dir.path()).mkdir(QStringLiteral("sub.tpl"));
    QFile::link(dir.filePath(QStringLiteral("2019.tpl")), dir.filePath(QStringLiteral("link.tpl")));
    QStringList files = FindTplFiles(dir.path());
    files.sort();
    EXPECT_EQ(files, QStringList({"2019.tpl", "2022.TPL"}));
}

// --- The window --------------------------------------------------------------------------------

class TemplateWindowTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        m_savedPath = ProgramPath;
        ProgramPath = m_dir.path() + QLatin1Char('/');
    }
    void TearDown() override
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (qobject_cast<TfrmTemplate *>(w))
                delete w;
        ProgramPath = m_savedPath;
        MainWindowTest::TearDown();
    }
    void write(const QString &name, const QString &text, const TEncoding *encoding = TEncoding::GetUTF8(),
               bool bom = true)
    {
        WriteTextFile(ProgramPath + name, text, encoding, bom);
    }
    static QStringList treeTexts(TzkTreeView *tree)
    {
        QStringList out;
        for (int i = 0; i < tree->TopCount(); ++i) {
            TzkTreeNode *node = tree->TopItem(i);
            out.append(node->Text());
            for (int j = 0; j < node->Count(); ++j)
                out.append(QStringLiteral("  ") + node->Item(j)->Text());
        }
        return out;
    }

    QTemporaryDir m_dir;
    QString m_savedPath;
};

const QString kSample = QStringLiteral("%%%DML\r\n【 SELECT 】\r\nSELECT * FROM t <WHERE>\r\n【 WHERE 】\r\nWHERE x\r\n"
                                       "【 LOWER 】\r\nselect only\r\n%%%DDL\r\n【 CREATE 】\r\nCREATE TABLE\r\n");

TEST_F(TemplateWindowTest, OneFileHidesVersionsAndSearchesTheWord)
{
    write(QStringLiteral("2019.tpl"), kSample);
    TfrmTemplate *form = TfrmTemplate::ShowWindow(QStringLiteral(" select \t"));
    auto *find = form->findChild<TzkStrEdit *>(QStringLiteral("txtFind"));
    auto *tree = form->findChild<TzkTreeView *>(QStringLiteral("lstTemplate"));
    EXPECT_EQ(find->text(), "SELECT");
    EXPECT_TRUE(form->findChild<QComboBox *>(QStringLiteral("cmbVersion"))->isHidden());
    EXPECT_TRUE(form->findChild<QLabel *>(QStringLiteral("lblVersion"))->isHidden());
    EXPECT_EQ(find->y(), 2);
    EXPECT_EQ(form->findChild<QWidget *>(QStringLiteral("pnlTop"))->height(), 28);
    EXPECT_EQ(treeTexts(tree), QStringList({"DML", "  SELECT", "DDL"}));
    ASSERT_TRUE(tree->Selected());
    EXPECT_EQ(tree->Selected()->Text(), "SELECT");
    EXPECT_EQ(form->ShownText().Lines,
              QStringList({"【 SELECT 】", "SELECT * FROM t <WHERE>", "【 WHERE 】", "WHERE x"}));
    EXPECT_EQ(form->findChild<TzkMemo *>(QStringLiteral("txtSQL"))->Lines()->Count(), 4);
}

TEST_F(TemplateWindowTest, EmptySearchSelectsFirstNodeShowingNothingAndPasteUpperCases)
{
    write(QStringLiteral("2019.tpl"), kSample);
    TfrmTemplate *form = TfrmTemplate::ShowWindow(QString());
    auto *tree = form->findChild<TzkTreeView *>(QStringLiteral("lstTemplate"));
    EXPECT_EQ(treeTexts(tree).size(), 6);
    EXPECT_EQ(tree->Selected(), tree->TopItem(0));
    EXPECT_TRUE(form->ShownText().Lines.isEmpty());

    auto *find = form->findChild<TzkStrEdit *>(QStringLiteral("txtFind"));
    find->Save();
    QApplication::clipboard()->setText(QStringLiteral("from"));
    find->paste();
    EXPECT_EQ(find->text(), "FROM");
    form->txtFindExit();
    EXPECT_EQ(treeTexts(tree), QStringList({"DML", "  SELECT", "DDL"}));
    // The same text again does not rebuild: the user's selection stays.
    tree->SetSelected(tree->TopItem(1));
    form->txtFindExit();
    EXPECT_EQ(tree->Selected(), tree->TopItem(1));
}

TEST_F(TemplateWindowTest, VersionsSortedUpperCasedLastChosenAndSwitchKeepsSearch)
{
    write(QStringLiteral("2022.tpl"), QStringLiteral("【 NEW 】\r\nFROM new\r\n【 OTHER 】\r\n"));
    write(QStringLiteral("cp932.tpl"), QStringLiteral("【 漢字 】\r\nFROM 表\r\n"), TEncoding::GetANSI(), false);
    write(QStringLiteral("2019.TPL"), QStringLiteral("【 BE 】\r\nFROM old\r\n【 X 】\r\n"),
          TEncoding::GetBigEndianUnicode());
    TfrmTemplate *form = TfrmTemplate::ShowWindow(QStringLiteral("from"));
    auto *versions = form->findChild<QComboBox *>(QStringLiteral("cmbVersion"));
    auto *tree = form->findChild<TzkTreeView *>(QStringLiteral("lstTemplate"));
    EXPECT_FALSE(versions->isHidden());
    ASSERT_EQ(versions->count(), 3);
    EXPECT_EQ(versions->itemText(0), "2019");
    EXPECT_EQ(versions->itemText(2), "CP932");
    EXPECT_EQ(versions->currentIndex(), 2);
    EXPECT_EQ(treeTexts(tree), QStringList({"漢字"}));

    for (auto [index, expected] : {std::pair{0, "BE"}, std::pair{1, "NEW"}}) {
        versions->setCurrentIndex(index);
        form->cmbVersionChange();
        EXPECT_EQ(treeTexts(tree), QStringList({QString::fromUtf8(expected)}));
    }
}

TEST_F(TemplateWindowTest, WithoutFilesRaisesAndOpensNothing)
{
    EXPECT_THROW(TfrmTemplate::ShowWindow(QStringLiteral("x")), Exception);
    for (QWidget *w : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<TfrmTemplate *>(w), nullptr);
}

TEST_F(TemplateWindowTest, LayoutRoundTripsAndMinimisedOpensNormal)
{
    write(QStringLiteral("2019.tpl"), kSample);
    const QString key = ZK_REG_ROOT + QStringLiteral("\\GUI\\TEMPLATE");
    {
        TzkRegistry reg;
        ASSERT_TRUE(reg.OpenKey(key, true));
        reg.WriteInteger(QStringLiteral("WindowState"), 1);
        reg.WriteInteger(QStringLiteral("Left"), 40);
        reg.WriteInteger(QStringLiteral("Top"), 30);
        reg.WriteInteger(QStringLiteral("Width"), 610);
        reg.WriteInteger(QStringLiteral("Height"), 410);
    }
    QPointer<TfrmTemplate> form = TfrmTemplate::ShowWindow(QString());
    EXPECT_FALSE(form->isMinimized());
    EXPECT_EQ(form->size(), QSize(610, 410));
    form->resize(500, 300);
    form->close();
    processEvents();
    EXPECT_TRUE(form.isNull());
    TzkRegistry reg;
    ASSERT_TRUE(reg.OpenKey(key, false));
    EXPECT_EQ(reg.GetInteger(QStringLiteral("WindowState"), -1), 0);
    EXPECT_EQ(reg.GetInteger(QStringLiteral("Width"), 0), 500);
    EXPECT_EQ(reg.GetInteger(QStringLiteral("Height"), 0), 300);
}

TEST_F(TemplateWindowTest, MainWindowCommandOpensAWindowAboveIt)
{
    write(QStringLiteral("2019.tpl"), kSample);
    TfrmMain *form = createMain();
    form->show();
    form->Action(QStringLiteral("actViewTemplate"))->trigger();
    processEvents();
    TfrmTemplate *window = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *t = qobject_cast<TfrmTemplate *>(w))
            window = t;
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->parentWidget(), form);
    EXPECT_TRUE(window->isWindow());
    EXPECT_FALSE(window->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(window->windowTitle(), "SQLリファレンス");
}
