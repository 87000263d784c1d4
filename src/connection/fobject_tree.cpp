#include "connection/fobject.h"

#include "connection/fobject_p.h"
#include "controls/zkcomctrls.h"
#include "core/dsqlserver.h"
#include "core/zkactions.h"
#include "core/zkimagelist.h"
#include "core/zkoption.h"
#include "core/zkreg.h"
#include "core/zksub.h"
#include "platform/db/db.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>

// The database and object tree of the connection window.

namespace {

constexpr int kServerImage = 5;
constexpr int kDatabaseImage = 1;
constexpr int kLoginDatabaseImage = 116;
constexpr int kAzureDatabaseImage = 137;
constexpr int kTreeChangeDelay = 50;

// The kinds the tree offers, in code order, each behind its option.
struct TreeKind
{
    int code;
    bool TzkOption::*option;
};
const TreeKind kTreeKinds[] = {
    {45, &TzkOption::ShowTable}, {46, &TzkOption::ShowIndex},   {47, &TzkOption::ShowView},
    {51, &TzkOption::ShowProc},  {52, &TzkOption::ShowFunc},    {57, &TzkOption::ShowTrigger},
    {58, &TzkOption::ShowSeq},   {60, &TzkOption::ShowSynonym}, {66, &TzkOption::ShowConst},
};

bool isDatabaseImage(int image)
{
    return image == kDatabaseImage || image == kLoginDatabaseImage || image == kAzureDatabaseImage;
}

bool containsNoCase(const QStringList &list, const QString &name)
{
    return list.contains(name, Qt::CaseInsensitive);
}

} // namespace

QStringList TfrmObject::ConfiguredDatabases() const
{
    TzkRegistry reg;
    const QString key = TreeSettingsKey();
    if (!reg.KeyExists(key) || !reg.OpenKey(key, false))
        return {};
    QStringList names;
    for (const QString &line : reg.GetString(QStringLiteral("DataBase"), QString()).split(QLatin1Char('\n'))) {
        const QString name = QString(line).remove(QLatin1Char('\r'));
        if (!name.isEmpty())
            names << name;
    }
    return names;
}

void TfrmObject::ShowTree()
{
    // The list first: a failure leaves the tree as it was.
    QStringList names;
    GetDatabase(names);
    QString login = dmSQLServer->Connection->Params().Value(QStringLiteral("DataBase"));
    if (login.size() >= 2 && login.startsWith(QLatin1Char('"')) && login.endsWith(QLatin1Char('"')))
        login = login.mid(1, login.size() - 2);
    if (zkOption.UserFirst && names.contains(login)) {
        names.removeOne(login);
        names.prepend(login);
    }
    const QStringList configured = ConfiguredDatabases();

    // Built without the change event: a rebuild neither fills nor clears the list.
    lstTree->OnChange = nullptr;
    lstTree->ChangeDelay = 0;
    lstTree->BeginUpdate();
    lstTree->Clear();
    FRSelected = nullptr;

    QString version;
    try {
        TFDQuery *query = OpenSQL(QStringLiteral("SELECT SERVERPROPERTY(N'productversion')"));
        if (!query->Eof())
            version = query->Fields(0)->AsString();
        query->Close();
    } catch (const std::exception &) {
        // The root shows no version then.
    }
    TzkTreeNode *root = lstTree->AddChild(
        nullptr, (ServerParam() + QLatin1Char('(') + version + QLatin1Char(')')).trimmed(), kServerImage);

    QList<int> kinds;
    for (const TreeKind &k : kTreeKinds) {
        if (!(zkOption.*k.option))
            continue;
        if (k.code == 58 && (DBVer <= 10 || IsAzure))
            continue;
        if (k.code == 60 && DBVer <= 8)
            continue;
        kinds << k.code;
    }
    auto shown = [&](const QString &name) {
        if (Disp == 1)
            return name == login;
        // An empty list shows every database, as in the object list.
        if (Disp == 2 && !configured.isEmpty())
            return containsNoCase(configured, name);
        return true;
    };
    auto imageOf = [&](const QString &name) {
        if (name != login)
            return kDatabaseImage;
        return IsAzure ? kAzureDatabaseImage : kLoginDatabaseImage;
    };

    TzkTreeNode *loginNode = nullptr;
    if (zkOption.TreeSort == 0) {
        for (const QString &name : std::as_const(names)) {
            if (!shown(name))
                continue;
            TzkTreeNode *db = lstTree->AddChild(root, name, imageOf(name));
            for (int code : std::as_const(kinds))
                lstTree->AddChild(db, ObjTypeToName(code), code);
            if (name == login && !loginNode) {
                loginNode = db;
                db->SetExpanded(true);
                lstTree->SetSelected(db);
            }
        }
    } else {
        for (int code : std::as_const(kinds)) {
            TzkTreeNode *kind = lstTree->AddChild(root, ObjTypeToName(code), code);
            for (const QString &name : std::as_const(names))
                if (shown(name))
                    lstTree->AddChild(kind, name, imageOf(name));
        }
        root->SetExpanded(true);
        lstTree->SetSelected(root);
    }
    root->SetImageIndex(kServerImage);
    lstTree->EndUpdate();
    if (loginNode)
        lstTree->scrollTo(lstTree->IndexOfNode(loginNode), QAbstractItemView::PositionAtTop);

    lstTree->OnChange = [this](TzkTreeNode *) { lstTreeChange(); };
    lstTree->ChangeDelay = kTreeChangeDelay;
}

void TfrmObject::btnTreeClick()
{
    zkOption.TreeSort = btnTree2->isChecked() ? 1 : 0;
    btnLevel1->setToolTip(zkOption.TreeSort == 1
                              ? QStringLiteral("オブジェクトタイプ選択時にオブジェクト一覧を表示する")
                              : QStringLiteral("データベース選択時にオブジェクト一覧を表示する"));
    ShowTree();
}

void TfrmObject::btnLevel0Click()
{
    zkOption.ShowLevel0 = btnLevel0->isChecked();
}

void TfrmObject::btnLevel1Click()
{
    zkOption.ShowLevel1 = btnLevel1->isChecked();
}

void TfrmObject::cmbTreeChange(int index)
{
    if (!IsAzure && index == 2) {
        bool confirmed = false;
        try {
            confirmed = SelectDatabases && SelectDatabases(this);
        } catch (...) {
            // No dialog came (its database list failed): the filter stays
            // as it was, and so does the combo.
            cmbTree->setCurrentIndex(Disp);
            throw;
        }
        if (!confirmed) {
            cmbTree->setCurrentIndex(Disp);
            return;
        }
    }
    Disp = IsAzure ? 1 : index;
    ShowTree();
    lstTree->setFocus();
}

void TfrmObject::lstTreeChange()
{
    ShowObject(false);
}

void TfrmObject::popTreePopup()
{
    TzkTreeNode *node = lstTree->Selected();
    FRSelected = node;
    const int level = node ? node->Level() : -1;
    QAction *actNew = actObject->Find(QStringLiteral("actNew"));
    actNew->setVisible(node && ((zkOption.TreeSort == 0 && level == 2) || (zkOption.TreeSort == 1 && level >= 1)));
    if (node) {
        actNew->setIcon(lstTree->Images() ? lstTree->Images()->Icon(node->ImageIndex()) : QIcon());
        actNew->setProperty("ImageIndex", node->ImageIndex());
    }
    const bool database = node && isDatabaseImage(node->ImageIndex());
    for (const char *name : {"actLogon", "mnuTB1", "actUser", "actStorage", "actSession", "actLock", "actJob",
                             "actDatabase", "actBackUp", "actRestore", "actDetach"}) {
        if (QAction *action = popTree->findChild<QAction *>(QLatin1String(name)))
            action->setVisible(database);
        else if (QAction *command = actObject->Find(QLatin1String(name)))
            command->setVisible(database);
    }
    for (const char *name : {"actSession", "actStorage", "actLock", "actJob", "actBackUp", "actDetach", "actRestore"})
        actObject->Find(QLatin1String(name))->setEnabled(!IsAzure);
}

void TfrmObject::ConnectTreeAndList()
{
    lstTree->ChangeDelay = kTreeChangeDelay;
    lstTree->OnChange = [this](TzkTreeNode *) { lstTreeChange(); };

    popTree = new QMenu(this);
    popTree->setObjectName(QStringLiteral("popTree"));
    auto add = [this](const char *name) { popTree->addAction(actObject->Find(QLatin1String(name))); };
    add("actLogon");
    add("actNew");
    QAction *separator = popTree->addSeparator();
    separator->setObjectName(QStringLiteral("mnuTB1"));
    for (const char *name : {"actUser", "actSession", "actLock", "actStorage", "actDatabase", "actJob"})
        add(name);
    popTree->addSeparator();
    for (const char *name : {"actBackUp", "actRestore", "actDetach"})
        add(name);
    lstTree->OnContextPopup = [this](const QPoint &globalPos) {
        popTreePopup();
        popTree->popup(globalPos);
    };

    lstObject->OnChange = [this] { lstObjectChange(); };
    lstObject->OnClick = [this] { mnuObjectClick(); };
    lstObject->OnDblClick = [this] { actOpenExecute(); };
    lstObject->OnEnter = [this] { lstObjectEnter(); };
    lstObject->OnKeyDown = [this](QKeyEvent *event) { return lstObjectKeyDown(event); };
    lstObject->OnContextPopup = [this](const QPoint &globalPos) { lstObjectContextPopup(globalPos); };
    lstObject->OnEditing = [this](int item) { return lstObjectEditing(item); };
    lstObject->OnEdited = [this](int item, QString &text) { return lstObjectEdited(item, text); };
    lstObject->OnCustomDrawSubItem = [this](QPainter *painter, const QStyleOptionViewItem &option, int item, int column,
                                            bool &defaultDraw) {
        lstObjectCustomDrawSubItem(painter, option, item, column, defaultDraw);
    };

    connect(btnWhere, &QToolButton::clicked, this, [this] { ShowObject(false); });
    connect(cmbFind->lineEdit(), &QLineEdit::returnPressed, this, [this] { ShowObject(false); });
    cmbFind->installEventFilter(this);
    cmbFind->lineEdit()->installEventFilter(this);
    QAction *fragment = actObject->Find(QStringLiteral("actShowFragment"));
    actObject->SetOnExecute(fragment, [this] { ShowObject(false); });
}
