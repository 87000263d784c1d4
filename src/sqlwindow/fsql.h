#pragma once

#include "core/zkforms.h"
#include "sqlwindow/rMemo.h"

#include "core/zkwindows.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>

class QAction;
class QComboBox;
class QMenu;
class QSplitter;
class QTabWidget;
class QToolBar;
class QToolButton;
class TFDParams;
class TFDQuery;
class TfraData;
class TfraExplan;
class TfrmObject;
class TzkActionList;
class TzkConnectionComboBox;
class TzkStringGrid;
struct TSqlBatch;

// The window in which the user types SQL and runs it on a connection:
// the editor, the database the run switches to, and one result tab per
// batch that returns rows.
class TfrmSQL
    : public TzkForm
    , public IzkMemoHost
    , public IzkChildMenu
{
    Q_OBJECT
public:
    // Builds and shows the window on the connection window AOwner (the main
    // window's current one when null).
    explicit TfrmSQL(TfrmObject *AOwner);
    ~TfrmSQL() override;

    // The run: the selection (with UsePartial) or the whole text, batch by
    // batch. Failures are shown inside the run; only the database switch
    // raises.
    void actExecExecute();
    bool actExecEnabled() const;
    void cmbConnectionSelect();
    void DBChange() override;
    void LoadWindowLayout() override;
    void SaveWindowLayout() override;

    // History navigation: older, newer, and the entry chosen in the history
    // and favourites dialog.
    void actPrevExecute();
    void actNextExecute();
    void actLogExecute();
    // The open dialog, then OpenFiles.
    void actOpenExecute();
    // Empties the editor and reads the files into it as one text, in the
    // order of their names without regard to case (also for dropped files).
    void OpenFiles(QStringList files);
    void actHideResultExecute();
    // Plan mode on or off: the result area of that mode.
    void btnExplanClick();
    void ResetSelectionMode();

    bool MemoDatabase(QString &database) const override;
    // Completion with the schema of the database chosen in cmbDatabase.
    bool MemoCodeAssist(int X, int Y) override;
    QMenu *ChildMenu() const override;

    TzkActionList *actObject = nullptr;
    QAction *actExec = nullptr;
    QAction *actPrev = nullptr;
    QAction *actNext = nullptr;
    QAction *actLog = nullptr;
    QAction *actOpen = nullptr;
    QAction *actExit = nullptr;
    QAction *actHideResult = nullptr;
    QMenu *mnuTool = nullptr;
    QToolBar *tolCmd = nullptr;
    QToolBar *tolOption = nullptr;
    QToolButton *btnPrev = nullptr;
    QToolButton *btnNext = nullptr;
    QToolButton *btnLog = nullptr;
    QToolButton *btnOpen = nullptr;
    QToolButton *btnExplan = nullptr;
    QToolButton *btnHideResult = nullptr;
    QToolButton *btnShowDesign = nullptr;
    QWidget *pnlSQL = nullptr;
    QWidget *pnlBuild = nullptr;
    QSplitter *splParam = nullptr;
    TzkStringGrid *grdParam = nullptr;
    QSplitter *splResult = nullptr;
    QTabWidget *pagExplan = nullptr;
    TfraExplan *fraExplan = nullptr;

    // Re-reads one of the last run's frames before an export: only that
    // frame's statement runs again, never the editor's other batches.
    // False when the frame is not one of this window's.
    bool RefreshFrame(TfraData *frame);

    TfraMemo *fraMemo = nullptr;
    TzkConnectionComboBox *cmbConnection = nullptr;
    QComboBox *cmbDatabase = nullptr;
    QTabWidget *pagData = nullptr;
    TfraData *fraData = nullptr;
    QToolButton *btnExec = nullptr;
    QToolButton *btnExit = nullptr;
    TFDQuery *qrySQL = nullptr;

    int FLog = -1;
    // The frames of the last run by non-blank batch; entry 0 is fraData. The
    // others belong to the connection window and may go with it first.
    QList<QPointer<TfraData>> fraDatas;
    int FSQLCount = 0;
    bool FIsFirstSelect = false;
    int FTab = 0;
    int L_nResultTabHeight = 0;

protected:
    bool FormKeyDown(QKeyEvent *event) override;
    bool FormCloseQuery() override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void ClearResults();
    void runShown();
    // Runs one batch; true when the run must stop.
    bool RunBatch(const TSqlBatch &batch, int editorLastLine);
    // The estimated plan of the run lines' first statement.
    void RunExplan(const QStringList &lines);
    // Fills the parameters from grdParam; when the grid had to be filled or
    // changed first, asks for values and ends the run silently.
    void BindParams(TFDParams &params);
    TfraData *NewFrame();
    void ShowResultPane(bool show);
    void ShowParamGrid(bool show);
    // A history or favourites file into the editor; unreadable leaves it empty.
    void LoadLogFile(const QString &fileName);
    void SetEditorText(const QString &text);

    bool m_continue = false;
    bool m_quiet = false;
    qint64 m_elapsed = 0;
    bool m_running = false;
};

// Puts TfrmSQL into the opening table.
void RegisterSqlWindow();
