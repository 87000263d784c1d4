#pragma once

#include "connection/fobject_script.h"
#include "core/zkforms.h"
#include "core/zkoption.h"
#include "core/zkwindows.h"
#include "editors/fobjecteditor_ddl.h"
#include "platform/rtl/exceptions.h"

#include <QString>
#include <QTabBar>
#include <QTabWidget>
#include <QStringList>

#include <functional>
#include <memory>

class TfrmObject;
class TFDQuery;
class TzkActionList;
class TzkMemo;
class QAction;
class QKeyEvent;
class QMouseEvent;
class QPoint;
class QToolButton;

// The caption of an object window: type word - db.schema.name @ server.database.
QString ObjectWindowCaption(const QString &typeWord, const QString &database, const QString &schema,
                            const QString &objectName, const QString &server, const QString &logonDatabase);

// What the object editors call outside themselves on the compile road and for
// their messages; tests replace the members.
struct TEditorServices
{
    // The preview; false: cancelled, nothing runs.
    std::function<bool(QStringList &sql, const QString &database, const QString &schema, const QString &name)> Preview;
    // Runs the script and waits for its window; raises EAbort when the run
    // stopped at a failing batch.
    std::function<void(TfrmObject *owner, const QStringList &sql)> Execute;
    std::function<void(TfrmObject *owner, const QString &database, const QString &schema, const QString &name,
                       int objectType)>
        SaveBefore;
    std::function<void(TfrmObject *owner, const QString &database, const QString &schema, const QString &name,
                       int objectType)>
        SaveAfter;
    std::function<int(const QString &text, int flags)> Message;

    // The real windows and the application's message box.
    static TEditorServices Defaults();
};
TEditorServices &EditorServices();

// The tab bar of an editor's pages: QTabWidget cannot refuse a change of
// tab, so the bar asks Changing before its index moves by mouse or key.
class TzkObjectTabBar : public QTabBar
{
    Q_OBJECT
public:
    using QTabBar::QTabBar;
    std::function<bool(int index)> Changing;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
};

// An editor's page control with that bar.
class TzkObjectPages : public QTabWidget
{
    Q_OBJECT
public:
    explicit TzkObjectPages(QWidget *parent);
    TzkObjectTabBar *Bar() const { return m_bar; }

private:
    TzkObjectTabBar *m_bar;
};

// The base of the object editors: creation, load, compile road, delete,
// layout and script output once, with the editor's parts as virtual slots.
//
// An editor is created only through Open<T>() (a shown window) or
// WriteScript<T>() (a hidden one writing its DDL); both hold the form in a
// unique_ptr until it is handed over, so a failure anywhere frees it.
class TfrmObjectEditor : public TzkForm
{
    Q_OBJECT
public:
    explicit TfrmObjectEditor(TfrmObject *owner);
    ~TfrmObjectEditor() override;

    TfrmObject *Connection() const { return m_connection; }
    QString Database() const { return FDatabase; }
    QString Schema() const { return FSchema; }
    QString ObjectName() const { return FObjectName; }
    bool ScriptMode() const { return m_scriptMode; }
    // The options in force: the call's own in script mode, else the global ones.
    const TScriptOption &Options() const { return m_options ? *m_options : ScriptOption; }

    // The caption a window of this object would carry.
    virtual QString WindowCaption() const;

    // A shown editor: brings forward an open window of the same caption and
    // raises EAbort, or builds, loads and shows a new one. Raises what the
    // load raises (EAbort after the "not found" message); no window stays.
    template<class T>
    static T *Open(TfrmObject *owner, const QString &database, const QString &schema, const QString &objectName)
    {
        return Open<T>(owner, database, schema, objectName, [](T &) {});
    }

    // As above, with `prepare` run on the new form once the caption test has
    // passed and before it is built and loaded (an editor's own arguments).
    template<class T, class Prepare>
    static T *Open(TfrmObject *owner, const QString &database, const QString &schema, const QString &objectName,
                   Prepare &&prepare)
    {
        auto form = std::make_unique<T>(owner);
        form->SetNames(database, schema, objectName);
        if (zkMainForm && zkMainForm->FindWindow(T::staticMetaObject, form->WindowCaption(), true))
            throw EAbort();
        prepare(*form);
        form->InitShown();
        form->ShowMDIChild();
        return form.release();
    }

    // A hidden editor writing the object's CREATE script, or its DROP script
    // with options.Drop, into the sink; a missing object writes nothing.
    // Raises on failure. The shape of a TScriptGenerator.
    template<class T>
    static void WriteScript(TfrmObject *owner, const TScriptRequest &request, const TScriptOption &options,
                            TScriptSink &sink)
    {
        auto form = std::make_unique<T>(owner);
        form->SetNames(request.Database, request.Schema, request.ObjectName);
        form->WriteScriptTo(options, sink);
    }

    // The commands.
    void Compile() override;
    void Reload() override;
    void Delete();
    void ChangedIsNew() override;
    bool CompileEnabled() const;
    bool DeleteEnabled() const { return !IsNew(); }

    // Asked before the page moves: while Modified, "compile?" (Yes, No,
    // Cancel); false keeps the page. Answered No to a second question while
    // the first is open.
    bool TabChanging(int index);
    // After the page moved: the whole object read anew, painting frozen.
    void pagObjectChange();

    void LoadWindowLayout() override;
    void SaveWindowLayout() override;

    // --- Catalogue ---
    // The dialect the builders write for: DBVer (a version forced with
    // "/V=" counts), Azure, system objects, and the server's own version.
    TCatalogDialect Dialect() const;
    // The dialect and the options in force, for the DDL builders.
    TDDLContext DDLContext() const;
    // The session database: every catalogue query of a load is opened with
    // the object's "use" line at its head (the layer sends it as a batch of
    // its own, so the session stays in the object's database for the
    // unprefixed queries that follow in the same load).
    TFDQuery *OpenCatalogSQL(const QString &sql, const QStringList &params = {});
    // Puts the session into the object's database; before an unprefixed
    // query run outside a load (another window may have moved the session).
    void UseObjectDatabase();
    // UseObjectDatabase, then the query as it is.
    TFDQuery *OpenUnprefixedSQL(const QString &sql, const QStringList &params = {});

    // --- The four commands ---
    // "作成(&C)", "削除(&D)", "戻す(&R)", "終了(&X)" in actlst, with their
    // images (of the main window's image list) and update handlers; created
    // by the constructor. An editor adds its own actions to actlst.
    TzkActionList *actlst = nullptr;
    QAction *actCompile = nullptr;
    QAction *actDelete = nullptr;
    QAction *actRefresh = nullptr;
    QAction *actExit = nullptr;
    // After CreateCommandBar: the bar and its buttons.
    QWidget *tolCmd = nullptr;
    QToolButton *btnCompile = nullptr;
    QToolButton *btnDelete = nullptr;
    QToolButton *btnRollback = nullptr;
    QToolButton *btnExit = nullptr;
    // After CreateColorPanel: the 12-pixel strip in the connection's colour.
    QWidget *pnlPersonalColor = nullptr;

    // Code completion at the caret of the source editor (client pixels of
    // the editor): CodeAssistCandidates over this window, in the
    // connection's logon database and the login user's schema.
    void CodeAssist(const QPoint &caret);
    // The same for a request of `memo`; an editor that completes elsewhere
    // (the constraint editor: its own database and schema fields) overrides
    // it and calls CodeAssistIn.
    virtual void CodeAssist(TzkMemo *memo, const QPoint &caret);

protected:
    // --- The editor's slots ---
    // The type word of captions ("テーブル", ...).
    virtual QString TypeWord() const = 0;
    // The key under GUI\ of the window layout ("TABLE", ...).
    virtual QString LayoutKey() const = 0;
    // Reads the object from the catalogue and refills the controls; false
    // when it is not there.
    virtual bool LoadObject() = 0;
    // Raises EAbort after a warning with the focus on the field. The base
    // checks database, schema and name fields that the editor names.
    virtual void CheckFields();
    // The fields of the base checks; null: not checked.
    virtual QWidget *DatabaseField() const { return nullptr; }
    virtual QWidget *SchemaField() const { return nullptr; }
    virtual QWidget *NameField() const { return nullptr; }
    virtual QString FieldText(QWidget *field) const;
    // The compile script, each batch ended by "go"; empty: nothing changed.
    virtual QStringList BuildCompileScript() = 0;
    // The object's drop statement(s).
    virtual QStringList BuildDropScript() const = 0;
    // The script written in script mode: CREATE, or DROP with drop set.
    virtual QStringList BuildScript(bool drop) const = 0;
    // The name fields that are enabled only for a new object.
    virtual void EnableNameFields(bool enabled) { Q_UNUSED(enabled) }
    // Is the source tab active (the compile command is enabled then).
    virtual bool SourceTabActive() const { return false; }
    // The source editor whose completion requests CodeAssist answers; null
    // for an editor without one.
    virtual TzkMemo *SourceEditor() const { return nullptr; }

    // The command bar tolCmd with btnCompile, btnDelete, btnRollback and
    // btnExit: 78-pixel buttons that wrap onto further rows when the window
    // is narrow. The editor places it in its layout and may put buttons of
    // its own actions at a position with AddCommandButton.
    QWidget *CreateCommandBar(QWidget *parent);
    // A button of `action` on tolCmd at `position` (-1: at the end).
    QToolButton *AddCommandButton(QAction *action, const QString &name, int position = -1);
    // The colour strip pnlPersonalColor, painted in the connection's
    // background colour; the editor places it.
    QWidget *CreateColorPanel(QWidget *parent);
    // Routes the completion requests of `memo` to CodeAssist, in place of
    // whatever answered them before (a source frame answers its own).
    void TakeCodeAssist(TzkMemo *memo);
    void CodeAssistIn(TzkMemo *memo, const QPoint &caret, const QString &database, const QString &schema);
    // A shown window between its task tab and its first load: the editor's
    // own construction steps (tab of the open mode, lists, history).
    virtual void BeforeFirstLoad() {}

    // The page control, created by the editor before InitForm (whose
    // Ctrl+PgUp/PgDn go to the first tab widget found), with the protocol
    // of TabChanging and pagObjectChange.
    TzkObjectPages *CreatePages(QWidget *parent);

    // The database line of this editor's scripts.
    QStringList DatabaseLine() const;
    int Ask(const QString &text, int flags) const { return EditorServices().Message(text, flags); }
    // Shows a warning, focuses the field, raises EAbort.
    [[noreturn]] void FieldError(const QString &text, QWidget *field) const;

    // The whole object read anew, Modified cleared; raises EAbort for a
    // missing object (after the message in a shown window).
    void LoadAll();

private:
    void SetNames(const QString &database, const QString &schema, const QString &objectName);
    void InitShown();
    void WriteScriptTo(const TScriptOption &options, TScriptSink &sink);

    TfrmObject *m_connection = nullptr;
    QString FDatabase;
    QString FSchema;
    QString FObjectName;
    bool m_scriptMode = false;
    bool m_shown = false;                     // built as a shown window: page changes load
    const TScriptOption *m_options = nullptr; // the script call's, while it runs
    bool m_busy = false;                      // a modal question is open: no second command
    int m_serverVer = 0;                      // the server's own version, read once
    TFDQuery *qryCodeAssist = nullptr;
};
