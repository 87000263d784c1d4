#pragma once

#include <QDialog>
#include <QFlags>
#include <QString>
#include <QStringList>

class QAction;
class QToolBar;
class QToolButton;
class TFDQuery;
class TfrmObject;
class TzkComboBox;
class TzkListBox;
class TzkStrEdit;

// The kinds of objects the table picker lists.
enum TTableListKind { tlkTable = 1, tlkView = 2, tlkSynonym = 4 };
Q_DECLARE_FLAGS(TTableListKinds, TTableListKind)
Q_DECLARE_OPERATORS_FOR_FLAGS(TTableListKinds)

// The listing statement: names and type letters of the kinds in one schema
// (parameter :OWNER) of the database (the session's current one when empty).
// No kind at all lists tables.
QString TableListSQL(int DBVer, bool IsAzure, const QString &DataBase, TTableListKinds kinds);

// The lines the picker returns for chosen names. For the table editor: the
// owner and the name for each, as they are. Otherwise one qualified,
// bracketed name each: database.owner.name when both are given, the name
// alone without an owner, else owner.name.
QStringList TableListResult(const QString &database, const QString &owner, const QStringList &names, bool tableEditor);

// "表の選択": lists the tables, views and synonyms of one schema of a
// database and returns the chosen ones. The query designer adds the chosen
// tables; the table editor picks the history table of a system-versioned
// table with it.
class TfrmTableList : public QDialog
{
    Q_OBJECT
public:
    // Shows the picker modally and appends the result lines of the chosen
    // names to TableList (which is not cleared). A Sender whose object name
    // contains "frmTable" is the table editor: one table of the connection's
    // database, with Database and Schema preselected. A failing first
    // listing reaches the caller.
    static void ShowWindow(TfrmObject *AOwner, QStringList &TableList, QWidget *Sender, const QString &Database,
                           const QString &Schema);

    explicit TfrmTableList(TfrmObject *AOwner);
    ~TfrmTableList() override;

    // Steps of ShowWindow before the dialog shows: the caption, the
    // layout, the database and owner lists, the table editor's settings and
    // the first listing.
    void Prepare(QWidget *Sender, const QString &Database, const QString &Schema);
    // Lists the names of the kinds whose buttons are down, in the database
    // and owner chosen, that hold the find text. Failures reach the caller
    // with the cursor and the list restored.
    void FillList();
    // The result lines of the selected names, in list order.
    QStringList Result() const;
    bool TableEditorMode() const { return m_tableEditor; }

    void btnOkClick();
    void btnExitClick();
    // A kind button was clicked: the last one down stays down.
    void btnKindClick(QToolButton *button);

    QWidget *pnlHeader = nullptr;
    QWidget *pnlPersonalColor = nullptr;
    QToolBar *tolCmd = nullptr;
    QToolButton *btnOk = nullptr;
    QToolButton *btnExit = nullptr;
    QToolBar *tolOption = nullptr;
    QToolButton *btnTable = nullptr;
    QToolButton *btnView = nullptr;
    QToolButton *btnSynonym = nullptr;
    QWidget *pnlTop = nullptr;
    TzkComboBox *cmbDatabase = nullptr;
    TzkComboBox *cmbOwner = nullptr;
    TzkStrEdit *txtFindTable = nullptr;
    TzkListBox *lstTable = nullptr;
    TFDQuery *qryTable = nullptr;
    TFDQuery *qrySynonym = nullptr;

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    TTableListKinds Kinds() const;
    void LoadLayout();
    void SaveLayout();

    TfrmObject *FOwner;
    bool m_tableEditor = false;
    QAction *m_optionSeparator = nullptr;
};
