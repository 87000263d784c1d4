#pragma once

#include <QColor>
#include <QDataStream>
#include <QFont>
#include <QMetaType>

// Colours, font styles, fonts and pointer shapes as the editor's settings keep
// them. Colours are stored as 0x00BBGGRR values, the form the settings store
// holds, so a value read and written back is unchanged; painting converts
// them with ColorToQColor.

using TColor = qint32;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clWhite = 0xFFFFFF;
// No colour of its own: the element shows the editor's background or text colour.
constexpr TColor clNone = 0x1FFFFFFF;
// System colours (high byte 0xFF): resolved from the desktop's palette.
constexpr TColor clWindow = TColor(0xFF000005);
constexpr TColor clWindowText = TColor(0xFF000008);

constexpr bool IsSystemColor(TColor Color)
{
    return (quint32(Color) & 0xFF000000u) == 0xFF000000u;
}

// The colour to paint with; clNone gives an invalid QColor.
QColor ColorToQColor(TColor Color);
// A QColor as a stored colour value (alpha dropped).
TColor QColorToColor(const QColor &Color);

// Font style set.
enum TFontStyle : quint8 {
    fsBold = 1,
    fsItalic = 2,
    fsUnderline = 4,
    fsStrikeOut = 8,
};
using TFontStyles = quint8;

// A font with its text colour, as the editor's settings hold it.
class TFont : public QFont
{
public:
    TFont() = default;
    explicit TFont(const QFont &Font, TColor Color = clWindowText)
        : QFont(Font)
        , m_color(Color)
    {
    }

    TColor Color() const { return m_color; }
    void SetColor(TColor Value) { m_color = Value; }
    TFontStyles Style() const;
    void SetStyle(TFontStyles Value);

    bool operator==(const TFont &Other) const
    {
        return m_color == Other.m_color && QFont::operator==(Other);
    }
    bool operator!=(const TFont &Other) const { return !(*this == Other); }

private:
    TColor m_color = clWindowText;
};

QDataStream &operator<<(QDataStream &Stream, const TFont &Font);
QDataStream &operator>>(QDataStream &Stream, TFont &Font);
Q_DECLARE_METATYPE(TFont)

// Pointer shapes: the numbers of the standard shapes, and the two shapes the
// editor adds (a right-pointing arrow over its left bars, and the copy shape
// of a selection drag).
using TCursor = qint16;

constexpr TCursor crDefault = 0;
constexpr TCursor crArrow = -2;
constexpr TCursor crIBeam = -4;
constexpr TCursor crDrag = -12;
constexpr TCursor crRightArrow = 1;
constexpr TCursor crDragSelCopy = 2;
