#include "editorcontrol/edcontrol.h"
#include "editorcontrol/edcontrol_p.h"

#include <memory>

using namespace EdControl;

TTokenParser::TTokenParser()
    : TFountainParser(TNoFountain())
{
}

bool TEditor::PosToStrInfo(const QPoint &Pos, TEditorStrInfo &Info) const
{
    return ::PosToStrInfo(*FList, CellMapOptions(), editorGeometry(), Pos.x(), Pos.y(), Info);
}

bool TEditor::tokenAt(const QPoint &Pos, bool UseScheme, bool Bracket, int &FirstRow, int &Start, QString &Token,
                      char16_t &Kind)
{
    Token.clear();
    Kind = 0;
    TEditorStrInfo info;
    if (!PosToStrInfo(Pos, info) || info.Line >= FList->Count())
        return false;
    FirstRow = FList->FirstRowOfLine(info.Line);
    // The scanner state is stored at row starts only: the whole logical line
    // is scanned from its first row.
    TRowAttributeData state;
    std::unique_ptr<TFountainParser> parser;
    TFountain *fountain = UseScheme ? ActiveFountain() : nullptr;
    if (fountain) {
        FList->UpdateBrackets(FirstRow, false);
        state = FList->GetRowData(FirstRow);
        if (!Bracket)
            state.BracketIndex = -2;
        parser = fountain->CreateParser();
    } else {
        state.BracketIndex = -2;
        parser = std::make_unique<TTokenParser>();
    }
    int offset = info.CharIndex;
    for (int r = FirstRow; r < info.Line; ++r)
        offset += int(FList->RowText(r).size());
    QString text;
    int rows = 0;
    TRowAttribute attribute = raInvalid;
    FList->GetRowsText(FirstRow, -1, text, rows, attribute);

    parser->NewData(text, state);
    int end = -1;
    while (char16_t kind = parser->NextToken()) {
        const int start = parser->SourcePos();
        const int length = parser->TokenLength();
        // Blanks between tokens belong to none.
        if (start > offset)
            break;
        if (start + length - 1 >= offset) {
            Start = start;
            Token = text.mid(start, length);
            Kind = kind;
            return true;
        }
        if (start + length <= end && length == 0)
            break;
        end = start + length;
    }
    return false;
}

QString TEditor::TokenInfoFromPos(const QPoint &Pos, bool UseScheme, char16_t &Kind, bool Bracket)
{
    int first = 0;
    int start = 0;
    QString token;
    tokenAt(Pos, UseScheme, Bracket, first, start, token, Kind);
    return token;
}

void TEditor::SelectFromPos(const QPoint &Pos, bool UseScheme, bool Bracket)
{
    int first = 0;
    int start = 0;
    QString token;
    char16_t kind = 0;
    if (!tokenAt(Pos, UseScheme, Bracket, first, start, token, kind))
        return;
    // A selection held now would otherwise anchor the new one at its start.
    if (SelectedData())
        CleanSelection();
    CaretHold caret(*this);
    SetRowColFromIndex(first, start);
    SetSelLength(int(token.size()));
}

char16_t TEditor::TokenBracketFromPos(const QPoint &Pos)
{
    char16_t kind = 0;
    TokenInfoFromPos(Pos, true, kind, true);
    return kind;
}

char16_t TEditor::TokenBracketFromCaret()
{
    return TokenBracketFromPos(CaretPoint());
}

char16_t TEditor::TokenFromPos(const QPoint &Pos)
{
    char16_t kind = 0;
    TokenInfoFromPos(Pos, true, kind, false);
    return kind;
}

char16_t TEditor::TokenFromCaret()
{
    return TokenFromPos(CaretPoint());
}

QString TEditor::TokenStringBracketFromPos(const QPoint &Pos)
{
    char16_t kind = 0;
    return TokenInfoFromPos(Pos, true, kind, true);
}

QString TEditor::TokenStringBracketFromCaret()
{
    return TokenStringBracketFromPos(CaretPoint());
}

QString TEditor::TokenStringFromPos(const QPoint &Pos)
{
    char16_t kind = 0;
    return TokenInfoFromPos(Pos, true, kind, false);
}

QString TEditor::TokenStringFromCaret()
{
    return TokenStringFromPos(CaretPoint());
}

QString TEditor::WordFromPos(const QPoint &Pos)
{
    char16_t kind = 0;
    return TokenInfoFromPos(Pos, false, kind, false);
}

QString TEditor::WordFromCaret()
{
    return WordFromPos(CaretPoint());
}

void TEditor::SelectTokenBracketFromPos(const QPoint &Pos)
{
    SelectFromPos(Pos, true, true);
}

void TEditor::SelectTokenBracketFromCaret()
{
    SelectTokenBracketFromPos(CaretPoint());
}

void TEditor::SelectTokenFromPos(const QPoint &Pos)
{
    SelectFromPos(Pos, true, false);
}

void TEditor::SelectTokenFromCaret()
{
    SelectTokenFromPos(CaretPoint());
}

void TEditor::SelectWordFromPos(const QPoint &Pos)
{
    SelectFromPos(Pos, false, false);
}

void TEditor::SelectWordFromCaret()
{
    SelectWordFromPos(CaretPoint());
}
