#pragma once

#include <QString>

// The reversible scrambler for passwords kept in the settings store. It uses
// no key: the symbol table is its only fixed data, so a stored password can
// only be read with the table that wrote it.
//
// A text of n UTF-8 bytes (padded with zero bytes to at least 64) becomes
// 2n + 4 table symbols: a random symbol, the high nibbles of the bytes from
// the last to the first, the key symbol (exactly at half the length), a
// random symbol, the low nibbles from the first byte to the last, and a
// random symbol. Every nibble is shifted by the key and its position.

// The scrambled form of text; differs from call to call. Empty for an empty
// text.
QString ScrambleText(const QString &text);

// The text back from a scrambled form; empty for an empty input. A text that
// was never scrambled yields some text without failing.
QString UnscrambleText(const QString &stored);

// As UnscrambleText, but only for a value that is a scrambled text: an even
// length of at least 132, every symbol from the table, bytes that decode as
// UTF-8. Returns false (text untouched) for anything else.
bool TryUnscrambleText(const QString &stored, QString &text);
