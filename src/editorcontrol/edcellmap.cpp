#include "editorcontrol/edcellmap.h"
#include "editorcontrol/MECSUtils.h"

#include <algorithm>

TCharSet DefaultDelimiters()
{
    TCharSet set;
    auto add = [&set](int first, int last) {
        for (int c = first; c <= last; ++c)
            set.set(c);
    };
    add(0, 47);
    add(58, 64);
    add(91, 94);
    add(96, 96);
    add(123, 128);
    add(160, 165);
    add(253, 255);
    return set;
}

TCellMapOptions DefaultCellMapOptions()
{
    TCellMapOptions options;
    options.AmbiguousWide = DefaultAmbiguousWide();
    return options;
}

int CodePointCells(char32_t CodePoint, bool AmbiguousWide)
{
    if (CodePoint < 0x7F)
        return 1;
    return IsWideCodePoint(CodePoint, AmbiguousWide) ? 2 : 1;
}

namespace {

bool isStartCell(QChar c)
{
    return c != QLatin1Char('3') && c != QLatin1Char('5');
}

// Builds the map into Out when given; returns its length either way.
int buildCellMap(QStringView text, const TCellMapOptions &o, QString *out)
{
    const int tab = std::max(1, o.TabSpaceCount);
    const int wrap = std::max(1, o.WrapByte);
    const int limit = o.Limit();
    if (out) {
        out->resize(0);
        out->reserve(int(std::min<qsizetype>(text.size() * 2, limit)) + 8);
    }
    int len = 0;
    auto put = [&](char code, int count) {
        if (out)
            out->append(QString(count, QLatin1Char(code)));
        len += count;
    };
    auto put1 = [&](char code) {
        if (out)
            out->append(QLatin1Char(code));
        ++len;
    };
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n;) {
        const char16_t u = text[i].unicode();
        char32_t cp = u;
        int units = 1;
        if (IsHighSurrogate(u) && i + 1 < n && IsLowSurrogate(text[i + 1].unicode())) {
            cp = ((char32_t(u) - 0xD800) << 10) + (char32_t(text[i + 1].unicode()) - 0xDC00) + 0x10000;
            units = 2;
        }
        const bool wide = CodePointCells(cp, o.AmbiguousWide) == 2;
        if (wide) {
            put1('4');
            put1('5');
        } else {
            put1(cp <= 255 && o.Delimiters.test(cp) ? '2' : '1');
            if (cp == 9) {
                int fill = tab - ((len - 1) % tab) - 1;
                if (o.WordWrap)
                    fill = std::min(fill, wrap - ((len - 1) % wrap) - 1);
                if (fill > 0)
                    put('3', fill);
            }
        }
        if (len >= limit)
            break;
        if (units == 2) {
            if (wide) {
                put1('4');
                put1('5');
            } else {
                put1('2');
            }
        }
        i += units;
    }
    return len;
}

} // namespace

void CellMapInto(QStringView Text, const TCellMapOptions &Options, QString &Map)
{
    buildCellMap(Text, Options, &Map);
}

QString CellMap(QStringView Text, const TCellMapOptions &Options)
{
    QString map;
    buildCellMap(Text, Options, &map);
    return map;
}

int ExpandTabLength(QStringView S, const TCellMapOptions &Options)
{
    return buildCellMap(S, Options, nullptr);
}

QString ExpandTab(QStringView S, const TCellMapOptions &Options)
{
    if (!S.contains(QLatin1Char('\t')))
        return S.toString();
    const int tab = std::max(1, Options.TabSpaceCount);
    const int wrap = std::max(1, Options.WrapByte);
    QString result;
    result.reserve(S.size() + 16);
    int width = 0;
    const qsizetype n = S.size();
    for (qsizetype i = 0; i < n;) {
        const char16_t u = S[i].unicode();
        if (u == '\t') {
            int k = tab - width % tab;
            if (Options.WordWrap)
                k = std::min(k, wrap - width % wrap);
            result.append(QString(k, QChar(27)));
            width += k;
            ++i;
            continue;
        }
        if (IsHighSurrogate(u) && i + 1 < n && IsLowSurrogate(S[i + 1].unicode())) {
            const char32_t cp = ((char32_t(u) - 0xD800) << 10) + (char32_t(S[i + 1].unicode()) - 0xDC00) + 0x10000;
            result.append(S.mid(i, 2));
            width += 2 * CodePointCells(cp, Options.AmbiguousWide);
            i += 2;
            continue;
        }
        result.append(S[i]);
        width += CodePointCells(u, Options.AmbiguousWide);
        ++i;
    }
    return result;
}

int IndentWidth(QStringView S, const TCellMapOptions &Options)
{
    if (S.isEmpty())
        return -1;
    const int tab = std::max(1, Options.TabSpaceCount);
    const int wrap = std::max(1, Options.WrapByte);
    int s = 0;
    for (QChar c : S) {
        if (c == QLatin1Char(' ')) {
            s += 1;
        } else if (c == QLatin1Char('\t')) {
            int next = s + (tab - s % tab);
            if (Options.WordWrap)
                next = std::min(next, s + (wrap - s % wrap));
            s = next;
        } else if (c.unicode() == 0x3000) {
            s += 2;
        } else {
            break;
        }
    }
    return s;
}

bool IsHalfWidthChar(QStringView S)
{
    if (S.size() != 1)
        return false;
    const char16_t u = S[0].unicode();
    return (u >= 0x20 && u <= 0x7E) || (u >= 0xFF61 && u <= 0xFF9F);
}

int NonStartCellsBefore(QStringView Map, int Col)
{
    int count = 0;
    const int n = int(Map.size());
    for (int i = 0; i <= Col && i < n; ++i) {
        const QChar c = Map[i];
        if (c == QLatin1Char('3') || (c == QLatin1Char('4') && i < Col))
            ++count;
    }
    return count;
}

int CharIndexOfCol(QStringView Map, int Col)
{
    return Col - NonStartCellsBefore(Map, Col);
}

int FirstCharAtOrRightOfCol(QStringView Map, int Col)
{
    const int n = int(Map.size());
    if (Col >= 0 && Col < n) {
        if (Map[Col] == QLatin1Char('5')) {
            ++Col;
        } else if (Map[Col] == QLatin1Char('3')) {
            while (Col < n && Map[Col] == QLatin1Char('3'))
                ++Col;
        }
    }
    return CharIndexOfCol(Map, Col);
}

int CharCoveringCol(QStringView Map, int Col)
{
    const int n = int(Map.size());
    if (Col >= 0 && Col < n && Map[Col] != QLatin1Char('4')) {
        while (Col > 0 && Col < n && Map[Col] == QLatin1Char('3'))
            --Col;
    }
    return CharIndexOfCol(Map, Col);
}

int ColOfCharIndex(QStringView Map, int Index)
{
    int starts = 0;
    const int n = int(Map.size());
    for (int i = 0; i < n; ++i) {
        if (isStartCell(Map[i])) {
            if (starts == Index)
                return i;
            ++starts;
        }
    }
    return n + std::max(0, Index - starts);
}

QString RowTextAt(const TRowAttributeStringList &Rows, int Index)
{
    return Index >= 0 && Index < Rows.Count() ? Rows.RowText(Index) : QString();
}

TRowAttribute RowAttrAt(const TRowAttributeStringList &Rows, int Index)
{
    return Index >= 0 && Index < Rows.Count() ? Rows.RowAttr(Index) : raEof;
}

int RowCellCount(const TRowAttributeStringList &Rows, const TCellMapOptions &Options, int Index)
{
    return Index >= 0 && Index < Rows.Count() ? ExpandTabLength(Rows.RowText(Index), Options) : 0;
}

QString ExpandedRow(const TRowAttributeStringList &Rows, const TCellMapOptions &Options, int Index)
{
    return Index >= 0 && Index < Rows.Count() ? ExpandTab(Rows.RowText(Index), Options) : QString();
}

namespace {

// Steps a column off the second half of a wide character and off a tab's filler cells.
int toStartCell(QStringView map, int col)
{
    const int n = int(map.size());
    if (col < n && col > 0 && map[col] == QLatin1Char('5'))
        --col;
    while (col > 0 && col < n && map[col] == QLatin1Char('3'))
        --col;
    return col;
}

int rowStep(const TRowAttributeStringList &rows, int index)
{
    switch (RowAttrAt(rows, index)) {
    case raCrlf: return 2;
    case raWrapped: return 0;
    default: return 1;
    }
}

} // namespace

int ColToChar(const TRowAttributeStringList &Rows, const TCellMapOptions &Options, int ARow, int ACol)
{
    if (ARow < 0 || ARow > Rows.Count() || ACol < 0)
        return -1;
    const QString text = RowTextAt(Rows, ARow);
    const QString map = CellMap(text, Options);
    const int col = toStartCell(map, ACol);
    int result = std::min(int(text.size()), CharIndexOfCol(map, col));
    for (int r = ARow - 1; r >= 0 && Rows.RowAttr(r) == raWrapped; --r)
        result += int(Rows.RowText(r).size());
    return result;
}

int RowToLines(const TRowAttributeStringList &Rows, bool WordWrap, int Index)
{
    if (!WordWrap)
        return Index;
    int lines = 0;
    const int n = std::min(Index, Rows.Count());
    for (int r = 0; r < n; ++r) {
        if (Rows.RowAttr(r) == raCrlf)
            ++lines;
    }
    return lines;
}

int RowColToIndex(const TRowAttributeStringList &Rows, const TCellMapOptions &Options, int StartRow, int ARow, int ACol)
{
    int index = 0;
    for (int r = StartRow; r < ARow; ++r)
        index += int(RowTextAt(Rows, r).size()) + rowStep(Rows, r);
    return index + CharIndexOfCol(CellMap(RowTextAt(Rows, ARow), Options), ACol);
}

TRowCol RowColFromIndex(const TRowAttributeStringList &Rows, const TCellMapOptions &Options, int StartRow, int Index)
{
    int remaining = std::max(0, Index);
    int r = std::max(0, StartRow);
    const int count = Rows.Count();
    for (; r < count; ++r) {
        const int len = int(Rows.RowText(r).size());
        const TRowAttribute attr = Rows.RowAttr(r);
        const int step = len + (attr == raCrlf ? 2 : attr == raWrapped ? 0 : 1);
        if (remaining < step || attr == raEof)
            break;
        remaining -= step;
    }
    if (r >= count)
        return {count, 0};
    const QString map = CellMap(Rows.RowText(r), Options);
    return {r, std::min(ColOfCharIndex(map, remaining), int(map.size()))};
}

QString JoinRows(const TRowAttributeStringList &List)
{
    qsizetype size = 0;
    for (int r = 0; r < List.Count(); ++r)
        size += List.RowText(r).size() + (List.RowAttr(r) == raCrlf ? 2 : 0);
    QString text;
    text.reserve(size);
    for (int r = 0; r < List.Count(); ++r) {
        text += List.RowText(r);
        if (List.RowAttr(r) == raCrlf)
            text += QLatin1String("\r\n");
    }
    return text;
}

TRowCol PosToRowCol(const TEditorGeometry &Geometry, int X, int Y, bool Split)
{
    const int fw = std::max(1, Geometry.FontWidth);
    if (X < Geometry.LeftMargin)
        X = X + 1 - fw;
    TRowCol rc;
    if (Split)
        rc.Col = std::max(0, (X + fw / 2 - Geometry.LeftMargin - 1) / fw + Geometry.TopCol);
    else
        rc.Col = std::max(0, (X - Geometry.LeftMargin) / fw + Geometry.TopCol);
    rc.Row = (Y - Geometry.TopMargin) / std::max(1, Geometry.RowHeight) + Geometry.TopRow;
    return rc;
}

bool PosToStrInfo(const TRowAttributeStringList &Rows, const TCellMapOptions &Options, const TEditorGeometry &Geometry,
                  int X, int Y, TEditorStrInfo &Info)
{
    Info = TEditorStrInfo();
    if (Rows.Count() == 0 || Geometry.FontWidth == 0 || X < Geometry.LeftMargin || Y < Geometry.TopMargin)
        return false;
    const TRowCol rc = PosToRowCol(Geometry, X, Y, true);
    if (rc.Row < 0 || rc.Row > Rows.Count())
        return false;
    Info.Line = rc.Row;
    const QString text = RowTextAt(Rows, rc.Row);
    const QString map = CellMap(text, Options);
    if (rc.Col >= map.size())
        return false;
    Info.CharIndex = std::min(int(text.size()), CharIndexOfCol(map, toStartCell(map, rc.Col)));
    return true;
}

TEditorStrInfo StrInfoFromPos(const TRowAttributeStringList &Rows, const TCellMapOptions &Options,
                              const TEditorGeometry &Geometry, int X, int Y)
{
    if (Rows.Count() == 0 || Geometry.FontWidth == 0)
        return {};
    const TRowCol rc = PosToRowCol(Geometry, X, Y, true);
    if (rc.Row < 0 || rc.Row > Rows.Count())
        return {};
    return {RowToLines(Rows, Options.WordWrap, rc.Row), ColToChar(Rows, Options, rc.Row, rc.Col)};
}

int CharFromPos(const TRowAttributeStringList &Rows, const TCellMapOptions &Options, const TEditorGeometry &Geometry,
                int X, int Y)
{
    TEditorStrInfo info;
    if (!PosToStrInfo(Rows, Options, Geometry, X, Y, info))
        return -1;
    int offset = 0;
    for (int r = 0; r < info.Line; ++r)
        offset += int(Rows.RowText(r).size()) + (Rows.RowAttr(r) == raCrlf ? 2 : 0);
    return offset + info.CharIndex;
}
