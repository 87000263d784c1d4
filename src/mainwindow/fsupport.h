#pragma once

#include "core/zkforms.h"

#include <QStringList>

#include <functional>
#include <optional>

class QAction;
class QMenu;
class QPlainTextEdit;
class QToolBar;
class QToolButton;

// What the support report shows. The machine's routines are called inside
// the report's error guards, so a failing one costs only its own lines.
struct TSupportSources
{
    QString ExeBitness;
    QString ProgramPath;
    // The current connection's driver; nullopt without a connection window.
    std::optional<QString> DriverName;
    QString MsExe;
    QString DtsExe;
    QString SpfExe;
    std::function<QString(const QString &Default)> ProductName;
    std::function<QString(int Code, const QString &Default)> VersionText;
    std::function<QString(const QString &Default)> UserGroupName;
    std::function<QString()> UacStateText;
    std::function<double()> PhysicalMemoryMB;
    // The PATH variable; nullopt when the process has none.
    std::optional<QString> Path;
};

// The sources of this process and machine, with the driver of `connection`
// (null: none).
TSupportSources CurrentSupportSources(TzkConnectionWindow *connection);

// The report's lines. The two section headings after the first carry a
// leading CR LF of their own.
QStringList BuildSupportReport(const TSupportSources &sources);

// Writes the report text (lines separated by "\n") as CP932 with CR LF line
// ends. A name without a known extension gets ".txt"; returns the name
// written. Raises Exception when the file cannot be written.
QString SaveSupportText(const QString &fileName, const QString &text);

// The support information dialog: the report in a read-only memo, with
// save, copy and print.
class TfrmSupport : public TzkForm
{
    Q_OBJECT
public:
    explicit TfrmSupport(QObject *AOwner);

    // Builds the report, shows the dialog modally and returns its result.
    static int ShowWindow();

    // Puts the report into the memo.
    void SetReport(const QStringList &lines);

    void actOutputExecute();
    void actSaveFileExecute();
    void actCopyExecute();
    void actPrintExecute();
    void actExitExecute();

private:
    void CreateControls();

    QToolBar *tolCmd = nullptr;
    QToolButton *btnOutput = nullptr;
    QToolButton *btnExit = nullptr;
    QMenu *popOutput = nullptr;
    QPlainTextEdit *txtSupport = nullptr;
    QAction *actOutput = nullptr;
    QAction *actSaveFile = nullptr;
    QAction *actCopy = nullptr;
    QAction *actPrint = nullptr;
    QAction *actExit = nullptr;
};
