#include "app/Unit1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QTableView>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRegularExpression>
#include <QScreen>
#include <QUrl>

#include <algorithm>

#include "app/AppFiles.h"
#include "app/CalendarHeader.h"
#include "app/JobFolder.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/Paths.h"

namespace sarvane::app {

namespace {

// Status and message texts come as UTF-8; setting values the job hands to
// the library are in the system code page; paths are file-system bytes.
QString FromUtf8(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

std::string ToAnsi(const QString& text) {
  return Utf16ToAnsi(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), text.size()));
}

QString FromAnsi(const std::string& text) {
  std::u16string wide = AnsiToUtf16(text);
  return QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size()));
}

std::string ToPath(const QString& path) { return QFile::encodeName(path).toStdString(); }
QString FromPath(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

std::function<void(const std::string&)>& ErrorPresenter() {
  static std::function<void(const std::string&)> presenter;
  return presenter;
}

// --- glyphs of the flat buttons ---

QPixmap NewGlyph() {
  QPixmap pm(20, 20);
  pm.fill(Qt::transparent);
  return pm;
}

QIcon FolderGlyph(bool open) {
  QPixmap pm = NewGlyph();
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(0x80, 0x60, 0x10), 1));
  p.setBrush(QColor(0xF0, 0xC8, 0x40));
  QPainterPath back;
  back.moveTo(2, 5);
  back.lineTo(8, 5);
  back.lineTo(10, 7);
  back.lineTo(17, 7);
  back.lineTo(17, 16);
  back.lineTo(2, 16);
  back.closeSubpath();
  p.drawPath(back);
  p.setBrush(QColor(0xFF, 0xE0, 0x70));
  if (open) {
    QPolygonF front({QPointF(4, 9), QPointF(19, 9), QPointF(17, 16), QPointF(2, 16)});
    p.drawPolygon(front);
  } else {
    p.drawRect(QRectF(2, 9, 15, 7));
  }
  p.end();
  return QIcon(pm);
}

QIcon OpenFolderArrowGlyph() {
  QPixmap pm = FolderGlyph(true).pixmap(20, 20);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(0x10, 0x60, 0x10), 2));
  p.drawLine(QPointF(10, 12), QPointF(16, 3));
  p.drawLine(QPointF(16, 3), QPointF(12, 4));
  p.drawLine(QPointF(16, 3), QPointF(16, 7));
  p.end();
  return QIcon(pm);
}

QPixmap LockPixmap(int size) {
  QPixmap pm(size, size);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 20.0, size / 20.0);
  p.setPen(QPen(QColor(0x50, 0x50, 0x60), 2));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(6, 2, 8, 10), 0, 180 * 16);
  p.drawLine(QPointF(6, 7), QPointF(6, 9));
  p.drawLine(QPointF(14, 7), QPointF(14, 9));
  p.setPen(QPen(QColor(0x80, 0x60, 0x10), 1));
  p.setBrush(QColor(0xE8, 0xB0, 0x30));
  p.drawRoundedRect(QRectF(3.5, 9, 13, 9), 1.5, 1.5);
  p.setBrush(QColor(0x40, 0x30, 0x10));
  p.setPen(Qt::NoPen);
  p.drawEllipse(QPointF(10, 12.5), 1.5, 1.5);
  p.drawRect(QRectF(9.4, 12.5, 1.2, 3));
  p.end();
  return pm;
}

void SetChecked(QCheckBox* box, bool checked) { box->setChecked(checked); }

}  // namespace

// --- TLinkLabel ---

void TLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
}

// --- TOpenDialog ---

TOpenDialog::TOpenDialog(QWidget* owner) : QObject(owner), owner_(owner) {}

QStringList QtNameFilters(const std::string& filter) {
  QStringList parts = QString::fromUtf8(filter.c_str()).split('|');
  QStringList out;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i].trimmed();
    QString patterns = parts[i + 1].split(';', Qt::SkipEmptyParts).join(' ').trimmed();
    if (description.endsWith("(" + patterns + ")"))
      out << description;
    else
      out << description + " (" + patterns + ")";
  }
  return out;
}

bool TOpenDialog::Execute() {
  QFileDialog dialog(owner_ ? owner_->window() : nullptr, QString::fromUtf8(Title.c_str()));
  dialog.setObjectName("OpenDialog1");
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  QStringList filters = QtNameFilters(Filter);
  if (!filters.isEmpty()) dialog.setNameFilters(filters);
  dialog.setDefaultSuffix(QString::fromUtf8(DefaultExt.c_str()));
  if (!FileName.empty()) dialog.selectFile(FromPath(FileName));
  if (dialog.exec() != QDialog::Accepted) return false;
  QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return false;
  FileName = ToPath(chosen.first());
  return true;
}

// --- TFileListBox ---

TFileListBox::TFileListBox(QWidget* parent) : QListWidget(parent) {}

void TFileListBox::SetDirectory(const std::string& value) {
  directory_ = IncludeTrailingPathDelimiter(value);
  Update();
}

void TFileListBox::SetMask(const QString& value) {
  mask_ = value;
  Update();
}

void TFileListBox::Update() {
  clear();
  if (directory_.empty()) return;
  QDir dir(FromPath(directory_));
  // Linux file names keep their case: "X.PDF" is as much a PDF file as "x.pdf".
  dir.setNameFilters({mask_});
  dir.setFilter(QDir::Files);
  dir.setSorting(QDir::Name | QDir::IgnoreCase);
  addItems(dir.entryList());
}

std::string TFileListBox::ItemPath(int index) const {
  QListWidgetItem* it = item(index);
  return it ? directory_ + ToPath(it->text()) : std::string();
}

// --- window placement ---

QPoint ClampToScreens(QPoint pos, QSize frameSize, const QList<QRect>& screens) {
  if (screens.isEmpty()) return pos;
  // The title bar's left part must be on a screen, or the user cannot reach
  // the window to move it.
  QRect grip(pos, QSize(std::min(frameSize.width(), 100), std::min(frameSize.height(), 24)));
  for (const QRect& s : screens)
    if (s.contains(grip)) return pos;
  const QRect& s = screens.first();
  int x = std::clamp(pos.x(), s.left(), std::max(s.left(), s.right() + 1 - frameSize.width()));
  int y = std::clamp(pos.y(), s.top(), std::max(s.top(), s.bottom() + 1 - frameSize.height()));
  return QPoint(x, y);
}

// --- TForm1 ---

TForm1::TForm1(QWidget* parent) : QWidget(parent) {
  setObjectName("Form1");
  setWindowTitle(kApplicationTitle);
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

  // The guard goes first: a second copy ends before it builds anything.
  SingleInstance1 = new TSingleInstance(this);
  SingleInstance1->setObjectName("SingleInstance1");
  SingleInstance1->SetDupInstAction(diActivateFirst);
  SingleInstance1->SetErrorMessage(kDefaultDupErrorMessage);
  SingleInstance1->SetUniqueName(kSingleInstanceName);
  SingleInstance1->SetFileToOpen(FileToOpen());
  try {
    SingleInstance1->Loaded();
  } catch (const std::exception& e) {
    ShowException(e);
    TerminateApplication();
  }
  if (SingleInstance1->IsDuplicate() || ApplicationTerminated()) {
    terminated_ = true;
    return;
  }

  setFixedSize(557, 411);
  QFont font;
  font.setFamilies({"ＭＳ Ｐゴシック", "IPAPGothic", "Noto Sans CJK JP"});
  font.setPixelSize(12);
  // Controls under a style sheet take the application's font rather than
  // their window's; the tool has this one window, so the face is set for
  // the whole application (its dialogs included).
  QApplication::setFont(font);
  setFont(font);
  setWindowIcon(QIcon(LockPixmap(32)));

  // Group boxes with their caption in the frame line, and tabs low enough
  // that the sheets keep the room the layout gives their controls.
  setStyleSheet(
      "QGroupBox { border: 1px solid palette(mid); margin-top: 6px; }"
      "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left; left: 6px; padding: 0 2px; }"
      "QTabBar::tab { height: 19px; }"
      // Passwords are masked with "*" whatever the platform's mask character.
      "QLineEdit { lineedit-password-character: 42; }");

  BuildControls();
  // Fonts and the style sheet reach the controls when they are polished;
  // what depends on them comes after.
  ensurePolished();
  for (QLineEdit* pw : {EditOpenPW, EditOwnerPW, EditUserPW}) pw->setEchoMode(QLineEdit::Password);
  FitTexts();
  CreateComponents();
  ConnectHandlers();
  Guarded([this] { FormCreate(); });
  created_ = true;
  // A file to open is selected as a drop would select it, once the window
  // runs; so is one a later copy hands over.
  connect(SingleInstance1, &TSingleInstance::OpenRequested, this, [this](const QString& path) { OpenFile(path); });
  if (const std::string path = FileToOpen(); !path.empty()) {
    QMetaObject::invokeMethod(this, [this, path] { OpenFile(FromPath(path)); }, Qt::QueuedConnection);
  }
}

std::string& TForm1::FileToOpen() {
  static std::string path;
  return path;
}

void TForm1::SetFileToOpen(const std::string& path) { FileToOpen() = path; }

void TForm1::OpenFile(const QString& path) { FileDrop1FileDrop(nullptr, 1, {path}, 0, 0); }

TForm1::~TForm1() = default;

template <typename F>
void TForm1::Guarded(F&& handler) {
  try {
    handler();
  } catch (const std::exception& e) {
    ShowException(e);
  } catch (...) {
    ShowExceptionMessage("Unknown exception");
  }
}

void TForm1::BuildControls() {
  auto label = [](QWidget* parent, const char* name, const char* text, int x, int y) {
    auto* l = new QLabel(QString::fromUtf8(text), parent);
    l->setObjectName(name);
    l->move(x, y);
    l->adjustSize();
    return l;
  };
  auto edit = [](QWidget* parent, const char* name, QRect geometry, const char* hint) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setGeometry(geometry);
    if (hint) e->setToolTip(QString::fromUtf8(hint));
    // A file dragged over an edit belongs to the window's drop target, not
    // to the edit as text.
    e->setAcceptDrops(false);
    return e;
  };
  auto check = [](QWidget* parent, const char* name, const char* text, QRect geometry) {
    auto* c = new QCheckBox(QString::fromUtf8(text), parent);
    c->setObjectName(name);
    c->setGeometry(geometry);
    return c;
  };
  auto group = [](QWidget* parent, const char* name, const char* text, QRect geometry, const char* hint) {
    auto* g = new QGroupBox(QString::fromUtf8(text), parent);
    g->setObjectName(name);
    g->setGeometry(geometry);
    if (hint) g->setToolTip(QString::fromUtf8(hint));
    return g;
  };
  auto flatButton = [](QWidget* parent, const char* name, const char* text, QRect geometry, QIcon icon) {
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(QString::fromUtf8(text));
    b->setGeometry(geometry);
    b->setAutoRaise(true);
    b->setIcon(icon);
    b->setIconSize(QSize(20, 20));
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    return b;
  };
  auto panel = [](QWidget* parent, const char* name, QRect geometry, QFrame::Shadow shadow, QFrame::Shape shape) {
    auto* f = new QFrame(parent);
    f->setObjectName(name);
    f->setGeometry(geometry);
    f->setFrameShape(shape);
    f->setFrameShadow(shadow);
    f->setLineWidth(1);
    return f;
  };

  PageControl1 = new QTabWidget(this);
  PageControl1->setObjectName("PageControl1");
  PageControl1->setGeometry(0, 0, 353, 366);
  PageControl1->setTabPosition(QTabWidget::South);
  PageControl1->setToolTip("ここにドロップします");

  // Tab 1: file, unlock password, passwords, restrictions, strength.
  TabSheet1 = new QWidget;
  TabSheet1->setObjectName("TabSheet1");
  PageControl1->addTab(TabSheet1, "設定１");
  GroupBox3 = group(TabSheet1, "GroupBox3", "ファイル", QRect(0, 0, 345, 49), nullptr);
  Label2 = label(GroupBox3, "Label2", "ＰＤＦ", 8, 16);
  EditPDF = edit(GroupBox3, "EditPDF", QRect(48, 16, 209, 20), "対象のＰＤＦファイル");
  EditPDF->setReadOnly(true);
  SpeedButtonLoad = flatButton(GroupBox3, "SpeedButtonLoad", "参照", QRect(272, 16, 65, 25), FolderGlyph(true));
  CheckBox11 = check(TabSheet1, "CheckBox11", "セキュリティ使用", QRect(8, 56, 105, 17));
  CheckBox11->setToolTip("制限をかけます");
  Label5 = label(TabSheet1, "Label5", "解除", 128, 58);
  EditOpenPW = edit(TabSheet1, "EditOpenPW", QRect(160, 56, 169, 20), "オーナー権限と同一を推奨");
  GroupBox1 = group(TabSheet1, "GroupBox1", "パスワード", QRect(0, 81, 345, 64), nullptr);
  Label1 = label(GroupBox1, "Label1", "オーナ権限", 8, 16);
  EditOwnerPW = edit(GroupBox1, "EditOwnerPW", QRect(80, 8, 249, 20), "改版権限用パスワード");
  CheckBox1 = check(GroupBox1, "CheckBox1", "ユーザ", QRect(8, 40, 113, 17));
  EditUserPW = edit(GroupBox1, "EditUserPW", QRect(80, 40, 249, 20), "開くだけのパスワード");
  GroupBox2 = group(TabSheet1, "GroupBox2", "制限事項", QRect(0, 145, 345, 137), "各種制限");
  const char* restrictions[] = {"印刷無効",           "修正無効",           "内容コピー無効",      "アノテーション無効",
                                "ドキュメント・アセンブリ無効", "フォーム・フィル無効", "アクセシビリティ無効"};
  QCheckBox** boxes[] = {&CheckBox2, &CheckBox3, &CheckBox4, &CheckBox5, &CheckBox6, &CheckBox7, &CheckBox8};
  for (int i = 0; i < 7; ++i) {
    std::string name = "CheckBox" + std::to_string(i + 2);
    *boxes[i] = check(GroupBox2, name.c_str(), restrictions[i], QRect(8, 16 + 16 * i, 329, 17));
  }
  RadioGroup1 = group(TabSheet1, "RadioGroup1", "暗号化", QRect(0, 282, 345, 57), "暗号化強度");
  RadioGroup1Buttons = new QButtonGroup(RadioGroup1);
  RadioGroup1Buttons->setObjectName("RadioGroup1Buttons");
  {
    // Two columns, so that the third item fits the group as it stands.
    auto* r128 = new QRadioButton("128bits", RadioGroup1);
    r128->setObjectName("RadioGroup1Item0");
    r128->setGeometry(8, 16, 160, 17);
    auto* r40 = new QRadioButton("40bits", RadioGroup1);
    r40->setObjectName("RadioGroup1Item1");
    r40->setGeometry(8, 34, 160, 17);
    auto* rAes = new QRadioButton("AES 256bits", RadioGroup1);
    rAes->setObjectName("RadioGroup1Item2");
    rAes->setGeometry(176, 16, 161, 17);
    RadioGroup1Buttons->addButton(r128, 0);
    RadioGroup1Buttons->addButton(r40, 1);
    RadioGroup1Buttons->addButton(rAes, 2);
  }

  // Tab 2: the view limits.
  TabSheet2 = new QWidget;
  TabSheet2->setObjectName("TabSheet2");
  PageControl1->addTab(TabSheet2, "設定２");
  GroupBox4 = group(TabSheet2, "GroupBox4", "閲覧期限", QRect(0, 0, 345, 209), "期限を過ぎると開けなくします");
  CheckBoxLockDate = check(GroupBox4, "CheckBoxLockDate", "閲覧期限を付ける", QRect(8, 16, 153, 17));
  Panel2 = panel(GroupBox4, "Panel2", QRect(2, 40, 341, 167), QFrame::Sunken, QFrame::Panel);
  MonthCalendar1 = new QCalendarWidget(Panel2);
  MonthCalendar1->setObjectName("MonthCalendar1");
  MonthCalendar1->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
  MonthCalendar1->setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
  ShowYearBeforeMonth(MonthCalendar1);
  // Fills the panel inside its one-pixel bevel; the window never resizes.
  MonthCalendar1->setGeometry(Panel2->contentsRect());
  // The panel is lower than the calendar would like: its rows shrink to fit
  // so the sixth week (which can hold the 30th and 31st) stays clickable.
  if (auto* days = MonthCalendar1->findChild<QTableView*>()) {
    days->verticalHeader()->setMinimumSectionSize(14);
    days->horizontalHeader()->setMinimumSectionSize(14);
  }
  GroupBox5 = group(TabSheet2, "GroupBox5", "URL制限", QRect(0, 209, 345, 80), "特定のＵＲＬ以外で開けなくなります");
  CheckBoxLockURL = check(GroupBox5, "CheckBoxLockURL", "URL制限をつける", QRect(8, 16, 177, 25));
  Label3 = label(GroupBox5, "Label3", "URL", 8, 40);
  EditURL = edit(GroupBox5, "EditURL", QRect(88, 40, 233, 20), nullptr);

  // Tab 3: output folder and the maker.
  TabSheet3 = new QWidget;
  TabSheet3->setObjectName("TabSheet3");
  PageControl1->addTab(TabSheet3, "About");
  Label4 = label(TabSheet3, "Label4", "出力フォルダ", 8, 16);
  EditOutPath = edit(TabSheet3, "EditOutPath", QRect(88, 16, 201, 20), "出力先を設定します");
  EditOutPath->setReadOnly(true);
  Button1 = new QPushButton("参照", TabSheet3);
  Button1->setObjectName("Button1");
  Button1->setGeometry(296, 16, 33, 25);
  Panel3 = panel(TabSheet3, "Panel3", QRect(160, 256, 177, 73), QFrame::Sunken, QFrame::StyledPanel);
  LabelHP = new TLinkLabel(kMakerName, Panel3);
  LabelHP->setObjectName("LabelHP");
  {
    QFont f = font();
    f.setPixelSize(27);
    f.setBold(true);
    f.setItalic(true);
    f.setUnderline(true);
    LabelHP->setFont(f);
  }
  LabelMail = new TLinkLabel(kMakerMail, Panel3);
  LabelMail->setObjectName("LabelMail");
  {
    QFont f = font();
    f.setUnderline(true);
    LabelMail->setFont(f);
  }
  for (TLinkLabel* link : {LabelHP, LabelMail}) {
    link->setCursor(Qt::PointingHandCursor);
    QPalette pal = link->palette();
    pal.setColor(QPalette::WindowText, QColor(0x00, 0x00, 0x80));
    link->setPalette(pal);
  }
  LabelHP->move(10, 14);
  LabelHP->adjustSize();
  LabelMail->move(13, 45);
  LabelMail->adjustSize();
  LabelVer = new QLabel(kVersionText, Panel3);
  LabelVer->setObjectName("LabelVer");
  {
    QFont f = font();
    f.setBold(true);
    LabelVer->setFont(f);
  }
  LabelVer->move(108, 45);
  LabelVer->adjustSize();

  // Bottom: status line and the create button.
  Panel1 = panel(this, "Panel1", QRect(0, 366, 557, 45), QFrame::Sunken, QFrame::Panel);
  Panel1->setToolTip("ここからドラッグします");
  LabelState = new QLabel(Panel1);
  LabelState->setObjectName("LabelState");
  LabelState->setGeometry(16, 8, 417, 25);
  LabelState->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  SpeedButtonCreate = flatButton(Panel1, "SpeedButtonCreate", "作成", QRect(448, 8, 105, 33), QIcon(LockPixmap(20)));
  SpeedButtonCreate->setToolTip("処理を実行");

  // Right: the output folder's PDF files.
  Panel4 = panel(this, "Panel4", QRect(353, 0, 204, 366), QFrame::Plain, QFrame::NoFrame);
  FileListBox1 = new TFileListBox(Panel4);
  FileListBox1->setObjectName("FileListBox1");
  FileListBox1->setGeometry(0, 0, 204, 321);
  FileListBox1->SetMask("*.pdf");
  FileListBox1->setContextMenuPolicy(Qt::CustomContextMenu);
  SpeedButtonOutDir =
      flatButton(Panel4, "SpeedButtonOutDir", "出力フォルダを開く", QRect(32, 328, 153, 33), OpenFolderArrowGlyph());
}

void TForm1::FitTexts() {
  // The layout was made for a narrower face than the fonts found here: a
  // caption that would be cut is set a little narrower instead, down to a
  // readable limit.
  auto narrow = [](QWidget* w, const QString& text, int room) {
    int need = w->sizeHint().width();
    int textWidth = w->fontMetrics().horizontalAdvance(text);
    if (need <= room || textWidth <= 0) return;
    int extra = need - textWidth;  // indicator, spacing, margins
    QFont f = w->font();
    f.setStretch(std::max(70, (room - extra) * 100 / textWidth));
    w->setFont(f);
  };
  for (QCheckBox* box : findChildren<QCheckBox*>()) narrow(box, box->text(), box->width());
  narrow(LabelHP, LabelHP->text(), Panel3->contentsRect().right() - LabelHP->x());
  LabelHP->adjustSize();
  // The maker's name keeps to its line: a face taller than the designed one
  // (a CJK face's line is about 1.45 em) is set smaller rather than run into
  // the address and version below.
  const int lineRoom = std::min(LabelMail->y(), LabelVer->y()) - LabelHP->y();
  while (LabelHP->height() > lineRoom && LabelHP->font().pixelSize() > font().pixelSize()) {
    QFont f = LabelHP->font();
    f.setPixelSize(f.pixelSize() - 1);
    LabelHP->setFont(f);
    LabelHP->adjustSize();
  }
  // The address has only the room up to the version label; the rest is
  // elided and the whole address is in the tool tip.
  int room = LabelVer->x() - LabelMail->x() - 4;
  QString mail = QString::fromUtf8(kMakerMail);
  LabelMail->setText(LabelMail->fontMetrics().elidedText(mail, Qt::ElideRight, room));
  LabelMail->adjustSize();
  if (LabelMail->text() != mail) LabelMail->setToolTip(mail);
}

void TForm1::CreateComponents() {
  // The job reads the settings values live, as the controls store them.
  lockJob_ = std::make_unique<TLockJob>(*this, settings_);
  OnLoadInputFile = [this](const std::string& path) { return lockJob_->LoadInputFile(path); };
  OnCreatePress = [this](const std::string& input) {
    bool ok = lockJob_->CreatePress(input);
    if (lockJob_->LastPressRaised()) return prRaised;
    return ok ? prDone : prFailed;
  };

  OpenDialog1 = new TOpenDialog(this);
  OpenDialog1->setObjectName("OpenDialog1");
  OpenDialog1->Title = "ファイルの読み込み";

  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName("PopupMenu1");
  mnuDelete = PopupMenu1->addAction("選択削除");
  mnuDelete->setObjectName("mnuDelete");
  mnuAllDelete = PopupMenu1->addAction("全て削除");
  mnuAllDelete->setObjectName("mnuAllDelete");

  FolderDialog1 = new TFolderDialog(this);
  FolderDialog1->setObjectName("FolderDialog1");
  FolderDialog1->SetTitle(kDefaultFolderDialogTitle);

  FileDrop1 = new TFileDrop(this);
  FileDrop1->setObjectName("FileDrop1");
  FileDrop1->Loaded();
}

void TForm1::ConnectHandlers() {
  connect(SpeedButtonLoad, &QToolButton::clicked, this, [this] { SpeedButtonLoadClick(); });
  connect(SpeedButtonCreate, &QToolButton::clicked, this, [this] { SpeedButtonCreateClick(); });
  const std::pair<QCheckBox*, void (TForm1::*)()> boxes[] = {
      {CheckBox11, &TForm1::CheckBox11Click},        {CheckBox1, &TForm1::CheckBox1Click},
      {CheckBox2, &TForm1::CheckBox2Click},          {CheckBox3, &TForm1::CheckBox3Click},
      {CheckBox4, &TForm1::CheckBox4Click},          {CheckBox5, &TForm1::CheckBox5Click},
      {CheckBox6, &TForm1::CheckBox6Click},          {CheckBox7, &TForm1::CheckBox7Click},
      {CheckBox8, &TForm1::CheckBox8Click},          {CheckBoxLockDate, &TForm1::CheckBoxLockDateClick},
      {CheckBoxLockURL, &TForm1::CheckBoxLockURLClick}};
  // toggled, not clicked: a box set from the settings stores its value too.
  for (auto [box, handler] : boxes)
    connect(box, &QCheckBox::toggled, this, [this, handler] { Guarded([this, handler] { (this->*handler)(); }); });
  connect(RadioGroup1Buttons, &QButtonGroup::idToggled, this, [this](int, bool on) {
    if (on) Guarded([this] { RadioGroup1Click(); });
  });
  // The date also changes from the keyboard; both count as a click.
  connect(MonthCalendar1, &QCalendarWidget::selectionChanged, this, [this] { Guarded([this] { MonthCalendar1Click(); }); });
  connect(EditOpenPW, &QLineEdit::textChanged, this, [this] { Guarded([this] { EditOpenPWChange(); }); });
  connect(EditOwnerPW, &QLineEdit::textChanged, this, [this] { Guarded([this] { EditOwnerPWChange(); }); });
  connect(EditUserPW, &QLineEdit::textChanged, this, [this] { Guarded([this] { EditUserPWChange(); }); });
  connect(EditURL, &QLineEdit::textChanged, this, [this] { Guarded([this] { EditURLChange(); }); });
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(SpeedButtonOutDir, &QToolButton::clicked, this, [this] { SpeedButtonOutDirClick(); });
  connect(FileListBox1, &QListWidget::itemDoubleClicked, this, [this] { FileListBox1DblClick(); });
  connect(FileListBox1, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { PopupMenu1->popup(FileListBox1->viewport()->mapToGlobal(pos)); });
  connect(mnuDelete, &QAction::triggered, this, [this] { mnuDeleteClick(); });
  connect(mnuAllDelete, &QAction::triggered, this, [this] { mnuAllDeleteClick(); });
  connect(LabelHP, &TLinkLabel::clicked, this, [this] { LabelHPClick(); });
  connect(LabelMail, &TLinkLabel::clicked, this, [this] { LabelMailClick(); });
  // The drop event returns to the drag source first; the selection (which
  // may take long and show message boxes) runs afterwards.
  // Only a PDF first in the drag is taken, and none while a job runs; the
  // drag source shows any other drop as refused, and the selection stays.
  FileDrop1->OnCanDrop = [this](const QStringList& files) { return !busy_ && IsPdfName(ToPath(files.first())); };
  FileDrop1->OnFileDrop = [this](QObject* sender, int num, const QStringList& files, int x, int y) {
    QPointer<QObject> from(sender);
    QMetaObject::invokeMethod(
        this, [this, from, num, files, x, y] { FileDrop1FileDrop(from, num, files, x, y); }, Qt::QueuedConnection);
  };
}

// --- start-up and close ---

void TForm1::FormCreate() {
  CreateWorkFolder();
  // What jobs of ended runs left behind; running jobs keep their folders.
  CleanStaleJobFolders();

  settings_ = ReadSettings();
  QPoint start(settings_.Left, settings_.Top);
  QList<QRect> screens;
  for (QScreen* s : QGuiApplication::screens()) screens << s->availableGeometry();
  QPoint placed = ClampToScreens(start, frameGeometry().size().expandedTo(size()), screens);
  move(placed);
  // What the file said stays the fall-back for a platform that never tells
  // where the window is (the close keeps these then).
  settings_.Left = placed.x();
  settings_.Top = placed.y();

  TSettings read = settings_;
  EditOpenPW->setText(FromAnsi(read.Open));
  EditOwnerPW->setText(FromAnsi(read.Owner));
  EditUserPW->setText(FromAnsi(read.User));
  SetChecked(CheckBox11, read.EN);
  SetChecked(CheckBox1, read.PW);
  SetChecked(CheckBox2, read.PR);
  SetChecked(CheckBox3, read.MD);
  SetChecked(CheckBox4, read.CP);
  SetChecked(CheckBox5, read.AN);
  SetChecked(CheckBox6, read.DA);
  SetChecked(CheckBox7, read.FF);
  SetChecked(CheckBox8, read.AC);
  // Below 0 selects none; an unknown value the 40-bit item, as it always did.
  int index = RadioGroupIndexOf(read.BT);
  if (index < 0) {
    RadioGroup1Buttons->setExclusive(false);
    for (QAbstractButton* b : RadioGroup1Buttons->buttons()) b->setChecked(false);
    RadioGroup1Buttons->setExclusive(true);
  } else {
    RadioGroup1Buttons->button(index)->setChecked(true);
  }
  settings_.BT = index;
  SetChecked(CheckBoxLockDate, read.LockDateOn);
  SetChecked(CheckBoxLockURL, read.LockURLOn);
  EditURL->setText(FromAnsi(read.LockURL));
  // Setting a control stores its value through its handler; make sure the
  // stored values are exactly the file's even where a control could not
  // show them.
  settings_.Open = read.Open;
  settings_.Owner = read.Owner;
  settings_.User = read.User;
  settings_.LockURL = read.LockURL;

  currentInput_.clear();
  EditPDF->clear();

  LocalDateTime today = Now();
  limitDate_ = FormatDateTime("yyyy/mm/dd", today);
  settings_.LimitDate = limitDate_;
  {
    QSignalBlocker block(MonthCalendar1);
    MonthCalendar1->setSelectedDate(QDate(today.year, today.month, today.day));
  }

  std::string out = settings_.OutPath;
  if (!IsWritableFolder(out)) out = DefaultOutputFolder();
  SetOutputFolder(out);

  LabelState->clear();
  PageControl1->setCurrentWidget(TabSheet1);
}

bool TForm1::PlatformReportsPositions() const {
  // Wayland keeps window positions to the compositor: pos() is always 0,0.
  return !QGuiApplication::platformName().startsWith("wayland");
}

void TForm1::FormClose() {
  bool normal = !(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
  if (normal && PlatformReportsPositions()) {
    QPoint frame = pos();
    settings_.Top = frame.y();
    settings_.Left = frame.x();
  }
  // The password and address values are the edits' texts: their change
  // handlers keep them current (and a stored password that the code page
  // cannot show in an edit survives as long as nobody edits it).
  // WriteSettings scrambles the passwords.
  WriteSettings(settings_);
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (terminated_ || !created_) {
    event->accept();
    return;
  }
  // A job that is processing messages is not interrupted by a close.
  if (busy_) {
    event->ignore();
    return;
  }
  try {
    FormClose();
    event->accept();
  } catch (const std::exception& e) {
    event->ignore();
    ShowException(e);
  }
}

// --- file selection ---

void TForm1::SpeedButtonLoadClick() {
  if (busy_) return;
  Guarded([this] {
    OpenDialog1->Filter = "pdf file(*.pdf)|*.pdf";
    OpenDialog1->DefaultExt = "pdf";
    if (!OpenDialog1->Execute()) return;
    currentInput_ = OpenDialog1->FileName;
    EditPDF->setText(FromPath(currentInput_));
    SetStatusText(FromPath(ExtractFileName(currentInput_)));
    LoadInputFile(currentInput_);
  });
}

void TForm1::FileDrop1FileDrop(QObject*, int Num, const QStringList& Files, int, int) {
  if (busy_) return;
  Guarded([&] {
    if (Num < 1 || Files.isEmpty()) return;
    std::string first = ToPath(Files.first());
    if (!IsPdfName(first)) return;
    currentInput_ = first;
    SetStatusText(FromPath(ExtractFileName(currentInput_)));
    LoadInputFile(currentInput_);
    EditPDF->setText(FromPath(currentInput_));
  });
}

bool TForm1::LoadInputFile(const std::string& path) {
  // Call point of the lock job's selection step.
  if (!OnLoadInputFile) return false;
  busy_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{busy_};
  return OnLoadInputFile(path);
}

// --- the create press ---

void TForm1::SpeedButtonCreateClick() {
  if (busy_) return;
  Guarded([this] {
    if (currentInput_.empty() || !FileExists(currentInput_)) return;
    // The job shows the outcome on the status line itself.
    if (CreatePress(currentInput_) == prRaised) return;  // reported; the input stays
    // A new job needs a new selection, which rebuilds the work file.
    currentInput_.clear();
    EditPDF->clear();
    ProcessMessages();
  });
}

TForm1::TPressResult TForm1::CreatePress(const std::string& input) {
  if (!OnCreatePress) return prFailed;
  busy_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{busy_};
  return OnCreatePress(input);
}

// --- settings values ---

void TForm1::CheckBox11Click() { settings_.EN = CheckBox11->isChecked(); }
void TForm1::CheckBox1Click() { settings_.PW = CheckBox1->isChecked(); }
void TForm1::CheckBox2Click() { settings_.PR = CheckBox2->isChecked(); }
void TForm1::CheckBox3Click() { settings_.MD = CheckBox3->isChecked(); }
void TForm1::CheckBox4Click() { settings_.CP = CheckBox4->isChecked(); }
void TForm1::CheckBox5Click() { settings_.AN = CheckBox5->isChecked(); }
void TForm1::CheckBox6Click() { settings_.DA = CheckBox6->isChecked(); }
void TForm1::CheckBox7Click() { settings_.FF = CheckBox7->isChecked(); }
void TForm1::CheckBox8Click() { settings_.AC = CheckBox8->isChecked(); }
void TForm1::CheckBoxLockDateClick() { settings_.LockDateOn = CheckBoxLockDate->isChecked(); }
void TForm1::CheckBoxLockURLClick() { settings_.LockURLOn = CheckBoxLockURL->isChecked(); }
void TForm1::RadioGroup1Click() { settings_.BT = RadioGroup1Buttons->checkedId(); }

void TForm1::MonthCalendar1Click() {
  limitDate_ = MonthCalendar1->selectedDate().toString(kLimitDateFormat).toStdString();
  settings_.LimitDate = limitDate_;
  CheckBoxLockDateClick();
}

void TForm1::EditOpenPWChange() { settings_.Open = ToAnsi(EditOpenPW->text()); }
void TForm1::EditOwnerPWChange() { settings_.Owner = ToAnsi(EditOwnerPW->text()); }
void TForm1::EditUserPWChange() { settings_.User = ToAnsi(EditUserPW->text()); }
void TForm1::EditURLChange() { settings_.LockURL = ToAnsi(EditURL->text()); }

// --- output folder and its files ---

void TForm1::SetOutputFolder(const std::string& folder) {
  settings_.OutPath = IncludeTrailingPathDelimiter(folder);
  EditOutPath->setText(FromPath(settings_.OutPath));
  FileListBox1->SetDirectory(settings_.OutPath);
}

void TForm1::Button1Click() {
  Guarded([this] {
    if (!FolderDialog1->Execute()) return;
    SetOutputFolder(FolderDialog1->Directory());
  });
}

void TForm1::SpeedButtonOutDirClick() {
  Guarded([this] {
    if (!DirectoryExists(settings_.OutPath)) return;
    QDesktopServices::openUrl(QUrl::fromLocalFile(FromPath(settings_.OutPath)));
  });
}

void TForm1::FileListBox1DblClick() {
  Guarded([this] {
    int index = FileListBox1->currentRow();
    if (FileListBox1->count() == 0 || index < 0) return;
    QDesktopServices::openUrl(QUrl::fromLocalFile(FromPath(FileListBox1->ItemPath(index))));
  });
}

void TForm1::mnuDeleteClick() {
  Guarded([this] {
    int index = FileListBox1->currentRow();
    if (FileListBox1->count() == 0 || index < 0) return;
    QFile::remove(FromPath(FileListBox1->ItemPath(index)));
    FileListBox1->Update();
  });
}

void TForm1::mnuAllDeleteClick() {
  Guarded([this] {
    for (int i = 0; i < FileListBox1->count(); ++i) QFile::remove(FromPath(FileListBox1->ItemPath(i)));
    FileListBox1->Update();
  });
}

void TForm1::LabelHPClick() {
  Guarded([] { QDesktopServices::openUrl(QUrl(kMakerHomePage)); });
}

void TForm1::LabelMailClick() {
  Guarded([] { QDesktopServices::openUrl(QUrl(QString("mailto:") + kMakerMail)); });
}

// --- ILockJobHost ---

void TForm1::ShowStatus(const std::string& text) { SetStatusText(FromUtf8(text)); }

void TForm1::SetStatusText(const QString& text) {
  // A long name is shortened in its middle, so that the end of the line
  // (処理完了 or 処理異常) stays in sight; the whole text is the tool tip.
  const int room = LabelState->contentsRect().width();
  const QString shown = LabelState->fontMetrics().elidedText(text, Qt::ElideMiddle, room);
  LabelState->setText(shown);
  LabelState->setToolTip(shown == text ? QString() : text);
}

bool TForm1::IsPdfName(const std::string& path) {
  std::string ext = ExtractFileExt(path);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext == ".pdf";
}

void TForm1::SetErrorMessagePresenter(std::function<void(const std::string&)> presenter) {
  ErrorPresenter() = std::move(presenter);
}

void TForm1::ShowErrorMessage(const std::string& text) {
  if (ErrorPresenter()) {
    ErrorPresenter()(text);
    return;
  }
  QMessageBox box(QMessageBox::Critical, windowTitle(), FromUtf8(text), QMessageBox::Ok, this);
  box.exec();
}

void TForm1::ProcessMessages() {
  // Repaints only: a click or a drop waits until the job is done (and then
  // finds the busy flag cleared or set as the job left it).
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TForm1::RefreshOutputList() { FileListBox1->Update(); }

void TForm1::ReportException(const std::exception& e) { ShowException(e); }

}  // namespace sarvane::app
