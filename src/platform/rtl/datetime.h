#pragma once

#include <QDateTime>

// A date-time as the stored settings keep it: days since 1899-12-30 with the
// time of day as the fraction.
using TDateTime = double;

QDateTime DateTimeFromTDateTime(TDateTime value);
TDateTime TDateTimeFromDateTime(const QDateTime &value);
