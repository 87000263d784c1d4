#include "connection/fobject.h"
#include "connection/testhelpers.h"
#include "controls/zkstdctl.h"
#include "core/zkCommonData.h"
#include "core/zkapp.h"
#include "core/zkreg.h"
#include "mainwindow/flogon.h"
#include "tds/tdsserver.h"

#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStyle>
#include <QTemporaryDir>
#include "controls/zkcomctrls.h"

namespace {

const QString kDatabaseKey = ZK_REG_ROOT + QStringLiteral("\\DATABASE");

struct Entry
{
    QString user, database, server, windows = QStringLiteral("0"), password, comment;
    TColor color = clBtnFace;
};

void writeEntry(const QString &name, const Entry &e)
{
    TzkRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kDatabaseKey + QLatin1Char('\\') + name, true));
    reg.WriteString("UserID", e.user);
    reg.WriteString("Database", e.database);
    reg.WriteString("Server", e.server);
    reg.WriteString("Windows", e.windows);
    reg.WriteString("Password", ScrambleText(e.password));
    reg.WriteString("Comment", e.comment);
    reg.WriteInteger("ForegroundColor", TzkConnectionManager::GetInvertColor(e.color));
    reg.WriteInteger("BackgroundColor", e.color);
}

void writeLastLogon(const QString &user, const QString &database, const QString &server, const QString &windows,
                    const QString &sort = QString())
{
    TzkRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kDatabaseKey, true));
    reg.WriteString("UserID", user);
    reg.WriteString("Database", database);
    reg.WriteString("Server", server);
    reg.WriteString("Windows", windows);
    if (!sort.isNull())
        reg.WriteString("Sort", sort);
}

QStringList subKeys()
{
    TzkRegistry reg;
    if (!reg.OpenKey(kDatabaseKey, false))
        return {};
    QStringList names = reg.GetKeyNames();
    names.sort();
    return names;
}

QString readValue(const QString &key, const QString &name)
{
    TzkRegistry reg;
    if (!reg.OpenKey(key, false) || !reg.ValueExists(name))
        return QStringLiteral("<none>");
    return reg.GetDataType(name) == RegDataType::String ? reg.ReadString(name) : QString::number(reg.ReadInteger(name));
}

QStringList listedKeys(const TfrmLogon &dialog)
{
    QStringList keys;
    for (int i = 0; i < dialog.lstUserID->ItemCount(); ++i)
        keys << dialog.SubItems(i).value(TfrmLogon::siKey);
    return keys;
}

class LogonTest : public ShownMainWindowTest
{
protected:
    // Runs the logon; `act` works the dialog as the user would.
    bool runLogon(const std::function<void(TfrmLogon *)> &act, const QString &user = QString())
    {
        WhenModal([act](QWidget *w) { act(qobject_cast<TfrmLogon *>(w)); });
        return TfrmLogon::ShowWindow(QString(), user, QString(), QString(), false);
    }
};

} // namespace

TEST_F(LogonTest, SavedConnectionsLoadInTheirOrderEachOnce)
{
    const struct
    {
        const char *name;
        QStringList keys;
        const char *sort; // nullptr: no "Sort"
        QStringList listed;
    } cases[] = {
        {"in the stored order",
         {"DB000", "DB001", "DB002"},
         "DB002\r\nDB000\r\nDB001\r\n",
         {"DB002", "DB000", "DB001"}},
        {"a deleted key is dropped, a key named twice keeps its later place, a new key comes last",
         {"DB000", "DB001", "DB002"},
         "DB001\r\nDB009\r\nDB000\r\ndb001\r\n",
         {"DB000", "db001", "DB002"}},
        {"no order: as the store lists them", {"DB001", "DB000"}, nullptr, {"DB000", "DB001"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TestEnv::resetRegistry();
        for (const QString &key : c.keys)
            writeEntry(key, {"user" + key, "", "srv", "0", "pw", "", clBtnFace});
        writeLastLogon("", "", "", "0", c.sort ? QString::fromLatin1(c.sort) : QString());
        TfrmLogon dialog(main.get());
        dialog.LoadConnectionList();
        EXPECT_EQ(listedKeys(dialog), c.listed);
    }

    // What an item holds.
    TestEnv::resetRegistry();
    writeEntry("DB000", {"sa", "SalesDB", "db1", "-1", " secret ", "本番", 0xE6D8AD});
    writeEntry("DB001", {"sa", "", "db2", "0", "pw", "", clBtnFace});
    {
        TzkRegistry reg;
        ASSERT_TRUE(reg.OpenKey(kDatabaseKey + "\\DB001", false));
        reg.DeleteValue("BackgroundColor");
        reg.DeleteValue("ForegroundColor");
        reg.DeleteValue("Windows");
    }
    TfrmLogon dialog(main.get());
    dialog.LoadConnectionList();
    ASSERT_EQ(dialog.lstUserID->ItemCount(), 2);
    const QAbstractItemModel *shown = dialog.lstUserID->Model();
    EXPECT_EQ(shown->index(0, 0).data().toString(), "sa");
    EXPECT_EQ(shown->index(0, 1).data().toString(), "db1.SalesDB");
    EXPECT_EQ(shown->index(0, 2).data().toString(), "本番");
    EXPECT_EQ(dialog.SubItems(0), (QStringList{"db1.SalesDB", "本番", " secret ", "db1", "SalesDB", "-1", "DB000",
                                               QString::number(TzkConnectionManager::GetInvertColor(0xE6D8AD)),
                                               QString::number(0xE6D8AD)}));
    EXPECT_EQ(dialog.SubItems(1),
              (QStringList{"db2", "", "pw", "db2", "", "0", "DB001", "0", QString::number(clBtnFace)}));
    EXPECT_FALSE(shown->index(0, 0).data(Qt::DecorationRole).value<QIcon>().isNull()) << "a colour mark";
}

TEST_F(LogonTest, FirstStartThenTheLastLogonWithItsSavedEntry)
{
    // No DATABASE key: everything empty, OK only with a server and a login.
    runLogon([](TfrmLogon *d) {
        EXPECT_EQ(d->lstUserID->ItemCount(), 0);
        EXPECT_EQ(d->txtServer->text(), "");
        EXPECT_FALSE(d->btnOk->isEnabled());
        d->txtServer->setText("srv");
        EXPECT_FALSE(d->btnOk->isEnabled());
        d->txtUserID->setText("  ");
        EXPECT_TRUE(d->btnOk->isEnabled()) << "blanks count until OK trims them";
        d->txtUserID->clear();
        d->chkSQLWindow->setChecked(true);
        EXPECT_TRUE(d->btnOk->isEnabled());
        d->btnCancel->click();
    });
    EXPECT_TRUE(subKeys().isEmpty());
    EXPECT_FALSE(TzkRegistry().KeyExists(kDatabaseKey)) << "a cancelled logon writes nothing";

    // The last logon names a saved entry: its password, comment and colour.
    writeLastLogon("Zkdemo", "salesdb", "SRV", "0");
    writeEntry("DB000", {"zkdemo", "SalesDB", "srv", "0", "pw", "デモ", 0x90EE90});
    runLogon([](TfrmLogon *d) {
        EXPECT_EQ(d->txtUserID->text(), "Zkdemo");
        EXPECT_EQ(d->txtPassword->text(), "pw");
        EXPECT_EQ(d->txtComment->text(), "デモ");
        EXPECT_EQ(d->cbxPersonalColor->currentText(), "ライトグリーン");
        EXPECT_FALSE(d->chkSQLWindow->isChecked());
        d->btnCancel->click();
    });

    // Windows authentication ("-1", or anything but "0"): no login or password.
    for (const char *windows : {"-1", "1"}) {
        writeLastLogon("sa", "", "srv", QString::fromLatin1(windows));
        runLogon([](TfrmLogon *d) {
            EXPECT_TRUE(d->chkSQLWindow->isChecked());
            EXPECT_FALSE(d->txtUserID->isEnabled());
            EXPECT_FALSE(d->txtPassword->isEnabled());
            EXPECT_EQ(d->txtUserID->text(), "");
            d->btnCancel->click();
        });
    }
}

// Every logon dialog, the first after start included, is centred on the
// main window, has neither minimise nor maximise box and masks with "*".
TEST_F(LogonTest, CentredOnTheMainWindowWithoutMinMaxAndMaskedWithStars)
{
    main->move(140, 90);
    processEvents();
    const QPoint centre = main->geometry().center();
    for (int i = 0; i < 2; ++i) {
        runLogon([&](TfrmLogon *d) {
            EXPECT_LE((d->geometry().center() - centre).manhattanLength(), 2);
            EXPECT_FALSE(d->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
            EXPECT_EQ(
                d->txtPassword->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, d->txtPassword),
                int('*'));
            d->btnCancel->click();
        });
    }
}

TEST_F(LogonTest, OKRefusesAMissingLoginOrServer)
{
    QString message;
    runLogon([&message](TfrmLogon *d) {
        d->txtUserID->setText("   ");
        d->txtServer->setText(" srv ");
        WhenModal(
            [&message](QWidget *box) {
                message = box->findChild<QLabel *>(QStringLiteral("Message"))->text();
                box->close();
            },
            d);
        d->btnOk->click();
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(d->txtServer->text(), "srv");
        d->btnCancel->click();
    });
    EXPECT_EQ(message, "ユーザー名を入力して下さい。");
}

TEST_F(LogonTest, SavingTheListNewEntriesTakeTheFirstFreeNumber)
{
    writeEntry("DB000", {"a", "", "s0", "0", "", "", clBtnFace});
    writeEntry("DB001", {"b", "", "s1", "0", "", "", clBtnFace});
    writeEntry("DB003", {"Zkdemo", "SalesDB", "SRV", "0", "old", "old comment", clBtnFace});
    writeLastLogon("", "", "", "0", "DB003\r\nDB001\r\nDB000\r\n");
    auto dialog = std::make_unique<TfrmLogon>(main.get());
    dialog->LoadConnectionList();
    auto fill = [&](const QString &user, const QString &server) {
        dialog->txtUserID->setText(user);
        dialog->txtServer->setText(server);
        dialog->cmbDataBase->setText("SalesDB");
        dialog->txtPassword->setText(" new pw ");
        dialog->txtComment->setText("新しいコメント");
        dialog->cbxPersonalColor->SetSelected(0xDDA0DD);
    };

    // Not to be saved: only the last logon and the order.
    fill("zkdemo", "srv2");
    dialog->SaveConnectionList(true);
    EXPECT_EQ(subKeys(), (QStringList{"DB000", "DB001", "DB003"}));
    EXPECT_EQ(readValue(kDatabaseKey, "Server"), "srv2");
    EXPECT_EQ(readValue(kDatabaseKey, "Sort"), "DB003\r\nDB001\r\nDB000\r\n");

    // The same connection in other letters: the entry is updated.
    dialog->chkSave->setChecked(true);
    fill("zkdemo", "srv");
    dialog->SaveConnectionList(true);
    EXPECT_EQ(subKeys(), (QStringList{"DB000", "DB001", "DB003"}));
    const QString db3 = kDatabaseKey + "\\DB003";
    EXPECT_EQ(UnscrambleText(readValue(db3, "Password")), " new pw ");
    EXPECT_EQ(readValue(db3, "Comment"), "新しいコメント");
    EXPECT_EQ(readValue(db3, "BackgroundColor"), QString::number(0xDDA0DD));
    EXPECT_EQ(readValue(db3, "ForegroundColor"), QString::number(TzkConnectionManager::GetInvertColor(0xDDA0DD)));
    EXPECT_EQ(readValue(db3, "UserID"), "Zkdemo") << "not rewritten";
    EXPECT_EQ(readValue(db3, "Server"), "srv");

    // A new connection fills the gap; the order learns of it at the next load.
    fill("zkdemo", "srv2");
    dialog->SaveConnectionList(true);
    EXPECT_EQ(subKeys(), (QStringList{"DB000", "DB001", "DB002", "DB003"}));
    EXPECT_EQ(readValue(kDatabaseKey + "\\DB002", "UserID"), "zkdemo");
    EXPECT_EQ(readValue(kDatabaseKey + "\\DB002", "Server"), "srv2");
    EXPECT_EQ(readValue(kDatabaseKey, "Sort"), "DB003\r\nDB001\r\nDB000\r\n");
    dialog->LoadConnectionList();
    EXPECT_EQ(listedKeys(*dialog), (QStringList{"DB003", "DB001", "DB000", "DB002"}));

    // Reordering reaches the store with the next save; deleting at once.
    dialog->lstUserID->ShowFoundItem(3);
    EXPECT_FALSE(dialog->actDown->isEnabled());
    dialog->actUp->trigger();
    EXPECT_EQ(listedKeys(*dialog), (QStringList{"DB003", "DB001", "DB002", "DB000"}));
    EXPECT_EQ(dialog->SubItems(dialog->lstUserID->SelectedIndex()).value(TfrmLogon::siKey), "DB002");
    dialog->actDel->trigger();
    EXPECT_EQ(subKeys(), (QStringList{"DB000", "DB001", "DB003"}));
    dialog->chkSave->setChecked(false);
    dialog->SaveConnectionList(false);
    EXPECT_EQ(readValue(kDatabaseKey, "Sort"), "DB003\r\nDB001\r\nDB000\r\n");
}

TEST_F(LogonTest, ColoursNamedCustomAndACancelledChoice)
{
    TfrmLogon dialog(main.get());
    TColorBoxEx *box = dialog.cbxPersonalColor;
    ASSERT_EQ(box->count(), 11);
    EXPECT_EQ(box->itemText(0), "カスタム...");
    EXPECT_EQ(box->currentText(), "デフォルト");
    EXPECT_EQ(box->Selected(), clBtnFace);
    box->SetSelected(0xF0CAA6);
    EXPECT_EQ(box->currentText(), "スカイブルー");
    box->SetSelected(0x123456);
    EXPECT_EQ(box->currentIndex(), 0);
    EXPECT_EQ(box->Selected(), 0x123456);

    // Choosing the custom entry opens the colour dialog; cancelling it
    // leaves the colour that was selected.
    box->SetSelected(0xDCDCDC);
    box->setCurrentIndex(0);
    WhenModal([](QWidget *w) { w->close(); });
    emit box->activated(0);
    EXPECT_EQ(box->currentText(), "ゲインズボロ");
    EXPECT_EQ(box->Selected(), 0xDCDCDC);
}

// The main road through the real driver: a saved connection, a refused
// logon and the retry with everything typed.
class LogonServerTest : public LogonTest
{
protected:
    void SetUp() override
    {
        LogonTest::SetUp();
        QString error;
        ASSERT_TRUE(server.loadRules(ZK_FIXTURES_DIR "/demo.rules", &error)) << error.toStdString();
        ASSERT_TRUE(server.loadRulesText("rule login: ^refused_user$\n", "inline", &error)) << error.toStdString();
        ASSERT_TRUE(server.start(0, &error)) << error.toStdString();
        address = QStringLiteral("127.0.0.1,%1").arg(server.port());
    }
    QStringList statementsAfterLogon() const
    {
        QStringList sent = server.statements();
        sent.removeIf([](const QString &s) { return s.startsWith(QLatin1String("SET TEXTSIZE")); });
        return sent;
    }
    TdsServer server;
    QString address;
};

TEST_F(LogonServerTest, ASavedConnectionOpensTheConnectionWindow)
{
    writeLastLogon("zkdemo", "SalesDB", address, "0");
    writeEntry("DB000", {"zkdemo", "SalesDB", address, "0", "demo", "デモ用テストサーバー", 0xFFFFE0});
    ASSERT_TRUE(runLogon([](TfrmLogon *d) { d->btnOk->click(); }));
    const QList<QMdiSubWindow *> windows = main->MDIClient()->subWindowList();
    ASSERT_EQ(windows.size(), 1);
    auto *form = qobject_cast<TfrmObject *>(windows.first()->widget());
    ASSERT_TRUE(form);
    EXPECT_EQ(form->windowTitle(), "オブジェクトリスト - zkdemo @ " + address + ".SalesDB");
    EXPECT_EQ(statementsAfterLogon(),
              (QStringList{"select SERVERPROPERTY('productversion')", "select serverproperty('Edition')",
                           "select db_name()", "select suser_sname()", "select user_name()",
                           "select default_schema_name from sys.database_principals where name = user_name()",
                           "select @@SPID",
                           // the tree
                           "select name from master.dbo.sysdatabases where has_dbaccess(name) = 1",
                           "SELECT SERVERPROPERTY(N'productversion')"}));
    ASSERT_EQ(server.logins().size(), 1);
    EXPECT_EQ(server.logins().first().user, "zkdemo");
    EXPECT_EQ(server.logins().first().password, "demo");
    EXPECT_EQ(server.logins().first().database, "SalesDB");
    EXPECT_EQ(form->DBVer, 15);
    EXPECT_EQ(form->g_Schema, "dbo");
    EXPECT_EQ(ConnectionManager->GetBackgroundColor(form->MYSID), 0xFFFFE0);
    EXPECT_EQ(readValue(kDatabaseKey, "Sort"), "DB000\r\n");
    EXPECT_TRUE(ShownExceptions().isEmpty());
}

TEST_F(LogonServerTest, ARefusedLogonReopensWithEverythingTyped)
{
    const QString password = QStringLiteral("  p w  ");
    auto fillIn = [&](TfrmLogon *d, const QString &user, bool encrypt) {
        d->txtUserID->setText(user);
        d->txtPassword->setText(password);
        d->txtServer->setText(" " + address + " ");
        d->cmbDataBase->setText("SalesDB ");
        d->txtComment->setText("検証用");
        d->cbxPersonalColor->SetSelected(0x90EE90);
        d->chkSave->setChecked(true);
        d->chkEncrypt->setChecked(encrypt);
    };
    auto expectTyped = [&](TfrmLogon *d, const QString &user, bool encrypt) {
        EXPECT_EQ(d->txtUserID->text(), user);
        EXPECT_EQ(d->txtPassword->text(), password) << "never trimmed";
        EXPECT_EQ(d->txtServer->text(), address);
        EXPECT_EQ(d->cmbDataBase->text(), "SalesDB");
        EXPECT_EQ(d->txtComment->text(), "検証用");
        EXPECT_EQ(d->cbxPersonalColor->currentText(), "ライトグリーン");
        EXPECT_TRUE(d->chkSave->isChecked());
        EXPECT_EQ(d->chkEncrypt->isChecked(), encrypt);
        EXPECT_FALSE(d->chkSQLWindow->isChecked());
    };
    int rounds = 0;
    // 1: refused by the server; 2: the retry asks for encryption, which this
    // server does not offer; 3: the retry still asks for it, and logs on
    // without it only when told.
    const bool created = runLogon([&](TfrmLogon *d) {
        ++rounds;
        fillIn(d, "refused_user", false);
        WhenModal([&](QWidget *w) {
            auto *retry = qobject_cast<TfrmLogon *>(w);
            ++rounds;
            expectTyped(retry, "refused_user", false);
            retry->txtUserID->setText("zkdemo");
            retry->chkEncrypt->setChecked(true);
            WhenModal([&](QWidget *w) {
                auto *last = qobject_cast<TfrmLogon *>(w);
                ++rounds;
                expectTyped(last, "zkdemo", true);
                last->chkEncrypt->setChecked(false);
                last->btnOk->click();
            });
            retry->btnOk->click();
        });
        d->btnOk->click();
    });
    EXPECT_TRUE(created);
    EXPECT_EQ(rounds, 3);
    ASSERT_EQ(ShownExceptions().size(), 2);
    EXPECT_TRUE(ShownExceptions().at(0).contains("Login failed for user 'refused_user'."))
        << ShownExceptions().at(0).toStdString();
    EXPECT_EQ(main->MDIClient()->subWindowList().size(), 1);
    const QList<TdsLoginRecord> logins = server.logins();
    ASSERT_FALSE(logins.isEmpty());
    EXPECT_EQ(logins.last().user, "zkdemo");
    EXPECT_EQ(logins.last().password, password);
    EXPECT_EQ(subKeys(), QStringList{"DB000"});
    EXPECT_EQ(UnscrambleText(readValue(kDatabaseKey + "\\DB000", "Password")), password);
    EXPECT_EQ(readValue(kDatabaseKey, "Server"), address);
}

TEST_F(LogonServerTest, ARefusedWindowsLogonReopensWithWindowsAuthentication)
{
    // No Kerberos ticket: the driver refuses the Windows logon itself.
    QTemporaryDir dir;
    const QByteArray saved = qgetenv("KRB5CCNAME");
    qputenv("KRB5CCNAME", "FILE:" + dir.filePath("no-cache").toLocal8Bit());
    int rounds = 0;
    const bool created = runLogon([&](TfrmLogon *d) {
        ++rounds;
        d->chkSQLWindow->setChecked(true);
        d->txtServer->setText(address);
        d->cmbDataBase->setText("SalesDB");
        d->chkEncrypt->setChecked(true);
        WhenModal([&](QWidget *w) {
            auto *retry = qobject_cast<TfrmLogon *>(w);
            ++rounds;
            EXPECT_TRUE(retry->chkSQLWindow->isChecked());
            EXPECT_FALSE(retry->txtUserID->isEnabled());
            EXPECT_EQ(retry->txtUserID->text(), "");
            EXPECT_EQ(retry->txtServer->text(), address);
            EXPECT_EQ(retry->cmbDataBase->text(), "SalesDB");
            EXPECT_TRUE(retry->chkEncrypt->isChecked());
            retry->btnCancel->click();
        });
        d->btnOk->click();
    });
    if (saved.isNull())
        qunsetenv("KRB5CCNAME");
    else
        qputenv("KRB5CCNAME", saved);
    EXPECT_FALSE(created);
    EXPECT_EQ(rounds, 2);
    EXPECT_EQ(ShownExceptions().size(), 1);
    EXPECT_TRUE(main->MDIClient()->subWindowList().isEmpty());
}
