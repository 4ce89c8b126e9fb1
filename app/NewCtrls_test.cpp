#include "app/NewCtrls.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>

#include "app/SysCtrls.h"
#include "platform/Exception.h"

namespace sarvane::app {
namespace {

struct DropRecord {
  QObject* sender = nullptr;
  int num = -1;
  QStringList files;
  int x = -1, y = -1;
  int calls = 0;
};

std::unique_ptr<QMimeData> FileMime(const QStringList& paths) {
  auto mime = std::make_unique<QMimeData>();
  QList<QUrl> urls;
  for (const QString& p : paths) urls << (p.contains("://") ? QUrl(p) : QUrl::fromLocalFile(p));
  mime->setUrls(urls);
  return mime;
}

// Delivers a drag-enter and a drop at pos of receiver, as the window system
// does; returns whether the drop was accepted.
bool DropOn(QWidget* receiver, QPoint pos, const QMimeData* mime) {
  QDragEnterEvent enter(pos, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(receiver, &enter);
  QDropEvent drop(QPointF(pos), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(receiver, &drop);
  return drop.isAccepted();
}

class FileDropTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_.resize(300, 200);
    edit_ = new QLineEdit(&window_);
    edit_->setGeometry(50, 60, 100, 20);
    drop_ = new TFileDrop(&window_);
    drop_->OnFileDrop = [this](QObject* s, int n, const QStringList& f, int x, int y) {
      rec_.sender = s;
      rec_.num = n;
      rec_.files = f;
      rec_.x = x;
      rec_.y = y;
      ++rec_.calls;
    };
    drop_->Loaded();
  }
  QWidget window_;
  QLineEdit* edit_ = nullptr;
  TFileDrop* drop_ = nullptr;
  DropRecord rec_;
};

TEST_F(FileDropTest, ReportsEveryLocalFileInOrderWithCountAndPoint) {
  EXPECT_TRUE(drop_->Accept());
  EXPECT_EQ(drop_->HookedWindow(), &window_);
  EXPECT_TRUE(window_.acceptDrops());
  auto mime = FileMime({"/tmp/a.pdf", "https://example.org/x.pdf", "/tmp/b c.pdf", "/tmp/日本語.PDF"});
  EXPECT_TRUE(DropOn(&window_, QPoint(30, 40), mime.get()));
  ASSERT_EQ(rec_.calls, 1);
  EXPECT_EQ(rec_.sender, drop_);
  EXPECT_EQ(rec_.num, 3);
  EXPECT_EQ(rec_.files, QStringList({"/tmp/a.pdf", "/tmp/b c.pdf", "/tmp/日本語.PDF"}));
  EXPECT_EQ(rec_.x, 30);
  EXPECT_EQ(rec_.y, 40);
}

TEST_F(FileDropTest, ChildThatTakesTextDropsDoesNotSwallowFiles) {
  ASSERT_TRUE(edit_->acceptDrops());
  auto mime = FileMime({"/tmp/a.pdf"});
  EXPECT_TRUE(DropOn(edit_, QPoint(5, 6), mime.get()));
  ASSERT_EQ(rec_.calls, 1);
  EXPECT_TRUE(edit_->text().isEmpty());
  // The point is in the window's coordinates.
  EXPECT_EQ(rec_.x, 55);
  EXPECT_EQ(rec_.y, 66);

  // Plain text still goes to the edit.
  QMimeData text;
  text.setText("hello");
  DropOn(edit_, QPoint(5, 6), &text);
  EXPECT_EQ(rec_.calls, 1);
}

// A path is handed on whole, however long: a cut path names another file.
TEST_F(FileDropTest, LongPathsArriveWhole) {
  for (const int length : {254, 255, 600, 4000}) {
    SCOPED_TRACE(length);
    rec_.files.clear();
    const QString name = "/" + QString(length - 1, QChar('n'));
    auto mime = FileMime({name});
    DropOn(&window_, QPoint(1, 1), mime.get());
    ASSERT_EQ(rec_.files.size(), 1);
    EXPECT_EQ(rec_.files.first(), name);
  }
}

// A drop the owner will not take is refused to the drag source, and nothing
// is handed on.
TEST_F(FileDropTest, ADropTheOwnerWillNotTakeIsRefused) {
  drop_->OnCanDrop = [](const QStringList& files) { return files.first().endsWith(".pdf"); };
  auto text = FileMime({"/tmp/notes.txt"});
  EXPECT_FALSE(DropOn(&window_, QPoint(1, 1), text.get()));
  EXPECT_EQ(rec_.calls, 0);
  auto pdf = FileMime({"/tmp/a.pdf"});
  EXPECT_TRUE(DropOn(&window_, QPoint(1, 1), pdf.get()));
  EXPECT_EQ(rec_.calls, 1);
}

TEST_F(FileDropTest, AcceptSwitchesTheTargetOffAndOnAgain) {
  auto mime = FileMime({"/tmp/a.pdf"});
  drop_->SetAccept(false);
  EXPECT_FALSE(window_.acceptDrops());
  EXPECT_FALSE(DropOn(&window_, QPoint(1, 1), mime.get()));
  EXPECT_FALSE(DropOn(edit_, QPoint(1, 1), mime.get()) && rec_.calls > 0);
  EXPECT_EQ(rec_.calls, 0);
  drop_->SetAccept(true);
  EXPECT_TRUE(window_.acceptDrops());
  EXPECT_TRUE(DropOn(&window_, QPoint(1, 1), mime.get()));
  EXPECT_EQ(rec_.calls, 1);
}

TEST_F(FileDropTest, DropWithoutLocalFilesIsNotTaken) {
  auto mime = FileMime({"https://example.org/a.pdf"});
  EXPECT_FALSE(DropOn(&window_, QPoint(1, 1), mime.get()));
  EXPECT_EQ(rec_.calls, 0);
}

TEST_F(FileDropTest, HandlerExceptionGoesToTheReportAndTheDropStillEnds) {
  std::vector<std::string> reported;
  SetExceptionReporter([&](const std::string& m) { reported.push_back(m); });
  drop_->OnFileDrop = [](QObject*, int, const QStringList&, int, int) { throw Exception("drop failed"); };
  auto mime = FileMime({"/tmp/a.pdf"});
  EXPECT_TRUE(DropOn(&window_, QPoint(1, 1), mime.get()));
  SetExceptionReporter(nullptr);
  ASSERT_EQ(reported.size(), 1u);
  EXPECT_EQ(reported[0], "drop failed");
}

TEST_F(FileDropTest, ControlMovesTheTargetAndItsDestructionSwitchesDropsOff) {
  auto* other = new QWidget(&window_);
  other->setGeometry(200, 100, 50, 50);
  drop_->SetControl(other);
  EXPECT_EQ(drop_->HookedWindow(), other);
  EXPECT_FALSE(window_.acceptDrops());
  EXPECT_TRUE(other->acceptDrops());
  auto mime = FileMime({"/tmp/a.pdf"});
  EXPECT_FALSE(DropOn(&window_, QPoint(1, 1), mime.get()));
  EXPECT_TRUE(DropOn(other, QPoint(3, 4), mime.get()));
  EXPECT_EQ(rec_.calls, 1);
  EXPECT_EQ(rec_.x, 3);
  delete other;
  EXPECT_EQ(drop_->Control(), nullptr);
  EXPECT_FALSE(drop_->Accept());
  EXPECT_EQ(drop_->HookedWindow(), nullptr);
}

TEST(FileDropWithoutWindow, HookingWithoutTargetRaises) {
  TFileDrop drop(nullptr);
  try {
    drop.Loaded();
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Invalidate Window Handle in FileDrop");
  }
}

}  // namespace
}  // namespace sarvane::app
