// The palette of the source-editor frame: the object tree, the column
// reverse lookup, and how their names reach the editor (command, Enter, drag).
#include "sqlwindow/rMemo.h"
#include "core/zkwaitcursor.h"

#include "connection/fobject.h"
#include "controls/zkcomctrls.h"
#include "core/dsqlserver.h"
#include "core/zkactions.h"
#include "core/zkapp.h"
#include "core/zkimagelist.h"
#include "core/zkoption.h"
#include "core/zkreg.h"
#include "core/zksub.h"
#include "core/zksub_dialogs.h"
#include "core/zksub_objtype.h"
#include "core/zksub_text.h"
#include "editorcontrol/edcellmap.h"
#include "editorcontrol/edrowlist.h"
#include "platform/db/db.h"
#include "sqleditor/zkmemo.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDrag>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QSpinBox>
#include <QStyle>
#include <QToolBox>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>

namespace {

const QString kDummy = QStringLiteral("dummy");
const QString kSearchPrompt = QStringLiteral("(検索)");
const QString kTreeMimeType = QStringLiteral("application/x-zk-objtree");
// The six categories under a database, in this order.
constexpr int kCategories[] = {45, 47, 60, 51, 52, 57};

bool onlyDummy(const TzkTreeNode *node)
{
    return node->Count() == 1 && node->Item(0)->Text() == kDummy;
}

QString upperAscii(QString s)
{
    for (QChar &c : s)
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - 32);
    return s;
}

// Closes a tree's or list's update block however the block ends.
template<class View>
class TUpdateBlock
{
public:
    explicit TUpdateBlock(View *view)
        : m_view(view)
    {
        m_view->BeginUpdate();
    }
    ~TUpdateBlock() { m_view->EndUpdate(); }
    TUpdateBlock(const TUpdateBlock &) = delete;
    TUpdateBlock &operator=(const TUpdateBlock &) = delete;

private:
    View *m_view;
};

} // namespace

// --- Texts --------------------------------------------------------------------------

int StrByteLength(const QString &text, int tabSpaceCount)
{
    int width = 0;
    for (QChar c : text) {
        if (c == u'\t')
            width += tabSpaceCount;
        else if (c.unicode() < 0x80)
            width += 1;
        else
            width += 2;
    }
    return width;
}

QString ObjTreeObjectListSQL(int dbVersion, const QString &typeList)
{
    QStringList pieces;
    if (dbVersion < 9) {
        // schema_name() does not exist before version 9; the owner is the
        // user of the uid there.
        pieces << QStringLiteral("select name,user_name(uid) from sysobjects")
               << QStringLiteral("where xtype in(") + typeList + u')' << QStringLiteral("order")
               << QStringLiteral("by user_name(uid),    name");
    } else {
        pieces << QStringLiteral("select name,schema_name(schema_id) from sys.objects")
               << QStringLiteral("where type in(") + typeList + u')' << QStringLiteral("order")
               << QStringLiteral("by schema_name(schema_id),    name");
    }
    QString sql;
    for (const QString &piece : pieces)
        sql += u' ' + piece;
    return sql;
}

QString ObjTreeTypeList(int kind, bool showSysObj)
{
    QStringList letters;
    GetObjTypeXTypes(kind, letters);
    if (kind == 45 && !showSysObj)
        letters = {QStringLiteral("U")};
    QStringList quoted;
    for (const QString &letter : letters)
        quoted << QuoteSQLStr(letter);
    return quoted.join(u',');
}

QString ObjTreeColumnListSQL(const QString &schema, const QString &name)
{
    return QStringLiteral(" select COLUMN_NAME from INFORMATION_SCHEMA.COLUMNS WHERE TABLE_SCHEMA = N")
           + QuoteSQLStr(schema) + QStringLiteral(" AND ") + QStringLiteral(" TABLE_NAME = N") + QuoteSQLStr(name)
           + QStringLiteral(" ORDER BY") + QStringLiteral(" ORDINAL_POSITION");
}

QString ColumnRefSearchSQL()
{
    // The join names the table by its quoted parts: a name with a full stop
    // or a bracket would otherwise find no object and drop out silently.
    return QStringLiteral("select  'COLUMN' AS \"OBJ_TYPE\" "
                          "       ,a.TABLE_CATALOG AS \"OBJ_DB\" "
                          "       ,a.COLUMN_NAME AS \"OBJ_NAME\" "
                          "       ,b.type AS \"REF_OBJ_TYPE\" "
                          "       ,a.TABLE_CATALOG AS \"REF_OBJ_DB\" "
                          "       ,TABLE_SCHEMA + '.' + TABLE_NAME AS \"REF_OBJ_NAME\" "
                          "       ,'' AS \"REF_DB_LINK\" "
                          "  from  INFORMATION_SCHEMA.COLUMNS a "
                          " inner  join sys.objects b "
                          "    on  object_id(QUOTENAME(TABLE_CATALOG) + '.' + QUOTENAME(TABLE_SCHEMA) + '.' + "
                          "QUOTENAME(TABLE_NAME)) = b.object_id "
                          " WHERE "
                          " a.TABLE_CATALOG = :p0"
                          " AND UPPER(COLUMN_NAME) LIKE :p1");
}

TfraMemo::TzkObjName TfraMemo::SplitObjName(const QString &Text)
{
    TzkObjName result;
    int dot = int(Text.indexOf(u'.'));
    if (dot < 0) {
        result.Name = Text;
        return result;
    }
    result.schema = Text.left(dot);
    result.Name = Text.mid(dot + 1);
    dot = int(result.Name.indexOf(u'.'));
    if (dot >= 0) {
        result.schema = result.Name.left(dot);
        result.Name = result.Name.mid(dot + 1);
    }
    return result;
}

QString BuildTreeSelText(std::vector<TNodeSelInfo> entries)
{
    std::stable_sort(entries.begin(), entries.end(), [](const TNodeSelInfo &a, const TNodeSelInfo &b) {
        if (a.nLevel != b.nLevel)
            return a.nLevel < b.nLevel;
        if (a.nParentIndex != b.nParentIndex)
            return a.nParentIndex < b.nParentIndex;
        return a.nIndex < b.nIndex;
    });
    auto isDatabaseImage = [](int image) { return image == kImgLoginDatabase || image == kImgAzureDatabase; };
    QString text;
    QString prefix;
    const int count = int(entries.size());
    for (int i = 0; i < count; ++i) {
        const TNodeSelInfo &e = entries[size_t(i)];
        if (!e.bParentExpanded)
            continue;
        if (i > 0 && !text.isEmpty()) {
            const TNodeSelInfo &prev = entries[size_t(i - 1)];
            if (e.nLevel >= 3 && e.nLevel == prev.nLevel && e.nObjType == prev.nObjType)
                text += QStringLiteral(", ");
            else if (!isDatabaseImage(prev.nObjType))
                text += u' ';
        }
        const bool objectKind = e.nObjType == 45 || e.nObjType == 47 || e.nObjType == 51 || e.nObjType == 52
                                || e.nObjType == 57 || e.nObjType == 60;
        if (!e.sDataBase.isEmpty()) {
            const TfraMemo::TzkObjName n = TfraMemo::SplitObjName(e.sText);
            text += BracketName(e.sDataBase) + u'.' + BracketName(n.schema) + u'.' + BracketName(n.Name);
        } else if (e.nLevel == 3 && objectKind) {
            const TfraMemo::TzkObjName n = TfraMemo::SplitObjName(e.sText);
            if (!prefix.isEmpty())
                text += prefix + u'.';
            text += BracketName(n.schema) + u'.' + BracketName(n.Name);
        } else if (isDatabaseImage(e.nObjType) && i != count - 1) {
            prefix = BracketName(e.sText);
            if (entries[size_t(i + 1)].nObjType == kImgDatabase)
                text += prefix + u' ';
        } else {
            text += BracketName(e.sText);
        }
    }
    return text;
}

int TfraMemo::StrByteLength(const QString &i_sText) const
{
    return ::StrByteLength(i_sText, txtSQL->Caret()->TabSpaceCount());
}

int TfraMemo::CellWidth(const QString &text) const
{
    return ExpandTabLength(text, txtSQL->CellMapOptions());
}

// --- Palette layout -----------------------------------------------------------------

void TfraMemo::CreatePalette()
{
    pnlToolPalette = new QWidget(this);
    pnlToolPalette->setObjectName(QStringLiteral("pnlToolPalette"));
    // The user may drag the palette narrow; the show rule widens it again.
    pnlToolPalette->setMinimumWidth(30);
    auto *palette = new QVBoxLayout(pnlToolPalette);
    palette->setContentsMargins(0, 0, 0, 0);
    palette->setSpacing(0);

    ctgToolPalette = new QToolBox(pnlToolPalette);
    ctgToolPalette->setObjectName(QStringLiteral("ctgToolPalette"));
    palette->addWidget(ctgToolPalette, 1);

    // The object tree.
    cpnlObjTree = new QWidget;
    cpnlObjTree->setObjectName(QStringLiteral("cpnlObjTree"));
    auto *treePage = new QVBoxLayout(cpnlObjTree);
    treePage->setContentsMargins(0, 0, 0, 0);
    treePage->setSpacing(2);
    pnlObjTreeHead = new QWidget(cpnlObjTree);
    pnlObjTreeHead->setObjectName(QStringLiteral("pnlObjTreeHead"));
    auto *treeHead = new QHBoxLayout(pnlObjTreeHead);
    treeHead->setContentsMargins(2, 2, 2, 0);
    cmbTree = new QComboBox(pnlObjTreeHead);
    cmbTree->setObjectName(QStringLiteral("cmbTree"));
    cmbTree->addItems({QStringLiteral("すべてのDB"), QStringLiteral("ログインDB"), QStringLiteral("設定")});
    cmbTree->setCurrentIndex(1);
    treeHead->addWidget(cmbTree, 1);
    treePage->addWidget(pnlObjTreeHead);
    trvObject = new TzkTreeView(cpnlObjTree);
    trvObject->setObjectName(QStringLiteral("trvObject"));
    trvObject->SetMultiSelect(true);
    // Pressing on a selected node keeps the others, so the whole selection
    // can be dragged; the drag itself is started here (StartTreeDrag).
    trvObject->setDragEnabled(true);
    if (zkMainForm)
        trvObject->SetImages(zkMainForm->imgMain());
    treePage->addWidget(trvObject, 1);
    ctgToolPalette->addItem(cpnlObjTree, QStringLiteral("オブジェクトツリー"));

    // The column reverse lookup.
    cpnlRefSearch = new QWidget;
    cpnlRefSearch->setObjectName(QStringLiteral("cpnlRefSearch"));
    auto *listPage = new QVBoxLayout(cpnlRefSearch);
    listPage->setContentsMargins(0, 0, 0, 0);
    listPage->setSpacing(2);
    pnlObjListHead = new QWidget(cpnlRefSearch);
    pnlObjListHead->setObjectName(QStringLiteral("pnlObjListHead"));
    auto *listHead = new QHBoxLayout(pnlObjListHead);
    listHead->setContentsMargins(2, 2, 2, 0);
    listHead->setSpacing(2);
    cmbList = new QComboBox(pnlObjListHead);
    cmbList->setObjectName(QStringLiteral("cmbList"));
    cmbList->addItems({QStringLiteral("すべてのDB"), QStringLiteral("ログインDB"), QStringLiteral("設定")});
    cmbList->setCurrentIndex(1);
    listHead->addWidget(cmbList);
    txtListSearch = new QLineEdit(pnlObjListHead);
    txtListSearch->setObjectName(QStringLiteral("txtListSearch"));
    listHead->addWidget(txtListSearch, 1);
    btnListSearch = new QToolButton(pnlObjListHead);
    btnListSearch->setObjectName(QStringLiteral("btnListSearch"));
    btnListSearch->setToolTip(QStringLiteral("項目名を検索"));
    btnListSearch->setIcon(QApplication::style()->standardIcon(QStyle::SP_FileDialogContentsView));
    listHead->addWidget(btnListSearch);
    listPage->addWidget(pnlObjListHead);
    lstObject = new TzkListView(cpnlRefSearch);
    lstObject->setObjectName(QStringLiteral("lstObject"));
    lstObject->SetMultiSelect(true);
    lstObject->SetRowSelect(true);
    lstObject->SetDragEnabled(true);
    lstObject->AddColumn(QStringLiteral("親オブジェクト"), 120);
    lstObject->AddColumn(QStringLiteral("検索対象"), 120);
    if (zkMainForm)
        lstObject->SetImages(zkMainForm->imgMain());
    listPage->addWidget(lstObject, 1);
    ctgToolPalette->addItem(cpnlRefSearch, QStringLiteral("逆引き検索"));

    // The conversion rules: their own unit fills the section.
    cpnlConvert = new QWidget;
    cpnlConvert->setObjectName(QStringLiteral("cpnlConvert"));
    ctgToolPalette->addItem(cpnlConvert, QStringLiteral("SQLのプログラムソース化"));
    if (BuildConvertSection)
        BuildConvertSection(this, cpnlConvert);

    pnlToolPaletteFooter = new QWidget(pnlToolPalette);
    pnlToolPaletteFooter->setObjectName(QStringLiteral("pnlToolPaletteFooter"));
    pnlToolPaletteFooter->setFixedHeight(36);
    auto *footer = new QHBoxLayout(pnlToolPaletteFooter);
    footer->setContentsMargins(4, 2, 4, 2);
    lblFontSize = new QLabel(QStringLiteral("フォントサイズ"), pnlToolPaletteFooter);
    lblFontSize->setObjectName(QStringLiteral("lblFontSize"));
    footer->addWidget(lblFontSize);
    spnFontSize = new QSpinBox(pnlToolPaletteFooter);
    spnFontSize->setObjectName(QStringLiteral("spnFontSize"));
    spnFontSize->setRange(6, 50);
    spnFontSize->setValue(10);
    footer->addWidget(spnFontSize);
    footer->addStretch(1);
    btnToolPaletteClose = new QToolButton(pnlToolPaletteFooter);
    btnToolPaletteClose->setObjectName(QStringLiteral("btnToolPaletteClose"));
    btnToolPaletteClose->setText(QStringLiteral("パレットを閉じる"));
    footer->addWidget(btnToolPaletteClose);
    palette->addWidget(pnlToolPaletteFooter);

    popObjTree = new QMenu(this);
    popObjTree->setObjectName(QStringLiteral("popObjTree"));
    popObjTree->addAction(actInsertNodeText);
    popObjTree->addSeparator();
    popObjTree->addActions({actTreeSelectAllCol, actTreeExpandAllNode, actTreeCollapseAllNode, actRefreshObjectTree});
    popObjTree->addSeparator();
    popObjTree->addAction(actOpenDefineForTree);
    popObjList = new QMenu(this);
    popObjList->setObjectName(QStringLiteral("popObjList"));
    popObjList->addAction(actInsertListText);
    popObjList->addSeparator();
    popObjList->addAction(actOpenDefineforList);
    connect(popObjTree, &QMenu::aboutToShow, this, [this] { UpdateActions(); });
    connect(popObjList, &QMenu::aboutToShow, this, [this] { UpdateActions(); });

    // Events.
    connect(spnFontSize, &QSpinBox::valueChanged, this, [this](int size) {
        TFont font = txtSQL->Font();
        if (font.pointSize() != size) {
            font.setPointSize(size);
            txtSQL->SetFont(font);
        }
    });
    connect(btnToolPaletteClose, &QToolButton::clicked, this, [this] { actHidePaletteExecute(); });
    connect(cmbTree, &QComboBox::activated, this, [this](int index) { cmbTreeSelect(index); });
    connect(cmbList, &QComboBox::activated, this, [this](int index) { cmbListSelect(index); });
    connect(btnListSearch, &QToolButton::clicked, this, [this] {
        SearchColumnRefs();
        if (txtListSearch->text().isEmpty() && !txtListSearch->hasFocus())
            SetListSearchPrompt(true);
    });
    trvObject->OnExpanding = [this](TzkTreeNode *node) {
        // A failure leaves the node empty; the tree goes on.
        try {
            trvObjectExpanding(node);
        } catch (const std::exception &e) {
            TzkApplication::HandleException(e);
        }
    };
    trvObject->OnContextPopup = [this](const QPoint &globalPos) {
        if (TzkTreeNode *current = trvObject->NodeFromIndex(trvObject->currentIndex());
            current && trvObject->SelectionCount() == 0)
            trvObject->SetSelected(current);
        popObjTree->exec(globalPos);
    };
    lstObject->OnContextPopup = [this](const QPoint &globalPos) {
        if (lstObject->ItemFocused() >= 0)
            lstObject->SetSelected(lstObject->ItemFocused(), true);
        popObjList->exec(globalPos);
    };
    lstObject->OnDblClick = [this] { OpenDefineForList(); };
    trvObject->installEventFilter(this);
    trvObject->viewport()->installEventFilter(this);
    txtListSearch->installEventFilter(this);
}

void TfraMemo::SetListSearchPrompt(bool prompt)
{
    QPalette colours = txtListSearch->palette();
    if (prompt) {
        txtListSearch->setText(kSearchPrompt);
        colours.setColor(QPalette::Text, QColor(0x80, 0x80, 0x80));
    } else {
        if (m_showingPrompt && txtListSearch->text() == kSearchPrompt)
            txtListSearch->clear();
        colours.setColor(QPalette::Text, Qt::black);
    }
    txtListSearch->setPalette(colours);
    m_showingPrompt = prompt;
}

void TfraMemo::UpdateActions()
{
    actEditor->UpdateActions();
}

// --- Databases ---------------------------------------------------------------------

QStringList TfraMemo::DisplayDatabases(int mode) const
{
    TfrmObject *owner = L_wOwnerForm.data();
    if (!owner)
        return {};
    QStringList names;
    switch (mode) {
    case 0: owner->GetDatabase(names); break;
    case 1:
        if (owner->dmSQLServer)
            names << owner->dmSQLServer->DataBase();
        break;
    default: names = owner->ConfiguredDatabases(); break;
    }
    return names;
}

// --- Object tree --------------------------------------------------------------------

void TfraMemo::BuildObjectTree()
{
    TfrmObject *owner = L_wOwnerForm.data();
    TzkTreeNode *login = nullptr;
    {
        TUpdateBlock<TzkTreeView> update(trvObject);
        trvObject->Clear();
        if (!owner || !owner->dmSQLServer)
            return;
        QString version;
        try {
            TFDQuery *query = owner->OpenSQL(QStringLiteral("SELECT SERVERPROPERTY(N'productversion')"));
            if (!query->Eof())
                version = query->Fields(0)->AsString();
            query->Close();
        } catch (const std::exception &) {
            // The root then reads the server's name and "()".
        }
        TzkTreeNode *root =
            trvObject->AddChild(nullptr, owner->dmSQLServer->Server() + u'(' + version + u')', kImgServer);
        QStringList names = DisplayDatabases(cmbTree->currentIndex());
        const QString loginDatabase = owner->dmSQLServer->DataBase();
        if (zkOption.UserFirst && names.size() > 1) {
            const int at = int(names.indexOf(loginDatabase));
            if (at > 0)
                names.move(at, 0);
        }
        for (const QString &name : names) {
            const int image =
                name == loginDatabase ? (owner->IsAzure ? kImgAzureDatabase : kImgLoginDatabase) : kImgDatabase;
            TzkTreeNode *database = trvObject->AddChild(root, name, image);
            for (int kind : kCategories)
                trvObject->AddChild(database, ObjTypeToName(kind), kind);
            if (image == kImgLoginDatabase && !login)
                login = database;
        }
        root->Expand(false);
        if (login) {
            login->Expand(false);
            trvObject->SetSelected(login);
        }
    }
    if (login)
        trvObject->scrollTo(trvObject->IndexOfNode(login), QAbstractItemView::PositionAtTop);
}

void TfraMemo::trvObjectExpanding(TzkTreeNode *Node)
{
    const int image = Node->ImageIndex();
    if (image == kImgDatabase || image == kImgLoginDatabase || image == kImgAzureDatabase) {
        TUpdateBlock<TzkTreeView> update(trvObject);
        for (int i = 0; i < Node->Count(); ++i)
            if (!Node->Item(i)->HasChildren())
                trvObject->AddChild(Node->Item(i), kDummy);
        return;
    }
    if (!onlyDummy(Node))
        return;
    TzkTreeNode *parent = Node->Parent();
    if ((image == 45 || image == 47) && parent && parent->ImageIndex() == image) {
        TUpdateBlock<TzkTreeView> update(trvObject);
        trvObject->DeleteNode(Node->Item(0));
        const TzkObjName name = SplitObjName(Node->Text());
        TzkTreeNode *database = parent->Parent();
        GetColumnList(Node, database ? database->Text() : QString(), name.schema, name.Name);
    } else if (image >= 45 && image <= 66 && parent) {
        TUpdateBlock<TzkTreeView> update(trvObject);
        trvObject->DeleteNode(Node->Item(0));
        GetObjectList(Node, parent->Text(), ObjTreeTypeList(image, zkOption.ShowSysObj));
    }
}

void TfraMemo::GetObjectList(TzkTreeNode *Parent, const QString &Database, const QString &TypeList)
{
    TfrmObject *owner = L_wOwnerForm.data();
    if (!owner || !owner->dmSQLServer)
        return;
    owner->ExecuteSQL(QStringLiteral("use ") + BracketCatalogName(Database));
    qryObjTree->SetConnection(owner->dmSQLServer->Connection);
    qryObjTree->Open(ObjTreeObjectListSQL(owner->DBVer, TypeList));
    const int image = Parent->ImageIndex();
    const bool withColumns = image == 45 || image == 47;
    while (!qryObjTree->Eof()) {
        TzkTreeNode *node = trvObject->AddChild(
            Parent, qryObjTree->Fields(1)->AsString() + u'.' + qryObjTree->Fields(0)->AsString(), image);
        if (withColumns)
            trvObject->AddChild(node, kDummy);
        qryObjTree->Next();
    }
    qryObjTree->Close();
}

void TfraMemo::GetColumnList(TzkTreeNode *Parent, const QString &Database, const QString &Schema, const QString &Name)
{
    TfrmObject *owner = L_wOwnerForm.data();
    if (!owner || !owner->dmSQLServer)
        return;
    owner->ExecuteSQL(QStringLiteral("use ") + BracketCatalogName(Database));
    qryObjTree->SetConnection(owner->dmSQLServer->Connection);
    qryObjTree->Open(ObjTreeColumnListSQL(Schema, Name));
    while (!qryObjTree->Eof()) {
        trvObject->AddChild(Parent, qryObjTree->Fields(0)->AsString(), kImgColumn);
        qryObjTree->Next();
    }
    qryObjTree->Close();
}

void TfraMemo::cmbTreeSelect(int index)
{
    if (index == 2
        && (!TfrmObject::SelectDatabases || !L_wOwnerForm || !TfrmObject::SelectDatabases(L_wOwnerForm.data()))) {
        const QSignalBlocker block(cmbTree);
        cmbTree->setCurrentIndex(L_nSchemaDisp);
        return;
    }
    BuildObjectTree();
    L_nSchemaDisp = index;
    if (zkReg && zkReg->OpenKey(ZK_REG_ROOT + QStringLiteral("\\EDITOR"), false)) {
        zkReg->WriteInteger(QStringLiteral("SchemaDisp"), L_nSchemaDisp);
        zkReg->CloseKey();
    }
    trvObject->setFocus();
}

void TfraMemo::cmbListSelect(int index)
{
    if (index == 2
        && (!TfrmObject::SelectDatabases || !L_wOwnerForm || !TfrmObject::SelectDatabases(L_wOwnerForm.data())))
        return;
    BuildObjectTree();
    cmbList->setFocus();
}

// --- Column lookup ------------------------------------------------------------------

void TfraMemo::SearchColumnRefs()
{
    TfrmObject *owner = L_wOwnerForm.data();
    TUpdateBlock<TzkListView> update(lstObject);
    lstObject->ClearItems();
    if (!owner || !owner->dmSQLServer)
        return;
    const QString text = m_showingPrompt && txtListSearch->text() == kSearchPrompt ? QString() : txtListSearch->text();
    const QString pattern = u'%' + upperAscii(text.trimmed()) + u'%';
    const bool loginMode = cmbList->currentIndex() == 1;
    for (const QString &database : DisplayDatabases(cmbList->currentIndex())) {
        if (owner->DBVer < 10)
            return;
        owner->ExecuteSQL(QStringLiteral("use ") + BracketCatalogName(database));
        qryObjList->SetConnection(owner->dmSQLServer->Connection);
        qryObjList->Close();
        qryObjList->SetSQL(ColumnRefSearchSQL());
        qryObjList->ParamByName(QStringLiteral("p0")).SetAsWideString(database);
        qryObjList->ParamByName(QStringLiteral("p1")).SetAsWideString(pattern);
        qryObjList->Open();
        while (!qryObjList->Eof()) {
            const QString refDb = qryObjList->FieldByName(QStringLiteral("REF_OBJ_DB"))->AsString();
            const QString refName = qryObjList->FieldByName(QStringLiteral("REF_OBJ_NAME"))->AsString();
            lstObject->AddItem(loginMode ? refName : refDb + u'.' + refName,
                               ObjTypeFromXType(qryObjList->FieldByName(QStringLiteral("REF_OBJ_TYPE"))->AsString()),
                               {qryObjList->FieldByName(QStringLiteral("OBJ_NAME"))->AsString(), refDb,
                                qryObjList->FieldByName(QStringLiteral("REF_DB_LINK"))->AsString()});
            qryObjList->Next();
        }
        qryObjList->Close();
    }
}

// --- Selection texts -------------------------------------------------------------------

QString TfraMemo::GetTreeSelText() const
{
    std::vector<TNodeSelInfo> entries;
    for (TzkTreeNode *node : trvObject->Selections()) {
        TNodeSelInfo e;
        e.sText = node->Text();
        e.nObjType = node->ImageIndex();
        e.nLevel = node->Level();
        e.nIndex = node->Index();
        if (TzkTreeNode *parent = node->Parent()) {
            e.nParentIndex = parent->Index();
            e.bParentExpanded = parent->Expanded();
            TzkTreeNode *grandparent = parent->Parent();
            if (e.nLevel == 3 && grandparent && grandparent->ImageIndex() == kImgDatabase)
                e.sDataBase = grandparent->Text();
        }
        entries.push_back(e);
    }
    return BuildTreeSelText(std::move(entries));
}

QString TfraMemo::GetListSelText() const
{
    const QString login = L_wOwnerForm && L_wOwnerForm->dmSQLServer ? L_wOwnerForm->dmSQLServer->DataBase() : QString();
    QString text;
    bool first = true;
    for (int index : lstObject->SelectedItems()) {
        const TzkListItem &item = lstObject->Item(index);
        if (!first)
            text += u' ';
        first = false;
        const QString database = item.SubItem(1);
        const TzkObjName n = SplitObjName(item.Caption);
        if (!database.isEmpty() && database != login)
            text += BracketName(database) + u'.';
        text += BracketName(n.schema) + u'.' + BracketName(n.Name);
    }
    return text;
}

// --- Into the editor ---------------------------------------------------------------------

void TfraMemo::InsertNodeText(const QString &Text)
{
    if (Text.isEmpty())
        return;
    const TEditorScreenStrings &rows = *txtSQL->InternalList();
    const int R = txtSQL->Row();
    const int C = txtSQL->Col();
    const int I = ColToChar(rows, txtSQL->CellMapOptions(), R, C);
    const int L = RowToLines(rows, txtSQL->WordWrap(), R);
    TEditorStrings *lines = txtSQL->Lines();
    {
        TUpdateBlock<TEditorStrings> update(lines);
        if (lines->Count() == L)
            lines->Add(QString());
        if (txtSQL->SelectedData()) {
            txtSQL->SetSelTextBuf(Text);
        } else {
            QString line = lines->Get(L);
            line.insert(std::clamp(I, 0, int(line.size())), Text);
            lines->Put(L, line);
        }
    }
    txtSQL->setFocus();
    txtSQL->SetRowCol(R, C + CellWidth(Text));
}

void TfraMemo::DropText(const QString &Text, int R, int C)
{
    const TCellMapOptions options = txtSQL->CellMapOptions();
    // Screen rows and the selection's character indexes compare as indexes
    // into the row (ColToChar counts from its logical line's start).
    bool inside = false;
    if (txtSQL->SelectedData() && R >= 0) {
        const TSelectedPosition sel = txtSQL->SelStrPosition();
        const TEditorScreenStrings &rows = *txtSQL->InternalList();
        const int c = ColToChar(rows, options, R, C) - ColToChar(rows, options, R, 0);
        if (sel.Sr == sel.Er)
            inside = R == sel.Sr && sel.Sc < c && c < sel.Ec;
        else
            inside = (R == sel.Sr && c > sel.Sc) || (sel.Sr < R && R < sel.Er) || (R == sel.Er && c < sel.Ec);
    }
    TEditorStrings *lines = txtSQL->Lines();
    while (txtSQL->ListCount() < R + 1)
        lines->Add(QString());
    if (inside) {
        txtSQL->SetSelTextBuf(Text);
        return;
    }
    const TEditorScreenStrings &rows = *txtSQL->InternalList();
    const int L = RowToLines(rows, txtSQL->WordWrap(), R);
    const int cells = txtSQL->RowCells(R);
    QString line = lines->Get(L);
    if (cells < C) {
        const int at = ColToChar(rows, options, R, cells);
        line.insert(std::clamp(at, 0, int(line.size())), QString(C - cells, u' ') + Text);
    } else {
        line.insert(std::clamp(ColToChar(rows, options, R, C), 0, int(line.size())), Text);
    }
    lines->Put(L, line);
    txtSQL->SetRowCol(R, C + CellWidth(Text));
}

bool TfraMemo::IsOwnDragSource(const QObject *Source) const
{
    const auto *widget = qobject_cast<const QWidget *>(Source);
    if (!widget)
        return false;
    return widget == trvObject || trvObject->isAncestorOf(widget) || widget == lstObject
           || lstObject->isAncestorOf(widget);
}

void TfraMemo::StartTreeDrag()
{
    if (trvObject->SelectionCount() == 0)
        return;
    auto *data = new QMimeData;
    data->setData(kTreeMimeType, GetTreeSelText().toUtf8());
    auto *drag = new QDrag(trvObject);
    drag->setMimeData(data);
    drag->exec(Qt::CopyAction);
}

bool TfraMemo::txtSQLDragOver(QDropEvent *event)
{
    if (!IsOwnDragSource(event->source())) {
        event->ignore();
        return false;
    }
    txtSQL->setFocus();
    TEditorCaret *caret = txtSQL->Caret();
    const bool freeCaret = caret->FreeCaret();
    const bool locked = txtSQL->LockScrollCaret();
    caret->SetFreeCaret(true);
    txtSQL->SetLockScrollCaret(true);
    int row = 0;
    int col = 0;
    const QPoint pos = event->position().toPoint();
    txtSQL->PosToRowCol(pos.x(), pos.y(), row, col, true);
    txtSQL->SetRowCol(row, col);
    caret->SetFreeCaret(freeCaret);
    txtSQL->SetLockScrollCaret(locked);
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return true;
}

void TfraMemo::txtSQLDragDrop(QDropEvent *event)
{
    const QObject *source = event->source();
    if (!IsOwnDragSource(source)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    const auto *widget = qobject_cast<const QWidget *>(source);
    const bool fromTree = widget == trvObject || trvObject->isAncestorOf(widget);
    try {
        const QString text = fromTree ? GetTreeSelText() : GetListSelText();
        int row = 0;
        int col = 0;
        const QPoint pos = event->position().toPoint();
        txtSQL->PosToRowCol(pos.x(), pos.y(), row, col, true);
        DropText(text, row, col);
        if (fromTree)
            trvObject->SetSelected(trvObject->Selected());
    } catch (...) {
        // A drop inserts nothing when it fails, and says nothing.
    }
}

// --- Keys ------------------------------------------------------------------------------

void TfraMemo::UndoRedoFrom(QWidget *view, bool redo)
{
    if (redo ? !txtSQL->CanRedo() : !txtSQL->CanUndo())
        return;
    txtSQL->setFocus();
    if (redo)
        txtSQL->Redo();
    else
        txtSQL->Undo();
    view->setFocus();
}

bool TfraMemo::TreeKeyEvent(QKeyEvent *event, bool press)
{
    if (event->isAutoRepeat())
        return false;
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (press) {
        if (enter)
            L_bObjRtnKey = true;
        return false;
    }
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    if (trvObject->SelectionCount() > 0) {
        if (enter && L_bObjRtnKey)
            InsertNodeText(GetTreeSelText());
        else if (ctrl && event->key() == Qt::Key_Z)
            UndoRedoFrom(trvObject, false);
        else if (ctrl && event->key() == Qt::Key_Y)
            UndoRedoFrom(trvObject, true);
    }
    L_bObjRtnKey = false;
    return false;
}

bool TfraMemo::ListKeyEvent(QKeyEvent *event, bool press)
{
    if (press || event->isAutoRepeat() || lstObject->SelCount() == 0)
        return false;
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    QWidget *view = lstObject->CurrentView();
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        InsertNodeText(GetListSelText());
    else if (ctrl && event->key() == Qt::Key_Z)
        UndoRedoFrom(view, false);
    else if (ctrl && event->key() == Qt::Key_Y)
        UndoRedoFrom(view, true);
    return false;
}

// --- Tree commands -----------------------------------------------------------------------

void TfraMemo::TreeSelectAllCol()
{
    const QList<TzkTreeNode *> nodes = trvObject->Selections();
    if (nodes.size() != 1)
        return;
    TzkTreeNode *node = nodes.first();
    TSQLWaitCursor wait;
    const int image = node->ImageIndex();
    if (image == 45 || image == 47) {
        if (!node->Expanded()) {
            TUpdateBlock<TzkTreeView> update(trvObject);
            node->Expand(true);
        }
        trvObject->AddToSelection(node);
        for (int i = 0; i < node->Count(); ++i)
            trvObject->AddToSelection(node->Item(i));
    } else if (image == kImgColumn && node->Parent()) {
        TzkTreeNode *parent = node->Parent();
        for (int i = 0; i < parent->Count(); ++i)
            if (parent->Item(i) != node)
                trvObject->AddToSelection(parent->Item(i));
    }
}

void TfraMemo::TreeExpandAllNode()
{
    TzkTreeNode *node = trvObject->Selected();
    if (!node)
        return;
    if (ShowAppMessage(QStringLiteral("情報を取得するのに時間がかかる可能性があります。\r\nノードをすべて開きますか？"),
                       MB_YESNO | MB_ICONWARNING)
        != IDYES)
        return;
    TSQLWaitCursor wait;
    TUpdateBlock<TzkTreeView> update(trvObject);
    node->Expand(true);
}

void TfraMemo::TreeCollapseAllNode()
{
    TzkTreeNode *node = trvObject->Selected();
    if (!node)
        return;
    TSQLWaitCursor wait;
    TUpdateBlock<TzkTreeView> update(trvObject);
    node->Collapse(true);
}

// --- Opening objects ----------------------------------------------------------------------

void TfraMemo::OpenDefineForTree()
{
    TzkTreeNode *node = trvObject->Selected();
    if (!node || !L_wOwnerForm)
        return;
    TzkTreeNode *object = node->Level() == 3 ? node : node->Level() == 4 ? node->Parent() : nullptr;
    if (!object || !object->Parent() || !object->Parent()->Parent())
        return;
    const TzkObjName n = SplitObjName(object->Text());
    const int kind = object->ImageIndex();
    if (!n.Name.isEmpty() && kind >= 0)
        L_wOwnerForm->OpenObject(kind, object->Parent()->Parent()->Text(), n.schema, n.Name, omDefine, false, 0,
                                 QString());
}

void TfraMemo::OpenDefineForList()
{
    const QList<int> selected = lstObject->SelectedItems();
    if (selected.size() != 1 || !L_wOwnerForm)
        return;
    const TzkListItem &item = lstObject->Item(selected.first());
    const TzkObjName n = SplitObjName(item.Caption);
    if (!n.Name.isEmpty() && item.ImageIndex >= 0)
        L_wOwnerForm->OpenObject(item.ImageIndex, item.SubItem(1), n.schema, n.Name, omDefine, false, 0, QString());
}
