#include "editors/table/ftable.h"

#include "connection/fobject.h"
#include "connection/fobject_open.h"
#include "connection/fobject_script.h"
#include "controls/fprint.h"
#include "controls/rdata.h"
#include "controls/zkgrid.h"
#include "controls/zkstdctl.h"
#include "core/dsqlserver.h"
#include "core/zkCommonData.h"
#include "core/zkactions.h"
#include "core/zkimagelist.h"
#include "core/zkreg.h"
#include "core/zksub.h"
#include "core/zksub_dialogs.h"
#include "core/zksub_files.h"
#include "core/zksub_history.h"
#include "core/zksub_text.h"
#include "core/zkwaitcursor.h"
#include "editors/rcross.h"
#include "editors/rgrant.h"
#include "editors/rstorage.h"
#include "platform/db/dbquery.h"
#include "platform/encoding/textencoding.h"
#include "sqleditor/zkmemo.h"
#include "sqleditor/zksub_codeassist.h"
#include "sqlwindow/ftablelist.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QSplitter>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const QString kCRLF = QStringLiteral("\r\n");

QIcon Image(int index)
{
    return zkMainForm && zkMainForm->imgMain() ? zkMainForm->imgMain()->Icon(index) : QIcon();
}

QLabel *Label(const QString &text, QWidget *parent)
{
    return new QLabel(text, parent);
}

template<class W>
W *Named(W *w, const char *name)
{
    w->setObjectName(QLatin1String(name));
    return w;
}

QToolButton *Button(const QString &text, const char *name, QWidget *parent)
{
    auto *b = Named(new QToolButton(parent), name);
    b->setText(text);
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    return b;
}

// Sets a flag for the life of a scope.
struct FlagScope
{
    bool &flag;
    bool old;
    explicit FlagScope(bool &f)
        : flag(f)
        , old(f)
    {
        flag = true;
    }
    ~FlagScope() { flag = old; }
};

} // namespace

TfrmTable::TfrmTable(TfrmObject *owner)
    : TfrmObjectEditor(owner)
{
    setObjectName(QStringLiteral("frmTable"));
    resize(900, 520);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // The page control comes first: InitForm sends Ctrl+PgUp/PgDn to the
    // first tab widget it finds.
    pagObject = CreatePages(this);
    pagObject->setObjectName(QStringLiteral("pagObject"));
    auto *header = Named(new QWidget(this), "pnlHeader");
    BuildHeader(header);
    layout->addWidget(header);
    layout->addWidget(pagObject, 1);

    tabDefine = Named(new QWidget, "tabDefine");
    tabSource = Named(new QWidget, "tabSource");
    tabData = Named(new QWidget, "tabData");
    tabStorage = Named(new QWidget, "tabStorage");
    tabGrant = Named(new QWidget, "tabGrant");
    tabCross = Named(new QWidget, "tabCross");
    tabTemporal = Named(new QWidget, "tabTemporal");
    BuildDefineTab();
    auto *sourceLayout = new QVBoxLayout(tabSource);
    sourceLayout->setContentsMargins(0, 0, 0, 0);
    fraMemo = Named(new TfraMemo(tabSource), "fraMemo");
    sourceLayout->addWidget(fraMemo);
    BuildDataTab();
    auto *storageLayout = new QVBoxLayout(tabStorage);
    fraStorage = new TfraStorage(tabStorage);
    storageLayout->addWidget(fraStorage);
    auto *grantLayout = new QVBoxLayout(tabGrant);
    grantLayout->setContentsMargins(0, 0, 0, 0);
    fraGrant = new TfraGrant(tabGrant);
    grantLayout->addWidget(fraGrant);
    auto *crossLayout = new QVBoxLayout(tabCross);
    crossLayout->setContentsMargins(0, 0, 0, 0);
    fraCross = new TfraCross(tabCross);
    crossLayout->addWidget(fraCross);
    BuildTemporalTab();
    pagObject->addTab(tabDefine, QStringLiteral("定義情報"));
    pagObject->addTab(tabSource, QStringLiteral("ソース"));
    pagObject->addTab(tabData, QStringLiteral("データ"));
    pagObject->addTab(tabStorage, QStringLiteral("領域情報"));
    pagObject->addTab(tabGrant, QStringLiteral("権限"));
    pagObject->addTab(tabCross, QStringLiteral("依存関係"));
    pagObject->addTab(tabTemporal, QStringLiteral("テンポラル"));

    for (auto **q : {&qryTable, &qryColumn, &qryConst1, &qryConst2, &qryConst3, &qryTemporal, &qryConstDef, &qrySQL})
        *q = new TFDQuery(this);
    qryTable->setObjectName(QStringLiteral("qryTable"));
    qryColumn->setObjectName(QStringLiteral("qryColumn"));
    qrySQL->setObjectName(QStringLiteral("qrySQL"));

    BuildActions();

    // Edits of the user set Modified; the load's own fills do not.
    connect(txtComment, &QLineEdit::textChanged, this, [this] { Onchange(); });
    connect(txtName, &QLineEdit::textChanged, this, [this] { Onchange(); });
    connect(cmbSchema, &QComboBox::currentTextChanged, this, [this] { Onchange(); });
    connect(cmbDataBase, &QComboBox::currentTextChanged, this, [this] { Onchange(); });
    if (fraMemo->txtSQL)
        connect(fraMemo->txtSQL, &TzkMemo::OnChange, this, [this] { Onchange(); });
    grdColumn->OnSetEditText = [this](TzkStringGrid *, int, int, const QString &) { Onchange(); };
    cmbDataBase->OnDropDown = [this] { cmbDatabaseDropDown(); };
    cmbSchema->OnDropDown = [this] { cmbSchemaDropDown(); };
    connect(pagObject, &QTabWidget::currentChanged, this, [this] { TzkIdleUpdate::Request(); });
}

TfrmTable::~TfrmTable() = default;

void TfrmTable::BuildHeader(QWidget *header)
{
    auto *h = new QHBoxLayout(header);
    h->setContentsMargins(0, 0, 4, 0);
    pnlPersonalColor = Named(new QFrame(header), "pnlPersonalColor");
    pnlPersonalColor->setFixedWidth(12);
    pnlPersonalColor->setAutoFillBackground(true);
    h->addWidget(pnlPersonalColor);
    tolCmd = Named(new QToolBar(header), "tolCmd");
    tolCmd->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    tolCmd->setIconSize(QSize(16, 16));
    h->addWidget(tolCmd);
    h->addStretch(1);
    pnlName = Named(new QWidget(header), "pnlName");
    auto *g = new QGridLayout(pnlName);
    g->setContentsMargins(4, 2, 4, 2);
    g->setVerticalSpacing(1);
    cmbDataBase = Named(new TzkDropDownComboBox(pnlName), "cmbDataBase");
    cmbDataBase->SetEditable(true);
    cmbSchema = Named(new TzkDropDownComboBox(pnlName), "cmbSchema");
    cmbSchema->SetEditable(true);
    txtName = Named(new TzkStrEdit(pnlName), "txtName");
    cmbDataBase->setMinimumWidth(120);
    cmbSchema->setMinimumWidth(90);
    txtName->setMinimumWidth(160);
    g->addWidget(Label(QStringLiteral("データベース"), pnlName), 0, 0);
    g->addWidget(Label(QStringLiteral("所有者"), pnlName), 0, 1);
    g->addWidget(Label(QStringLiteral("名前"), pnlName), 0, 2);
    g->addWidget(cmbDataBase, 1, 0);
    g->addWidget(cmbSchema, 1, 1);
    g->addWidget(txtName, 1, 2);
    h->addWidget(pnlName);
}

void TfrmTable::BuildDefineTab()
{
    auto *outer = new QVBoxLayout(tabDefine);
    outer->setContentsMargins(0, 0, 0, 0);
    pnlDefine = Named(new QWidget(tabDefine), "pnlDefine");
    outer->addWidget(pnlDefine);
    auto *v = new QVBoxLayout(pnlDefine);
    v->setContentsMargins(2, 2, 2, 2);
    v->setSpacing(2);

    pnlFieldTop = Named(new QWidget(pnlDefine), "pnlFieldTop");
    auto *top = new QHBoxLayout(pnlFieldTop);
    top->setContentsMargins(0, 0, 0, 0);
    auto *tooColSetting = Named(new QToolBar(pnlFieldTop), "tooColSetting");
    tooColSetting->setIconSize(QSize(16, 16));
    top->addWidget(tooColSetting);
    top->addWidget(Label(QStringLiteral("コメント"), pnlFieldTop));
    txtComment = Named(new TzkStrEdit(pnlFieldTop), "txtComment");
    top->addWidget(txtComment, 1);
    v->addWidget(pnlFieldTop);
    struct Tool
    {
        const char *name;
        const char *hint;
        int image;
    };
    for (const Tool &t : {Tool{"btnColInsert", "列の追加", 39}, Tool{"btnColDelete", "列の削除", 40},
                          Tool{"btnColUp", "上へ移動", 35}, Tool{"btnColDown", "下へ移動", 36}}) {
        auto *b = Named(new QToolButton(tooColSetting), t.name);
        b->setToolTip(QString::fromUtf8(t.hint));
        b->setIcon(Image(t.image));
        tooColSetting->addWidget(b);
    }

    spl1 = Named(new QSplitter(Qt::Vertical, pnlDefine), "spl1");
    grdColumn = Named(new TzkStringGrid(spl1), "grdColumn");
    grdColumn->SetColCount(9);
    grdColumn->SetFixedCols(0);
    grdColumn->SetRowCount(2);
    grdColumn->SetFixedRows(1);
    grdColumn->SetHeader({QStringLiteral("主キー"), QStringLiteral("項目名"), QStringLiteral("型"),
                          QStringLiteral("長さ"), QStringLiteral("必須"), QStringLiteral("省略時値"),
                          QStringLiteral("照合順序"), QStringLiteral("動的データマスク"), QStringLiteral("コメント")});
    const int widths[] = {48, 160, 110, 56, 40, 140, 150, 130, 200};
    for (int c = 0; c < 9; ++c)
        grdColumn->SetColWidths(c, widths[c]);
    pnlConst = Named(new QWidget(spl1), "pnlConst");
    auto *cv = new QVBoxLayout(pnlConst);
    cv->setContentsMargins(0, 0, 0, 0);
    lstConst = Named(new QTreeWidget(pnlConst), "lstConst");
    lstConst->setHeaderLabels({QStringLiteral("制約・インデックス・トリガー")});
    cv->addWidget(lstConst);
    spl1->addWidget(grdColumn);
    spl1->addWidget(pnlConst);
    spl1->setStretchFactor(0, 2);
    spl1->setStretchFactor(1, 1);
    v->addWidget(spl1, 1);
}

void TfrmTable::BuildDataTab()
{
    auto *v = new QVBoxLayout(tabData);
    v->setContentsMargins(2, 2, 2, 2);
    pnlWhere = Named(new QWidget(tabData), "pnlWhere");
    auto *h = new QHBoxLayout(pnlWhere);
    h->setContentsMargins(0, 0, 0, 0);
    auto *btnExec = Button(QString(), "btnExec", pnlWhere);
    btnExec->setIcon(Image(28));
    btnExec->setToolTip(QStringLiteral("データを表示"));
    connect(btnExec, &QToolButton::clicked, this, [this] { Reload(); });
    auto *btnField = Button(QString(), "btnField", pnlWhere);
    btnField->setIcon(Image(12));
    btnField->setToolTip(QStringLiteral("表示項目の指定"));
    btnWhere = Button(QString(), "btnWhere", pnlWhere);
    btnWhere->setIcon(Image(96));
    btnWhere->setCheckable(true);
    btnWhere->setToolTip(QStringLiteral("抽出条件・ソート順設定"));
    auto *btnGrdWhereClear = Button(QString(), "btnGrdWhereClear", pnlWhere);
    btnGrdWhereClear->setIcon(Image(136));
    btnGrdWhereClear->setToolTip(QStringLiteral("抽出条件・ソート順設定クリア"));
    cmbWhere = Named(new TzkComboBox(pnlWhere), "cmbWhere");
    cmbWhere->SetEditable(true);
    chkIncNull = Named(new TzkCheckBox(QStringLiteral("’’(空)にNULLを含める"), pnlWhere), "chkIncNull");
    txtRecord = Named(new TzkNumEdit(pnlWhere), "txtRecord");
    txtRecord->setMaximumWidth(80);
    txtRecord->setMaxLength(9);
    btnExecSQL = Button(QString(), "btnExecSQL", pnlWhere);
    btnExecSQL->setIcon(Image(10));
    btnExecSQL->setToolTip(QStringLiteral("指定した条件のSELECT文をクリップボードに出力"));
    // The SELECT statement of the data tab is not built yet.
    btnExecSQL->setEnabled(false);
    for (QWidget *w : {static_cast<QWidget *>(btnExec), static_cast<QWidget *>(btnField),
                       static_cast<QWidget *>(btnWhere), static_cast<QWidget *>(btnGrdWhereClear)})
        h->addWidget(w);
    h->addWidget(Label(QStringLiteral("条件"), pnlWhere));
    h->addWidget(cmbWhere, 1);
    h->addWidget(chkIncNull);
    h->addSpacing(20);
    h->addWidget(Label(QStringLiteral("表示件数"), pnlWhere));
    h->addWidget(txtRecord);
    h->addWidget(btnExecSQL);
    v->addWidget(pnlWhere);
    pnlWhereTmp = Named(new QWidget(tabData), "pnlWhereTmp");
    v->addWidget(pnlWhereTmp);
    grdWhere = Named(new TzkStringGrid(tabData), "grdWhere");
    grdWhere->SetColCount(3);
    grdWhere->SetFixedCols(1);
    grdWhere->SetRowCount(2);
    grdWhere->SetFixedRows(1);
    grdWhere->setMaximumHeight(120);
    v->addWidget(grdWhere);
    connect(btnWhere, &QToolButton::toggled, grdWhere, &QWidget::setVisible);
    connect(btnWhere, &QToolButton::toggled, btnGrdWhereClear, &QWidget::setVisible);
    fraData = Named(new TfraData(this, tabData), "fraData");
    v->addWidget(fraData, 1);
}

void TfrmTable::BuildTemporalTab()
{
    auto *outer = new QVBoxLayout(tabTemporal);
    auto *pnlTmp = Named(new QWidget(tabTemporal), "pnlTmp");
    outer->addWidget(pnlTmp);
    outer->addStretch(1);
    auto *v = new QVBoxLayout(pnlTmp);
    chkCreateTmpTbl = Named(new TzkCheckBox(QStringLiteral("テンポラルテーブルとして作成"), pnlTmp), "chkCreateTmpTbl");
    v->addWidget(chkCreateTmpTbl);
    grpCreateTmpTbl = Named(new QGroupBox(pnlTmp), "grpCreateTmpTbl");
    v->addWidget(grpCreateTmpTbl);
    auto *gv = new QVBoxLayout(grpCreateTmpTbl);

    grpSelectTmpHistTbl =
        Named(new QGroupBox(QStringLiteral("履歴テーブルの指定 (指定しない場合はSQLServerにて自動的に作成)"),
                            grpCreateTmpTbl),
              "grpSelectTmpHistTbl");
    auto *hg = new QGridLayout(grpSelectTmpHistTbl);
    cmbTmpHistSchema = Named(new TzkComboBox(grpSelectTmpHistTbl), "cmbTmpHistSchema");
    cmbTmpHistSchema->SetEditable(false);
    cmbTmpHistSchema->setMinimumWidth(140);
    txtTmpHistTblName = Named(new TzkStrEdit(grpSelectTmpHistTbl), "txtTmpHistTblName");
    btnTmpHistTblSelect = Button(QStringLiteral("テーブル一覧で指定"), "btnTmpHistTblSelect", grpSelectTmpHistTbl);
    btnTmpHistTblOpen = Button(QStringLiteral("履歴テーブルを表示"), "btnTmpHistTblOpen", grpSelectTmpHistTbl);
    chkTmpConsistency = Named(
        new TzkCheckBox(QStringLiteral("作成時に履歴テーブルのデータと整合性チェックを行う(DATA_CONSISTENCY_CHECK)"),
                        grpSelectTmpHistTbl),
        "chkTmpConsistency");
    hg->addWidget(Named(Label(QStringLiteral("所有者"), grpSelectTmpHistTbl), "lblTmpHistSchemaName"), 0, 0);
    hg->addWidget(cmbTmpHistSchema, 0, 1);
    hg->addWidget(Named(Label(QStringLiteral("テーブル名"), grpSelectTmpHistTbl), "lblTmpHistTblName"), 0, 2);
    hg->addWidget(txtTmpHistTblName, 0, 3);
    hg->addWidget(btnTmpHistTblSelect, 0, 4);
    hg->addWidget(btnTmpHistTblOpen, 0, 5);
    hg->addWidget(chkTmpConsistency, 1, 0, 1, 6);
    hg->setColumnStretch(3, 1);
    gv->addWidget(grpSelectTmpHistTbl);

    auto build = [&](QGroupBox *&group, const QString &title, const char *groupName, TzkDropDownComboBox *&combo,
                     const char *comboName, const char *labelName, TzkCheckBox *&hidden, const char *hiddenName) {
        group = Named(new QGroupBox(title, grpCreateTmpTbl), groupName);
        auto *h = new QHBoxLayout(group);
        h->addWidget(Named(Label(QStringLiteral("列名(必須)"), group), labelName));
        combo = Named(new TzkDropDownComboBox(group), comboName);
        combo->SetEditable(true);
        combo->setMinimumWidth(200);
        h->addWidget(combo);
        hidden = Named(new TzkCheckBox(QStringLiteral("隠し項目(HIDDEN)"), group), hiddenName);
        h->addWidget(hidden);
        h->addStretch(1);
        TzkDropDownComboBox *c = combo;
        combo->OnDropDown = [this, c] { cmbTmpHistColDropDown(c); };
        connect(combo, &QComboBox::currentTextChanged, this, [this] { Onchange(); });
        connect(hidden, &QCheckBox::clicked, this, [this] { Onchange(); });
        gv->addWidget(group);
    };
    build(grpTmpHistStartCol, QStringLiteral("期間開始列の指定"), "grpTmpHistStartCol", cmbTmpHistStartCol,
          "cmbTmpHistStartCol", "lblTmpHistStartCol", chkTmpHistStartColHidden, "chkTmpHistStartColHidden");
    build(grpTmpHistEndCol, QStringLiteral("期間終了列の指定"), "grpTmpHistEndCol", cmbTmpHistEndCol,
          "cmbTmpHistEndCol", "lblTmpHistEndCol", chkTmpHistEndColHidden, "chkTmpHistEndColHidden");

    connect(chkCreateTmpTbl, &QCheckBox::toggled, this, [this] { chkCreateTmpTblClick(); });
    connect(cmbTmpHistSchema, &QComboBox::currentTextChanged, this, [this] {
        UpdateConsistency();
        Onchange();
    });
    connect(txtTmpHistTblName, &QLineEdit::textChanged, this, [this] {
        UpdateConsistency();
        Onchange();
    });
    connect(btnTmpHistTblSelect, &QToolButton::clicked, this, [this] { btnTmpHistTblSelectClick(); });
    connect(btnTmpHistTblOpen, &QToolButton::clicked, this, [this] { btnTmpHistTblOpenClick(); });
}

void TfrmTable::BuildActions()
{
    actObject = new TzkActionList(this, QStringLiteral("actObject"));
    struct Def
    {
        QAction **action;
        const char *name;
        const char *caption;
        int image;
    };
    const Def defs[] = {
        {&actCompile, "actCompile", "作成(&C)", 15},
        {&actRefresh, "actRefresh", "戻す(&R)", 16},
        {&actDelete, "actDelete", "削除(&D)", 41},
        {&actDataGenerate, "actDataGenerate", "生成(&W)", 103},
        {&actOutput, "actOutput", "出力(&P)", 36},
        {&actPrint, "actPrint", "印刷(&P)", 98},
        {&actSave, "actSave", "ファイル保存(&S)", 18},
        {&actExit, "actExit", "終了(&X)", 42},
        {&actColUp, "actColUp", "", 35},
        {&actColDown, "actColDown", "", 36},
    };
    for (const Def &d : defs) {
        *d.action = actObject->Add(QLatin1String(d.name), QString::fromUtf8(d.caption));
        (*d.action)->setIcon(Image(d.image));
    }
    actColUp->setToolTip(QStringLiteral("上へ移動"));
    actColDown->setToolTip(QStringLiteral("下へ移動"));

    actObject->SetOnExecute(actCompile, [this] { Compile(); });
    actObject->SetOnUpdate(actCompile, [this] { actCompile->setEnabled(CompileEnabled()); });
    actObject->SetOnExecute(actRefresh, [this] { Reload(); });
    actObject->SetOnExecute(actDelete, [this] { actDeleteExecute(); });
    actObject->SetOnUpdate(actDelete,
                           [this] { actDelete->setEnabled(!IsNew() && pagObject->currentWidget() != tabData); });
    actObject->SetOnExecute(actDataGenerate, [this] { actDataGenerateExecute(); });
    actObject->SetOnUpdate(actDataGenerate, [this] { actDataGenerate->setEnabled(!IsNew()); });
    // Output, print and save write the server's definition: not while it
    // is being changed.
    for (QAction *a : {actOutput, actPrint, actSave})
        actObject->SetOnUpdate(a, [this, a] { a->setEnabled(!Modified() && !IsNew()); });
    actObject->SetOnExecute(actPrint, [this] { actPrintExecute(); });
    actObject->SetOnExecute(actSave, [this] { actSaveExecute(); });
    actObject->SetOnExecute(actExit, [this] { Close(); });

    popOutput = new QMenu(this);
    popOutput->setObjectName(QStringLiteral("popOutput"));
    Named(popOutput->addAction(actPrint->text(), actPrint, &QAction::trigger), "mnuOutputPrint");
    Named(popOutput->addAction(actSave->text(), actSave, &QAction::trigger), "mnuOutputSave");

    struct Btn
    {
        QAction *action;
        const char *name;
    };
    for (const Btn &b :
         {Btn{actCompile, "btnCompile"}, Btn{actDataGenerate, "btnDataGenerate"}, Btn{actOutput, "btnOutput"},
          Btn{actDelete, "btnDelete"}, Btn{actRefresh, "btnRollback"}, Btn{actExit, "btnExit"}}) {
        tolCmd->addAction(b.action);
        if (QWidget *w = tolCmd->widgetForAction(b.action))
            w->setObjectName(QLatin1String(b.name));
    }
    auto *btnOutput = qobject_cast<QToolButton *>(tolCmd->widgetForAction(actOutput));
    actObject->SetOnExecute(actOutput, [this, btnOutput] {
        popOutput->exec(btnOutput ? btnOutput->mapToGlobal(QPoint(0, btnOutput->height())) : QCursor::pos());
    });

    mnuTool = new QMenu(QStringLiteral("TABLE(&O)"), this);
    mnuTool->setObjectName(QStringLiteral("mnuTool"));
    mnuTool->addAction(actCompile);
    mnuTool->addAction(actDelete);
    mnuTool->addAction(actDataGenerate);
    mnuTool->addSeparator();
    mnuTool->addAction(actPrint);
}

TfrmTable *TfrmTable::Open(TfrmObject *owner, const QString &database, const QString &schema, const QString &objectName,
                           TOpenMode openMode, int defTopRecord)
{
    TfrmTable *form = TfrmObjectEditor::Open<TfrmTable>(owner, database, schema, objectName, [&](TfrmTable &f) {
        f.m_openMode = openMode;
        f.m_defTopRecord = defTopRecord;
    });
    form->SetReportList();
    form->UpdateActions();
    return form;
}

void TfrmTable::BeforeFirstLoad()
{
    Construct(m_openMode, m_defTopRecord);
}

void TfrmTable::Construct(TOpenMode openMode, int defTopRecord)
{
    FlagScope loading(m_loading);
    TfrmObject *owner = Connection();
    SetObjType(45);
    FFirstActivated = false;
    if (ConnectionManager) {
        QPalette pal = pnlPersonalColor->palette();
        pal.setColor(QPalette::Window, ColorToQColor(ConnectionManager->GetBackgroundColor(owner->MYSID)));
        pnlPersonalColor->setPalette(pal);
    }
    FShowFld.clear();
    FPrimary.clear();
    FDataType.clear();
    FCollType.clear();
    FMaskType.clear();
    FDefaultColumns.clear();
    btnWhere->setChecked(zkOption.ShowWhereGrid);
    grdWhere->setVisible(zkOption.ShowWhereGrid);
    if (auto *clear = findChild<QToolButton *>(QStringLiteral("btnGrdWhereClear")))
        clear->setVisible(zkOption.ShowWhereGrid);
    if (owner->IsAzure)
        cmbDataBase->setEnabled(false);
    chkCreateTmpTbl->setChecked(false);
    chkCreateTmpTblClick();
    pnlWhereTmp->hide();
    chkTmpConsistency->setEnabled(false);
    qrySQL->SetConnection(owner->dmSQLServer->Connection);
    fraData->qryData->SetConnection(owner->dmSQLServer->Connection);
    cmbDataBase->SetText(Database());
    cmbSchema->SetText(Schema());
    txtName->setText(ObjectName());
    m_namesFilled = true;
    if (owner->DBVer >= 13) {
        QStringList schemas;
        owner->GetUser(schemas, Database(), false);
        cmbTmpHistSchema->clear();
        cmbTmpHistSchema->addItems(schemas);
        cmbTmpHistSchema->setCurrentIndex(-1);
    }
    txtRecord->SetValueInt(zkOption.DefTopRecord);
    if (defTopRecord > 0)
        txtRecord->SetValueInt(defTopRecord);
    PrepareQueries();
    CopySchema.clear();
    CopyTable.clear();
    grdColumn->SetGridMode(geAccess);
    grdWhere->SetGridMode(geAccess);
    grdColumn->SetEditStyles(tgPrimary, geCheckBox);
    grdColumn->SetEditStyles(tgType, gePickList);
    grdColumn->SetEditStyles(tgNotNull, geCheckBox);
    grdColumn->SetEditStyles(tgCollation, gePickList);
    grdColumn->SetEditStyles(tgMask, gePickList);
    grdColumn->SetOptions(grdColumn->Options() | goEditing | goColSizing);
    grdColumn->FocusCell(1, 1);
    QWidget *page = tabDefine;
    switch (openMode) {
    case omSource: page = tabSource; break;
    case omData: page = tabData; break;
    case omCross: page = tabCross; break;
    case omGrant: page = tabGrant; break;
    default: break;
    }
    pagObject->setCurrentWidget(page);
    QStringList history;
    LoadWhereHistory(owner->g_Server, Database(), Schema(), ObjectName(), history);
    cmbWhere->clear();
    cmbWhere->addItems(history);
    cmbWhere->setEditText(QString());
}

void TfrmTable::ChangedIsNew()
{
    TfrmObjectEditor::ChangedIsNew();
    TfrmObject *owner = Connection();
    const bool exists = !IsNew();
    for (QWidget *tab : {tabSource, tabData, tabGrant, tabCross})
        pagObject->setTabVisible(pagObject->indexOf(tab), exists);
    pagObject->setTabVisible(pagObject->indexOf(tabStorage), !owner->IsAzure);
    pagObject->setTabVisible(pagObject->indexOf(tabTemporal), owner->DBVer >= 13);
    if (IsNew())
        txtName->setFocus();
}

void TfrmTable::EnableNameFields(bool enabled)
{
    pnlName->setEnabled(enabled);
}

QWidget *TfrmTable::DatabaseField() const
{
    return cmbDataBase;
}

QWidget *TfrmTable::SchemaField() const
{
    return cmbSchema;
}

QWidget *TfrmTable::NameField() const
{
    return txtName;
}

bool TfrmTable::SourceTabActive() const
{
    return pagObject->currentWidget() == tabSource;
}

void TfrmTable::Onchange()
{
    if (!m_loading)
        SetModified(true);
}

QString TfrmTable::MemoSchemaName() const
{
    return cmbSchema->Text();
}

QString TfrmTable::MemoObjectName() const
{
    return txtName->text();
}

void TfrmTable::UpdateActions()
{
    actObject->UpdateActions();
}

bool TfrmTable::ChkNPrefixForDef(const QString &Value, const QString &DataType)
{
    const QString type = DataType.toUpper();
    return (type == QLatin1String("NCHAR") || type == QLatin1String("NVARCHAR") || type == QLatin1String("NTEXT"))
           && !Value.startsWith(QLatin1String("(N'"));
}

// --- Reading the definition ------------------------------------------------------

void TfrmTable::PrepareQueries()
{
    TfrmObject *owner = Connection();
    const TTableQueries q =
        TableQueries(owner->Use(cmbDataBase->Text()), owner->DBVer, owner->IsAzure, txtName->text());
    qryTable->SetSQL(q.Table);
    qryColumn->SetSQL(q.Column);
    qryConst1->SetSQL(q.Const1);
    qryConst2->SetSQL(q.Const2);
    qryConst3->SetSQL(q.Const3);
    qryTemporal->SetSQL(q.Temporal);
    qryConstDef->SetSQL(q.ConstDef);
}

bool TfrmTable::LoadObject()
{
    if (!m_namesFilled) {
        // A script window: no construction steps ran.
        FlagScope loading(m_loading);
        cmbDataBase->SetText(Database());
        cmbSchema->SetText(Schema());
        txtName->setText(ObjectName());
        m_namesFilled = true;
    }
    if (!ShowDefine(false))
        return false;
    if (!ScriptMode()) {
        if (pagObject->currentWidget() == tabData)
            ShowDataTab();
        else if (pagObject->currentWidget() == tabSource)
            fraMemo->ShowData();
    }
    return true;
}

bool TfrmTable::ShowDefine(bool IsDrop)
{
    TfrmObject *owner = Connection();
    PrepareQueries();
    TSQLWaitCursor wait;
    // Modified is cleared whatever happens; the fills below are no edits.
    struct Finish
    {
        TfrmTable *form;
        bool old;
        ~Finish()
        {
            form->m_loading = old;
            form->SetModified(false);
        }
    } finish{this, m_loading};
    m_loading = true;

    const QString database = cmbDataBase->Text();
    const QString schema = cmbSchema->Text();
    const QString name = txtName->text();
    if (!owner->IsAzure)
        fraStorage->Init(database, schema, name, QString());
    TTableDefReader reader(owner, database, schema, name);
    TTableDef def;
    if (!IsNew()) {
        if (!reader.ReadTable(*qryTable, def))
            return false;
        txtComment->setText(def.Comment);
        if (!owner->IsAzure)
            fraStorage->ShowDefine();
        // In a script window nothing is shown; the page control counts as
        // visible unless it was hidden, so versioned tables keep versioning.
        if (owner->DBVer >= 13 && pagObject->isVisibleTo(this)) {
            reader.ReadTemporal(*qryTemporal, def);
            FillTemporal(def);
        }
        reader.ReadColumns(*qryColumn, def);
        m_def = def;
        FillColumns();
        RebuildWhereGrid();
    } else {
        m_def.DefaultColumns.clear();
    }
    reader.ReadDefaultColumns(*qryConstDef, m_def);
    FDefaultColumns = m_def.DefaultColumns;
    m_def.Primary = FPrimary;
    reader.ReadPrimary(m_def);
    FPrimary = m_def.Primary;
    ShowConst();

    txtComment->Save();
    fraStorage->Save();
    grdColumn->Save();
    SaveTemporal();

    if (pagObject->currentWidget() == tabSource || ScriptMode()) {
        QStringList lines;
        if (IsDrop)
            GetSourceDrop(lines);
        else
            GetSourceCreate(lines);
        if (TzkMemo *memo = fraMemo->txtSQL) {
            memo->Lines()->SetTextStr(lines.join(kCRLF));
            memo->EMEmptyUndoBuffer();
            memo->SetRow(0);
            memo->SetCol(0);
        }
    }
    if (pagObject->currentWidget() == tabGrant)
        fraGrant->ShowData(database, schema, name);
    if (pagObject->currentWidget() == tabCross)
        fraCross->ShowData(database, schema, name);
    return true;
}

void TfrmTable::FillColumns()
{
    grdColumn->Clear();
    const QList<TTableColumn> &cols = m_def.Columns;
    grdColumn->SetRowCount(int(cols.size()) + 2);
    int r = 1;
    for (const TTableColumn &c : cols) {
        grdColumn->SetRows(r, {c.Primary ? QStringLiteral("1") : QString(), c.Name, c.DataType, c.Length,
                               c.NotNull ? QStringLiteral("1") : QString(), c.Default, c.Collation, c.Mask, c.Comment});
        // The loaded row number tells later which column a row was.
        grdColumn->SetObjects(tgName, r, reinterpret_cast<void *>(qintptr(c.LoadedRow)));
        ++r;
    }
    grdColumn->SetRows(r, QStringList(9, QString()));
    grdColumn->SetObjects(tgName, r, nullptr);
    grdColumn->FocusCell(1, 1);
}

void TfrmTable::FillTemporal(const TTableDef &def)
{
    const TTableTemporal &t = def.Temporal;
    pagObject->setTabVisible(pagObject->indexOf(tabTemporal), t.TemporalType != 1);
    chkCreateTmpTbl->setChecked(t.TemporalType == 2);
    chkCreateTmpTblClick();
    cmbTmpHistSchema->setCurrentIndex(cmbTmpHistSchema->findText(t.HistorySchema, Qt::MatchFixedString));
    txtTmpHistTblName->setText(t.HistoryTable);
    cmbTmpHistStartCol->SetText(t.StartColumn);
    chkTmpHistStartColHidden->setChecked(t.StartHidden);
    cmbTmpHistEndCol->SetText(t.EndColumn);
    chkTmpHistEndColHidden->setChecked(t.EndHidden);
    chkTmpConsistency->setChecked(true);
    chkTmpConsistency->setEnabled(false);
    bBeforechkCreateTmpTbl = chkCreateTmpTbl->isChecked();
    bBeforechkTmpHistStartColHidden = chkTmpHistStartColHidden->isChecked();
    bBeforechkTmpHistEndColHidden = chkTmpHistEndColHidden->isChecked();
    pnlWhereTmp->setVisible(chkCreateTmpTbl->isChecked());
}

void TfrmTable::SaveTemporal()
{
    cmbTmpHistSchema->Save();
    txtTmpHistTblName->Save();
    cmbTmpHistStartCol->Save();
    cmbTmpHistEndCol->Save();
}

void TfrmTable::ShowDataTab()
{
    SetModified(false);
    TfrmObject *owner = Connection();
    const QString schema = cmbSchema->Text();
    const QString name = txtName->text();
    if (owner->IsAzure && !IsNew()) {
        TFDQuery *q =
            owner->OpenSQL(QStringLiteral("select type from sys.indexes where object_id = object_id(N")
                           + QuoteSQLStr(QuoteName(schema) + QLatin1Char('.') + QuoteName(name)) + QLatin1Char(')'));
        bool clustered = false;
        for (; q && !q->Eof(); q->Next())
            clustered = clustered || q->Fields(0)->AsString() == QLatin1String("1");
        if (!clustered)
            Ask(QStringLiteral("クラスタインデックスが存在しない為、\r\nデータを作成することができません。"),
                MB_OK | MB_ICONWARNING);
    }
    fraData->SetPrimary(FPrimary);
    const QString sql = DataSelectSQL();
    fraData->SetSQL(sql);
    grdWhere->FocusCell(2, 1);
}

// --- Commands --------------------------------------------------------------------

QStringList TfrmTable::BuildDropScript() const
{
    return {QStringLiteral("drop table ") + BracketCatalogName(cmbSchema->Text()) + QLatin1Char('.')
            + BracketCatalogName(txtName->text())};
}

QStringList TfrmTable::BuildScript(bool drop) const
{
    QStringList lines;
    if (drop)
        GetSourceDrop(lines);
    else
        GetSourceCreate(lines);
    return lines;
}

void TfrmTable::actDataGenerateExecute()
{
    if (IsNew())
        return;
    TOpenArgs args;
    args.ObjectType = 45;
    args.DataBase = cmbDataBase->Text();
    args.Schema = cmbSchema->Text();
    args.ObjectName = txtName->text();
    CreateRegisteredWindow(QStringLiteral("TfrmDataGenerate"), Connection(), args);
}

void TfrmTable::actPrintExecute()
{
    TfrmPrint::ShowWindow(cmbDataBase->Text() + QLatin1Char('.') + cmbSchema->Text() + QLatin1Char('.')
                              + txtName->text(),
                          [this] { PrintProc(); });
}

void TfrmTable::PrintProc()
{
    TfrmPrint::BeginPrint();
    struct End
    {
        ~End() { TfrmPrint::EndPrint(); }
    } end;
    QStringList source;
    GetSourceCreate(source);
    TfrmPrint::PrintSource(
        cmbDataBase->Text() + QLatin1Char('.') + cmbSchema->Text() + QLatin1Char('.') + txtName->text(), source, true);
}

void TfrmTable::actSaveExecute()
{
    const QString folder = zkOption.FileDir;
    const QString unique = MakeUniqueFileName(folder + RemoveInvalidFileChars(cmbSchema->Text()) + QLatin1Char('.')
                                              + RemoveInvalidFileChars(txtName->text()) + QStringLiteral(".sql"));
    const QString proposed = QFileInfo(unique).fileName();
    QString file = SaveFileName
                       ? SaveFileName(this, folder, proposed)
                       : QFileDialog::getSaveFileName(this, QStringLiteral("名前を付けて保存"), folder + proposed,
                                                      QStringLiteral("SQLファイル(*.sql);;すべてのファイル(*)"));
    if (file.isEmpty())
        return;
    if (!HasKnownFileExt(file))
        file += QStringLiteral(".sql");
    QStringList source;
    GetSourceCreate(source);
    WriteTextFile(file, source.join(kCRLF) + kCRLF, GetFileEncoding(), false);
    Ask(QStringLiteral("スクリプトが出力されました。"), MB_OK | MB_ICONINFORMATION);
    zkOption.FileDir = QFileInfo(file).absolutePath() + QLatin1Char('/');
}

void TfrmTable::cmbDatabaseDropDown()
{
    QStringList list;
    Connection()->GetDatabase(list);
    const QString text = cmbDataBase->Text();
    FlagScope loading(m_loading);
    cmbDataBase->clear();
    cmbDataBase->addItems(list);
    cmbDataBase->SetText(text);
}

void TfrmTable::cmbSchemaDropDown()
{
    QStringList list;
    Connection()->GetUser(list, cmbDataBase->Text(), false);
    const QString text = cmbSchema->Text();
    FlagScope loading(m_loading);
    cmbSchema->clear();
    cmbSchema->addItems(list);
    cmbSchema->SetText(text);
}

void TfrmTable::UpdateTemporalEnabling()
{
    const bool on = chkCreateTmpTbl->isChecked();
    for (const char *name :
         {"lblTmpHistSchemaName", "cmbTmpHistSchema", "grpSelectTmpHistTbl", "lblTmpHistTblName", "txtTmpHistTblName",
          "btnTmpHistTblSelect", "btnTmpHistTblOpen", "lblTmpHistStartCol", "cmbTmpHistStartCol",
          "chkTmpHistStartColHidden", "lblTmpHistEndCol", "cmbTmpHistEndCol", "chkTmpHistEndColHidden"})
        if (auto *w = tabTemporal->findChild<QWidget *>(QLatin1String(name)))
            w->setEnabled(on);
}

void TfrmTable::chkCreateTmpTblClick()
{
    UpdateTemporalEnabling();
    Onchange();
}

void TfrmTable::UpdateConsistency()
{
    chkTmpConsistency->setEnabled(!cmbTmpHistSchema->Text().isEmpty() && !txtTmpHistTblName->text().isEmpty());
}

void TfrmTable::cmbTmpHistColDropDown(TzkDropDownComboBox *combo)
{
    QStringList names;
    for (int r = 1; r < grdColumn->RowCount(); ++r) {
        const QString name = grdColumn->Cells(tgName, r);
        if (name.isEmpty())
            continue;
        if (grdColumn->Cells(tgType, r) == QLatin1String("datetime2")
            && grdColumn->Cells(tgNotNull, r) == QLatin1String("1"))
            names << name;
    }
    const QString text = combo->Text();
    FlagScope loading(m_loading);
    combo->clear();
    combo->addItems(names);
    combo->SetText(text);
}

void TfrmTable::btnTmpHistTblSelectClick()
{
    QStringList list;
    const QString schema = cmbTmpHistSchema->Text().isEmpty() ? cmbSchema->Text() : cmbTmpHistSchema->Text();
    TfrmTableList::ShowWindow(Connection(), list, this, cmbDataBase->Text(), schema);
    if (list.size() == 2) {
        cmbTmpHistSchema->SetText(list.at(0));
        if (cmbTmpHistSchema->Text() != list.at(0)) {
            cmbTmpHistSchema->addItem(list.at(0));
            cmbTmpHistSchema->SetText(list.at(0));
        }
        txtTmpHistTblName->setText(list.at(1));
    }
}

void TfrmTable::btnTmpHistTblOpenClick()
{
    if (cmbTmpHistSchema->Text().isEmpty())
        FieldError(QStringLiteral("所有者を入力してください。"), cmbTmpHistSchema);
    if (txtTmpHistTblName->text().isEmpty())
        FieldError(QStringLiteral("テーブル名を入力してください。"), txtTmpHistTblName);
    Connection()->OpenObject(45, cmbDataBase->Text(), cmbTmpHistSchema->Text(), txtTmpHistTblName->text(), omData, true,
                             0, QString());
}

void TfrmTable::btnExecSQLClick()
{
    // The SELECT statement of the data tab comes with the data tab itself.
}

void TfrmTable::WMCodeAssist(int X, int Y)
{
    TfrmObject *owner = Connection();
    CodeAssistCandidates(fraMemo->txtSQL, this, qrySQL, owner->dmSQLServer->DataBase(), owner->GetCurrentSchema(),
                         owner->DBVer, X, Y);
}

// --- Layout ------------------------------------------------------------------------

void TfrmTable::LoadWindowLayout()
{
    TfrmObjectEditor::LoadWindowLayout();
    TzkRegistry reg;
    if (reg.OpenKey(ZK_REG_ROOT + QStringLiteral("\\GUI\\TABLE"), true))
        m_constHeight = reg.GetInteger(QStringLiteral("ConstHeight"), -1);
}

void TfrmTable::SaveWindowLayout()
{
    TfrmObjectEditor::SaveWindowLayout();
    TzkRegistry reg;
    if (reg.OpenKey(ZK_REG_ROOT + QStringLiteral("\\GUI\\TABLE"), true))
        reg.WriteInteger(QStringLiteral("ConstHeight"), pnlConst->height());
}

void TfrmTable::showEvent(QShowEvent *event)
{
    TfrmObjectEditor::showEvent(event);
    if (m_firstShown)
        return;
    m_firstShown = true;
    for (QAction *a : tolCmd->actions())
        if (QWidget *w = tolCmd->widgetForAction(a))
            w->setMinimumWidth(78);
    TfrmObject *owner = Connection();
    if (owner->DBVer < 13 || owner->IsAzure)
        grdColumn->SetColWidths(tgMask, 0);
    // The splitter has its height once the layout has run.
    QTimer::singleShot(0, this, [this] {
        const int total = spl1->height();
        const int constHeight =
            m_constHeight > 0 ? std::min(m_constHeight, std::max(total - 40, 40)) : pnlDefine->height() / 3;
        spl1->setSizes({std::max(total - constHeight, 40), constHeight});
        FormResize();
    });
}

void TfrmTable::Activate()
{
    TfrmObjectEditor::Activate();
    if (!FFirstActivated) {
        AutoSizeGridColumn(grdColumn, tgName);
        FormResize();
        FFirstActivated = true;
    }
}

void TfrmTable::resizeEvent(QResizeEvent *event)
{
    TfrmObjectEditor::resizeEvent(event);
    FormResize();
}

void TfrmTable::FormResize()
{
    // The comment column takes what the others leave.
    int used = 0;
    for (int c = 0; c < tgComment; ++c)
        used += grdColumn->ColWidths(c);
    const int rest = grdColumn->viewport()->width() - used - 24;
    if (rest > 60)
        grdColumn->SetColWidths(tgComment, rest);
}

bool TfrmTable::FormCloseQuery()
{
    if (fraData->qryData->Active())
        fraData->qryData->Close();
    return true;
}

// --- Registration ------------------------------------------------------------------

void RegisterTableEditorWindows()
{
    RegisterWindow(QStringLiteral("TfrmTable"), [](TfrmObject *owner, const TOpenArgs &a) -> QWidget * {
        return TfrmTable::Open(owner, a.DataBase, a.Schema, a.ObjectName, a.OpenMode, a.DefTopRecord);
    });
    // The test-data generator's folder replaces the placeholder.
    if (!WindowRegistered(QStringLiteral("TfrmDataGenerate")))
        RegisterWindowStub(QStringLiteral("TfrmDataGenerate"));
}
