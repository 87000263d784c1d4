#pragma once

// The settings records. Each record has one global instance, named after its
// type without the leading T, filled by LoadSettings at start-up and written
// back by SaveSettings at exit.

// The SQL formatter's options (key FORMAT).
struct TFormatOption
{
    int Indent = 4;       // indentation width in characters
    int ItemReturn = 0;   // 0 one list item per line, 1 none
    int ReservePos = 0;   // keywords: 0 aligned right, 1 aligned left
    int CommaPos = 0;     // commas: 0 at the start of a line, 1 at its end
    int AndPos = 0;       // AND/OR: 0 at the start of a line, 1 at its end
    int ReserveTrans = 0; // keywords: 0 upper, 1 lower, 2 unchanged
    int ItemTrans = 0;    // other words: 0 upper, 1 lower, 2 unchanged
};
extern TFormatOption FormatOption;
