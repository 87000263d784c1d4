#pragma once

#include "controls/zkstdctl.h"
#include "core/zkoption.h" // TzkSQLType

#include <QFrame>
#include <QPointer>
#include <QScrollArea>
#include <QStringList>

#include <array>
#include <functional>

class QLabel;
class QLineEdit;
class QPainter;
class TFDConnection;
class TzkMemo;
class TzkStringGrid;
class TzkSQLBuildConnect;
class TzkSQLBuildTable;
class TzkSQLDesigner;

// The query designer: table boxes with their column lists on a scrolling
// surface, and join lines drawn between columns of two boxes.

// Comparison of a join, from its from-column to its to-column.
enum TzkSQLBuildConnectType : quint8 { ctEQ, ctGT, ctGE, ctLT, ctLE, ctNE };
// Inner join; outer join keeping the from-table's rows; outer join keeping
// the to-table's rows.
enum TzkSQLBuildJoinType : quint8 { jtInner, jtLeftOuter, jtRightOuter };
// Mouse state of the surface; only dsNormal and dsMoving are ever entered.
enum TzkDesignState {
    dsNormal,
    dsSizing,
    dsMoving,
    dsMultiSelect,
    dsSelecting,
    dsShapeCreating,
    dsShapeCreatingL,
    dsRelationing,
    dsRelationSizingC,
    dsRelationSizingL,
    dsScroll,
    dsCopySelecting
};

using TConnectEvent = std::function<void(TzkSQLDesigner *Sender, TzkSQLBuildConnect *AConnect)>;
// The polyline of a join: a 16-pixel stub leaving each box and the segment
// between the stubs, in the surface's content coordinates.
using TzkConnectLines = std::array<QPoint, 4>;

// --- Geometry of the join lines (no widgets needed) -------------------------

// The larger of |DX| and |DY| plus half the smaller: never less than the
// vector's length.
int ApproxDistance(int DX, int DY);
// The vertical middle of a list row, the row's top and bottom each clamped
// to the list's client area first: a row scrolled out of view gives the
// list's top or bottom edge. Coordinates of the list's client area.
int ClampedRowMiddle(int RowTop, int RowHeight, int ClientHeight);
// The polyline from the from-box (its row at FromY) to the to-box (ToY): it
// leaves the from-box's right edge and enters the to-box's left edge while
// the from-box is not right of the to-box, else the other edges.
TzkConnectLines ConnectLines(const QRect &FromBox, int FromY, const QRect &ToBox, int ToY);
// True when P lies within about a pixel of the straight line through one of
// the three segments (not bounded by the segment's ends); a segment of zero
// length is never hit.
bool HitConnectLines(const TzkConnectLines &Lines, const QPoint &P);
// The operator text of a join as drawn over its middle segment, mirrored
// when the line runs right to left, with "(+)" on the side of the table
// whose rows are optional.
QString ConnectLabel(TzkSQLBuildConnectType ConnectType, TzkSQLBuildJoinType JoinType, bool Mirrored);

// --- Controls ---------------------------------------------------------------

// The paint surface behind the boxes: the scrolled content widget of the
// designer. OnPaint draws on Canvas() for the exposed rectangle ClipRect().
class TzkGraphicControl : public QWidget
{
    Q_OBJECT
public:
    explicit TzkGraphicControl(QWidget *parent = nullptr);

    // Valid while OnPaint runs.
    QPainter *Canvas() const { return m_canvas; }
    QRect ClipRect() const { return m_clip; }
    std::function<void()> OnPaint;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPainter *m_canvas = nullptr;
    QRect m_clip;
};

// The column list of a table box. Rows are drawn by the box: key columns
// (item data Qt::UserRole set) in bold.
class TListBoxEx : public TzkListBox
{
    Q_OBJECT
public:
    TListBoxEx(TzkSQLDesigner *Owner, TzkSQLBuildTable *Box);

    TzkSQLBuildTable *Box() const { return m_box; }
    // The fixed height of a row.
    int ItemHeight() const;
    // Adds a column entry; IsKey marks a primary-key column.
    void AddColumn(const QString &Name, bool IsKey = false);
    bool IsKeyColumn(int Row) const;
    // The row of a column name (case ignored), -1 when absent.
    int IndexOf(const QString &Name) const;

protected:
    void scrollContentsBy(int dx, int dy) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // The column under a drag's pointer when a join may be made there.
    bool acceptsColumnDrop(QDropEvent *event, QString *Target) const;

    TzkSQLDesigner *m_owner;
    TzkSQLBuildTable *m_box;
};

// One table box: the table's name in its header, the alias edit, the
// column list. Freeing a box frees its joins (see the destructor).
class TzkSQLBuildTable : public QFrame
{
    Q_OBJECT
public:
    // Width of the sizing border around the box's contents.
    static constexpr int BorderWidth = 4;

    explicit TzkSQLBuildTable(TzkSQLDesigner *AOwner);
    ~TzkSQLBuildTable() override;

    TzkSQLDesigner *Owner() const { return FOwner; }
    QString TableDatabase() const { return FTableDatabase; }
    void SetTableDatabase(const QString &Value);
    QString TableSchema() const { return FTableSchema; }
    void SetTableSchema(const QString &Value);
    QString TableName() const { return FTableName; }
    void SetTableName(const QString &Value);
    // The alias as typed, or TableName when the edit is empty.
    QString Alias() const;
    void SetAlias(const QString &Value);
    TListBoxEx *ItemList() const { return FItemList; }
    QLineEdit *AliasEdit() const { return FAlias; }
    QLabel *HeaderPanel() const { return FHeaderPanel; }

    // Name prefixes of generated text; see the designer's connection.
    QString GetDatabase() const;
    QString GetSchema() const;
    QString GetRefName() const;

    // A mouse press on the box itself (not on the edit or the list), in
    // the box's coordinates: starts moving the box.
    void MouseDown(const QPoint &Pos);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    friend class TzkSQLDesigner;

    void updateCaption();
    // The header: the font's height and 4 pixels.
    int headerHeight() const;
    void layoutChildren();
    // The border edges under a point of the box (Qt::Edges), none inside.
    Qt::Edges edgesAt(const QPoint &Pos) const;
    void aliasEnter();
    void aliasChange();

    TzkSQLDesigner *FOwner;
    QLabel *FHeaderPanel;
    QLineEdit *FAlias;
    QString FPrevAliasName;
    TListBoxEx *FItemList;
    QString FTableDatabase;
    QString FTableSchema;
    QString FTableName;
    // Resizing by the border: the edges held and the last global point.
    Qt::Edges m_sizeEdges;
    QPoint m_sizeLast;
};

// One join line between a column of the from-box and one of the to-box.
// It enters the designer's join list on creation and leaves it when freed.
class TzkSQLBuildConnect
{
public:
    TzkSQLBuildConnect(TzkSQLDesigner *AOwner, TzkSQLBuildTable *Table1, TzkSQLBuildTable *Table2,
                       const QString &Column1, const QString &Column2);
    ~TzkSQLBuildConnect();
    TzkSQLBuildConnect(const TzkSQLBuildConnect &) = delete;
    TzkSQLBuildConnect &operator=(const TzkSQLBuildConnect &) = delete;

    TzkSQLBuildTable *FromTable() const { return FFromTable; }
    TzkSQLBuildTable *ToTable() const { return FToTable; }
    QString FromColumn() const { return FFromColumn; }
    void SetFromColumn(const QString &Value) { FFromColumn = Value; }
    QString ToColumn() const { return FToColumn; }
    void SetToColumn(const QString &Value) { FToColumn = Value; }
    TzkSQLBuildConnectType ConnectType() const { return FConnectType; }
    void SetConnectType(TzkSQLBuildConnectType Value) { FConnectType = Value; }
    TzkSQLBuildJoinType JoinType() const { return FJoinType; }
    void SetJoinType(TzkSQLBuildJoinType Value) { FJoinType = Value; }
    // The points of the last CalcLines.
    const TzkConnectLines &Lines() const { return FLines; }

    // Recomputes the polyline from the boxes' current places. A column not
    // in its box's list keeps the previous end height (0 for a new join).
    void CalcLines();
    // True when the point (designer client coordinates) lies on the line
    // of the last CalcLines.
    bool HitTest(const QPoint &ClientPos) const;
    // The same for the mouse cursor's position.
    bool HitTest() const;

private:
    TzkSQLDesigner *FOwner;
    TzkSQLBuildTable *FFromTable;
    TzkSQLBuildTable *FToTable;
    QString FFromColumn;
    QString FToColumn;
    TzkSQLBuildConnectType FConnectType = ctEQ;
    TzkSQLBuildJoinType FJoinType = jtInner;
    TzkConnectLines FLines{};
};

// The lists do not own their entries: the designer frees them.
using TzkSQLBuildTableList = QList<TzkSQLBuildTable *>;
using TzkSQLBuildConnectList = QList<TzkSQLBuildConnect *>;

// The designer: a scroll area whose content is the paint surface (1024 x
// 1024, or the viewport when larger). Boxes are children of the surface,
// so their geometry is in content coordinates; the designer's client
// coordinates are the viewport's.
class TzkSQLDesigner : public QScrollArea
{
    Q_OBJECT
public:
    explicit TzkSQLDesigner(QWidget *parent = nullptr);
    ~TzkSQLDesigner() override;

    // Not owned: each is forgotten when it is freed elsewhere.
    TFDConnection *Connection() const;
    void SetConnection(TFDConnection *Value);
    TzkStringGrid *Grid() const;
    void SetGrid(TzkStringGrid *Value);
    TzkMemo *SQLText() const;
    void SetSQLText(TzkMemo *Value);

    QString ViewName() const { return FViewName; }
    void SetViewName(const QString &Value) { FViewName = Value; }
    // True while the designer itself changes the design, the grid or the
    // text: every handler that would react to such a change does nothing.
    bool SQLDesign() const { return FSQLDesign; }
    void SetSQLDesign(bool Value) { FSQLDesign = Value; }
    bool IsAzure() const { return FIsAzure; }
    void SetIsAzure(bool Value) { FIsAzure = Value; }
    TzkSQLType SQLType() const { return FSQLType; }
    void SetSQLType(TzkSQLType Value);

    const TzkSQLBuildTableList &Tables() const { return FTables; }
    const TzkSQLBuildConnectList &Connects() const { return FConnects; }
    TzkSQLBuildTable *Selected() const { return FSelected; }
    void SetSelected(TzkSQLBuildTable *Value);
    TzkDesignState State() const { return FState; }
    TzkGraphicControl *BackGround() const { return FBackGround; }
    const QStringList &PickSortType() const { return FPickSortType; }
    const QStringList &PickGroupType() const { return FPickGroupType; }
    QString SaveSQL() const { return FSaveSQL; }

    TConnectEvent OnConnectDblClick;
    // The surface's drag events; the host decides what it accepts.
    std::function<void(TzkSQLDesigner *Sender, QDragMoveEvent *Event)> OnDragOver;
    std::function<void(TzkSQLDesigner *Sender, QDropEvent *Event)> OnDragDrop;

    // Frees every join, then every box.
    void Clear();
    // The horizontal and vertical scroll positions.
    QPoint ScrollPos() const;

    // Mouse handling of the surface, in client (viewport) coordinates.
    void MouseDown(Qt::MouseButton Button, const QPoint &Pos);
    void MouseMove(const QPoint &Pos);
    void MouseUp(const QPoint &Pos);
    void DblClick(const QPoint &Pos);

    // A column dragged from one box's list onto a column of another box:
    // makes a join (not with "*" on either side, not within one box) and
    // writes the statement.
    void ColumnDragDrop(TzkSQLBuildTable *Source, const QString &SourceColumn, TzkSQLBuildTable *Target,
                        const QString &TargetColumn);

    // Statement text; see the translation of design and SQL.
    TzkSQLBuildTable *AddTable(const QString &ATableName);
    TzkSQLBuildTable *AddTable(const QString &ATableName, const QString &AAlias);
    virtual void DesignToSQL();
    virtual void SQLToDesign();
    QString GetDefSchema();
    int GetDBVer();

    // The editor's whole text, as FSaveSQL keeps it.
    QString EditorText() const;
    // Each box that has no focus is enabled exactly when the editor's text
    // is the one the design was last brought in step with.
    void UpdateTablesEnabled();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    friend class TzkSQLBuildTable;
    friend class TzkSQLBuildConnect;
    friend class TListBoxEx;

    void PaintBackGround();
    void DoEnter();
    // The selected columns of a box's list become grid rows.
    void ItemListDblClick(TzkSQLBuildTable *Box);
    void updateSurfaceSize();
    QString GetNewAlias() const;
    TzkSQLBuildTable *FindTableByColumn(const QString &Alias, const QString &Column) const;
    // The box's columns from the catalogue (names already split).
    void AddCatalogColumns(TzkSQLBuildTable *Box, QString Database, QString Schema, QString Name);
    void focusChanged(QWidget *Old, QWidget *Now);

    TzkSQLType FSQLType = sqltSelect;
    TzkSQLBuildTableList FTables;
    TzkSQLBuildConnectList FConnects;
    // Held as QObject: the grid's and the editor's headers cannot meet in
    // one unit, so each typed accessor lives beside the header it needs.
    QPointer<QObject> FConnection;
    QPointer<QObject> FGrid;
    QPointer<QObject> FSQLText;
    QString FSaveSQL;
    bool FSQLDesign = false;
    bool FIsAzure = false;
    TzkGraphicControl *FBackGround;
    TzkDesignState FState = dsNormal;
    QPoint FDragStartPos;
    TzkSQLBuildTable *FSelected = nullptr;
    QStringList FPickColumns;
    QStringList FPickSortType;
    QStringList FPickGroupType;
    QString FViewName;
    bool m_destroying = false;
};
