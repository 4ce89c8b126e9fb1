#include "app/SysCtrls.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QLocalServer>
#include <QFile>
#include <QLocalSocket>
#include <QMessageBox>
#include <QStandardPaths>

#include <atomic>
#include <cerrno>

#include "platform/Random.h"

namespace sarvane::app {

namespace {

std::function<void(const std::string&)>& Reporter() {
  static std::function<void(const std::string&)> reporter;
  return reporter;
}

std::atomic<bool> terminateRequested{false};
int instanceCount = 0;

constexpr char kActivateRequest[] = "activate\n";
// "open " and the path percent-encoded (a file name may hold a line end).
constexpr char kOpenRequest[] = "open ";
// The longest request: an open request for the longest path.
constexpr qint64 kMaxRequest = 6 + 3 * 4096 + 1;
constexpr int kSocketTimeoutMs = 1000;

// A unique name becomes part of a file name: keep it to safe characters.
std::string SafeName(const std::string& name) {
  std::string out;
  for (unsigned char c : name) {
    bool safe = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                c == '_' || c == '.';
    out += safe ? static_cast<char>(c) : '_';
  }
  return out;
}

std::string RuntimeDir() {
  QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (dir.isEmpty()) dir = QDir::tempPath();
  QDir().mkpath(dir);
  return QFile::encodeName(dir).toStdString();
}

}  // namespace

void ShowExceptionMessage(const std::string& message) {
  if (Reporter()) {
    Reporter()(message);
    return;
  }
  QMessageBox box(QMessageBox::Critical, QCoreApplication::applicationName(), QString::fromStdString(message),
                  QMessageBox::Ok, QApplication::activeWindow());
  box.exec();
}

void ShowException(const std::exception& e) { ShowExceptionMessage(e.what()); }

void SetExceptionReporter(std::function<void(const std::string&)> reporter) { Reporter() = std::move(reporter); }

void TerminateApplication() {
  terminateRequested = true;
  if (QCoreApplication* app = QCoreApplication::instance())
    QMetaObject::invokeMethod(app, &QCoreApplication::quit, Qt::QueuedConnection);
}

bool ApplicationTerminated() { return terminateRequested; }

void ResetApplicationTerminated() { terminateRequested = false; }

TSingleInstance::TSingleInstance(QWidget* owner) : QObject(owner), owner_(owner) {
  if (++instanceCount > 1) {
    // No destructor runs for a constructor that throws: undo the count here.
    --instanceCount;
    throw EMultiSingleInstance(kMultiSingleInstanceMessage);
  }
  uniqueName_ = "Ident" + std::to_string(Random(10000));
}

TSingleInstance::~TSingleInstance() {
  if (server_) server_->close();
  if (lockFd_ >= 0) {
    // The socket file goes first, so a later copy never finds a socket
    // without a live lock behind it.
    QLocalServer::removeServer(QString::fromStdString(ServerPath(uniqueName_)));
    close(lockFd_);
  }
  --instanceCount;
}

std::string TSingleInstance::LockPath(const std::string& uniqueName) {
  return RuntimeDir() + "/sarvane-" + SafeName(uniqueName) + ".lock";
}

std::string TSingleInstance::ServerPath(const std::string& uniqueName) {
  return RuntimeDir() + "/sarvane-" + SafeName(uniqueName) + ".sock";
}

void TSingleInstance::Loaded() {
  if (lockFd_ >= 0) return;
  std::string path = LockPath(uniqueName_);
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0) {
    // The kernel drops the lock with the process, however it ends, so a
    // crashed first copy never blocks the next start.
    lockFd_ = fd;
    StartServer();
    return;
  }
  if (fd >= 0) close(fd);
  // Without a usable lock file (no runtime folder) the tool still runs, as
  // a first copy without the guard.
  if (fd < 0) return;

  duplicate_ = true;
  if (OnDuplicate) OnDuplicate(this);
  switch (dupInstAction_) {
    case diActivateFirst:
      AskFirstToActivate();
      TerminateApplication();
      break;
    case diException:
      throw EMultiAppInstance(errorMessage_);
    case diTerminate:
      TerminateApplication();
      break;
  }
}

void TSingleInstance::StartServer() {
  QString name = QString::fromStdString(ServerPath(uniqueName_));
  // A socket left behind by a copy that died is stale: the lock is ours.
  QLocalServer::removeServer(name);
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  connect(server_, &QLocalServer::newConnection, this, &TSingleInstance::OnNewConnection);
  server_->listen(name);
}

void TSingleInstance::OnNewConnection() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
      // Only the one request line is expected; anything longer is dropped.
      if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > kMaxRequest) socket->abort();
        return;
      }
      const QByteArray line = socket->readLine(kMaxRequest + 1);
      if (line == kActivateRequest) {
        BringOwnerToFront();
        emit ActivationRequested();
      } else if (line.startsWith(kOpenRequest) && line.endsWith('\n')) {
        const QByteArray encoded = line.mid(qsizetype(sizeof kOpenRequest - 1)).chopped(1);
        const QString path = QFile::decodeName(QByteArray::fromPercentEncoding(encoded));
        BringOwnerToFront();
        emit ActivationRequested();
        if (!path.isEmpty()) emit OpenRequested(path);
      }
      socket->disconnectFromServer();
    });
  }
}

void TSingleInstance::BringOwnerToFront() {
  QWidget* target = owner_ ? owner_->window() : nullptr;
  if (!target) return;
  if (target->isMinimized()) target->showNormal();
  target->show();
  target->raise();
  target->activateWindow();
  // A dialog the first copy has open stays on top of its window.
  if (QWidget* modal = QApplication::activeModalWidget()) {
    modal->raise();
    modal->activateWindow();
  }
}

bool TSingleInstance::AskFirstToActivate() {
  QLocalSocket socket;
  socket.connectToServer(QString::fromStdString(ServerPath(uniqueName_)));
  if (!socket.waitForConnected(kSocketTimeoutMs)) return false;
  if (fileToOpen_.empty()) {
    socket.write(kActivateRequest);
  } else {
    socket.write(kOpenRequest + QByteArray::fromStdString(fileToOpen_).toPercentEncoding() + "\n");
  }
  bool sent = socket.waitForBytesWritten(kSocketTimeoutMs);
  socket.disconnectFromServer();
  if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(kSocketTimeoutMs);
  return sent;
}

}  // namespace sarvane::app
