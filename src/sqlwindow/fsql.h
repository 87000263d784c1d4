#pragma once

#include "core/zkforms.h"
#include "sqlwindow/rMemo.h"

#include <QList>
#include <QPointer>
#include <QString>

class QComboBox;
class QTabWidget;
class QToolButton;
class TFDQuery;
class TfraData;
class TfrmObject;
class TzkConnectionComboBox;
struct TSqlBatch;

// The window in which the user types SQL and runs it on a connection:
// the editor, the database the run switches to, and one result tab per
// batch that returns rows.
class TfrmSQL
    : public TzkForm
    , public IzkMemoHost
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

    bool MemoDatabase(QString &database) const override;

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

protected:
    bool FormKeyDown(QKeyEvent *event) override;
    bool FormCloseQuery() override;

private:
    void ClearResults();
    void runShown();
    // Runs one batch; true when the run must stop.
    bool RunBatch(const TSqlBatch &batch, int editorLastLine);
    TfraData *NewFrame();
    void ShowResultPane(bool show);

    bool m_continue = false;
    bool m_quiet = false;
    qint64 m_elapsed = 0;
    bool m_running = false;
};

// Puts TfrmSQL into the opening table.
void RegisterSqlWindow();
