#pragma once

#include "editorcontrol/edcontrol.h"
#include "editorcontrol/fakeclient.h"
#include "editorcontrol/sqlscheme.h"

#include <QApplication>
#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

// An editor in a window of its own, shown and focused (the caret and the
// scrolling that follows it need the focus), with plain settings the tests
// change as they need.
struct EditorWindow
{
    explicit EditorWindow(int Width = 640, int Height = 400, bool Focus = true)
    {
        editor = std::make_unique<TEditor>();
        editor->resize(Width, Height);
        if (Focus) {
            editor->show();
            QApplication::setActiveWindow(editor.get());
            editor->setFocus();
            (void)QTest::qWaitForWindowActive(editor.get());
        }
    }

    TEditor *operator->() const { return editor.get(); }
    TEditor &operator*() const { return *editor; }

    // Sets the text and puts the caret at (Row, Col).
    void setText(const QString &Text, int Row = 0, int Col = 0)
    {
        editor->Lines()->SetTextStr(Text);
        editor->SetRowCol(Row, Col);
    }
    QString text() const { return editor->Lines()->GetTextStr(); }

    // Pixels of the viewport as the editor paints them now.
    QImage grab() const { return editor->viewport()->grab().toImage(); }

    std::unique_ptr<TEditor> editor;
};

// The rows, each followed by CR LF.
inline QString TextOfLines(std::initializer_list<const char *> Rows)
{
    QString text;
    for (const char *row : Rows)
        text += QString::fromUtf8(row) + QStringLiteral("\r\n");
    return text;
}

// Selects from cell (R0, C0) to cell (R1, C1) as a drag would.
inline void SelectCells(TEditor &e, int R0, int C0, int R1, int C1)
{
    e.SetRowCol(R0, C0);
    e.StartSelection();
    e.SetRowCol(R1, C1);
    e.ExtendSelection();
}

// A client point inside the visible cell (Row, Col).
inline QPoint CellPoint(const TEditor &e, int Row, int Col)
{
    return QPoint(e.LeftMargin() + (Col - e.TopCol()) * e.ColWidth() + 1,
                  e.TopMargin() + (Row - e.TopRow()) * e.RowHeight() + 2);
}

inline std::ostream &operator<<(std::ostream &os, const QColor &c)
{
    return os << c.name().toStdString();
}
