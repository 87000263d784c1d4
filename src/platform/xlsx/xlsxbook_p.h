#pragma once

// The rename that puts a saved workbook in place; tests replace it to make
// the last step of a save fail.
namespace xlsxbook_detail {
using RenameFunction = int (*)(const char *from, const char *to);
extern RenameFunction renameFile;
} // namespace xlsxbook_detail
