#pragma once
// Random edit scripts over the editor's row list: each edit must give the
// text it should; undoing every step restores the first text and rows,
// redoing every step the last ones; wrapping and unwrapping keep the text,
// and wrapping the same text again gives the same rows.
// The choices come from a seeded generator (property test) or from the
// fuzzer's bytes.

#include "editorcontrol/fakeclient.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <functional>

namespace editscript {

// Pieces of text: letters, blanks, tabs, wide and ambiguous characters,
// punctuation of the line-breaking rules, pairs outside the BMP.
inline const QStringList &pieces()
{
    static const QStringList list = {
        QStringLiteral("a"),
        QStringLiteral("word"),
        QStringLiteral(" "),
        QStringLiteral("\t"),
        QStringLiteral("あ"),
        QStringLiteral("漢字"),
        QStringLiteral("。"),
        QStringLiteral("、"),
        QStringLiteral("("),
        QStringLiteral(")"),
        QStringLiteral(","),
        QStringLiteral("「"),
        QStringLiteral("é"),
        QStringLiteral("\u3000"),
        QString::fromUtf16(u"\xD842\xDFB7"),
        QString::fromUtf16(u"\xD83D\xDE00"),
    };
    return list;
}

class Script
{
public:
    explicit Script(std::function<unsigned()> next)
        : m_next(std::move(next))
    {
    }
    int below(int n) { return n <= 0 ? 0 : int(m_next() % unsigned(n)); }
    QString line()
    {
        QString s;
        const int n = below(4) == 0 ? below(120) : below(12);
        for (int i = 0; i < n; ++i)
            s += pieces()[below(int(pieces().size()))];
        return s;
    }
    QString text(int maxLines)
    {
        QString s;
        const int n = below(maxLines + 1);
        for (int i = 0; i < n; ++i) {
            s += line();
            if (i + 1 < n || below(2))
                s += below(6) == 0 ? QStringLiteral("\n") : QStringLiteral("\r\n");
        }
        return s;
    }

private:
    std::function<unsigned()> m_next;
};

inline QString rowsText(const TEditorScreenStrings &list, int index, int count)
{
    QString s;
    int n = 0;
    TRowAttribute a = raInvalid;
    list.GetRowsText(index, count, s, n, a);
    return s;
}

// The text a replacement should give: the rows before, S with its breaks as
// CR LF, the rows after.
inline QString expectedText(const TEditorScreenStrings &list, int row, int count, QString s)
{
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    s.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return rowsText(list, 0, row) + s + rowsText(list, row + count, list.Count() - row - count);
}

inline QString joinedRows(const TEditorScreenStrings &list)
{
    return RowsOf(list).join(QStringLiteral("¦"));
}

// Runs up to MAXEDITS edits with word wrap at WRAP cells (0: off); empty when
// every check held, else the first that failed.
inline QString failure(Script &script, int wrap, int maxEdits = 64)
{
    FakeClient client;
    TEditorStrings lines(&client);
    TEditorScreenStrings &list = client.list();
    if (wrap) {
        list.WrapOption()->SetWrapByte(wrap);
        list.WrapOption()->SetWordBreak(script.below(2));
        list.WrapOption()->SetLeading(script.below(2));
        list.WrapOption()->SetFollowPunctuation(script.below(2));
        list.WrapOption()->SetFollowRetMark(script.below(2));
        list.SetWordWrap(true);
    }
    lines.SetTextStr(script.text(12));
    const QString firstText = lines.GetTextStr();
    const QString firstRows = joinedRows(list);

    const int edits = 1 + script.below(maxEdits);
    for (int e = 0; e < edits; ++e) {
        const int rows = list.Count();
        const bool canAppend = rows == 0 || list.RowAttr(rows - 1) == raCrlf;
        int row = script.below(rows + (canAppend ? 1 : 0));
        int count = 0;
        QString text;
        const int kind = script.below(3);
        if (kind != 0 && rows > 0) { // delete or replace
            row = std::min(row, rows - 1);
            count = 1 + script.below(std::min(3, rows - row));
        }
        if (kind != 1 || rows == 0) // insert or replace
            text = script.text(3);
        client.SetRow(row);
        client.SetCol(script.below(4));
        const QString expected = expectedText(list, row, count, text);
        list.ReplaceRows(row, count, text);
        if (lines.GetTextStr() != expected)
            return QStringLiteral("edit %1 gave the wrong text").arg(e);
        if (list.Count() > 0 && list.RowAttr(list.Count() - 1) == raWrapped)
            return QStringLiteral("edit %1 left a wrapped last row").arg(e);
        for (int r = 0; r < list.Count() && !wrap; ++r) {
            if (list.RowAttr(r) == raWrapped)
                return QStringLiteral("edit %1 wrapped row %2 with wrapping off").arg(e).arg(r);
        }
    }
    const QString lastText = lines.GetTextStr();
    const QString lastRows = joinedRows(list);

    int undone = 0;
    while (list.UndoObj()->CanUndo()) {
        list.Undo();
        ++undone;
    }
    if (lines.GetTextStr() != firstText || joinedRows(list) != firstRows)
        return QStringLiteral("undoing every edit did not restore the first text");
    for (int i = 0; i < undone; ++i)
        list.Redo();
    if (list.UndoObj()->CanRedo())
        return QStringLiteral("redo left steps over");
    if (lines.GetTextStr() != lastText || joinedRows(list) != lastRows)
        return QStringLiteral("redoing every edit did not restore the last text");

    // An edit re-wraps from at most one row above it, so rows after edits
    // may differ from a fresh wrap of the same text where line-breaking
    // rules look further back; a fresh wrap must be stable and keep the
    // text.
    auto rewrap = [&](int width) {
        list.SetWordWrap(false);
        if (lines.GetTextStr() != lastText)
            return QStringLiteral("unwrapping changed the text");
        list.WrapOption()->SetWrapByte(width);
        list.SetWordWrap(true);
        if (lines.GetTextStr() != lastText)
            return QStringLiteral("wrapping changed the text");
        return QString();
    };
    const int width = wrap ? wrap : 20 + script.below(231);
    if (!wrap) {
        list.WrapOption()->SetWrapByte(width);
        list.SetWordWrap(true);
    }
    QString why = rewrap(width);
    if (!why.isEmpty())
        return why;
    const QString freshRows = joinedRows(list);
    why = rewrap(width);
    if (!why.isEmpty())
        return why;
    if (joinedRows(list) != freshRows) {
        return QStringLiteral("wrapping the same text twice gave other rows (wrap %1)\n  first:  %2\n  second: %3")
            .arg(width)
            .arg(freshRows, joinedRows(list));
    }
    list.SetWordWrap(false);
    if (lines.GetTextStr() != lastText)
        return QStringLiteral("unwrapping changed the text");
    if (!wrap && joinedRows(list) != lastRows)
        return QStringLiteral("unwrapped rows differ from the rows before wrapping");
    return {};
}

// The same, with every choice drawn from BYTES (zeros once they run out):
// how the fuzz target reads its input, and how its findings are replayed.
inline QString failureFromBytes(const QByteArray &bytes)
{
    qsizetype at = 0;
    auto next = [&]() -> unsigned { return at < bytes.size() ? quint8(bytes[at++]) : 0u; };
    static const int wraps[] = {0, 20, 80, 250};
    const int wrap = wraps[next() % 4];
    Script script([&next] { return next() | (next() << 8); });
    return failure(script, wrap);
}

} // namespace editscript
