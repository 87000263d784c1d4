#pragma once

#include "editorcontrol/edprops.h"
#include "editorcontrol/sqlscheme.h"

// The settings the program gives its editors on a fresh start (word wrap
// off), with a few SQL words for colouring.
inline void ProgramEditorSettings(TEditorProp &prop)
{
    TFont font;
    font.setFamily(QStringLiteral("ＭＳ ゴシック"));
    font.setPointSize(10);
    font.SetColor(clBlack);
    prop.SetFont(font);
    prop.SetColor(clWhite);
    prop.Margin()->SetTop(2);
    prop.Margin()->SetLeft(2);
    prop.Margin()->SetCharacter(1);
    prop.Leftbar()->SetVisible(true);
    prop.Leftbar()->SetColor(clBlack);
    prop.Leftbar()->SetBkColor(0xE6E6E6);
    prop.Leftbar()->SetShowNumberMode(nmLine);
    prop.Leftbar()->SetLeftMargin(2);
    prop.Leftbar()->SetRightMargin(4);
    prop.Ruler()->SetVisible(true);
    prop.Ruler()->SetColor(clBlack);
    prop.Ruler()->SetBkColor(0xE6E6E6);
    prop.Ruler()->SetMarkColor(0x800080);
    prop.Imagebar()->SetVisible(true);
    prop.Caret()->SetSoftTab(true);
    prop.Caret()->SetTabSpaceCount(4);
    prop.Caret()->SetNextLine(true);
    prop.Caret()->SetFreeCaret(false);
    TEditorMarks *marks = prop.Marks();
    marks->EofMark()->SetColor(0x808000);
    marks->EofMark()->SetVisible(true);
    marks->RetMark()->SetColor(0x808000);
    marks->RetMark()->SetVisible(true);
    marks->WrapMark()->SetColor(0x808000);
    marks->WrapMark()->SetVisible(true);
    marks->Underline()->SetColor(0x800080);
    marks->Underline()->SetVisible(true);
    marks->TabMark()->SetColor(0xC0C0C0);
    marks->TabMark()->SetVisible(true);
    marks->SpaceMark()->SetColor(0xC0C0C0);
    marks->SpaceMark()->SetVisible(true);
    TEditorFountain *f = prop.View()->EditorFountain();
    configureForSql(*f, {QStringLiteral("SELECT"), QStringLiteral("FROM"), QStringLiteral("WHERE"),
                         QStringLiteral("AND"), QStringLiteral("ORDER"), QStringLiteral("BY"), QStringLiteral("INSERT"),
                         QStringLiteral("INTO"), QStringLiteral("VALUES"), QStringLiteral("AS"), QStringLiteral("N")});
    TEditorColors *colors = f->Colors();
    colors->Comment()->SetColor(0x008000);
    colors->Str()->SetColor(0x0000FF);
    colors->Symbol()->SetColor(0x0063C6);
    colors->Int()->SetColor(0xFF0000);
    f->Reserve()->SetColor(0x800000);
    f->Reserve()->SetStyle(fsBold);
    colors->Hit()->SetColor(0x000000);
    colors->Hit()->SetBkColor(0x00FFFF);
    colors->Select()->SetColor(0xFFFFFF);
    colors->Select()->SetBkColor(0x800000);
    f->Brackets()->GetBracketItem(0)->ItemColor()->SetColor(0x008000);
}
