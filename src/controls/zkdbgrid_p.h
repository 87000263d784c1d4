#pragma once

// The Qt pieces of the data grid: a model over the grid's window of
// records, a delegate and two headers that hand their painting and mouse
// presses to the grid.

#include "controls/zkdbgrid.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QStyledItemDelegate>

// Rows are the records on screen (at least one, so an empty or closed grid
// shows an empty row), columns the grid's columns (at least one). Cells are
// read from the result's column store at the time they are asked for.
class TzkDBGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit TzkDBGridModel(TzkDBGridV *grid);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // New column set: a reset. Same columns: only the rows and the cells.
    void SetShape(int rows, const std::vector<TColumn *> &columns);
    void SetRows(int rows);
    void CellsChanged();

private:
    TzkDBGridV *m_grid;
    int m_rows = 1;
    std::vector<TColumn *> m_columns;
};

class TzkDBGridDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit TzkDBGridDelegate(TzkDBGridV *grid);
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    TzkDBGridV *m_grid;
};

// The title row. It resizes and moves columns with dgColumnResize; a press
// that neither resized nor moved is a title click.
class TzkDBGridTitle : public QHeaderView
{
    Q_OBJECT
public:
    explicit TzkDBGridTitle(TzkDBGridV *grid);
    QSize sizeHint() const override;

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    TzkDBGridV *m_grid;
    int m_pressed = -1;
    bool m_dragged = false;
    bool m_passed = false; // the press went to the header's own handling
};

// The indicator column.
class TzkDBGridIndicator : public QHeaderView
{
    Q_OBJECT
public:
    explicit TzkDBGridIndicator(TzkDBGridV *grid);
    QSize sizeHint() const override;

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    TzkDBGridV *m_grid;
};
