#pragma once

#include <QKeySequence>
#include <QString>

class QKeyEvent;

// Keyboard shortcuts in the three forms the program meets them in:
// - the shortcut word of the stored settings: the key's virtual-key code in
//   the low byte, plus scShift, scCtrl and scAlt; 0 is no key;
// - the text the settings store ("Ctrl+S", "Shift+Ctrl+I", "Del", "BkSp",
//   "Ctrl+-"): modifiers in the order Shift, Ctrl, Alt, then the key's name;
//   settings files travel to and from Windows, so this is never Qt's own text;
// - QKeySequence, which the actions carry.
// Punctuation keys are named by their character on a Japanese (JIS) keyboard,
// as the stored texts come from Japanese Windows.
using TShortCut = quint16;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;

// The stored text of a word; empty for 0 and for a key without a name.
QString ShortCutWordToText(TShortCut ShortCut);
// A stored text as a word. Names and modifiers are read without regard to
// case, in any modifier order ("^" before a key is Ctrl); a text that names
// no key gives 0.
TShortCut TextToShortCutWord(const QString &Text);

// The word of a key sequence's first key and back; keys the settings cannot
// store give 0, and 0 the empty sequence.
TShortCut KeyToShortCutWord(const QKeySequence &Key);
QKeySequence ShortCutWordToKey(TShortCut ShortCut);

// The word of a pressed key. A character that takes Shift on a JIS keyboard
// ("!" is Shift+1) gives the key it is typed with, plus Shift. Modifier keys
// alone give 0.
TShortCut KeyEventToShortCutWord(const QKeyEvent *Event);

// A key as the shortcut settings store it, and back: a text that names no
// key gives none.
QString ShortCutToText(const QKeySequence &Key);
QKeySequence TextToShortCut(const QString &Text);
