#pragma once

#include <string>

class QCoreApplication;

namespace kelvara {

// Puts the program's dialog templates and Qt's own texts (the edit fields' menu, standard
// buttons) into the language InitTranslations chose: our catalogue answers for the templates
// (the form's class is the context), Qt's installed translations for the rest. `localeDir` as for
// InitTranslations, which this calls. Returns the catalogue's language, empty for English.
std::string InstallTranslators(QCoreApplication& application, const std::string& localeDir = {});

} // namespace kelvara
