#pragma once

#include "core/zkwindows.h"

#include <QComboBox>
#include <QDialog>
#include <QPointer>

#include <functional>

class QKeyEvent;
class QMdiSubWindow;
class QPainter;
class QTabWidget;

// How a form was built: a window the user sees, or invisibly, only to write
// a script.
enum TSourceMode { smShow, smText };

// What a closing form does (set by FormClose): stay open, hide, be freed, or
// be minimised.
enum TCloseAction { caNone, caHide, caFree, caMinimize };

// The SQL editor's Alt state, which the base form keeps while Alt is held
// in it (the editor then selects in its other selection mode).
class IzkAltKeyEditor
{
public:
    virtual ~IzkAltKeyEditor() = default;
    virtual void SetKeyDownAltKey(bool down) = 0;
};

// Applies the shared display settings to a control of a kind the handler
// knows (an SQL editor, a grid, ...); false for other controls. The folders
// that define those controls register their handlers; those registered with
// `atFormCreation` (the SQL editor's) also run for every control of a form
// when the form is set up.
using TzkControlSettingsHandler = std::function<bool(QWidget *control)>;
void RegisterControlSettings(TzkControlSettingsHandler handler, bool atFormCreation = false);

// The base class of the object and tool windows and of several dialogs. A
// form is shown as an MDI child of the main window (ShowMDIChild) or as a
// modal dialog (ShowModal). It knows its connection window (OwnerForm) and
// binds its queries to that window's connection, has a tab on the main
// window's task bar, asks before a changed object is closed, and sees the
// keys of its controls before they do.
//
// A descendant builds its controls in its constructor, then calls InitForm()
// (which does the component set-up, the query binding and LoadWindowLayout),
// reads its data, sets its caption and calls CreateTaskButton().
class TzkForm
    : public QDialog
    , public IzkForm
{
    Q_OBJECT
public:
    // AOwner: a connection window (its form), the main window (the current
    // connection window is taken), another TzkForm (its connection window is
    // taken) or anything else (no connection window). The form is destroyed
    // with its owner.
    explicit TzkForm(QObject *AOwner);
    ~TzkForm() override;

    QObject *Owner() const { return m_owner; }

    TzkConnectionWindow *OwnerForm() const { return FOwnerForm; }
    // A different connection window: store it and bind the queries to it.
    void SetOwnerForm(TzkConnectionWindow *form);
    // After a tool window changed its OwnerForm: moves its window id to the
    // new session and selects that connection in the main window's combo.
    void SwitchConnectionDisplay();

    int ObjType() const { return FObjType; }
    void SetObjType(int value);
    bool IsNew() const { return FIsNew; }
    void SetIsNew(bool value);
    bool Modified() const { return FModified; }
    void SetModified(bool value) { FModified = value; }
    bool UseLowerName() const { return FUseLowerName; }
    int FormID() const { return m_formID; }

    TSourceMode SourceMode = smShow;

    // Shows the form's image (of the main image list) as its icon and on its
    // task tab.
    void SetIcon(int imageIndex);
    // The task tab's caption: at most 16 characters whole, a longer text as
    // its first 14 and "…"; empty, and nothing set, without a tab.
    QString GetTaskCaption() const;
    void SetTaskCaption(const QString &caption);
    void CreateTaskButton();
    int TaskTabIndex() const;

    // Qualifiers for generated SQL: empty, or the bracketed name and ".".
    QString SchemaPrefix(const QString &schema) const { return SchemaPrefix(schema, schema); }
    QString SchemaPrefix(const QString &schema, const QString &ownerSchema) const;
    QString DatabasePrefix(const QString &database) const { return DatabasePrefix(database, database); }
    QString DatabasePrefix(const QString &database, const QString &ownerDatabase) const;
    static QString NamePrefix(const QString &name);

    // Draws one item of a connection combo in its connection's colours.
    static void ConnectionComboBoxDrawItem(const QComboBox *control, int index, QPainter *painter, const QRect &rect);
    // The first item whose connection window has the session id; -1 when none.
    static int GetItemIndexHasSessionID(const QComboBox *comboBox, int SessionID);
    static void ApplyControlSettings(QWidget *control);

    // Shows the form in a frame of the main window's MDI area, freed when
    // closed.
    void ShowMDIChild();
    QMdiSubWindow *MDIFrame() const;
    // Shows the form as a modal dialog and returns its result.
    int ShowModal();
    // Closes the form (and its MDI frame).
    void Close();
    // A dialog's cancel (Esc): asks as a close does.
    void reject() override;

    // May the form close? The descendant's FormCloseQuery first; then, for a
    // changed object, the question whether to compile. Saves the layout when
    // the answer is yes.
    bool CloseQuery() override;

    // The six operations the windows fill in.
    virtual void ChangedIsNew() {}
    virtual void Compile() {}
    virtual void Reload() {}
    virtual void DBChange() {}
    virtual void LoadWindowLayout() {}
    virtual void SaveWindowLayout() {}

protected:
    // The descendant's components exist: set them up, bind the queries to
    // the connection window and load the layout.
    void InitForm();

    // Selects the form's connection in the main window and its task tab.
    virtual void Activate();
    // The descendant's own close question and close handling.
    virtual bool FormCloseQuery() { return true; }
    virtual void FormClose(TCloseAction &Action) { Q_UNUSED(Action) }
    // Keys of the form and its controls, before the focused control gets
    // them; true consumes the key.
    virtual bool FormKeyDown(QKeyEvent *event);
    virtual bool FormKeyUp(QKeyEvent *event);

    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void InitComponents();
    void BindQueries();
    void watchKeys(QWidget *widget);

    QPointer<QObject> m_owner;
    TzkConnectionWindow *FOwnerForm = nullptr;
    QMetaObject::Connection m_ownerFormGone;
    void WatchOwnerForm(TzkConnectionWindow *form);
    int FObjType = 0;
    bool FIsNew = false;
    bool FModified = false;
    bool FUseLowerName = false;
    bool m_hasTaskTab = false;
    bool m_closeQueried = false;
    QPointer<QTabWidget> FPageControl;
    int m_formID = 0;
};

// A combo box whose items are connection windows, each drawn in its
// connection's colours (the list and the closed box alike).
class TzkConnectionComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit TzkConnectionComboBox(QWidget *parent = nullptr);

    // Replaces the drawing of an item (the main window draws its own combo).
    using DrawItem = std::function<void(const QComboBox *, int, QPainter *, const QRect &)>;
    void SetDrawItem(DrawItem draw) { m_draw = std::move(draw); }
    void DrawItemAt(int index, QPainter *painter, const QRect &rect) const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    DrawItem m_draw;
};
