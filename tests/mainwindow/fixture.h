#pragma once

#include <QDir>

#include "common/testenv.h"
#include "core/modal.h"
#include "core/zkforms.h"
#include "core/zksub.h"
#include "mainwindow/fmain.h"

#include <QApplication>
#include <QCoreApplication>
#include <QPushButton>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

// A connection window as the windows see it, without a server.
class FakeConnection
    : public QWidget
    , public TzkConnectionWindow
{
public:
    explicit FakeConnection(const QString &text = QStringLiteral("sa @ srv.master"))
        : m_text(text)
    {
    }
    QWidget *Form() override { return this; }
    int FormID() const override { return m_id; }
    QString GetConnectInfo(const QString &, const QString &, bool) const override { return m_text; }
    QString GetCurrentSchema() const override { return g_Schema; }
    int ObjectListCount() const override { return Count; }
    int ObjectListSelCount() const override { return Selected; }
    void SetShortCut() override { ++ShortCutCalls; }
    bool CloseQuery() override { return true; }

    int Count = 0;
    int Selected = 0;
    int ShortCutCalls = 0;

private:
    QString m_text;
    int m_id = 0x7000 + ++s_last;
    static inline int s_last = 0;
};

// Clicks the button (Yes, No, Cancel, OK) of the next message box.
inline void answer(const char *button)
{
    const QString name = QString::fromLatin1(button);
    WhenModal([name](QWidget *box) {
        if (QPushButton *b = box->findChild<QPushButton *>(name))
            b->click();
        else
            box->close();
    });
}

// A fresh settings store and core, and the main window on them.
class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestEnv::resetRegistry();
        InitializeCore();
        // The work folder outlives a test in this process: start without one.
        QDir(DataPath + QStringLiteral("temp")).removeRecursively();
    }
    void TearDown() override
    {
        main.reset();
        FinalizeCore();
    }
    // A main window whose first paint opens no logon dialog (a user given
    // on the command line); tests of the logon set their own arguments.
    TfrmMain *createMain()
    {
        main = std::make_unique<TfrmMain>();
        main->SetArguments({QStringLiteral("/U=test")});
        return main.get();
    }
    static void processEvents()
    {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }

    std::unique_ptr<TfrmMain> main;
};
