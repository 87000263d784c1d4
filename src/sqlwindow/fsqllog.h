#pragma once

#include <QDialog>

class QAction;
class QMenu;
class QSplitter;
class QTabWidget;
class QToolBar;
class QToolButton;
class TzkListView;
class TzkMemo;
class TzkStrEdit;

// "SQL 一覧": browses the SQL history and the favourites, previews, searches,
// reorders, deletes and renames entries, registers history entries as
// favourites, and picks the entry the calling window loads.
//
//   const QString answer = TfrmSQLLog::ShowWindow(this); // "H3", "F0", "H-1"
class TfrmSQLLog : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmSQLLog(QWidget *AOwner);
    ~TfrmSQLLog() override;

    // Shows the dialog modally; the active tab's letter ("H" history, "F"
    // favourites) and the chosen position in its index, -1 when nothing was
    // chosen.
    static QString ShowWindow(QWidget *AOwner);
    // The answer of a closed dialog.
    QString Answer() const;

    bool IsHistoryTab() const;
    void SetHistoryTab(bool history);

    QToolBar *tolCmd = nullptr;
    QToolButton *btnSelect = nullptr;
    QToolButton *btnRegist = nullptr;
    QToolButton *btnDel = nullptr;
    QToolButton *btnExit = nullptr;
    QToolBar *tolOption = nullptr;
    QToolButton *btnUp = nullptr;
    QToolButton *btnDown = nullptr;
    QToolButton *btnFind = nullptr;
    QWidget *pnlFind = nullptr;
    TzkStrEdit *txtFind = nullptr;
    QTabWidget *pagSQLList = nullptr;
    TzkListView *lstSQL = nullptr;
    QSplitter *spl1 = nullptr;
    TzkMemo *txtSQL = nullptr;
    QMenu *popSqlLogMenu = nullptr;
    QAction *mnuRename = nullptr;

    void btnSelectClick();
    void btnRegistClick();
    void btnDelClick();
    void btnExitClick();
    void btnUpClick();
    void btnDownClick();
    void btnFindClick();
    void mnuRenameClick();

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void done(int result) override;

private:
    void RebuildList();
    void UpdateButtons();
    void ShowPreview();
    void FitTextColumn();
    void MoveSelected(int delta);
    QStringList &ActiveList() const;
    void LoadSize();
    void SaveSize();

    bool FIsSelect = false;
    bool m_shown = false;
    bool m_historyChanged = false;
    bool m_favoritesChanged = false;
    QString m_answer;
};
