// The data grid's selection bookkeeping and its copy command.
#include "controls/zkdbgrid.h"
#include "core/zkwaitcursor.h"

#include "controls/zkdbgrid_p.h"
#include "controls/zkdbgrid_shared.h"

#include <QApplication>
#include <QClipboard>

namespace {

// A value holding a tab, a line break or a quote is quoted, its line
// breaks made single line feeds and its quotes doubled.
void appendValue(QString &text, const QString &value)
{
    bool special = false;
    for (const QChar c : value) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('"')) {
            special = true;
            break;
        }
    }
    if (!special) {
        text += value;
        return;
    }
    QString v = value;
    v.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    v.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    v.replace(QLatin1Char('"'), QLatin1String("\"\""));
    text += QLatin1Char('"');
    text += v;
    text += QLatin1Char('"');
}

} // namespace

void TzkDBGridV::ColumnMoveSelection()
{
    const Qt::KeyboardModifiers shift = shiftState();
    const int current = m_col - m_indicatorOffset;
    if ((shift & Qt::ShiftModifier) && !tabDown()) {
        m_colEnd = current;
    } else {
        m_colStart = current;
        m_colEnd = current;
    }
    const bool ctrl = shift & Qt::ControlModifier;
    SetWholeRecordSelectedV(ctrl);
    m_bookmarks->SetCurrentRowSelected(!ctrl);
    viewport()->update();
    m_indicator->viewport()->update();
}

bool TzkDBGridV::SelectionText(QString *text)
{
    return DBGridRangeText(m_dataLink.get(), m_bookmarks.get(), SelectedField(), m_colStart, m_colEnd,
                           WholeRecordSelectedV(), text);
}

bool DBGridRangeText(TGridDataLink *link, TBookmarkList *bookmarks, TField *current, int start, int end, bool whole,
                     QString *text)
{
    text->clear();
    if (bookmarks->IsEmpty()) {
        if (!current)
            return false;
        *text = current->AsString();
        return true;
    }
    TFDQuery *dataSet = link->DataSet();
    if (!link->Active())
        RaiseInvalidGridOperation(SDataSetClosed);
    // The fields copied, in the data set's order; a field's place counts
    // hidden fields too.
    struct Part
    {
        TField *field;
        bool tab;
        bool empty;
    };
    std::vector<Part> parts;
    const int low = qMin(start, end);
    const int high = qMax(start, end);
    for (int p = 0; p < dataSet->FieldCount(); ++p) {
        TField *field = dataSet->Fields(p);
        if (!field->Visible() || !(whole || (p >= low && p <= high)))
            continue;
        const TFieldType type = field->DataType();
        parts.push_back({field, whole ? p > 0 : p > low, type == ftOraBlob || type == ftOraClob});
    }
    const bool lineEnds = bookmarks->Count() > 1;
    const TSQLWaitCursor wait;
    QString result;
    bookmarks->ForEach([&](TRecordId record) {
        for (const Part &part : parts) {
            if (part.tab)
                result += QLatin1Char('\t');
            if (!part.empty)
                appendValue(result, part.field->TextAt(record));
        }
        if (lineEnds)
            result += QLatin1String("\r\n");
    });
    *text = result;
    return true;
}

void TzkDBGridV::CopySelection()
{
    QString text;
    if (SelectionText(&text))
        QGuiApplication::clipboard()->setText(text);
}

void TzkDBGridV::SelectAllRecords()
{
    if (!DBGridSelectAll(m_dataLink.get(), m_bookmarks.get()))
        return;
    m_colStart = 0;
    m_colEnd = m_columns->Count();
    viewport()->update();
    m_indicator->viewport()->update();
}
