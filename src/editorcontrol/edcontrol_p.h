#pragma once

#include "editorcontrol/edcontrol.h"

// Helpers shared by the files of the editor control.
namespace EdControl {

// Holds the caret hidden for a scope (also when the scope is left by an exception).
class CaretHold
{
public:
    explicit CaretHold(TEditor &Editor)
        : m_editor(Editor)
    {
        m_editor.BeginCaretUpdate();
    }
    ~CaretHold() { m_editor.EndCaretUpdate(); }
    CaretHold(const CaretHold &) = delete;
    CaretHold &operator=(const CaretHold &) = delete;

private:
    TEditor &m_editor;
};

// Holds the caret-row underline hidden for a scope.
class UnderlineHold
{
public:
    explicit UnderlineHold(TEditor &Editor)
        : m_editor(Editor)
    {
        m_editor.BeginUnderlineUpdate();
    }
    ~UnderlineHold() { m_editor.EndUnderlineUpdate(); }
    UnderlineHold(const UnderlineHold &) = delete;
    UnderlineHold &operator=(const UnderlineHold &) = delete;

private:
    TEditor &m_editor;
};

inline bool isWideHalf(QStringView Map, int Col)
{
    return Col >= 0 && Col < Map.size() && Map[Col] == QLatin1Char('5');
}

inline bool isTabFiller(QStringView Map, int Col)
{
    return Col >= 0 && Col < Map.size() && Map[Col] == QLatin1Char('3');
}

// Characters of a row that a box from column Left to column Right
// (exclusive) covers: the first character at or right of Left up to the
// character covering Right - 1, within the row's length.
void BoxRowRange(QStringView Text, QStringView Map, int Left, int Right, int &Start, int &Count);

// Blanks.
inline QString Blanks(int Count)
{
    return Count > 0 ? QString(Count, QLatin1Char(' ')) : QString();
}

} // namespace EdControl

// Drawn width of a character code up to 255, or of a wide character, in the
// font last measured by any editor.
int EdControlCharWidth(char16_t Ch);
