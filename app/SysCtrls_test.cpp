#include "app/SysCtrls.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QLocalServer>
#include <QFile>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include <memory>
#include <optional>

namespace sarvane::app {
namespace {

// Another copy of the tool, as far as the lock file goes: the lock is taken
// through a descriptor of its own, which conflicts like another process.
class OtherCopyLock {
 public:
  explicit OtherCopyLock(const std::string& uniqueName) {
    fd_ = open(TSingleInstance::LockPath(uniqueName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    locked_ = fd_ >= 0 && flock(fd_, LOCK_EX | LOCK_NB) == 0;
  }
  ~OtherCopyLock() {
    if (fd_ >= 0) close(fd_);
  }
  bool Locked() const { return locked_; }

 private:
  int fd_ = -1;
  bool locked_ = false;
};

class SingleInstanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetApplicationTerminated();
    SetExceptionReporter([this](const std::string& m) { reported_.push_back(m); });
  }
  void TearDown() override {
    SetExceptionReporter(nullptr);
    ResetApplicationTerminated();
  }
  std::vector<std::string> reported_;
};

TEST_F(SingleInstanceTest, OnlyOneComponentPerProcessAndTheCountRecoversAfterTheRefusal) {
  QWidget owner;
  auto first = std::make_unique<TSingleInstance>(&owner);
  try {
    TSingleInstance second(&owner);
    FAIL() << "a second component was allowed";
  } catch (const EMultiSingleInstance& e) {
    EXPECT_STREQ(e.what(), "Only single component allowed");
  }
  first.reset();
  // The refused one must not have left the count raised.
  EXPECT_NO_THROW(TSingleInstance again(&owner));
}

TEST_F(SingleInstanceTest, DefaultsOfANewComponent) {
  QWidget owner;
  TSingleInstance guard(&owner);
  EXPECT_EQ(guard.DupInstAction(), diActivateFirst);
  EXPECT_EQ(guard.ErrorMessage(), "すでに起動されています");
  ASSERT_GT(guard.UniqueName().size(), 5u);
  EXPECT_EQ(guard.UniqueName().substr(0, 5), "Ident");
  int number = std::stoi(guard.UniqueName().substr(5));
  EXPECT_GE(number, 0);
  EXPECT_LE(number, 9999);
}

TEST_F(SingleInstanceTest, FirstCopyHoldsTheNameUntilItIsDestroyed) {
  QWidget owner;
  {
    TSingleInstance guard(&owner);
    guard.SetUniqueName("HoldTest");
    guard.Loaded();
    EXPECT_TRUE(guard.IsFirstInstance());
    EXPECT_FALSE(guard.IsDuplicate());
    EXPECT_FALSE(OtherCopyLock("HoldTest").Locked());
  }
  EXPECT_TRUE(OtherCopyLock("HoldTest").Locked());
}

TEST_F(SingleInstanceTest, LaterCopyActsByDupInstAction) {
  struct Case {
    TDupInstAction action;
    bool expectException;
    bool expectTerminate;
    bool expectActivationRequest;
  };
  const Case cases[] = {
      {diActivateFirst, false, true, true},
      {diException, true, false, false},
      {diTerminate, false, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.action));
    ResetApplicationTerminated();
    const std::string name = "DupTest" + std::to_string(static_cast<int>(c.action));
    OtherCopyLock other(name);
    ASSERT_TRUE(other.Locked());
    // The other copy's socket, to see what the later copy asks of it.
    QLocalServer server;
    QLocalServer::removeServer(QString::fromStdString(TSingleInstance::ServerPath(name)));
    ASSERT_TRUE(server.listen(QString::fromStdString(TSingleInstance::ServerPath(name))));

    QWidget owner;
    TSingleInstance guard(&owner);
    guard.SetUniqueName(name);
    guard.SetDupInstAction(c.action);
    guard.SetErrorMessage("already running");
    int duplicates = 0;
    QObject* sender = nullptr;
    guard.OnDuplicate = [&](QObject* s) {
      ++duplicates;
      sender = s;
    };
    std::optional<std::string> thrown;
    try {
      guard.Loaded();
    } catch (const EMultiAppInstance& e) {
      thrown = e.what();
    }
    EXPECT_EQ(duplicates, 1);
    EXPECT_EQ(sender, &guard);
    EXPECT_TRUE(guard.IsDuplicate());
    EXPECT_FALSE(guard.IsFirstInstance());
    EXPECT_EQ(thrown.has_value(), c.expectException);
    if (thrown) {
      EXPECT_EQ(*thrown, "already running");
    }
    EXPECT_EQ(ApplicationTerminated(), c.expectTerminate);

    QByteArray request;
    if (server.hasPendingConnections() || server.waitForNewConnection(c.expectActivationRequest ? 2000 : 0)) {
      QLocalSocket* socket = server.nextPendingConnection();
      QElapsedTimer t;
      t.start();
      while (!socket->canReadLine() && t.elapsed() < 2000) socket->waitForReadyRead(100);
      request = socket->readAll();
    }
    EXPECT_EQ(request == "activate\n", c.expectActivationRequest) << request.toStdString();
  }
}

TEST_F(SingleInstanceTest, LaterCopyEndsEvenWhenTheFirstDoesNotAnswer) {
  OtherCopyLock other("SilentTest");
  ASSERT_TRUE(other.Locked());
  QLocalServer::removeServer(QString::fromStdString(TSingleInstance::ServerPath("SilentTest")));
  QWidget owner;
  TSingleInstance guard(&owner);
  guard.SetUniqueName("SilentTest");
  guard.Loaded();
  EXPECT_TRUE(guard.IsDuplicate());
  EXPECT_TRUE(ApplicationTerminated());
}

TEST_F(SingleInstanceTest, FirstCopyComesToTheFrontOnlyForTheActivationRequest) {
  struct Case {
    QByteArray message;
    bool expectActivation;
  };
  const Case cases[] = {
      {"activate\n", true},
      {"hello\n", false},
      {QByteArray(200, 'x'), false},
  };
  QWidget owner;
  owner.showMinimized();
  TSingleInstance guard(&owner);
  guard.SetUniqueName("FrontTest");
  guard.Loaded();
  ASSERT_TRUE(guard.IsFirstInstance());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message.left(20).toStdString());
    QSignalSpy spy(&guard, &TSingleInstance::ActivationRequested);
    QLocalSocket client;
    client.connectToServer(QString::fromStdString(TSingleInstance::ServerPath("FrontTest")));
    ASSERT_TRUE(client.waitForConnected(2000));
    client.write(c.message);
    client.flush();
    if (c.expectActivation)
      EXPECT_TRUE(spy.wait(2000));
    else
      QTest::qWait(200);
    EXPECT_EQ(spy.count(), c.expectActivation ? 1 : 0);
  }
  EXPECT_FALSE(owner.isMinimized());
  EXPECT_TRUE(owner.isVisible());
}

// A later copy started to open a file hands its path over, whatever the
// path holds; the first copy comes to the front and is asked to open it.
TEST_F(SingleInstanceTest, LaterCopyHandsItsFileToTheFirst) {
  QWidget owner;
  owner.showMinimized();
  TSingleInstance first(&owner);
  first.SetUniqueName("OpenTest");
  first.Loaded();
  ASSERT_TRUE(first.IsFirstInstance());
  for (const QString& path : {QString("/tmp/a b.pdf"), QString("/tmp/報告書.pdf"), QString("/tmp/line\nend%.pdf"),
                              "/" + QString(4000, QChar('n')) + ".pdf"}) {
    SCOPED_TRACE(path.left(40).toStdString());
    QSignalSpy opened(&first, &TSingleInstance::OpenRequested);
    QSignalSpy activated(&first, &TSingleInstance::ActivationRequested);
    QLocalSocket client;
    client.connectToServer(QString::fromStdString(TSingleInstance::ServerPath("OpenTest")));
    ASSERT_TRUE(client.waitForConnected(2000));
    client.write("open " + QFile::encodeName(path).toPercentEncoding() + "\n");
    client.flush();
    ASSERT_TRUE(opened.wait(2000));
    EXPECT_EQ(opened.takeFirst().at(0).toString(), path);
    EXPECT_EQ(activated.count(), 1);
  }
  EXPECT_FALSE(owner.isMinimized());
}

TEST(DefaultExceptionReport, GoesToTheReporterWithTheExactMessage) {
  std::vector<std::string> seen;
  SetExceptionReporter([&](const std::string& m) { seen.push_back(m); });
  ShowException(Exception("ファイルが見つかりません"));
  SetExceptionReporter(nullptr);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], "ファイルが見つかりません");
}

}  // namespace
}  // namespace sarvane::app
