#pragma once

#include "editorcontrol/EditorFountain.h"

// The scheme the program's editors colour SQL with: "--" comments, strings in
// single quotes, "/*" .. "*/" as the one bracket pair, and a word list.
inline void configureForSql(TEditorFountain &f,
                            const QStringList &words = {QStringLiteral("SELECT"), QStringLiteral("FROM"),
                                                        QStringLiteral("100")})
{
    f.SetCommenter(QStringLiteral("--"));
    f.SetQuotation(QStringLiteral("'"));
    f.SetDoubleQuotation(QStringLiteral("'"));
    TFountainBracketItem *pair = f.Brackets()->Add();
    pair->SetLeftBracket(QStringLiteral("/*"));
    pair->SetRightBracket(QStringLiteral("*/"));
    f.SetReserveWordList(words);
}
