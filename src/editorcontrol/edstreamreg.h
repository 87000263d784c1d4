#pragma once

#include "platform/registry/registry.h"

#include <QIODevice>
#include <QString>
#include <QStringList>

// A stream kept as hexadecimal text lines in an ini file, or as one binary
// value in the settings store.

// Bytes from the stream's position to its end as lines of 64 upper-case
// hexadecimal digits (32 bytes); the last line may be shorter.
void StreamToHexLines(QIODevice &Stream, QStringList &Lines);
// Each line's digit pairs as bytes (a pair that is not hexadecimal gives 0).
void HexLinesToStream(const QStringList &Lines, QIODevice &Stream);

// The lines go to the values Ident + "_d0", "_d1", ... of the section, their
// count to Ident + "_c"; lines left over from a longer earlier stream are
// deleted. Raises when the file cannot be written.
void WriteStreamToIni(QIODevice &Stream, const QString &IniFileName, const QString &Section, const QString &Ident);
void ReadStreamFromIni(QIODevice &Stream, const QString &IniFileName, const QString &Section, const QString &Ident);

// The stream as the binary value Name of the key Root\Key of the current user.
void WriteStreamToReg(QIODevice &Stream, const QString &Root, const QString &Key, const QString &Name);
// Appends the value's bytes at the stream's position; a missing value leaves
// the stream as it is.
void ReadStreamFromReg(QIODevice &Stream, const QString &Root, const QString &Key, const QString &Name);

// The registry class the stream routines open their keys with.
class TStreamReg : public TRegistry
{
public:
    TStreamReg();

    // Writes the stream from its position to its end as the binary value Name
    // of the current key.
    void WriteStream(const QString &Name, QIODevice &Stream);
    // Appends the binary value Name to the stream; false when it is missing.
    bool ReadStream(const QString &Name, QIODevice &Stream);
};
