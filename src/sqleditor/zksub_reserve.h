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

// The user's reserved-word list in the settings store: one value per word
// under the key RESERVE, the word as the value name. Loading replaces
// ReserveWords with the stored names, falls back to the default list when the
// key holds none, and sorts it without regard to case in the user's locale
// order. Saving rewrites the key from ReserveWords. Both raise
// ERegistryException when the key cannot be opened.
void LoadReserveWordSettings();
void SaveReserveWordSettings();
// Hands the two to LoadSettings and SaveSettings (their RESERVE section).
// The program calls it once at start-up, before LoadSettings.
void RegisterReserveWordSettings();
