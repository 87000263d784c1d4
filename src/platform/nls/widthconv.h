#pragma once

#include <QString>

// Half-width and full-width forms of Japanese text, as the desktop's
// national-language mapping gives them.
//
// Full width: ASCII letters, digits and signs become their full-width forms
// (U+FF01..U+FF5E), the blank the ideographic space, half-width katakana and
// punctuation their full-width forms; a half-width kana followed by the
// half-width voiced or semi-voiced mark becomes one voiced kana (ｶﾞ → ガ,
// ﾊﾟ → パ, ｳﾞ → ヴ).
// Half width: the reverse; a voiced kana becomes two characters (ガ → ｶﾞ).
// Characters without a counterpart (kanji, hiragana, ヵ) stay as they are.
QString MapToFullWidth(const QString &text);
QString MapToHalfWidth(const QString &text);
