#pragma once

#include "editorcontrol/MECSUtils.h"

// The generated Unicode 5.1.0 range tables (MECSUtils_tables.cpp).
namespace MECSTables {

struct WidthRange
{
    char32_t First;
    char32_t Last;
    TEastAsianWidth Class;
};

struct CodeRange
{
    char32_t First;
    char32_t Last;
};

extern const WidthRange WidthRanges[];
extern const int WidthRangeCount;
extern const CodeRange CombiningRanges[];
extern const int CombiningRangeCount;

} // namespace MECSTables
