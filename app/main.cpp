// Sarvane: locks PDF files. One window; a second start brings the running
// copy to the front and ends.
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include "app/QtTranslations.h"
#include "app/Unit1.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(sarvane::app::kApplicationTitle);
  QApplication::setApplicationDisplayName(sarvane::app::kApplicationTitle);
  QApplication::setDesktopFileName("sarvane");
  const auto qtTexts = sarvane::app::InstallQtTranslations();

  // "sarvane FILE.pdf" (a file manager's "open with"): the path is made
  // absolute, for a copy already running has another current folder.
  const QStringList args = QApplication::arguments();
  if (args.size() > 1 && !args[1].startsWith('-')) {
    sarvane::app::TForm1::SetFileToOpen(QFile::encodeName(QFileInfo(args[1]).absoluteFilePath()).toStdString());
  }
  sarvane::app::TForm1 form;
  if (form.Terminated()) return 0;
  form.show();
  return app.exec();
}
