#include "editorcontrol/EditorFountain.h"
#include "editorcontrol/MECSUtils.h"
#include "editorcontrol/edcontrol.h"
#include "editorcontrol/edcontrol_p.h"

#include <QGlyphRun>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

using namespace EdControl;

namespace {

constexpr QChar Esc(27);

// Ruler digit glyphs: 56 x 9 pixels, one bit per pixel, 1 = background,
// 0 = ink; digit d in the five columns from x = 5d.
constexpr unsigned char RulerDigitBits[9][8] = {
    {0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff}, {0xce, 0xf3, 0x9e, 0xc3, 0x30, 0xce, 0x7f, 0xff},
    {0xb4, 0xed, 0x6c, 0xde, 0xde, 0xb5, 0xbf, 0xff}, {0xb6, 0xfd, 0xec, 0xc6, 0xfd, 0xb5, 0xbf, 0xff},
    {0xb6, 0xfb, 0xda, 0xda, 0x3d, 0xce, 0x3f, 0xff}, {0xb6, 0xf7, 0xe8, 0x7a, 0xdb, 0xb7, 0xbf, 0xff},
    {0xb6, 0xef, 0x6e, 0xda, 0xdb, 0xb5, 0xbf, 0xff}, {0xce, 0xe1, 0x9e, 0xe7, 0x3b, 0xce, 0x7f, 0xff},
    {0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff},
};

// Cells of one UTF-16 unit of a text, a surrogate pair's units measured by
// the pair's code point, as the cell map counts them.
int unitCells(QStringView s, qsizetype k, bool ambiguousWide)
{
    const char16_t u = s[k].unicode();
    if (u < 0x7F)
        return 1;
    if (IsHighSurrogate(u) && k + 1 < s.size() && IsLowSurrogate(s[k + 1].unicode()))
        return CodePointCells(QChar::surrogateToUcs4(u, s[k + 1].unicode()), ambiguousWide);
    if (IsLowSurrogate(u) && k > 0 && IsHighSurrogate(s[k - 1].unicode()))
        return CodePointCells(QChar::surrogateToUcs4(s[k - 1].unicode(), u), ambiguousWide);
    return CodePointCells(u, ambiguousWide);
}

} // namespace

// What painting one screen row needs, computed once per row.
struct TEditor::RowPaint
{
    int Index = 0;
    QString EscText;  // tabs expanded to ESC characters
    QString Text;     // the same with blanks for the ESC characters
    QString ScanText; // what the scanner reads (a wrapped row's next row appended)
    QString Map;
    TRowAttributeData Data;
    TRowAttribute Attr = raCrlf;
    TRowMarks Marks = 0;
    int Length = 0;   // characters painted (at most MaxLineCells)
    int Cells = 0;    // their cells
    bool Cut = false; // the row has more than MaxLineCells cells
};

// ---- Images ----

TImageList::TImageList(QObject *Parent)
    : QObject(Parent)
{
}

int TImageList::Add(const QPixmap &Image)
{
    m_images.append(Image);
    return int(m_images.size()) - 1;
}

namespace {

QImage rulerDigitMask()
{
    QImage mask(56, 9, QImage::Format_Mono);
    for (int y = 0; y < 9; ++y)
        std::copy(std::begin(RulerDigitBits[y]), std::end(RulerDigitBits[y]), mask.scanLine(y));
    return mask;
}

// The mask's digits in Ink on Background.
QPixmap colouredDigits(const QImage &Mask, const QColor &Ink, const QColor &Background)
{
    QImage image = Mask;
    image.setColorCount(2);
    image.setColor(0, Ink.rgba());
    image.setColor(1, Background.rgba());
    return QPixmap::fromImage(image);
}

} // namespace

const TImageList &DefaultImageDigits()
{
    static TImageList *list = [] {
        auto *images = new TImageList;
        const QPixmap digits = colouredDigits(rulerDigitMask(), Qt::white, QColor(0, 0x80, 0x80));
        for (int d = 0; d < 10; ++d) {
            QPixmap image(8, 11);
            image.fill(Qt::transparent);
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0, 0x80, 0x80));
            p.drawRoundedRect(QRectF(0, 0, 8, 11), 2, 2);
            p.setRenderHint(QPainter::Antialiasing, false);
            p.drawPixmap(2, 1, digits, 5 * d + 1, 0, 4, 9);
            p.end();
            images->Add(image);
        }
        return images;
    }();
    return *list;
}

const TImageList &DefaultImageMarks()
{
    static TImageList *list = [] {
        auto *images = new TImageList;
        const QColor colours[6] = {QColor(0xD0, 0x30, 0x30), QColor(0x30, 0x90, 0x30), QColor(0x30, 0x50, 0xD0),
                                   QColor(0xD0, 0x90, 0x10), QColor(0x90, 0x30, 0xB0), QColor(0x50, 0x50, 0x50)};
        for (int m = 0; m < 6; ++m) {
            QPixmap image(11, 11);
            image.fill(Qt::transparent);
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(colours[m].darker(140), 1));
            p.setBrush(colours[m]);
            switch (m) {
            case 0: p.drawEllipse(QRectF(1, 1, 9, 9)); break;
            case 1: p.drawRect(QRectF(1.5, 1.5, 8, 8)); break;
            case 2: p.drawPolygon(QPolygonF({QPointF(5.5, 1), QPointF(10, 10), QPointF(1, 10)})); break;
            case 3:
                p.drawPolygon(
                    QPolygonF({QPointF(5.5, 0.5), QPointF(10.5, 5.5), QPointF(5.5, 10.5), QPointF(0.5, 5.5)}));
                break;
            case 4: p.drawPolygon(QPolygonF({QPointF(1, 1), QPointF(10, 5.5), QPointF(1, 10)})); break;
            default:
                p.drawRect(QRectF(4, 1, 3, 9));
                p.drawRect(QRectF(1, 4, 9, 3));
                break;
            }
            p.end();
            images->Add(image);
        }
        return images;
    }();
    return *list;
}

// ---- Sizes ----

void TEditor::UpdateImagebarWidth()
{
    FImagebarWidth = FImagebar->Visible() ? FImagebar->LeftMargin() + FImagebar->DigitWidth() + FImagebar->MarkWidth()
                                                + FImagebar->RightMargin()
                                          : 0;
}

bool TEditor::UpdateLeftbarColumn()
{
    const int old = FLeftbarColumn;
    if (!FLeftbar->Visible() || !FLeftbar->ShowNumber()) {
        FLeftbarColumn = FLeftbar->Column();
        return FLeftbarColumn != old;
    }
    const int count = FList->Count();
    int n = count - 1;
    if (FLeftbar->ShowNumberMode() == nmLine && count > 0)
        n = RowToLines(*FList, FList->WordWrap(), count - 1);
    if (RowAttrAt(*FList, count - 1) != raEof)
        ++n;
    if (!FLeftbar->ZeroBase())
        ++n;
    const int digits = int(QString::number(std::max(0, n)).size());
    FLeftbarColumn = std::min(8, std::max(FLeftbar->Column(), digits));
    return FLeftbarColumn != old;
}

void TEditor::UpdateLeftbarWidth()
{
    FLeftbarWidth =
        FLeftbar->Visible() ? FLeftbarColumn * FFontWidth + FLeftbar->LeftMargin() + FLeftbar->RightMargin() + 2 : 0;
}

void TEditor::UpdateRulerHeight()
{
    FRulerHeight = FRuler->Visible() ? (FRuler->Edge() ? 11 : 10) : 0;
}

void TEditor::InitRuler()
{
    UpdateRulerHeight();
    ColorRulerDigits();
    DrawRulerGauge();
}

void TEditor::InitRulerDigitMask()
{
    m_rulerDigitMask = rulerDigitMask();
}

void TEditor::ColorRulerDigits()
{
    const QColor background = colorOf(FRuler->BkColor(), true);
    m_rulerDigits = colouredDigits(m_rulerDigitMask, colorOf(FRuler->Color(), false), background);
    m_rulerMarkDigits = colouredDigits(m_rulerDigitMask, background, colorOf(FRuler->MarkColor(), false));
}

void TEditor::DrawRulerGauge()
{
    // The gauge is drawn straight onto the ruler at each paint.
    if (FRuler->Visible())
        viewport()->update(QRect(LeftMargin(), 0, viewport()->width(), FRulerHeight));
}

void TEditor::DrawRulerMark(int ACol)
{
    if (!FRuler->Visible() || ACol < FTopCol || ACol > FTopCol + FColCount)
        return;
    viewport()->update(QRect(LeftMargin() + (ACol - FTopCol) * FFontWidth, 0, FFontWidth + 1, FRulerHeight));
}

void TEditor::EraseRulerMark(int ACol)
{
    DrawRulerMark(ACol);
}

void TEditor::InitLeftbarEdge()
{
    if (FLeftbar->Visible())
        viewport()->update(QRect(0, 0, FImagebarWidth + FLeftbarWidth, viewport()->height()));
}

void TEditor::DrawOrigin()
{
    viewport()->update(QRect(0, 0, LeftMargin(), TopMargin()));
}

// ---- Invalidation ----

QRect TEditor::rowBand(int ARow) const
{
    return QRect(0, TopMargin() + (ARow - FTopRow) * RowHeight(), viewport()->width(), RowHeight());
}

void TEditor::InvalidateRow(int ARow)
{
    if (ARow < FTopRow || ARow > FTopRow + FRowCount)
        return;
    const int lm = LeftMargin();
    viewport()->update(QRect(lm, TopMargin() + (ARow - FTopRow) * RowHeight(), viewport()->width() - lm, FFontHeight));
}

void TEditor::InvalidateRows(int ARow1, int ARow2)
{
    int a = std::max(std::min(ARow1, ARow2), FTopRow);
    int b = std::min(std::max(ARow1, ARow2), FTopRow + FRowCount);
    if (a > b)
        return;
    const QRect first = rowBand(a);
    viewport()->update(QRect(0, first.top(), viewport()->width(), (b - a + 1) * RowHeight()));
}

void TEditor::InvalidateTextArea()
{
    const int tm = TopMargin();
    viewport()->update(QRect(0, tm, viewport()->width(), viewport()->height() - tm));
}

void TEditor::InvalidateLeftbar(int ARow1, int ARow2)
{
    if (!FLeftbar->Visible())
        return;
    const int a = std::max(std::min(ARow1, ARow2), FTopRow);
    const int b = std::min(std::max(ARow1, ARow2), FTopRow + FRowCount);
    if (a > b)
        return;
    viewport()->update(
        QRect(FImagebar->Visible() ? FImagebarWidth : 0, rowBand(a).top(), FLeftbarWidth, (b - a + 1) * RowHeight()));
}

void TEditor::LeftbarWidthChanged(int OldWidth, int NewWidth)
{
    const int left = FImagebar->Visible() ? FImagebarWidth : 0;
    const QRect area(left, 0, viewport()->width() - left, viewport()->height());
    viewport()->scroll(NewWidth - OldWidth, 0, area);
    viewport()->update(QRect(left, 0, std::max(OldWidth, NewWidth) + FMargin->Left(), viewport()->height()));
}

int TEditor::UnderlineY(int ARow) const
{
    const int tm = TopMargin();
    const int y = tm + (ARow - FTopRow) * RowHeight() + FFontHeight;
    if (y <= tm || y >= viewport()->height())
        return -1;
    return y;
}

QRect TEditor::underlineRect(int ARow) const
{
    const int y = UnderlineY(ARow);
    if (y < 0)
        return QRect();
    return QRect(LeftMargin(), y, viewport()->width() - LeftMargin(), 1);
}

void TEditor::BeginUnderlineUpdate()
{
    if (FUnderlineUpdateCount++ == 0 && FMarks->Underline()->Visible() && !SelectedData())
        viewport()->update(underlineRect(FRow));
}

void TEditor::EndUnderlineUpdate()
{
    if (FUnderlineUpdateCount == 0)
        return;
    if (--FUnderlineUpdateCount == 0 && FMarks->Underline()->Visible() && !SelectedData())
        viewport()->update(underlineRect(FRow));
}

int TEditor::FindHitText(const QString &HitText, const QString &S, int Start, bool MatchCase)
{
    if (HitText.isEmpty() || S.isEmpty() || Start < 1)
        return 0;
    const Qt::CaseSensitivity cs = MatchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    qsizetype from = Start - 1;
    for (;;) {
        const qsizetype p = S.indexOf(HitText, from, cs);
        if (p < 0)
            return 0;
        if (!(p > 0 && S[p].isLowSurrogate() && S[p - 1].isHighSurrogate()))
            return int(p) + 1;
        from = p + 1;
    }
}

// ---- Colours and pens ----

QColor TEditor::colorOf(TColor Value, bool Background) const
{
    if (Value == clNone)
        return ColorToQColor(Background ? FColor : FFont.Color());
    return ColorToQColor(Value);
}

QColor TEditor::selectionColor() const
{
    const TEditorColors *colors = FView->Colors();
    const TFountainColor *item = HitSelected() ? colors->Hit() : colors->Select();
    return colorOf(item->Color(), true);
}

void TEditor::markPen(TColor Value, bool Dotted)
{
    QPen pen(colorOf(Value, false));
    pen.setWidth(1);
    if (Dotted) {
        pen.setCapStyle(Qt::SquareCap);
        pen.setDashPattern({1, 2});
    }
    m_canvas->setPen(pen);
    m_canvas->setBrush(Qt::NoBrush);
}

const QRawFont &TEditor::rawFont(TFontStyles Style, bool Mbcs)
{
    const int m = Mbcs ? 1 : 0;
    const int s = ((Style & fsBold) ? 1 : 0) | ((Style & fsItalic) ? 2 : 0);
    if (!m_rawFontsReady[m][s]) {
        QFont font = Mbcs ? m_drawMbcsFont : m_drawFont;
        font.setBold(Style & fsBold);
        font.setItalic(Style & fsItalic);
        m_rawFonts[m][s] = QRawFont::fromFont(font);
        m_rawFontsReady[m][s] = true;
    }
    return m_rawFonts[m][s];
}

// ---- Text output ----

void TEditor::DrawTextRect(const QRect &Rect, int X, int Y, QStringView S, bool Opaque)
{
    QPainter &p = *m_canvas;
    const QColor background = p.brush().color();
    if (Opaque)
        p.fillRect(Rect, background);
    const int n = int(std::min<qsizetype>(S.size(), MaxLineCells));
    if (n == 0)
        return;
    const bool ambiguousWide = DefaultAmbiguousWide();
    const QColor ink = p.pen().color();
    const TFontStyles style = TFontStyles(p.font().bold() ? fsBold : 0) | TFontStyles(p.font().italic() ? fsItalic : 0)
                              | TFontStyles(p.font().underline() ? fsUnderline : 0);
    const qreal baseline = Y + FFontAscent;

    if (m_glyphs.size() < size_t(n) * 2) {
        m_glyphs.resize(size_t(n) * 2);
        m_positions.resize(size_t(n) * 2);
    }
    // One glyph run per font; characters the font lacks, pairs and
    // combining marks go through the painter's own font fallback.
    const bool useMbcs = FUseMBCSFont;
    int counts[2] = {0, 0};
    quint32 *glyphs[2] = {m_glyphs.data(), m_glyphs.data() + n};
    QPointF *positions[2] = {m_positions.data(), m_positions.data() + n};
    struct Fallback
    {
        int Index;
        int Length;
        int X;
        bool Mbcs;
    };
    QVarLengthArray<Fallback, 8> fallbacks;
    int cell = 0;
    int previousX = X;
    for (int k = 0; k < n; ++k) {
        const char16_t u = S[k].unicode();
        const int cells = unitCells(S, k, ambiguousWide);
        const int x = X + cell * FFontWidth;
        cell += cells;
        if (u < 0x20 || u == 0x7F)
            continue;
        const bool mbcs = useMbcs && u > 0xFF;
        if (QChar::isHighSurrogate(u) && k + 1 < n && QChar::isLowSurrogate(S[k + 1].unicode())) {
            fallbacks.append({k, 2, x, mbcs});
            continue;
        }
        if (QChar::isLowSurrogate(u))
            continue;
        if (u >= 0x300 && IsCombiningChar(u)) {
            // Drawn over the character before it.
            fallbacks.append({k, 1, previousX, mbcs});
            continue;
        }
        previousX = x;
        const int cellWidth = cells * FFontWidth;
        int offset = 0;
        if (u <= 0x7F)
            offset = (cellWidth - EdControlCharWidth(u)) / 2 + 1;
        else if (cells == 2)
            offset = (cellWidth - EdControlCharWidth(0x3042)) / 2 + 1;
        const QRawFont &raw = rawFont(style, mbcs);
        const QChar ch(u);
        quint32 glyph = 0;
        int numGlyphs = 1;
        raw.glyphIndexesForChars(&ch, 1, &glyph, &numGlyphs);
        if (glyph == 0) {
            fallbacks.append({k, 1, x, mbcs});
            continue;
        }
        const int f = mbcs ? 1 : 0;
        glyphs[f][counts[f]] = glyph;
        positions[f][counts[f]] = QPointF(x + offset, baseline);
        ++counts[f];
    }
    p.setPen(ink);
    for (int f = 0; f < 2; ++f) {
        if (counts[f] == 0)
            continue;
        QGlyphRun run;
        run.setRawFont(rawFont(style, f == 1));
        run.setRawData(glyphs[f], positions[f], counts[f]);
        p.drawGlyphRun(QPointF(0, 0), run);
    }
    if (!fallbacks.isEmpty()) {
        const QFont saved = p.font();
        for (const Fallback &fb : fallbacks) {
            QFont font = fb.Mbcs ? m_drawMbcsFont : m_drawFont;
            font.setBold(style & fsBold);
            font.setItalic(style & fsItalic);
            p.setFont(font);
            p.drawText(QPointF(fb.X + 1, baseline), S.mid(fb.Index, fb.Length).toString());
        }
        p.setFont(saved);
    }
    if (style & fsUnderline) {
        const int x1 = std::max(X, Rect.left());
        const int x2 = std::min(X + cell * FFontWidth, Rect.right() + 1);
        if (x2 > x1) {
            const int y = Y + FFontHeight - 1;
            p.fillRect(QRect(x1, y, x2 - x1, 1), background);
            for (int x = x1; x < x2; x += 2)
                p.fillRect(QRect(x, y, 1, 1), ink);
        }
    }
}

// ---- Paint ----

void TEditor::paintEvent(QPaintEvent *Event)
{
    QPainter painter(viewport());
    m_canvas = &painter;
    TFountain *fountain = ActiveFountain();
    m_parser = fountain ? fountain->CreateParser() : nullptr;
    try {
        for (const QRect &rect : Event->region())
            paintArea(painter, rect);
        painter.setClipping(false);
        if (FMarks->Underline()->Visible() && FUnderlineUpdateCount == 0 && UnderlineY(FRow) != -1 && !SelectedData()) {
            const QRect line = underlineRect(FRow);
            painter.fillRect(line, colorOf(FMarks->Underline()->Color(), false));
        }
        paintPreedit();
        drawCaret();
    } catch (...) {
        // Painting never raises: what could not be drawn stays as it was.
    }
    m_parser.reset();
    m_canvas = nullptr;
}

void TEditor::paintArea(QPainter &Painter, const QRect &Clip)
{
    const int lm = LeftMargin();
    const int tm = TopMargin();
    const int rh = std::max(1, RowHeight());
    const int width = viewport()->width();
    const int height = viewport()->height();
    Painter.setClipping(false);
    // The margins between the parts show the background (the rows paint
    // their own bands and the gaps between them).
    const QColor color = ColorToQColor(FColor);
    const int barsRight = lm - FMargin->Left();
    Painter.fillRect(Clip & QRect(barsRight, tm, lm - barsRight, height - tm), color);
    Painter.fillRect(Clip & QRect(lm, tm - FMargin->Top(), width - lm, FMargin->Top()), color);
    if (Clip.intersects(QRect(0, 0, lm, tm)))
        paintOrigin();
    if (FRuler->Visible() && Clip.intersects(QRect(lm, 0, width - lm, FRulerHeight)))
        PaintRuler();
    if (Clip.bottom() < tm)
        return;
    const int top = tm + (std::max(tm, Clip.top()) - tm) / rh * rh;
    const int bottom = tm + (Clip.bottom() + 1 - tm + rh - 1) / rh * rh;
    const int first = (top - tm) / rh + FTopRow;
    const int last = first + (bottom - top) / rh - 1;
    const int imageWidth = FImagebar->Visible() ? FImagebarWidth : 0;
    if (FLeftbar->Visible() && Clip.intersects(QRect(imageWidth, tm, FLeftbarWidth, height - tm)))
        PaintLeftbar(first, last);
    if (FImagebar->Visible() && Clip.intersects(QRect(0, tm, imageWidth, height - tm)))
        PaintImagebar(first, last);
    const QRect text = Clip & QRect(lm, tm, width - lm, height - tm);
    if (!text.isEmpty())
        paintRows(text);
}

void TEditor::paintRows(const QRect &Clip)
{
    QPainter &p = *m_canvas;
    const int lm = LeftMargin();
    const int tm = TopMargin();
    const int rh = std::max(1, RowHeight());
    const int left = std::max(lm, lm + FFontWidth * ((Clip.left() - lm) / FFontWidth));
    const int top = tm + (Clip.top() - tm) / rh * rh;
    const int bottom = tm + (Clip.bottom() + 1 - tm + rh - 1) / rh * rh;
    const int first = (top - tm) / rh + FTopRow;
    const int last = first + (bottom - top) / rh - 1;
    const int x0 = lm - FLeftScrollWidth;
    const QColor color = ColorToQColor(FColor);
    const bool withUnderline = SelectedData() || FClearingSelection;
    QRect r(left, top, Clip.right() + 1 - left, FFontHeight + (withUnderline ? FMargin->Underline() : 0));
    const int count = FList->Count();
    RowPaint row;
    // Row i, or the part of it inside Part; everything stays inside Part.
    auto paintRow = [&](int i, const QRect &Part) {
        if (i < count) {
            // Text scrolled left of the text area must not reach the bars.
            if (SelectedDraw()) {
                paintRowSplit(row, Part, x0);
            } else {
                p.setClipRect(Part);
                paintRowPart(row, Part, x0, false);
            }
            p.setClipRect(Part);
            drawBlankMarks(row, x0, Part.top());
            if (FMarks->TabMark()->Visible())
                drawTabMarks(x0, Part.top(), row.Map, false);
        } else {
            p.fillRect(Part, color);
            p.setClipRect(Part);
            if (FMarks->EofMark()->Visible() && i == count && (i == 0 || FList->RowAttr(count - 1) != raEof))
                DrawEofMark(x0, Part.top());
        }
        p.setClipping(false);
    };
    for (int i = first; i <= last; ++i) {
        if (i < count)
            prepareRow(row, i);
        const int shift = i == FRow ? preeditCells() * FFontWidth : 0;
        if (shift == 0) {
            paintRow(i, r);
        } else {
            // Text being composed stands at the caret and pushes the rest
            // of the row aside (paintPreedit draws it over the gap).
            const int caretX = CaretPoint().x();
            if (caretX > r.left())
                paintRow(i, QRect(QPoint(r.left(), r.top()), QPoint(std::min(r.right(), caretX - 1), r.bottom())));
            if (caretX + shift <= r.right()) {
                const QRect after(QPoint(std::max(r.left(), caretX + shift), r.top()), r.bottomRight());
                p.save();
                p.translate(shift, 0);
                paintRow(i, after.translated(-shift, 0));
                p.restore();
            }
        }
        // The underline and line margins below the row.
        if (rh > r.height())
            p.fillRect(QRect(r.left(), r.bottom() + 1, r.width(), rh - r.height()), color);
        r.translate(0, rh);
    }
}

void TEditor::prepareRow(RowPaint &Row, int Index)
{
    const TCellMapOptions options = CellMapOptions();
    const QString &raw = FList->RowText(Index);
    Row.Index = Index;
    Row.EscText = ExpandTab(raw, options);
    Row.Text = Row.EscText;
    if (raw.contains(QLatin1Char('\t')))
        Row.Text.replace(Esc, QLatin1Char(' '));
    CellMapInto(raw, options, Row.Map);
    if (FList->GetBrackets(Index) == -2)
        FList->UpdateBrackets(Index, false);
    Row.Data = FList->GetRowData(Index);
    Row.Attr = FList->RowAttr(Index);
    Row.Marks = FList->GetRowMarks(Index);
    Row.ScanText = Row.Text;
    if (options.WordWrap && Row.Attr == raWrapped && Index < FList->Count() - 1) {
        QString next = ExpandTab(FList->RowText(Index + 1), options);
        next.replace(Esc, QLatin1Char(' '));
        Row.ScanText += next;
    }
    const int n = int(std::min<qsizetype>(Row.Text.size(), MaxLineCells));
    Row.Length = n;
    if (m_cells.size() < size_t(n) + 1)
        m_cells.resize(size_t(n) + 1);
    int cell = 0;
    for (int k = 0; k < n; ++k) {
        m_cells[k] = cell;
        cell += unitCells(Row.Text, k, options.AmbiguousWide);
    }
    m_cells[n] = cell;
    Row.Cells = cell;
    Row.Cut = Row.Text.size() > MaxLineCells || cell > MaxLineCells;
}

void TEditor::paintRowSplit(RowPaint &Row, const QRect &R, int X0)
{
    const TSelectedPosition &sd = FSelDraw;
    if (Row.Index < sd.Sr || Row.Index > sd.Er) {
        paintRowPart(Row, R, X0, false);
        return;
    }
    const int lm = LeftMargin();
    const int right = viewport()->width();
    auto xOf = [&](int c) { return std::max(lm, lm + (c - FTopCol) * FFontWidth); };
    struct Part
    {
        int X1;
        int X2;
        bool Selected;
    };
    QVarLengthArray<Part, 3> parts;
    if (FSelectionMode == smBox) {
        const int n = int(Row.Map.size());
        const int a = xOf(std::min(sd.Sc, n));
        const int b = xOf(std::min(sd.Ec, n));
        parts.append({lm, a, false});
        parts.append({a, b, true});
        parts.append({b, right, false});
    } else if (sd.Sr == sd.Er) {
        parts.append({lm, xOf(sd.Sc), false});
        parts.append({xOf(sd.Sc), xOf(sd.Ec), true});
        parts.append({xOf(sd.Ec), right, false});
    } else if (Row.Index == sd.Sr) {
        parts.append({lm, xOf(sd.Sc), false});
        parts.append({xOf(sd.Sc), right, true});
    } else if (Row.Index == sd.Er) {
        parts.append({lm, xOf(sd.Ec), true});
        parts.append({xOf(sd.Ec), right, false});
    } else {
        parts.append({lm, right, true});
    }
    for (const Part &part : parts) {
        const QRect rect = R & QRect(part.X1, R.top(), part.X2 - part.X1, R.height());
        if (rect.isEmpty())
            continue;
        m_canvas->setClipRect(rect);
        paintRowPart(Row, rect, X0, part.Selected);
    }
    m_canvas->setClipping(false);
}

void TEditor::paintRowPart(RowPaint &Row, const QRect &R, int X0, bool Selected)
{
    QPainter &p = *m_canvas;
    const QColor color = ColorToQColor(FColor);
    const QColor fontColor = colorOf(FFont.Color(), false);
    const TFontStyles fontStyle = FFont.Style();
    const TEditorColors *colors = FView->Colors();
    QColor selBack;
    QColor selFore;
    QColor background = color;
    if (Selected) {
        const TFountainColor *item = HitSelected() ? colors->Hit() : colors->Select();
        selBack = item->BkColor() == clNone ? fontColor : ColorToQColor(item->BkColor());
        selFore = item->Color() == clNone ? color : ColorToQColor(item->Color());
        background = selBack;
    } else {
        const bool m1 = Row.Marks & RowMarkBit(rm1);
        const bool m2 = Row.Marks & RowMarkBit(rm2);
        if (m1 && m2)
            background = ColorToQColor(0x00C0C0);
        else if (m1)
            background = ColorToQColor(clYellow);
        else if (m2)
            background = ColorToQColor(clRed);
    }
    p.fillRect(R, background);

    auto setStyle = [&](TFontStyles style) {
        QFont f = p.font();
        f.setBold(style & fsBold);
        f.setItalic(style & fsItalic);
        f.setUnderline(style & fsUnderline);
        p.setFont(f);
    };
    // Draws characters a..b-1 of the row transparently.
    auto drawRun = [&](int a, int b, const QColor &ink, TFontStyles style, const QRect &clip) {
        if (b <= a)
            return;
        p.setPen(ink);
        p.setBrush(background);
        setStyle(style);
        DrawTextRect(clip, X0 + m_cells[a] * FFontWidth, R.top(), QStringView(Row.Text).mid(a, b - a), false);
    };

    const bool plainMarks = !Selected && Row.Marks != 0;
    if (plainMarks)
        drawRun(0, Row.Length, fontColor, fontStyle, R);
    if ((Row.Cells + 5) * FFontWidth < FLeftScrollWidth)
        return;
    const int limit = FFontWidth * MaxLineCells + LeftMargin() - FLeftScrollWidth;
    QRect q = R;
    q.setRight(std::min(R.right(), limit - 1));
    if (Row.Cells > 0 && !plainMarks && m_parser) {
        TFountainParser &parser = *m_parser;
        parser.NewData(Row.ScanText, Row.Data);
        if (FList->WordWrap() && Row.Attr == raWrapped && Row.Index < FList->Count() - 1)
            q.setRight(std::min(q.right(), X0 + Row.Cells * FFontWidth - 1));
        const int hitLength = int(FHitText.size());
        int hitCells = 0;
        for (qsizetype k = 0; k < FHitText.size(); ++k)
            hitCells += unitCells(FHitText, k, DefaultAmbiguousWide());
        FHitStart = FindHitText(FHitText, Row.Text, 1, false);
        FHitEnd = FHitStart > 0 ? FHitStart + hitLength : 0;
        const TEditorColor *hit = colors->Hit();
        const QColor hitBack = hit->BkColor() == clNone ? color : ColorToQColor(hit->BkColor());
        const QColor hitFore = hit->Color() == clNone ? fontColor : ColorToQColor(hit->Color());
        // Characters no token covers are drawn in the font colour.
        int drawnTo = 0;
        auto fillGap = [&](int upTo) {
            if (upTo > drawnTo)
                drawRun(drawnTo, upTo, Selected ? selFore : fontColor, fontStyle, q);
            drawnTo = std::max(drawnTo, upTo);
        };
        while (parser.NextToken() != ftkEnd) {
            const int start = parser.SourcePos();
            if (start >= Row.Length)
                break;
            const int x = X0 + m_cells[start] * FFontWidth;
            if (x > q.right())
                break;
            const int end = std::min(start + parser.TokenLength(), Row.Length);
            if (end <= start)
                continue;
            fillGap(start);
            drawnTo = std::max(drawnTo, end);
            const int xEnd = X0 + m_cells[end] * FFontWidth;
            if (Selected && xEnd < LeftMargin())
                continue;
            const TFountainColor *fc = parser.TokenToFountainColor();
            QColor back = color;
            QColor ink = fontColor;
            TFontStyles style = fontStyle;
            if (fc) {
                back = fc->BkColor() == clNone ? color : ColorToQColor(fc->BkColor());
                ink = fc->Color() == clNone ? fontColor : ColorToQColor(fc->Color());
                style = fc->Style();
            }
            if (Selected) {
                back = background;
                ink = selFore;
            }
            const bool overlapsHit = FHitStart > 0 && start <= FHitEnd - 2 && end - 1 >= FHitStart - 1;
            if (!overlapsHit) {
                if (back != background)
                    p.fillRect(QRect(x, R.top(), xEnd - x, R.height()) & q, back);
                drawRun(start, end, ink, style, q);
                continue;
            }
            // Character by character: hit characters in the hit colours.
            for (int k = start; k < end; ++k) {
                const int xk = X0 + m_cells[k] * FFontWidth;
                const bool inHit = FHitStart > 0 && k >= FHitStart - 1 && k <= FHitEnd - 2;
                if (k == FHitStart - 1)
                    p.fillRect(QRect(xk, R.top(), hitCells * FFontWidth, R.height()) & q, hitBack);
                else if (!inHit && back != background)
                    p.fillRect(QRect(xk, R.top(), (m_cells[k + 1] - m_cells[k]) * FFontWidth, R.height()) & q, back);
                drawRun(k, k + 1, inHit ? hitFore : ink, style, q);
                if (FHitStart > 0 && k == FHitEnd - 2) {
                    FHitStart = FindHitText(FHitText, Row.Text, FHitEnd, false);
                    FHitEnd = FHitStart > 0 ? FHitStart + hitLength : 0;
                }
            }
        }
        fillGap(Row.Length);
    }
    p.setFont(QFont());

    QRect rect = R;
    DoDrawLine(rect, X0, R.top(), Row.Text, Row.Index, Selected);

    int e = std::min(X0 + Row.Cells * FFontWidth, limit);
    if (Row.Cut)
        e = limit;
    if (e <= R.right()) {
        if (Row.Cut) {
            if (FMarks->HideMark()->Visible())
                Selected ? DrawHideMarkSelected(e, R.top()) : DrawHideMark(e, R.top());
        } else if (FMarks->EofMark()->Visible() && Row.Index == FList->Count() - 1 && Row.Attr == raEof) {
            DrawEofMark(e, R.top());
        } else if (FMarks->RetMark()->Visible() && Row.Attr == raCrlf) {
            Selected ? DrawRetMarkSelected(e, R.top()) : DrawRetMark(e, R.top());
        } else if (FMarks->WrapMark()->Visible() && Row.Attr == raWrapped) {
            Selected ? DrawWrapMarkSelected(e, R.top()) : DrawWrapMark(e, R.top());
        }
    }
}

void TEditor::drawBlankMarks(const RowPaint &Row, int X0, int Y)
{
    const bool semi = FMarks->SemiSpaceMark()->Visible();
    const bool space = FMarks->SpaceMark()->Visible();
    if (!semi && !space)
        return;
    const int n = int(std::min<qsizetype>(Row.EscText.size(), MaxLineCells));
    for (int k = 0; k < n; ++k) {
        const QChar c = Row.EscText[k];
        // One cell past the character's first cell, as the cell map measures it.
        const int x = X0 + (m_cells[k] + 1) * FFontWidth;
        if (c == QLatin1Char(' ') && semi)
            DrawSemiSpaceMark(x, Y);
        else if (c.unicode() == 0x3000 && space)
            DrawSpaceMark(x, Y);
    }
}

void TEditor::drawTabMarks(int X, int Y, QStringView CellMap, bool Selected)
{
    if (!CellMap.contains(QLatin1Char('3')))
        return;
    const int n = int(CellMap.size());
    for (int c = 0; c + 1 < n; ++c) {
        if (CellMap[c] == QLatin1Char('2') && CellMap[c + 1] == QLatin1Char('3'))
            DrawArrowMark(X + c * FFontWidth, Y, Selected);
    }
}

// ---- Marks ----

void TEditor::DrawEofMark(int X, int Y)
{
    QPainter &p = *m_canvas;
    const int lm = LeftMargin();
    const int tm = TopMargin();
    QRect rect(QPoint(std::max(lm, X), std::max(tm, Y)),
               QPoint(std::max(lm, X + 6 * FFontWidth) - 1, std::max(tm, Y + FFontHeight) - 1));
    rect &= viewport()->rect();
    if (rect.isEmpty())
        return;
    p.save();
    p.setClipRect(rect, Qt::IntersectClip);
    p.setBrush(ColorToQColor(FColor));
    p.setPen(colorOf(FMarks->EofMark()->Color(), false));
    p.setFont(QFont());
    DrawTextRect(rect, X, Y, u"[EOF]", true);
    p.restore();
}

void TEditor::drawRetArrow(int X, int Y, const QColor &Color)
{
    if (X < LeftMargin())
        return;
    m_canvas->setPen(Color);
    const int h = std::max(1, FFontHeight / 8);
    const int g = std::max(h, 3);
    const int xm = X + FFontWidth / 2;
    const int yb = Y + FFontHeight - 2 * h;
    m_canvas->drawLine(xm, Y + 2 * h, xm, yb);
    m_canvas->drawLine(xm, yb, xm - g, yb - g);
    m_canvas->drawLine(xm, yb, xm + g, yb - g);
}

void TEditor::DrawRetMark(int X, int Y)
{
    drawRetArrow(X, Y, colorOf(FMarks->RetMark()->Color(), false));
}

void TEditor::DrawRetMarkSelected(int X, int Y)
{
    drawRetArrow(X, Y, selectionColor());
}

namespace {

void drawAngle(QPainter &p, int X, int Y, int fontWidth, int fontHeight, bool opening)
{
    const int c = std::max(2, fontWidth * 3 / 5);
    const int ym = Y + fontHeight / 2;
    if (opening) {
        const QPoint line[3] = {QPoint(X + fontWidth, ym - c), QPoint(X + fontWidth - c, ym),
                                QPoint(X + fontWidth + 1, ym + c + 1)};
        p.drawPolyline(line, 3);
    } else {
        const QPoint line[3] = {QPoint(X + fontWidth - c, ym - c), QPoint(X + fontWidth, ym),
                                QPoint(X + fontWidth - c - 1, ym + c + 1)};
        p.drawPolyline(line, 3);
    }
}

} // namespace

void TEditor::drawAngleMark(int X, int Y, const QColor &Color, bool Opening)
{
    if (X < LeftMargin())
        return;
    m_canvas->setPen(Color);
    drawAngle(*m_canvas, X, Y, FFontWidth, FFontHeight, Opening);
}

void TEditor::DrawWrapMark(int X, int Y)
{
    drawAngleMark(X, Y, colorOf(FMarks->WrapMark()->Color(), false), true);
}

void TEditor::DrawWrapMarkSelected(int X, int Y)
{
    drawAngleMark(X, Y, selectionColor(), true);
}

void TEditor::DrawHideMark(int X, int Y)
{
    drawAngleMark(X, Y, colorOf(FMarks->HideMark()->Color(), false), false);
}

void TEditor::DrawHideMarkSelected(int X, int Y)
{
    drawAngleMark(X, Y, selectionColor(), false);
}

void TEditor::DrawArrowMark(int X, int Y, bool Selected)
{
    if (X < LeftMargin())
        return;
    if (Selected)
        m_canvas->setPen(selectionColor());
    else
        markPen(FMarks->TabMark()->Color());
    const int h = std::max(1, FFontHeight / 8);
    const int g = std::max(h, 3);
    const int yb = Y + FFontHeight - 2 * h;
    const QPoint line[3] = {QPoint(X + 2, yb), QPoint(X + FFontWidth - 1, yb), QPoint(X + FFontWidth - g - 1, yb - g)};
    m_canvas->drawPolyline(line, 3);
}

void TEditor::drawTabChevron(int X, int Y, const QColor &Color)
{
    if (X < LeftMargin())
        return;
    m_canvas->setPen(Color);
    const int h = std::max(1, FFontHeight / 8);
    const int x = X - FFontWidth * FCaret->TabSpaceCount();
    const int d = std::max(1, FFontWidth / 8);
    const int ym = Y + FFontHeight / 2;
    const QPoint line[3] = {QPoint(x, ym - h), QPoint(x + d, ym), QPoint(x - d, ym + h)};
    m_canvas->drawPolyline(line, 3);
}

void TEditor::DrawTabMark(int X, int Y)
{
    drawTabChevron(X, Y, colorOf(FMarks->TabMark()->Color(), false));
}

void TEditor::DrawTabMarkSelected(int X, int Y)
{
    drawTabChevron(X, Y, colorOf(FView->Colors()->Select()->Color(), true));
}

void TEditor::DrawSemiSpaceMark(int X, int Y)
{
    const int x = X - FFontWidth + 1;
    if (x < LeftMargin())
        return;
    markPen(FMarks->SemiSpaceMark()->Color(), true);
    const int b = std::max(1, FFontHeight / 4);
    const int yb = Y + FFontHeight - 2 * b;
    const QPoint line[4] = {QPoint(x, yb), QPoint(x, yb + b), QPoint(x + FFontWidth - 2, yb + b),
                            QPoint(x + FFontWidth - 2, yb)};
    m_canvas->drawPolyline(line, 4);
}

void TEditor::DrawSpaceMark(int X, int Y)
{
    if (X - FFontWidth / 2 < LeftMargin())
        return;
    markPen(FMarks->SpaceMark()->Color(), true);
    m_canvas->drawRect(QRect(X - FFontWidth / 2, Y + FFontHeight / 4, FFontWidth - 1, FFontHeight / 2 - 1));
}

void TEditor::DrawCustomMark(int, int)
{
}

// ---- Bars ----

void TEditor::paintOrigin()
{
    QPainter &p = *m_canvas;
    const int lm = LeftMargin();
    const int tm = TopMargin();
    if (lm <= 0 || tm <= 0)
        return;
    p.fillRect(QRect(0, 0, lm, tm), ColorToQColor(FColor));
    int x = 0;
    if (FLeftbar->Visible() && FLeftbar->Edge()) {
        x = (FImagebar->Visible() ? FImagebarWidth : 0) + FLeftbarWidth;
        p.fillRect(QRect(0, 0, x, tm), colorOf(FLeftbar->BkColor(), true));
        p.fillRect(QRect(x - 2, 0, 1, tm), Qt::white);
        p.fillRect(QRect(x - 1, 0, 1, tm), QColor(0x80, 0x80, 0x80));
    }
    if (FRuler->Visible() && FRuler->Edge()) {
        p.fillRect(QRect(x, 0, lm - x, FRulerHeight), colorOf(FRuler->BkColor(), true));
        p.fillRect(QRect(x - 1, FRulerHeight - 2, lm - x + 1, 1), Qt::white);
        p.fillRect(QRect(x - 1, FRulerHeight - 1, lm - x + 1, 1), QColor(0x80, 0x80, 0x80));
    }
}

void TEditor::PaintRuler()
{
    QPainter &p = *m_canvas;
    const int lm = LeftMargin();
    const int width = viewport()->width();
    const int height = FRulerHeight;
    const int range = std::max(1, FRuler->GaugeRange());
    const QColor background = colorOf(FRuler->BkColor(), true);
    const QColor ink = colorOf(FRuler->Color(), false);
    const bool edge = FRuler->Edge();
    const int bottomLine = edge ? height - 2 : height - 1;
    const QRect area(lm, 0, width - lm, height);
    p.save();
    p.setClipRect(area, Qt::IntersectClip);
    p.fillRect(area, background);
    const int wrap = FList->WordWrap() ? FList->WrapOption()->WrapByte() : MaxLineCells;
    const int lastPeriod = (wrap + range - 1) / range * range;
    auto xOf = [&](int c) { return lm + (c - FTopCol) * FFontWidth; };
    auto drawNumber = [&](int c, const QPixmap &glyphs) {
        int x = xOf(c) + 1;
        for (QChar d : QString::number(c)) {
            const int digit = d.digitValue();
            const int w = digit == 1 ? 3 : FRulerDigitWidth;
            p.drawPixmap(x, 0, glyphs, FRulerDigitWidth * digit, 0, w, FRulerDigitHeight);
            x += w;
        }
    };
    p.setPen(ink);
    const int firstCol = FTopCol - FTopCol % range;
    const int lastCol = std::min(FTopCol + FColCount + range, lastPeriod);
    for (int c = firstCol; c <= lastCol && xOf(c) <= width; ++c) {
        const int k = c % range;
        const int y0 = k == 0 ? 0 : (k == range / 2 ? 3 : 6);
        p.drawLine(xOf(c), y0, xOf(c), bottomLine);
    }
    // The numbers go over the ticks.
    for (int c = firstCol; c <= lastCol && xOf(c) <= width; c += range)
        drawNumber(c, m_rulerDigits);
    if (edge) {
        p.fillRect(QRect(lm, height - 2, width - lm, 1), Qt::white);
        p.fillRect(QRect(lm, height - 1, width - lm, 1), QColor(0x80, 0x80, 0x80));
    } else {
        p.drawLine(lm, height - 1, width, height - 1);
    }
    if (FCol >= FTopCol && FCol <= FTopCol + FColCount) {
        const QRect cell(xOf(FCol) + 1, 0, FFontWidth - 1, height - 1 - (edge ? 1 : 0));
        p.setClipRect(cell & area);
        p.fillRect(cell, colorOf(FRuler->MarkColor(), false));
        const int period = FCol - FCol % range;
        if (period <= lastPeriod)
            drawNumber(period, m_rulerMarkDigits);
    }
    p.restore();
}

void TEditor::PaintLeftbar(int ARow1, int ARow2)
{
    QPainter &p = *m_canvas;
    const int left = FImagebar->Visible() ? FImagebarWidth : 0;
    const int tm = TopMargin();
    const int rh = RowHeight();
    const int height = viewport()->height();
    const QColor background = colorOf(FLeftbar->BkColor(), true);
    const QColor ink = colorOf(FLeftbar->Color(), false);
    // The edge strip down the bar's right side.
    const int edgeX = left + FLeftbarWidth - 2;
    if (FLeftbar->Edge()) {
        p.fillRect(QRect(edgeX, tm, 1, height - tm), Qt::white);
        p.fillRect(QRect(edgeX + 1, tm, 1, height - tm), QColor(0x80, 0x80, 0x80));
    } else {
        p.fillRect(QRect(edgeX, tm, 1, height - tm), background);
        p.fillRect(QRect(edgeX + 1, tm, 1, height - tm), ink);
    }
    const int barWidth = FLeftbarWidth - 2;
    if (!FLeftbar->ShowNumber()) {
        p.fillRect(QRect(left, tm + (ARow1 - FTopRow) * rh, barWidth, (ARow2 - ARow1 + 1) * rh), background);
        return;
    }
    const int count = FList->Count();
    const bool endRow = count == 0 || FList->RowAttr(count - 1) != raEof;
    const bool lines = FLeftbar->ShowNumberMode() == nmLine;
    const int base = FLeftbar->ZeroBase() ? 0 : 1;
    int line = lines ? RowToLines(*FList, FList->WordWrap(), std::min(std::max(0, ARow1), count)) : 0;
    p.setBrush(background);
    p.setPen(ink);
    QFont font = p.font();
    font.setBold(false);
    font.setItalic(false);
    font.setUnderline(false);
    p.setFont(font);
    for (int i = std::max(0, ARow1); i <= ARow2; ++i) {
        const QRect rect(left, tm + (i - FTopRow) * rh, barWidth, rh);
        int number = -1;
        if (!lines) {
            if (i < count || (i == count && endRow))
                number = i;
        } else if (i < count) {
            if (i == 0 || FList->RowAttr(i - 1) != raWrapped)
                number = line;
            if (FList->RowAttr(i) != raWrapped)
                ++line;
        } else if (i == count && endRow) {
            number = line;
        }
        if (number < 0) {
            p.fillRect(rect, background);
            continue;
        }
        const QString text =
            QString::number(number + base)
                .rightJustified(FLeftbarColumn, FLeftbar->ZeroLead() ? QLatin1Char('0') : QLatin1Char(' '));
        DrawTextRect(rect, left + FLeftbar->LeftMargin(), rect.top(), text, true);
    }
}

void TEditor::PaintImagebar(int ARow1, int ARow2)
{
    QPainter &p = *m_canvas;
    const int tm = TopMargin();
    const int rh = RowHeight();
    const QColor background = FLeftbar->Visible() && FLeftbar->BkColor() != clNone ? ColorToQColor(FLeftbar->BkColor())
                                                                                   : ColorToQColor(FColor);
    const QRect bar(0, tm, FImagebarWidth, viewport()->height() - tm);
    p.save();
    p.setClipRect(bar, Qt::IntersectClip);
    const int count = FList->Count();
    for (int i = std::max(0, ARow1); i <= ARow2; ++i) {
        const int top = tm + (i - FTopRow) * rh;
        p.fillRect(QRect(0, top, FImagebarWidth, rh), background);
        const TRowMarks marks = i < count ? FList->GetRowMarks(i) : 0;
        if (!marks)
            continue;
        for (int m = 0; m <= 9; ++m) {
            if (marks & (1u << m)) {
                const TImageList &list =
                    FImageDigits && m < FImageDigits->Count() ? *FImageDigits : DefaultImageDigits();
                p.drawPixmap(FImagebar->LeftMargin(), top + 2, list.Image(m));
                break;
            }
        }
        for (int m = 10; m <= 15; ++m) {
            if (marks & (1u << m)) {
                const TImageList &list =
                    FImageMarks && m - 10 < FImageMarks->Count() ? *FImageMarks : DefaultImageMarks();
                p.drawPixmap(FImagebar->LeftMargin() + FImagebar->DigitWidth(), top + 2, list.Image(m - 10));
                break;
            }
        }
    }
    p.restore();
}

int TEditor::preeditCells(int Units) const
{
    const qsizetype n = Units < 0 ? m_preedit.size() : std::min<qsizetype>(Units, m_preedit.size());
    int cells = 0;
    for (qsizetype k = 0; k < n; ++k)
        cells += unitCells(m_preedit, k, DefaultAmbiguousWide());
    return cells;
}

void TEditor::paintPreedit()
{
    if (m_preedit.isEmpty())
        return;
    QPainter &p = *m_canvas;
    int x = 0;
    int y = 0;
    CaretToPoint(x, y);
    y = TopMargin() + (FRow - FTopRow) * RowHeight();
    const QRect rect(x, y, preeditCells() * FFontWidth, FFontHeight);
    p.setBrush(ColorToQColor(FColor));
    p.setPen(colorOf(FFont.Color(), false));
    p.setFont(QFont());
    DrawTextRect(rect, x, y, m_preedit, true);
    p.fillRect(QRect(x, y + FFontHeight - 1, rect.width(), 1), colorOf(FFont.Color(), false));
    const int cursorCells = preeditCells(m_preeditCursor);
    p.fillRect(QRect(x + cursorCells * FFontWidth, y, 2, FFontHeight), colorOf(FFont.Color(), false));
}

void TEditor::drawCaret()
{
    if (!FCaretShowing || !m_blinkOn || m_caretRect.isEmpty())
        return;
    QPainter &p = *m_canvas;
    p.save();
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.fillRect(m_caretRect, Qt::white);
    p.restore();
}
