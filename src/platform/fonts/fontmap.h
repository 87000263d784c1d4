#pragma once

#include <QString>
#include <QStringList>

// The Windows font names that settings and window layouts store ("ＭＳ ゴシック",
// "FixedSys", ...) stand for these faces here. Stored texts keep the Windows
// names; Qt resolves them through the substitutions installed at start-up.
namespace FontMap {
void install();
// The face a stored font name is drawn with (the name itself when it has no
// substitute).
QString substitute(const QString &windowsName);
bool isFixedPitchName(const QString &windowsName);
// The installed families and the Windows names whose faces are installed.
QStringList families();
} // namespace FontMap
