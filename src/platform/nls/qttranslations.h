#pragma once

class QCoreApplication;

// Installs Qt's own Japanese texts (standard buttons, the colour dialog, the
// context menu of text fields) on the application, whatever the system's
// language: the program speaks Japanese throughout. False when the
// translations are not installed (the texts then stay English).
bool InstallQtJapaneseTranslations(QCoreApplication &app);
