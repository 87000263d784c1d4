// What the editor paints, checked on grabbed images by sampling cells.

#include "editorwidget.h"

#include <QInputMethodEvent>

#include <functional>

namespace {

const QString crlf = QStringLiteral("\r\n");

QColor bgr(TColor c)
{
    return ColorToQColor(c);
}

// An editor of 600 x 300 (not focused: no caret) with plain margins.
struct Painted : EditorWindow
{
    Painted()
        : EditorWindow(600, 300, false)
    {
        editor->Margin()->SetLeft(4);
        editor->Margin()->SetTop(2);
    }

    // The cell of (Row, Col) in viewport pixels, FontHeight high.
    QRect cell(int Row, int Col) const
    {
        return QRect(editor->LeftMargin() + (Col - editor->TopCol()) * editor->ColWidth(),
                     editor->TopMargin() + (Row - editor->TopRow()) * editor->RowHeight(), editor->ColWidth(),
                     editor->FontHeight());
    }
    QRect cells(int Row, int Col1, int Col2) const { return cell(Row, Col1).united(cell(Row, Col2)); }
    // The background of a cell: its top-left pixel, where no glyph reaches.
    QColor background(const QImage &Image, int Row, int Col) const
    {
        return Image.pixelColor(cell(Row, Col).topLeft());
    }
};

int countPixels(const QImage &Image, const QRect &Rect, const std::function<bool(const QColor &)> &Match)
{
    int n = 0;
    const QRect r = Rect & Image.rect();
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += Match(Image.pixelColor(x, y)) ? 1 : 0;
    return n;
}

std::function<bool(const QColor &)> exactly(const QColor &c)
{
    return [c](const QColor &p) { return p.rgb() == c.rgb(); };
}

// Text pixels leaning to a colour (antialiased glyphs are never pure).
std::function<bool(const QColor &)> reddish()
{
    return [](const QColor &p) { return p.red() > 150 && p.green() < 90 && p.blue() < 90; };
}

std::function<bool(const QColor &)> dark()
{
    return [](const QColor &p) { return p.lightness() < 100; };
}

} // namespace

TEST(EditorPaint, RowMarksColourTheRowAndDropTokenColours)
{
    Painted w;
    configureForSql(*w->View()->EditorFountain(), {QStringLiteral("select")});
    w->View()->Colors()->Str()->SetColor(clRed);
    w.setText(QStringLiteral("select 'xxxx' from t") + crlf + QStringLiteral("select 'xxxx' from t") + crlf
              + QStringLiteral("select 'xxxx' from t") + crlf);
    w->SetListRowMarks(0, RowMarkBit(rm1));
    w->SetListRowMarks(2, RowMarkBit(rm1) | RowMarkBit(rm2));
    const QImage image = w.grab();
    EXPECT_EQ(w.background(image, 0, 0), bgr(clYellow));
    EXPECT_EQ(w.background(image, 1, 0), bgr(clWhite));
    EXPECT_EQ(w.background(image, 2, 0), bgr(0x00C0C0));
    const QRect quote0 = w.cells(0, 8, 11);
    const QRect quote1 = w.cells(1, 8, 11);
    EXPECT_EQ(countPixels(image, quote0, reddish()), 0) << "a marked row shows no token colours";
    EXPECT_GT(countPixels(image, quote0, dark()), 0) << "but its text, in the font colour";
    EXPECT_GT(countPixels(image, quote1, reddish()), 0) << "an unmarked row shows the string colour";
    w->SetListRowMarks(1, RowMarkBit(rm2));
    EXPECT_EQ(w.background(w.grab(), 1, 0), bgr(clRed));
}

TEST(EditorPaint, HitTextIsHighlightedWhereverItOccurs)
{
    Painted w;
    w->View()->Colors()->Hit()->SetBkColor(clYellow);
    w->View()->Colors()->Hit()->SetColor(clBlack);
    w.setText(QStringLiteral("xABCyabc") + crlf);
    w->SetHitText(QStringLiteral("abc"));
    const QImage image = w.grab();
    for (int col = 0; col < 8; ++col) {
        SCOPED_TRACE(col);
        const bool hit = (col >= 1 && col <= 3) || col >= 5;
        EXPECT_EQ(w.background(image, 0, col), bgr(hit ? clYellow : clWhite));
    }
}

TEST(EditorPaint, ComposedTextPushesTheRestOfTheRowAside)
{
    Painted w;
    w.setText(QStringLiteral("abcdefgh") + crlf + QStringLiteral("abcdefgh") + crlf, 0, 2);
    const QImage plain = w.grab();
    QInputMethodEvent composing(QStringLiteral("にほ"), {});
    QApplication::sendEvent(w.editor.get(), &composing);
    const QImage image = w.grab();
    EXPECT_EQ(image.copy(w.cells(0, 0, 1)), plain.copy(w.cells(0, 0, 1))) << "the text before the caret stays";
    // (The composition's own cursor stands on the first cell after it.)
    EXPECT_EQ(image.copy(w.cells(0, 7, 11)), plain.copy(w.cells(0, 3, 7)))
        << "the rest moves by the two wide characters";
    EXPECT_GT(countPixels(image, w.cells(0, 2, 5), dark()), 0) << "the composed text fills the gap";
    EXPECT_EQ(image.copy(w.cells(1, 0, 11)), plain.copy(w.cells(1, 0, 11))) << "other rows stay";
    QInputMethodEvent ended;
    QApplication::sendEvent(w.editor.get(), &ended);
    EXPECT_EQ(w.grab(), plain);
}

TEST(EditorPaint, EofMarkAfterTheText)
{
    const QColor teal = bgr(clTeal);
    {
        Painted w;
        w->Marks()->EofMark()->SetVisible(true);
        w->Marks()->EofMark()->SetColor(clTeal);
        w.setText(QStringLiteral("ab"));
        const QImage image = w.grab();
        EXPECT_GT(countPixels(image, w.cells(0, 2, 6), exactly(teal)), 0);
        EXPECT_EQ(countPixels(image, w.cells(0, 0, 1), exactly(teal)), 0);
        EXPECT_EQ(countPixels(image, w.cells(1, 0, 6), exactly(teal)), 0);
    }
    {
        Painted w;
        w->Marks()->EofMark()->SetVisible(true);
        w->Marks()->EofMark()->SetColor(clTeal);
        w.setText(QStringLiteral("ab") + crlf);
        const QImage image = w.grab();
        EXPECT_EQ(countPixels(image, w.cells(0, 0, 8), exactly(teal)), 0);
        EXPECT_GT(countPixels(image, w.cells(1, 0, 5), exactly(teal)), 0) << "on the empty row after the break";
    }
}

TEST(EditorPaint, TabArrowOnlyForTabsOfMoreThanOneCell)
{
    Painted w;
    w->Caret()->SetTabSpaceCount(8);
    w->Marks()->TabMark()->SetVisible(true);
    w->Marks()->TabMark()->SetColor(clRed);
    w.setText(QStringLiteral("1234567\tx") + crlf + QStringLiteral("\tx") + crlf);
    const QImage image = w.grab();
    const QColor red = bgr(clRed);
    EXPECT_EQ(countPixels(image, w.cell(0, 7), exactly(red)), 0) << "a tab of one cell";
    EXPECT_GT(countPixels(image, w.cell(1, 0), exactly(red)), 0) << "a tab of eight cells";
}

TEST(EditorPaint, LineNumbersOfAWrappedLine)
{
    Painted w;
    w->Leftbar()->SetVisible(true);
    w->Leftbar()->SetShowNumberMode(nmLine);
    w->Leftbar()->SetZeroBase(false);
    w->Leftbar()->SetBkColor(clSilver);
    w->Leftbar()->SetColor(clBlack);
    w->Leftbar()->SetEdge(false);
    w->WrapOption()->SetWrapByte(20);
    w->SetWordWrap(true);
    w.setText(QString(45, QLatin1Char('a')) + crlf);
    ASSERT_EQ(w->ListCount(), 3);
    const QImage image = w.grab();
    auto numberArea = [&](int row) {
        const QRect c = w.cell(row, 0);
        const int barLeft = w->LeftMargin() - w->Margin()->Left();
        return QRect(4, c.top(), barLeft - 8, c.height());
    };
    EXPECT_GT(countPixels(image, numberArea(0), dark()), 0) << "the line's number";
    EXPECT_EQ(countPixels(image, numberArea(1), dark()), 0) << "no number on a continuation row";
    EXPECT_EQ(countPixels(image, numberArea(2), dark()), 0);
    EXPECT_GT(countPixels(image, numberArea(3), dark()), 0) << "the end-of-text row is numbered";
    EXPECT_EQ(countPixels(image, numberArea(4), dark()), 0);
}

TEST(EditorPaint, RulerStopsAtTheWrapWidth)
{
    Painted w;
    w->resize(900, 200);
    w->Ruler()->SetVisible(true);
    w->Ruler()->SetEdge(false);
    w->Ruler()->SetGaugeRange(10);
    w->Ruler()->SetColor(clBlack);
    w->Ruler()->SetBkColor(clSilver);
    w->Ruler()->SetMarkColor(clBlue);
    w->WrapOption()->SetWrapByte(40);
    w->SetWordWrap(true);
    w.setText(QStringLiteral("x") + crlf);
    w->SetRowCol(0, 0);
    const QImage image = w.grab();
    const int fw = w->ColWidth();
    const int lm = w->LeftMargin();
    const QColor black = bgr(clBlack);
    auto ink = [&](int col1, int col2) {
        return countPixels(image, QRect(lm + col1 * fw, 0, (col2 - col1) * fw, 9), exactly(black));
    };
    EXPECT_GT(ink(34, 36), 0) << "ticks before the wrap width";
    EXPECT_GT(ink(40, 42), 0) << "the number 40";
    EXPECT_EQ(ink(43, 80), 0) << "nothing right of it";
    // Long ticks at multiples of ten, medium at five, short between.
    EXPECT_EQ(image.pixelColor(lm + 20 * fw, 1), black);
    EXPECT_NE(image.pixelColor(lm + 25 * fw, 1), black);
    EXPECT_EQ(image.pixelColor(lm + 25 * fw, 4), black);
    EXPECT_NE(image.pixelColor(lm + 23 * fw, 4), black);
    EXPECT_EQ(image.pixelColor(lm + 23 * fw, 7), black);
    // The caret's column is marked.
    EXPECT_EQ(image.pixelColor(lm + 1 + fw / 2, 5), bgr(clBlue));
}

TEST(EditorPaint, LineSelectionCoversMiddleRowsToTheEdge)
{
    Painted w;
    w.setText(QStringLiteral("abcdef") + crlf + QStringLiteral("gh") + crlf + QStringLiteral("ijklmn") + crlf, 0, 3);
    w->StartSelection();
    w->SetRowCol(2, 2);
    w->ExtendSelection();
    ASSERT_TRUE(w->Selected());
    const QImage image = w.grab();
    // Default selection colours: the text's inverse.
    const QColor select =
        bgr(w->View()->Colors()->Select()->BkColor() == clNone ? clBlack : w->View()->Colors()->Select()->BkColor());
    EXPECT_EQ(w.background(image, 0, 2), bgr(clWhite));
    EXPECT_EQ(w.background(image, 0, 3), select);
    EXPECT_EQ(w.background(image, 1, 0), select);
    EXPECT_EQ(image.pixelColor(w->viewport()->width() - 2, w.cell(1, 0).top()), select) << "to the right edge";
    EXPECT_EQ(w.background(image, 2, 1), select);
    EXPECT_EQ(w.background(image, 2, 2), bgr(clWhite));
}

TEST(EditorPaint, ARowLongerThanTheLimitEndsWithTheHideMark)
{
    Painted w;
    w->Marks()->HideMark()->SetVisible(true);
    w->Marks()->HideMark()->SetColor(clRed);
    w.setText(QString(TEditor::MaxLineCells + 20, QLatin1Char('x')) + crlf);
    w->SetTopCol(TEditor::MaxLineCells - 20);
    const QImage image = w.grab();
    const int col = TEditor::MaxLineCells;
    EXPECT_GT(countPixels(image, w.cell(0, col), exactly(bgr(clRed))), 0);
    EXPECT_EQ(countPixels(image, w.cells(0, col + 1, col + 10), dark()), 0) << "nothing drawn past the limit";
}

TEST(EditorPaint, TextScrolledSidewaysStaysOffTheBars)
{
    Painted w;
    w->Leftbar()->SetVisible(true);
    w->Leftbar()->SetBkColor(clSilver);
    w->Leftbar()->SetColor(clSilver);
    w->Leftbar()->SetEdge(false);
    w.setText(QString(300, QLatin1Char('W')) + crlf);
    w->SetTopCol(40);
    ASSERT_EQ(w->TopCol(), 40);
    const QImage image = w.grab();
    const QRect bar(0, w->TopMargin(), w->LeftMargin() - w->Margin()->Left() - 2, w->RowHeight());
    EXPECT_EQ(countPixels(image, bar, dark()), 0);
    EXPECT_GT(countPixels(image, w.cells(0, 40, 45), dark()), 0);
}

TEST(EditorPaint, BlankMarksStandWhereTheCellMapPutsTheBlanks)
{
    // "©" is one cell wide (it is no half-width character by the older
    // rule, which would push the mark one cell right).
    Painted w;
    w->Marks()->SpaceMark()->SetVisible(true);
    w->Marks()->SpaceMark()->SetColor(clRed);
    w.setText(QStringLiteral("©\u3000x") + crlf);
    ASSERT_EQ(w->RowCells(0), 4);
    const QImage image = w.grab();
    EXPECT_GT(countPixels(image, w.cells(0, 1, 2), exactly(bgr(clRed))), 0);
    EXPECT_EQ(countPixels(image, w.cell(0, 3), exactly(bgr(clRed))), 0);
}
