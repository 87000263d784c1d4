#include "fixture.h"

#include "core/dsqlserver.h"
#include "core/zkoption.h"
#include "mainwindow/fsupport.h"
#include "platform/fonts/fontmap.h"
#include "platform/rtl/exceptions.h"
#include "tds/tdsserver.h"

#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QToolButton>

#include <stdexcept>

namespace {

const QString kIndent(23, QLatin1Char(' '));

TSupportSources sampleSources()
{
    TSupportSources s;
    s.ExeBitness = QStringLiteral("64ビット");
    s.ProgramPath = QStringLiteral("/opt/Zekalon/bin/Zekalon");
    s.DriverName = QStringLiteral("FreeTDS");
    s.MsExe = QStringLiteral("/usr/bin/fisql");
    s.DtsExe = QStringLiteral("/opt/dts");
    s.SpfExe = QStringLiteral("/opt/spf");
    s.ProductName = [](const QString &) { return QStringLiteral("Debian GNU/Linux 12 (bookworm)"); };
    s.VersionText = [](int code, const QString &) {
        return code == 0 ? QStringLiteral("64ビット") : code == 9 ? QStringLiteral("6.1.0") : QStringLiteral("0.0");
    };
    s.UserGroupName = [](const QString &) { return QStringLiteral("Users"); };
    s.UacStateText = [] { return QStringLiteral("未実装"); };
    s.PhysicalMemoryMB = [] { return 15921.58; };
    s.Path = QStringLiteral("/usr/Local/bin");
    return s;
}

const QStringList sampleReport = {
    QStringLiteral("【Zekalon情報】"),
    QStringLiteral("  バージョン         : 25 (x64)"),
    QStringLiteral("　ビット数           : 64ビット"),
    QStringLiteral("  プログラムのパス   : /opt/Zekalon/bin/Zekalon"),
    QStringLiteral("  DriverName         : FreeTDS"),
    QStringLiteral("\r\n【Management Studio連携実行ファイルパス】"),
    QStringLiteral("  Management Studio  : /usr/bin/fisql"),
    QStringLiteral("  SSIS(DTS)          : /opt/dts"),
    QStringLiteral("  SQL Profiler       : /opt/spf"),
    QStringLiteral("\r\n【OS情報】"),
    QStringLiteral("  OS名               : Debian GNU/Linux 12 (bookworm)"),
    QStringLiteral("  OSのビット数       : 64ビット"),
    QStringLiteral("  OSバージョン       : 6.1.0"),
    QStringLiteral("  OSサービスパック   : 0.0"),
    QStringLiteral("  OSユーザー権限     : Users"),
    QStringLiteral("  UAC                : 未実装"),
    QStringLiteral("  メモリ             : 15922 MB"),
    QString(),
    QStringLiteral("  ユーザ権限         : Users"),
    QStringLiteral("  PATH環境変数       : /usr/Local/bin"),
};

TEST(SupportReport, WholeReport)
{
    EXPECT_EQ(BuildSupportReport(sampleSources()), sampleReport);
}

TEST(SupportReport, VariantsChangeOnlyTheirLines)
{
    struct Case
    {
        const char *name;
        std::function<void(TSupportSources &)> change;
        QStringList expected;
    };
    auto with = [](std::initializer_list<std::pair<int, QString>> lines) {
        QStringList r = sampleReport;
        for (const auto &[index, text] : lines)
            r[index] = text;
        return r;
    };
    QStringList path = sampleReport.mid(0, 19);
    path << QStringLiteral("  PATH環境変数       : /usr/bin") << kIndent + QStringLiteral("/bin") << kIndent;
    const Case cases[] = {
        {"no connection", [](TSupportSources &s) { s.DriverName.reset(); },
         with({{4, QStringLiteral("  DriverName         : 未接続のため取得できません。")}})},
        {"no tools",
         [](TSupportSources &s) {
             s.MsExe.clear();
             s.DtsExe.clear();
             s.SpfExe.clear();
         },
         with({{6, QStringLiteral("  Management Studio  : ")},
               {7, QStringLiteral("  SSIS(DTS)          : ")},
               {8, QStringLiteral("  SQL Profiler       : ")}})},
        {"no memory", [](TSupportSources &s) { s.PhysicalMemoryMB = [] { return 0.0; }; },
         with({{16, QStringLiteral("  メモリ             : Unknown")}})},
        {"no PATH", [](TSupportSources &s) { s.Path.reset(); },
         with({{19, QStringLiteral("  PATH環境変数       : ")}})},
        {"PATH with a trailing separator", [](TSupportSources &s) { s.Path = QStringLiteral("/usr/bin:/bin:"); }, path},
        {"Japanese PATH entry", [](TSupportSources &s) { s.Path = QStringLiteral("/home/山田/bin:/opt/ツール"); },
         sampleReport.mid(0, 19)
             + QStringList{QStringLiteral("  PATH環境変数       : /home/山田/bin"),
                           kIndent + QStringLiteral("/opt/ツール")}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TSupportSources s = sampleSources();
        c.change(s);
        EXPECT_EQ(BuildSupportReport(s), c.expected);
    }
}

TEST(SupportReport, GuardsKeepTheLinesBeforeAFailure)
{
    TSupportSources s = sampleSources();
    s.VersionText = [](int code, const QString &) -> QString {
        if (code == 9)
            throw std::runtime_error("version");
        return QStringLiteral("64ビット");
    };
    QStringList expected = sampleReport.mid(0, 12);
    expected << sampleReport.mid(18);
    EXPECT_EQ(BuildSupportReport(s), expected);

    // The group fails in both places: the first block ends there, line 19
    // says Unknown.
    s = sampleSources();
    s.UserGroupName = [](const QString &) -> QString { throw Exception(QStringLiteral("groups")); };
    expected = sampleReport.mid(0, 14);
    expected << QStringLiteral("  ユーザ権限         : Unknown") << sampleReport.last();
    EXPECT_EQ(BuildSupportReport(s), expected);
}

TEST(SupportReport, CurrentSourcesOfThisProcess)
{
    const QByteArray saved = qgetenv("PATH");
    qputenv("PATH", "/usr/Bin:/bin");
    const TSupportSources s = CurrentSupportSources(nullptr);
    qputenv("PATH", saved);
    EXPECT_FALSE(s.DriverName.has_value());
    EXPECT_EQ(s.ProgramPath, QCoreApplication::applicationFilePath()); // case kept
    EXPECT_EQ(s.ExeBitness, QStringLiteral("64ビット"));
    EXPECT_EQ(s.Path.value_or(QString()), QStringLiteral("/usr/Bin:/bin"));
}

class SupportDialog : public MainWindowTest
{
protected:
    QByteArray readAll(const QString &path)
    {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }
    // Saves through the dialog, typing `typed`; returns the message shown.
    QString saveAs(TfrmSupport &form, const QString &typed, QString *offeredDir = nullptr)
    {
        QString message;
        WhenModal([&](QWidget *w) {
            auto *dialog = qobject_cast<QFileDialog *>(w);
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->windowTitle(), QStringLiteral("名前を付けて保存"));
            EXPECT_EQ(dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->text(),
                      QStringLiteral("ZKサポート情報.txt"));
            EXPECT_EQ(dialog->nameFilters().first(), QStringLiteral("テキストファイル(*.txt)"));
            if (offeredDir)
                *offeredDir = dialog->directory().absolutePath();
            dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(typed);
            WhenModal(
                [&](QWidget *box) {
                    if (auto *label = box->findChild<QLabel *>(QStringLiteral("Message")))
                        message = label->text();
                    box->close();
                },
                dialog);
            QMetaObject::invokeMethod(dialog, "accept");
        });
        form.findChild<QAction *>(QStringLiteral("actSaveFile"))->trigger();
        return message;
    }
};

TEST_F(SupportDialog, Layout)
{
    TfrmSupport form(nullptr);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("サポート情報"));
    EXPECT_EQ(form.size(), QSize(708, 442));
    auto *memo = form.findChild<QPlainTextEdit *>(QStringLiteral("txtSupport"));
    ASSERT_NE(memo, nullptr);
    EXPECT_TRUE(memo->isReadOnly());
    EXPECT_EQ(memo->font().pixelSize(), 13);
    auto *output = form.findChild<QToolButton *>(QStringLiteral("btnOutput"));
    ASSERT_NE(output, nullptr);
    ASSERT_NE(output->menu(), nullptr);
    QStringList items;
    for (QAction *a : output->menu()->actions())
        items << a->objectName();
    EXPECT_EQ(items, (QStringList{"actSaveFile", "actCopy", "actPrint"}));
    EXPECT_NE(form.findChild<QToolButton *>(QStringLiteral("btnExit")), nullptr);

    // The colons line up only in the face "ＭＳ ゴシック" stands for, whose kana
    // are exactly two Latin cells wide.
    QFont face(FontMap::substitute(memo->font().family()));
    face.setPixelSize(13);
    const QFontMetricsF metrics(face);
    const qreal column = 21 * metrics.horizontalAdvance(QLatin1Char(' '));
    for (const QString &line : sampleReport) {
        const qsizetype colon = line.indexOf(QStringLiteral(" : "));
        if (colon > 0)
            EXPECT_NEAR(metrics.horizontalAdvance(line.left(colon + 1)), column, 0.5) << line.toStdString();
    }
}

TEST_F(SupportDialog, SavesCp932WithCrLfAndFollowsTheFolder)
{
    QTemporaryDir dir;
    TfrmSupport form(nullptr);
    form.SetReport(sampleReport.mid(0, 11));
    zkOption.FileDir = dir.path() + QLatin1Char('/');
    QString offered;
    EXPECT_EQ(saveAs(form, dir.filePath(QStringLiteral("support")), &offered),
              QStringLiteral("ファイルに出力しました。"));
    EXPECT_EQ(offered, dir.path());
    const QByteArray bytes = readAll(dir.filePath(QStringLiteral("support.txt")));
    EXPECT_FALSE(bytes.contains("\r\r\n"));
    EXPECT_TRUE(bytes.startsWith(QByteArray("\x81\x79Zekalon\x8f\xee\x95\xf1\x81\x7a\r\n")));
    EXPECT_TRUE(bytes.contains("FreeTDS\r\n\r\n\x81\x79Management"));
    EXPECT_TRUE(bytes.contains("/opt/spf\r\n\r\n\x81\x79OS"));
    EXPECT_TRUE(bytes.endsWith("(bookworm)\r\n"));

    // Into a sub-folder, keeping a known extension: FileDir follows.
    QDir(dir.path()).mkdir(QStringLiteral("sub"));
    saveAs(form, dir.filePath(QStringLiteral("sub/support.log")));
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("sub/support.log"))));
    EXPECT_EQ(zkOption.FileDir, dir.filePath(QStringLiteral("sub")) + QLatin1Char('/'));
}

TEST_F(SupportDialog, SaveText)
{
    QTemporaryDir dir;
    // A character CP932 lacks becomes "?", the rest is written whole.
    const QString written =
        SaveSupportText(dir.filePath(QStringLiteral("x")), QStringLiteral("a\n  パス : /home/é/bin"));
    EXPECT_EQ(written, dir.filePath(QStringLiteral("x.txt")));
    EXPECT_EQ(readAll(written), QByteArray("a\r\n  \x83p\x83X : /home/?/bin\r\n"));
    // A missing folder raises; nothing is written.
    EXPECT_THROW(SaveSupportText(dir.filePath(QStringLiteral("none/x.txt")), QStringLiteral("a")), Exception);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("none/x.txt"))));
}

TEST_F(SupportDialog, CopyPutsTheWholeText)
{
    TfrmSupport form(nullptr);
    form.SetReport(sampleReport);
    QString message;
    WhenModal([&](QWidget *box) {
        message = box->findChild<QLabel *>(QStringLiteral("Message"))->text();
        box->close();
    });
    form.findChild<QAction *>(QStringLiteral("actCopy"))->trigger();
    EXPECT_EQ(message, QStringLiteral("クリップボードに出力しました。"));
    QString expected = sampleReport.join(QLatin1Char('\n'));
    expected.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    EXPECT_EQ(QApplication::clipboard()->text(), expected);
}

TEST(SupportReportServer, DriverNameOfTheConnection)
{
    TdsServer server;
    QString error;
    ASSERT_TRUE(server.loadRules(ZK_FIXTURES_DIR "/dblayer.rules", &error)) << error.toStdString();
    ASSERT_TRUE(server.start(0, &error)) << error.toStdString();
    TdmSQLServer dm;
    TFDConnectionParams &p = dm.Connection->Params();
    p.SetValue("Server", QStringLiteral("127.0.0.1,%1").arg(server.port()));
    p.SetValue("User_Name", "sa");
    p.SetValue("Password", "x");
    p.SetValue("Database", "master");
    ASSERT_NO_THROW(dm.Connection->Open());
    FakeConnection connection;
    connection.dmSQLServer = &dm;
    EXPECT_EQ(BuildSupportReport(CurrentSupportSources(&connection)).at(4),
              QStringLiteral("  DriverName         : FreeTDS"));
}

} // namespace
