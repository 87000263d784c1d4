#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

// What a test needs to read back of an .xlsx file: the zip's entries and the
// cells of a sheet.

// Every entry of a zip archive by name, inflated; empty when the file is
// not a readable zip.
QMap<QString, QByteArray> ReadZipEntries(const QString &path);

// The cells of sheet `sheet` (from 1) as rows of texts, numbers in their
// written form; missing cells and rows are empty, each row as long as the
// sheet's widest. Shared and inline strings are both resolved.
QList<QStringList> ReadXlsxCells(const QString &path, int sheet = 1);
