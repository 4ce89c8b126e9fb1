#include "app/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

namespace sarvane::app {

std::unique_ptr<QTranslator> InstallQtTranslations() {
  auto translator = std::make_unique<QTranslator>();
  // "qt" covers qtbase, which holds the dialogs' texts.
  if (!translator->load(QLocale(QLocale::Japanese, QLocale::Japan), "qt", "_",
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    return nullptr;
  }
  QCoreApplication::installTranslator(translator.get());
  return translator;
}

}  // namespace sarvane::app
