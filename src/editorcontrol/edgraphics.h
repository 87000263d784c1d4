#pragma once

#include "platform/graphics/colors.h"

#include <QColor>
#include <QDataStream>
#include <QFont>
#include <QMetaType>

// Font styles, fonts and pointer shapes as the editor's settings keep them
// (colours: platform/graphics/colors.h).

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

    bool operator==(const TFont &Other) const { return m_color == Other.m_color && QFont::operator==(Other); }
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
