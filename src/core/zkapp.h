#pragma once

#include <QApplication>

// The application object. Its notify() is the one event boundary of the
// program: an exception must never unwind through Qt's event dispatch (or the
// nested loops of dialogs and waits), so every one ends here. EAbort is the
// silent abort; anything else is shown to the user and the loop goes on.
class TzkApplication : public QApplication
{
    Q_OBJECT
public:
    TzkApplication(int &argc, char **argv);
    ~TzkApplication() override;

    // The application title, which captions the program's message boxes.
    // (Qt's application display name is left unset: on X11 it would be
    // appended to every window title.)
    static QString Title();
    static void SetTitle(const QString &title);

    bool notify(QObject *receiver, QEvent *event) override;

    // Shows an exception that reached the event boundary. Replaceable so that
    // the program's own message box can take over, and tests can record.
    using ExceptionHandler = void (*)(const std::exception &e);
    static void SetExceptionHandler(ExceptionHandler handler);
    static void HandleException(const std::exception &e);
};

inline const QString APP_TITLE = QStringLiteral("Zekalon for SQL Server");
