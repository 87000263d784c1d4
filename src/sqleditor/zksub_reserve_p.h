#pragma once

// The default reserved words in the order they are appended, repeats
// included; the data lives in the generated zksub_reservelist.cpp.
constexpr int DefaultReserveWordCount = 1333;
extern const char *const DefaultReserveWords[DefaultReserveWordCount];
