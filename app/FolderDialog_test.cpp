#include "app/FolderDialog.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "app/DialogTestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

namespace sarvane::app {
using testing::ChooseInDialog;
using testing::WhenDialogShows;
namespace {


TEST(FolderDialog, ChooseCancelAndPreselect) {
  QTemporaryDir tmp;
  ASSERT_TRUE(tmp.isValid());
  QDir(tmp.path()).mkpath("first/inner");
  QWidget owner;
  TFolderDialog dialog(&owner);
  EXPECT_EQ(dialog.Title(), "フォルダーの選択");
  EXPECT_TRUE(dialog.Directory().empty());

  const std::string first = QDir(tmp.path()).filePath("first").toStdString();
  QString title;
  WhenDialogShows([&](QFileDialog* d) {
    title = d->windowTitle();
    ChooseInDialog(d, QString::fromStdString(first));
  });
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(title, "フォルダーの選択");
  EXPECT_EQ(dialog.Directory(), first);

  // The next dialog opens on the folder chosen before; cancelling keeps it.
  QString shown;
  WhenDialogShows([&](QFileDialog* d) {
    shown = d->directory().absolutePath();
    d->reject();
  });
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(shown.toStdString(), first);
  EXPECT_EQ(dialog.Directory(), first);

  // A remembered folder that vanished is not preselected.
  QDir(tmp.path()).rmpath("first/inner");
  WhenDialogShows([&](QFileDialog* d) {
    shown = d->directory().absolutePath();
    d->reject();
  });
  EXPECT_FALSE(dialog.Execute());
  EXPECT_NE(shown.toStdString(), first);
}

// A dialog the test fails to close ends the test with a failure, not a hang.
TEST(WhenDialogShows, GivesUpOnADialogLeftOpen) {
  EXPECT_NONFATAL_FAILURE(
      {
        QFileDialog dialog;
        WhenDialogShows([](QFileDialog*) {}, 300);
        dialog.exec();
      },
      "the file dialog was not handled within 300 ms");
}

}  // namespace
}  // namespace sarvane::app
