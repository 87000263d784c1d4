#pragma once

#include <QStringList>
#include <QStringView>

// Appends the 1,333 default reserved words (keywords, built-in function and
// global-variable names, system procedure names) to List in their fixed
// order, repeats included. List is neither cleared nor sorted.
void LoadReserveWords(QStringList &List);

// True when Word is one of the default reserved words, compared without
// regard to letter case. One sorted table built once serves every call.
bool IsDefaultReserveWord(QStringView Word);
