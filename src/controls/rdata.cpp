#include "controls/rdata.h"
#include "core/zkwaitcursor.h"

#include "controls/zkdbgrid_edit.h"
#include "core/zkeditcommands.h"
#include "core/zkforms.h"
#include "core/zkimagelist.h"
#include "core/zkoption.h"
#include "core/zksub_datetime.h"
#include "core/zksub_dialogs.h"
#include "core/zksub_files.h"
#include "core/zksub_history.h"
#include "core/zksub_text.h"
#include "core/zkwindows.h"
#include "platform/db/dbconnection.h"
#include "platform/db/dberror.h"
#include "platform/graphics/colors.h"
#include "platform/rtl/exceptions.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollArea>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

const QString kWidthSectionV = QStringLiteral("COLWIDTH_V");
const QString kWidthSectionH = QStringLiteral("COLWIDTH_H");
const QString kWidthKeyAll = QStringLiteral("(ALL)");
constexpr TColor kStripeColor = 0xFFF4F9;
constexpr TColor kPrimaryTitleColor = 8910335;
constexpr int kManyColumns = 100;

bool IsStringField(TFieldType t)
{
    return t == ftString || t == ftMemo || t == ftWideString || t == ftWideMemo;
}

bool IsMemoField(TFieldType t)
{
    return t == ftMemo || t == ftWideMemo;
}

QString TrimRight(const QString &s)
{
    qsizetype n = s.size();
    while (n > 0 && s.at(n - 1).unicode() <= 32)
        --n;
    return s.left(n);
}

// The picker shows no text until a date is chosen: a date-time edit cannot
// hide its date through the format.
class TzkDatePicker : public QDateTimeEdit
{
public:
    using QDateTimeEdit::QDateTimeEdit;
    bool blank = false;

protected:
    QString textFromDateTime(const QDateTime &dateTime) const override
    {
        return blank ? QString() : QDateTimeEdit::textFromDateTime(dateTime);
    }
};

// The two halves of "a.b" at its last full stop (for the width file's name,
// which joins them again with one).
std::pair<QString, QString> SplitLast(const QString &s)
{
    const qsizetype dot = s.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return {s, QString()};
    return {s.left(dot), s.mid(dot + 1)};
}

std::pair<QString, QString> SplitFirst(const QString &s)
{
    const qsizetype dot = s.indexOf(QLatin1Char('.'));
    if (dot < 0)
        return {QString(), s};
    return {s.left(dot), s.mid(dot + 1)};
}

} // namespace

// --- Texts ---------------------------------------------------------------------------

QString SortedStatement(const QString &sql, const QString &sort, bool desc)
{
    if (sort.isEmpty() || sql.toUpper().contains(QLatin1String("ORDER BY")))
        return sql;
    QString text = sql;
    for (;;) {
        const QString trimmed = TrimRight(text);
        if (!trimmed.endsWith(QLatin1Char(';')))
            break;
        text = trimmed.chopped(1);
    }
    if (!text.endsWith(QLatin1Char('\n')))
        text += QLatin1Char('\n');
    text += QStringLiteral(" ORDER BY ") + sort;
    if (desc)
        text += QStringLiteral(" DESC");
    return text;
}

QString AggregateStatement(const QString &function, const QString &fieldName, const QString &sql)
{
    return function + BracketCatalogName(fieldName, true) + QStringLiteral(") from (") + sql.trimmed()
           + QStringLiteral(") as dummy");
}

QString ColumnWidthFileName(const QString &dbName, const QString &tableName)
{
    const auto [server, database] = SplitLast(dbName);
    const auto [schema, object] = SplitFirst(tableName);
    return WhereHistoryFileName(server, database, schema, object);
}

bool ColumnWidthKeyUsable(const QString &caption)
{
    const QString key = caption.trimmed();
    return !key.isEmpty() && !key.contains(QLatin1Char('=')) && !key.contains(QLatin1Char('\n'))
           && !key.contains(QLatin1Char('\r')) && !key.startsWith(QLatin1Char(';'));
}

TzkDataCellLook DataCellLook(TField *field, int showMode, bool showNull)
{
    TzkDataCellLook look;
    if (!field)
        return look;
    const TFieldType type = field->DataType();
    const bool isNull = field->IsNull();
    const bool number = type == ftSmallint || type == ftInteger || type == ftFloat || type == ftBCD;
    const bool plain = type == ftWord || type == ftMemo || type == ftWideMemo;
    const TAlignment aligned = showMode == 1 ? taLeftJustify : taRightJustify;
    if (type == ftBlob) {
        look.own = true;
        look.text = field->AsString().toUpper();
        look.alignment = showMode <= 1 ? taLeftJustify : taRightJustify;
        return look;
    }
    if (showMode > 2)
        return look;
    if (isNull && showNull) {
        look.own = true;
        look.nullText = true;
        look.text = QStringLiteral("(NULL)");
        look.alignment = showMode <= 1 ? taLeftJustify : taRightJustify;
        return look;
    }
    if (showMode >= 1) {
        look.own = true;
        look.text = field->AsString();
        look.alignment = aligned;
        return look;
    }
    if (number) {
        look.own = true;
        look.text = field->AsString();
        if (look.text.startsWith(QLatin1Char('.')))
            look.text.prepend(QLatin1Char('0'));
        look.alignment = taRightJustify;
    } else if (plain) {
        look.own = true;
        look.text = field->AsString();
    }
    return look;
}

// --- Creation ---------------------------------------------------------------------------

TfraData::TfraData(QObject *owner, QWidget *parent)
    : QWidget(parent)
    , m_owner(owner)
{
    setObjectName(QStringLiteral("fraData"));

    qryData = new TFDQuery(this);
    qryData->setObjectName(QStringLiteral("qryData"));
    qryTemp = new TFDQuery(this);
    qryTemp->setObjectName(QStringLiteral("qryTemp"));
    dsrTableData = new TDataSource(this);
    dsrTableData->setObjectName(QStringLiteral("dsrTableData"));
    dsrTableData->SetDataSet(qryData);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    scrButton = new QScrollArea(this);
    scrButton->setObjectName(QStringLiteral("scrButton"));
    scrButton->setFrameShape(QFrame::NoFrame);
    scrButton->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrButton->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scrButton->setFocusPolicy(Qt::StrongFocus);
    tolLeft = new QToolBar(scrButton);
    tolLeft->setObjectName(QStringLiteral("tolLeft"));
    tolLeft->setOrientation(Qt::Vertical);
    tolLeft->setIconSize(QSize(16, 16));
    tolLeft->setToolButtonStyle(Qt::ToolButtonIconOnly);
    scrButton->setWidget(tolLeft);
    scrButton->setWidgetResizable(true);

    // Images missing from the shared list leave a short text on the button.
    auto button = [this](const char *name, const QString &hint, int image, const QString &fallback,
                         void (TfraData::*handler)(), bool checkable = false) {
        auto *b = new QToolButton(tolLeft);
        b->setObjectName(QLatin1String(name));
        b->setToolTip(hint);
        b->setCheckable(checkable);
        b->setAutoRaise(true);
        if (zkMainForm && zkMainForm->imgMain())
            b->setIcon(zkMainForm->imgMain()->Icon(image));
        if (b->icon().isNull())
            b->setText(fallback);
        tolLeft->addWidget(b);
        connect(b, &QToolButton::clicked, this, handler);
        return b;
    };
    btnUpdate = button("btnUpdate", QStringLiteral("結果を編集可能にする"), 88, QStringLiteral("編集"),
                       &TfraData::btnUpdateClick, true);
    btnGridType =
        button("btnGridType", QStringLiteral("出力方向変更"), 87, QStringLiteral("方向"), &TfraData::btnGridTypeClick);
    btnComHeader = button("btnComHeader", QStringLiteral("コメントを列名として表示"), 168, QStringLiteral("注"),
                          &TfraData::btnComHeaderClick, true);
    btnExcel = button("btnExcel", QStringLiteral("結果をExcelファイルに出力する"), 44, QStringLiteral("XL"),
                      &TfraData::btnExcelClick);
    btnInsert = button("btnInsert", QStringLiteral("結果のINSERT文を出力する"), 11, QStringLiteral("INS"),
                       &TfraData::btnInsertClick);
    btnCopy = button("btnCopy", QStringLiteral("結果をクリップボードに出力する"), 21, QStringLiteral("CB"),
                     &TfraData::btnCopyClick);
    btnCSV = button("btnCSV", QStringLiteral("結果をCSVファイルに出力する"), 167, QStringLiteral("CSV"),
                    &TfraData::btnCSVClick);
    tolLeft->addSeparator()->setObjectName(QStringLiteral("btnS1"));
    btnIns = button("btnIns", QStringLiteral("レコードの挿入"), 39, QStringLiteral("＋"), &TfraData::btnInsClick);
    btnDel = button("btnDel", QStringLiteral("レコードの削除"), 40, QStringLiteral("－"), &TfraData::btnDelClick);
    tolLeft->addSeparator()->setObjectName(QStringLiteral("btnS2"));
    btnFirst = button("btnFirst", QString(), 37, QStringLiteral("|<"), &TfraData::btnFirstClick);
    btnPrev = button("btnPrev", QString(), 35, QStringLiteral("<"), &TfraData::btnPrevClick);
    btnNext = button("btnNext", QString(), 36, QStringLiteral(">"), &TfraData::btnNextClick);
    btnLast = button("btnLast", QString(), 38, QStringLiteral(">|"), &TfraData::btnLastClick);
    // The bar keeps every button; a short frame scrolls it instead.
    tolLeft->setMinimumHeight(tolLeft->sizeHint().height());
    scrButton->setFixedWidth(tolLeft->sizeHint().width() + 2);
    layout->addWidget(scrButton);

    const TDBGridOptions options{dgEditing,       dgAlwaysShowEditor, dgTitles,     dgIndicator,
                                 dgColumnResize,  dgColLines,         dgRowLines,   dgTabs,
                                 dgConfirmDelete, dgCancelOnExit,     dgMultiSelect};
    grdData1 = new TzkDBGridV(this);
    grdData1->setObjectName(QStringLiteral("grdData1"));
    grdData1->SetOptions(options);
    grdData2 = new TzkDBGridH(this);
    grdData2->setObjectName(QStringLiteral("grdData2"));
    grdData2->SetOptions(options);
    layout->addWidget(grdData1, 1);
    layout->addWidget(grdData2, 1);
    TzkForm::ApplyControlSettings(grdData1);
    TzkForm::ApplyControlSettings(grdData2);

    grdData1->OnDrawColumnCell = [this](const QRect &r, int c, TColumn *col, TGridDrawState s) {
        grdData1DrawColumnCell(r, c, col, s);
    };
    grdData2->OnDrawRowCell = [this](const QRect &r, int d, TRow *row, TGridDrawState s) {
        grdData2DrawRowCell(r, d, row, s);
    };
    grdData1->OnTitleClick = [this](TColumn *c) { grdData1TitleClick(c); };
    grdData2->OnTitleClick = [this](TRow *r) { grdData2TitleClick(r); };
    grdData1->OnEditButtonClick = [this] { grdData1EditButtonClick(); };
    grdData1->OnDblClick = [this] { grdData1DblClick(); };
    grdData2->OnDblClick = [this] { grdData1DblClick(); };
    grdData1->OnKeyDown = [this](int &key, Qt::KeyboardModifiers shift) { grdData1KeyDown(key, shift); };
    grdData2->OnKeyDown = [this](int &key, Qt::KeyboardModifiers shift) { grdData2KeyDown(key, shift); };
    for (QAbstractScrollArea *grid :
         {static_cast<QAbstractScrollArea *>(grdData1), static_cast<QAbstractScrollArea *>(grdData2)}) {
        grid->viewport()->installEventFilter(this);
        for (QHeaderView *header : grid->findChildren<QHeaderView *>())
            header->installEventFilter(this);
    }

    auto *picker = new TzkDatePicker(this);
    dtpInputDate = picker;
    dtpInputDate->setObjectName(QStringLiteral("dtpInputDate"));
    dtpInputDate->setCalendarPopup(true);
    dtpInputDate->hide();
    connect(dtpInputDate, &QDateTimeEdit::dateTimeChanged, this, [this] {
        if (!m_pickerSetting)
            dtpInputdateChange();
    });
    // The calendar's closing ends the picking.
    dtpInputDate->calendarWidget()->window()->installEventFilter(this);

    popRecord = new QMenu(this);
    popRecord->setObjectName(QStringLiteral("popRecord"));
    auto item = [this](QMenu *menu, const char *name, const QString &caption, void (TfraData::*handler)()) {
        QAction *a = menu->addAction(caption);
        a->setObjectName(QLatin1String(name));
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    mnuIns = item(popRecord, "mnuIns", QStringLiteral("レコードの挿入(&I)"), &TfraData::btnInsClick);
    mnuCopy = item(popRecord, "mnuCopy", QStringLiteral("レコードのコピー(&C)"), &TfraData::mnuCopyClick);
    mnuPaste = item(popRecord, "mnuPaste", QStringLiteral("レコードの貼り付け(&V)"), &TfraData::mnuPasteClick);
    mnuDel = item(popRecord, "mnuDel", QStringLiteral("レコードの削除(&D)"), &TfraData::btnDelClick);
    popColumn = new QMenu(this);
    popColumn->setObjectName(QStringLiteral("popColumn"));
    mnuEditCopy = item(popColumn, "mnuEditCopy", QStringLiteral("項目名をコピー(&C)"), &TfraData::mnuEditCopyClick);
    mnuSortAscending =
        item(popColumn, "mnuSortAscending", QStringLiteral("昇順(&A)"), &TfraData::mnuSortAscendingClick);
    mnuSortDescending =
        item(popColumn, "mnuSortDescending", QStringLiteral("降順(&D)"), &TfraData::mnuSortDescendingClick);
    mnugroup = popColumn->addMenu(QStringLiteral("集計情報を表示(&T)"));
    mnugroup->setObjectName(QStringLiteral("mnugroup"));
    mnuCount = item(mnugroup, "mnuCount", QStringLiteral("件数(&C)"), &TfraData::mnuCountClick);
    mnuSum = item(mnugroup, "mnuSum", QStringLiteral("合計(&S)"), &TfraData::mnuSumClick);
    mnuAverage = item(mnugroup, "mnuAverage", QStringLiteral("平均(&A)"), &TfraData::mnuAverageClick);
    mnuMax = item(mnugroup, "mnuMax", QStringLiteral("最大(&M)"), &TfraData::mnuMaxClick);
    mnuMin = item(mnugroup, "mnuMin", QStringLiteral("最小(&N)"), &TfraData::mnuMinClick);

    connect(qryData, &TFDQuery::afterOpen, this, &TfraData::qryDataAfterOpenClose);
    connect(qryData, &TFDQuery::afterClose, this, &TfraData::qryDataAfterOpenClose);
    connect(qryData, &TFDQuery::beforeClose, this, &TfraData::qryDataBeforeClose);
    connect(qryData, &TFDQuery::afterPost, this, &TfraData::qryDataAfterPost);
    connect(qryData, &TFDQuery::afterDelete, this, &TfraData::qryDataAfterDelete);

    btnUpdate->setEnabled(true);
    btnUpdate->setChecked(zkOption.UpdateMode);
    btnComHeader->setEnabled(OwnerKind() == dokTable || OwnerKind() == dokView);
    FGridType = false;
    btnGridTypeClick();
    qryDataAfterOpenClose();
}

TfraData::~TfraData()
{
    // The query may close while the children go: the frame is no longer there
    // to hear it.
    qryData->disconnect(this);
}

void TfraData::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int bar = tolLeft->sizeHint().width() + 2;
    const int scroll = height() < tolLeft->minimumHeight() ? style()->pixelMetric(QStyle::PM_ScrollBarExtent) : 0;
    scrButton->setFixedWidth(bar + scroll);
}

TzkDataOwnerKind TfraData::OwnerKind() const
{
    if (auto *o = dynamic_cast<IzkDataFrameOwner *>(m_owner.data()))
        return o->DataOwnerKind();
    return dokOther;
}

void TfraData::SetSQL(const QString &value)
{
    FSQL = value;
    FSort.clear();
    FDesc = false;
}

void TfraData::SetPrimary(const QStringList &value)
{
    FPrimary.clear();
    if (OwnerKind() == dokTable)
        FPrimary = value;
}

bool TfraData::ResultWritable() const
{
    return qryData->Active() && qryData->CanModify();
}

// --- Prepare and open ------------------------------------------------------------------

void TfraData::Prepare()
{
    TSQLWaitCursor wait;
    qryData->Close();
    qryData->SetSQL(SortedStatement(FSQL, FSort, FDesc));
    qryData->SetReadOnly(!btnUpdate->isChecked());
    ApplyEditOptions(!qryData->ReadOnly() && btnUpdate->isChecked());
}

void TfraData::ApplyEditOptions(bool editing)
{
    if (editing) {
        grdData1->SetOptions(grdData1->Options() + dgEditing + dgAlwaysShowEditor);
        grdData2->SetOptions(grdData2->Options() + dgEditing + dgAlwaysShowEditor);
    } else {
        grdData1->SetOptions(grdData1->Options() - dgEditing - dgAlwaysShowEditor);
        grdData2->SetOptions(grdData2->Options() - dgEditing - dgAlwaysShowEditor);
        grdData1->SetEditorMode(false);
    }
}

void TfraData::Open()
{
    struct Finally
    {
        TfraData *frame;
        ~Finally() { frame->qryDataAfterOpenClose(); }
    };
    TSQLWaitCursor wait;
    Finally after{this};
    qryData->Prepare();
    qryData->SetMapCurrencyToBCD(zkOption.CurrecyInNumericFormat);
    qryData->Open();
    if (FComHeader)
        ApplyTitles();
}

void TfraData::qryDataAfterOpenClose()
{
    const bool active = qryData->Active();
    if (active && m_editChecked != qryData->Generation()) {
        // Once per result: the catalogue says whether it can be written.
        m_editChecked = qryData->Generation();
        if (!qryData->ReadOnly() && !qryData->CanModify())
            PrepareResultEditing(*qryData);
    }
    const bool writable = active && qryData->CanModify();
    for (QWidget *b :
         std::initializer_list<QWidget *>{btnExcel, btnInsert, btnCopy, btnFirst, btnPrev, btnNext, btnLast, btnCSV})
        b->setEnabled(active);
    for (QAction *a : popColumn->actions())
        a->setEnabled(active);
    for (QAction *a : mnugroup->actions())
        a->setEnabled(active);
    mnuCopy->setEnabled(active);
    btnIns->setEnabled(writable);
    btnDel->setEnabled(writable);
    mnuIns->setEnabled(btnIns->isEnabled());
    mnuDel->setEnabled(btnDel->isEnabled());
    mnuPaste->setEnabled(btnDel->isEnabled());
    if (!active)
        return;
    if (btnUpdate->isChecked() && !writable)
        ApplyEditOptions(false);
    TransactionRule();
    if (OwnerKind() != dokTable) {
        for (int i = 0; i < qryData->FieldCount(); ++i) {
            TField *f = qryData->Fields(i);
            if (f->Def().fieldType == ftBlob && !f->ReadOnly())
                f->SetReadOnly(true);
        }
    }
    ApplyColumnWidths();
    SetEditButtonStyles();
}

void TfraData::TransactionRule()
{
    TFDConnection *con = qryData->Connection();
    if (!con || !qryData->Active())
        return;
    if (zkOption.AutoTran) {
        if (!con->InTransaction())
            con->StartTransaction();
    } else if (con->InTransaction()) {
        con->Commit();
    }
}

void TfraData::qryDataAfterPost()
{
    TransactionRule();
}

void TfraData::qryDataAfterDelete()
{
    TransactionRule();
}

void TfraData::SetEditButtonStyles()
{
    if (!qryData->Active() || grdData1->DataSource() != dsrTableData)
        return;
    TDBGridColumns *columns = grdData1->Columns();
    for (int i = 0; i < columns->Count(); ++i) {
        TColumn *column = columns->Items(i);
        TField *field = column->Field();
        const TFieldType type = field ? field->DataType() : ftUnknown;
        column->SetButtonStyle(IsStringField(type) || type == ftTimeStamp ? cbsEllipsis : cbsNone);
    }
}

// --- Column widths -------------------------------------------------------------------

void TfraData::ApplyColumnWidths()
{
    TDBGridColumns *columns = grdData1->Columns();
    if (grdData1->DataSource() != dsrTableData || (columns->Count() >= kManyColumns && !zkOption.Draw100ColOver))
        return;
    const int limit =
        QFontMetrics(grdData1->font()).horizontalAdvance(QString(qMax(1, zkOption.DataColWidthV), QLatin1Char('A')));
    auto fit = [limit](TColumn *column) {
        const int width = column->Width();
        column->SetWidth(width < 0 ? limit : qMin(width, limit));
    };
    columns->BeginUpdate();
    struct End
    {
        TDBGridColumns *columns;
        ~End() { columns->EndUpdate(); }
    } end{columns};
    const TzkDataOwnerKind kind = OwnerKind();
    if ((kind == dokTable || kind == dokView) && !FTableName.isEmpty()) {
        const QString file = ColumnWidthFileName(FDBName, FTableName);
        ForceDir(QFileInfo(file).path());
        const TzkIniFile ini(file, GetFileEncoding());
        for (int i = columns->Count() - 1; i >= 0; --i) {
            TColumn *column = columns->Items(i);
            const QString caption = column->Title()->Caption();
            const int w = ColumnWidthKeyUsable(caption)
                              ? ini.ReadString(kWidthSectionV, caption.trimmed(), QString()).toInt()
                              : 0;
            if (w < 1)
                fit(column);
            else
                column->SetWidth(w);
        }
        if (grdData2->DataSource() == dsrTableData) {
            const int h = ini.ReadString(kWidthSectionH, kWidthKeyAll, QString()).toInt();
            if (h > 0)
                grdData2->SetDefaultColWidth(h);
        }
    } else {
        for (int i = 0; i < columns->Count(); ++i)
            fit(columns->Items(i));
    }
}

void TfraData::qryDataBeforeClose()
{
    const TzkDataOwnerKind kind = OwnerKind();
    TDBGridColumns *columns = grdData1->Columns();
    if ((kind != dokTable && kind != dokView) || FTableName.isEmpty() || columns->Count() == 0
        || (columns->Count() >= kManyColumns && !zkOption.Draw100ColOver)
        || columns->Items(0)->Title()->Caption().isEmpty())
        return;
    try {
        const QString file = ColumnWidthFileName(FDBName, FTableName);
        ForceDir(QFileInfo(file).path());
        TzkIniFile ini(file, GetFileEncoding());
        for (int i = 0; i < columns->Count(); ++i) {
            TColumn *column = columns->Items(i);
            const QString caption = column->Title()->Caption();
            if (ColumnWidthKeyUsable(caption))
                ini.WriteString(kWidthSectionV, caption.trimmed(), QString::number(column->Width()));
        }
        ini.WriteString(kWidthSectionH, kWidthKeyAll, QString::number(grdData2->DefaultColWidth()));
        ini.UpdateFile();
    } catch (const EAbort &) {
        throw;
    } catch (const Exception &e) {
        // The result closes all the same; only its widths are not kept.
        ShowAppMessage(e.message(), MB_ICONWARNING);
    }
}

// --- Grid switch and titles -----------------------------------------------------------

void TfraData::btnGridTypeClick()
{
    FGridType = !FGridType;
    grdData1->setVisible(FGridType);
    grdData2->setVisible(!FGridType);
    grdData1->SetDataSource(dsrTableData);
    grdData2->SetDataSource(dsrTableData);
    SetEditButtonStyles();
}

void TfraData::btnComHeaderClick()
{
    FComHeader = !FComHeader;
    btnComHeader->setChecked(FComHeader);
    ApplyTitles();
}

void TfraData::ApplyTitles()
{
    if (!qryData->Active())
        return;
    const TzkDataOwnerKind kind = OwnerKind();
    auto *owner = dynamic_cast<IzkDataFrameOwner *>(m_owner.data());
    const int count = FGridType ? grdData1->Columns()->Count() : grdData2->Rows()->Count();
    for (int i = 0; i < count && i < qryData->FieldCount(); ++i) {
        TField *field = qryData->Fields(i);
        QString caption;
        if (FComHeader) {
            if ((kind != dokTable && kind != dokView) || !owner
                || !owner->DataColumnComment(field->DisplayName(), caption))
                continue;
        } else {
            caption = field->FieldName();
        }
        if (FGridType)
            grdData1->Columns()->Items(i)->Title()->SetCaption(caption);
        else
            grdData2->Rows()->Items(i)->Title()->SetCaption(caption);
    }
}

// --- Drawing -------------------------------------------------------------------------

void TfraData::DrawLook(const QRect &rect, const TzkDataCellLook &look)
{
    TzkGridCanvas *canvas = FGridType ? grdData1->Canvas() : grdData2->Canvas();
    canvas->FillRect(rect);
    if (look.nullText)
        canvas->FontColor = clBlue;
    canvas->Apply();
    // rect.right() is the last pixel: the edge is one further.
    const int x =
        look.alignment == taRightJustify ? rect.right() + 1 - canvas->TextWidth(look.text) - 2 : rect.left() + 2;
    canvas->TextOut(x, rect.top() + 2, look.text);
}

void TfraData::grdData1DrawColumnCell(const QRect &rect, int dataCol, TColumn *column, TGridDrawState state)
{
    if (grdData1->FieldCount() == 0 || !column)
        return;
    TField *field = column->Field();
    if (!field)
        return;
    TzkGridCanvas *canvas = grdData1->Canvas();
    const bool selected = grdData1->SelectedRows()->Contains(qryData->ActiveRecord());
    if (zkOption.AddStripe && !selected && qryData->RecNo() % 2 == 1) {
        canvas->BrushColor = kStripeColor;
        canvas->FontColor = clBlack;
        grdData1->DefaultDrawColumnCell(rect, dataCol, column, state);
    }
    const TzkDataCellLook look = DataCellLook(field, -1, zkOption.ShowNull);
    if (look.own)
        DrawLook(rect, look);
    if (!FPrimary.isEmpty()) {
        // The first field of each key name colours its title.
        for (const QString &name : FPrimary) {
            for (int i = 0; i < qryData->FieldCount(); ++i) {
                if (qryData->Fields(i)->FieldName() == name) {
                    if (qryData->Fields(i) == field && column->Title()->Color() != kPrimaryTitleColor)
                        column->Title()->SetColor(kPrimaryTitleColor);
                    break;
                }
            }
        }
    }
}

void TfraData::grdData2DrawRowCell(const QRect &rect, int dataRow, TRow *row, TGridDrawState state)
{
    if (grdData2->FieldCount() == 0 || !row)
        return;
    TField *field = row->Field();
    if (!field)
        return;
    TzkGridCanvas *canvas = grdData2->Canvas();
    const bool selected = grdData2->SelectedCols()->Contains(qryData->ActiveRecord());
    if (zkOption.AddStripe && !selected && qryData->RecNo() % 2 == 1) {
        canvas->BrushColor = kStripeColor;
        canvas->FontColor = clBlack;
        grdData2->DefaultDrawRowCell(rect, dataRow, row, state);
    }
    const TzkDataCellLook look = DataCellLook(field, qMax(0, zkOption.DataShowMode), zkOption.ShowNull);
    if (look.own)
        DrawLook(rect, look);
}

// --- Sorting ---------------------------------------------------------------------------

void TfraData::grdData1TitleClick(TColumn *column)
{
    FTitleClicked = true;
    if (!qryData->Active() || !column)
        return;
    const QString n = QString::number(column->Index() + 1);
    SortByColumn(n, FSort == n ? !FDesc : false);
}

void TfraData::grdData2TitleClick(TRow *row)
{
    FTitleClicked = true;
    if (!qryData->Active() || !row)
        return;
    const QString n = QString::number(row->Index() + 1);
    SortByRow(n, FSort == n ? !FDesc : false);
}

void TfraData::mnuSortAscendingClick()
{
    const int index =
        FGridType ? (SelectedColumn ? SelectedColumn->Index() : 0) : (SelectedRow ? SelectedRow->Index() : 0);
    SortByColumn(QString::number(index + 1), false);
}

void TfraData::mnuSortDescendingClick()
{
    const int index =
        FGridType ? (SelectedColumn ? SelectedColumn->Index() : 0) : (SelectedRow ? SelectedRow->Index() : 0);
    SortByColumn(QString::number(index + 1), true);
}

void TfraData::CopyParams(TFDQuery *from, TFDQuery *to)
{
    TFDParams &source = from->Params();
    TFDParams &target = to->Params();
    for (int i = 0; i < source.Count() && i < target.Count(); ++i)
        target[i].AssignValue(source[i]);
}

void TfraData::PrepareKeepingParams()
{
    // Preparing renews the parameters: their values wait in qryTemp.
    qryTemp->SetConnection(qryData->Connection());
    qryTemp->SetParamCreate(qryData->ParamCreate());
    qryTemp->SetSQL(qryData->SQL());
    CopyParams(qryData, qryTemp);
    Prepare();
    CopyParams(qryTemp, qryData);
}

void TfraData::SortByColumn(const QString &n, bool desc)
{
    if (!qryData->Active())
        return;
    FSort = n;
    FDesc = desc;
    PrepareKeepingParams();
    try {
        Open();
    } catch (const EAbort &) {
        throw;
    } catch (const Exception &) {
        ShowAppMessage(QStringLiteral("ntext、text、image、geography、geometry、および xml 型の列は、ORDER BY "
                                      "句では使用できません。"),
                       MB_ICONWARNING);
        FSort.clear();
        Prepare();
        CopyParams(qryTemp, qryData);
        Open();
    }
}

// --- Editing and moving ----------------------------------------------------------------

void TfraData::btnUpdateClick()
{
    if (qryData->Active()) {
        // The values of bind variables stay, as a sort keeps them.
        PrepareKeepingParams();
        Open();
    }
    if (btnUpdate->isChecked() && qryData->Active() && !ResultWritable()) {
        ShowAppMessage(QStringLiteral("この結果セットには書き込み出来ません。"), MB_ICONWARNING);
        btnUpdate->setChecked(false);
        ApplyEditOptions(false);
    }
}

void TfraData::ClearVisibleSelections()
{
    if (grdData1->isVisibleTo(this))
        grdData1->SelectedRows()->Clear();
    if (grdData2->isVisibleTo(this))
        grdData2->SelectedCols()->Clear();
}

void TfraData::btnInsClick()
{
    if (!qryData->Active())
        return;
    ClearVisibleSelections();
    qryData->Insert();
}

void TfraData::btnDelClick()
{
    if (qryData->Active() && qryData->IsEmpty())
        Abort();
    if (!qryData->Active())
        return;
    if (ShowAppMessage(QStringLiteral("レコードを削除しますか？"), MB_OKCANCEL | MB_ICONQUESTION) == IDCANCEL)
        return;
    TBookmarkList *selected = FGridType ? grdData1->SelectedRows() : grdData2->SelectedCols();
    if (selected->IsEmpty()) {
        qryData->Delete();
        return;
    }
    std::vector<TRecordId> records;
    for (TBookmarkList *list : {grdData1->SelectedRows(), grdData2->SelectedCols()}) {
        if ((list == grdData1->SelectedRows()) != FGridType)
            continue;
        list->ForEach([&records](TRecordId r) { records.push_back(r); });
    }
    std::reverse(records.begin(), records.end());
    {
        TSQLWaitCursor wait;
        qryData->DisableControls();
        struct Enable
        {
            TFDQuery *query;
            ~Enable() { query->EnableControls(); }
        } enable{qryData};
        qryData->DeleteRecords(records);
    }
    qryData->Close();
    qryData->Open();
}

void TfraData::btnFirstClick()
{
    if (!qryData->Active())
        return;
    ClearVisibleSelections();
    qryData->First();
}

void TfraData::btnPrevClick()
{
    if (!qryData->Active())
        return;
    ClearVisibleSelections();
    qryData->Prior();
}

void TfraData::btnNextClick()
{
    if (!qryData->Active())
        return;
    ClearVisibleSelections();
    qryData->Next();
}

void TfraData::btnLastClick()
{
    if (!qryData->Active())
        return;
    ClearVisibleSelections();
    qryData->Last();
}

void TfraData::GridKeyDown(int &key, Qt::KeyboardModifiers shift)
{
    if (!btnUpdate->isChecked() || !(shift & Qt::ControlModifier) || key != Qt::Key_0 || !qryData->Active())
        return;
    TField *field = SelectedGridField();
    if (!field)
        return;
    qryData->Edit();
    field->Clear();
    key = 0;
}

void TfraData::grdData1KeyDown(int &key, Qt::KeyboardModifiers shift)
{
    GridKeyDown(key, shift);
}

void TfraData::grdData2KeyDown(int &key, Qt::KeyboardModifiers shift)
{
    GridKeyDown(key, shift);
}

TField *TfraData::SelectedGridField() const
{
    return FGridType ? grdData1->SelectedField() : grdData2->SelectedField();
}

void TfraData::FocusVisibleGrid()
{
    if (FGridType)
        grdData1->setFocus();
    else
        grdData2->setFocus();
}

void TfraData::mnuCopyClick()
{
    if (IzkEditCommands *commands = FocusedEditCommands())
        commands->EditCopy();
}

void TfraData::mnuPasteClick()
{
    grdData1->SetEditorMode(true);
    if (IzkEditCommands *commands = FocusedEditCommands())
        commands->EditPaste();
}

// --- Pop-up menus -----------------------------------------------------------------------

QMenu *TfraData::PopupMenuAt(const QPoint &pos) const
{
    if (btnUpdate->isHidden())
        return nullptr;
    if (FGridType) {
        const int indicator = grdData1->verticalHeader()->isHidden() ? 0 : grdData1->verticalHeader()->width();
        const int title = grdData1->horizontalHeader()->isHidden() ? 0 : grdData1->horizontalHeader()->height();
        if (pos.x() < grdData1->frameWidth() + qMax(indicator, 10))
            return popRecord;
        if (pos.y() < grdData1->frameWidth() + qMax(title, 17))
            return popColumn;
        return nullptr;
    }
    const int indicator = grdData2->horizontalHeader()->isHidden() ? 0 : grdData2->horizontalHeader()->height();
    const int title = grdData2->verticalHeader()->isHidden() ? 0 : grdData2->verticalHeader()->width();
    if (pos.y() < grdData2->frameWidth() + qMax(indicator, 6))
        return popRecord;
    if (pos.x() < grdData2->frameWidth() + title)
        return popColumn;
    return nullptr;
}

bool TfraData::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ContextMenu) {
        QAbstractScrollArea *grid =
            FGridType ? static_cast<QAbstractScrollArea *>(grdData1) : static_cast<QAbstractScrollArea *>(grdData2);
        auto *widget = qobject_cast<QWidget *>(watched);
        if (widget && grid->isAncestorOf(widget)) {
            const QPoint global = static_cast<QContextMenuEvent *>(event)->globalPos();
            if (QMenu *menu = PopupMenuAt(grid->mapFromGlobal(global))) {
                if (menu == popColumn)
                    popColumnPopup();
                menu->popup(global);
            }
            return true;
        }
    } else if (event->type() == QEvent::Hide && dtpInputDate->isVisible()
               && watched == dtpInputDate->calendarWidget()->window()) {
        dtpInputDateCloseUp();
    }
    return QWidget::eventFilter(watched, event);
}

void TfraData::popColumnPopup()
{
    if (FGridType) {
        TDBGridColumns *columns = grdData1->Columns();
        const int index = grdData1->SelectedIndex();
        SelectedColumn = index >= 0 && index < columns->Count() ? columns->Items(index)
                         : columns->Count() > 0                 ? columns->Items(0)
                                                                : nullptr;
    } else {
        TDBGridRows *rows = grdData2->Rows();
        const int index = grdData2->SelectedIndex();
        SelectedRow = index >= 0 && index < rows->Count() ? rows->Items(index)
                      : rows->Count() > 0                 ? rows->Items(0)
                                                          : nullptr;
    }
}

QString TfraData::SelectedCaption() const
{
    if (FGridType)
        return SelectedColumn ? SelectedColumn->Title()->Caption() : QString();
    return SelectedRow ? SelectedRow->Title()->Caption() : QString();
}

void TfraData::mnuEditCopyClick()
{
    QApplication::clipboard()->setText(SelectedCaption());
}

// --- Aggregates ----------------------------------------------------------------------------

void TfraData::Aggregate(const QString &function, const QString &label, bool formatted)
{
    QString fieldName;
    if (FGridType && SelectedColumn)
        fieldName = SelectedColumn->FieldName();
    else if (!FGridType && SelectedRow)
        fieldName = SelectedRow->FieldName();
    if (fieldName.isEmpty())
        return;
    auto query = std::make_unique<TFDQuery>(this);
    query->SetConnection(qryData->Connection());
    query->SetParamCreate(qryData->ParamCreate());
    query->SetSQL(AggregateStatement(function, fieldName, FSQL));
    // A statement with bind variables counts with the values it was run with.
    for (int i = 0; i < query->Params().Count(); ++i) {
        if (TFDParam *p = qryData->FindParam(query->Params()[i].Name()))
            query->Params()[i].AssignValue(*p);
    }
    try {
        query->Open();
    } catch (const EAbort &) {
        throw;
    } catch (const Exception &) {
        ShowAppMessage(QStringLiteral("集計情報を求めることができません。"), MB_ICONWARNING);
        return;
    }
    if (query->IsEmpty() || query->FieldCount() == 0)
        return;
    TField *value = query->Fields(0);
    if (value->IsNull()) {
        query->Close();
        ShowAppMessage(QStringLiteral("レコードがありません"), MB_ICONWARNING);
        Abort();
    }
    const QString text = formatted ? FormatBcdText(value->AsString()) : value->AsString();
    query->Close();
    ShowAppMessage(QLatin1Char('[') + SelectedCaption() + label + text, MB_OK);
}

void TfraData::mnuCountClick()
{
    Aggregate(QStringLiteral("select count("), QStringLiteral("]列の件数 = "), true);
}

void TfraData::mnuSumClick()
{
    Aggregate(QStringLiteral("select sum("), QStringLiteral("]列の合計 = "), true);
}

void TfraData::mnuAverageClick()
{
    Aggregate(QStringLiteral("select avg("), QStringLiteral("]列の平均 = "), true);
}

void TfraData::mnuMaxClick()
{
    Aggregate(QStringLiteral("select max("), QStringLiteral("]列の最大 = "), false);
}

void TfraData::mnuMinClick()
{
    Aggregate(QStringLiteral("select min("), QStringLiteral("]列の最小 = "), false);
}

// --- Cell editors ------------------------------------------------------------------------------

void TfraData::grdData1DblClick()
{
    if (FTitleClicked) {
        FTitleClicked = false;
        return;
    }
    grdData1EditButtonClick();
}

void TfraData::grdData1EditButtonClick()
{
    if (OwnerKind() == dokDataGenerate || !qryData->Active())
        return;
    TField *field = SelectedGridField();
    if (!field)
        return;
    scrButton->setFocus();
    const bool readOnly = !btnUpdate->isChecked() || !ResultWritable();
    const TFieldType type = field->DataType();
    if (IsStringField(type) && ShowMemoWindow) {
        QString text = field->AsString();
        bool isNull = field->IsNull();
        const QString oldText = text;
        const bool oldNull = isNull;
        if (ShowMemoWindow(text, isNull, true, readOnly) == 1 && (text != oldText || isNull != oldNull)) {
            qryData->Edit();
            if (isNull)
                field->Clear();
            else
                field->SetText(text);
        }
    }
    FocusVisibleGrid();
    if (readOnly || (type != ftDate && type != ftDateTime && type != ftTimeStamp))
        return;
    bool ellipsis = false;
    if (FGridType) {
        const int index = grdData1->SelectedIndex();
        ellipsis = index >= 0 && index < grdData1->Columns()->Count()
                   && grdData1->Columns()->Items(index)->ButtonStyle() == cbsEllipsis;
    } else {
        // The transposed grid's rows carry no button style: time stamps have
        // the button there too.
        ellipsis = type == ftTimeStamp;
    }
    if (ellipsis)
        ShowDatePicker(field);
}

void TfraData::ShowDatePicker(TField *field)
{
    QString text = field->AsString();
    const qsizetype dot = text.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        text.truncate(dot);
    text.replace(QLatin1Char('-'), QLatin1Char('/'));

    QRect cell;
    QWidget *grid;
    if (FGridType) {
        cell = grdData1->CellRect(grdData1->Col(), grdData1->Row());
        grid = grdData1;
    } else {
        cell = grdData2->GetCellRect(grdData2->Col(), grdData2->Row());
        grid = grdData2;
    }
    const QPoint origin = grid->mapTo(this, cell.topLeft());
    dtpInputDate->setGeometry(origin.x() + 1, origin.y() + 1, cell.width() + 1, cell.height() + 2);

    const QString dateFormat = DelphiToQtDateTimeFormat(zkOption.DateFormat);
    m_pickerSetting = true;
    auto *picker = static_cast<TzkDatePicker *>(dtpInputDate);
    if (text.trimmed().size() > zkOption.DateFormat.size())
        dtpInputDate->setDisplayFormat(dateFormat + QLatin1Char(' ') + DelphiToQtDateTimeFormat(zkOption.TimeDelphi));
    else
        dtpInputDate->setDisplayFormat(dateFormat);
    QDateTime value;
    if (text.trimmed().isEmpty() || !TryStrToDateTime(text.trimmed(), value)) {
        picker->blank = true;
        m_pickerBlank = true;
        dtpInputDate->setDateTime(QDateTime(QDate::currentDate(), QTime(0, 0)));
    } else {
        picker->blank = false;
        m_pickerBlank = false;
        dtpInputDate->setDateTime(value);
    }
    m_pickerSetting = false;
    dtpInputDate->show();
    dtpInputDate->raise();
    dtpInputDate->setFocus();
    QKeyEvent f4(QEvent::KeyPress, Qt::Key_F4, Qt::NoModifier);
    QApplication::sendEvent(dtpInputDate, &f4);
}

void TfraData::dtpInputdateChange()
{
    if (!qryData->Active())
        return;
    try {
        TField *field = SelectedGridField();
        if (!field)
            return;
        qryData->Edit();
        const QString old = field->AsString();
        const qsizetype dot = old.indexOf(QLatin1Char('.'));
        const QString fraction = dot >= 0 ? old.mid(dot) : QString();
        const QDateTime value = dtpInputDate->dateTime();
        // The old fraction replaces whatever fraction the time format shows.
        QString time = TimeToStr(value.time());
        if (const qsizetype point = time.indexOf(QLatin1Char('.')); point >= 0 && !fraction.isEmpty())
            time.truncate(point);
        field->SetText((DateToStr(value.date()) + QLatin1Char(' ') + time + fraction).trimmed());
        if (m_pickerBlank) {
            m_pickerBlank = false;
            static_cast<TzkDatePicker *>(dtpInputDate)->blank = false;
            m_pickerSetting = true;
            dtpInputDate->setDisplayFormat(DelphiToQtDateTimeFormat(zkOption.DateFormat));
            m_pickerSetting = false;
        }
    } catch (const Exception &) {
        // The picker's value does not fit the field: the cell keeps its text.
        dtpInputDateCloseUp();
    }
}

void TfraData::dtpInputDateCloseUp()
{
    dtpInputDate->hide();
    FocusVisibleGrid();
}
