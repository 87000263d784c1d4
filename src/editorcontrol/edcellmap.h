#pragma once

#include "editorcontrol/edrowattrs.h"

#include <QString>
#include <QStringView>

#include <bitset>

// The cell map of a row and every conversion between cells (columns),
// characters (UTF-16 units of a row), character offsets in the text, rows,
// logical lines and client points. Nothing here changes the text.
//
// Cell codes, one per cell:
//   '1' an ordinary character      '2' a delimiter (a code up to 255 in the
//   '3' a tab's filler cell            delimiter set; also the second cell of
//   '4' first half of a wide char      a narrow character outside the BMP)
//   '5' second half of a wide char
// Every UTF-16 unit is a character: a code point above U+FFFF gets a cell
// group per unit ("45" "45" when wide, "1" "2" when narrow). A unit that is
// half of no pair takes one cell, so cells and characters always agree.

using TCharSet = std::bitset<256>;

// Codes 0..47, 58..64, 91..94, 96, 123..128, 160..165 and 253..255.
TCharSet DefaultDelimiters();

// What the cell map depends on: the editor's tab width, delimiters and
// ambiguous-width rule, and the row list's word wrap.
struct TCellMapOptions
{
    int TabSpaceCount = 8;
    TCharSet Delimiters = DefaultDelimiters();
    bool AmbiguousWide = false;
    bool WordWrap = false;
    int WrapByte = 80;

    // Cells after which the map ends: 10000, or WrapByte + 3 with word wrap.
    int Limit() const { return WordWrap ? WrapByte + 3 : 10000; }
};

// The options with the ambiguous-width rule of this machine (DefaultAmbiguousWide).
TCellMapOptions DefaultCellMapOptions();

// Cells a code point takes: 2 when wide, else 1.
int CodePointCells(char32_t CodePoint, bool AmbiguousWide);

QString CellMap(QStringView Text, const TCellMapOptions &Options);
// As CellMap, into a buffer the caller keeps (no allocation once it is large enough).
void CellMapInto(QStringView Text, const TCellMapOptions &Options, QString &Map);
// Number of cells of S: the length of its cell map (built without allocating).
int ExpandTabLength(QStringView S, const TCellMapOptions &Options);
// S with each tab replaced by ESC characters up to its tab stop, for drawing;
// characters are measured as the cell map measures them.
QString ExpandTab(QStringView S, const TCellMapOptions &Options);
// Width in cells of the leading blanks (spaces, tabs, ideographic spaces of
// two cells); -1 for an empty S.
int IndentWidth(QStringView S, const TCellMapOptions &Options);
// S is one printable ASCII character or one half-width katakana or mark (U+FF61..U+FF9F).
bool IsHalfWidthChar(QStringView S);

// Conversions on one cell map; columns count from 0.
// Cells before column Col that start no character ('3' up to Col, '4' before it).
int NonStartCellsBefore(QStringView Map, int Col);
// Index of the character at column Col (past the map: one character per missing cell).
int CharIndexOfCol(QStringView Map, int Col);
// The first character at or right of Col (a box's left edge, an insertion column).
int FirstCharAtOrRightOfCol(QStringView Map, int Col);
// The character covering Col (a box's right edge).
int CharCoveringCol(QStringView Map, int Col);
// The column where character Index starts (past the map: one cell per missing character).
int ColOfCharIndex(QStringView Map, int Index);

// Rows of a list, with neutral values outside it.
QString RowTextAt(const TRowAttributeStringList &Rows, int Index);
TRowAttribute RowAttrAt(const TRowAttributeStringList &Rows, int Index); // raEof outside
int RowCellCount(const TRowAttributeStringList &Rows, const TCellMapOptions &Options, int Index);
QString ExpandedRow(const TRowAttributeStringList &Rows, const TCellMapOptions &Options, int Index);

struct TEditorStrInfo
{
    int Line = -1;
    int CharIndex = -1;
    bool operator==(const TEditorStrInfo &) const = default;
};

struct TRowCol
{
    int Row = 0;
    int Col = 0;
    bool operator==(const TRowCol &) const = default;
};

// Index in its logical line of the character at cell (ARow, ACol); -1 for a
// negative row or column or a row past the end-of-text row.
int ColToChar(const TRowAttributeStringList &Rows, const TCellMapOptions &Options, int ARow, int ACol);
// Logical line of a screen row: the row itself without word wrap, else the
// number of raCrlf rows before it.
int RowToLines(const TRowAttributeStringList &Rows, bool WordWrap, int Index);
// Character offset of cell (ARow, ACol) from the start of StartRow: rows
// count their length plus 2 (raCrlf), 1 (raEof) or 0 (raWrapped).
int RowColToIndex(const TRowAttributeStringList &Rows, const TCellMapOptions &Options, int StartRow, int ARow,
                  int ACol);
// The caret position of a character offset from the start of StartRow; an
// offset past the text gives the end-of-text row.
TRowCol RowColFromIndex(const TRowAttributeStringList &Rows, const TCellMapOptions &Options, int StartRow, int Index);
// The rows' texts, each followed by CR LF when it ends a line.
QString JoinRows(const TRowAttributeStringList &List);

// Where the text area lies in the client and how far it is scrolled.
struct TEditorGeometry
{
    int LeftMargin = 0;
    int TopMargin = 0;
    int FontWidth = 12;
    int RowHeight = 12;
    int TopRow = 0;
    int TopCol = 0;
};

// Client point to row and column; with Split a point in a cell's right half
// gives the next column. A point left of the text area maps left of TopCol.
TRowCol PosToRowCol(const TEditorGeometry &Geometry, int X, int Y, bool Split);
// Screen row and index in that row of the character under a point; false
// (with Line set when the row exists) when no character is there.
bool PosToStrInfo(const TRowAttributeStringList &Rows, const TCellMapOptions &Options, const TEditorGeometry &Geometry,
                  int X, int Y, TEditorStrInfo &Info);
// Logical line and index in it of the character under a point; (-1, -1) outside.
TEditorStrInfo StrInfoFromPos(const TRowAttributeStringList &Rows, const TCellMapOptions &Options,
                              const TEditorGeometry &Geometry, int X, int Y);
// Offset from the top of the text (CR LF counts 2, a wrap 0) of the character
// under a point; -1 when there is none.
int CharFromPos(const TRowAttributeStringList &Rows, const TCellMapOptions &Options, const TEditorGeometry &Geometry,
                int X, int Y);
