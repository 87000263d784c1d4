#pragma once

#include "core/zkapp.h"
#include "mainwindow/fixture.h"

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
