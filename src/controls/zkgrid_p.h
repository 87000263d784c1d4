#pragma once

// The Qt pieces of the string grid: a model over the non-fixed cells, a
// delegate and two headers that hand their painting and presses to the grid,
// which holds the cells.

#include "controls/zkgrid.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QStyledItemDelegate>

// Model row r is grid row r + FixedRows, model column c grid column
// c + FixedCols (TzkStringGrid::modelIndex converts).
class TzkStringGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit TzkStringGridModel(TzkStringGrid *grid);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    // Follows the grid's counts: rows and columns come and go at the end.
    void Reshape();
    void Reset();
    void CellsChanged(int firstRow, int firstCol, int lastRow, int lastCol);

private:
    TzkStringGrid *m_grid;
    int m_rows = 0;
    int m_cols = 0;
};

class TzkStringGridDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit TzkStringGridDelegate(TzkStringGrid *grid);
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    TzkStringGrid *m_grid;
};

// The fixed rows (horizontal) or fixed columns (vertical), one section per
// non-fixed column or row. A press that does not size a section goes to the
// grid; with goColMoving / goRowMoving a drag to another section moves the
// column or row.
class TzkStringGridHeader : public QHeaderView
{
    Q_OBJECT
public:
    TzkStringGridHeader(Qt::Orientation orientation, TzkStringGrid *grid);
    QSize sizeHint() const override;

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    bool onHandle(const QPoint &pos) const;
    TzkStringGrid *m_grid;
    bool m_passed = false; // the press went to the header's own sizing
    int m_pressed = -1;
};
