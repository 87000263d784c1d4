#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QLabel;
class QToolBar;
class QToolButton;
class QWidget;
class TFDQuery;
class TfrmObject;
class TzkListBox;

// The column statement of a table or view: its columns in column order, for
// the parameters :OWNER and :NAME, in the database when one is given (the
// session's current database otherwise).
QString FieldListSQL(int DBVer, const QString &DataBase);

// "項目一覧": picks, from the columns of one table or view, the columns to
// show and their order. The table and view editors choose the columns of
// their data tab with it.
//
//   QStringList fields = {"OrderID", "\"note\""};
//   TfrmFieldList::ShowWindow(owner, "Sales", "dbo", "Orders", fields);
class TfrmFieldList : public QDialog
{
    Q_OBJECT
public:
    // Shows the dialog modally. FieldList holds the columns chosen so far
    // (plain names, or as QuoteNameDouble writes them); when the user
    // confirms with at least one column chosen it is replaced by the chosen
    // names in their order, otherwise left as it was. A failing catalogue
    // query reaches the caller; the dialog is not shown then.
    static void ShowWindow(TfrmObject *AOwner, const QString &DataBase, const QString &Schema, const QString &TableName,
                           QStringList &FieldList);

    explicit TfrmFieldList(TfrmObject *AOwner);
    ~TfrmFieldList() override;

    // Reads the columns and sorts them into the two lists: those FieldList
    // holds are chosen (in column order), the rest available; when every
    // column is chosen, all are available instead.
    void LoadFields(const QString &DataBase, const QString &Schema, const QString &TableName,
                    const QStringList &FieldList);
    // The chosen columns, in their order.
    QStringList SelectedFields() const;

    void btnSelectClick();
    void btnExitClick();
    void btnInsClick();
    void btnDelClick();
    void btnInsAllClick();
    void btnDelAllClick();

    QWidget *pnlTop = nullptr;
    QLabel *lblSelect = nullptr;
    QLabel *lblAll = nullptr;
    QWidget *pnlSelect = nullptr;
    TzkListBox *lstSelect = nullptr;
    QToolBar *tolInsDel = nullptr;
    QToolButton *btnInsAll = nullptr;
    QToolButton *btnIns = nullptr;
    QToolButton *btnDel = nullptr;
    QToolButton *btnDelAll = nullptr;
    TzkListBox *lstAll = nullptr;
    QWidget *pnlBottom = nullptr;
    QToolButton *btnSelect = nullptr;
    QToolButton *btnExit = nullptr;
    TFDQuery *qryField = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool lstAllKeyDown(int key);
    bool lstSelectKeyDown(int key);
    void pnlSelectResize();
    void pnlBottomResize();
    void LoadLayout();
    void SaveLayout();

    TfrmObject *m_owner;
};
