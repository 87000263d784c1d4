// The source layout of the print dialog: text lines on pages with word
// wrap, tabs, a title above and the page number below each page.

#include "controls/fprint.h"
#include "controls/zkprinter.h"
#include "editorcontrol/edcontrol_settings.h"
#include "editorcontrol/edprops.h"
#include "sqleditor/zksub_editor.h"

#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace {

struct TLineSpan
{
    int Start;
    int Length;
};

struct TWrapSpec
{
    QFont Font;
    QPaintDevice *Device = nullptr;
    qreal Width = 1;
    qreal TabStop = 0;
};

// The visual lines of `text` wrapped at the width, at most `maxLines`. An
// empty text is one empty line.
QList<TLineSpan> WrapText(const QString &text, const TWrapSpec &spec, int maxLines)
{
    QList<TLineSpan> lines;
    if (text.isEmpty()) {
        lines.append({0, 0});
        return lines;
    }
    QTextLayout layout(text, spec.Font, spec.Device);
    QTextOption option;
    // A word wider than the line breaks anywhere rather than running off.
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setTabStopDistance(TabDistanceFor(spec.TabStop, spec.Device));
    layout.setTextOption(option);
    layout.beginLayout();
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(spec.Width);
        lines.append({line.textStart(), line.textLength()});
        if (maxLines > 0 && lines.size() >= maxLines)
            break;
    }
    layout.endLayout();
    return lines;
}

// Fills pages with the visual lines of the source lines. A page takes the
// longest text that fits its body: whole lines, and of the line that does
// not fit, the longest beginning that does; the rest goes on the next page.
class TSourcePager
{
public:
    TSourcePager(const TWrapSpec &spec, int linesPerPage, std::function<void(const QStringList &)> emitPage)
        : m_spec(spec)
        , m_linesPerPage(linesPerPage)
        , m_emit(std::move(emitPage))
    {
    }

    void AddLine(const QString &text)
    {
        // A page text that is still empty is replaced, not continued: blank
        // lines do not open a page.
        if (PageEmpty())
            m_page.clear();
        int offset = 0;
        for (;;) {
            const int avail = m_linesPerPage - int(m_page.size());
            if (avail <= 0) {
                // Full at a line break: the break is not carried over.
                Emit();
                continue;
            }
            const QList<TLineSpan> lines = LinesFrom(text, offset, avail);
            if (int(lines.size()) <= avail) {
                for (const TLineSpan &l : lines)
                    m_page.append(text.mid(offset + l.Start, l.Length));
                return;
            }
            const int start = lines[avail - 1].Start;
            const int cut = LongestFit(text, offset, start, lines[avail - 1].Start + lines[avail - 1].Length,
                                       lines[avail].Start + lines[avail].Length);
            for (int i = 0; i < avail - 1; ++i)
                m_page.append(text.mid(offset + lines[i].Start, lines[i].Length));
            m_page.append(text.mid(offset + start, cut - start));
            Emit();
            offset += cut;
        }
    }

    void Finish()
    {
        if (!PageEmpty())
            Emit();
    }

private:
    bool PageEmpty() const { return m_page.isEmpty() || (m_page.size() == 1 && m_page.first().isEmpty()); }

    void Emit()
    {
        m_emit(m_page);
        m_page.clear();
    }

    // The lines of text from `offset`: all of them when there are at most
    // `avail`, else at least the first avail + 1. A long text is laid out
    // in growing pieces, so a page costs about its own length.
    QList<TLineSpan> LinesFrom(const QString &text, int offset, int avail) const
    {
        const int length = int(text.size()) - offset;
        int window = 16384;
        for (;;) {
            const int w = std::min(length, window);
            QList<TLineSpan> lines = WrapText(text.mid(offset, w), m_spec, avail + 2);
            if (w == length)
                return lines.size() > avail + 1 ? lines.mid(0, avail + 1) : lines;
            // The last line of a piece may break differently in the whole.
            if (lines.size() >= avail + 2)
                return lines.mid(0, avail + 1);
            window *= 4;
        }
    }

    // The largest end in [fits, tooLong) such that text[start, end) (from
    // `offset`) stays one line; never between the halves of a surrogate pair.
    int LongestFit(const QString &text, int offset, int start, int fits, int tooLong) const
    {
        int good = fits;
        int bad = tooLong;
        while (bad - good > 1) {
            const int mid = good + (bad - good) / 2;
            if (WrapText(text.mid(offset + start, mid - start), m_spec, 2).size() == 1)
                good = mid;
            else
                bad = mid;
        }
        if (good > fits && text.at(offset + good - 1).isHighSurrogate())
            --good;
        return good;
    }

    TWrapSpec m_spec;
    int m_linesPerPage;
    std::function<void(const QStringList &)> m_emit;
    QStringList m_page;
};

} // namespace

void TfrmPrint::PrintSource(const QString &Title, const QStringList &Source, bool ResetPageNumber)
{
    TzkPrintdata &data = PrintData();
    const int base = ResetPageNumber && !FirstPagePending ? data.PageCount() : 0;

    TzkPrintCanvas *canvas = data.Canvas();
    canvas->SetFontNameSize(zkPrintOption.FontName, zkPrintOption.FontSize);
    const QFontMetricsF fm = canvas->FontMetrics();

    const qreal bodyWidth = zkPrinter.GetPrintableWidth(zkPrintOption.MMLeftMargin, zkPrintOption.MMRightMargin);
    const qreal bodyHeight = zkPrinter.GetPrintableHeight(zkPrintOption.MMTopMargin, zkPrintOption.MMBottomMargin);
    // Lines advance by the line spacing (the font's external leading
    // included); a body lower than one line still takes one per page.
    const qreal lineSpacing = fm.lineSpacing();
    const int linesPerPage = std::max(1, int(std::floor((bodyHeight + 1e-6) / lineSpacing)));

    TWrapSpec spec;
    spec.Font = canvas->Font();
    spec.Device = canvas->Reference();
    spec.Width = std::max<qreal>(1, bodyWidth);
    const int tabCount = PrintTabSpaceCount ? PrintTabSpaceCount()
                         : prpEditor        ? prpEditor->Caret()->TabSpaceCount()
                                            : 8;
    spec.TabStop = std::max(1, tabCount) * fm.averageCharWidth();

    auto emitPage = [&](const QStringList &lines) {
        if (FirstPagePending)
            FirstPagePending = false;
        else
            data.NewPage();
        TzkPrintCanvas *c = data.Canvas();
        const qreal h = c->TextHeight(QStringLiteral("0"));
        const int centred = Qt::AlignHCenter | Qt::AlignTop;
        c->TextRect(QRectF(0, -2 * h, spec.Width, 2 * h), Title, centred, spec.TabStop);
        c->TextRect(QRectF(0, bodyHeight, spec.Width, 2 * h), QString::number(data.PageCount() - base), centred,
                    spec.TabStop);
        for (int i = 0; i < lines.size(); ++i)
            if (!lines[i].isEmpty())
                c->TextRect(QRectF(0, i * lineSpacing, spec.Width, lineSpacing), lines[i], Qt::AlignLeft | Qt::AlignTop,
                            spec.TabStop);
    };

    TSourcePager pager(spec, linesPerPage, emitPage);
    for (const QString &line : Source) {
        // A line break inside a line of the list is one more line.
        if (line.contains(QLatin1Char('\r')) || line.contains(QLatin1Char('\n'))) {
            QString text = line;
            text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
            for (const QString &part : text.split(QLatin1Char('\n')))
                pager.AddLine(part);
        } else {
            pager.AddLine(line);
        }
    }
    pager.Finish();
}
