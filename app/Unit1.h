#pragma once
// The main window: every setting of a lock job, the file selection, the
// create button with its status line, and the list of PDF files already in
// the output folder.
#include <QCalendarWidget>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QPushButton>
#include <QButtonGroup>
#include <QFrame>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>

#include "app/FolderDialog.h"
#include "app/LockJob.h"
#include "app/LockJobHost.h"
#include "app/NewCtrls.h"
#include "app/Rw_ini.h"
#include "app/SysCtrls.h"

class QCloseEvent;

namespace sarvane::app {

inline constexpr char kVersionText[] = "Ver0.11b";
inline constexpr char kApplicationTitle[] = "Sarvane";
inline constexpr char kSingleInstanceName[] = "Ident2592";
inline constexpr char kLimitDateFormat[] = "yyyy/MM/dd";

// A label that reports clicks (the About tab's links).
class TLinkLabel : public QLabel {
  Q_OBJECT

 public:
  using QLabel::QLabel;

 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

// The file open dialog: a filter in the "description|pattern|..." form and a
// default extension, as the tool states them.
class TOpenDialog : public QObject {
  Q_OBJECT

 public:
  explicit TOpenDialog(QWidget* owner);

  std::string Title;
  std::string Filter;
  std::string DefaultExt;
  // The chosen file (local path) after a successful Execute.
  std::string FileName;

  bool Execute();

 private:
  QPointer<QWidget> owner_;
};

// "desc|pattern|desc|pattern" as Qt name filters: "desc (pattern)", with
// ";"-separated patterns joined by spaces; a description that already ends
// with its pattern in parentheses is kept as it is.
QStringList QtNameFilters(const std::string& filter);

// The files of one folder that match a mask, sorted by name.
class TFileListBox : public QListWidget {
  Q_OBJECT

 public:
  explicit TFileListBox(QWidget* parent);

  // The listed folder (local path, with a trailing "/").
  const std::string& Directory() const { return directory_; }
  void SetDirectory(const std::string& value);
  // A shell pattern matched without regard to case ("*.pdf" lists x.PDF).
  const QString& Mask() const { return mask_; }
  void SetMask(const QString& value);
  // Reads the folder again.
  void Update();
  // The item's full path: the folder followed by its name.
  std::string ItemPath(int index) const;

 private:
  std::string directory_;
  QString mask_ = "*.*";
};

// Whether a window whose frame would stand at pos with the given size can be
// reached on one of the screens (its title-bar corner is on a screen); when
// not, the nearest position that puts it on the first screen.
QPoint ClampToScreens(QPoint pos, QSize frameSize, const QList<QRect>& screens);

class TForm1 : public QWidget, public ILockJobHost {
  Q_OBJECT

 public:
  explicit TForm1(QWidget* parent = nullptr);
  ~TForm1() override;

  // True in a second copy: it asked the first copy to come to the front,
  // built no window and must end without showing anything.
  bool Terminated() const { return terminated_; }

  // --- controls (designer names) ---
  QTabWidget* PageControl1 = nullptr;
  QWidget* TabSheet1 = nullptr;
  QGroupBox* GroupBox3 = nullptr;
  QLabel* Label2 = nullptr;
  QLineEdit* EditPDF = nullptr;
  QToolButton* SpeedButtonLoad = nullptr;
  QCheckBox* CheckBox11 = nullptr;
  QLabel* Label5 = nullptr;
  QLineEdit* EditOpenPW = nullptr;
  QGroupBox* GroupBox1 = nullptr;
  QLabel* Label1 = nullptr;
  QLineEdit* EditOwnerPW = nullptr;
  QCheckBox* CheckBox1 = nullptr;
  QLineEdit* EditUserPW = nullptr;
  QGroupBox* GroupBox2 = nullptr;
  QCheckBox* CheckBox2 = nullptr;
  QCheckBox* CheckBox3 = nullptr;
  QCheckBox* CheckBox4 = nullptr;
  QCheckBox* CheckBox5 = nullptr;
  QCheckBox* CheckBox6 = nullptr;
  QCheckBox* CheckBox7 = nullptr;
  QCheckBox* CheckBox8 = nullptr;
  QGroupBox* RadioGroup1 = nullptr;
  QButtonGroup* RadioGroup1Buttons = nullptr;
  QWidget* TabSheet2 = nullptr;
  QGroupBox* GroupBox4 = nullptr;
  QCheckBox* CheckBoxLockDate = nullptr;
  QFrame* Panel2 = nullptr;
  QCalendarWidget* MonthCalendar1 = nullptr;
  QGroupBox* GroupBox5 = nullptr;
  QCheckBox* CheckBoxLockURL = nullptr;
  QLabel* Label3 = nullptr;
  QLineEdit* EditURL = nullptr;
  QWidget* TabSheet3 = nullptr;
  QLabel* Label4 = nullptr;
  QLineEdit* EditOutPath = nullptr;
  QPushButton* Button1 = nullptr;
  QFrame* Panel3 = nullptr;
  TLinkLabel* LabelHP = nullptr;
  TLinkLabel* LabelMail = nullptr;
  QLabel* LabelVer = nullptr;
  QFrame* Panel1 = nullptr;
  QLabel* LabelState = nullptr;
  QToolButton* SpeedButtonCreate = nullptr;
  QFrame* Panel4 = nullptr;
  TFileListBox* FileListBox1 = nullptr;
  QToolButton* SpeedButtonOutDir = nullptr;

  // --- non-visual components ---
  TOpenDialog* OpenDialog1 = nullptr;
  QMenu* PopupMenu1 = nullptr;
  QAction* mnuDelete = nullptr;
  QAction* mnuAllDelete = nullptr;
  TFolderDialog* FolderDialog1 = nullptr;
  TFileDrop* FileDrop1 = nullptr;
  TSingleInstance* SingleInstance1 = nullptr;

  // --- handlers ---
  void FormCreate();
  // Writes the settings; throws when they cannot be written (the close is
  // then abandoned by closeEvent).
  void FormClose();
  void SpeedButtonLoadClick();
  void FileDrop1FileDrop(QObject* Sender, int Num, const QStringList& Files, int X, int Y);
  void SpeedButtonCreateClick();
  void CheckBox11Click();
  void CheckBox1Click();
  void CheckBox2Click();
  void CheckBox3Click();
  void CheckBox4Click();
  void CheckBox5Click();
  void CheckBox6Click();
  void CheckBox7Click();
  void CheckBox8Click();
  void CheckBoxLockDateClick();
  void CheckBoxLockURLClick();
  void RadioGroup1Click();
  void MonthCalendar1Click();
  void EditOpenPWChange();
  void EditOwnerPWChange();
  void EditUserPWChange();
  void EditURLChange();
  void Button1Click();
  void SpeedButtonOutDirClick();
  void FileListBox1DblClick();
  void mnuDeleteClick();
  void mnuAllDeleteClick();
  void LabelHPClick();
  void LabelMailClick();

  // --- state the lock job reads ---
  const TSettings& Settings() const { return settings_; }
  // The selected input (local path); empty when none.
  const std::string& CurrentInput() const { return currentInput_; }
  // The view limit's date as "yyyy/MM/dd".
  const std::string& LimitDate() const { return limitDate_; }
  // True while a selection step or a lock job runs.
  bool Busy() const { return busy_; }

  // --- the lock job ---
  // The job all document work goes through; it lives as long as the window.
  TLockJob& LockJob() { return *lockJob_; }
  // The window reaches the job only through these two entry points, which
  // the constructor connects to LockJob(); tests may put others in their
  // place. The selection step opens the input and writes the work file
  // (true when no failure). The create press runs the job on the given
  // input and shows the outcome on the status line.
  enum TPressResult { prDone, prFailed, prRaised };
  std::function<bool(const std::string& path)> OnLoadInputFile;
  std::function<TPressResult(const std::string& input)> OnCreatePress;

  // --- ILockJobHost ---
  // Texts are UTF-8.
  void ShowStatus(const std::string& text) override;
  void ShowErrorMessage(const std::string& text) override;
  void ProcessMessages() override;
  void RefreshOutputList() override;
  void ReportException(const std::exception& e) override;

  // How an error message box reaches the user; tests replace it. An empty
  // function restores the message box.
  static void SetErrorMessagePresenter(std::function<void(const std::string&)> presenter);

  // The file the program was started to open (an absolute path), set before
  // the window is made: the window selects it as a drop would, or hands it
  // to the copy already running.
  static void SetFileToOpen(const std::string& path);
  // Selects path as a drop of it would.
  void OpenFile(const QString& path);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // The status line; a text too long for it loses its middle.
  void SetStatusText(const QString& text);
  static bool IsPdfName(const std::string& path);
  static std::string& FileToOpen();

 protected:

 private:
  void BuildControls();
  void FitTexts();
  void CreateComponents();
  void ConnectHandlers();
  void SetOutputFolder(const std::string& folder);
  bool LoadInputFile(const std::string& path);
  TPressResult CreatePress(const std::string& input);
  // Runs a handler so that no exception leaves it: an exception ends the
  // handler and is shown by the default exception report.
  template <typename F>
  void Guarded(F&& handler);
  bool PlatformReportsPositions() const;

  bool terminated_ = false;
  bool busy_ = false;
  bool created_ = false;
  TSettings settings_;
  std::unique_ptr<TLockJob> lockJob_;
  std::string currentInput_;
  std::string limitDate_;
};

}  // namespace sarvane::app
