#include "editorcontrol/edgraphics.h"

#include <QGuiApplication>
#include <QPalette>

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
