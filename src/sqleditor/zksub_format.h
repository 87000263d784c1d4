#pragma once

#include <QString>

// Lays out SQL text for reading: clause keywords start their lines in a
// column six characters wide, list items stand one per line, conditions
// break at AND and OR, block statements are indented, and letter case follows
// the options. Reads the global FormatOption. Changes nothing but blanks, line
// breaks and the letter case of words outside literals and comments; never
// throws.
QString FormatSqlText(const QString &SQLText);
