#include "core/zkoption.h"

TFormatOption FormatOption;
