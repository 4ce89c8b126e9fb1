#pragma once
// The lock job: between choosing an input PDF and finding its locked copy in
// the output folder.
//
// Two halves run at different moments. The selection step (LoadInputFile)
// runs as soon as a file is chosen: it opens the input, unlocking it with the
// unlock password when it is encrypted, writes it out unencrypted as the work
// file input.pdf in a folder of its own inside temp/ (app/JobFolder.h) and
// records the input's PDF version and page count. The create press
// (CreatePress, which runs RunLockJob) works on the work file only: it runs
// the view-limit step, encrypts with the chosen passwords, level and
// permissions, puts the recorded header version back and copies the result
// into the output folder under the input's file name. The copy is checked
// (app/OutputCheck.h) before it replaces a file of that name and before
// success is shown.
//
// One job object serves one thread; jobs in several threads or processes
// at once share no files but their outputs.
//
// The job talks to its surroundings only through ILockJobHost: status line,
// error message boxes, repaint points, the output file list and the default
// exception report. Every status text is the input's file name followed by one
// of the status suffixes of app/AppResStrings.h.
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "app/AppResStrings.h"
#include "app/JobFolder.h"
#include "app/LockJobHost.h"
#include "app/OutputCheck.h"
#include "app/Rw_ini.h"
#include "pdf/crypt/zkPDFCrypt.h"
#include "pdf/document/zkPDFDoc.h"

namespace sarvane::app {

// The failure flag: why the last step did not succeed.
enum TFailure : int {
  fNone = 0,       // no failure
  fFailed = 1,     // wrong password, or a failed step of the job
  fUserRights = 2  // the input opened with its user password only
};

// The permission set of the output from the seven "disabled" boxes: all
// eight permissions, less what each checked box disables (print also takes
// high-resolution print with it).
sarvane::pdf::TzkUserPermissions PermissionsFromSettings(const TSettings& settings);

// "1.0" … "1.8" and "2.0" for pvPDF10 … pvPDF20.
std::string VersionText(sarvane::pdf::doc::TzkPDFVersion version);

// The byte procedure of the header-version step, from one open file to
// another: copies up to and including the first "%", then, when the next four
// bytes are "PDF-" (P, D and F in either case), writes them and the three
// version characters in place of the three bytes that follow; everything
// else is copied unchanged, the rest in blocks of 2048 bytes. A source
// without "%" is copied whole. False on a read or write error (the target
// then holds what was written so far).
bool RestoreHeaderBytes(std::FILE* source, std::FILE* target, const std::string& version);

// Copies source to target through a temporary file in target's folder that
// is then renamed over target: when the copy fails, or check (when given)
// refuses the finished temporary file, target is left as it was and no
// temporary file remains. The copy gets a new file's mode.
// why (when given) receives the reason of a failed read or write.
bool CopyFileReplacing(const std::string& source, const std::string& target,
                       const std::function<bool(const std::string& copy)>& check = {},
                       std::string* why = nullptr);

class TLockJob {
 public:
  // The settings are the owner's live values (the window updates them from
  // its controls; the command line fills them once); the job only reads
  // them. Creates the work folder.
  TLockJob(ILockJobHost& host, const TSettings& settings);
  ~TLockJob();
  TLockJob(const TLockJob&) = delete;
  TLockJob& operator=(const TLockJob&) = delete;

  // The one document component all document work goes through.
  sarvane::pdf::doc::TzkPDFDocument& PDFDoc() { return *PDFDoc_; }

  // --- the two entry points (what the open/drop and create handlers run) ---

  // The selection step: makes path the current input, opens it and writes
  // the work file. True when no failure. An exception (a missing or damaged
  // input, a failed save) goes to the host's exception report and gives false.
  bool LoadInputFile(const std::string& path);
  // The create press on the current input: nothing at all when it is empty
  // or names no existing file; otherwise runs the job and shows name +
  // "の処理完了" or "の処理異常", then clears the current input. True only
  // when the job ran and succeeded. An exception ends the press where it
  // happened: it goes to the exception report, the current input stays.
  bool CreatePress();
  // The same on the given input, for a window that keeps its own current
  // input: the caller clears that after a true or false return unless
  // LastPressRaised().
  bool CreatePress(const std::string& input);

  // --- the job itself ---

  // Runs the lock job on the work file made for input. Refused (failure)
  // unless the last selection step succeeded for this very input, and when
  // the output file would be the input file itself or lie in the work
  // folder. The copy in the output folder is checked before it takes the
  // output's name; a refused copy is shown in an error message box with the
  // reason and is a failure. True when no failure: the job's folder is gone
  // then; after a failure it is kept. Exceptions pass on.
  bool RunLockJob(const std::string& input);
  // The steps of the job. Each returns what it came to: fNone, or the kind
  // of failure; a failure whose reason is known leaves it in
  // FailureReason. Exceptions pass on.
  //
  // The view-limit overlay on the loaded work file, between loading it and
  // saving it: removes earlier view-limit fields and page-open actions and
  // adds the new overlay and page scripts when a date or address limit is
  // active.
  [[nodiscard]] TFailure ApplyViewLimits();
  // Loads the work file, applies the encryption settings (or switches
  // encryption off), saves it and restores the header version; then notes
  // what was written for the check of the copy (WrittenOutput).
  [[nodiscard]] TFailure ApplySecurity(const std::string& workFile);
  // Puts the recorded input version into the header of the work file: the
  // restored copy replaces it when complete. A file that cannot be opened
  // or created raises Exception.
  [[nodiscard]] TFailure RestoreHeaderVersion(const std::string& workFile);

  // The OnPassword handler: offers the unlock password once per load and
  // gives up (failure) when it is asked again.
  void PDFDocPassword(sarvane::pdf::doc::TzkComponent* sender, std::string& password,
                      bool& continueAsking, int tries);

  // --- state ---
  const std::string& CurrentInput() const { return currentInput_; }
  void SetCurrentInput(const std::string& path) { currentInput_ = path; }
  int FailureFlag() const { return failure_; }
  // Why the last create press failed, when the job knows more than the
  // status says (shown after the status); empty otherwise.
  const std::string& FailureReason() const { return failureReason_; }
  sarvane::pdf::doc::TzkPDFVersion RecordedVersion() const { return recordedVersion_; }
  bool PasswordOffered() const { return passwordOffered_; }
  // Whether the last create press ended in an exception.
  bool LastPressRaised() const { return lastPressRaised_; }
  // The output folder with its trailing "/", and the output file for input.
  std::string OutputFolder() const;
  std::string OutputFileName(const std::string& input) const;
  // This job's work file in its private folder; empty while it has none
  // (before a selection, after a successful job).
  std::string WorkFileName() const;
  // The page count of the input of the last successful selection.
  int InputPageCount() const { return inputPageCount_; }
  // What the last ApplySecurity wrote.
  const TWrittenOutput& WrittenOutput() const { return written_; }

  // Test hook: runs on the finished copy in the output folder (under its
  // temporary name) right before it is checked.
  std::function<void(const std::string& copy)> OnOutputCopied;

 private:
  [[nodiscard]] TFailure MakeWorkFile(const std::string& path);
  [[nodiscard]] TFailure RunSteps(const std::string& input);
  // Loads fileName into the document: fFailed when the load gave up or the
  // unlock password was refused.
  [[nodiscard]] TFailure LoadWorkDocument(const std::string& fileName);
  void SaveWorkFile(const std::string& workFile);
  // Removes the job folder, also one kept by a failed job.
  void DropJobFolder();
  // A refused output check, shown in a message box at once; returns fFailed.
  [[nodiscard]] TFailure Fail(const std::string& fileName, const std::string& reason);
  // Why the output of input may not be written (it is the input itself, or
  // lies in the work folder); empty when it may.
  std::string OutputRefusal(const std::string& input) const;
  // A failure whose reason is shown after the failure status; returns fFailed.
  [[nodiscard]] TFailure FailBecause(std::string reason);
  void Status(const std::string& input, const char* suffix);

  ILockJobHost& host_;
  const TSettings& settings_;
  std::unique_ptr<sarvane::pdf::doc::TzkPDFDocument> PDFDoc_;

  std::string currentInput_;
  int failure_ = fNone;
  std::string failureReason_;
  sarvane::pdf::doc::TzkPDFVersion recordedVersion_ = sarvane::pdf::doc::pvPDF14;
  int inputPageCount_ = 0;
  std::unique_ptr<TJobFolder> jobFolder_;
  TWrittenOutput written_;
  bool passwordOffered_ = false;
  // The input whose selection step wrote the present work file; empty when
  // the last selection failed or the work file was used up.
  std::string selectedInput_;
  bool lastPressRaised_ = false;
};

}  // namespace sarvane::app
