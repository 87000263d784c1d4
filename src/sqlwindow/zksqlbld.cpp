#include "sqlwindow/zksqlbld.h"

#include "controls/zkgrid.h"
#include "core/zksub_text.h"
#include "platform/db/dbconnection.h"
#include "platform/db/dbquery.h"
#include "sqlwindow/zksqlbld_text.h"

#include <QApplication>
#include <QCursor>
#include <QDrag>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <qdrawutil.h>

#include <algorithm>
#include <cstdlib>

namespace {

// The scrollable area is at least this large; the scroll bars step by 32.
constexpr int kSurfaceSize = 1024;
constexpr int kScrollStep = 32;
// Horizontal stub of a join line beside each box.
constexpr int kStub = 16;
// A column dragged between boxes; the source is the drag's source list.
const QString kColumnMime = QStringLiteral("application/x-zekalon-designer-column");
const QString kStar = QStringLiteral("*");

QColor btnFace(const QWidget *w)
{
    return w->palette().color(QPalette::Button);
}

// Rows of the column list: key columns bold, text at left + 2, top + 2.
class ColumnDelegate : public QStyledItemDelegate
{
public:
    explicit ColumnDelegate(TListBoxEx *list)
        : QStyledItemDelegate(list)
        , m_list(list)
    {
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const override
    {
        return QSize(option.rect.width(), m_list->ItemHeight());
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette &pal = m_list->palette();
        const QPalette::ColorGroup group = m_list->isEnabled() ? QPalette::Normal : QPalette::Disabled;
        painter->save();
        painter->fillRect(option.rect, pal.color(group, selected ? QPalette::Highlight : QPalette::Base));
        QFont font = m_list->font();
        font.setBold(m_list->IsKeyColumn(index.row()));
        painter->setFont(font);
        painter->setPen(pal.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
        painter->setClipRect(option.rect);
        const QRect text = option.rect.adjusted(2, 2, 0, 0);
        painter->drawText(text, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, index.data().toString());
        painter->restore();
    }

private:
    TListBoxEx *m_list;
};

void setHeaderColours(QLabel *header, const QColor &back, const QColor &text)
{
    QPalette pal = header->palette();
    pal.setColor(QPalette::Window, back);
    pal.setColor(QPalette::WindowText, text);
    header->setPalette(pal);
}

} // namespace

// --- Geometry ----------------------------------------------------------------

int ApproxDistance(int DX, int DY)
{
    DX = std::abs(DX);
    DY = std::abs(DY);
    return DX > DY ? DX + DY / 2 : DY + DX / 2;
}

int ClampedRowMiddle(int RowTop, int RowHeight, int ClientHeight)
{
    const int top = std::clamp(RowTop, 0, ClientHeight);
    const int bottom = std::clamp(RowTop + RowHeight, 0, ClientHeight);
    return top + (bottom - top) / 2;
}

TzkConnectLines ConnectLines(const QRect &FromBox, int FromY, const QRect &ToBox, int ToY)
{
    int x0, x1, x2, x3;
    if (FromBox.left() <= ToBox.left()) {
        x0 = FromBox.left() + FromBox.width();
        x3 = ToBox.left();
        x1 = x0 + kStub;
        x2 = x3 - kStub;
    } else {
        x0 = FromBox.left();
        x3 = ToBox.left() + ToBox.width();
        x1 = x0 - kStub;
        x2 = x3 + kStub;
    }
    return {QPoint(x0, FromY), QPoint(x1, FromY), QPoint(x2, ToY), QPoint(x3, ToY)};
}

bool HitConnectLines(const TzkConnectLines &Lines, const QPoint &P)
{
    for (int i = 0; i < 3; ++i) {
        const QPoint &a = Lines[i];
        const QPoint &b = Lines[i + 1];
        const int dx = b.x() - a.x();
        const int dy = b.y() - a.y();
        // The cross product is the distance to the line times its length.
        if (std::abs((a.x() - P.x()) * dy - (a.y() - P.y()) * dx) < ApproxDistance(dx, dy))
            return true;
    }
    return false;
}

QString ConnectLabel(TzkSQLBuildConnectType ConnectType, TzkSQLBuildJoinType JoinType, bool Mirrored)
{
    static const char *const normal[] = {"=", ">", ">=", "<", "<=", "!="};
    static const char *const mirrored[] = {"=", "<", "<=", ">", ">=", "!="};
    const QString op = QString::fromLatin1((Mirrored ? mirrored : normal)[ConnectType]);
    const QString plus = QStringLiteral("(+)");
    const QString blank = QStringLiteral(" ");
    // Drawn right to left, the tables change sides and so does the mark.
    TzkSQLBuildJoinType side = JoinType;
    if (Mirrored && JoinType != jtInner)
        side = JoinType == jtLeftOuter ? jtRightOuter : jtLeftOuter;
    switch (side) {
    case jtLeftOuter: return blank + op + plus;
    case jtRightOuter: return plus + op + blank;
    default: return blank + op + blank;
    }
}

// --- TzkGraphicControl -------------------------------------------------------

TzkGraphicControl::TzkGraphicControl(QWidget *parent)
    : QWidget(parent)
{
}

void TzkGraphicControl::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    m_canvas = &painter;
    m_clip = event->rect();
    if (OnPaint)
        OnPaint();
    m_canvas = nullptr;
}

// --- TListBoxEx ------------------------------------------------------------------

TListBoxEx::TListBoxEx(TzkSQLDesigner *Owner, TzkSQLBuildTable *Box)
    : TzkListBox(Box)
    , m_owner(Owner)
    , m_box(Box)
{
    setObjectName(QStringLiteral("FItemList"));
    setFrameShape(QFrame::NoFrame);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setUniformItemSizes(true);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    setDragDropMode(QAbstractItemView::DragDrop);
    setItemDelegate(new ColumnDelegate(this));
}

int TListBoxEx::ItemHeight() const
{
    return fontMetrics().height() + 4;
}

void TListBoxEx::AddColumn(const QString &Name, bool IsKey)
{
    auto *item = new QListWidgetItem(Name, this);
    if (IsKey)
        item->setData(Qt::UserRole, 1);
}

bool TListBoxEx::IsKeyColumn(int Row) const
{
    const QListWidgetItem *it = item(Row);
    return it && it->data(Qt::UserRole).toInt() == 1;
}

int TListBoxEx::IndexOf(const QString &Name) const
{
    for (int i = 0; i < count(); ++i)
        if (QString::compare(item(i)->text(), Name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void TListBoxEx::scrollContentsBy(int dx, int dy)
{
    TzkListBox::scrollContentsBy(dx, dy);
    // The line ends follow the scrolled rows at once.
    if (dy != 0 && m_owner && m_owner->FBackGround)
        m_owner->FBackGround->repaint();
}

void TListBoxEx::focusOutEvent(QFocusEvent *event)
{
    TzkListBox::focusOutEvent(event);
    clearSelection();
}

void TListBoxEx::mousePressEvent(QMouseEvent *event)
{
    m_owner->SetSelected(m_box);
    TzkListBox::mousePressEvent(event);
}

void TListBoxEx::mouseDoubleClickEvent(QMouseEvent *event)
{
    TzkListBox::mouseDoubleClickEvent(event);
    m_owner->ItemListDblClick(m_box);
}

void TListBoxEx::startDrag(Qt::DropActions)
{
    QListWidgetItem *current = currentItem();
    if (!current)
        return;
    auto *mime = new QMimeData;
    mime->setData(kColumnMime, current->text().toUtf8());
    auto *drag = new QDrag(this);
    drag->setMimeData(mime);
    drag->exec(Qt::CopyAction, Qt::CopyAction);
}

bool TListBoxEx::acceptsColumnDrop(QDropEvent *event, QString *Target) const
{
    const auto *source = qobject_cast<const TListBoxEx *>(event->source());
    if (!source || source->m_owner != m_owner || source->m_box == m_box)
        return false;
    const QListWidgetItem *from = source->currentItem();
    if (!from || from->text() == kStar)
        return false;
    const QListWidgetItem *to = itemAt(event->position().toPoint());
    if (!to || to->text() == kStar)
        return false;
    if (Target)
        *Target = to->text();
    return true;
}

void TListBoxEx::dragEnterEvent(QDragEnterEvent *event)
{
    // Entering may happen over "*" or below the rows: the moves decide.
    const auto *source = qobject_cast<const TListBoxEx *>(event->source());
    if (source && source->m_owner == m_owner && source->m_box != m_box)
        event->acceptProposedAction();
    else
        event->ignore();
}

void TListBoxEx::dragMoveEvent(QDragMoveEvent *event)
{
    if (acceptsColumnDrop(event, nullptr))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TListBoxEx::dropEvent(QDropEvent *event)
{
    QString target;
    if (!acceptsColumnDrop(event, &target)) {
        event->ignore();
        return;
    }
    const auto *source = qobject_cast<const TListBoxEx *>(event->source());
    event->acceptProposedAction();
    m_owner->ColumnDragDrop(source->m_box, source->currentItem()->text(), m_box, target);
}

// --- TzkSQLBuildTable ------------------------------------------------------------

TzkSQLBuildTable::TzkSQLBuildTable(TzkSQLDesigner *AOwner)
    : QFrame(AOwner->FBackGround)
    , FOwner(AOwner)
{
    setMouseTracking(true);
    FAlias = new QLineEdit(this);
    FAlias->setObjectName(QStringLiteral("FAlias"));
    FAlias->installEventFilter(this);
    connect(FAlias, &QLineEdit::textChanged, this, [this] { aliasChange(); });

    FHeaderPanel = new QLabel(this);
    FHeaderPanel->setObjectName(QStringLiteral("FHeaderPanel"));
    FHeaderPanel->setAutoFillBackground(true);
    FHeaderPanel->setIndent(2);
    FHeaderPanel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // A press on the header reaches the box, which moves.
    FHeaderPanel->setAttribute(Qt::WA_TransparentForMouseEvents);
    setHeaderColours(FHeaderPanel, btnFace(this), Qt::black);

    FItemList = new TListBoxEx(AOwner, this);

    FOwner->FTables.append(this);
    const int height = 5 * FItemList->ItemHeight() + headerHeight() + FAlias->sizeHint().height() + 2 * BorderWidth;
    setGeometry(16, 16, 120, height);
    layoutChildren();
    show();
}

TzkSQLBuildTable::~TzkSQLBuildTable()
{
    FAlias->removeEventFilter(this);
    disconnect(FAlias, nullptr, this, nullptr);
    if (FOwner->FSelected == this)
        FOwner->SetSelected(nullptr);
    // Joins leave the list as they are freed: walk it from the end.
    for (qsizetype i = FOwner->FConnects.size() - 1; i >= 0; --i) {
        TzkSQLBuildConnect *c = FOwner->FConnects[i];
        if (c->FromTable() == this || c->ToTable() == this)
            delete c;
    }
    FOwner->FTables.removeOne(this);
    if (!FOwner->m_destroying) {
        if (TzkStringGrid *grid = FOwner->Grid()) {
            const QString prefix = Alias() + QLatin1Char('.');
            for (int row = grid->RowCount() - 1; row >= 1; --row)
                if (grid->Cells(0, row).trimmed().startsWith(prefix, Qt::CaseInsensitive))
                    grid->DeleteRow(row);
        }
        FOwner->DesignToSQL();
        FOwner->FBackGround->update();
    }
}

void TzkSQLBuildTable::SetTableDatabase(const QString &Value)
{
    FTableDatabase = Value;
    updateCaption();
}

void TzkSQLBuildTable::SetTableSchema(const QString &Value)
{
    FTableSchema = Value;
    updateCaption();
}

void TzkSQLBuildTable::SetTableName(const QString &Value)
{
    FTableName = Value;
    updateCaption();
}

int TzkSQLBuildTable::headerHeight() const
{
    return FHeaderPanel->fontMetrics().height() + 4;
}

QString TzkSQLBuildTable::Alias() const
{
    const QString text = FAlias->text();
    return text.isEmpty() ? FTableName : text;
}

void TzkSQLBuildTable::SetAlias(const QString &Value)
{
    FAlias->setText(Value);
}

void TzkSQLBuildTable::updateCaption()
{
    QString caption;
    if (!FTableDatabase.isEmpty() && !FTableSchema.isEmpty())
        caption = FTableDatabase + QLatin1Char('.') + FTableSchema + QLatin1Char('.') + FTableName;
    else if (!FTableSchema.isEmpty())
        caption = FTableSchema + QLatin1Char('.') + FTableName;
    else
        caption = FTableName;
    FHeaderPanel->setText(caption);
    FHeaderPanel->setToolTip(caption);
}

QString TzkSQLBuildTable::GetDatabase() const
{
    // The box holds its names unbracketed, as the catalogue spells them.
    const QString db =
        FOwner->FConnection ? FOwner->Connection()->Params().Value(QStringLiteral("Database")) : QString();
    const QString mine = FTableDatabase.trimmed();
    if (mine.isEmpty() || QString::compare(mine, db, Qt::CaseInsensitive) == 0)
        return QString();
    return BracketCatalogName(FTableDatabase) + QLatin1Char('.');
}

QString TzkSQLBuildTable::GetSchema() const
{
    const QString schema = FTableSchema.trimmed();
    if (!GetDatabase().isEmpty()
        || (!schema.isEmpty() && QString::compare(schema, FOwner->GetDefSchema(), Qt::CaseInsensitive) != 0))
        return BracketCatalogName(FTableSchema) + QLatin1Char('.');
    return QString();
}

QString TzkSQLBuildTable::GetRefName() const
{
    const TzkSQLType kind = FOwner->SQLType();
    if (kind == sqltSelect || kind == sqltCreateView || !FAlias->text().isEmpty())
        return Alias() + QLatin1Char('.');
    return QString();
}

void TzkSQLBuildTable::layoutChildren()
{
    const QRect inner = rect().adjusted(BorderWidth, BorderWidth, -BorderWidth, -BorderWidth);
    const int header = headerHeight();
    const int alias = FAlias->sizeHint().height();
    FHeaderPanel->setGeometry(inner.x(), inner.y(), inner.width(), header);
    FAlias->setGeometry(inner.x(), inner.y() + header, inner.width(), alias);
    FItemList->setGeometry(inner.x(), inner.y() + header + alias, inner.width(),
                           std::max(0, inner.height() - header - alias));
}

void TzkSQLBuildTable::paintEvent(QPaintEvent *)
{
    // The sizing border: a raised frame around the contents.
    QPainter painter(this);
    painter.fillRect(rect(), btnFace(this));
    qDrawWinPanel(&painter, rect(), palette(), false);
}

void TzkSQLBuildTable::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    layoutChildren();
    FOwner->FBackGround->update();
}

void TzkSQLBuildTable::moveEvent(QMoveEvent *event)
{
    QFrame::moveEvent(event);
    FOwner->FBackGround->update();
}

Qt::Edges TzkSQLBuildTable::edgesAt(const QPoint &Pos) const
{
    Qt::Edges edges;
    if (Pos.x() < BorderWidth)
        edges |= Qt::LeftEdge;
    else if (Pos.x() >= width() - BorderWidth)
        edges |= Qt::RightEdge;
    if (Pos.y() < BorderWidth)
        edges |= Qt::TopEdge;
    else if (Pos.y() >= height() - BorderWidth)
        edges |= Qt::BottomEdge;
    return edges;
}

void TzkSQLBuildTable::MouseDown(const QPoint &Pos)
{
    raise();
    FOwner->setFocus(Qt::MouseFocusReason);
    FOwner->FState = dsMoving;
    FOwner->SetSelected(this);
    FOwner->FDragStartPos = mapTo(FOwner->viewport(), Pos);
}

void TzkSQLBuildTable::mousePressEvent(QMouseEvent *event)
{
    QFrame::mousePressEvent(event);
    const QPoint pos = event->position().toPoint();
    const Qt::Edges edges = edgesAt(pos);
    if (edges && event->button() == Qt::LeftButton) {
        m_sizeEdges = edges;
        m_sizeLast = event->globalPosition().toPoint();
        return;
    }
    MouseDown(pos);
}

void TzkSQLBuildTable::mouseMoveEvent(QMouseEvent *event)
{
    QFrame::mouseMoveEvent(event);
    const QPoint pos = event->position().toPoint();
    if (m_sizeEdges) {
        const QPoint global = event->globalPosition().toPoint();
        const QPoint delta = global - m_sizeLast;
        QRect r = geometry();
        const int minWidth = 2 * BorderWidth + 24;
        const int minHeight = 2 * BorderWidth + headerHeight() + FAlias->sizeHint().height();
        if (m_sizeEdges & Qt::LeftEdge)
            r.setLeft(std::clamp(r.left() + delta.x(), 0, r.right() - minWidth));
        if (m_sizeEdges & Qt::RightEdge)
            r.setRight(std::max(r.right() + delta.x(), r.left() + minWidth));
        if (m_sizeEdges & Qt::TopEdge)
            r.setTop(std::clamp(r.top() + delta.y(), 0, r.bottom() - minHeight));
        if (m_sizeEdges & Qt::BottomEdge)
            r.setBottom(std::max(r.bottom() + delta.y(), r.top() + minHeight));
        setGeometry(r);
        m_sizeLast = global;
        return;
    }
    if (FOwner->FState == dsMoving) {
        FOwner->MouseMove(mapTo(FOwner->viewport(), pos));
        return;
    }
    const Qt::Edges edges = edgesAt(pos);
    if ((edges & (Qt::LeftEdge | Qt::TopEdge)) == (Qt::LeftEdge | Qt::TopEdge)
        || (edges & (Qt::RightEdge | Qt::BottomEdge)) == (Qt::RightEdge | Qt::BottomEdge))
        setCursor(Qt::SizeFDiagCursor);
    else if ((edges & (Qt::RightEdge | Qt::TopEdge)) == (Qt::RightEdge | Qt::TopEdge)
             || (edges & (Qt::LeftEdge | Qt::BottomEdge)) == (Qt::LeftEdge | Qt::BottomEdge))
        setCursor(Qt::SizeBDiagCursor);
    else if (edges & (Qt::LeftEdge | Qt::RightEdge))
        setCursor(Qt::SizeHorCursor);
    else if (edges & (Qt::TopEdge | Qt::BottomEdge))
        setCursor(Qt::SizeVerCursor);
    else
        unsetCursor();
}

void TzkSQLBuildTable::mouseReleaseEvent(QMouseEvent *event)
{
    QFrame::mouseReleaseEvent(event);
    if (m_sizeEdges) {
        m_sizeEdges = {};
        return;
    }
    FOwner->MouseUp(mapTo(FOwner->viewport(), event->position().toPoint()));
}

bool TzkSQLBuildTable::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == FAlias) {
        if (event->type() == QEvent::FocusIn)
            aliasEnter();
        else if (event->type() == QEvent::MouseButtonPress)
            FOwner->SetSelected(this);
    }
    return QFrame::eventFilter(watched, event);
}

void TzkSQLBuildTable::aliasEnter()
{
    FPrevAliasName = Alias();
}

void TzkSQLBuildTable::aliasChange()
{
    const QString alias = Alias();
    if (alias == FPrevAliasName)
        return;
    TzkStringGrid *grid = FOwner->Grid();
    if (!FOwner->FSQLDesign && grid && !FPrevAliasName.isEmpty()) {
        const QString from = FPrevAliasName + QLatin1Char('.');
        const QString to = alias + QLatin1Char('.');
        for (int row = 1; row < grid->RowCount(); ++row)
            for (int col : {0, 6}) {
                QString text = grid->Cells(col, row);
                text.replace(from, to, Qt::CaseInsensitive);
                if (text != grid->Cells(col, row))
                    grid->SetCells(col, row, text);
            }
        FOwner->DesignToSQL();
    }
    FPrevAliasName = alias;
}

// --- TzkSQLBuildConnect ------------------------------------------------------------

TzkSQLBuildConnect::TzkSQLBuildConnect(TzkSQLDesigner *AOwner, TzkSQLBuildTable *Table1, TzkSQLBuildTable *Table2,
                                       const QString &Column1, const QString &Column2)
    : FOwner(AOwner)
    , FFromTable(Table1)
    , FToTable(Table2)
    , FFromColumn(Column1)
    , FToColumn(Column2)
{
    FOwner->FConnects.append(this);
}

TzkSQLBuildConnect::~TzkSQLBuildConnect()
{
    FOwner->FConnects.removeOne(this);
}

void TzkSQLBuildConnect::CalcLines()
{
    // Boxes are children of the surface: their geometry is in content
    // coordinates already, and the list's place inside its box includes
    // the sizing border.
    const auto rowY = [](const TzkSQLBuildTable *box, const QString &column, int &y) {
        const TListBoxEx *list = box->ItemList();
        const int row = list->IndexOf(column);
        if (row < 0)
            return;
        const QRect r = list->visualItemRect(list->item(row));
        const QWidget *client = list->viewport();
        y = box->y() + list->y() + client->y() + ClampedRowMiddle(r.top(), r.height(), client->height());
    };
    int fromY = FLines[0].y();
    int toY = FLines[3].y();
    rowY(FFromTable, FFromColumn, fromY);
    rowY(FToTable, FToColumn, toY);
    FLines = ConnectLines(FFromTable->geometry(), fromY, FToTable->geometry(), toY);
}

bool TzkSQLBuildConnect::HitTest(const QPoint &ClientPos) const
{
    return HitConnectLines(FLines, ClientPos + FOwner->ScrollPos());
}

bool TzkSQLBuildConnect::HitTest() const
{
    return HitTest(FOwner->viewport()->mapFromGlobal(QCursor::pos()));
}

// --- TzkSQLDesigner ----------------------------------------------------------------

TzkSQLDesigner::TzkSQLDesigner(QWidget *parent)
    : QScrollArea(parent)
{
    FPickSortType = {QString(), QStringLiteral("昇順"), QStringLiteral("降順")};
    FPickGroupType = {QString(),
                      QStringLiteral("GROUP BY"),
                      QStringLiteral("HAVING"),
                      QStringLiteral("AVG"),
                      QStringLiteral("COUNT"),
                      QStringLiteral("MAX"),
                      QStringLiteral("MEDIAN"),
                      QStringLiteral("MIN"),
                      QStringLiteral("STDDEV"),
                      QStringLiteral("STDDEV_POP"),
                      QStringLiteral("STDDEV_SAMP"),
                      QStringLiteral("SUM"),
                      QStringLiteral("VAR_POP"),
                      QStringLiteral("VAR_SAMP"),
                      QStringLiteral("VARIANCE")};

    setFocusPolicy(Qt::StrongFocus);
    setWidgetResizable(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    FBackGround = new TzkGraphicControl;
    FBackGround->setObjectName(QStringLiteral("FBackGround"));
    FBackGround->OnPaint = [this] { PaintBackGround(); };
    // Moves without a button pressed show the hand over a join.
    FBackGround->setMouseTracking(true);
    FBackGround->setAcceptDrops(true);
    FBackGround->installEventFilter(this);
    setWidget(FBackGround);
    horizontalScrollBar()->setSingleStep(kScrollStep);
    verticalScrollBar()->setSingleStep(kScrollStep);
    updateSurfaceSize();

    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *old, QWidget *now) { focusChanged(old, now); });
}

TzkSQLDesigner::~TzkSQLDesigner()
{
    m_destroying = true;
    // Children go after this body: nothing of theirs may call back here.
    disconnect(qApp, nullptr, this, nullptr);
    if (FSQLText)
        disconnect(FSQLText, nullptr, this, nullptr);
    FBackGround->removeEventFilter(this);
    Clear();
}

TFDConnection *TzkSQLDesigner::Connection() const
{
    return static_cast<TFDConnection *>(FConnection.data());
}

void TzkSQLDesigner::SetConnection(TFDConnection *Value)
{
    FConnection = Value;
}

TzkStringGrid *TzkSQLDesigner::Grid() const
{
    return static_cast<TzkStringGrid *>(FGrid.data());
}

void TzkSQLDesigner::SetGrid(TzkStringGrid *Value)
{
    FGrid = Value;
}

void TzkSQLDesigner::SetSQLType(TzkSQLType Value)
{
    FSQLType = Value;
}

void TzkSQLDesigner::SetSelected(TzkSQLBuildTable *Value)
{
    if (FSelected == Value)
        return;
    FSelected = Value;
    for (TzkSQLBuildTable *box : std::as_const(FTables))
        setHeaderColours(box->FHeaderPanel, btnFace(this), Qt::black);
    if (FSelected)
        setHeaderColours(FSelected->FHeaderPanel, palette().color(QPalette::Highlight),
                         palette().color(QPalette::HighlightedText));
}

void TzkSQLDesigner::Clear()
{
    SetSelected(nullptr);
    while (!FConnects.isEmpty())
        delete FConnects.first();
    while (!FTables.isEmpty())
        delete FTables.first();
}

QPoint TzkSQLDesigner::ScrollPos() const
{
    return QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void TzkSQLDesigner::updateSurfaceSize()
{
    const QSize view = viewport()->size();
    FBackGround->resize(std::max(kSurfaceSize, view.width()), std::max(kSurfaceSize, view.height()));
}

void TzkSQLDesigner::resizeEvent(QResizeEvent *event)
{
    QScrollArea::resizeEvent(event);
    updateSurfaceSize();
}

void TzkSQLDesigner::MouseDown(Qt::MouseButton, const QPoint &)
{
    setFocus(Qt::MouseFocusReason);
}

void TzkSQLDesigner::MouseMove(const QPoint &Pos)
{
    if (FState == dsMoving) {
        if (FSelected) {
            // Never above or left of the visible origin.
            const QPoint scroll = ScrollPos();
            const QPoint place = FSelected->pos() - scroll;
            const int left = std::max(0, Pos.x() + place.x() - FDragStartPos.x());
            const int top = std::max(0, Pos.y() + place.y() - FDragStartPos.y());
            FSelected->move(QPoint(left, top) + scroll);
        }
        FDragStartPos = Pos;
        if (!FConnects.isEmpty())
            FBackGround->update();
        return;
    }
    const bool onJoin = std::any_of(FConnects.cbegin(), FConnects.cend(),
                                    [&Pos](const TzkSQLBuildConnect *c) { return c->HitTest(Pos); });
    if (onJoin)
        FBackGround->setCursor(Qt::PointingHandCursor);
    else
        FBackGround->unsetCursor();
}

void TzkSQLDesigner::MouseUp(const QPoint &)
{
    FState = dsNormal;
}

void TzkSQLDesigner::DblClick(const QPoint &Pos)
{
    if (!OnConnectDblClick)
        return;
    for (TzkSQLBuildConnect *c : std::as_const(FConnects))
        if (c->HitTest(Pos)) {
            OnConnectDblClick(this, c);
            return;
        }
}

bool TzkSQLDesigner::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != FBackGround)
        return QScrollArea::eventFilter(watched, event);
    const auto client = [this](QEvent *e) {
        return FBackGround->mapTo(viewport(), static_cast<QMouseEvent *>(e)->position().toPoint());
    };
    switch (event->type()) {
    case QEvent::MouseButtonPress: MouseDown(static_cast<QMouseEvent *>(event)->button(), client(event)); return true;
    case QEvent::MouseMove: MouseMove(client(event)); return true;
    case QEvent::MouseButtonRelease: MouseUp(client(event)); return true;
    case QEvent::MouseButtonDblClick: DblClick(client(event)); return true;
    case QEvent::DragEnter:
    case QEvent::DragMove:
        if (OnDragOver)
            OnDragOver(this, static_cast<QDragMoveEvent *>(event));
        else
            event->ignore();
        return true;
    case QEvent::Drop:
        if (OnDragDrop)
            OnDragDrop(this, static_cast<QDropEvent *>(event));
        else
            event->ignore();
        return true;
    default: return QScrollArea::eventFilter(watched, event);
    }
}

void TzkSQLDesigner::PaintBackGround()
{
    QPainter *canvas = FBackGround->Canvas();
    if (!canvas)
        return;
    const QColor face = btnFace(this);
    canvas->fillRect(FBackGround->ClipRect(), face);
    canvas->setFont(FBackGround->font());
    canvas->setPen(Qt::black);
    const QFontMetrics metrics(canvas->font());
    for (TzkSQLBuildConnect *c : std::as_const(FConnects)) {
        c->CalcLines();
        const TzkConnectLines &p = c->Lines();
        canvas->drawPolyline(p.data(), int(p.size()));
        const bool mirrored = c->ToTable()->x() < c->FromTable()->x();
        const QString label = ConnectLabel(c->ConnectType(), c->JoinType(), mirrored);
        const int w = metrics.horizontalAdvance(label);
        const int h = metrics.height();
        const QRect box(p[1].x() + (p[2].x() - p[1].x()) / 2 - w / 2, p[1].y() + (p[2].y() - p[1].y()) / 2 - h / 2, w,
                        h);
        canvas->fillRect(box, face);
        canvas->drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, label);
    }
}

void TzkSQLDesigner::ColumnDragDrop(TzkSQLBuildTable *Source, const QString &SourceColumn, TzkSQLBuildTable *Target,
                                    const QString &TargetColumn)
{
    if (!Source || !Target || Source == Target)
        return;
    if (!SourceColumn.isEmpty() && !TargetColumn.isEmpty() && SourceColumn != kStar && TargetColumn != kStar) {
        new TzkSQLBuildConnect(this, Source, Target, SourceColumn, TargetColumn);
        FBackGround->update();
    }
    DesignToSQL();
}

void TzkSQLDesigner::UpdateTablesEnabled()
{
    if (m_destroying || !FSQLText || FSQLDesign)
        return;
    const bool inStep = EditorText() == FSaveSQL;
    const QWidget *focus = QApplication::focusWidget();
    for (qsizetype i = FTables.size() - 1; i >= 0; --i) {
        TzkSQLBuildTable *box = FTables[i];
        if (focus && (focus == box || focus == box->FAlias || focus == box->FItemList))
            continue;
        box->setEnabled(inStep);
    }
}

void TzkSQLDesigner::focusChanged(QWidget *Old, QWidget *Now)
{
    if (m_destroying)
        return;
    const bool wasInside = Old && (Old == this || isAncestorOf(Old));
    const bool isInside = Now && (Now == this || isAncestorOf(Now));
    if (isInside && !wasInside)
        DoEnter();
    UpdateTablesEnabled();
}

void TzkSQLDesigner::DoEnter()
{
    SQLToDesign();
}

void TzkSQLDesigner::ItemListDblClick(TzkSQLBuildTable *Box)
{
    // Stub: the selected columns become grid rows once the column grid is
    // wired to the designer.
    Q_UNUSED(Box)
}

// --- Statement text ------------------------------------------------------------------
// Writing the statement lives beside the editor (zksqlbld_memo.cpp); the
// text itself is a function of the design (zksqlbld_text.h).

namespace {

// Two parts are schema and name, three database, schema and name; any other
// count names a table of the default schema (its first part).
void NameFromParts(const QStringList &Parts, const QString &ConnDb, const std::function<QString()> &DefSchema,
                   QString &Database, QString &Schema, QString &Name)
{
    if (Parts.size() == 3) {
        Database = Parts[0];
        Schema = Parts[1];
        Name = Parts[2];
        return;
    }
    Database = ConnDb;
    Schema = Parts.size() == 2 ? Parts[0] : DefSchema();
    Name = Parts.size() == 2 ? Parts[1] : Parts.value(0);
}

} // namespace

TzkSQLBuildTable *TzkSQLDesigner::AddTable(const QString &ATableName)
{
    const bool aliased = FSQLType == sqltSelect || FSQLType == sqltCreateView;
    return AddTable(ATableName, aliased ? GetNewAlias() : QString());
}

TzkSQLBuildTable *TzkSQLDesigner::AddTable(const QString &ATableName, const QString &AAlias)
{
    auto *box = new TzkSQLBuildTable(this);
    box->SetAlias(AAlias);
    // A free place: step right, and at the right edge start a new row.
    QRect r = box->geometry();
    for (;;) {
        const auto hit = std::find_if(FTables.cbegin(), FTables.cend(), [&](const TzkSQLBuildTable *other) {
            return other != box && other->geometry().intersects(r);
        });
        if (hit == FTables.cend())
            break;
        r.translate(150, 0);
        if (r.left() > width())
            r.moveTo(16, r.top() + 176);
    }
    box->setGeometry(r);
    // Nothing to ask without a session: the box shows the name alone.
    if (!FConnection || !Connection()->Connected()) {
        box->SetTableName(TrimBlanks(ATableName));
        return box;
    }

    const QString name = TrimBlanks(ATableName);
    const bool selectLike = FSQLType == sqltSelect || FSQLType == sqltCreateView;
    if (name.startsWith(QLatin1Char('(')) && name.endsWith(QLatin1Char(')'))) {
        box->SetTableName(name);
        if (selectLike)
            box->ItemList()->AddColumn(QStringLiteral("*"));
        // Unnamed or duplicate inner columns make the server refuse it: the
        // box then simply has no columns.
        try {
            TFDQuery query;
            query.SetConnection(Connection());
            query.Open(DerivedColumnsSQL(name));
            for (int i = 0; i < query.FieldCount(); ++i)
                box->ItemList()->AddColumn(query.Fields(i)->DisplayName());
        } catch (...) {
        }
        return box;
    }

    const QString connDb = Connection()->Params().Value(QStringLiteral("Database"));
    QString database, schema, table;
    NameFromParts(
        SplitTableName(name), connDb, [this] { return GetDefSchema(); }, database, schema, table);
    if (database.isEmpty())
        database = connDb;
    if (schema.isEmpty())
        schema = GetDefSchema();
    box->SetTableName(table);
    box->SetTableSchema(schema);
    box->SetTableDatabase(database);
    if (selectLike)
        box->ItemList()->AddColumn(QStringLiteral("*"));
    AddCatalogColumns(box, database, schema, table);
    return box;
}

void TzkSQLDesigner::AddCatalogColumns(TzkSQLBuildTable *Box, QString Database, QString Schema, QString Name)
{
    TFDQuery query;
    query.SetConnection(Connection());
    if (GetDBVer() >= 9) {
        query.SetSQL(SynonymTargetSQL(Database));
        query.ParamByName(QStringLiteral("OWNER")).SetAsWideString(Schema);
        query.ParamByName(QStringLiteral("NAME")).SetAsWideString(Name);
        query.Open();
        if (!query.Eof()) {
            // The box keeps the synonym's names; the columns are its target's.
            NameFromParts(
                SplitTableName(query.Fields(0)->AsString()), Connection()->Params().Value(QStringLiteral("Database")),
                [this] { return GetDefSchema(); }, Database, Schema, Name);
        }
        query.Close();
    }

    QStringList keys;
    query.SetSQL(KeyColumnsSQL(Database, FIsAzure));
    query.ParamByName(QStringLiteral("OWNER")).SetAsWideString(Schema);
    query.ParamByName(QStringLiteral("TABLE")).SetAsWideString(Name);
    query.Open();
    for (; !query.Eof(); query.Next())
        keys << query.Fields(0)->AsString();
    query.Close();

    query.SetSQL(TableColumnsSQL(Database));
    query.ParamByName(QStringLiteral("OWNER")).SetAsWideString(Schema);
    query.ParamByName(QStringLiteral("NAME")).SetAsWideString(Name);
    query.Open();
    for (; !query.Eof(); query.Next()) {
        const QString column = query.Fields(0)->AsString();
        Box->ItemList()->AddColumn(column, keys.contains(column, Qt::CaseInsensitive));
    }
    query.Close();
}

QString TzkSQLDesigner::GetNewAlias() const
{
    QStringList used;
    for (const TzkSQLBuildTable *box : FTables)
        used << box->Alias();
    return FirstFreeAlias(used);
}

TzkSQLBuildTable *TzkSQLDesigner::FindTableByColumn(const QString &Alias, const QString &Column) const
{
    for (qsizetype i = FTables.size() - 1; i >= 0; --i) {
        TzkSQLBuildTable *box = FTables[i];
        if (!Alias.isEmpty() && QString::compare(box->Alias(), Alias, Qt::CaseInsensitive) != 0)
            continue;
        if (box->ItemList()->IndexOf(Column) >= 0)
            return box;
    }
    return nullptr;
}

int TzkSQLDesigner::GetDBVer()
{
    if (!FConnection || !Connection()->Connected())
        return 99;
    try {
        TFDQuery query;
        query.SetConnection(Connection());
        query.Open(QStringLiteral("select SERVERPROPERTY('productversion')"));
        const QString text = query.Eof() ? QString() : query.Fields(0)->AsString();
        const qsizetype dot = text.indexOf(QLatin1Char('.'));
        bool ok = false;
        const int version = dot < 0 ? 0 : text.left(dot).toInt(&ok);
        return ok ? version : 99;
    } catch (...) {
        return 99;
    }
}

QString TzkSQLDesigner::GetDefSchema()
{
    QString result = QStringLiteral("dbo");
    if (!FConnection || !Connection()->Connected())
        return result;
    try {
        if (GetDBVer() < 9)
            return Connection()->Params().Value(QStringLiteral("User_Name"));
        TFDQuery query;
        query.SetConnection(Connection());
        query.Open(QStringLiteral("select default_schema_name from sys.database_principals where name = user_name()"));
        if (!query.Eof())
            result = query.Fields(0)->AsString();
    } catch (...) {
    }
    return result;
}
