#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

class QPushButton;
class TfrmObject;
class TzkCheckBox;
class TzkMemo;

// The script as the log window runs it: every entry holding CR LF is cut
// there into lines (an entry ending with CR LF gives an empty last line).
QStringList SplitDDLLines(const QStringList &script);
// True for a line that ends a batch of the log window: its ASCII lower-case
// form is exactly "go", nothing trimmed (" go" belongs to its batch).
bool IsDDLBatchEnd(const QString &line);
// Takes the next batch off the top of `lines`: up to and without the next
// batch end (which is removed), or to the end of the list. An empty result
// is an empty batch (two "go" lines in a row, a leading "go").
QStringList TakeDDLBatch(QStringList &lines);

// The position and size of the DDL windows under a settings key: read only
// when the key exists, then checked against the desktop (centred when off
// it); written every time the window closes.
void LoadDDLWindowLayout(QWidget *form, const QString &key);
void SaveDDLWindowLayout(const QWidget *form, const QString &key);

// The log window of a DDL run: executes a generated script batch by batch on
// a connection window's session and logs every batch with its outcome. While
// it is open the main window is disabled, so the log is a top-level window
// of its own (freed with the main window, if that goes first).
class TfrmDDLExec : public QWidget
{
    Q_OBJECT
public:
    // Opens the log window and runs the script. On a run that reached the
    // end, an open transaction is committed and, with AutoTran, a new one is
    // started (failures ignored). A run stopped at an error (or by the user)
    // leaves with EAbort; the window stays open then.
    static void ShowWindow(TfrmObject *AOwner, const QStringList &ASQL);
    // Returns once no log window is open; at once when none is.
    static void WaitProc();
    // The failed batches of the last run, kept after its window closed.
    static int ErrorCount() { return s_errorCount; }
    // The log window that is open; null when none is.
    static TfrmDDLExec *Current() { return s_current; }

    TzkMemo *txtLog = nullptr;
    TzkCheckBox *chkErrorStop = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;

    // The log lines so far.
    QStringList LogLines() const;
    bool EndProc() const { return FEndProc; }

    void btnOKClick();
    void btnCancelClick();

signals:
    void Closed();

protected:
    void closeEvent(QCloseEvent *event) override;

public:
    // Freed by itself once closed; freeing an open one gives the main
    // window back.
    ~TfrmDDLExec() override;

private:
    explicit TfrmDDLExec(TfrmObject *AOwner);

    // Runs the batches left in FSQL; false when it stopped before the end
    // (an error with chkErrorStop ticked, or the window was closed).
    bool Run();
    void Log(const QStringList &lines);
    // Puts the waiting lines into the log, the caret on the last.
    void DrawLog();
    bool FormCloseQuery();
    void FormClose();
    // The run is over and the window closed: free it from the event loop.
    void FreeWhenIdle();

    QPointer<TfrmObject> FOwner;
    QStringList FSQL;
    bool FEndProc = false;
    bool m_running = false;
    bool m_closed = false;
    QElapsedTimer m_drawn; // since the log was last drawn
    QStringList m_pending; // lines not in the log yet

    static inline QPointer<TfrmDDLExec> s_current;
    static inline int s_errorCount = 0;
};
