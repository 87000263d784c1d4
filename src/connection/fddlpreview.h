#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

#include <functional>

class QCheckBox;
class QPushButton;
class TzkMemo;

// The one fixed object name callers pass for a script that is no object
// (index reorganisation and rebuild).
inline const QString DDLScriptObjectName = QStringLiteral("インデックスの断片化解消");

// The script as the preview shows and returns it: "use <database>" and "go"
// in front when a database is given, a repeated switch of the script's own
// removed.
QStringList DDLPreviewScript(const QStringList &script, const QString &DataBase);
// "<schema>.<name> のコンパイル", "<name> のコンパイル", or for the fixed
// script name "<name>を実行".
QString DDLPreviewCaption(const QString &Schema, const QString &ObjName);
// The file name offered when saving, in `dir`: "<schema>.<name>.sql" (the
// fixed script name saves as "script"), numbered when that file exists.
QString DDLPreviewFileName(const QString &dir, const QString &Schema, const QString &ObjName);
// The chosen file name as written: ".sql" appended unless its extension is
// a known one.
QString DDLSaveFileName(const QString &chosen);

// The modal preview of a generated DDL script before it runs.
class TfrmDDLPreview : public QDialog
{
    Q_OBJECT
public:
    // True when the script is to be executed; ASQL then holds the lines
    // shown (with the database switch in front). False leaves ASQL as it
    // was. With ShowDDL off: true at once, ASQL untouched.
    static bool ShowWindow(QStringList &ASQL, const QString &DataBase, const QString &Schema, const QString &ObjName);

    // The save dialog: the chosen file name, empty when cancelled. Tests
    // replace it.
    static inline std::function<QString(QWidget *owner, const QString &suggested)> SaveDialog;

    TzkMemo *txtLog = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnSave = nullptr;
    QPushButton *btnCancel = nullptr;
    QCheckBox *chkModifySource = nullptr;

    void btnOKClick();
    void btnCancelClick();
    void btnSaveClick();
    void chkModifySourceClick();

private:
    explicit TfrmDDLPreview(QWidget *owner);

    QString FSchema;
    QString FObjName;
};
