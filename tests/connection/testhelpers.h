#pragma once

#include "connection/fobject.h"
#include "core/zkapp.h"
#include "core/zkoption.h"
#include "mainwindow/fixture.h"
#include "platform/db/db.h"
#include "support/scripted/scriptedbackend.h"

#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QMdiArea>

#include <QString>
#include <QStringList>

#include <exception>
#include <ostream>

// Readable texts in test failures.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList &l, std::ostream *os)
{
    *os << '[' << l.join(QStringLiteral(" | ")).toStdString() << ']';
}

// What the application's error display was given, in order (install with
// TzkApplication::SetExceptionHandler(RecordShownException)).
inline QStringList &ShownExceptions()
{
    static QStringList shown;
    return shown;
}
inline void RecordShownException(const std::exception &e)
{
    ShownExceptions() << QString::fromUtf8(e.what());
}

// The main window on screen, with what reaches the error display recorded.
class ShownMainWindowTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        createMain()->show();
        processEvents();
        ShownExceptions().clear();
        TzkApplication::SetExceptionHandler(RecordShownException);
    }
    void TearDown() override
    {
        TzkApplication::SetExceptionHandler(nullptr);
        main.reset();
        MainWindowTest::TearDown();
    }
};

// Windows authentication as a server that trusts the machine would see it:
// the session belongs to the domain account.
class TrustedBackend : public TScriptedBackend
{
public:
    using TScriptedBackend::TScriptedBackend;
    void Connect(const TFDConnectionParams &params) override
    {
        TFDConnectionParams trusted = params;
        if (trusted.Value(QStringLiteral("OSAuthent")) == QLatin1String("Yes")) {
            trusted.SetValue(QStringLiteral("OSAuthent"), QStringLiteral("No"));
            trusted.SetValue(QStringLiteral("User_Name"), QStringLiteral("CORP\\tanaka"));
        }
        TScriptedBackend::Connect(trusted);
    }
};

// Connection windows on the scripted backend with the demo catalogue.
class ConnectionWindowTest : public ShownMainWindowTest
{
protected:
    void SetUp() override
    {
        ShownMainWindowTest::SetUp();
        saved = zkOption;
        script = std::make_shared<TScript>();
        QString error;
        ASSERT_TRUE(script->LoadFile(ZK_FIXTURES_DIR "/demo.rules", &error)) << error.toStdString();
        useBackend(false);
    }
    void TearDown() override
    {
        main.reset();
        TFDConnection::SetDefaultBackendFactory({});
        zkOption = saved;
        ServerVersionOverride = 0;
        CopyObjectList.clear();
        ShownMainWindowTest::TearDown();
    }
    void useBackend(bool trusted)
    {
        auto s = script;
        if (trusted)
            TFDConnection::SetDefaultBackendFactory([s] { return std::make_unique<TrustedBackend>(s); });
        else
            TFDConnection::SetDefaultBackendFactory([s] { return std::make_unique<TScriptedBackend>(s); });
    }
    void rules(const char *text)
    {
        QString error;
        ASSERT_TRUE(script->LoadText(QString::fromUtf8(text), QStringLiteral("inline"), &error)) << error.toStdString();
    }
    TfrmObject *logon(const QString &sid = QStringLiteral("SalesDB"), const QString &user = QStringLiteral("zkdemo"),
                      const QString &server = QStringLiteral("srv1"), TColor color = clBtnFace)
    {
        script->ClearLog();
        return new TfrmObject(main.get(), sid, user, QStringLiteral("pw"), server, color, false);
    }
    // The statements of the window, without the session settings the
    // database layer sends after each logon.
    QStringList sentByTheWindow() const
    {
        QStringList sent = script->Statements();
        sent.removeIf([](const QString &s) { return s.startsWith(QLatin1String("SET TEXTSIZE")); });
        return sent;
    }
    QMdiArea *area() const { return main->MDIClient(); }
    QComboBox *combo() const { return main->cmbDBName(); }

    std::shared_ptr<TScript> script;
    TzkOption saved;
};

// The files below a folder, relative to it, sorted.
inline QStringList FilesBelow(const QString &folder)
{
    QStringList out;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << QDir(folder).relativeFilePath(it.next());
    out.sort();
    return out;
}
