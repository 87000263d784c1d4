#include "editorcontrol/edgraphics.h"

#include <QGuiApplication>
#include <QPalette>

QColor ColorToQColor(TColor Color)
{
    if (Color == clNone)
        return QColor();
    if (IsSystemColor(Color)) {
        const QPalette palette = QGuiApplication::palette();
        switch (quint32(Color) & 0xFF) {
        case 5:
            return palette.color(QPalette::Base);
        case 8:
            return palette.color(QPalette::Text);
        default:
            return palette.color(QPalette::Window);
        }
    }
    const quint32 v = quint32(Color);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

TColor QColorToColor(const QColor &Color)
{
    if (!Color.isValid())
        return clNone;
    return TColor(quint32(Color.red()) | (quint32(Color.green()) << 8) | (quint32(Color.blue()) << 16));
}

TFontStyles TFont::Style() const
{
    TFontStyles s = 0;
    if (bold())
        s |= fsBold;
    if (italic())
        s |= fsItalic;
    if (underline())
        s |= fsUnderline;
    if (strikeOut())
        s |= fsStrikeOut;
    return s;
}

void TFont::SetStyle(TFontStyles Value)
{
    setBold(Value & fsBold);
    setItalic(Value & fsItalic);
    setUnderline(Value & fsUnderline);
    setStrikeOut(Value & fsStrikeOut);
}

QDataStream &operator<<(QDataStream &Stream, const TFont &Font)
{
    return Stream << static_cast<const QFont &>(Font) << qint32(Font.Color());
}

QDataStream &operator>>(QDataStream &Stream, TFont &Font)
{
    QFont font;
    qint32 color = clWindowText;
    Stream >> font >> color;
    Font = TFont(font, color);
    return Stream;
}
