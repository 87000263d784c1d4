#pragma once

#include <QColor>

// Colours as the settings store and the connection registry keep them:
// 0x00BBGGRR values (red in the low byte), system colours with the high byte
// 0xFF and their palette index in the low byte, and clNone for "no colour".
// Painting converts them with ColorToQColor.
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
// No colour of its own: the element shows the plain background or text colour.
constexpr TColor clNone = 0x1FFFFFFF;

// System colours, resolved from the desktop's palette.
constexpr TColor clWindow = TColor(0xFF000005);
constexpr TColor clWindowText = TColor(0xFF000008);
constexpr TColor clHighlight = TColor(0xFF00000D);
constexpr TColor clHighlightText = TColor(0xFF00000E);
constexpr TColor clBtnFace = TColor(0xFF00000F);
constexpr TColor clBtnShadow = TColor(0xFF000010);
constexpr TColor clGrayText = TColor(0xFF000011);
constexpr TColor clBtnText = TColor(0xFF000012);
constexpr TColor clBtnHighlight = TColor(0xFF000014);

constexpr TColor RGBColor(int r, int g, int b)
{
    return TColor((r & 0xFF) | (g & 0xFF) << 8 | (b & 0xFF) << 16);
}

constexpr bool IsSystemColor(TColor color)
{
    return (quint32(color) & 0xFF000000u) == 0xFF000000u;
}

// The plain 0x00BBGGRR value of a colour (system colours resolved); raises
// EArgumentException for a system colour that does not exist.
TColor ColorToRGB(TColor color);
// The colour to paint with; clNone gives an invalid QColor.
QColor ColorToQColor(TColor color);
// A QColor as a stored colour value (alpha dropped; invalid gives clNone).
TColor QColorToColor(const QColor &color);
