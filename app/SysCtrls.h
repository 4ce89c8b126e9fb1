#pragma once
// Keeps the tool to one running copy per user. The first copy holds a lock
// file in the user's runtime folder for its whole life and listens on a local
// socket; a later copy finds the lock taken, asks the first copy through the
// socket to come to the front, and ends before it builds its window.
//
// Also home of the application-wide pieces the window and the components
// share: the default exception report and the request to end the program.
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <exception>
#include <functional>
#include <string>

#include "platform/Exception.h"

class QLocalServer;

namespace sarvane::app {

// More than one TSingleInstance in one process.
class EMultiSingleInstance : public Exception {
 public:
  using Exception::Exception;
};

// A second copy with DupInstAction diException.
class EMultiAppInstance : public Exception {
 public:
  using Exception::Exception;
};

enum TDupInstAction { diActivateFirst, diException, diTerminate };

inline constexpr const char* kMultiSingleInstanceMessage = "Only single component allowed";
inline constexpr const char* kDefaultDupErrorMessage = "すでに起動されています";

// The application's default exception report: a message box showing the
// exception's message. Tests (and a terminal front end) may replace how the
// message reaches the user; an empty function restores the message box.
void ShowException(const std::exception& e);
void ShowExceptionMessage(const std::string& message);
void SetExceptionReporter(std::function<void(const std::string&)> reporter);

// Asks the application to end: the request is remembered (so code that runs
// before the event loop can see it) and a quit is queued for the loop.
void TerminateApplication();
bool ApplicationTerminated();
// Forgets an earlier request (tests that run several copies in one process).
void ResetApplicationTerminated();

class TSingleInstance : public QObject {
  Q_OBJECT

 public:
  // owner: the window brought to the front when a later copy asks for it.
  // Throws EMultiSingleInstance when another TSingleInstance exists.
  explicit TSingleInstance(QWidget* owner);
  ~TSingleInstance() override;

  TDupInstAction DupInstAction() const { return dupInstAction_; }
  void SetDupInstAction(TDupInstAction value) { dupInstAction_ = value; }
  const std::string& ErrorMessage() const { return errorMessage_; }
  void SetErrorMessage(const std::string& value) { errorMessage_ = value; }
  const std::string& UniqueName() const { return uniqueName_; }
  void SetUniqueName(const std::string& value) { uniqueName_ = value; }

  // A later copy started to open a file (an absolute path) hands it to the
  // first copy along with the request to come to the front.
  void SetFileToOpen(const std::string& path) { fileToOpen_ = path; }

  // Fired in a later copy before it acts on DupInstAction.
  std::function<void(QObject* Sender)> OnDuplicate;

  // The owner has finished loading: decide whether this is the first copy.
  // In a later copy this fires OnDuplicate and then, by DupInstAction, asks
  // the first copy to come to the front and ends the application, raises
  // EMultiAppInstance, or only ends the application.
  void Loaded();

  // True once Loaded() found this process to be the first copy.
  bool IsFirstInstance() const { return lockFd_ >= 0; }
  // True once Loaded() found another copy running.
  bool IsDuplicate() const { return duplicate_; }

  // Where the lock file and the socket of a unique name live.
  static std::string LockPath(const std::string& uniqueName);
  static std::string ServerPath(const std::string& uniqueName);

 signals:
  // The first copy was asked by a later one to come to the front.
  void ActivationRequested();
  // ... and to open this file (after ActivationRequested).
  void OpenRequested(const QString& path);

 private:
  void StartServer();
  void OnNewConnection();
  void BringOwnerToFront();
  // Later copy: tells the first copy to come to the front. False when no
  // first copy answered in time.
  bool AskFirstToActivate();

  QPointer<QWidget> owner_;
  TDupInstAction dupInstAction_ = diActivateFirst;
  std::string errorMessage_ = kDefaultDupErrorMessage;
  std::string uniqueName_;
  std::string fileToOpen_;
  int lockFd_ = -1;
  bool duplicate_ = false;
  QLocalServer* server_ = nullptr;
};

}  // namespace sarvane::app
