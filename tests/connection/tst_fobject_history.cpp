#include "testhelpers.h"

#include "connection/fobject.h"
#include "connection/fobject_script.h"
#include "core/modal.h"
#include "core/zksub.h"
#include "platform/encoding/textencoding.h"
#include "platform/rtl/exceptions.h"

#include <QFileDialog>
#include <QTemporaryDir>

// The source history an editor keeps of an object before and after its
// change, into a temporary folder, with a generator that writes one line.

namespace {

QString u(const char *s)
{
    return QString::fromUtf8(s);
}

class SourceHistoryTest : public ConnectionWindowTest
{
protected:
    void SetUp() override
    {
        ConnectionWindowTest::SetUp();
        QString error;
        ASSERT_TRUE(script->LoadFile(ZK_FIXTURES_DIR "/script.rules", &error)) << error.toStdString();
        savedNames = NameTableList;
        NameTableList.clear();
        form = logon();
        RegisterScriptGenerator(u("TfrmTable"),
                                [](TfrmObject *, const TScriptRequest &r, const TScriptOption &, TScriptSink &s) {
                                    s.Write(u("create table ") + r.ObjectName + u("\r\n"));
                                });
        ASSERT_TRUE(dir.isValid());
        P = dir.path() + QLatin1Char('/');
        zkOption.UseLowerName = false;
        zkOption.Encoding = 2;
        zkOption.SaveBeforeSrc = true;
        zkOption.SaveBeforeSrcDir = P;
        zkOption.SaveBeforeSrcRenum = false;
        zkOption.SaveBeforeSrcHead = false;
        zkOption.SaveBeforeSrcDialog = false;
        zkOption.SaveAfterSrc = true;
        zkOption.SaveAfterSrcDir = P + u("after/");
        zkOption.SaveAfterSrcRenum = false;
        zkOption.SaveAfterSrcHead = false;
        zkOption.SaveAfterSrcDialog = false;
    }
    void TearDown() override
    {
        RegisterScriptGenerator(u("TfrmTable"), {});
        NameTableList = savedNames;
        ConnectionWindowTest::TearDown();
    }
    void touch(const QString &relative)
    {
        QDir().mkpath(QFileInfo(P + relative).absolutePath());
        QFile f(P + relative);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    QByteArray bytes(const QString &relative) const
    {
        QFile f(P + relative);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    QStringList savedNames;
    TfrmObject *form = nullptr;
    QTemporaryDir dir;
    QString P;
};

} // namespace

TEST_F(SourceHistoryTest, NumberingReplacingAndEmptySchema)
{
    zkOption.SaveBeforeSrcRenum = true;
    for (int n = 0; n <= 4; ++n)
        touch(QStringLiteral("dbo/TABLE/Orders_%1.sql").arg(n, 2, 10, QLatin1Char('0')));
    form->SaveBeforeSource(u("SalesDB"), u("dbo"), u("Orders"), 45);
    EXPECT_EQ(bytes(u("dbo/TABLE/Orders_05.sql")), "create table Orders\r\n");

    // All of 00 to 100 taken: the count goes on.
    for (int n = 6; n <= 100; ++n)
        touch(QStringLiteral("dbo/TABLE/Orders_%1.sql").arg(n, 2, 10, QLatin1Char('0')));
    form->SaveBeforeSource(u("SalesDB"), u("dbo"), u("Orders"), 45);
    EXPECT_EQ(bytes(u("dbo/TABLE/Orders_101.sql")), "create table Orders\r\n");

    // Without numbering the file is replaced; an empty schema is left out.
    auto n = std::make_shared<int>(0);
    RegisterScriptGenerator(u("TfrmTable"), [n](TfrmObject *, const TScriptRequest &, const TScriptOption &,
                                                TScriptSink &s) { s.Write(QString::number(++*n)); });
    form->SaveAfterSource(u("SalesDB"), u("dbo"), u("Orders"), 45);
    form->SaveAfterSource(u("SalesDB"), u("dbo"), u("Orders"), 45);
    EXPECT_EQ(bytes(u("after/dbo/TABLE/Orders.sql")), "2");
    form->SaveAfterSource(u("SalesDB"), QString(), u("T"), 45);
    EXPECT_EQ(bytes(u("after/TABLE/T.sql")), "3");

    // Off: nothing is written; a hostile name stays inside the folder.
    zkOption.SaveAfterSrc = false;
    form->SaveAfterSource(u("SalesDB"), u("dbo"), u("Off"), 45);
    EXPECT_FALSE(QFileInfo::exists(P + u("after/dbo/TABLE/Off.sql")));
    EXPECT_THROW(form->SaveBeforeSource(u("SalesDB"), u(".."), u("x"), 45), Exception);
    EXPECT_TRUE(FilesBelow(dir.path()).filter(u("x.sql")).isEmpty());
}

TEST_F(SourceHistoryTest, HeaderInTheScriptEncoding)
{
    zkOption.Encoding = 3; // UTF-16 LE
    zkOption.SaveBeforeSrcHead = true;
    form->SaveBeforeSource(u("SalesDB"), u("dbo"), u("受注"), 45);
    const QByteArray data = bytes(u("dbo/TABLE/受注.sql"));
    EXPECT_EQ(TEncoding::FromPreamble(data), nullptr);
    const QString text = TEncoding::GetUnicode()->GetString(data);
    EXPECT_TRUE(text.startsWith(u("-- "))) << text.toStdString();
    EXPECT_TRUE(text.endsWith(u(" 変更前ソース\r\ncreate table 受注\r\n"))) << text.toStdString();
}

TEST_F(SourceHistoryTest, NameTablePrefersTheObjectsDatabase)
{
    NameTableList = {u("srv1=historynames")};
    form->SaveBeforeSource(u("InventoryDB"), u("dbo"), u("Orders"), 45);
    form->SaveBeforeSource(u("人事DB"), u("dbo"), u("Orders"), 45);
    form->SaveBeforeSource(u("SalesDB"), u("dbo"), u("Other"), 45);
    EXPECT_EQ(FilesBelow(dir.path()),
              (QStringList{u("dbo/TABLE/Other.sql"), u("dbo/TABLE/inv_orders.sql"), u("dbo/TABLE/sales_orders.sql")}));
    // A failing query stops the history (and the editor's compile).
    NameTableList = {u("srv1=brokennames")};
    EXPECT_THROW(form->SaveBeforeSource(u("SalesDB"), u("dbo"), u("Orders2"), 45), Exception);
    EXPECT_FALSE(QFileInfo::exists(P + u("dbo/TABLE/Orders2.sql")));
}

TEST_F(SourceHistoryTest, SaveDialogCancelAndTextFilter)
{
    zkOption.SaveBeforeSrcDialog = true;
    WhenModal([](QWidget *w) { static_cast<QDialog *>(w)->reject(); });
    form->SaveBeforeSource(u("SalesDB"), u("dbo"), u("Orders"), 45);
    EXPECT_TRUE(FilesBelow(dir.path()).isEmpty());

    QString title;
    WhenModal([&](QWidget *w) {
        auto *fd = qobject_cast<QFileDialog *>(w);
        ASSERT_TRUE(fd);
        title = fd->windowTitle();
        fd->selectNameFilter(fd->nameFilters().at(1));
        fd->selectFile(P + u("dbo/TABLE/chosen"));
        static_cast<QDialog *>(fd)->accept();
    });
    form->SaveBeforeSource(u("SalesDB"), u("dbo"), u("Orders"), 45);
    EXPECT_EQ(title, u("変更前ソースの保存"));
    EXPECT_EQ(bytes(u("dbo/TABLE/chosen.txt")), "create table Orders\r\n");
}
