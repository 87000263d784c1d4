#pragma once

// The options dialog of the CSV export: file, encoding, line ends, title
// line, quoting and refresh. OK checks the file and stores the choices in
// the options.

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QToolButton;
class TzkComboBox;
class TzkStrEdit;

class TfrmCSVSQL : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmCSVSQL(QWidget *owner = nullptr);

    TzkStrEdit *txtSaveFile;
    QLabel *lblSaveFile;
    QToolButton *btnSaveFile;
    QGroupBox *grp1;
    TzkComboBox *cmbEncoding;
    QLabel *lblEncoding;
    TzkComboBox *cmbLineBreak;
    QLabel *lblBreakLine;
    QCheckBox *chkCSVHeader;
    QGroupBox *rdoQuotation;
    QButtonGroup *rdoQuotationGroup;
    QCheckBox *chkRefresh;
    QPushButton *btnOk;
    QPushButton *btnCancel;

    // The quoting index (0, 1, 2) chosen in rdoQuotation.
    int Quotation() const;

    void btnSaveFileClick();
    void btnOkClick();
    void btnCancelClick() { reject(); }
};
