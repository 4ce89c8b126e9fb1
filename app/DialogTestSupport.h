#pragma once
// Driving the tool's modal file dialogs from a window test. A modal dialog
// runs its own event loop, so the test acts on it from a timer; the helper
// makes sure a test can never wait forever on one.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QTreeView>
#include <QTimer>

#include <functional>
#include <memory>

namespace sarvane::app::testing {

// Chooses path (absolute) in a file or folder dialog and accepts it, as a
// user typing the path would. Selecting through the dialog's views instead
// races the dialog's own loading of the folder, which runs on a thread.
inline void ChooseInDialog(QFileDialog* dialog, const QString& path) {
  for (auto* view : dialog->findChildren<QAbstractItemView*>()) {
    if (view->selectionModel()) view->selectionModel()->clear();
  }
  auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
  ASSERT_NE(name, nullptr) << "the dialog has no file name field";
  name->setText(path);
  static_cast<QDialog*>(dialog)->accept();
}

// Runs act once on the next file dialog that comes up. The watch ends when
// that dialog finishes (synchronously, so a dialog object shown again later
// is left to the next call). When no dialog came up and finished within
// giveUpMs - act did not close it, or a "file not found" box came up over
// it - the test fails and every modal dialog still up is rejected.
inline void WhenDialogShows(std::function<void(QFileDialog*)> act, int giveUpMs = 10000) {
  struct State {
    QElapsedTimer clock;
    bool acted = false;
    bool failed = false;
  };
  auto state = std::make_shared<State>();
  state->clock.start();
  auto* timer = new QTimer;
  timer->setInterval(20);
  auto finish = [timer] {
    timer->stop();
    timer->deleteLater();
  };
  QObject::connect(timer, &QTimer::timeout, [timer, state, act, giveUpMs, finish] {
    QWidget* modal = QApplication::activeModalWidget();
    if (state->clock.elapsed() > giveUpMs) {
      if (!state->failed) {
        state->failed = true;
        ADD_FAILURE() << "the file dialog was not handled within " << giveUpMs << " ms";
      }
      if (auto* dialog = qobject_cast<QDialog*>(modal)) {
        dialog->reject();
      } else {
        finish();
      }
      return;
    }
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    if (state->acted || !dialog || !dialog->isVisible()) return;
    state->acted = true;
    // The timer as context: a dialog object shown again after this watch
    // ended must not reach it.
    QObject::connect(dialog, &QDialog::finished, timer, finish);
    act(dialog);
  });
  timer->start();
}

}  // namespace sarvane::app::testing
