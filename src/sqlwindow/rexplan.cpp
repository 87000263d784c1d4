#include "sqlwindow/rexplan.h"
#include "core/zkwaitcursor.h"

#include "controls/zkcomctrls.h"
#include "core/zkimagelist.h"
#include "core/zkoption.h"
#include "core/zksub_dialogs.h"
#include "core/zksub_files.h"
#include "core/zkwindows.h"
#include "platform/db/db.h"
#include "platform/rtl/floatstr.h"
#include "platform/xlsx/xlsxbook.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QFrame>
#include <QHeaderView>
#include <QRegularExpression>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>
#include <exception>

namespace {

const QString kCRLF = QStringLiteral("\r\n");

// SHOWPLAN_ALL columns the tree is built from, by position.
enum PlanColumn {
    colStmtText = 0,
    colNodeId = 2,
    colParent = 3,
    colPhysicalOp = 4,
    colArgument = 6,
    colEstimateRows = 8,
    colAvgRowSize = 11,
    colTotalSubtreeCost = 12,
    colType = 15,
};

// Sub-items of a node: the five shown columns, then the node id, which only
// the parent search reads.
constexpr int subNodeId = 5;
constexpr int shownSubItems = 5;

void setDefMessage()
{
    if (zkMainForm)
        zkMainForm->SetDefMessage();
}

// The text as a list of lines, each ended by CR LF.
QString linesText(const QString &text)
{
    if (text.isEmpty())
        return QString();
    QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    if (lines.last().isEmpty())
        lines.removeLast();
    QString out;
    for (const QString &line : std::as_const(lines))
        out += line + kCRLF;
    return out;
}

// A value read as text; numbers of the floating types in the general form
// (a real with the digits it has), so a million rows reads 1000000.
QString fieldText(const TField *field)
{
    if (field->IsNull())
        return QString();
    switch (field->DataType()) {
    case ftSingle: return FloatToStr(field->AsFloat(), 7);
    case ftFloat: return FloatToStr(field->AsFloat());
    default: return field->AsString();
    }
}

// Halves to the even neighbour, in the default rounding mode.
double roundTo(double value, double scale)
{
    return std::nearbyint(value * scale) / scale;
}

// A cost below 0.00001 without an exponent: "0." and the six decimals of a
// value already rounded to six places; zero and below in the general form.
QString smallCostText(double cost)
{
    if (cost <= 0.0000001)
        return FloatToStr(cost);
    const qint64 millionths = qint64(std::nearbyint(cost * 1e6));
    return QStringLiteral("0.") + QStringLiteral("%1").arg(millionths, 6, 10, QLatin1Char('0'));
}

// The object a scan or seek works on: from after the first "OBJECT:" up to
// the next comma.
QString planObject(const QString &argument)
{
    static const QString marker = QStringLiteral("OBJECT:");
    const qsizetype at = argument.indexOf(marker);
    const qsizetype start = at < 0 ? 0 : at + marker.size();
    const qsizetype end = argument.indexOf(QLatin1Char(','), start);
    return argument.mid(start, end < 0 ? -1 : end - start);
}

// The node's text indented as in the outputs: two blanks per level and "┗"
// below the top level.
QString indentedText(const TzkTreeNode *node)
{
    const int level = node->Level();
    QString text(2 * level, QLatin1Char(' '));
    if (level > 0)
        text += QChar(0x2517);
    return text + node->Text();
}

} // namespace

TfraExplan::TfraExplan(QWidget *AOwner)
    : QWidget(AOwner)
{
    setObjectName(QStringLiteral("fraExplan"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    tolLeft = new QToolBar(this);
    tolLeft->setObjectName(QStringLiteral("tolLeft"));
    tolLeft->setOrientation(Qt::Vertical);
    tolLeft->setIconSize(QSize(16, 16));
    btnExcel = new QToolButton(tolLeft);
    btnExcel->setObjectName(QStringLiteral("btnExcel"));
    btnExcel->setToolTip(QStringLiteral("結果をExcelファイルに出力する"));
    btnCopy = new QToolButton(tolLeft);
    btnCopy->setObjectName(QStringLiteral("btnCopy"));
    btnCopy->setToolTip(QStringLiteral("結果をクリップボードにコピーする"));
    if (zkMainForm && zkMainForm->imgMain()) {
        btnExcel->setIcon(zkMainForm->imgMain()->Icon(44));
        btnCopy->setIcon(zkMainForm->imgMain()->Icon(21));
    }
    tolLeft->addWidget(btnExcel);
    tolLeft->addWidget(btnCopy);
    connect(btnExcel, &QToolButton::clicked, this, [this] { btnExcelClick(); });
    connect(btnCopy, &QToolButton::clicked, this, [this] { btnCopyClick(); });
    layout->addWidget(tolLeft);

    pnlBody = new QWidget(this);
    pnlBody->setObjectName(QStringLiteral("pnlBody"));
    auto *body = new QVBoxLayout(pnlBody);
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(0);
    spl1 = new QFrame(pnlBody);
    spl1->setObjectName(QStringLiteral("spl1"));
    spl1->setFrameShape(QFrame::HLine);
    spl1->setFixedHeight(1);
    body->addWidget(spl1);
    pnlPlan = new QWidget(pnlBody);
    pnlPlan->setObjectName(QStringLiteral("pnlPlan"));
    auto *plan = new QVBoxLayout(pnlPlan);
    plan->setContentsMargins(0, 0, 0, 0);
    body->addWidget(pnlPlan, 1);
    layout->addWidget(pnlBody, 1);

    lstPlan = new TzkTreeView(pnlPlan);
    lstPlan->setObjectName(QStringLiteral("lstPlan"));
    lstPlan->setFrameShape(QFrame::NoFrame);
    lstPlan->setIndentation(19);
    plan->addWidget(lstPlan);
    const QStringList &captions = PlanCaptions();
    const int widths[] = {200, 100, 80, 100, 100, 70};
    QList<TzkHeaderSection> sections;
    for (int i = 0; i < captions.size(); ++i)
        sections.append({captions.at(i), widths[i], Qt::AlignLeft});
    lstPlan->SetHeaderSections(sections);
    hedPlan = lstPlan->header();
    hedPlan->setObjectName(QStringLiteral("hedPlan"));
    // The object column takes what the others leave.
    hedPlan->setSectionResizeMode(1, QHeaderView::Stretch);
    // The selection keeps its colour when the tree loses the focus.
    QPalette palette = lstPlan->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Highlight));
    lstPlan->setPalette(palette);
    lstPlan->OnAdvancedCustomDrawItem = [this](QStyleOptionViewItem &option, TzkTreeNode *node) {
        lstPlanAdvancedCustomDrawItem(option, node);
    };
    connect(lstPlan, &QAbstractItemView::doubleClicked, this, [this] { lstPlanDblClick(); });

    qryData = new TFDQuery(this);
    qryData->setObjectName(QStringLiteral("qryData"));
    qryPlan = new TFDQuery(this);
    qryPlan->setObjectName(QStringLiteral("qryPlan"));
    // Every plan statement goes as a plain batch, exactly as written:
    // SET SHOWPLAN_ALL must be alone in its batch, and a parameterised call
    // would be planned instead of the text.
    qryPlan->SetParamCreate(false);
}

TfraExplan::~TfraExplan() = default;

const QStringList &TfraExplan::PlanCaptions()
{
    static const QStringList captions{QStringLiteral("操作"),     QStringLiteral("オブジェクト"),
                                      QStringLiteral("予測行数"), QStringLiteral("行平均サイズ"),
                                      QStringLiteral("COST"),     QStringLiteral("COST(%)")};
    return captions;
}

void TfraExplan::SetSQL(const QString &Text)
{
    qryData->Close();
    // Cleared under the old setting: a text that creates no parameters must
    // not keep the markers of the one before.
    qryData->ClearSQL();
    qryData->SetParamCreate(Text.left(6).toUpper() != QLatin1String("CREATE"));
    qryData->SetSQL(Text);
    FSQL = linesText(Text);
}

void TfraExplan::ShowData()
{
    ShowPlan();
}

void TfraExplan::ShowPlan()
{
    bool refused = false;
    std::exception_ptr failure;
    {
        TFDSessionHold hold(qryPlan->Connection(), this);
        try {
            qryPlan->ExecSQL(QStringLiteral("set showplan_all on"));
        } catch (const std::exception &) {
            refused = true;
            lstPlan->Clear();
            m_added.clear();
        }
        if (!refused) {
            try {
                readPlan();
            } catch (...) {
                failure = std::current_exception();
            }
        }
        try {
            qryPlan->ExecSQL(QStringLiteral("set showplan_all off"));
        } catch (...) {
            if (!failure)
                failure = std::current_exception();
        }
    }
    // Messages only once the mode is off: nothing may run on the session
    // while a message box waits.
    if (refused)
        ShowAppMessage(QStringLiteral("実行計画を使用できません。"), MB_ICONWARNING);
    if (failure)
        std::rethrow_exception(failure);
}

void TfraExplan::readPlan()
{
    lstPlan->BeginUpdate();
    try {
        lstPlan->Clear();
        m_added.clear();
        double baseCost = 0;
        qryPlan->SetSQL(FSQL);
        qryPlan->Open();
        // Each statement's plan may come as a result of its own.
        do {
            for (qryPlan->First(); !qryPlan->Eof(); qryPlan->Next())
                addPlanRow(baseCost);
        } while (qryPlan->NextRecordSet());
        if (lstPlan->TopCount() > 0)
            lstPlan->TopItem(0)->Expand(true);
    } catch (...) {
        qryPlan->Close();
        lstPlan->EndUpdate();
        throw;
    }
    qryPlan->Close();
    lstPlan->EndUpdate();
}

void TfraExplan::addPlanRow(double &baseCost)
{
    auto text = [this](int column) { return fieldText(qryPlan->Fields(column)); };
    const QString nodeId = text(colNodeId);
    const QString parent = text(colParent);
    const QString physicalOp = text(colPhysicalOp);
    const QString argument = text(colArgument);
    const QString estimateRows = text(colEstimateRows);
    const QString avgRowSize = text(colAvgRowSize);

    const TField *costField = qryPlan->Fields(colTotalSubtreeCost);
    double cost = 0;
    QString costText = QStringLiteral("0");
    if (!costField->IsNull() && !costField->AsString().isEmpty()) {
        cost = roundTo(costField->AsFloat(), 1e6);
        costText = std::abs(cost) >= 0.00001 ? FloatToStr(cost) : smallCostText(cost);
    }
    // Rows that say nothing about an inner step.
    if (parent != QLatin1String("0") && costText == QLatin1String("0") && estimateRows.isEmpty()
        && avgRowSize.isEmpty())
        return;

    // Percentages are measured against the first cost that is not zero:
    // normally the first statement's whole cost.
    if (baseCost == 0)
        baseCost = cost;
    const QString percent =
        baseCost != 0 ? FloatToStr(roundTo(cost / baseCost * 100, 10)) + QLatin1Char('%') : QStringLiteral("0%");
    const QString type = text(colType);

    TzkTreeNode *parentNode = nullptr;
    for (auto it = m_added.rbegin(); it != m_added.rend(); ++it) {
        if ((*it)->SubItems().value(subNodeId) == parent) {
            parentNode = *it;
            break;
        }
    }
    if (!parentNode && !m_added.empty())
        parentNode = lstPlan->TopItem(0);

    if (type == QLatin1String("USE DATABASE"))
        return;

    TzkTreeNode *node;
    if (lstPlan->NodeCount() == 0)
        node = lstPlan->AddChild(nullptr, type + QStringLiteral(" STATEMENT"));
    else
        node = lstPlan->AddChild(parentNode, physicalOp.isEmpty() ? text(colStmtText) : physicalOp);
    const bool onObject = physicalOp.contains(QLatin1String("Scan")) || physicalOp.contains(QLatin1String("Seek"));
    node->SetSubItems(
        {onObject ? planObject(argument) : QString(), estimateRows, avgRowSize, costText, percent, nodeId});
    m_added.push_back(node);
}

std::vector<TzkTreeNode *> TfraExplan::treeOrder() const
{
    std::vector<TzkTreeNode *> nodes;
    std::function<void(TzkTreeNode *)> visit = [&](TzkTreeNode *node) {
        nodes.push_back(node);
        for (int i = 0; i < node->Count(); ++i)
            visit(node->Item(i));
    };
    for (int i = 0; i < lstPlan->TopCount(); ++i)
        visit(lstPlan->TopItem(i));
    return nodes;
}

void TfraExplan::btnCopyClick()
{
    bool comma = zkOption.PasteColumn == 1;
    if (zkOption.PasteDialog) {
        const TzkCheckList checks{{QStringLiteral("カンマ区切りにする(非チェック時はタブ区切り)"), &comma}};
        if (ShowCheckMessage(QStringLiteral("結果をクリップボードにコピーしますか？"), MB_YESNO | MB_ICONQUESTION,
                             checks)
            != IDYES)
            return;
    }
    zkOption.PasteColumn = comma ? 1 : 0;
    const QChar separator = comma ? QLatin1Char(',') : QLatin1Char('\t');

    try {
        QGuiApplication::clipboard()->clear();
        auto cell = [](QString s) {
            s.replace(QLatin1Char('\t'), QLatin1Char(' '));
            return s.replace(kCRLF, QStringLiteral(" "));
        };
        QString text;
        for (const QString &caption : PlanCaptions())
            text += QString(caption).replace(kCRLF, QStringLiteral(" ")) + separator;
        text += kCRLF;
        const std::vector<TzkTreeNode *> nodes = treeOrder();
        const int count = int(nodes.size());
        for (int n = 0; n < count; ++n) {
            if (IsEscapePressed())
                break;
            if (zkMainForm)
                zkMainForm->SetLoopMessage(n + 1, count);
            const TzkTreeNode *node = nodes[size_t(n)];
            text += cell(indentedText(node));
            for (int i = 0; i < shownSubItems; ++i)
                text += separator + cell(node->SubItems().value(i));
            text += kCRLF;
        }
        QGuiApplication::clipboard()->setText(text);
        ShowAppMessage(QStringLiteral("クリップボードに出力しました。"), MB_ICONINFORMATION);
    } catch (...) {
        setDefMessage();
        throw;
    }
    setDefMessage();
}

void TfraExplan::btnExcelClick()
{
    const QString ext = zkOption.ExcelExt.isEmpty() ? QStringLiteral(".xlsx") : zkOption.ExcelExt;
    QString fileName = MakeUniqueFileName(zkOption.ExcelDir + QStringLiteral("EXECUTEPLAN") + ext);
    if (!ShowExcelSaveDialog(this, fileName))
        return;
    try {
        TSQLWaitCursor wait;
        TXlsxWorkbook book(fileName);
        book.AddSheet();
        book.SetColumnWidth(0, 50);
        book.SetColumnWidth(1, 50);
        auto cell = [](QString s) { return s.replace(kCRLF, QStringLiteral(" ")); };
        const QStringList &captions = PlanCaptions();
        for (int c = 0; c < captions.size(); ++c)
            book.WriteString(0, c, cell(captions.at(c)));
        int row = 1;
        for (const TzkTreeNode *node : treeOrder()) {
            book.WriteString(row, 0, cell(indentedText(node)));
            for (int i = 0; i < shownSubItems; ++i)
                book.WriteString(row, i + 1, cell(node->SubItems().value(i)));
            ++row;
        }
        book.Save();
    } catch (...) {
        setDefMessage();
        throw;
    }
    ShowAppMessage(QStringLiteral("ファイルに出力しました。"), MB_ICONINFORMATION);
    zkOption.ExcelDir = QFileInfo(fileName).absolutePath() + QLatin1Char('/');
    setDefMessage();
}

void TfraExplan::lstPlanAdvancedCustomDrawItem(QStyleOptionViewItem &option, TzkTreeNode *node)
{
    if (!node)
        return;
    if (option.state & QStyle::State_Selected) {
        const QColor highlight = lstPlan->palette().color(QPalette::Active, QPalette::Highlight);
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
            option.palette.setColor(group, QPalette::Highlight, highlight);
            option.palette.setColor(group, QPalette::HighlightedText, Qt::white);
        }
    } else if (node->Text().contains(QLatin1String("Table Scan"))) {
        option.palette.setColor(QPalette::Text, QColor(0xFF, 0, 0));
    }
}

void TfraExplan::lstPlanDblClick()
{
    // A node has nothing to open.
}
