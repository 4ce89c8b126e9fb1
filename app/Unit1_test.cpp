#include "app/Unit1.h"

#include <gtest/gtest.h>

#include "app/DialogTestSupport.h"

#include <QAbstractItemView>
#include <QTableView>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFontInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QMimeData>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <fstream>
#include <iterator>
#include <memory>

#include "app/AppFiles.h"
#include "app/Rw_ini.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/Exception.h"

namespace sarvane::app {
using testing::ChooseInDialog;
using testing::WhenDialogShows;

// Receives what the window hands to the desktop instead of starting programs.
class UrlRecorder : public QObject {
  Q_OBJECT

 public:
  QList<QUrl> opened;

 public slots:
  void Open(const QUrl& url) { opened << url; }
};

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Touch(const QString& path) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("%PDF-1.4\n");
}


bool DropFiles(QWidget* receiver, const QStringList& entries) {
  QMimeData mime;
  QList<QUrl> urls;
  for (const QString& e : entries) urls << (e.contains("://") ? QUrl(e) : QUrl::fromLocalFile(e));
  mime.setUrls(urls);
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(receiver, &enter);
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(receiver, &drop);
  // The window starts the selection once the drop has returned.
  QCoreApplication::processEvents();
  return drop.isAccepted();
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home_.isValid());
    ASSERT_TRUE(out_.isValid());
    qputenv("SARVANE_HOME", home_.path().toLocal8Bit());
    ResetApplicationTerminated();
    SetExceptionReporter([this](const std::string& m) { reported_.push_back(m); });
    TForm1::SetErrorMessagePresenter([this](const std::string& m) { errors_.push_back(m); });
    for (const char* scheme : {"file", "https", "http", "mailto"})
      QDesktopServices::setUrlHandler(scheme, &opener_, "Open");
  }
  void TearDown() override {
    for (const char* scheme : {"file", "https", "http", "mailto"}) QDesktopServices::unsetUrlHandler(scheme);
    TForm1::SetErrorMessagePresenter(nullptr);
    SetExceptionReporter(nullptr);
    qunsetenv("SARVANE_HOME");
  }

  // A first start with the output folder set to out_.
  std::unique_ptr<TForm1> NewFormWithOutput() {
    TSettings s = DefaultSettings();
    s.OutPath = out_.path().toStdString() + "/";
    WriteSettings(s);
    return std::make_unique<TForm1>();
  }

  std::string OutDir() const { return out_.path().toStdString() + "/"; }

  QTemporaryDir home_;
  QTemporaryDir out_;
  UrlRecorder opener_;
  std::vector<std::string> reported_;
  std::vector<std::string> errors_;
};

TEST_F(MainWindowTest, ControlsStandAsLaidOut) {
  struct Control {
    const char* name;
    const char* cls;
    const char* parent;
    int x, y, w, h;  // w, h < 0: sized to the text
    const char* text;
    const char* hint;
  };
  const Control layout[] = {
      {"PageControl1", "QTabWidget", "Form1", 0, 0, 353, 366, nullptr, "ここにドロップします"},
      {"GroupBox3", "QGroupBox", "TabSheet1", 0, 0, 345, 49, "ファイル", ""},
      {"Label2", "QLabel", "GroupBox3", 8, 16, -1, -1, "ＰＤＦ", ""},
      {"EditPDF", "QLineEdit", "GroupBox3", 48, 16, 209, 20, nullptr, "対象のＰＤＦファイル"},
      {"SpeedButtonLoad", "QToolButton", "GroupBox3", 272, 16, 65, 25, "参照", ""},
      {"CheckBox11", "QCheckBox", "TabSheet1", 8, 56, 105, 17, "セキュリティ使用", "制限をかけます"},
      {"Label5", "QLabel", "TabSheet1", 128, 58, -1, -1, "解除", ""},
      {"EditOpenPW", "QLineEdit", "TabSheet1", 160, 56, 169, 20, nullptr, "オーナー権限と同一を推奨"},
      {"GroupBox1", "QGroupBox", "TabSheet1", 0, 81, 345, 64, "パスワード", ""},
      {"Label1", "QLabel", "GroupBox1", 8, 16, -1, -1, "オーナ権限", ""},
      {"EditOwnerPW", "QLineEdit", "GroupBox1", 80, 8, 249, 20, nullptr, "改版権限用パスワード"},
      {"CheckBox1", "QCheckBox", "GroupBox1", 8, 40, 113, 17, "ユーザ", ""},
      {"EditUserPW", "QLineEdit", "GroupBox1", 80, 40, 249, 20, nullptr, "開くだけのパスワード"},
      {"GroupBox2", "QGroupBox", "TabSheet1", 0, 145, 345, 137, "制限事項", "各種制限"},
      {"CheckBox2", "QCheckBox", "GroupBox2", 8, 16, -1, -1, "印刷無効", ""},
      {"CheckBox3", "QCheckBox", "GroupBox2", 8, 32, -1, -1, "修正無効", ""},
      {"CheckBox4", "QCheckBox", "GroupBox2", 8, 48, -1, -1, "内容コピー無効", ""},
      {"CheckBox5", "QCheckBox", "GroupBox2", 8, 64, -1, -1, "アノテーション無効", ""},
      {"CheckBox6", "QCheckBox", "GroupBox2", 8, 80, -1, -1, "ドキュメント・アセンブリ無効", ""},
      {"CheckBox7", "QCheckBox", "GroupBox2", 8, 96, -1, -1, "フォーム・フィル無効", ""},
      {"CheckBox8", "QCheckBox", "GroupBox2", 8, 112, -1, -1, "アクセシビリティ無効", ""},
      {"RadioGroup1", "QGroupBox", "TabSheet1", 0, 282, 345, 57, "暗号化", "暗号化強度"},
      {"GroupBox4", "QGroupBox", "TabSheet2", 0, 0, 345, 209, "閲覧期限", "期限を過ぎると開けなくします"},
      {"CheckBoxLockDate", "QCheckBox", "GroupBox4", 8, 16, 153, 17, "閲覧期限を付ける", ""},
      {"Panel2", "QFrame", "GroupBox4", 2, 40, 341, 167, nullptr, ""},
      {"MonthCalendar1", "QCalendarWidget", "Panel2", 1, 1, 339, 165, nullptr, ""},
      {"GroupBox5", "QGroupBox", "TabSheet2", 0, 209, 345, 80, "URL制限", "特定のＵＲＬ以外で開けなくなります"},
      {"CheckBoxLockURL", "QCheckBox", "GroupBox5", 8, 16, 177, 25, "URL制限をつける", ""},
      {"Label3", "QLabel", "GroupBox5", 8, 40, -1, -1, "URL", ""},
      {"EditURL", "QLineEdit", "GroupBox5", 88, 40, 233, 20, nullptr, ""},
      {"Label4", "QLabel", "TabSheet3", 8, 16, -1, -1, "出力フォルダ", ""},
      {"EditOutPath", "QLineEdit", "TabSheet3", 88, 16, 201, 20, nullptr, "出力先を設定します"},
      {"Button1", "QPushButton", "TabSheet3", 296, 16, 33, 25, "参照", ""},
      {"Panel3", "QFrame", "TabSheet3", 160, 256, 177, 73, nullptr, ""},
      {"LabelHP", "QLabel", "Panel3", 10, 14, -1, -1, "Sarvane Project", ""},
      {"LabelMail", "QLabel", "Panel3", 13, 45, -1, -1, nullptr, nullptr},
      {"LabelVer", "QLabel", "Panel3", 108, 45, -1, -1, "Ver0.11b", ""},
      {"Panel1", "QFrame", "Form1", 0, 366, 557, 45, nullptr, "ここからドラッグします"},
      {"LabelState", "QLabel", "Panel1", 16, 8, 417, 25, "", ""},
      {"SpeedButtonCreate", "QToolButton", "Panel1", 448, 8, 105, 33, "作成", "処理を実行"},
      {"Panel4", "QFrame", "Form1", 353, 0, 204, 366, nullptr, ""},
      {"FileListBox1", "QListWidget", "Panel4", 0, 0, 204, 321, nullptr, ""},
      {"SpeedButtonOutDir", "QToolButton", "Panel4", 32, 328, 153, 33, "出力フォルダを開く", ""},
  };
  auto form = NewFormWithOutput();
  form->show();
  for (const Control& c : layout) {
    SCOPED_TRACE(c.name);
    auto* w = form->findChild<QWidget*>(c.name);
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->inherits(c.cls)) << w->metaObject()->className();
    ASSERT_NE(w->parentWidget(), nullptr);
    EXPECT_EQ(w->parentWidget()->objectName().toStdString(), c.parent);
    EXPECT_EQ(w->x(), c.x);
    EXPECT_EQ(w->y(), c.y);
    if (c.w >= 0) {
      EXPECT_EQ(w->width(), c.w);
      EXPECT_EQ(w->height(), c.h);
    }
    if (c.text) {
      QString text;
      if (auto* l = qobject_cast<QLabel*>(w)) text = l->text();
      else if (auto* b = qobject_cast<QAbstractButton*>(w)) text = b->text();
      else if (auto* g = qobject_cast<QGroupBox*>(w)) text = g->title();
      EXPECT_EQ(text.toStdString(), c.text);
    }
    if (c.hint) {
      EXPECT_EQ(w->toolTip().toStdString(), c.hint);
    }
    EXPECT_TRUE(w->isEnabled());
  }

  EXPECT_EQ(form->windowTitle(), "Sarvane");
  EXPECT_EQ(form->size(), QSize(557, 411));
  EXPECT_EQ(form->minimumSize(), form->maximumSize());
  Qt::WindowFlags flags = form->windowFlags();
  EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_EQ(form->font().pixelSize(), 12);
  EXPECT_EQ(form->font().families().value(0), "ＭＳ Ｐゴシック");
  EXPECT_TRUE(form->font().families().contains("Noto Sans CJK JP"));
  // Of the faces installed (scripts/install-deps), the one nearest the
  // designed metrics is the one used.
  EXPECT_EQ(QFontInfo(form->font()).family(), "IPAPGothic");

  EXPECT_EQ(form->PageControl1->tabPosition(), QTabWidget::South);
  ASSERT_EQ(form->PageControl1->count(), 3);
  const char* tabs[][2] = {{"TabSheet1", "設定１"}, {"TabSheet2", "設定２"}, {"TabSheet3", "About"}};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(form->PageControl1->widget(i)->objectName().toStdString(), tabs[i][0]);
    EXPECT_EQ(form->PageControl1->tabText(i).toStdString(), tabs[i][1]);
  }
  EXPECT_EQ(form->PageControl1->currentWidget(), form->TabSheet1);
  // The sheets hold the docked groups: 345 wide, down to the radio group's
  // bottom edge at 339.
  EXPECT_GE(form->TabSheet1->width(), 345);
  EXPECT_GE(form->TabSheet1->height(), 339);
  // Captions are not cut, and no label runs into its neighbour.
  for (QCheckBox* box : form->findChildren<QCheckBox*>()) {
    EXPECT_LE(box->sizeHint().width(), box->width()) << box->objectName().toStdString();
    EXPECT_TRUE(box->font().families().contains("Noto Sans CJK JP")) << box->objectName().toStdString();
  }
  EXPECT_LE(form->LabelHP->geometry().right(), form->Panel3->contentsRect().right());
  EXPECT_LT(form->LabelHP->geometry().bottom(), form->LabelMail->y());
  EXPECT_LT(form->LabelHP->geometry().bottom(), form->LabelVer->y());
  EXPECT_LT(form->LabelMail->geometry().right(), form->LabelVer->x());
  EXPECT_TRUE(form->LabelMail->text() == "support@sarvane.example.org" ||
              form->LabelMail->toolTip() == "support@sarvane.example.org");

  for (QLineEdit* pw : {form->EditOpenPW, form->EditOwnerPW, form->EditUserPW}) {
    pw->setText("abc");
    EXPECT_EQ(pw->displayText(), "***") << pw->objectName().toStdString();
  }
  EXPECT_TRUE(form->EditPDF->isReadOnly());
  EXPECT_TRUE(form->EditOutPath->isReadOnly());
  EXPECT_FALSE(form->EditURL->isReadOnly());

  ASSERT_EQ(form->RadioGroup1Buttons->buttons().size(), 3);
  EXPECT_EQ(form->RadioGroup1Buttons->button(0)->text(), "128bits");
  EXPECT_EQ(form->RadioGroup1Buttons->button(1)->text(), "40bits");
  EXPECT_EQ(form->RadioGroup1Buttons->button(2)->text(), "AES 256bits");

  EXPECT_EQ(form->OpenDialog1->Title, "ファイルの読み込み");
  EXPECT_EQ(form->FolderDialog1->Title(), "フォルダーの選択");
  ASSERT_EQ(form->PopupMenu1->actions().size(), 2);
  EXPECT_EQ(form->mnuDelete->text(), "選択削除");
  EXPECT_EQ(form->mnuAllDelete->text(), "全て削除");
  EXPECT_EQ(form->SingleInstance1->UniqueName(), "Ident2592");
  EXPECT_EQ(form->SingleInstance1->DupInstAction(), diActivateFirst);
  EXPECT_EQ(form->SingleInstance1->ErrorMessage(), "すでに起動されています");
  EXPECT_EQ(form->FileDrop1->Control(), nullptr);
  EXPECT_EQ(form->FileDrop1->HookedWindow(), form.get());
  EXPECT_TRUE(form->FileDrop1->Accept());

  EXPECT_EQ(form->LabelHP->font().pixelSize(), 27);
  EXPECT_TRUE(form->LabelHP->font().bold() && form->LabelHP->font().italic() && form->LabelHP->font().underline());
  EXPECT_EQ(form->LabelHP->palette().color(QPalette::WindowText), QColor(0, 0, 0x80));
  EXPECT_EQ(form->LabelMail->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_TRUE(form->LabelVer->font().bold());
}

TEST_F(MainWindowTest, FirstStartShowsDefaultsTodayAndTheOutputFolder) {
  TForm1 form;
  EXPECT_TRUE(QFileInfo(QString::fromStdString(WorkFolder())).isDir());
  for (QCheckBox* box : {form.CheckBox11, form.CheckBox1, form.CheckBox2, form.CheckBox3, form.CheckBox4,
                         form.CheckBox5, form.CheckBox6, form.CheckBox7, form.CheckBox8, form.CheckBoxLockDate,
                         form.CheckBoxLockURL})
    EXPECT_FALSE(box->isChecked()) << box->objectName().toStdString();
  EXPECT_EQ(form.RadioGroup1Buttons->checkedId(), 0);
  EXPECT_TRUE(form.EditOpenPW->text().isEmpty());
  EXPECT_EQ(form.EditURL->text().toStdString(), kDefaultLockURL);
  EXPECT_EQ(form.pos(), QPoint(0, 0));
  EXPECT_EQ(form.EditOutPath->text().toStdString(), DefaultOutputFolder());
  EXPECT_EQ(form.FileListBox1->Directory(), DefaultOutputFolder());
  EXPECT_TRUE(form.LabelState->text().isEmpty());
  EXPECT_TRUE(form.CurrentInput().empty());
  LocalDateTime now = Now();
  EXPECT_EQ(form.LimitDate(), FormatDateTime("yyyy/mm/dd", now));
  EXPECT_EQ(form.MonthCalendar1->selectedDate(), QDate(now.year, now.month, now.day));
}

TEST_F(MainWindowTest, ChoicesComeBackAfterCloseAndNewStart) {
  struct Box {
    const char* name;
    bool TSettings::*value;
    int tab;
    bool check;
  };
  const Box boxes[] = {
      {"CheckBox11", &TSettings::EN, 0, true},       {"CheckBox1", &TSettings::PW, 0, true},
      {"CheckBox2", &TSettings::PR, 0, true},        {"CheckBox3", &TSettings::MD, 0, false},
      {"CheckBox4", &TSettings::CP, 0, true},        {"CheckBox5", &TSettings::AN, 0, false},
      {"CheckBox6", &TSettings::DA, 0, true},        {"CheckBox7", &TSettings::FF, 0, true},
      {"CheckBox8", &TSettings::AC, 0, false},       {"CheckBoxLockDate", &TSettings::LockDateOn, 1, true},
      {"CheckBoxLockURL", &TSettings::LockURLOn, 1, true},
  };
  QTemporaryDir other;
  {
    auto form = NewFormWithOutput();
    form->show();
    for (const Box& b : boxes) {
      if (!b.check) continue;
      form->PageControl1->setCurrentIndex(b.tab);
      auto* box = form->findChild<QCheckBox*>(b.name);
      QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2));
      EXPECT_TRUE(form->Settings().*b.value) << b.name;
    }
    form->PageControl1->setCurrentIndex(0);
    QAbstractButton* bits40 = form->RadioGroup1Buttons->button(1);
    QTest::mouseClick(bits40, Qt::LeftButton, {}, QPoint(4, bits40->height() / 2));
    EXPECT_EQ(form->Settings().BT, 1);
    QTest::keyClicks(form->EditOpenPW, "open-pw");
    form->EditOwnerPW->insert("オーナー");
    QTest::keyClicks(form->EditUserPW, "user pw");
    EXPECT_EQ(form->Settings().Owner, "オーナー");
    form->PageControl1->setCurrentIndex(1);
    form->EditURL->clear();
    QTest::keyClicks(form->EditURL, "https://intra.example.com/");
    EXPECT_EQ(form->Settings().LockURL, "https://intra.example.com/");
    EXPECT_TRUE(form->close());
  }
  std::string file = ReadFile(SettingsFileName());
  EXPECT_EQ(file.find("open-pw"), std::string::npos);
  EXPECT_EQ(file.find("user pw"), std::string::npos);

  TForm1 again;
  for (const Box& b : boxes) {
    auto* box = again.findChild<QCheckBox*>(b.name);
    EXPECT_EQ(box->isChecked(), b.check) << b.name;
    EXPECT_EQ(again.Settings().*b.value, b.check) << b.name;
  }
  EXPECT_EQ(again.RadioGroup1Buttons->checkedId(), 1);
  EXPECT_EQ(again.EditOpenPW->text(), "open-pw");
  EXPECT_EQ(again.EditOwnerPW->text(), "オーナー");
  EXPECT_EQ(again.EditUserPW->text(), "user pw");
  EXPECT_EQ(again.EditURL->text(), "https://intra.example.com/");
  EXPECT_EQ(again.Settings().OutPath, OutDir());
  EXPECT_TRUE(again.close());
  // Unclicked: the values read are written back unchanged.
  TSettings stored = ReadSettings();
  EXPECT_EQ(stored.Open, "open-pw");
  EXPECT_TRUE(stored.EN);
  EXPECT_FALSE(stored.MD);
}

TEST_F(MainWindowTest, VanishedOutputFolderFallsBackToTheExecutablesFolder) {
  TSettings s = DefaultSettings();
  s.OutPath = home_.path().toStdString() + "/gone/";
  WriteSettings(s);
  {
    TForm1 form;
    EXPECT_EQ(form.EditOutPath->text().toStdString(), DefaultOutputFolder());
    EXPECT_TRUE(form.close());
  }
  EXPECT_EQ(ReadSettings().OutPath, DefaultOutputFolder());
}

TEST_F(MainWindowTest, WindowPositionIsTakenOnlyInTheNormalState) {
  struct Case {
    const char* what;
    QPoint stored;  // x = Left, y = Top
    QPoint placed;  // where the start puts the window
    Qt::WindowState state;
    QPoint moveTo;
    QPoint expected;  // written at close
  };
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  const QPoint farCorner(screen.right() + 1 - 557, screen.bottom() + 1 - 411);
  const Case cases[] = {
      {"normal", QPoint(50, 40), QPoint(50, 40), Qt::WindowNoState, QPoint(120, 130), QPoint(120, 130)},
      {"minimized", QPoint(50, 40), QPoint(50, 40), Qt::WindowMinimized, QPoint(120, 130), QPoint(50, 40)},
      {"maximized", QPoint(50, 40), QPoint(50, 40), Qt::WindowMaximized, QPoint(120, 130), QPoint(50, 40)},
      {"stored off every screen", QPoint(30000, 30000), farCorner, Qt::WindowMinimized, QPoint(0, 0), farCorner},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TSettings s = DefaultSettings();
    s.Left = c.stored.x();
    s.Top = c.stored.y();
    WriteSettings(s);
    TForm1 form;
    form.show();
    EXPECT_EQ(form.pos(), c.placed);
    form.move(c.moveTo);
    form.setWindowState(c.state);
    ASSERT_TRUE(form.close());
    TSettings stored = ReadSettings();
    EXPECT_EQ(stored.Left, c.expected.x());
    EXPECT_EQ(stored.Top, c.expected.y());
  }
}

TEST_F(MainWindowTest, StrengthIndexFromTheFileSelectsTheNearestItem) {
  struct Case {
    int stored;
    int checked;  // -1: no item
  };
  // Values past the items keep meaning 40 bits, as before the AES item came.
  const Case cases[] = {{0, 0}, {1, 1}, {2, 2}, {3, 1}, {5, 1}, {-3, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    TSettings s = DefaultSettings();
    s.BT = c.stored;
    WriteSettings(s);
    TForm1 form;
    EXPECT_EQ(form.RadioGroup1Buttons->checkedId(), c.checked);
    EXPECT_EQ(form.Settings().BT, c.checked);
    ASSERT_TRUE(form.close());
    EXPECT_EQ(ReadSettings().BT, c.checked);
  }
}

TEST_F(MainWindowTest, AESChoiceFitsTheGroupAndRoundTripsThroughTheSettingsFile) {
  {
    TForm1 form;
    form.show();
    QAbstractButton* aes = form.RadioGroup1Buttons->button(2);
    ASSERT_NE(aes, nullptr);
    EXPECT_EQ(aes->text(), "AES 256bits");
    for (QAbstractButton* b : form.RadioGroup1Buttons->buttons())
      EXPECT_TRUE(form.RadioGroup1->rect().contains(b->geometry())) << b->text().toStdString();
    QTest::mouseClick(aes, Qt::LeftButton, {}, QPoint(4, aes->height() / 2));
    EXPECT_EQ(form.Settings().BT, 2);
    ASSERT_TRUE(form.close());
  }
  EXPECT_EQ(ReadSettings().BT, 2);
  TForm1 again;
  EXPECT_TRUE(again.RadioGroup1Buttons->button(2)->isChecked());
  ASSERT_TRUE(again.close());
}

TEST_F(MainWindowTest, TextsReachTheSettingsInTheSystemCodePage) {
  struct Case {
    int codePage;
    QString typed;
    std::string stored;
  };
  const Case cases[] = {
      {kCodePageUtf8, QString::fromUtf8("パス"), "\xE3\x83\x91\xE3\x82\xB9"},
      {kCodePageShiftJIS, QString::fromUtf8("パス"), "\x83\x70\x83\x58"},
      {kCodePageWestern, QString::fromUtf8("clé"), "cl\xE9"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.codePage);
    SetSystemCodePageForTesting(c.codePage);
    {
      TForm1 form;
      form.EditOwnerPW->setText(c.typed);
      form.EditURL->setText(c.typed);
      EXPECT_EQ(form.Settings().Owner, c.stored);
      EXPECT_EQ(form.Settings().LockURL, c.stored);
      ASSERT_TRUE(form.close());
    }
    EXPECT_EQ(ReadSettings().Owner, c.stored);
    TForm1 again;
    EXPECT_EQ(again.EditOwnerPW->text(), c.typed);
    EXPECT_EQ(again.EditURL->text(), c.typed);
  }
  SetSystemCodePageForTesting(kCodePageUtf8);
}

TEST_F(MainWindowTest, StoredPasswordTheEditCannotShowSurvivesAClose) {
  SetSystemCodePageForTesting(kCodePageShiftJIS);
  TSettings s = DefaultSettings();
  s.Owner = "pw\x81";  // a lead byte without its trail byte
  WriteSettings(s);
  {
    TForm1 form;
    ASSERT_TRUE(form.close());
  }
  EXPECT_EQ(ReadSettings().Owner, "pw\x81");
  SetSystemCodePageForTesting(kCodePageUtf8);
}

TEST(WindowPlacement, StaysReachableOnTheScreens) {
  const QList<QRect> screens = {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
  const QSize size(557, 411);
  struct Case {
    QPoint pos;
    QPoint expected;
  };
  const Case cases[] = {
      {QPoint(0, 0), QPoint(0, 0)},
      {QPoint(300, 200), QPoint(300, 200)},
      {QPoint(2500, 300), QPoint(2500, 300)},        // on the second screen
      {QPoint(5000, 300), QPoint(1920 - 557, 300)},  // off to the right
      {QPoint(-800, -500), QPoint(0, 0)},
      {QPoint(100, 1070), QPoint(100, 1080 - 411)},  // title bar below the bottom
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pos.x());
    EXPECT_EQ(ClampToScreens(c.pos, size, screens), c.expected);
  }
  EXPECT_EQ(ClampToScreens(QPoint(-5000, 7), size, {}), QPoint(-5000, 7));
}

TEST_F(MainWindowTest, FailedSettingsWriteKeepsTheWindowOpen) {
  auto form = NewFormWithOutput();
  form->show();
  // A folder where the file should be: no write can succeed, not even as root.
  ASSERT_TRUE(QFile::remove(QString::fromStdString(SettingsFileName())));
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(SettingsFileName())));
  EXPECT_FALSE(form->close());
  EXPECT_TRUE(form->isVisible());
  ASSERT_EQ(reported_.size(), 1u);
  EXPECT_EQ(reported_[0], Format("%s に書き込めません", SettingsFileName()));
  ASSERT_TRUE(QDir().rmdir(QString::fromStdString(SettingsFileName())));
  EXPECT_TRUE(form->close());
  EXPECT_FALSE(form->isVisible());
}

TEST_F(MainWindowTest, DroppedFileSelection) {
  QDir(out_.path()).mkpath("in");
  const QString dir = out_.path() + "/in/";
  for (const char* name : {"upper.PDF", "lower.pdf", "note.txt", "second.pdf", "noext"}) Touch(dir + name);
  struct Case {
    const char* what;
    QStringList dropped;
    const char* target;  // where the drop lands
    QString expected;    // selected input, empty when none
  };
  const Case cases[] = {
      {"capital extension", {dir + "upper.PDF"}, "Form1", dir + "upper.PDF"},
      {"only the first of several", {dir + "lower.pdf", dir + "second.pdf", dir + "upper.PDF"}, "Form1",
       dir + "lower.pdf"},
      {"other extension", {dir + "note.txt"}, "Form1", ""},
      {"first is not a pdf", {dir + "note.txt", dir + "lower.pdf"}, "Form1", ""},
      {"no extension", {dir + "noext"}, "Form1", ""},
      {"dropped on an edit", {dir + "lower.pdf"}, "EditURL", dir + "lower.pdf"},
      {"dropped on the file list", {dir + "lower.pdf"}, "FileListBox1", dir + "lower.pdf"},
      {"web address before the file", {"https://example.org/a.pdf", dir + "second.pdf"}, "Form1",
       dir + "second.pdf"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto form = NewFormWithOutput();
    form->show();
    std::vector<std::string> loads;
    form->OnLoadInputFile = [&](const std::string& path) {
      EXPECT_TRUE(form->Busy());
      loads.push_back(path);
      return true;
    };
    auto* target = form->findChild<QWidget*>(c.target);
    if (!target) target = form.get();
    DropFiles(target, c.dropped);
    if (c.expected.isEmpty()) {
      EXPECT_TRUE(loads.empty());
      EXPECT_TRUE(form->CurrentInput().empty());
      EXPECT_TRUE(form->EditPDF->text().isEmpty());
      EXPECT_TRUE(form->LabelState->text().isEmpty());
    } else {
      ASSERT_EQ(loads.size(), 1u);
      EXPECT_EQ(loads[0], c.expected.toStdString());
      EXPECT_EQ(form->CurrentInput(), c.expected.toStdString());
      EXPECT_EQ(form->EditPDF->text(), c.expected);
      EXPECT_EQ(form->LabelState->text(), QFileInfo(c.expected).fileName());
    }
    EXPECT_FALSE(form->Busy());
    auto* url = form->EditURL;
    EXPECT_EQ(url->text().toStdString(), kDefaultLockURL);
    form->close();
  }
}

TEST_F(MainWindowTest, FileSelectionByDialog) {
  Touch(out_.path() + "/chosen.pdf");
  auto form = NewFormWithOutput();
  form->show();
  std::vector<std::string> loads;
  form->OnLoadInputFile = [&](const std::string& path) {
    loads.push_back(path);
    return true;
  };
  QStringList filters;
  QString suffix, title;
  WhenDialogShows([&](QFileDialog* d) {
    filters = d->nameFilters();
    suffix = d->defaultSuffix();
    title = d->windowTitle();
    ChooseInDialog(d, out_.path() + "/chosen.pdf");
  });
  QTest::mouseClick(form->SpeedButtonLoad, Qt::LeftButton);
  EXPECT_EQ(filters, QStringList{"pdf file(*.pdf)"});
  EXPECT_EQ(suffix, "pdf");
  EXPECT_EQ(title, "ファイルの読み込み");
  const std::string chosen = OutDir() + "chosen.pdf";
  ASSERT_EQ(loads.size(), 1u);
  EXPECT_EQ(loads[0], chosen);
  EXPECT_EQ(form->EditPDF->text().toStdString(), chosen);
  EXPECT_EQ(form->LabelState->text(), "chosen.pdf");

  // Cancelled: nothing changes.
  WhenDialogShows([](QFileDialog* d) { d->reject(); });
  QTest::mouseClick(form->SpeedButtonLoad, Qt::LeftButton);
  EXPECT_EQ(loads.size(), 1u);
  EXPECT_EQ(form->CurrentInput(), chosen);
}

TEST(OpenDialogFilter, TranslatesToQtNameFilters) {
  struct Case {
    std::string filter;
    QStringList expected;
  };
  const Case cases[] = {
      {"pdf file(*.pdf)|*.pdf", {"pdf file(*.pdf)"}},
      {"PDF|*.pdf", {"PDF (*.pdf)"}},
      {"Documents|*.pdf;*.fdf|All|*.*", {"Documents (*.pdf *.fdf)", "All (*.*)"}},
      {"", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(QtNameFilters(c.filter), c.expected) << c.filter;
}

TEST_F(MainWindowTest, CreatePressHandsTheInputToTheJob) {
  const QString input = out_.path() + "/in.pdf";
  enum Job { kDone, kFailed, kRaisedInside, kThrows };
  struct Case {
    const char* what;
    bool select;
    bool removeBefore;
    Job job;
    int expectedRuns;
    bool inputCleared;
    bool reported;
  };
  const Case cases[] = {
      {"nothing selected", false, false, kDone, 0, true, false},
      {"selected file gone", true, true, kDone, 0, false, false},
      {"job succeeds", true, false, kDone, 1, true, false},
      {"job fails", true, false, kFailed, 1, true, false},
      {"job reported its own exception", true, false, kRaisedInside, 1, false, false},
      {"job raises", true, false, kThrows, 1, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Touch(input);
    reported_.clear();
    auto form = NewFormWithOutput();
    form->show();
    form->OnLoadInputFile = [](const std::string&) { return true; };
    if (c.select) DropFiles(form.get(), {input});
    if (c.removeBefore) QFile::remove(input);
    int runs = 0;
    form->OnCreatePress = [&](const std::string& in) {
      ++runs;
      EXPECT_EQ(in, input.toStdString());
      EXPECT_TRUE(form->Busy());
      if (c.job == kThrows) throw Exception("job broke");
      return c.job == kDone ? TForm1::prDone : c.job == kFailed ? TForm1::prFailed : TForm1::prRaised;
    };
    QTest::mouseClick(form->SpeedButtonCreate, Qt::LeftButton);
    EXPECT_EQ(runs, c.expectedRuns);
    EXPECT_EQ(form->CurrentInput().empty(), c.inputCleared);
    EXPECT_EQ(form->EditPDF->text().isEmpty(), c.inputCleared);
    EXPECT_EQ(reported_.size(), c.reported ? 1u : 0u);
    if (c.reported && !reported_.empty()) {
      EXPECT_EQ(reported_[0], "job broke");
    }
    EXPECT_FALSE(form->Busy());
    form->close();
  }
}

// The whole road through the real lock job: drop, create, and the locked
// copy in the output folder, read back with qpdf.
TEST_F(MainWindowTest, DropAndCreateLockTheFileIntoTheOutputFolder) {
  const QString fixture = QString(SARVANE_TEST_SOURCE_DIR) + "/tests/fixtures/lock_three_pages.pdf";
  QTemporaryDir inputs;
  const QString plain = inputs.path() + "/plain.pdf";
  const QString locked = inputs.path() + "/locked.pdf";
  ASSERT_TRUE(QFile::copy(fixture, plain));
  QProcess qpdf;
  qpdf.start("qpdf", {"--allow-weak-crypto", "--encrypt", "u", "own", "128", "--use-aes=n", "--", plain, locked});
  ASSERT_TRUE(qpdf.waitForFinished(30000));
  ASSERT_EQ(qpdf.exitCode(), 0) << qpdf.readAllStandardError().toStdString();

  struct Case {
    const char* what;
    QString input;
    const char* unlock;
    std::vector<std::string> expectedErrors;
    QString selectStatus;
    QString createStatus;
    bool outputWritten;
  };
  const Case cases[] = {
      {"plain input", plain, "", {}, "plain.pdfの読み込み完了", "plain.pdfの処理完了", true},
      {"encrypted, right unlock password", locked, "own", {}, "locked.pdfの読み込み完了", "locked.pdfの処理完了", true},
      {"encrypted, wrong unlock password", locked, "nope", {"パスワードが違います"}, "locked.pdfの読み込みエラー",
       "locked.pdfの処理異常", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    errors_.clear();
    QDir(out_.path()).removeRecursively();
    QDir().mkpath(out_.path());
    auto form = NewFormWithOutput();
    form->show();
    QTest::mouseClick(form->CheckBox11, Qt::LeftButton, {}, QPoint(4, 8));
    QTest::keyClicks(form->EditOwnerPW, "secret");
    QTest::keyClicks(form->EditOpenPW, c.unlock);
    DropFiles(form.get(), {c.input});
    EXPECT_EQ(form->LabelState->text(), c.selectStatus);
    EXPECT_EQ(errors_, c.expectedErrors);
    EXPECT_EQ(form->EditPDF->text(), c.input);

    QTest::mouseClick(form->SpeedButtonCreate, Qt::LeftButton);
    EXPECT_EQ(form->LabelState->text(), c.createStatus);
    EXPECT_TRUE(form->CurrentInput().empty());
    EXPECT_TRUE(form->EditPDF->text().isEmpty());
    EXPECT_TRUE(reported_.empty()) << (reported_.empty() ? "" : reported_[0]);
    const QString output = out_.path() + "/" + QFileInfo(c.input).fileName();
    EXPECT_EQ(QFile::exists(output), c.outputWritten);
    EXPECT_EQ(form->FileListBox1->count(), c.outputWritten ? 1 : 0);
    if (c.outputWritten) {
      EXPECT_TRUE(form->LockJob().WorkFileName().empty());
      EXPECT_TRUE(QDir(QString::fromStdString(WorkFolder())).isEmpty());
      QProcess show;
      show.start("qpdf", {"--show-encryption", "--password=secret", output});
      ASSERT_TRUE(show.waitForFinished(30000));
      QString report = QString::fromUtf8(show.readAllStandardOutput());
      EXPECT_TRUE(report.contains("R = 3")) << report.toStdString();
      EXPECT_TRUE(report.contains("owner password")) << report.toStdString();
    }
    form->close();
  }
}

// A long name on the status line loses its middle, not its end: the
// outcome stays readable. The whole text is the tool tip.
TEST_F(MainWindowTest, ALongStatusKeepsItsEnd) {
  auto form = NewFormWithOutput();
  form->show();
  const std::string name = std::string(240, 'n') + ".pdf";
  form->ShowStatus(name + "の処理完了");
  const QString shown = form->LabelState->text();
  EXPECT_LT(shown.size(), QString::fromStdString(name).size());
  EXPECT_TRUE(shown.endsWith("の処理完了")) << shown.toStdString();
  EXPECT_TRUE(shown.startsWith("nnn")) << shown.toStdString();
  EXPECT_EQ(form->LabelState->toolTip().toStdString(), name + "の処理完了");
  form->ShowStatus("a.pdfの処理完了");
  EXPECT_EQ(form->LabelState->text(), "a.pdfの処理完了");
  EXPECT_TRUE(form->LabelState->toolTip().isEmpty());
  form->close();
}

// A drop the window will not take is refused to the drag source.
TEST_F(MainWindowTest, ADropOfANonPdfIsRefused) {
  Touch(out_.path() + "/note.txt");
  auto form = NewFormWithOutput();
  form->show();
  form->OnLoadInputFile = [](const std::string&) { return true; };
  EXPECT_FALSE(DropFiles(form.get(), {out_.path() + "/note.txt"}));
  EXPECT_TRUE(DropFiles(form.get(), {out_.path() + "/note.pdf"}));
  form->close();
}

// A failed job says why in a message box after its status line.
TEST_F(MainWindowTest, AFailedJobShowsItsReasonAfterTheStatus) {
  const QString fixture = QString(SARVANE_TEST_SOURCE_DIR) + "/tests/fixtures/lock_three_pages.pdf";
  QTemporaryDir inputs;
  const QString plain = inputs.path() + "/plain.pdf";
  ASSERT_TRUE(QFile::copy(fixture, plain));
  errors_.clear();
  auto form = NewFormWithOutput();
  form->show();
  QString statusWhenShown;
  form->SetErrorMessagePresenter([&](const std::string& text) {
    statusWhenShown = form->LabelState->text();
    errors_.push_back(text);
  });
  DropFiles(form.get(), {plain});
  ASSERT_EQ(form->LabelState->text(), "plain.pdfの読み込み完了");
  ASSERT_TRUE(QDir(out_.path()).removeRecursively());
  QTest::mouseClick(form->SpeedButtonCreate, Qt::LeftButton);
  EXPECT_EQ(form->LabelState->text(), "plain.pdfの処理異常");
  EXPECT_EQ(statusWhenShown, "plain.pdfの処理異常");
  EXPECT_EQ(errors_, std::vector<std::string>{OutDir() + "plain.pdf に書き込めません (No such file or directory)"});
  form->close();
}

TEST_F(MainWindowTest, PendingMessagesDuringTheJobDoNotReenterIt) {
  const QString input = out_.path() + "/in.pdf";
  const QString other = out_.path() + "/other.pdf";
  Touch(input);
  Touch(other);
  auto form = NewFormWithOutput();
  form->show();
  int loads = 0, runs = 0;
  form->OnLoadInputFile = [&](const std::string&) {
    ++loads;
    return true;
  };
  DropFiles(form.get(), {input});
  ASSERT_EQ(loads, 1);
  bool closedDuringJob = true;
  form->OnCreatePress = [&](const std::string&) {
    ++runs;
    // A second press, a drop and a close arrive while the job lets the
    // window repaint.
    QMetaObject::invokeMethod(form.get(), [&] { form->SpeedButtonCreateClick(); }, Qt::QueuedConnection);
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(other)});
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &drop);
    closedDuringJob = form->close();
    form->ShowStatus("in.pdfの書き込み開始");
    form->ProcessMessages();
    return TForm1::prDone;
  };
  QTest::mouseClick(form->SpeedButtonCreate, Qt::LeftButton);
  QCoreApplication::processEvents();
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(loads, 1);
  EXPECT_FALSE(closedDuringJob);
  EXPECT_TRUE(form->isVisible());
  EXPECT_TRUE(form->CurrentInput().empty());
}

TEST_F(MainWindowTest, SecondTabLimitsReachTheLockedCopy) {
  const QString fixture = QString(SARVANE_TEST_SOURCE_DIR) + "/tests/fixtures/lock_three_pages.pdf";
  QTemporaryDir inputs;
  const QString plain = inputs.path() + "/plain.pdf";
  ASSERT_TRUE(QFile::copy(fixture, plain));
  auto form = NewFormWithOutput();
  form->show();
  QTest::mouseClick(form->CheckBox11, Qt::LeftButton, {}, QPoint(4, 8));
  QTest::keyClicks(form->EditOwnerPW, "secret");
  form->PageControl1->setCurrentWidget(form->TabSheet2);
  QTest::mouseClick(form->CheckBoxLockDate, Qt::LeftButton, {}, QPoint(4, 8));
  QTest::mouseClick(form->CheckBoxLockURL, Qt::LeftButton, {}, QPoint(4, 8));
  form->MonthCalendar1->setSelectedDate(QDate(2031, 1, 31));
  form->EditURL->clear();
  QTest::keyClicks(form->EditURL, "https://a.example/docs/");
  EXPECT_EQ(form->Settings().LimitDate, "2031/01/31");
  DropFiles(form.get(), {plain});
  QTest::mouseClick(form->SpeedButtonCreate, Qt::LeftButton);
  EXPECT_EQ(form->LabelState->text(), "plain.pdfの処理完了");
  EXPECT_TRUE(reported_.empty()) << (reported_.empty() ? "" : reported_[0]);
  QProcess qpdf;
  qpdf.start("qpdf", {"--password=secret", "--decrypt", "--stream-data=uncompress", out_.path() + "/plain.pdf", "-"});
  ASSERT_TRUE(qpdf.waitForFinished(30000));
  const QString text = QString::fromLatin1(qpdf.readAllStandardOutput());
  for (const char* name : {"(ViewLimit0)", "(ViewLimit1)", "(ViewLimit2)"}) EXPECT_TRUE(text.contains(name)) << name;
  // The date and address template, filled with both limits.
  EXPECT_EQ(text.count("\"2031/01/31\".split"), 3);
  EXPECT_EQ(text.count("var allowed = \"https://a.example/docs/\""), 3);
  form->close();
}

TEST_F(MainWindowTest, CalendarFollowsClicksAndKeys) {
  auto form = NewFormWithOutput();
  form->show();
  form->PageControl1->setCurrentWidget(form->TabSheet2);
  QTest::mouseClick(form->CheckBoxLockDate, Qt::LeftButton, {}, QPoint(4, 8));
  form->MonthCalendar1->setSelectedDate(QDate(2031, 1, 31));
  EXPECT_EQ(form->LimitDate(), "2031/01/31");
  EXPECT_TRUE(form->Settings().LockDateOn);
  auto* view = form->MonthCalendar1->findChild<QTableView*>();
  ASSERT_NE(view, nullptr);
  // January 2031 starts on a Wednesday: the 31st is not in the last week
  // shown, but in months that start late in the week it is; every row of
  // days must lie inside the calendar.
  const int lastRow = view->model()->rowCount() - 1;
  EXPECT_LE(view->rowViewportPosition(lastRow) + view->rowHeight(lastRow), view->viewport()->height());
  // August 2031 starts on a Friday, so its 31st is in the sixth week; a
  // click there must reach it.
  form->MonthCalendar1->setSelectedDate(QDate(2031, 8, 1));
  QModelIndex day31;
  for (int col = 0; col < view->model()->columnCount(); ++col) {
    QModelIndex i = view->model()->index(lastRow, col);
    if (i.data().toInt() == 31) day31 = i;
  }
  ASSERT_TRUE(day31.isValid());
  QRect cell = view->visualRect(day31);
  EXPECT_TRUE(view->viewport()->rect().contains(cell)) << cell.bottom() << " " << view->viewport()->height();
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
  EXPECT_EQ(form->LimitDate(), "2031/08/31");
  form->MonthCalendar1->setSelectedDate(QDate(2031, 1, 31));
  view->setFocus();
  QTest::keyClick(view, Qt::Key_Right);
  EXPECT_EQ(form->MonthCalendar1->selectedDate(), QDate(2031, 2, 1));
  EXPECT_EQ(form->LimitDate(), "2031/02/01");
}

TEST_F(MainWindowTest, OutputFolderChoiceAddsTheDelimiter) {
  QDir(out_.path()).mkpath("chosen");
  const QString chosen = out_.path() + "/chosen";
  Touch(chosen + "/x.pdf");
  auto form = NewFormWithOutput();
  form->show();
  WhenDialogShows([&](QFileDialog* d) {
    ChooseInDialog(d, chosen);
  });
  QTest::mouseClick(form->Button1, Qt::LeftButton);
  const std::string expected = chosen.toStdString() + "/";
  EXPECT_EQ(form->Settings().OutPath, expected);
  EXPECT_EQ(form->EditOutPath->text().toStdString(), expected);
  EXPECT_EQ(form->FileListBox1->Directory(), expected);
  ASSERT_EQ(form->FileListBox1->count(), 1);
  EXPECT_EQ(form->FileListBox1->item(0)->text(), "x.pdf");
  EXPECT_EQ(form->FolderDialog1->Directory(), chosen.toStdString());

  WhenDialogShows([](QFileDialog* d) { d->reject(); });
  QTest::mouseClick(form->Button1, Qt::LeftButton);
  EXPECT_EQ(form->Settings().OutPath, expected);
  ASSERT_TRUE(form->close());
  EXPECT_EQ(ReadSettings().OutPath, expected);
}

TEST_F(MainWindowTest, ListShowsPdfFilesAndTheDeleteCommandsRemoveThem) {
  for (const char* name : {"b.pdf", "A.PDF", "c.Pdf", "keep.txt", "pdf"}) Touch(out_.path() + "/" + name);
  QDir(out_.path()).mkpath("folder.pdf");
  auto form = NewFormWithOutput();
  auto names = [&] {
    QStringList n;
    for (int i = 0; i < form->FileListBox1->count(); ++i) n << form->FileListBox1->item(i)->text();
    return n;
  };
  EXPECT_EQ(names(), QStringList({"A.PDF", "b.pdf", "c.Pdf"}));

  // Deletion must not depend on the process's current folder.
  QString cwd = QDir::currentPath();
  QDir::setCurrent("/");
  form->FileListBox1->setCurrentRow(-1);
  form->mnuDelete->trigger();
  EXPECT_EQ(names().size(), 3);
  form->FileListBox1->setCurrentRow(1);
  form->mnuDelete->trigger();
  EXPECT_EQ(names(), QStringList({"A.PDF", "c.Pdf"}));
  EXPECT_FALSE(QFile::exists(out_.path() + "/b.pdf"));
  form->mnuAllDelete->trigger();
  EXPECT_TRUE(names().isEmpty());
  EXPECT_FALSE(QFile::exists(out_.path() + "/A.PDF"));
  EXPECT_FALSE(QFile::exists(out_.path() + "/c.Pdf"));
  EXPECT_TRUE(QFile::exists(out_.path() + "/keep.txt"));
  EXPECT_TRUE(QFileInfo(out_.path() + "/folder.pdf").isDir());
  // On an empty list both commands do nothing.
  form->mnuDelete->trigger();
  form->mnuAllDelete->trigger();
  QDir::setCurrent(cwd);
  EXPECT_TRUE(reported_.empty());
}

TEST_F(MainWindowTest, ShellOpens) {
  Touch(out_.path() + "/doc.pdf");
  auto form = NewFormWithOutput();
  form->show();
  const QUrl folder = QUrl::fromLocalFile(QString::fromStdString(OutDir()));
  const QUrl doc = QUrl::fromLocalFile(out_.path() + "/doc.pdf");
  struct Case {
    const char* what;
    std::function<void()> act;
    QList<QUrl> expected;
  };
  const Case cases[] = {
      {"output folder", [&] { QTest::mouseClick(form->SpeedButtonOutDir, Qt::LeftButton); }, {folder}},
      {"double click without selection", [&] { form->FileListBox1DblClick(); }, {}},
      {"double click on a file",
       [&] {
         form->FileListBox1->setCurrentRow(0);
         QRect r = form->FileListBox1->visualItemRect(form->FileListBox1->item(0));
         QTest::mouseClick(form->FileListBox1->viewport(), Qt::LeftButton, {}, r.center());
         QTest::mouseDClick(form->FileListBox1->viewport(), Qt::LeftButton, {}, r.center());
       },
       {doc}},
      {"home page", [&] { form->LabelHPClick(); }, {QUrl("https://sarvane.example.org/")}},
      {"mail", [&] { form->LabelMailClick(); }, {QUrl("mailto:support@sarvane.example.org")}},
      {"home page label clicked",
       [&] {
         form->PageControl1->setCurrentWidget(form->TabSheet3);
         QTest::mouseClick(form->LabelHP, Qt::LeftButton);
       },
       {QUrl("https://sarvane.example.org/")}},
      {"output folder gone",
       [&] {
         QDir(out_.path()).removeRecursively();
         QTest::mouseClick(form->SpeedButtonOutDir, Qt::LeftButton);
       },
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    opener_.opened.clear();
    c.act();
    EXPECT_EQ(opener_.opened, c.expected);
  }
  // A double click on an empty list does nothing.
  form->FileListBox1->Update();
  ASSERT_EQ(form->FileListBox1->count(), 0);
  opener_.opened.clear();
  form->FileListBox1DblClick();
  EXPECT_TRUE(opener_.opened.isEmpty());
}

TEST_F(MainWindowTest, SecondCopyEndsAndBringsTheFirstToTheFront) {
  auto form = NewFormWithOutput();
  form->showMinimized();
  ASSERT_TRUE(form->SingleInstance1->IsFirstInstance());
  QSignalSpy activated(form->SingleInstance1, &TSingleInstance::ActivationRequested);

  QTemporaryDir secondHome;
  QProcess second;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("SARVANE_HOME", secondHome.path());
  env.insert("QT_QPA_PLATFORM", "offscreen");
  second.setProcessEnvironment(env);
  second.start(SARVANE_GUI_EXE, {});
  ASSERT_TRUE(second.waitForStarted(10000));
  // Keep this copy's event loop turning so it can answer.
  QElapsedTimer t;
  t.start();
  while (second.state() != QProcess::NotRunning && t.elapsed() < 30000) QTest::qWait(20);
  ASSERT_EQ(second.state(), QProcess::NotRunning) << "the second copy did not end";
  EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();
  if (activated.isEmpty()) activated.wait(2000);
  EXPECT_EQ(activated.count(), 1);
  EXPECT_FALSE(form->isMinimized());
  // The second copy wrote nothing: no settings file, no work folder.
  EXPECT_TRUE(QDir(secondHome.path()).isEmpty()) << QDir(secondHome.path()).entryList().join(",").toStdString();

  // "sarvane FILE.pdf" while a copy runs: that copy selects the file (given
  // relative to the second copy's folder).
  Touch(out_.path() + "/opened.pdf");
  std::vector<std::string> loads;
  form->OnLoadInputFile = [&](const std::string& path) {
    loads.push_back(path);
    return true;
  };
  QProcess third;
  third.setProcessEnvironment(env);
  third.setWorkingDirectory(out_.path());
  third.start(SARVANE_GUI_EXE, {"opened.pdf"});
  ASSERT_TRUE(third.waitForStarted(10000));
  t.restart();
  while ((third.state() != QProcess::NotRunning || loads.empty()) && t.elapsed() < 30000) QTest::qWait(20);
  EXPECT_EQ(third.exitCode(), 0);
  EXPECT_EQ(loads, std::vector<std::string>{OutDir() + "opened.pdf"});
  EXPECT_EQ(form->EditPDF->text().toStdString(), OutDir() + "opened.pdf");
}

// A first copy started to open a file selects it once its window runs.
TEST_F(MainWindowTest, FileGivenAtStartIsSelected) {
  Touch(out_.path() + "/start.pdf");
  TForm1::SetFileToOpen(OutDir() + "start.pdf");
  auto form = NewFormWithOutput();
  TForm1::SetFileToOpen("");
  std::vector<std::string> loads;
  form->OnLoadInputFile = [&](const std::string& path) {
    loads.push_back(path);
    return true;
  };
  form->show();
  QTest::qWait(50);
  EXPECT_EQ(loads, std::vector<std::string>{OutDir() + "start.pdf"});
  form->close();
}

TEST_F(MainWindowTest, ScreenshotsOfEveryTab) {
  Touch(out_.path() + "/報告書.pdf");
  Touch(out_.path() + "/report.pdf");
  auto form = NewFormWithOutput();
  form->show();
  form->ShowStatus("報告書.pdfの読み込み完了");
  QString dir = QString(SARVANE_TEST_BINARY_DIR) + "/app/screens";
  ASSERT_TRUE(QDir().mkpath(dir));
  for (int i = 0; i < form->PageControl1->count(); ++i) {
    form->PageControl1->setCurrentIndex(i);
    QImage shot = form->grab().toImage();
    EXPECT_EQ(shot.size(), QSize(557, 411) * shot.devicePixelRatio());
    // Something other than the face colour was drawn.
    QColor face = shot.pixelColor(shot.width() / 2, shot.height() - 3);
    bool drawn = false;
    for (int y = 0; y < shot.height() && !drawn; y += 7)
      for (int x = 0; x < shot.width() && !drawn; x += 7) drawn = shot.pixelColor(x, y) != face;
    EXPECT_TRUE(drawn);
    EXPECT_TRUE(shot.save(QString("%1/tab%2.png").arg(dir).arg(i + 1)));
  }
}

}  // namespace
}  // namespace sarvane::app

#include "Unit1_test.moc"
