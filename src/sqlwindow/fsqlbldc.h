#pragma once

#include <QDialog>

class QButtonGroup;
class QGroupBox;
class QPushButton;
class TzkComboBox;
class TzkSQLBuildConnect;

// "結合": changes or deletes one join line of the query designer: the
// column of each table and the comparison. Confirming always makes the join
// an inner join.
class TfrmSQLBldConnect : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmSQLBldConnect(QWidget *parent = nullptr);

    // Shows the dialog for the join; true after OK, also when the join was
    // deleted (then it is freed and no longer in the designer's list).
    static bool ShowWindow(TzkSQLBuildConnect *AConnect);

    // The join being edited; null after a delete.
    TzkSQLBuildConnect *Connect() const { return FConnect; }
    void SetConnect(TzkSQLBuildConnect *AConnect);
    // Writes the controls into the join.
    void StoreConnect();
    // The checked comparison (ctEQ ... ctNE), -1 when none.
    int ConnectTypeIndex() const;

    QGroupBox *grpTable1;
    TzkComboBox *cmbColumn1;
    QGroupBox *rdoConnectType;
    QGroupBox *grpTable2;
    TzkComboBox *cmbColumn2;
    QPushButton *btnOk;
    QPushButton *btnDelete;
    QPushButton *btnCancel;
    QPushButton *btnHelp;

private:
    void btnDeleteClick();
    void btnHelpClick();

    QButtonGroup *m_connectTypes;
    TzkSQLBuildConnect *FConnect = nullptr;
};
