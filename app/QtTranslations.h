#pragma once
// Qt's own texts (the buttons and labels of its standard dialogs) in
// Japanese, as the rest of the window is, whatever the system's language.
#include <QTranslator>

#include <memory>

namespace sarvane::app {

// Loads Qt's Japanese translations and installs them in the application.
// They stay in force while the returned translator lives; nullptr when the
// translations are not installed on this machine (Debian package
// qt6-translations-l10n), in which case Qt's texts stay English.
std::unique_ptr<QTranslator> InstallQtTranslations();

}  // namespace sarvane::app
