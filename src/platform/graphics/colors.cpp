#include "platform/graphics/colors.h"

#include "platform/rtl/exceptions.h"

#include <QGuiApplication>
#include <QPalette>

namespace {

// Classic values, for system colours when no desktop palette exists.
TColor defaultSystemColor(int index)
{
    switch (index) {
    case 5: return RGBColor(255, 255, 255);  // window
    case 8: return RGBColor(0, 0, 0);        // window text
    case 13: return RGBColor(0, 120, 215);   // highlight
    case 14: return RGBColor(255, 255, 255); // highlight text
    case 15: return RGBColor(240, 240, 240); // button face
    case 16: return RGBColor(160, 160, 160); // button shadow
    case 17: return RGBColor(109, 109, 109); // grey text
    case 18: return RGBColor(0, 0, 0);       // button text
    case 20: return RGBColor(255, 255, 255); // button highlight
    default: return -1;
    }
}

bool paletteRole(int index, QPalette::ColorRole *role, QPalette::ColorGroup *group)
{
    *group = QPalette::Active;
    switch (index) {
    case 5: *role = QPalette::Base; return true;
    case 8: *role = QPalette::Text; return true;
    case 13: *role = QPalette::Highlight; return true;
    case 14: *role = QPalette::HighlightedText; return true;
    case 15: *role = QPalette::Button; return true;
    case 16: *role = QPalette::Mid; return true;
    case 17:
        *role = QPalette::Text;
        *group = QPalette::Disabled;
        return true;
    case 18: *role = QPalette::ButtonText; return true;
    case 20: *role = QPalette::Light; return true;
    default: return false;
    }
}

// The plain value of a colour, or -1 for a system colour that does not exist.
TColor resolve(TColor color)
{
    if (!IsSystemColor(color))
        return TColor(quint32(color) & 0xFFFFFFu);
    const int index = int(quint32(color) & 0xFFu);
    QPalette::ColorRole role;
    QPalette::ColorGroup group;
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()) && paletteRole(index, &role, &group))
        return QColorToColor(QGuiApplication::palette().color(group, role));
    return defaultSystemColor(index);
}

} // namespace

TColor ColorToRGB(TColor color)
{
    const TColor rgb = resolve(color);
    if (rgb < 0)
        throw EArgumentException(QStringLiteral("色の値 %1 は無効です。").arg(quint32(color), 8, 16, QLatin1Char('0')));
    return rgb;
}

QColor ColorToQColor(TColor color)
{
    if (color == clNone)
        return QColor();
    TColor rgb = resolve(color);
    if (rgb < 0) // a system colour that does not exist paints as the window
        rgb = resolve(clWindow);
    return QColor(int(rgb & 0xFF), int(rgb >> 8 & 0xFF), int(rgb >> 16 & 0xFF));
}

TColor QColorToColor(const QColor &color)
{
    if (!color.isValid())
        return clNone;
    return RGBColor(color.red(), color.green(), color.blue());
}
