// The result exports as the user runs them: the CSV options dialog, the
// frame's CSV, INSERT and clipboard commands with their questions.
#include "gridtest.h"

#include "controls/fcsvsql.h"
#include "controls/rdata.h"
#include "controls/zkstdctl.h"
#include "core/zkoption.h"
#include "core/zksub_dialogs.h"
#include "core/zksub_files.h"
#include "core/modal.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QFileDialog>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>

namespace {

QString MessageText(QWidget *w)
{
    auto *label = w->findChild<QLabel *>(QStringLiteral("Message"));
    return label ? label->text() : QString();
}

// A message box: keeps its text and closes with `id`.
ModalScript::Act Answer(int id, QString *text = nullptr)
{
    return [id, text](QWidget *w) {
        if (text)
            *text = MessageText(w);
        if (auto *d = qobject_cast<QDialog *>(w))
            d->done(id);
    };
}

QByteArray ReadAll(const QString &fileName)
{
    QFile f(fileName);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class Owner
    : public QObject
    , public IzkDataFrameOwner
{
public:
    explicit Owner(TzkDataOwnerKind kind)
        : m_kind(kind)
    {
    }
    TzkDataOwnerKind DataOwnerKind() const override { return m_kind; }
    QStringList DataInsertTableParts() const override { return parts; }
    bool DataColumnType(int fieldIndex, QString &type) const override
    {
        if (fieldIndex >= types.size())
            return false;
        type = types[fieldIndex];
        return true;
    }
    QStringList parts;
    QStringList types;

private:
    TzkDataOwnerKind m_kind;
};

class ExportUiTest : public GridTest
{
public:
    void SetUp() override
    {
        GridTest::SetUp();
        saved = zkOption;
        ASSERT_TRUE(dir.isValid());
        zkOption.UseLowerName = false;
        zkOption.Encoding = 2;
        zkOption.UpdateMode = false;
        zkOption.CSVDir = dir.path() + QLatin1Char('/');
        zkOption.FileDir = dir.path() + QLatin1Char('/');
        ResetEscapeLatch();
    }
    void TearDown() override
    {
        frame.reset();
        owner.reset();
        zkOption = saved;
        ResetEscapeLatch();
        GridTest::TearDown();
    }
    TfraData *Make(TzkDataOwnerKind kind = dokOther)
    {
        owner = std::make_unique<Owner>(kind);
        frame = std::make_unique<TfraData>(kind == dokOther ? nullptr : owner.get());
        frame->qryData->SetConnection(&con);
        return frame.get();
    }
    // id int, stamp nvarchar (typed as a timestamp by the editor's grid),
    // name nvarchar with a blank.
    void OpenSample(const QString &sql = QStringLiteral("select * from dbo.people"))
    {
        backend->answer = [](const TDBRequest &) {
            TDBBatch batch;
            batch.results.push_back(FakeBackend::table(
                {DescribeColumn("id", "int"), DescribeColumn("stamp", "nvarchar", 20),
                 DescribeColumn("name", "nvarchar", 20)},
                {{1, "0x00000000000007D1", QStringLiteral("山田 太郎")}, {2, "0x00000000000007D2", "x"}}));
            return batch;
        };
        frame->SetSQL(sql);
        frame->Prepare();
        frame->Open();
        ASSERT_TRUE(frame->qryData->Active());
    }
    QString Path(const QString &name) const { return dir.filePath(name); }

    TzkOption saved;
    QTemporaryDir dir;
    std::unique_ptr<Owner> owner;
    std::unique_ptr<TfraData> frame;
};

// --- The CSV options dialog ----------------------------------------------------------

TEST_F(ExportUiTest, CsvDialogChecksTheFileAndStoresTheChoicesOnOk)
{
    QFile existing(Path("old.csv"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    const struct
    {
        const char *name;
        QString file;
        int answer; // to the question, when one comes
        QString message;
        bool accepted;
    } cases[] = {
        {"EmptyName", QString(), IDOK, QStringLiteral("ファイル名を入力して下さい。"), false},
        {"BlankName", Path("  .csv"), IDOK, QStringLiteral("ファイル名を入力して下さい。"), false},
        {"MissingFolder", Path("none/x.csv"), IDOK, QStringLiteral("指定されたフォルダは存在しないか、無効です。"),
         false},
        {"ExistsKeepIt", Path("old.csv"), IDNO,
         Path("old.csv") + QStringLiteral(" はすでに存在します。\r\n上書きしますか？"), false},
        {"ExistsReplace", Path("old.csv"), IDYES,
         Path("old.csv") + QStringLiteral(" はすでに存在します。\r\n上書きしますか？"), true},
        {"NewFile", Path("new.csv"), IDOK, QString(), true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        zkOption.CSVDir = QStringLiteral("/elsewhere/");
        TfrmCSVSQL form;
        form.txtSaveFile->setText(c.file);
        form.cmbEncoding->setCurrentIndex(3);
        form.cmbLineBreak->setCurrentIndex(1);
        form.rdoQuotationGroup->button(2)->setChecked(true);
        form.chkCSVHeader->setChecked(false);
        form.chkRefresh->setChecked(true);
        QString message;
        ModalScript script({Answer(c.answer, &message)});
        form.btnOkClick();
        // The message box shows the line break as one.
        EXPECT_EQ(message.replace("\r\n", "\n").toStdString(), QString(c.message).replace("\r\n", "\n").toStdString());
        EXPECT_EQ(form.result() == QDialog::Accepted, c.accepted);
        if (c.accepted) {
            EXPECT_EQ(zkOption.CSVDir, dir.path() + QLatin1Char('/'));
            EXPECT_EQ(zkOption.Encoding, 3);
            EXPECT_EQ(zkOption.CSVLineBreak, 1);
            EXPECT_EQ(zkOption.CSVQuotation, 2);
            EXPECT_FALSE(zkOption.CSVHeader);
            EXPECT_TRUE(zkOption.CSVRefresh);
        } else {
            EXPECT_EQ(zkOption.CSVDir, "/elsewhere/") << "nothing stored while the dialog stays";
        }
    }
}

TEST_F(ExportUiTest, CsvDialogOpensOnTheOptions)
{
    zkOption.Encoding = 7; // out of range: the ANSI code page
    zkOption.CSVLineBreak = 1;
    zkOption.CSVQuotation = 1;
    zkOption.CSVHeader = false;
    zkOption.CSVRefresh = true;
    TfrmCSVSQL form;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("CSV出力"));
    EXPECT_EQ(form.cmbEncoding->currentText(), "SHIFT-JIS");
    EXPECT_EQ(form.cmbLineBreak->currentText(), "LF (UNIX)");
    EXPECT_EQ(form.Quotation(), 1);
    EXPECT_FALSE(form.chkCSVHeader->isChecked());
    EXPECT_TRUE(form.chkRefresh->isChecked());
}

// --- The frame's commands -------------------------------------------------------------

TEST_F(ExportUiTest, CsvCommandThroughTheDialogLeavesEditorTimestampsBareByType)
{
    Make(dokTable);
    owner->types = {"int", "TIMESTAMP", "nvarchar(20)"};
    frame->SetTableName("people");
    OpenSample();
    zkOption.CSVRefresh = false;
    const struct
    {
        int quoting;
        QByteArray expected;
    } cases[] = {
        {1, "\"id\",\"stamp\",\"name\"\r\n1,0x00000000000007D1,\"山田 太郎\"\r\n2,0x00000000000007D2,\"x\"\r\n"},
        {2, "\"id\",\"stamp\",\"name\"\r\n1,0x00000000000007D1,\"山田 太郎\"\r\n2,0x00000000000007D2,x\r\n"},
        {0, "\"id\",\"stamp\",\"name\"\r\n\"1\",\"0x00000000000007D1\",\"山田 太郎\"\r\n"
            "\"2\",\"0x00000000000007D2\",\"x\"\r\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.quoting);
        const QString file = Path(QStringLiteral("q%1.csv").arg(c.quoting));
        QString proposed, done;
        ModalScript script({[&](QWidget *w) {
                                auto *form = qobject_cast<TfrmCSVSQL *>(w);
                                ASSERT_TRUE(form);
                                proposed = form->txtSaveFile->text();
                                form->txtSaveFile->setText(file);
                                form->rdoQuotationGroup->button(c.quoting)->setChecked(true);
                                Click(form->btnOk);
                            },
                            Answer(IDOK, &done)});
        frame->btnCSVClick();
        EXPECT_EQ(script.Done(), 2);
        EXPECT_EQ(proposed, Path("people.csv"));
        EXPECT_EQ(done, QStringLiteral("CSVを出力しました。"));
        EXPECT_EQ(ReadAll(file), c.expected);
    }
}

TEST_F(ExportUiTest, ClipboardAsksOnlyWhenPasteDialogIsOn)
{
    Make();
    OpenSample();
    zkOption.PasteHeader = true;
    zkOption.PasteColumn = 0;
    zkOption.PasteDialog = false;
    QString done;
    {
        ModalScript script({Answer(IDOK, &done)});
        frame->btnCopyClick();
        EXPECT_EQ(script.Done(), 1) << "no question, only the completion";
    }
    EXPECT_EQ(done, QStringLiteral("クリップボードに出力しました。"));
    EXPECT_EQ(QApplication::clipboard()->text(),
              QStringLiteral("id\tstamp\tname\r\n1\t0x00000000000007D1\t山田 太郎\r\n2\t0x00000000000007D2\tx\r\n"));

    // The question's boxes: titles off, commas on; only the separator is kept.
    zkOption.PasteDialog = true;
    QStringList boxes;
    QString question;
    {
        ModalScript script({[&](QWidget *w) {
                                question = MessageText(w);
                                for (QCheckBox *box : w->findChildren<QCheckBox *>()) {
                                    boxes << box->text();
                                    box->setChecked(box->text().startsWith(QStringLiteral("カンマ")));
                                }
                                qobject_cast<QDialog *>(w)->done(IDYES);
                            },
                            Answer(IDOK)});
        frame->btnCopyClick();
    }
    EXPECT_EQ(question, QStringLiteral("結果をクリップボードにコピーしますか？"));
    EXPECT_EQ(boxes, (QStringList{QStringLiteral("列タイトルを出力する"),
                                  QStringLiteral("カンマ区切りにする(非チェック時はタブ区切り)")}));
    EXPECT_EQ(QApplication::clipboard()->text(),
              QStringLiteral("1,0x00000000000007D1,山田 太郎\r\n2,0x00000000000007D2,x\r\n"));
    EXPECT_EQ(zkOption.PasteColumn, 1);
    EXPECT_TRUE(zkOption.PasteHeader);

    // No: nothing copied.
    QApplication::clipboard()->setText("before");
    {
        ModalScript script({Answer(IDNO)});
        frame->btnCopyClick();
    }
    EXPECT_EQ(QApplication::clipboard()->text(), "before");
}

TEST_F(ExportUiTest, EscapeDuringTheClipboardCopyLeavesTheTitleLineOnly)
{
    Make();
    OpenSample();
    zkOption.PasteDialog = false;
    zkOption.PasteHeader = true;
    zkOption.PasteColumn = 0;
    frame->resize(400, 300);
    frame->show();
    QApplication::setActiveWindow(frame.get());
    frame->grdData1->setFocus();
    QApplication::processEvents();
    // The key waits in the queue when the copy starts.
    QCoreApplication::postEvent(frame->grdData1, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    ModalScript script({Answer(IDOK)});
    frame->btnCopyClick();
    EXPECT_EQ(QApplication::clipboard()->text(), "id\tstamp\tname\r\n");
}

TEST_F(ExportUiTest, InsertTableNameByOwner)
{
    const struct
    {
        const char *name;
        TzkDataOwnerKind kind;
        QString sql;
        QStringList parts;
        QString asked; // the answer to "INSERT文出力"; empty: no question
        QString expected;
    } cases[] = {
        {"GeneratorPartsApart",
         dokDataGenerate,
         "select 1",
         {"dbo", "Order.Details"},
         QString(),
         "INSERT INTO dbo.[Order.Details] "},
        {"OneTable", dokOther, "select * from dbo.people p", {}, QString(), "INSERT INTO dbo.people "},
        {"BracketedWithABlank",
         dokOther,
         "select * from [Order Details] o",
         {},
         QString(),
         "INSERT INTO [Order Details] "},
        {"JoinAsks", dokOther, "select * from a join b on a.id = b.id", {}, "x y", "INSERT INTO [x y] "},
        {"NotASelectAsks", dokOther, "exec dbo.list", {}, "dbo.t]", "INSERT INTO dbo.[t]]] "},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Make(c.kind);
        owner->parts = c.parts;
        OpenSample(c.sql);
        const QString file = Path(QStringLiteral("%1.sql").arg(c.name));
        QList<ModalScript::Act> acts;
        QString caption;
        if (!c.asked.isEmpty())
            acts << [&](QWidget *w) {
                caption = w->windowTitle();
                w->findChild<QLineEdit *>()->setText(c.asked);
                qobject_cast<QDialog *>(w)->done(QDialog::Accepted);
            };
        acts << [&](QWidget *w) {
            auto *d = qobject_cast<QFileDialog *>(w);
            ASSERT_TRUE(d);
            d->selectFile(file);
            static_cast<QDialog *>(d)->accept();
        };
        acts << Answer(IDOK);
        ModalScript script(acts);
        frame->btnInsertClick();
        EXPECT_EQ(script.Done(), acts.size());
        if (!c.asked.isEmpty())
            EXPECT_EQ(caption, QStringLiteral("INSERT文出力"));
        const QByteArray text = ReadAll(file);
        EXPECT_TRUE(text.startsWith("\xef\xbb\xbf" + c.expected.toUtf8())) << text.left(60).toStdString();
    }
}

TEST_F(ExportUiTest, InsertQuestionCancelledWritesNothing)
{
    Make();
    OpenSample("select * from a, b");
    ModalScript script({[](QWidget *w) { qobject_cast<QDialog *>(w)->reject(); }});
    frame->btnInsertClick();
    EXPECT_EQ(script.Done(), 1) << "no save dialog after the cancelled question";
    EXPECT_FALSE(QFile::exists(Path("insert.sql")));
}

} // namespace
