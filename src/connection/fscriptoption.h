#pragma once

#include <QDialog>
#include <QString>

#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;
class TfrmObject;

// The script output options dialog: as the run form it asks for the target
// (a file or a folder) and the name table before a script output run; as
// the options form it edits the script options alone. It changes the
// record ScriptOption in memory only.
class TfrmScriptOption : public QDialog
{
    Q_OBJECT
public:
    // The run form for a connection window: on OK the options are stored and
    // ScriptPath and NameTable (the name table as typed) set; false, with
    // both untouched, on Cancel.
    static bool ShowWindow(TfrmObject *AOwner, QString &ScriptPath, QString &NameTable);
    // The options form, without target and name table.
    static bool ShowWindow();

    // Opens the name table window for a connection; tests replace it.
    // Unset, "設定" opens TfrmNameTable.
    static inline std::function<void(TfrmObject *owner)> ShowNameTable;
    // Opens a help context; set by the help layer.
    static inline std::function<void(QWidget *form, int context)> HelpHook;

    ~TfrmScriptOption() override;

    // The path as stored: in folder mode with a trailing "/".
    static QString FolderPath(const QString &path);

    QGroupBox *grpFile = nullptr;
    QCheckBox *chkOneScript = nullptr;
    QCheckBox *chkDir = nullptr;
    QLabel *lblNameTable = nullptr;
    QComboBox *cmbNameTable = nullptr;
    QPushButton *btnNameTable = nullptr;
    QLabel *lblDir = nullptr;
    QLineEdit *txtDir = nullptr;
    QToolButton *btnDialog = nullptr;
    QCheckBox *chkSameName = nullptr;
    QGroupBox *rdoDatabase = nullptr;
    QGroupBox *rdoOwner = nullptr;
    QCheckBox *chkIndex = nullptr;
    QCheckBox *chkInsert = nullptr;
    QGroupBox *rdoInsert = nullptr;
    QCheckBox *chkFilegroup = nullptr;
    QCheckBox *chkListViewCol = nullptr;
    QCheckBox *chkGrant = nullptr;
    QGroupBox *rdoGrant = nullptr;
    QCheckBox *chkDrop = nullptr;
    QCheckBox *chkNullLine = nullptr;
    QCheckBox *chkMaskOutput = nullptr;
    QPushButton *btnOk = nullptr;
    QPushButton *btnCancel = nullptr;
    QPushButton *btnHelp = nullptr;

private:
    TfrmScriptOption(QWidget *parent, TfrmObject *owner);

    void CreateControls();
    void LoadControls();
    void SaveControls();
    void UpdateEnabling();
    void cmbNameTableDropDown();
    void btnNameTableClick();
    void btnDialogClick();
    void btnOkClick();
    QString ServerName() const;

    TfrmObject *FOwner; // the connection; null in the options form
    QButtonGroup *m_database = nullptr;
    QButtonGroup *m_owner = nullptr;
    QButtonGroup *m_insert = nullptr;
    QButtonGroup *m_grant = nullptr;
};
