#include "app/FolderDialog.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

namespace sarvane::app {

TFolderDialog::TFolderDialog(QWidget* owner) : QObject(owner), owner_(owner) {}

bool TFolderDialog::Execute() {
  QFileDialog dialog(owner_ ? owner_->window() : nullptr, QString::fromStdString(title_));
  dialog.setObjectName("FolderDialog");
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly, true);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  QString preselect = QFile::decodeName(QByteArray::fromStdString(directory_));
  if (!preselect.isEmpty() && QFileInfo(preselect).isDir()) dialog.setDirectory(preselect);
  if (dialog.exec() != QDialog::Accepted) return false;
  QStringList chosen = dialog.selectedFiles();
  if (!chosen.isEmpty() && !chosen.first().isEmpty())
    directory_ = QFile::encodeName(QDir::cleanPath(chosen.first())).toStdString();
  return true;
}

}  // namespace sarvane::app
