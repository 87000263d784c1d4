#include "admin/fdb.h"

#include "admin/fdb_sql.h"
#include "connection/fobject.h"
#include "connection/fobject_open.h"
#include "controls/fprint.h"
#include "controls/zkgrid.h"
#include "controls/zkstdctl.h"
#include "core/dsqlserver.h"
#include "core/zkCommonData.h"
#include "platform/graphics/colors.h"
#include "core/zksub.h"
#include "core/zksub_dialogs.h"
#include "core/zkwaitcursor.h"
#include "editors/rgrant.h"
#include "platform/db/dbquery.h"
#include "platform/rtl/floatstr.h"
#include "sqleditor/zkmemo.h"
#include "sqlwindow/rMemo.h"

#include <QButtonGroup>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QLabel *label(const QString &text, QWidget *parent)
{
    return new QLabel(text, parent);
}

template<class T>
T *named(T *w, const char *name)
{
    w->setObjectName(QLatin1String(name));
    return w;
}

TzkCheckBox *check(const QString &text, const char *name, QWidget *parent)
{
    auto *c = named(new TzkCheckBox(parent), name);
    c->setText(text);
    return c;
}

TzkRadioButton *radio(const QString &text, const char *name, QWidget *parent)
{
    auto *r = named(new TzkRadioButton(parent), name);
    r->setText(text);
    return r;
}

// A page count as MB in the program's number form.
QString pagesToMb(const QString &pages)
{
    return FloatToStr(double(pages.toLongLong()) * 8 / 1024);
}

// A bit arrives as "True"/"False"; grid check boxes count only "1".
QString flagText(const TField *field)
{
    if (field->IsNull())
        return QString();
    if (field->DataType() == ftBoolean)
        return field->AsBoolean() ? QStringLiteral("1") : QStringLiteral("0");
    return field->AsString();
}

const char *const kNoFilegroup = "適用なし";

} // namespace

Tfrmdb::Tfrmdb(TfrmObject *owner)
    : TfrmObjectEditor(owner)
{
    SetObjType(116);
    CreateControls();
    for (TFDQuery **q : {&qrySyogo, &qryRootDir, &qryDataFile, &qryfilegroup, &qryOption}) {
        *q = new TFDQuery(this);
        (*q)->SetConnection(owner->dmSQLServer->Connection);
    }
    chkAutoExt->setChecked(true);
    radExtMb->setChecked(true);
    radMaxUnlimited->setChecked(true);
}

Tfrmdb::~Tfrmdb() = default;

void Tfrmdb::CreateControls()
{
    setMinimumSize(560, 480);
    resize(640, 600);
    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(2);

    auto *header = new QHBoxLayout;
    pnlPersonalColor = named(new QWidget(this), "pnlPersonalColor");
    pnlPersonalColor->setFixedWidth(8);
    pnlPersonalColor->setAutoFillBackground(true);
    header->addWidget(pnlPersonalColor);
    auto *tolCmd = named(new QToolBar(this), "tolCmd");
    tolCmd->setToolButtonStyle(Qt::ToolButtonTextOnly);
    tolCmd->addAction(QStringLiteral("作成(&C)"), this, [this] { Compile(); })->setObjectName("actCompile");
    tolCmd->addAction(QStringLiteral("削除(&D)"), this, [this] { Delete(); })->setObjectName("actDelete");
    tolCmd->addAction(QStringLiteral("戻す(&R)"), this, [this] { Reload(); })->setObjectName("actRefresh");
    tolCmd->addAction(QStringLiteral("終了(&X)"), this, [this] { Close(); })->setObjectName("actExit");
    header->addWidget(tolCmd);
    header->addStretch(1);
    root->addLayout(header);

    auto *names = new QHBoxLayout;
    names->setContentsMargins(6, 0, 6, 0);
    pnlUser = named(new QWidget(this), "pnlUser");
    auto *userLayout = new QHBoxLayout(pnlUser);
    userLayout->setContentsMargins(0, 0, 0, 0);
    userLayout->addWidget(label(QStringLiteral("所有者"), pnlUser));
    cmbUser = named(new TzkComboBox(pnlUser), "cmbUser");
    cmbUser->setEditable(true);
    cmbUser->setMinimumWidth(150);
    userLayout->addWidget(cmbUser, 1);
    names->addWidget(pnlUser, 1);
    names->addWidget(label(QStringLiteral("名前"), this));
    txtName = named(new TzkStrEdit(this), "txtName");
    names->addWidget(txtName, 2);
    root->addLayout(names);

    pagObject = named(CreatePages(this), "pagObject");
    root->addWidget(pagObject, 1);

    // General page.
    tabDefine = named(new QWidget, "tabDefine");
    auto *def = new QVBoxLayout(tabDefine);
    pnlAll = named(new QWidget(tabDefine), "pnlAll");
    auto *all = new QVBoxLayout(pnlAll);
    all->setContentsMargins(0, 0, 0, 0);
    auto *coll = new QHBoxLayout;
    coll->addWidget(label(QStringLiteral("照合順序："), pnlAll));
    cmbSyogo = named(new TzkComboBox(pnlAll), "cmbSyogo");
    cmbSyogo->setFixedWidth(234);
    coll->addWidget(cmbSyogo);
    coll->addStretch(1);
    all->addLayout(coll);
    chkFullTextIndex = check(QStringLiteral("フルテキストインデックスを使用する"), "chkFullTextIndex", pnlAll);
    all->addWidget(chkFullTextIndex);
    grpFile = named(new QGroupBox(QStringLiteral("ファイル"), pnlAll), "grpFile");
    auto *files = new QVBoxLayout(grpFile);
    btnColDelete = named(new QToolButton(grpFile), "btnColDelete");
    btnColDelete->setText(QStringLiteral("×"));
    btnColDelete->setToolTip(QStringLiteral("列の削除"));
    files->addWidget(btnColDelete);
    grdFile = named(new TzkStringGrid(grpFile), "grdFile");
    files->addWidget(grdFile, 1);
    all->addWidget(grpFile, 1);
    chkAutoExt = check(QStringLiteral("自動拡張を有効にする"), "chkAutoExt", pnlAll);
    all->addWidget(chkAutoExt);
    pnlAutoExt = named(new QWidget(pnlAll), "pnlAutoExt");
    auto *ext = new QHBoxLayout(pnlAutoExt);
    ext->setContentsMargins(0, 0, 0, 0);
    rdgrpExt = named(new QGroupBox(QStringLiteral("ファイル拡張"), pnlAutoExt), "rdgrpExt");
    auto *extGrid = new QGridLayout(rdgrpExt);
    radExtPercent = radio(QStringLiteral("比率(%)"), "radExtPercent", rdgrpExt);
    radExtMb = radio(QStringLiteral("MB単位"), "radExtMb", rdgrpExt);
    txtPersentSize = named(new TzkNumEdit(rdgrpExt), "txtPersentSize");
    txtMbSize = named(new TzkNumEdit(rdgrpExt), "txtMbSize");
    extGrid->addWidget(radExtPercent, 0, 0);
    extGrid->addWidget(txtPersentSize, 0, 1);
    extGrid->addWidget(radExtMb, 1, 0);
    extGrid->addWidget(txtMbSize, 1, 1);
    extGrid->setColumnStretch(2, 1);
    rdgrpfileMax = named(new QGroupBox(QStringLiteral("ファイルの最大サイズ"), pnlAutoExt), "rdgrpfileMax");
    auto *maxGrid = new QGridLayout(rdgrpfileMax);
    radMaxLimited = radio(QStringLiteral("ファイル拡張の制限(MB)"), "radMaxLimited", rdgrpfileMax);
    radMaxUnlimited = radio(QStringLiteral("ファイルを無制限に拡張"), "radMaxUnlimited", rdgrpfileMax);
    txtMaxsize = named(new TzkNumEdit(rdgrpfileMax), "txtMaxsize");
    maxGrid->addWidget(radMaxLimited, 0, 0);
    maxGrid->addWidget(txtMaxsize, 0, 1);
    maxGrid->addWidget(radMaxUnlimited, 1, 0);
    maxGrid->setColumnStretch(2, 1);
    ext->addWidget(rdgrpExt);
    ext->addWidget(rdgrpfileMax);
    all->addWidget(pnlAutoExt);
    for (TzkNumEdit *e : {txtPersentSize, txtMbSize, txtMaxsize}) {
        e->setText(QStringLiteral("10"));
        e->installEventFilter(this);
        connect(e, &QLineEdit::textChanged, this, [this] { SetModified(true); });
    }
    txtPersentSize->setFixedWidth(57);
    txtMbSize->setFixedWidth(57);
    txtMaxsize->setFixedWidth(111);
    def->addWidget(pnlAll, 1);

    pnlAzure = named(new QWidget(tabDefine), "pnlAzure");
    auto *az = new QGridLayout(pnlAzure);
    az->addWidget(label(QStringLiteral("照合順序："), pnlAzure), 0, 0);
    cmbSyogoAzure = named(new TzkComboBox(pnlAzure), "cmbSyogoAzure");
    az->addWidget(cmbSyogoAzure, 0, 1);
    chkFullTextIndexAzure =
        check(QStringLiteral("フルテキストインデックスを使用する"), "chkFullTextIndexAzure", pnlAzure);
    az->addWidget(chkFullTextIndexAzure, 1, 0, 1, 2);
    auto *size = new QGroupBox(QStringLiteral(" サイズ "), pnlAzure);
    auto *sizeLayout = new QHBoxLayout(size);
    cmbSize = named(new TzkComboBox(size), "cmbSize");
    cmbSize->addItems({"1GB", "5GB", "10GB", "20GB", "30GB", "40GB", "50GB"});
    cmbEdition = named(new TzkComboBox(size), "cmbEdition");
    cmbEdition->addItems({"Web", "Business"});
    sizeLayout->addWidget(cmbSize);
    sizeLayout->addWidget(cmbEdition);
    az->addWidget(size, 2, 0, 1, 2);
    az->setRowStretch(3, 1);
    def->addWidget(pnlAzure, 1);
    pagObject->addTab(tabDefine, QStringLiteral("全般"));

    // Filegroup page.
    tabFileGrp = named(new QWidget, "tabFileGrp");
    auto *fg = new QVBoxLayout(tabFileGrp);
    Btngrpdel = named(new QToolButton(tabFileGrp), "Btngrpdel");
    Btngrpdel->setText(QStringLiteral("×"));
    Btngrpdel->setToolTip(QStringLiteral("列の削除"));
    fg->addWidget(Btngrpdel);
    grdFileGroup = named(new TzkStringGrid(tabFileGrp), "grdFileGroup");
    fg->addWidget(grdFileGroup, 1);
    pagObject->addTab(tabFileGrp, QStringLiteral("ファイルグループ"));

    // Option page.
    taboption = named(new QWidget, "taboption");
    auto *opt = new QVBoxLayout(taboption);
    ChkAccess = check(QStringLiteral("アクセスを制限する"), "ChkAccess", taboption);
    opt->addWidget(ChkAccess);
    GroupBox2 = named(new QGroupBox(taboption), "GroupBox2");
    auto *g2 = new QGridLayout(GroupBox2);
    radbtnsingle = radio(QStringLiteral("シングルユーザー"), "radbtnsingle", GroupBox2);
    radbtndbowner = radio(QStringLiteral("dbowner、dbcreator、またはsysadminのメンバ"), "radbtndbowner", GroupBox2);
    g2->addWidget(radbtnsingle, 0, 0, 1, 2);
    g2->addWidget(radbtndbowner, 1, 0, 1, 2);
    for (TzkRadioButton *r : {radbtnsingle, radbtndbowner})
        connect(r, &QRadioButton::clicked, this, [this] { SetModified(true); });
    chkReadOnly = check(QStringLiteral("読み取り専用"), "chkReadOnly", GroupBox2);
    g2->addWidget(chkReadOnly, 2, 0, 1, 2);
    opt->addWidget(GroupBox2);
    auto *modes = new QGridLayout;
    lblBkMode = label(QStringLiteral("復旧モデル"), taboption);
    cmbBkMode = named(new TzkComboBox(taboption), "cmbBkMode");
    lblGokan = label(QStringLiteral("互換性レベル"), taboption);
    cmbGokan = named(new TzkComboBox(taboption), "cmbGokan");
    lblContainment = label(QStringLiteral("コンテインメント"), taboption);
    cmbContainment = named(new TzkComboBox(taboption), "cmbContainment");
    modes->addWidget(lblBkMode, 0, 0);
    modes->addWidget(cmbBkMode, 0, 1);
    modes->addWidget(lblGokan, 1, 0);
    modes->addWidget(cmbGokan, 1, 1);
    modes->addWidget(lblContainment, 2, 0);
    modes->addWidget(cmbContainment, 2, 1);
    modes->setColumnStretch(2, 1);
    cmbBkMode->setFixedWidth(261);
    cmbGokan->setFixedWidth(261);
    cmbContainment->setFixedWidth(234);
    opt->addLayout(modes);
    grpSetting = named(new QGroupBox(QStringLiteral("設定"), taboption), "grpSetting");
    auto *set = new QGridLayout(grpSetting);
    chkAnsiNull = check(QStringLiteral("ANSI NULL 規定値"), "chkAnsiNull", grpSetting);
    chkTrigger = check(QStringLiteral("再帰トリガ"), "chkTrigger", grpSetting);
    chkAutoUpdate = check(QStringLiteral("統計の自動更新"), "chkAutoUpdate", grpSetting);
    chkPageVerify = check(QStringLiteral("破損ページの検出"), "chkPageVerify", grpSetting);
    chkAutoClose = check(QStringLiteral("自動開始"), "chkAutoClose", grpSetting);
    chkAutoShrink = check(QStringLiteral("自動圧縮"), "chkAutoShrink", grpSetting);
    chkAutoCreate = check(QStringLiteral("統計の自動作成"), "chkAutoCreate", grpSetting);
    chkQuote = check(QStringLiteral("引用符で囲まれた識別子を使用"), "chkQuote", grpSetting);
    chkMultiDB = check(QString(), "chkMultiDB", grpSetting);
    chkMultiDB->hide();
    const QList<TzkCheckBox *> settings{chkAnsiNull,  chkTrigger,    chkAutoUpdate, chkPageVerify,
                                        chkAutoClose, chkAutoShrink, chkAutoCreate, chkQuote};
    for (int i = 0; i < settings.size(); ++i)
        set->addWidget(settings[i], i % 4, i / 4);
    opt->addWidget(grpSetting);
    grdSetting = named(new TzkStringGrid(taboption), "grdSetting");
    grdSetting->installEventFilter(this);
    opt->addWidget(grdSetting, 1);
    pagObject->addTab(taboption, QStringLiteral("オプション"));

    tabSource = named(new QWidget, "tabSource");
    auto *src = new QVBoxLayout(tabSource);
    src->setContentsMargins(0, 0, 0, 0);
    fraMemo = named(new TfraMemo(tabSource), "fraMemo");
    src->addWidget(fraMemo);
    pagObject->addTab(tabSource, QStringLiteral("ソース"));
    tabGrant = named(new QWidget, "tabGrant");
    auto *gr = new QVBoxLayout(tabGrant);
    fraGrant = new TfraGrant(tabGrant);
    gr->addWidget(fraGrant);
    pagObject->addTab(tabGrant, QStringLiteral("権限"));

    // The grids' shapes.
    grdFile->SetFixedCols(0);
    grdFile->SetColCount(9);
    grdFile->SetRowCount(4);
    grdFile->SetHeader({QStringLiteral("論理名"), QStringLiteral("ファイルの種類"), QStringLiteral("ファイルグループ"),
                        QStringLiteral("初期サイズ(MB)"), QStringLiteral("パス"), QStringLiteral("ファイル名"),
                        QString(), QString(), QString()});
    const TzkGridEditStyle fileStyles[] = {geSimple, gePickList, gePickList, geSimple, geEllipsis,
                                           geSimple, geSimple,   geSimple,   geSimple};
    const int fileWidths[] = {150, 150, 150, 100, 250, 100, -1, -1, -1};
    for (int c = 0; c < 9; ++c) {
        grdFile->SetEditStyles(c, fileStyles[c]);
        grdFile->SetColWidths(c, fileWidths[c]);
    }
    grdFile->SetGridMode(geAccess);
    grdFile->OnGetPickListitems = [this](int ACol, int, QStringList &Items) {
        if (ACol == 1)
            Items = {QStringLiteral("データ"), QStringLiteral("ログ")};
        else if (ACol == 2)
            for (int r = 1; r < grdFileGroup->RowCount() - 1; ++r)
                Items << grdFileGroup->Cells(0, r);
    };
    grdFile->OnClick = [this](TzkStringGrid *) { ShowFileGrowth(grdFile->Row()); };

    grdFileGroup->SetFixedCols(0);
    grdFileGroup->SetColCount(4);
    grdFileGroup->SetRowCount(3);
    grdFileGroup->SetHeader({QStringLiteral("名前"), QStringLiteral("ファイル"), QStringLiteral("読み取り専用"),
                             QStringLiteral("デフォルト")});
    const TzkGridEditStyle groupStyles[] = {geSimple, geSimple, geCheckBox, geCheckBox};
    const int groupWidths[] = {150, 150, 100, 100};
    for (int c = 0; c < 4; ++c) {
        grdFileGroup->SetEditStyles(c, groupStyles[c]);
        grdFileGroup->SetColWidths(c, groupWidths[c]);
    }
    grdFileGroup->SetGridMode(geAccess);

    grdSetting->SetFixedCols(0);
    grdSetting->SetColCount(2);
    grdSetting->SetRowCount(2);
    grdSetting->SetHeader({QStringLiteral("設定項目"), QStringLiteral("設定値")});
    grdSetting->SetColWidths(0, 260);
    grdSetting->SetColWidths(1, 200);
    grdSetting->SetEditStyles(0, geSimple);
    grdSetting->SetEditStyles(1, gePickList);
    grdSetting->SetGridMode(geExcel);
    grdSetting->OnSelectCell = [this](TzkStringGrid *, int ACol, int ARow, bool &CanSelect) {
        grdSettingSelectCell(ACol, ARow, CanSelect);
    };
    grdSetting->OnGetPickListitems = [this](int ACol, int ARow, QStringList &Items) {
        grdSettingGetPickListitems(ACol, ARow, Items);
    };
    grdSetting->OnDrawCell = [this](TzkStringGrid *grid, int, int ARow, const QRect &Rect, TGridDrawState) {
        if (ARow < 1 || !OptionRowGrey(ARow))
            return;
        // Headings and rows that do not apply read as part of the frame.
        TzkGridCanvas *canvas = grid->Canvas();
        QPainter *p = canvas->Painter;
        p->fillRect(Rect, palette().color(QPalette::Button));
        p->setPen(palette().color(QPalette::ButtonText));
        const int col = Rect.left() < grid->CellRect(1, ARow).left() ? 0 : 1;
        p->drawText(Rect.adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                    grid->Cells(col, ARow));
    };
    grdSetting->OnClick = [this](TzkStringGrid *) { SetModified(true); };
    connect(cmbContainment, &QComboBox::activated, this, [this] { cmbContainmentChange(); });
    connect(chkAutoExt, &QCheckBox::toggled, pnlAutoExt, &QWidget::setEnabled);
}

QString Tfrmdb::WindowCaption() const
{
    const TdmSQLServer *dm = Connection()->dmSQLServer;
    const QString name = m_prepared ? txtName->text() : ObjectName();
    const QString owner = m_prepared ? G_UserName : Schema();
    return DbWindowCaption(owner, name, dm->Server(), dm->DataBase());
}

void Tfrmdb::ChangedIsNew()
{
    if (!m_prepared)
        Prepare();
    setWindowTitle(WindowCaption());
    SetTaskCaption(IsNew() ? QStringLiteral("新規") : txtName->text());
    EnableNameFields(IsNew());
    if (IsNew())
        LoadDefinition(false);
}

QWidget *Tfrmdb::NameField() const
{
    return txtName;
}

void Tfrmdb::EnableNameFields(bool enabled)
{
    txtName->setEnabled(enabled);
    pnlUser->setEnabled(enabled);
}

bool Tfrmdb::SourceTabActive() const
{
    return pagObject->currentWidget() == tabSource;
}

bool Tfrmdb::IsSourceTabHidden() const
{
    return !pagObject->isTabVisible(pagObject->indexOf(tabSource));
}

bool Tfrmdb::IsCurrentDatabaseMaster() const
{
    return Connection()->g_DataBase.toLower() == QLatin1String("master");
}

void Tfrmdb::Prepare()
{
    m_prepared = true;
    TfrmObject *owner = Connection();
    TdmSQLServer *dm = owner->dmSQLServer;
    const bool azure = owner->IsAzure;
    txtName->setText(ObjectName());
    G_UserName = Schema();
    PrepareQueries();

    pnlAzure->setVisible(azure);
    pnlAll->setVisible(!azure);
    if (azure) {
        pagObject->setTabVisible(pagObject->indexOf(tabFileGrp), false);
        pagObject->setTabVisible(pagObject->indexOf(taboption), false);
        for (QWidget *w : std::initializer_list<QWidget *>{
                 ChkAccess, radbtnsingle, radbtndbowner, chkReadOnly, cmbBkMode, chkAnsiNull, chkAutoClose, chkTrigger,
                 chkAutoShrink, chkAutoCreate, chkAutoUpdate, chkPageVerify, chkQuote, cmbGokan})
            w->setEnabled(false);
    }
    if (ConnectionManager) {
        QPalette p = pnlPersonalColor->palette();
        p.setColor(QPalette::Window, ColorToQColor(ConnectionManager->GetBackgroundColor(owner->MYSID)));
        pnlPersonalColor->setPalette(p);
    }

    const QStringList modes{QStringLiteral("完全"), QStringLiteral("一括"), QStringLiteral("単純")};
    if (azure) {
        cmbUser->setEditText(dm->Login());
        cmbBkMode->addItems(modes);
        cmbBkMode->setCurrentIndex(0);
        cmbGokan->addItems(AzureCompatibilityEntries());
        cmbGokan->setCurrentIndex(-1);
        TFDQuery *q = owner->OpenSQL(AzureCollationQuery(owner->g_DataBase));
        if (!q->Eof()) {
            cmbSyogoAzure->addItem(q->Fields(0)->AsString());
            cmbSyogoAzure->setCurrentIndex(0);
        }
        q = owner->OpenSQL(QStringLiteral("select serverproperty('IsFullTextInstalled')"));
        chkFullTextIndexAzure->setChecked(!q->Eof() && q->Fields(0)->AsString() == QLatin1String("1"));
        cmbUser->setEnabled(false);
        cmbSyogoAzure->setEnabled(false);
        chkFullTextIndexAzure->setEnabled(false);
        grdFileGroup->SetRowCount(2);
        grdFile->SetRowCount(2);
    } else {
        TFDQuery *q = owner->OpenSQL(QStringLiteral("select loginname from master..syslogins where loginname not "
                                                    "like'%##%' "));
        QStringList logins;
        for (q->First(); !q->Eof(); q->Next())
            logins << q->Fields(0)->AsString();
        logins.sort(Qt::CaseInsensitive);
        cmbUser->addItems(logins);
        cmbUser->setEditText(dm->Login());
        q = owner->OpenSQL(QStringLiteral("select * from ::fn_helpcollations()"));
        for (q->First(); !q->Eof(); q->Next())
            cmbSyogo->addItem(q->Fields(0)->AsString());
        q = owner->OpenSQL(QStringLiteral("select serverproperty('collation')"));
        cmbSyogo->setCurrentIndex(q->Eof() ? -1 : cmbSyogo->findText(q->Fields(0)->AsString()));
        q = owner->OpenSQL(QStringLiteral("select serverproperty('IsFullTextInstalled')"));
        chkFullTextIndex->setEnabled(!q->Eof() && q->Fields(0)->AsString() == QLatin1String("1"));
        qryRootDir->Close();
        qryRootDir->SetSQL(DbRootDirQuery());
        qryRootDir->Open();
        G_RootDir = qryRootDir->Eof() ? QString() : qryRootDir->Fields(0)->AsString();
        qryRootDir->Close();

        const QString folder = DefaultDataFolder(G_RootDir);
        grdFile->SetRowCount(4);
        grdFile->SetRows(1, {QString(), QStringLiteral("データ"), QStringLiteral("PRIMARY"), QString(), folder,
                             QString(), QStringLiteral("128"), QStringLiteral("1"), QStringLiteral("-1")});
        grdFile->SetRows(2, {QStringLiteral("_log"), QStringLiteral("ログ"), QString::fromUtf8(kNoFilegroup), QString(),
                             folder, QString(), QStringLiteral("10"), QStringLiteral("2"), QStringLiteral("-1")});
        grdFile->SetRows(3, QStringList(9));
        grdFileGroup->SetRowCount(3);
        grdFileGroup->SetRows(
            1, {QStringLiteral("PRIMARY"), QStringLiteral("1"), QStringLiteral("-1"), QStringLiteral("1")});
        grdFileGroup->SetRows(2, QStringList(4));
        ShowFileGrowth(1);
        btnColDelete->setEnabled(false);
        Btngrpdel->setEnabled(false);
        G_FGrpRowCnt = 2;

        ChkAccess->setChecked(false);
        radbtnsingle->setEnabled(false);
        radbtndbowner->setEnabled(false);
        radbtndbowner->setChecked(true);
        chkReadOnly->setChecked(false);
        cmbBkMode->addItems(modes);
        cmbBkMode->setCurrentIndex(0);

        m_serverVersion = dm->GetDBVersion(0);
        int selected = 0;
        cmbGokan->addItems(CompatibilityEntries(m_serverVersion, &selected));
        cmbGokan->setCurrentIndex(selected);

        const bool grid = m_serverVersion > 8;
        grpSetting->setVisible(!grid);
        ChkAccess->setVisible(!grid);
        GroupBox2->setVisible(!grid);
        chkReadOnly->setVisible(!grid);
        grdSetting->setVisible(grid);
        const bool containment = grid && m_serverVersion >= 11;
        lblContainment->setVisible(containment);
        cmbContainment->setVisible(containment);
        if (containment) {
            cmbContainment->addItems({QStringLiteral("なし"), QStringLiteral("部分")});
            cmbContainment->setCurrentIndex(0);
        }

        if (owner->g_DBVer <= 8) {
            for (TzkCheckBox *c : {chkAutoUpdate, chkPageVerify, chkAutoCreate})
                c->setChecked(true);
            for (TzkCheckBox *c : {chkAnsiNull, chkTrigger, chkMultiDB, chkAutoClose, chkAutoShrink, chkQuote})
                c->setChecked(false);
        } else if (IsNew()) {
            FillOptionItems();
            ShowOptionItems();
            FillOptionGrid();
            ShowOptionValues();
        }
        if (!Schema().isEmpty())
            cmbUser->setCurrentIndex(cmbUser->findText(Schema()));
    }
    pagObject->setCurrentWidget(tabDefine);
}

void Tfrmdb::PrepareQueries()
{
    const TfrmObject *owner = Connection();
    const TDbQueryTexts t = DbQueryTexts(owner->g_DBVer, owner->IsAzure, owner->Use(txtName->text()));
    qrySyogo->SetSQL(t.Syogo);
    qryDataFile->SetSQL(t.DataFile);
    qryfilegroup->SetSQL(t.FileGroup);
    qryOption->SetSQL(t.Option);
}

bool Tfrmdb::LoadObject()
{
    if (!m_prepared)
        Prepare();
    LoadDefinition(false);
    return true;
}

void Tfrmdb::LoadDefinition(bool WithDrop)
{
    PrepareQueries();
    TSQLWaitCursor wait;
    const bool azure = Connection()->IsAzure;
    struct Finish
    {
        Tfrmdb *w;
        ~Finish()
        {
            w->SetModified(false);
            w->G_FGrpRowCnt = w->grdFileGroup->RowCount() - 2;
        }
    } finish{this};

    if (!IsNew()) {
        pnlUser->setEnabled(false);
        cmbUser->setEditText(G_UserName);
        QString collation;
        bool found = false;
        try {
            qrySyogo->ParamByName(QStringLiteral("NAME")).SetAsWideString(txtName->text());
            qrySyogo->Open();
            found = !qrySyogo->Eof();
            if (found)
                collation = qrySyogo->Fields(0)->AsString();
        } catch (...) {
            qrySyogo->Close();
            throw;
        }
        qrySyogo->Close();
        if (!found) {
            if (!ScriptMode())
                Ask(QStringLiteral("定義情報を読み込めませんでした。"), MB_OK | MB_ICONERROR);
            throw EAbort();
        }
        TzkComboBox *coll = azure ? cmbSyogoAzure : cmbSyogo;
        const int index = coll->findText(collation);
        coll->setCurrentIndex(index < 0 ? 0 : index);

        if (!azure) {
            grdFile->Clear();
            grdFile->SetRow(1);
            grdFile->SetCol(0);
            int row = 0;
            try {
                qryDataFile->Open();
                for (qryDataFile->First(); !qryDataFile->Eof(); qryDataFile->Next()) {
                    ++row;
                    grdFile->SetRowCount(std::max(grdFile->RowCount(), row + 1));
                    auto f = [this](const char *name) { return qryDataFile->FieldByName(QLatin1String(name)); };
                    QString folder, file;
                    SplitServerPath(f("filename")->AsString(), folder, file);
                    const QString group = f("group_name")->AsString();
                    grdFile->SetRows(
                        row, {f("name")->AsString().trimmed(),
                              f("filekind")->AsInteger() != 0 ? QStringLiteral("ログ") : QStringLiteral("データ"),
                              group.isEmpty() ? QString::fromUtf8(kNoFilegroup) : group,
                              pagesToMb(f("size")->AsString()), folder, file, f("growth")->AsString(),
                              f("persentgrowth")->AsString(), f("maxsize")->AsString()});
                }
            } catch (...) {
                qryDataFile->Close();
                throw;
            }
            qryDataFile->Close();
            grdFile->SetRowCount(row + 2);
            grdFile->SetRows(row + 1, QStringList(9));
            ShowFileGrowth(1);

            grdFileGroup->Clear();
            grdFileGroup->SetRow(1);
            grdFileGroup->SetCol(0);
            row = 0;
            try {
                qryfilegroup->Open();
                for (qryfilegroup->First(); !qryfilegroup->Eof(); qryfilegroup->Next()) {
                    ++row;
                    grdFileGroup->SetRowCount(std::max(grdFileGroup->RowCount(), row + 1));
                    auto f = [this](const char *name) { return qryfilegroup->FieldByName(QLatin1String(name)); };
                    const QString cnt = f("cnt")->AsString();
                    grdFileGroup->SetRows(row, {f("groupname")->AsString(), cnt.isEmpty() ? QStringLiteral("0") : cnt,
                                                flagText(f("readonly")), flagText(f("def"))});
                }
            } catch (...) {
                qryfilegroup->Close();
                throw;
            }
            qryfilegroup->Close();
            grdFileGroup->SetRowCount(row + 2);
            grdFileGroup->SetRows(row + 1, QStringList(4));

            if (Connection()->g_DBVer > 8) {
                FillOptionItems();
                ShowOptionItems();
                FillOptionGrid();
                ShowOptionValues();
            }
        }
    }
    SaveControls();

    if (SourceTabActive() || ScriptMode()) {
        const QStringList lines = WithDrop ? BuildDropScript() : BuildCreateScript();
        TzkMemo *memo = fraMemo->txtSQL;
        memo->Lines()->BeginUpdate();
        memo->Lines()->Clear();
        for (const QString &line : lines)
            memo->Lines()->Add(line);
        memo->Lines()->EndUpdate();
        memo->EditorUndoObj()->Clear();
        memo->SetRow(0);
        memo->SetCol(0);
    }
    if (pagObject->currentWidget() == tabGrant && !ScriptMode()) {
        fraGrant->setUpdatesEnabled(false);
        fraGrant->ShowData(txtName->text(), QString(), QString());
        fraGrant->setUpdatesEnabled(true);
    }
}

void Tfrmdb::SaveControls()
{
    for (TzkComboBox *c : {cmbUser, cmbSyogo, cmbSyogoAzure, cmbSize, cmbEdition, cmbBkMode, cmbGokan, cmbContainment})
        c->Save();
    for (TzkCheckBox *c :
         {chkFullTextIndex, chkAutoExt, chkFullTextIndexAzure, ChkAccess, chkReadOnly, chkAnsiNull, chkTrigger,
          chkAutoUpdate, chkPageVerify, chkAutoClose, chkAutoShrink, chkAutoCreate, chkQuote})
        c->Save();
    radbtnsingle->Save();
    radbtndbowner->Save();
    grdFile->Save();
    grdFileGroup->Save();
    grdSetting->Save();
}

int Tfrmdb::ExtIndex() const
{
    return radExtPercent->isChecked() ? 0 : radExtMb->isChecked() ? 1 : -1;
}

int Tfrmdb::MaxIndex() const
{
    return radMaxLimited->isChecked() ? 0 : radMaxUnlimited->isChecked() ? 1 : -1;
}

void Tfrmdb::ShowFileGrowth(int ARow)
{
    const QString growth = grdFile->Cells(6, ARow);
    if (growth.isEmpty() || growth == QLatin1String("0")) {
        chkAutoExt->setChecked(false);
        pnlAutoExt->setEnabled(false);
        return;
    }
    chkAutoExt->setChecked(true);
    pnlAutoExt->setEnabled(true);
    if (grdFile->Cells(7, ARow) == QLatin1String("1")) {
        radExtMb->setChecked(true);
        txtMbSize->setEnabled(true);
        txtMbSize->setText(pagesToMb(growth));
        txtPersentSize->setEnabled(false);
    } else {
        radExtPercent->setChecked(true);
        txtPersentSize->setEnabled(true);
        txtPersentSize->setText(growth);
        txtMbSize->setEnabled(false);
    }
    const QString max = grdFile->Cells(8, ARow);
    if (max == QLatin1String("-1")) {
        radMaxUnlimited->setChecked(true);
        txtMaxsize->setEnabled(false);
        txtMaxsize->clear();
    } else {
        radMaxLimited->setChecked(true);
        txtMaxsize->setEnabled(true);
        txtMaxsize->setText(pagesToMb(max));
    }
}

void Tfrmdb::StoreFileGrowth(int ARow)
{
    if (!chkAutoExt->isChecked()) {
        grdFile->SetCells(6, ARow, QStringLiteral("0"));
        grdFile->SetCells(7, ARow, QStringLiteral("1"));
        grdFile->SetCells(8, ARow, QStringLiteral("-1"));
        return;
    }
    auto pages = [](const TzkNumEdit *edit) {
        bool ok = false;
        qint64 mb = edit->text().trimmed().toLongLong(&ok);
        if (!ok)
            mb = 1;
        return FloatToStr(double(mb) * 1024 / 8);
    };
    if (ExtIndex() == 0) {
        grdFile->SetCells(6, ARow, txtPersentSize->text());
        grdFile->SetCells(7, ARow, QStringLiteral("2"));
    } else if (ExtIndex() == 1) {
        grdFile->SetCells(6, ARow, pages(txtMbSize));
        grdFile->SetCells(7, ARow, QStringLiteral("1"));
    }
    if (MaxIndex() == 0)
        grdFile->SetCells(8, ARow, pages(txtMaxsize));
    else if (MaxIndex() == 1)
        grdFile->SetCells(8, ARow, QStringLiteral("-1"));
}

void Tfrmdb::growthExit(TzkNumEdit *edit, bool abort)
{
    if (edit->text().trimmed().toLongLong() < 1) {
        Ask(QStringLiteral("値を入力してください。"), MB_OK | MB_ICONWARNING);
        edit->setFocus();
        if (abort)
            throw EAbort();
        return;
    }
    StoreFileGrowth(grdFile->Row());
}

void Tfrmdb::txtMaxsizeExit()
{
    growthExit(txtMaxsize, true);
}

void Tfrmdb::txtMbSizeExit()
{
    growthExit(txtMbSize, true);
}

void Tfrmdb::txtPersentSizeExit()
{
    growthExit(txtPersentSize, false);
}

bool Tfrmdb::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == grdSetting && event->type() == QEvent::Resize)
        FormResize();
    if (event->type() == QEvent::FocusOut && watched->isWidgetType() && static_cast<QWidget *>(watched)->isEnabled()) {
        try {
            if (watched == txtMaxsize)
                txtMaxsizeExit();
            else if (watched == txtMbSize)
                txtMbSizeExit();
            else if (watched == txtPersentSize)
                txtPersentSizeExit();
        } catch (const EAbort &) {
            // The warning was shown and the focus went back.
        }
    }
    return TfrmObjectEditor::eventFilter(watched, event);
}

void Tfrmdb::PrintDefinition()
{
    TfrmPrint::BeginPrint();
    struct End
    {
        ~End() { TfrmPrint::EndPrint(); }
    } end;
    const QStringList lines = BuildCreateScript();
    TfrmPrint::PrintSource(cmbUser->currentText() + QLatin1Char('.') + txtName->text(), lines, true);
}

void Tfrmdb::resizeEvent(QResizeEvent *event)
{
    TfrmObjectEditor::resizeEvent(event);
    FormResize();
}

void Tfrmdb::FormResize()
{
    // The layouts place the controls; the fixed widths shrink with a
    // narrow window so that every control keeps its right margin.
    const int W = pagObject->width();
    auto fit = [this, W](QWidget *w, int width, int margin) {
        const int left = w->mapTo(pagObject, QPoint(0, 0)).x();
        w->setFixedWidth(W < left + width + margin ? std::max(20, W - left - margin) : width);
    };
    fit(cmbSyogo, 234, 25);
    fit(txtPersentSize, 57, 35);
    fit(txtMbSize, 57, 35);
    fit(txtMaxsize, 111, 35);
    fit(cmbBkMode, 261, 15);
    fit(cmbGokan, 261, 15);
    fit(cmbContainment, 234, 15);
    const int gw = grdSetting->width();
    if (grdSetting->ColWidths(1) > 0 || gw - 30 >= 300)
        grdSetting->SetColWidths(1, std::max(20, gw - grdSetting->ColWidths(0) - 30));
    else
        grdSetting->SetColWidths(0, std::max(40, gw - 30));
}

// --- Option grid ---------------------------------------------------------

void Tfrmdb::FillOptionItems()
{
    FOptionItems.clear();
    for (const TDbOptionRow *r : DbOptionRowsFor(Connection()->DBVer))
        FOptionItems << QString::fromUtf8(r->Caption);
}

void Tfrmdb::FillOptionGrid()
{
    FOptionValues.clear();
    TfrmObject *owner = Connection();
    const int dbVer = owner->DBVer;
    const QList<const TDbOptionRow *> rows = DbOptionRowsFor(dbVer);
    if (IsNew()) {
        for (const TDbOptionRow *r : rows)
            FOptionValues << QString::fromUtf8(r->NewValue);
        return;
    }
    struct Close
    {
        TFDQuery *q;
        ~Close() { q->Close(); }
    } close{qryOption};
    qryOption->ParamByName(QStringLiteral("dbname")).SetAsWideString(txtName->text());
    qryOption->Open();
    if (qryOption->Eof())
        return;
    auto field = [this](const char *alias) { return qryOption->FieldByName(QLatin1String(alias)); };
    chkFullTextIndex->setChecked(field("FulltextIndex")->AsString() == QLatin1String("ON"));
    const int model = field("RecoveryModel")->AsInteger();
    if (model >= 1 && model <= 3)
        cmbBkMode->setCurrentIndex(model - 1);
    cmbGokan->setCurrentIndex(CompatibilityIndex(dbVer, field("cmptlevel")->AsInteger()));
    if (dbVer >= 11)
        cmbContainment->setCurrentIndex(field("Containment")->AsInteger());
    for (const TDbOptionRow *r : rows) {
        const QString caption = QString::fromUtf8(r->Caption);
        if (r->FromVersion == 10 && !*r->Source) {
            // The vardecimal state comes from its own call; one value always.
            QString state;
            try {
                TFDQuery *q = owner->OpenSQL(VardecimalQuery(txtName->text()));
                if (!q->Eof() && q->FindField(QStringLiteral("Vardecimal State")))
                    state = q->FieldByName(QStringLiteral("Vardecimal State"))->AsString();
            } catch (const std::exception &) {
            }
            FOptionValues << state;
            continue;
        }
        const bool containmentRow = r->Containment || caption == QStringLiteral("■コンテインメント");
        if (containmentRow && cmbContainment->currentIndex() == 0) {
            FOptionValues << QString();
            continue;
        }
        const QString value = qryOption->FieldByName(QString::fromUtf8(r->Source))->AsString();
        FOptionValues << (r->Edit == oeLanguage ? GetLanguageAlias(value) : value);
    }
}

void Tfrmdb::ShowOptionItems()
{
    grdSetting->SetRowCount(std::max(2, int(FOptionItems.size()) + 1));
    for (int i = 0; i < FOptionItems.size(); ++i)
        grdSetting->SetCells(0, i + 1, FOptionItems[i]);
}

void Tfrmdb::ShowOptionValues()
{
    for (int i = 0; i < FOptionValues.size(); ++i)
        grdSetting->SetCells(1, i + 1, FOptionValues[i]);
    grdSetting->SetRowCount(int(FOptionItems.size()) + 1);
}

void Tfrmdb::ListLanguageAliases(QStringList &Items)
{
    try {
        TFDQuery *q = Connection()->OpenSQL(LanguageAliasesQuery());
        for (q->First(); !q->Eof(); q->Next())
            Items << q->Fields(0)->AsString();
    } catch (const std::exception &) {
    }
}

QString Tfrmdb::GetLanguageLcid(const QString &Alias)
{
    try {
        TFDQuery *q = Connection()->OpenSQL(LanguageLcidQuery(Alias));
        return q->Eof() ? QString() : q->Fields(0)->AsString();
    } catch (const std::exception &) {
        return QString();
    }
}

QString Tfrmdb::GetLanguageAlias(const QString &Lcid)
{
    try {
        TFDQuery *q = Connection()->OpenSQL(LanguageAliasQuery(Lcid));
        return q->Eof() ? QString() : q->Fields(0)->AsString();
    } catch (const std::exception &) {
        return QString();
    }
}

QString Tfrmdb::OptionCaption(int ARow) const
{
    return grdSetting->Cells(0, ARow);
}

bool Tfrmdb::OptionValueEditable(int ARow) const
{
    const TDbOptionRow *r = FindDbOptionRow(OptionCaption(ARow));
    if (!r || r->Edit == oeReadOnly)
        return false;
    if (r->Containment && cmbContainment->currentIndex() <= 0)
        return false;
    if (QString::fromUtf8(r->Caption) == QStringLiteral("複数データベースの組合せ所有権有効")) {
        const QString name = txtName->text();
        if (name == QLatin1String("master") || name == QLatin1String("model") || name == QLatin1String("tempdb"))
            return false;
    }
    return true;
}

bool Tfrmdb::OptionRowGrey(int ARow) const
{
    const QString caption = OptionCaption(ARow);
    if (IsDbOptionHeading(caption))
        return true;
    const TDbOptionRow *r = FindDbOptionRow(caption);
    return r && r->Containment && cmbContainment->currentIndex() <= 0;
}

void Tfrmdb::grdSettingSelectCell(int ACol, int ARow, bool &CanSelect)
{
    Q_UNUSED(CanSelect)
    grdSetting->SetGridMode(geAccess);
    const bool editable = ACol == 1 && OptionValueEditable(ARow);
    TGridOptions options = grdSetting->Options();
    options.setFlag(goEditing, editable);
    grdSetting->SetOptions(options);
    if (!editable)
        grdSetting->SetEditorMode(false);
    const TDbOptionRow *r = FindDbOptionRow(OptionCaption(ARow));
    grdSetting->SetEditStyles(1, r && r->Edit == oeText ? geSimple : gePickList);
}

void Tfrmdb::grdSettingGetPickListitems(int ACol, int ARow, QStringList &Items)
{
    Q_UNUSED(ACol)
    const TDbOptionRow *r = FindDbOptionRow(OptionCaption(ARow));
    if (!r || r->Edit == oeText)
        return;
    if (r->Edit == oeLanguage) {
        ListLanguageAliases(Items);
        return;
    }
    Items = r->PickList.isEmpty() ? QStringList{QStringLiteral("ON"), QStringLiteral("OFF")} : r->PickList;
}

void Tfrmdb::cmbContainmentChange()
{
    SetModified(true);
    grdSetting->viewport()->update();
}

// --- Opening --------------------------------------------------------------

void RegisterAdminWindows()
{
    RegisterWindow(QStringLiteral("Tfrmdb"), [](TfrmObject *owner, const TOpenArgs &a) -> QWidget * {
        return TfrmObjectEditor::Open<Tfrmdb>(owner, a.DataBase, a.Schema, a.ObjectName);
    });
}
