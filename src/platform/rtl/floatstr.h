#pragma once

#include <QString>

// The general number form that windows show for costs, sizes, row estimates
// and percentages (data columns keep dbtext::FormatDouble):
//
//   at most `precision` significant digits, rounded to nearest, trailing
//   zeros dropped; plain from 0.00001 up to `precision` integer digits,
//   otherwise "d.dddE±n" without a plus sign or leading exponent zeros:
//
//   1000000 -> "1000000"   0.1234567 -> "0.1234567"   1e15 -> "1E15"
//   0.00001 -> "0.00001"   0.000001 -> "1E-6"         1/3 -> "0.333333333333333"
//
// The decimal point is a full stop. NaN and infinities read "NAN", "INF"
// and "-INF". A real (single) value reads best with precision 7: its double
// form carries digits the real never had.
QString FloatToStr(double value, int precision = 15);
