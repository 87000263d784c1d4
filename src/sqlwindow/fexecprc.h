#pragma once

#include "core/zkforms.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

class QPlainTextEdit;
class QSplitter;
class QToolButton;
class QWidget;
class TFDParam;
class TFDQuery;
class TfrmObject;
class TzkComboBox;
class TzkStrEdit;
class TzkTreeNode;
class TzkTreeView;

// Images of a parameter row: its direction.
constexpr int kParamImageResult = 79;
constexpr int kParamImageInput = 80;
constexpr int kParamImageOutput = 81;
constexpr int kParamImageInOut = 82;

// The statement that reads an object's type letters (":OWNER", ":NAME").
QString ExecProcTypeSQL(bool version9);
// The parameter statement, with the return-status row of a procedure and
// the returned table of a table function; ordered by position so the rows
// bind in call order.
QString ExecProcParamSQL(bool version9, bool isProcedure, bool tableFunction);
// The type text of a parameter row: character and binary types get their
// length or "(max)".
QString ExecProcTypeText(const QString &type, const QString &length);
// The call: "execute :zk_ret = [schema].[name]" and a line with the
// parameters' markers, " output" after each output one. `names` and
// `images` are the list's rows without the return value.
QString ExecProcCallSQL(const QString &schema, const QString &name, const QStringList &names, const QList<int> &images);
// Binds one row to its parameter: direction from the image, type and value
// from the type text and the value text. Raises EConvertError naming the
// parameter when the value is no number.
void ExecProcBindParam(TFDParam &param, const QString &paramName, const QString &typeText, const QString &value,
                       int image);
// A table function's argument for one row: "null", a checked number, an
// N'...' literal, or empty for the returned table itself.
QString ExecProcFunctionArg(const QString &typeText, const TFDParam &param);
// "hh:mm:ss.zzz" of a span in milliseconds.
QString ExecProcElapsed(qint64 ms);

enum TExecStatus { esRunning, esEndComplite, esEndError };

// Runs one stored procedure or function with typed arguments and shows the
// parameters' values afterwards.
class TfrmExecProc : public TzkForm
{
    Q_OBJECT
public:
    // Creates and shows the window; raises EAbort (after bringing it
    // forward) when a window of the object is open, and what the catalogue
    // raises, leaving no window behind.
    static TfrmExecProc *Open(TfrmObject *AOwner, const QString &DataBase, const QString &Schema,
                              const QString &ObjectName, int ObjectType);
    TfrmExecProc(TfrmObject *AOwner, const QString &DataBase, const QString &Schema, const QString &ObjectName,
                 int ObjectType);

    void btnExecClick();
    void btnExitClick() { Close(); }
    // Reads the type letters and loads the parameters; raises what the catalogue raises.
    void Init();

    // The clock of a run; tests replace it.
    std::function<QDateTime()> Now = [] { return QDateTime::currentDateTime(); };

    TExecStatus ExecStatus = esRunning;
    bool flg_TblFnc = false;

    TzkTreeView *lstParam = nullptr;
    TzkStrEdit *txtParam = nullptr;
    QPlainTextEdit *txtOutput = nullptr;
    TzkComboBox *cmbDataBase = nullptr;
    TzkComboBox *cmbSchema = nullptr;
    TzkStrEdit *txtName = nullptr;
    QToolButton *btnExec = nullptr;
    QToolButton *btnExit = nullptr;
    TFDQuery *qryExec = nullptr;
    TFDQuery *qryTblOpen = nullptr;

protected:
    void LoadWindowLayout() override;
    void SaveWindowLayout() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void LoadParams();
    void SetParams();
    void ShowResult();
    void lstParamChange(TzkTreeNode *node);
    void pnlParamResize();
    void PlaceEditor(TzkTreeNode *node);
    void StoreEditor();

    TfrmObject *m_owner;
    int FObjType = 0;
    TzkTreeNode *FPreNode = nullptr;
    QDateTime tm;
    QSplitter *spl1 = nullptr;
    QWidget *pnlParam = nullptr;
};

// Puts TfrmExecProc into the opening table.
void RegisterSqlWindowWindows();
