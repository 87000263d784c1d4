#include "connection/fobject_open.h"

#include "connection/fobject.h"
#include "connection/fobject_p.h"
#include "controls/zkcomctrls.h"
#include "core/dsqlserver.h"
#include "core/zkactions.h"
#include "core/zksub.h"
#include "core/zksub_dialogs.h"
#include "core/zksub_objtype.h"

#include <QAction>
#include <QHash>
#include <QLabel>
#include <QLoggingCategory>
#include <QVBoxLayout>

// Opening the windows of objects: the opening table, the kind-to-window
// dispatch and the connection window's open commands.

namespace {

Q_LOGGING_CATEGORY(lcOpen, "zk.open")

constexpr int kIndex = 46;
constexpr int kProcedure = 51;
constexpr int kFunction = 52;
constexpr int kTablePartition = 73;
constexpr int kIndexPartition = 74;

QHash<QString, TWindowFactory> &factories()
{
    static QHash<QString, TWindowFactory> table;
    return table;
}

const QString kTableColumn = QStringLiteral("テーブル名");

// The list's index items keep their table here: the "テーブル名" column of
// the index view, the parent value after the columns of the list of all kinds.
constexpr int kOneKindTableDetail = 3;
constexpr int kMixedParentDetail = 5;

QString beforeFirstDot(const QString &name)
{
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.left(dot);
}

// The window classes of the connection window's dispatch and commands.
const char *const kWindowClasses[] = {
    "Tfrmdb",  "TfrmUser",    "TfrmSchema", "TfrmTable", "TfrmIndex", "TfrmView", "TfrmSource",      "TfrmTrigger",
    "TfrmSeq", "TfrmSynonym", "TfrmConst",  "TfrmRole",  "TfrmTBS",   "TfrmJob",  "Tfrmjobschedule", "TfrmExecProc",
};

} // namespace

// --- The opening table -----------------------------------------------------------------------

void RegisterWindow(const QString &windowClass, TWindowFactory factory)
{
    factories().insert(windowClass, std::move(factory));
}

bool WindowRegistered(const QString &windowClass)
{
    return factories().contains(windowClass);
}

QWidget *CreateRegisteredWindow(const QString &windowClass, TfrmObject *owner, const TOpenArgs &args)
{
    const TWindowFactory factory = factories().value(windowClass);
    if (!factory) {
        qCWarning(lcOpen) << "no window registered as" << windowClass;
        Abort();
    }
    return factory(owner, args);
}

void RegisterWindowStub(const QString &windowClass)
{
    RegisterWindow(windowClass, [windowClass](TfrmObject *owner, const TOpenArgs &args) -> QWidget * {
        auto *window = new TfrmWindowStub(owner, windowClass, args);
        try {
            window->Init();
        } catch (...) {
            delete window;
            throw;
        }
        return window;
    });
}

void RegisterConnectionWindows()
{
    for (const char *name : kWindowClasses)
        RegisterWindowStub(QLatin1String(name));
}

TObjectWindowCall ObjectWindowCall(int ObjectType, const QString &DataBase, const QString &Schema,
                                   const QString &ObjectName, TOpenMode OpenMode, int DefTopRecord,
                                   const QString &TableName)
{
    TObjectWindowCall call;
    TOpenArgs &a = call.Args;
    a.ObjectType = ObjectType;
    a.DataBase = DataBase;
    a.Schema = Schema;
    a.ObjectName = ObjectName;
    a.OpenMode = OpenMode;
    auto window = [&](const char *name) { call.WindowClass = QLatin1String(name); };
    switch (ObjectType) {
    case 1:
    case 116:
    case 118: window("Tfrmdb"); break;
    case 2:
    case 3:
        window("TfrmUser");
        a.Schema.clear();
        break;
    case 4:
    case 125:
    case 126: window("TfrmSchema"); break;
    case 45:
        window("TfrmTable");
        a.DefTopRecord = DefTopRecord;
        break;
    case kIndex:
        window("TfrmIndex");
        a.TableName = TableName;
        break;
    case 47:
        window("TfrmView");
        a.DefTopRecord = DefTopRecord;
        break;
    case kProcedure:
    case kFunction: window("TfrmSource"); break;
    case 57: window("TfrmTrigger"); break;
    case 58: window("TfrmSeq"); break;
    case 60:
        // Opened from a list: no preset target.
        window("TfrmSynonym");
        break;
    case 66:
        // The constraint window has no tabs to choose.
        window("TfrmConst");
        a.OpenMode = omDefine;
        break;
    case 68: window("TfrmRole"); break;
    case 69:
        window("TfrmTBS");
        a.Schema.clear();
        break;
    case kTablePartition:
        window("TfrmTable");
        a.ObjectType = 45;
        a.ObjectName = beforeFirstDot(ObjectName);
        break;
    case kIndexPartition:
        window("TfrmIndex");
        a.ObjectType = kIndex;
        a.ObjectName = beforeFirstDot(ObjectName);
        a.TableName = TableName;
        break;
    case 97:
        // The job's id in the name.
        window("TfrmJob");
        a = TOpenArgs{};
        a.ObjectType = ObjectType;
        a.ObjectName = ObjectName;
        break;
    case 117:
        // The schedule's id in the schema.
        window("Tfrmjobschedule");
        a = TOpenArgs{};
        a.ObjectType = ObjectType;
        a.Schema = Schema;
        a.ObjectName = ObjectName;
        break;
    default: return {};
    }
    return call;
}

bool ListsOneKind(int TreeSort, int level)
{
    return TreeSort == 1 ? level == 1 || level == 2 : level == 2;
}

// --- The placeholder window ------------------------------------------------------------------

TfrmWindowStub::TfrmWindowStub(TfrmObject *owner, const QString &windowClass, const TOpenArgs &args)
    : TzkForm(owner)
    , m_windowClass(windowClass)
    , m_args(args)
{
    setObjectName(QStringLiteral("frmWindowStub"));
}

void TfrmWindowStub::Init()
{
    QString what = ObjTypeToName(m_args.ObjectType);
    if (what.isEmpty())
        what = m_windowClass;
    const QString name = !m_args.ObjectName.isEmpty() ? m_args.ObjectName : QStringLiteral("(新規)");
    QStringList path;
    for (const QString &part : {m_args.DataBase, m_args.Schema, name})
        if (!part.isEmpty())
            path << part;
    // A tool window opens on no object: its class alone names it.
    const bool tool = m_args.ObjectType == 0 && m_args.ObjectName.isEmpty();
    QString caption = tool ? what : what + QStringLiteral(" - ") + path.join(QLatin1Char('.'));
    if (TzkConnectionWindow *connection = OwnerForm())
        caption += QStringLiteral(" (") + connection->GetConnectInfo({}, {}, false) + QLatin1Char(')');
    if (m_windowClass == QLatin1String("TfrmExecProc"))
        caption = QStringLiteral("実行 - ") + caption;
    // One window per object; every new object gets its own.
    if (!m_args.ObjectName.isEmpty() && zkMainForm && zkMainForm->FindWindow(staticMetaObject, caption, true)) {
        Abort();
    }

    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(this);
    label->setObjectName(QStringLiteral("lblStub"));
    label->setWordWrap(true);
    label->setText(
        tool
            ? QStringLiteral("このウィンドウはまだ用意されていません。\n\n%1").arg(what)
            : QStringLiteral("このウィンドウはまだ用意されていません。\n\n%1\nデータベース: %2\nスキーマ: %3\n名前: %4")
                  .arg(what, m_args.DataBase, m_args.Schema, name));
    layout->addWidget(label);
    layout->addStretch(1);
    SetObjType(m_args.ObjectType);
    InitForm();
    setWindowTitle(caption);
    resize(420, 220);
    CreateTaskButton();
    SetTaskCaption(tool ? what : name);
    ShowMDIChild();
    SetIcon(m_args.ObjectType);
}

// --- The loop frame ---------------------------------------------------------------------------

TListLoopGuard::TListLoopGuard(TfrmObject *form)
    : m_form(form)
{
    m_form->lstObject->OnChange = nullptr;
    ResetEscapeLatch();
}

TListLoopGuard::~TListLoopGuard()
{
    if (zkMainForm)
        zkMainForm->SetDefMessage();
    m_form->lstObject->OnChange = [f = m_form] { f->lstObjectChange(); };
}

// --- Dispatch ---------------------------------------------------------------------------------

QWidget *TfrmObject::OpenObject(int ObjectType, const QString &DataBase, const QString &Schema,
                                const QString &ObjectName, TOpenMode OpenMode, bool ShowRefObject, int DefTopRecord,
                                const QString &ParentObject)
{
    Q_UNUSED(ShowRefObject)
    try {
        QString table;
        if (ObjectType == kIndex) {
            table = IndexTableName(ParentObject);
        } else if (ObjectType == kIndexPartition) {
            // Only the selected item's own table column tells it.
            const int item = lstObject->SelectedIndex();
            for (int c = 1; item >= 0 && c < lstObject->ColumnCount(); ++c)
                if (lstObject->ColumnCaption(c) == kTableColumn)
                    table = lstObject->Item(item).SubItem(c - 1);
        }
        const TObjectWindowCall call =
            ObjectWindowCall(ObjectType, DataBase, Schema, ObjectName, OpenMode, DefTopRecord, table);
        if (call.WindowClass.isEmpty())
            return nullptr;
        return CreateRegisteredWindow(call.WindowClass, this, call.Args);
    } catch (const EAbort &) {
        // Open already (brought to the front), or refused quietly.
    } catch (const std::exception &e) {
        qCWarning(lcOpen) << "opening" << ObjectType << DataBase << Schema << ObjectName
                          << "failed:" << QString::fromUtf8(e.what());
    } catch (...) {
        qCWarning(lcOpen) << "opening" << ObjectType << DataBase << Schema << ObjectName << "failed";
    }
    return nullptr;
}

QString TfrmObject::IndexTableName(const QString &ParentObject) const
{
    if (!ParentObject.isEmpty())
        return ParentObject;
    const int item = lstObject->SelectedIndex();
    return item >= 0 ? IndexTableOf(item) : QString();
}

QString TfrmObject::IndexTableOf(int item) const
{
    if (item < 0 || item >= lstObject->ItemCount())
        return QString();
    const TzkTreeNode *node = lstTree->Selected();
    const bool oneKind = node && ListsOneKind(zkOption.TreeSort, node->Level());
    return lstObject->Item(item).SubItem(oneKind ? kOneKindTableDetail : kMixedParentDetail);
}

// --- The open commands ------------------------------------------------------------------------

void TfrmObject::actNewExecute(int kind)
{
    OpenObject(kind, dmSQLServer ? dmSQLServer->DataBase() : g_DataBase, GetCurrentSchema(), QString(), omDefine, false,
               0, QString());
}

void TfrmObject::OpenSelected(TOpenMode mode, int DefTopRecord)
{
    const int total = lstObject->SelCount();
    int counter = 0;
    int item = lstObject->SelectedIndex();
    while (item >= 0 && !IsEscapePressed()) {
        ++counter;
        if (zkMainForm)
            zkMainForm->SetLoopMessage(counter, total);
        // A copy: the list may change while the window opens.
        const TzkListItem listed = lstObject->Item(item);
        const QString parent = listed.ImageIndex == kIndex ? IndexTableOf(item) : QString();
        OpenObject(listed.ImageIndex, listed.SubItem(0), listed.SubItem(1), listed.Caption, mode, false, DefTopRecord,
                   QString());
        // Recorded whatever came of it: an object open already moves to the
        // front of the recent objects too.
        if (zkMainForm)
            zkMainForm->RecentObjectCheck(listed.ImageIndex, listed.SubItem(0), listed.SubItem(1), listed.Caption,
                                          parent);
        if (item < lstObject->ItemCount())
            lstObject->SetSelected(item, false);
        item = nextSelected(lstObject, item);
    }
}

void TfrmObject::OpenCommand(TOpenMode mode)
{
    if (lstObject->SelCount() == 0)
        return;
    TListLoopGuard guard(this);
    OpenSelected(mode, 0);
}

void TfrmObject::actOpenExecute()
{
    OpenCommand(zkOption.OpenMode);
}

void TfrmObject::actOpenDefineExecute()
{
    OpenCommand(omDefine);
}

void TfrmObject::actOpenSourceExecute()
{
    OpenCommand(omSource);
}

void TfrmObject::actOpenDataExecute()
{
    OpenCommand(omData);
}

void TfrmObject::actOpenDataTopExecute()
{
    if (lstObject->SelCount() == 0)
        return;
    TListLoopGuard guard(this);
    QString value = QString::number(zkOption.DefTopRecord);
    bool asDefault = false;
    QString owner;
    if (!InputQueryDialog(QStringLiteral("データを開く(件数指定)"), QStringLiteral("レコード件数"), value,
                          {{QStringLiteral("既定値にする"), &asDefault}}, {}, owner, true))
        return;
    if (value.trimmed().isEmpty())
        value = QStringLiteral("0");
    bool ok = false;
    const int rows = value.trimmed().toInt(&ok);
    if (!ok || rows < 0) {
        ShowAppMessage(QStringLiteral("レコード件数には 0 以上の数値を入力してください。"), MB_ICONWARNING);
        return;
    }
    if (asDefault && rows >= 1)
        zkOption.DefTopRecord = rows;
    OpenSelected(omData, rows);
}

void TfrmObject::actExecExecute()
{
    if (lstObject->SelCount() == 0)
        return;
    TListLoopGuard guard(this);
    const int total = lstObject->SelCount();
    int counter = 0;
    int item = lstObject->SelectedIndex();
    while (item >= 0 && !IsEscapePressed()) {
        lstObject->MakeVisible(item);
        ++counter;
        if (zkMainForm)
            zkMainForm->SetLoopMessage(counter, total);
        const TzkListItem listed = lstObject->Item(item);
        if (listed.ImageIndex == kProcedure || listed.ImageIndex == kFunction) {
            // Unprotected: a runner open already (EAbort) or a failure ends
            // the command.
            TOpenArgs args;
            args.ObjectType = listed.ImageIndex;
            args.DataBase = listed.SubItem(0);
            args.Schema = listed.SubItem(1);
            args.ObjectName = listed.Caption;
            CreateRegisteredWindow(QStringLiteral("TfrmExecProc"), this, args);
        }
        if (item < lstObject->ItemCount())
            lstObject->SetSelected(item, false);
        item = nextSelected(lstObject, item);
    }
}
