#pragma once

#include "editorcontrol/edcontrol.h"

// Helpers shared by the files of the editor control.
namespace EdControl {

// Holds the caret, or the caret-row underline, hidden for a scope (also
// when the scope is left by an exception).
template<void (TEditor::*Begin)(), void (TEditor::*End)()>
class Hold
{
public:
    explicit Hold(TEditor &Editor)
        : m_editor(Editor)
    {
        (m_editor.*Begin)();
    }
    ~Hold() { (m_editor.*End)(); }
    Hold(const Hold &) = delete;
    Hold &operator=(const Hold &) = delete;

private:
    TEditor &m_editor;
};
using CaretHold = Hold<&TEditor::BeginCaretUpdate, &TEditor::EndCaretUpdate>;
using UnderlineHold = Hold<&TEditor::BeginUnderlineUpdate, &TEditor::EndUnderlineUpdate>;

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

// The mouse cursor of a cursor setting.
QCursor CursorShape(TCursor Cursor);

// Blanks.
inline QString Blanks(int Count)
{
    return Count > 0 ? QString(Count, QLatin1Char(' ')) : QString();
}

} // namespace EdControl

// Drawn width of a character code up to 255, or of a wide character, in the
// font last measured by any editor.
int EdControlCharWidth(char16_t Ch);
