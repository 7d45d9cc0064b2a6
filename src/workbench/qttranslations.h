// Qt's own texts (the file, print and print preview dialogs, the standard
// buttons of Qt's dialogs) in the user's language, so they match the
// program's German texts. Debian installs them with qt6-translations-l10n.
#pragma once

class QLocale;

namespace obd {

// Installs Qt's translations for locale from Qt's translations folder; false
// when there are none for its language (Qt's own English texts stay).
bool InstallQtTranslations(const QLocale& locale);

} // namespace obd
