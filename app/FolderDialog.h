#pragma once
// The folder browser: shows a folder chooser and remembers the chosen folder.
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <string>

namespace sarvane::app {

inline constexpr const char* kDefaultFolderDialogTitle = "フォルダーの選択";

class TFolderDialog : public QObject {
  Q_OBJECT

 public:
  explicit TFolderDialog(QWidget* owner);

  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& value) { title_ = value; }
  // The folder of the last successful Execute (a local path, without a
  // trailing "/"), preselected by the next Execute when it still exists.
  const std::string& Directory() const { return directory_; }
  void SetDirectory(const std::string& value) { directory_ = value; }

  // True when the user chose a folder; false on cancel, Directory unchanged.
  bool Execute();

 private:
  QPointer<QWidget> owner_;
  std::string title_ = kDefaultFolderDialogTitle;
  std::string directory_;
};

}  // namespace sarvane::app
