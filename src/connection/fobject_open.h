#pragma once

#include "core/zkforms.h"
#include "core/zkoption.h"

#include <QString>

#include <functional>

class QWidget;
class TfrmObject;

// The opening table: every window of an object or a tool that a lower folder
// (the connection window, the main window, the recent objects) opens is
// created here, by the name of its window class, so that no folder links
// the folder that builds the window.
//
// A folder registers its windows at start-up, in a register function of its
// own that src/app/main.cpp calls after RegisterConnectionWindows():
//
//   RegisterWindow(QStringLiteral("TfrmTable"), [](TfrmObject *owner, const TOpenArgs &a) {
//       auto *w = new TfrmTable(owner);
//       try {
//           w->Init(a.DataBase, a.Schema, a.ObjectName, a.OpenMode, a.DefTopRecord);
//       } catch (...) {
//           delete w; // a throwing constructor would free nothing it registered
//           throw;
//       }
//       return w;
//   });
//
// Object windows are reached through TfrmObject::OpenObject, which picks the
// class and the arguments for an object-kind code (ObjectWindowCall); tool
// windows register under their class name too and their commands call
// CreateRegisteredWindow with that name. A factory refuses a second window of
// the same object by bringing the open one to the front and raising EAbort.

// What a window is opened with; each window class reads the fields its
// constructor takes.
struct TOpenArgs
{
    int ObjectType = 0; // object-kind code
    QString DataBase;
    QString Schema;     // a schedule's id for a schedule window
    QString ObjectName; // empty: a new object; a job's id for a job window
    TOpenMode OpenMode = omDefine;
    int DefTopRecord = 0; // rows a data tab loads first; 0: the option DefTopRecord
    QString TableName;    // the table of an index, trigger or constraint; empty when not known
    // A synonym's preset target; all empty: none.
    QString TargetDataBase;
    QString TargetSchema;
    QString TargetName;
    QString TargetType;

    bool operator==(const TOpenArgs &) const = default;
};

// Creates a window, shows it and returns it; raises on failure (EAbort when
// the window of that object is open already, which it brings to the front).
// The owner is the connection window; null for a window without one.
using TWindowFactory = std::function<QWidget *(TfrmObject *owner, const TOpenArgs &args)>;

// Registers (or replaces) the factory of a window class.
void RegisterWindow(const QString &windowClass, TWindowFactory factory);
bool WindowRegistered(const QString &windowClass);
// Creates a window of a registered class; raises what its factory raises,
// and EAbort when the class has no factory.
QWidget *CreateRegisteredWindow(const QString &windowClass, TfrmObject *owner, const TOpenArgs &args);

// Registers the placeholder (TfrmWindowStub) as the factory of a window class.
void RegisterWindowStub(const QString &windowClass);
// Fills the table with a placeholder for each window class the connection
// window opens; the folders that build the real windows replace them when
// their register functions run afterwards.
void RegisterConnectionWindows();

// The window class and the arguments that open an object of a kind; an empty
// class for a kind without a window. `TableName` is the index's table for
// an index (46) or an index partition (74); other kinds ignore it. A
// partition (73, 74) opens its table or index: the name up to its first ".".
struct TObjectWindowCall
{
    QString WindowClass;
    TOpenArgs Args;
};
TObjectWindowCall ObjectWindowCall(int ObjectType, const QString &DataBase, const QString &Schema,
                                   const QString &ObjectName, TOpenMode OpenMode, int DefTopRecord,
                                   const QString &TableName);

// Whether the object list shows one kind of object for a tree node: a kind
// node, at level 2 when the tree shows databases above kinds (TreeSort 0),
// at level 1 or 2 when it shows kinds above databases (TreeSort 1).
bool ListsOneKind(int TreeSort, int level);

// The placeholder of a window whose folder has not registered it yet: an
// MDI child that names the window and what it was opened with. One window
// per object: a second open brings the first to the front.
class TfrmWindowStub : public TzkForm
{
    Q_OBJECT
public:
    TfrmWindowStub(TfrmObject *owner, const QString &windowClass, const TOpenArgs &args);
    // Raises EAbort when the window of that object is open already.
    void Init();

    QString WindowClass() const { return m_windowClass; }
    const TOpenArgs &Args() const { return m_args; }

private:
    QString m_windowClass;
    TOpenArgs m_args;
};
