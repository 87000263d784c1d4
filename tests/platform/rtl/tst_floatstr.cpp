#include "platform/rtl/floatstr.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

struct FloatCase
{
    const char *name;
    double value;
    int precision;
    const char *text;
};

TEST(FloatToStr, GeneralFormOfCostsSizesAndEstimates)
{
    const FloatCase cases[] = {
        {"zero", 0.0, 15, "0"},
        {"negative zero", -0.0, 15, "0"},
        {"integer, no exponent", 1000000, 15, "1000000"},
        {"fifteen integer digits stay plain", 999999999999999.0, 15, "999999999999999"},
        {"sixteen integer digits", 1e15, 15, "1E15"},
        {"rounding up to a new digit", 9999999999999999.0, 15, "1E16"},
        {"six decimals", 0.123457, 15, "0.123457"},
        {"sum with binary noise", 0.1 + 0.2, 15, "0.3"},
        {"fifteen significant digits", 1.0 / 3, 15, "0.333333333333333"},
        {"lower bound of plain", 0.00001, 15, "0.00001"},
        {"below it", 0.000001, 15, "1E-6"},
        {"mantissa with fraction", 1.5e-7, 15, "1.5E-7"},
        {"large with digits", 1.2345678901234567e20, 15, "1.23456789012346E20"},
        {"negative", -2.5, 15, "-2.5"},
        {"negative small", -0.000004, 15, "-4E-6"},
        {"percentage", 33.3, 15, "33.3"},
        {"hundred", 100, 15, "100"},
        {"a real read as double", double(0.1f), 7, "0.1"},
        {"a real of a million", double(1000000.0f), 7, "1000000"},
        {"a real beyond its digits", double(12345678.0f), 7, "1.234568E7"},
        {"not a number", std::numeric_limits<double>::quiet_NaN(), 15, "NAN"},
        {"infinity", std::numeric_limits<double>::infinity(), 15, "INF"},
        {"minus infinity", -std::numeric_limits<double>::infinity(), 15, "-INF"},
    };
    for (const FloatCase &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FloatToStr(c.value, c.precision).toStdString(), c.text);
    }
}

} // namespace
