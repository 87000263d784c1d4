#pragma once

#include <QString>

#include <functional>

// Runs a command line and hands its output over line by line while it runs.
//
// The command line is split into program and arguments as QProcess does
// (blanks separate, double quotes group, a quote may sit inside a word), so
// `"/a b/"file` is the one argument /a b/file. The process gets no standard
// input. Its standard output and standard error are read as they arrive,
// output first, into one pending text, decoded with the locale's encoding
// (UTF-8 here). Every line ended by LF or CR LF goes to `onLine` without its
// line end; a last line without a line end follows when the process has
// ended, so a tool's final message is never lost.
//
// The calling thread waits in a local event loop that repaints but takes no
// user input. Returns false when the process could not be started.
bool RunCommandLines(const QString &commandLine, const std::function<void(const QString &)> &onLine);
