#include "sqlwindow/fexecprc.h"
#include "core/zkwaitcursor.h"
#include "sqlwindow/fsql.h"
#include "sqlwindow/fmemo.h"

#include "connection/fobject.h"
#include "connection/fobject_open.h"
#include "controls/zkcomctrls.h"
#include "controls/zkstdctl.h"
#include "core/dsqlserver.h"
#include "core/zkCommonData.h"
#include "core/zkimagelist.h"
#include "platform/graphics/colors.h"
#include "core/zkapp.h"
#include "core/zkreg.h"
#include "core/zkstsbar.h"
#include "core/zksub.h"
#include "core/zksub_dialogs.h"
#include "core/zksub_text.h"
#include "core/zkwindows.h"
#include "platform/db/db.h"
#include "platform/rtl/exceptions.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kLayoutKey = ZK_REG_ROOT + QStringLiteral("\\GUI\\EXECPROC");
const QString kOutputHead = QStringLiteral("【 実行後パラメータ値 】");

QString RightTrim(const QString &s)
{
    int n = int(s.size());
    while (n > 0 && s.at(n - 1).unicode() <= 32)
        --n;
    return s.left(n);
}

bool IsOneOf(const QString &t, std::initializer_list<const char *> names)
{
    for (const char *n : names)
        if (t == QLatin1String(n))
            return true;
    return false;
}

bool IsIntegerType(const QString &t)
{
    return IsOneOf(t, {"BIGINT", "INT", "TINYINT", "SMALLINT", "BIT"});
}
bool IsExactType(const QString &t)
{
    return IsOneOf(t, {"DECIMAL", "NUMERIC", "MONEY", "SMALLMONEY"});
}
bool IsFloatType(const QString &t)
{
    return IsOneOf(t, {"FLOAT", "REAL"});
}
bool IsDateType(const QString &t)
{
    return IsOneOf(t, {"DATETIME", "DATETIME2", "DATETIMEOFFSET", "SMALLDATETIME", "DATE", "TIME"});
}
// The type name without a length: "DECIMAL(38,10)" reads DECIMAL.
QString BaseType(const QString &typeText)
{
    const QString t = typeText.trimmed().toUpper();
    const int p = int(t.indexOf(QLatin1Char('(')));
    return p < 0 ? t : t.left(p);
}

// A decimal number as the server reads it, digits kept as typed.
bool IsNumberText(const QString &v)
{
    static const QRegularExpression re(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
    return re.match(v.trimmed()).hasMatch();
}

[[noreturn]] void RaiseConvert(const QString &paramName, const QString &value)
{
    throw Exception(QStringLiteral("パラメータ %1 の値 '%2' を変換できません。").arg(paramName, value));
}

} // namespace

// --- Statements ------------------------------------------------------------------------------

QString ExecProcTypeSQL(bool version9)
{
    return version9 ? QStringLiteral(
               "select type from sys.objects where object_id = object_id(quotename(:OWNER) + N'.' + quotename(:NAME))")
                    : QStringLiteral(
                        "select xtype from sysobjects where id = object_id(quotename(:OWNER) + N'.' + quotename(:NAME))");
}

QString ExecProcParamSQL(bool version9, bool isProcedure, bool tableFunction)
{
    QString sql =
        version9
            ? QStringLiteral(
                "select param.parameter_id as [parameter_id], param.name as [name], case param.is_cursor_ref   when 0 then isnull(baset.name, '')   when 1 then 'cursor' end as [type], cast(CASE when baset.name in ('nchar', 'nvarchar') and param.max_length <> -1 then param.max_length/2 ELSE param.max_length end as int) as [length], cast(param.precision as int) as [precision], cast(param.scale as int) as [scale], case   when (usrt.system_type_id <> usrt.user_type_id) and        (usrt.name <> 'sysname')   then schema_name(usrt.schema_id) + '.' + usrt.name   else '' end as [usertype], param.default_value as [default_value], param.is_output as [is_output]from sys.all_parameters as param left outer join sys.types as usrt on usrt.user_type_id = param.user_type_id left outer join sys.types as baset on (baset.user_type_id = param.system_type_id) and (baset.user_type_id = baset.system_type_id) where param.object_id = object_id(quotename(:OWNER) + N'.' + quotename(:NAME)) ")
            : QStringLiteral(
                "select col.colorder as [colorder], col.name as [name], case when (cast(columnproperty(col.id, col.name, N'iscursortype') as bit) = 1) then N'cursor' else usrt.name end as [type], cast(case when baset.name in (N'char', N'varchar', N'binary', N'varbinary', N'nchar', N'nvarchar') then col.prec else col.length end as int) as [length], cast(col.prec as int) as [precision], cast(col.scale as int) as [scale], isnull(usrt.name, N'') as [usertype], ' ' as [default_value], col.isoutparam [is_output] from syscolumns as col inner join dbo.sysobjects as sp on col.id = sp.id inner join dbo.sysusers as susp on susp.uid = sp.uid inner join dbo.systypes as baset on baset.xusertype = col.xtype and baset.xusertype = baset.xtype inner join dbo.systypes as usrt on usrt.xusertype = col.xusertype inner join dbo.sysusers as sret_param on sret_param.uid = usrt.uid where (sp.xtype = N'P' or sp.xtype = N'RF' or sp.xtype = N'X' or sp.xtype = N'FN' or sp.xtype = N'IF' or sp.xtype = N'TF') and sp.id = object_id(quotename(:OWNER) + N'.' + quotename(:NAME)) ");
    if (isProcedure)
        sql += QStringLiteral(" union select '','','int','','','','',' ',''");
    if (tableFunction)
        sql += QStringLiteral(" union select '','','TABLE','','','','',' ',''");
    // Binding goes by position; a union keeps no order of its own.
    sql += QStringLiteral(" order by 1");
    return sql;
}

QString ExecProcTypeText(const QString &type, const QString &length)
{
    const QString t = type.toUpper();
    if (!IsOneOf(t, {"CHAR", "VARCHAR", "NCHAR", "NVARCHAR", "BINARY", "VARBINARY"}))
        return type;
    if (IsOneOf(t, {"VARCHAR", "NVARCHAR", "VARBINARY"}) && length.trimmed() == QLatin1String("-1"))
        return type + QStringLiteral("(max)");
    return type + QLatin1Char('(') + length.trimmed() + QLatin1Char(')');
}

QString ExecProcCallSQL(const QString &schema, const QString &name, const QStringList &names, const QList<int> &images)
{
    QString sql = QStringLiteral("execute :zk_ret = ") + BracketName(schema, true) + QLatin1Char('.')
                  + BracketName(name, true) + QStringLiteral("\r\n");
    QStringList markers;
    for (int i = 0; i < names.size(); ++i) {
        // Only the leading "@" becomes the marker: one inside a name ("@a@b")
        // belongs to it, and two markers would shift every later binding.
        QString m = names.at(i);
        if (m.startsWith(QLatin1Char('@')))
            m[0] = QLatin1Char(':');
        else
            m.prepend(QLatin1Char(':'));
        // The server hands back only what the call marks as output.
        const int image = i < images.size() ? images.at(i) : kParamImageInput;
        if (image == kParamImageOutput || image == kParamImageInOut)
            m += QStringLiteral(" output");
        markers << m;
    }
    return sql + markers.join(QLatin1Char(','));
}

void ExecProcBindParam(TFDParam &param, const QString &paramName, const QString &typeText, const QString &value,
                       int image)
{
    switch (image) {
    case kParamImageResult: param.SetParamType(ptResult); break;
    case kParamImageOutput: param.SetParamType(ptOutput); break;
    case kParamImageInOut: param.SetParamType(ptInputOutput); break;
    default: param.SetParamType(ptInput); break;
    }
    const bool output = image != kParamImageInput;
    const QString t = typeText.trimmed().toUpper();
    const QString base = BaseType(typeText);
    if (t == QLatin1String("BOOL")) {
        param.SetDataType(ftInteger);
        param.SetAsInteger(0);
    } else if (IsIntegerType(base)) {
        param.SetDataType(ftLargeint);
        if (!value.isEmpty()) {
            bool ok = false;
            const qint64 n = value.trimmed().toLongLong(&ok);
            if (!ok)
                RaiseConvert(paramName, value);
            param.SetAsLargeInt(n);
        } else {
            param.Clear();
        }
    } else if (IsExactType(base)) {
        // Sent as text so that no digit of a wide decimal is lost.
        param.SetDataType(ftWideString);
        if (!value.isEmpty()) {
            if (!IsNumberText(value))
                RaiseConvert(paramName, value);
            param.SetAsWideString(value.trimmed());
        } else {
            param.Clear();
        }
    } else if (IsFloatType(base)) {
        param.SetDataType(ftFloat);
        if (!value.isEmpty()) {
            if (!IsNumberText(value))
                RaiseConvert(paramName, value);
            param.SetAsFloat(TextToFloatDef(value.trimmed(), 0));
        } else {
            param.Clear();
        }
    } else if (t == QLatin1String("SQL_VARIANT")) {
        param.SetDataType(ftWideString);
        param.SetAsWideString(value);
    } else if (IsDateType(base)) {
        param.SetDataType(ftWideString);
        // An output date needs room for what comes back; an empty input is NULL.
        if (output)
            param.SetAsWideString(value.leftJustified(200, QLatin1Char(' ')));
        else if (value.trimmed().isEmpty())
            param.Clear();
        else
            param.SetAsWideString(value);
    } else if (t == QLatin1String("TABLE")) {
        param.SetDataType(ftWideString);
        param.SetAsWideString(QStringLiteral(" "));
    } else {
        param.SetDataType(ftWideString);
        if (!value.isEmpty())
            param.SetAsWideString(value);
        else
            param.Clear();
    }
}

QString ExecProcFunctionArg(const QString &typeText, const TFDParam &param)
{
    const QString t = typeText.trimmed().toUpper();
    if (t.contains(QLatin1String("TABLE")))
        return QString();
    if (param.IsNull())
        return QStringLiteral("null");
    const QString v = RightTrim(param.AsWideString());
    const QString base = BaseType(typeText);
    if ((IsIntegerType(base) || IsExactType(base) || IsFloatType(base)) && IsNumberText(v))
        return v.trimmed();
    return AddNationalPrefix(QuoteSQLStr(v));
}

QString ExecProcElapsed(qint64 ms)
{
    if (ms < 0)
        ms = 0;
    return QStringLiteral("%1:%2:%3.%4")
        .arg(ms / 3600000, 2, 10, QLatin1Char('0'))
        .arg(ms / 60000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms % 1000, 3, 10, QLatin1Char('0'));
}

// --- The window --------------------------------------------------------------------------------

TfrmExecProc::TfrmExecProc(TfrmObject *AOwner, const QString &DataBase, const QString &Schema,
                           const QString &ObjectName, int ObjectType)
    : TzkForm(AOwner)
    , m_owner(AOwner)
{
    setObjectName(QStringLiteral("frmExecProc"));
    FObjType = ObjectType;

    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    auto *header = new QWidget(this);
    auto *headerLayout = new QHBoxLayout(header);
    headerLayout->setContentsMargins(0, 0, 0, 0);
    auto *pnlPersonalColor = new QWidget(header);
    pnlPersonalColor->setObjectName(QStringLiteral("pnlPersonalColor"));
    pnlPersonalColor->setFixedWidth(12);
    pnlPersonalColor->setAutoFillBackground(true);
    if (ConnectionManager && AOwner) {
        QPalette pal = pnlPersonalColor->palette();
        pal.setColor(QPalette::Window, ColorToQColor(ConnectionManager->GetBackgroundColor(AOwner->MYSID)));
        pnlPersonalColor->setPalette(pal);
    }
    headerLayout->addWidget(pnlPersonalColor);

    auto *tolCmd = new QToolBar(header);
    tolCmd->setObjectName(QStringLiteral("tolCmd"));
    tolCmd->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    btnExec = new QToolButton(tolCmd);
    btnExec->setObjectName(QStringLiteral("btnExec"));
    btnExec->setText(QStringLiteral("実行(&E)"));
    btnExec->setMinimumWidth(78);
    btnExit = new QToolButton(tolCmd);
    btnExit->setObjectName(QStringLiteral("btnExit"));
    btnExit->setText(QStringLiteral("終了(&X)"));
    btnExit->setMinimumWidth(78);
    if (zkMainForm && zkMainForm->imgMain()) {
        btnExec->setIcon(zkMainForm->imgMain()->Icon(28));
        btnExit->setIcon(zkMainForm->imgMain()->Icon(42));
    }
    tolCmd->addWidget(btnExec);
    tolCmd->addWidget(btnExit);
    headerLayout->addWidget(tolCmd);

    auto *pnlName = new QWidget(header);
    pnlName->setObjectName(QStringLiteral("pnlName"));
    auto *nameLayout = new QHBoxLayout(pnlName);
    nameLayout->setContentsMargins(4, 2, 4, 2);
    cmbDataBase = new TzkComboBox(pnlName);
    cmbDataBase->setObjectName(QStringLiteral("cmbDataBase"));
    cmbSchema = new TzkComboBox(pnlName);
    cmbSchema->setObjectName(QStringLiteral("cmbSchema"));
    txtName = new TzkStrEdit(pnlName);
    txtName->setObjectName(QStringLiteral("txtName"));
    cmbDataBase->setEditable(true);
    cmbSchema->setEditable(true);
    nameLayout->addWidget(new QLabel(QStringLiteral("データベース"), pnlName));
    nameLayout->addWidget(cmbDataBase, 1);
    nameLayout->addWidget(new QLabel(QStringLiteral("所有者"), pnlName));
    nameLayout->addWidget(cmbSchema, 1);
    nameLayout->addWidget(new QLabel(QStringLiteral("名前"), pnlName));
    nameLayout->addWidget(txtName, 2);
    pnlName->setEnabled(false);
    headerLayout->addWidget(pnlName, 1);
    root->addWidget(header);

    spl1 = new QSplitter(Qt::Vertical, this);
    spl1->setObjectName(QStringLiteral("spl1"));
    pnlParam = new QWidget(spl1);
    pnlParam->setObjectName(QStringLiteral("pnlParam"));
    auto *paramLayout = new QVBoxLayout(pnlParam);
    paramLayout->setContentsMargins(0, 0, 0, 0);
    lstParam = new TzkTreeView(pnlParam);
    lstParam->setObjectName(QStringLiteral("lstParam"));
    lstParam->setFrameShape(QFrame::NoFrame);
    lstParam->setRootIsDecorated(false);
    lstParam->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstParam->SetHeaderSections(
        {{QStringLiteral("名前"), 200}, {QStringLiteral("タイプ"), 110}, {QStringLiteral("値"), 300}});
    lstParam->header()->setStretchLastSection(true);
    if (zkMainForm)
        lstParam->SetImages(zkMainForm->imgMain());
    paramLayout->addWidget(lstParam);
    txtParam = new TzkStrEdit(lstParam);
    txtParam->setObjectName(QStringLiteral("txtParam"));
    txtParam->setFrame(false);
    txtParam->SetWantTabs(true);
    txtParam->SetWantArrow(false);
    txtParam->SetWantReturns(false);
    txtParam->hide();
    txtParam->installEventFilter(this);
    pnlParam->installEventFilter(this);
    lstParam->installEventFilter(this);
    txtOutput = new QPlainTextEdit(spl1);
    txtOutput->setObjectName(QStringLiteral("txtOutput"));
    txtOutput->setReadOnly(true);
    txtOutput->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtOutput->setPlainText(kOutputHead);
    spl1->addWidget(pnlParam);
    spl1->addWidget(txtOutput);
    spl1->setStretchFactor(0, 1);
    spl1->setSizes({420, 160});
    root->addWidget(spl1, 1);

    qryExec = new TFDQuery(this);
    qryExec->setObjectName(QStringLiteral("qryExec"));
    qryTblOpen = new TFDQuery(this);
    qryTblOpen->setObjectName(QStringLiteral("qryTblOpen"));
    if (AOwner && AOwner->dmSQLServer) {
        qryExec->SetConnection(AOwner->dmSQLServer->Connection);
        qryTblOpen->SetConnection(AOwner->dmSQLServer->Connection);
    }

    lstParam->OnChange = [this](TzkTreeNode *node) { lstParamChange(node); };
    lstParam->OnScroll = [this] { pnlParamResize(); };
    lstParam->OnAdvancedCustomDrawItem = [](QStyleOptionViewItem &option, TzkTreeNode *) {
        if (option.state & QStyle::State_Selected) {
            option.palette.setColor(QPalette::Highlight, option.palette.color(QPalette::Active, QPalette::Highlight));
            option.palette.setColor(QPalette::HighlightedText, Qt::white);
        }
    };
    connect(btnExec, &QToolButton::clicked, this, [this] {
        try {
            btnExecClick();
        } catch (const std::exception &e) {
            TzkApplication::HandleException(e);
        }
    });
    connect(btnExit, &QToolButton::clicked, this, [this] { btnExitClick(); });
    resize(814, 614);
    setWindowTitle(QStringLiteral("ストアドプログラム実行"));

    cmbDataBase->setEditText(DataBase);
    cmbSchema->setEditText(Schema);
    txtName->setText(ObjectName);
}

TfrmExecProc *TfrmExecProc::Open(TfrmObject *AOwner, const QString &DataBase, const QString &Schema,
                                 const QString &ObjectName, int ObjectType)
{
    // One window per object: the caption tells them apart, and a second
    // open must leave nothing behind, so it is checked first.
    const QString server = AOwner ? AOwner->g_Server : QString();
    const QString caption = QStringLiteral("ストアドプログラム実行 - ") + Schema + QLatin1Char('.') + ObjectName
                            + QStringLiteral(" @ ") + server + QLatin1Char('.') + DataBase;
    if (zkMainForm && zkMainForm->FindWindow(staticMetaObject, caption, true))
        Abort();
    auto *w = new TfrmExecProc(AOwner, DataBase, Schema, ObjectName, ObjectType);
    try {
        w->SetObjType(ObjectType);
        w->InitForm();
        w->setWindowTitle(caption);
        w->CreateTaskButton();
        w->SetTaskCaption(ObjectName);
        w->ShowMDIChild();
        w->SetIcon(28);
        w->cmbDataBase->setEnabled(!(AOwner && AOwner->IsAzure));
        w->Init();
    } catch (...) {
        delete w;
        throw;
    }
    return w;
}

void RegisterSqlWindowWindows()
{
    RegisterWindow(QStringLiteral("TfrmExecProc"), [](TfrmObject *owner, const TOpenArgs &a) -> QWidget * {
        return TfrmExecProc::Open(owner, a.DataBase, a.Schema, a.ObjectName, a.ObjectType);
    });
    RegisterMemoWindow();
    RegisterSqlWindow();
}

void TfrmExecProc::Init()
{
    flg_TblFnc = false;
    if (m_owner) {
        const QString sql = m_owner->Use(cmbDataBase->currentText()) + ExecProcTypeSQL(m_owner->DBVer >= 9);
        TFDQuery *q = m_owner->OpenSQL(sql, {cmbSchema->currentText(), txtName->text()});
        if (q && !q->Eof() && q->FieldCount() > 0) {
            const QString letters = q->Fields(0)->AsString().trimmed().toUpper();
            flg_TblFnc = letters == QLatin1String("TF") || letters == QLatin1String("IF");
        }
    }
    LoadParams();
}

void TfrmExecProc::LoadParams()
{
    txtParam->hide();
    FPreNode = nullptr;
    auto change = std::move(lstParam->OnChange);
    lstParam->OnChange = nullptr;
    TSQLWaitCursor wait;
    struct Reattach
    {
        TzkTreeView *view;
        std::function<void(TzkTreeNode *)> &saved;
        ~Reattach() { view->OnChange = std::move(saved); }
    } reattach{lstParam, change};

    lstParam->Clear();
    if (!m_owner)
        return;
    const bool v9 = m_owner->DBVer >= 9;
    const QString sql = m_owner->Use(cmbDataBase->currentText()) + ExecProcParamSQL(v9, FObjType == 51, flg_TblFnc);
    TFDQuery *q = m_owner->OpenSQL(sql, {cmbSchema->currentText(), txtName->text()});
    lstParam->BeginUpdate();
    for (; q && !q->Eof(); q->Next()) {
        const QString name = q->Fields(1)->AsString();
        auto *node = lstParam->AddChild(nullptr, name.isEmpty() ? QStringLiteral("RESULT") : name);
        const QString outFlag = q->Fields(8)->AsString().trimmed();
        const bool isOutput =
            v9 ? (outFlag == QLatin1String("1") || outFlag.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
               : outFlag == QLatin1String("1");
        const int image = name.isEmpty() ? kParamImageResult : (isOutput ? kParamImageOutput : kParamImageInput);
        node->SetImageIndex(image);
        node->SetSelectedIndex(image);
        node->SetSubItems(
            {ExecProcTypeText(q->Fields(2)->AsString(), q->Fields(3)->AsString()), q->Fields(7)->AsString().trimmed()});
    }
    lstParam->EndUpdate();
    if (q)
        q->Close();
}

void TfrmExecProc::StoreEditor()
{
    if (!FPreNode)
        return;
    QStringList sub = FPreNode->SubItems();
    while (sub.size() < 2)
        sub << QString();
    sub[1] = txtParam->text();
    FPreNode->SetSubItems(sub);
}

void TfrmExecProc::PlaceEditor(TzkTreeNode *node)
{
    if (!node) {
        txtParam->hide();
        return;
    }
    const QRect r = lstParam->visualRect(lstParam->IndexOfNode(node, 2));
    const QPoint topLeft = lstParam->viewport()->mapTo(lstParam, r.topLeft());
    QHeaderView *h = lstParam->header();
    const int left = h->sectionViewportPosition(2) + 2;
    const int right = std::min(lstParam->viewport()->width(), h->sectionViewportPosition(2) + h->sectionSize(2));
    txtParam->setGeometry(left, topLeft.y(), std::max(0, right - left), r.height());
}

void TfrmExecProc::lstParamChange(TzkTreeNode *node)
{
    StoreEditor();
    if (!node) {
        txtParam->hide();
        FPreNode = nullptr;
        return;
    }
    PlaceEditor(node);
    txtParam->setText(node->SubItems().value(1));
    txtParam->show();
    txtParam->raise();
    txtParam->setFocus();
    txtParam->selectAll();
    FPreNode = node;
}

void TfrmExecProc::pnlParamResize()
{
    PlaceEditor(FPreNode);
}

bool TfrmExecProc::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == txtParam && event->type() == QEvent::KeyPress) {
        auto *ke = static_cast<QKeyEvent *>(event);
        TzkTreeNode *sel = lstParam->Selected();
        int step = 0;
        if (ke->key() == Qt::Key_Backtab || ke->key() == Qt::Key_Up
            || (ke->key() == Qt::Key_Tab && (ke->modifiers() & Qt::ShiftModifier)))
            step = -1;
        else if (ke->key() == Qt::Key_Tab || ke->key() == Qt::Key_Down)
            step = 1;
        if (step && sel && sel->Level() == 0) {
            const int next = sel->Index() + step;
            if (next >= 0 && next < lstParam->TopCount()) {
                lstParam->SetSelected(lstParam->TopItem(next));
                lstParamChange(lstParam->TopItem(next));
            }
            return true; // Tab must not leave the editor
        }
    } else if (watched == pnlParam && event->type() == QEvent::Resize) {
        pnlParamResize();
    } else if (watched == lstParam && event->type() == QEvent::FocusIn) {
        if (lstParam->Selected() && txtParam->isVisible())
            txtParam->setFocus();
    }
    return TzkForm::eventFilter(watched, event);
}

void TfrmExecProc::SetParams()
{
    QStringList names;
    QList<int> images;
    for (int i = 0; i < lstParam->TopCount(); ++i) {
        TzkTreeNode *n = lstParam->TopItem(i);
        if (n->Text() == QLatin1String("RESULT"))
            continue;
        names << n->Text();
        images << n->ImageIndex();
    }
    const QString call = ExecProcCallSQL(cmbSchema->currentText(), txtName->text(), names, images);
    qryExec->Close();
    qryExec->SetParamCreate(true);
    qryExec->SetSQL(m_owner ? m_owner->Use(cmbDataBase->currentText()) + call : call);
    // Every row is checked before anything is kept: a bad value sends nothing.
    for (int i = 0; i < lstParam->TopCount() && i < qryExec->Params().Count(); ++i) {
        TzkTreeNode *n = lstParam->TopItem(i);
        ExecProcBindParam(qryExec->Params()[i], n->Text(), n->SubItems().value(0), n->SubItems().value(1),
                          n->ImageIndex());
    }
}

void TfrmExecProc::btnExecClick()
{
    TSQLWaitCursor wait;
    StoreEditor();
    SetParams();
    tm = Now();
    TzkStatusBar *bar = zkMainForm ? zkMainForm->stsMain() : nullptr;
    if (bar && bar->PanelCount() > 2)
        bar->SetPanelText(2, QStringLiteral("ストアドプログラム実行中..."));
    ExecStatus = esEndComplite;
    if (!flg_TblFnc) {
        try {
            qryExec->ExecSQL();
        } catch (const std::exception &e) {
            ExecStatus = esEndError;
            TzkApplication::HandleException(e);
        }
    }
    ShowResult();
    qryExec->Close();
}

void TfrmExecProc::ShowResult()
{
    txtOutput->clear();
    QStringList lines{kOutputHead};
    QStringList args;
    for (int i = 0; i < lstParam->TopCount() && i < qryExec->Params().Count(); ++i) {
        TzkTreeNode *n = lstParam->TopItem(i);
        const QString a = ExecProcFunctionArg(n->SubItems().value(0), qryExec->Params()[i]);
        if (!a.isEmpty())
            args << a;
    }
    for (int i = 0; i < lstParam->TopCount() && i < qryExec->Params().Count(); ++i) {
        TzkTreeNode *n = lstParam->TopItem(i);
        const TFDParam &p = qryExec->Params()[i];
        const QString type = n->SubItems().value(0);
        try {
            if (type == QLatin1String("TABLE")) {
                lines << n->Text() + QStringLiteral(" : TABLE");
                qryTblOpen->Close();
                qryTblOpen->SetSQL(QStringLiteral("select * from ") + BracketName(cmbDataBase->currentText(), true)
                                   + QLatin1Char('.') + BracketName(cmbSchema->currentText(), true) + QLatin1Char('.')
                                   + BracketName(txtName->text(), true) + QLatin1Char('(') + args.join(QLatin1Char(','))
                                   + QLatin1Char(')'));
                qryTblOpen->Open();
                if (qryTblOpen->Eof()) {
                    lines << QStringLiteral("(レコードが見つかりませんでした)");
                } else {
                    QStringList fields;
                    for (int f = 0; f < qryTblOpen->FieldCount(); ++f)
                        fields << qryTblOpen->Fields(f)->FieldName();
                    lines << fields.join(QLatin1Char('\t'));
                    for (; !qryTblOpen->Eof(); qryTblOpen->Next()) {
                        QStringList values;
                        for (int f = 0; f < qryTblOpen->FieldCount(); ++f)
                            values << qryTblOpen->Fields(f)->AsString();
                        lines << values.join(QLatin1Char('\t'));
                    }
                }
                qryTblOpen->Close();
                lines << QString();
            } else if (p.IsNull()) {
                lines << n->Text() + QStringLiteral(" : (null)");
                continue;
            } else {
                lines << n->Text() + QStringLiteral(" : ") + RightTrim(p.AsWideString());
            }
            QStringList sub = n->SubItems();
            if (sub.size() > 1) {
                sub[1] = sub[1].trimmed();
                n->SetSubItems(sub);
            }
        } catch (const std::exception &) {
            // One row's failure ends only that row's entry.
            qryTblOpen->Close();
        }
    }
    txtOutput->setPlainText(lines.join(QLatin1Char('\n')));
    if (ExecStatus == esEndComplite) {
        if (TzkStatusBar *bar = zkMainForm ? zkMainForm->stsMain() : nullptr; bar && bar->PanelCount() > 2)
            bar->SetPanelText(2, QStringLiteral("処理時間(HH:MM:SS.Ms)：") + ExecProcElapsed(tm.msecsTo(Now())));
        ShowAppMessage(QStringLiteral("プログラムを実行しました。"), MB_OK | MB_ICONINFORMATION);
    }
}

void TfrmExecProc::LoadWindowLayout()
{
    TzkRegistry reg;
    if (!reg.OpenKey(kLayoutKey, true))
        return;
    if (windowState() == Qt::WindowNoState)
        resize(reg.GetInteger(QStringLiteral("Width"), width()), reg.GetInteger(QStringLiteral("Height"), height()));
    const int out = reg.GetInteger(QStringLiteral("OutputHeight"), txtOutput->height());
    const QList<int> sizes = spl1->sizes();
    const int total = sizes.value(0) + sizes.value(1);
    if (total > out)
        spl1->setSizes({total - out, out});
}

void TfrmExecProc::SaveWindowLayout()
{
    TzkRegistry reg;
    if (!reg.OpenKey(kLayoutKey, true))
        return;
    if (windowState() == Qt::WindowNoState) {
        reg.WriteInteger(QStringLiteral("Width"), width());
        reg.WriteInteger(QStringLiteral("Height"), height());
    }
    reg.WriteInteger(QStringLiteral("OutputHeight"), txtOutput->height());
}
