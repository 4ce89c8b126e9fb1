#pragma once
// What the lock job needs from its surroundings. The main window implements
// it with Qt; sarvane-cli implements it on the terminal. The job itself never
// touches a user interface toolkit.
#include <exception>
#include <string>

namespace sarvane::app {

class ILockJobHost {
 public:
  virtual ~ILockJobHost() = default;
  // The status line: the input's file name followed by a fixed suffix.
  virtual void ShowStatus(const std::string& text) = 0;
  // An error message box with one OK button; returns when it is dismissed.
  virtual void ShowErrorMessage(const std::string& text) = 0;
  // Lets the user interface repaint at the job's status points. Must not let
  // user input re-enter the job.
  virtual void ProcessMessages() = 0;
  // The output folder's file list changed.
  virtual void RefreshOutputList() = 0;
  // An exception that no step handles: shown the way the application's
  // default exception report shows it (its message in a message box).
  virtual void ReportException(const std::exception& e) = 0;
};

}  // namespace sarvane::app
