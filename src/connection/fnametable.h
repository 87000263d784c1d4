#pragma once

#include "core/zkforms.h"

#include <QPointer>
#include <QString>
#include <QStringList>

class QAction;
class QLabel;
class QMenu;
class QToolBar;
class QToolButton;
class TfraData;
class TfrmObject;
class TzkComboBox;
class TzkConnectionComboBox;

// The statements that create a name table: the table with its five columns
// and, on Azure SQL Database, the clustered index it needs there.
QStringList NameTableCreateSQL(const QString &use, const QString &schema, const QString &table, bool azure);
// The batch that fills a name table with one row per object of the
// database (of `schema` alone unless `allObjects`).
QStringList NameTableInitialDataSQL(const QString &use, const QString &database, const QString &schema,
                                    const QString &table, bool version9, bool allObjects);

// Chooses, creates and edits the script name table of a server.
class TfrmNameTable : public TzkForm
{
    Q_OBJECT
public:
    static void ShowWindow(TfrmObject *AOwner);
    explicit TfrmNameTable(QObject *AOwner);
    ~TfrmNameTable() override;

    // Whether the last load of the table succeeded; shared by all windows.
    static inline bool LayoutOK = true;

    void Reload() override;
    void DBChange() override;
    void LoadWindowLayout() override;
    void SaveWindowLayout() override;

    // Copies the main window's connections, selects the window's own and
    // runs the connection selection.
    void Start();
    void cmbConnectionSelect();
    void btnCommitClick();
    void mnuInstDataClick();

    QToolBar *tolCmd = nullptr;
    QToolButton *btnCommit = nullptr;
    QMenu *popDataGenerate = nullptr;
    QAction *mnuInstData = nullptr;
    QToolButton *btnExit = nullptr;
    TzkConnectionComboBox *cmbConnection = nullptr;
    QLabel *lblDatabase = nullptr;
    TzkComboBox *cmbDatabase = nullptr;
    QLabel *lblOwner = nullptr;
    TzkComboBox *cmbSchema = nullptr;
    QLabel *lblName = nullptr;
    TzkComboBox *cmbName = nullptr;
    TfraData *fraData = nullptr;

protected:
    void FormClose(TCloseAction &Action) override;

private:
    TfrmObject *Connection() const;
    void CopyConnections();
    void FillSchemas();
    void FillTables();
    void UpdateCaption();
    bool m_loading = false;
    // The chosen connection: it may close while the window is open, and the
    // window then closes too (DBChange), so it is held guarded.
    QPointer<QObject> m_connection;
    int m_sessionID = 0;
};
