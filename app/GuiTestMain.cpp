// Runs the window tests inside one QApplication on the offscreen platform,
// with a runtime folder of their own so that the single-instance lock never
// meets a running copy of the tool or a parallel test process.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QByteArray>

#include <filesystem>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  char runtimeDir[] = "/tmp/sarvane-gui-test-XXXXXX";
  if (mkdtemp(runtimeDir)) qputenv("XDG_RUNTIME_DIR", runtimeDir);
  QApplication app(argc, argv);
  QApplication::setApplicationName("Sarvane");
  // Tests close windows one after another; that must not end the event loops
  // that later tests wait in.
  QApplication::setQuitOnLastWindowClosed(false);
  ::testing::InitGoogleTest(&argc, argv);
  int rc = RUN_ALL_TESTS();
  std::error_code ec;
  std::filesystem::remove_all(runtimeDir, ec);
  return rc;
}
