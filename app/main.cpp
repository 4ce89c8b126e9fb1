// Sarvane: locks PDF files. One window; a second start brings the running
// copy to the front and ends.
#include <QApplication>

#include "app/QtTranslations.h"
#include "app/Unit1.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(sarvane::app::kApplicationTitle);
  QApplication::setApplicationDisplayName(sarvane::app::kApplicationTitle);
  QApplication::setDesktopFileName("sarvane");
  const auto qtTexts = sarvane::app::InstallQtTranslations();

  sarvane::app::TForm1 form;
  if (form.Terminated()) return 0;
  form.show();
  return app.exec();
}
