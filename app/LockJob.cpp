#include "app/LockJob.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "app/AppFiles.h"
#include "app/AppResStrings.h"
#include "app/ViewLimit.h"
#include "platform/CodePage.h"
#include "platform/Exception.h"
#include "platform/Paths.h"
#include "platform/ReplacingFile.h"

namespace sarvane::app {

namespace fs = std::filesystem;
using sarvane::pdf::TzkUserPermissions;
using namespace sarvane::pdf::doc;

// --------------------------------------------------------------- helpers

TzkUserPermissions PermissionsFromSettings(const TSettings& s) {
  using namespace sarvane::pdf;
  TzkUserPermissions p = TzkUserPermissions::All();
  if (s.PR) {
    p.Exclude(AllowPrint);
    p.Exclude(AllowHighResPrint);
  }
  if (s.MD) p.Exclude(AllowModify);
  if (s.CP) p.Exclude(AllowCopy);
  if (s.AN) p.Exclude(AllowAnnotation);
  if (s.DA) p.Exclude(AllowDocAssembly);
  if (s.FF) p.Exclude(AllowFormFill);
  if (s.AC) p.Exclude(AllowAccessibility);
  return p;
}

std::string VersionText(TzkPDFVersion version) { return std::string(sarvane::pdf::doc::PDFVersionText(version)); }

namespace {

bool WriteAll(std::FILE* target, const char* data, size_t size) {
  return size == 0 || std::fwrite(data, 1, size, target) == size;
}

// Reads up to size bytes; false only on a read error (a short read at the
// end of the file is no error).
bool ReadSome(std::FILE* source, char* data, size_t size, size_t& got) {
  got = std::fread(data, 1, size, source);
  return got == size || !std::ferror(source);
}

char Upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

}  // namespace

bool RestoreHeaderBytes(std::FILE* source, std::FILE* target, const std::string& version) {
  // Up to and including the first "%".
  for (;;) {
    int c = std::fgetc(source);
    if (c == EOF) return !std::ferror(source) && std::fflush(target) == 0;
    if (std::fputc(c, target) == EOF) return false;
    if (c == '%') break;
  }
  char head[4];
  size_t got = 0;
  if (!ReadSome(source, head, sizeof head, got)) return false;
  if (got < sizeof head) return WriteAll(target, head, got) && std::fflush(target) == 0;
  if (!WriteAll(target, head, sizeof head)) return false;
  if (Upper(head[0]) == 'P' && Upper(head[1]) == 'D' && Upper(head[2]) == 'F' && head[3] == '-') {
    char old[3];
    if (!ReadSome(source, old, sizeof old, got)) return false;
    if (got < sizeof old) return WriteAll(target, old, got) && std::fflush(target) == 0;
    if (!WriteAll(target, version.data(), 3)) return false;
  }
  char block[2048];
  do {
    if (!ReadSome(source, block, sizeof block, got)) return false;
    if (!WriteAll(target, block, got)) return false;
  } while (got == sizeof block);
  return std::fflush(target) == 0;
}

// ------------------------------------------------------------------ job

TLockJob::TLockJob(ILockJobHost& host, const TSettings& settings)
    : host_(host), settings_(settings), PDFDoc_(std::make_unique<TzkPDFDocument>()) {
  TzkPDFDocument& doc = *PDFDoc_;
  doc.SetOpenAfterSave(false);
  doc.SetShowSetupDialog(true);
  doc.SetPDFVersion(pvPDF14);
  doc.SetPageMode(pmNone);
  doc.SetPageLayout(plNone);
  doc.SetMergeOptions(MergeOption(moIncludeOutlines) | MergeOption(moIncludeFormFields));
  doc.Encryption().SetLevel(sarvane::pdf::el40bit);
  doc.OnPassword = [this](TzkComponent* sender, std::string& password, bool& continueAsking, int tries) {
    PDFDocPassword(sender, password, continueAsking, tries);
  };
  CreateWorkFolder();
}

TLockJob::~TLockJob() = default;

void TLockJob::Status(const std::string& input, const char* suffix) {
  host_.ShowStatus(ExtractFileName(input) + suffix);
}

std::string TLockJob::OutputFolder() const {
  // An empty folder would join the name to the current directory.
  const std::string& folder = settings_.OutPath.empty() ? DefaultOutputFolder() : settings_.OutPath;
  return IncludeTrailingPathDelimiter(folder);
}

std::string TLockJob::OutputFileName(const std::string& input) const {
  return OutputFolder() + ExtractFileName(input);
}

std::string TLockJob::WorkFileName() const { return jobFolder_ ? jobFolder_->WorkFileName() : std::string(); }

void TLockJob::DropJobFolder() {
  if (jobFolder_) jobFolder_->Remove();
  jobFolder_.reset();
}

TFailure TLockJob::Fail(const std::string& fileName, const std::string& reason) {
  host_.ShowErrorMessage(Format(kSOutputCheckFailed, fileName, reason));
  return fFailed;
}

TFailure TLockJob::FailBecause(std::string reason) {
  failureReason_ = std::move(reason);
  return fFailed;
}

TFailure TLockJob::LoadWorkDocument(const std::string& fileName) {
  passwordOffered_ = false;
  failure_ = fNone;
  const bool loaded = PDFDoc_->LoadDocument(fileName);
  // The password handler marks a refused unlock password as a failure.
  return loaded && failure_ == fNone ? fNone : fFailed;
}

void TLockJob::PDFDocPassword(TzkComponent*, std::string& password, bool& continueAsking, int) {
  password = settings_.Open;
  if (!passwordOffered_) {
    passwordOffered_ = true;
    continueAsking = true;
    return;
  }
  // Asked again in the same load: the unlock password was refused.
  passwordOffered_ = false;
  failure_ = fFailed;
  continueAsking = false;
}

void TLockJob::SaveWorkFile(const std::string& workFile) {
  PDFDoc_->SetShowSetupDialog(false);
  PDFDoc_->SaveDocument(workFile, TzkPDFDocument::naKeep);
  RestrictToOwner(workFile);
}

// ------------------------------------------------------- selection step

bool TLockJob::LoadInputFile(const std::string& path) {
  currentInput_ = path;
  // Whatever happens now, the work file of an earlier selection or failed
  // job must not be locked in this input's name.
  selectedInput_.clear();
  DropJobFolder();

  Status(path, kSProcessStart);
  host_.ProcessMessages();
  try {
    failure_ = MakeWorkFile(path);
  } catch (const std::exception& e) {
    failure_ = fFailed;
    host_.ReportException(e);
    return false;
  }
  bool ok = failure_ == fNone;
  Status(path, ok ? kSReadDone : kSReadError);
  host_.ProcessMessages();
  if (ok) selectedInput_ = path;
  return ok;
}

TFailure TLockJob::MakeWorkFile(const std::string& path) {
  if (LoadWorkDocument(path) != fNone) {
    host_.ShowErrorMessage(kSWrongPassword);
    return fFailed;
  }
  PDFDoc_->SetShowSetupDialog(false);
  if (!PDFDoc_->Encryption().ChangeAllowed()) {
    // The input opened with its user password only: its protection is not
    // ours to change.
    host_.ShowErrorMessage(kSUserRightsOnly);
    return fUserRights;
  }
  PDFDoc_->Encryption().SetEnabled(false);
  recordedVersion_ = PDFDoc_->PDFVersion();
  inputPageCount_ = PDFDoc_->PageCount();
  jobFolder_ = std::make_unique<TJobFolder>();
  if (!jobFolder_->IsOpen()) throw Exception(Format(kSCannotMakeFolder, WorkFolder()));
  SaveWorkFile(WorkFileName());
  return fNone;
}

// ---------------------------------------------------------- create press

bool TLockJob::CreatePress() {
  std::string input = currentInput_;
  if (input.empty() || !FileExists(input)) return false;
  bool ok = CreatePress(input);
  if (!lastPressRaised_) currentInput_.clear();
  return ok;
}

bool TLockJob::CreatePress(const std::string& input) {
  lastPressRaised_ = false;
  if (input.empty() || !FileExists(input)) return false;
  try {
    RunLockJob(input);
  } catch (const std::exception& e) {
    lastPressRaised_ = true;
    failure_ = fFailed;
    host_.ReportException(e);
    return false;
  }
  Status(input, failure_ == fNone ? kSJobDone : kSJobFailed);
  if (failure_ != fNone && !failureReason_.empty()) host_.ShowErrorMessage(failureReason_);
  passwordOffered_ = false;
  host_.ProcessMessages();
  return failure_ == fNone;
}

std::string TLockJob::OutputRefusal(const std::string& input) const {
  std::string output = OutputFileName(input);
  std::error_code ec;
  if (fs::exists(output, ec) && fs::equivalent(input, output, ec) && !ec) return Format(kSOutputIsInput, output);
  auto same = [&](const std::string& a, const std::string& b) {
    std::error_code ea, eb;
    fs::path pa = fs::weakly_canonical(a, ea), pb = fs::weakly_canonical(b, eb);
    return !ea && !eb && pa == pb;
  };
  if (same(input, output)) return Format(kSOutputIsInput, output);
  // Output in the work folder would land among the jobs' private files,
  // which a later start removes.
  std::error_code ew, eo;
  std::string folder = OutputFolder(), work = WorkFolder();
  folder.pop_back();
  work.pop_back();
  const fs::path outDir = fs::weakly_canonical(folder, eo), workDir = fs::weakly_canonical(work, ew);
  if (eo || ew) return {};
  if (std::mismatch(workDir.begin(), workDir.end(), outDir.begin(), outDir.end()).first != workDir.end()) return {};
  return Format(kSOutputInWorkFolder, OutputFolder());
}

bool TLockJob::RunLockJob(const std::string& input) {
  failure_ = fNone;
  failureReason_.clear();
  try {
    failure_ = RunSteps(input);
  } catch (...) {
    failure_ = fFailed;
    if (jobFolder_) jobFolder_->Keep();
    throw;
  }
  const bool ok = failure_ == fNone;
  // A failed job's files stay for a look; the next selection or a later
  // start removes them.
  if (!ok && jobFolder_) jobFolder_->Keep();
  return ok;
}

TFailure TLockJob::RunSteps(const std::string& input) {
  // The work file belongs to the last successful selection of this input;
  // the job uses it up, so a new job needs a new selection.
  bool selected = !selectedInput_.empty() && selectedInput_ == input && jobFolder_;
  selectedInput_.clear();
  if (!selected) return fFailed;
  if (std::string refusal = OutputRefusal(input); !refusal.empty()) return FailBecause(std::move(refusal));
  const std::string workFile = WorkFileName();
  if (TFailure failure = LoadWorkDocument(workFile); failure != fNone) return failure;
  if (TFailure failure = ApplyViewLimits(); failure != fNone) return failure;
  SaveWorkFile(workFile);
  Status(input, kSWriteStart);

  if (TFailure failure = ApplySecurity(workFile); failure != fNone) return failure;

  // The copy is checked under its temporary name, so that a wrong copy
  // never replaces an earlier file in the output folder.
  const std::string output = OutputFileName(input);
  std::string refused;
  auto check = [&](const std::string& copy) {
    if (OnOutputCopied) OnOutputCopied(copy);
    refused = CheckOutputCopy(copy, written_);
    return refused.empty();
  };
  std::string why;
  if (!CopyFileReplacing(workFile, output, check, &why)) {
    if (!refused.empty()) (void)Fail(output, refused);
    return FailBecause(std::move(why));
  }
  DropJobFolder();
  host_.RefreshOutputList();
  Status(input, kSJobDone);
  host_.ProcessMessages();
  return fNone;
}

TFailure TLockJob::ApplyViewLimits() {
  int failure = fNone;
  TViewLimits(*PDFDoc_, failure).ApplyViewLimits(settings_, settings_.LimitDate);
  return failure == fNone ? fNone : fFailed;
}

TFailure TLockJob::ApplySecurity(const std::string& workFile) {
  TzkPDFDocument& doc = *PDFDoc_;
  if (TFailure failure = LoadWorkDocument(workFile); failure != fNone) return failure;
  TzkPDFInfo& info = doc.DocumentInfo();
  // Kept as code-page text: what the code page cannot hold is replaced.
  const std::string author = Utf16ToAnsi(info.Author());
  const std::string creator = Utf16ToAnsi(info.Creator());
  const std::string keywords = Utf16ToAnsi(info.Keywords());
  const std::string producer = Utf16ToAnsi(info.Producer());
  const std::string subject = Utf16ToAnsi(info.Subject());
  const std::string title = Utf16ToAnsi(info.Title());

  auto& encryption = doc.Encryption();
  if (settings_.EN) {
    encryption.SetEnabled(true);
    encryption.SetLevel(EncryptionLevelOf(settings_.BT));
    encryption.SetOwnerPassword(settings_.Owner);
    encryption.SetUserPassword(settings_.PW ? settings_.User : std::string());
    encryption.SetUserPermissions(PermissionsFromSettings(settings_));
    // Set again once every encryption setting stands: a text set while
    // encryption is on is encrypted at once, with the handler those settings
    // make.
    info.SetAuthor(AnsiToUtf16(author));
    info.SetCreator(AnsiToUtf16(creator));
    info.SetKeywords(AnsiToUtf16(keywords));
    info.SetProducer(AnsiToUtf16(producer));
    info.SetSubject(AnsiToUtf16(subject));
    info.SetTitle(AnsiToUtf16(title));
  } else {
    encryption.SetEnabled(false);
  }
  SaveWorkFile(workFile);
  std::error_code ec;
  const auto saved = static_cast<int64_t>(fs::file_size(workFile, ec));
  if (TFailure failure = RestoreHeaderVersion(workFile); failure != fNone) return failure;

  written_ = TWrittenOutput{};
  written_.Version = VersionText(recordedVersion_);
  written_.Encrypted = settings_.EN;
  written_.PageCount = inputPageCount_;
  if (std::string why = DescribeWrittenFile(workFile, written_); !why.empty()) return Fail(workFile, why);
  // The header step changes three bytes, never the size.
  if (ec || written_.Size != saved) return Fail(workFile, Format(kSCheckSize, written_.Size, saved));
  return fNone;
}

TFailure TLockJob::RestoreHeaderVersion(const std::string& workFile) {
  // The restored file is written beside the work file and renamed over it
  // when complete, so a failure midway leaves the saved file as it was.
  TReplacingFile replacement(workFile);
  if (!replacement.IsOpen() || !replacement.SetMode(S_IRUSR | S_IWUSR))
    throw Exception(Format(kSCannotWriteFile, workFile));
  struct File {
    std::FILE* Handle;
    ~File() {
      if (Handle) std::fclose(Handle);
    }
    bool Close() {
      const bool closed = std::fclose(Handle) == 0;
      Handle = nullptr;
      return closed;
    }
  };
  File source{std::fopen(workFile.c_str(), "rb")};
  if (!source.Handle) throw Exception(Format(kSCannotCopyFile, workFile, replacement.TempName()));
  // The byte procedure writes through a C stream: it opens the replacement's
  // file by its name; the replacement still renames it into place.
  File target{std::fopen(replacement.TempName().c_str(), "wb")};
  if (!target.Handle) throw Exception(Format(kSCannotWriteFile, workFile));
  // The procedure copies in 2048-byte blocks; with the default buffers that
  // was some 1300 system calls for a 2.5 MB document. (The C library takes
  // the size only with a buffer given; these outlive both files.)
  std::vector<char> sourceBuffer(size_t{1} << 20), targetBuffer(size_t{1} << 20);
  std::setvbuf(source.Handle, sourceBuffer.data(), _IOFBF, sourceBuffer.size());
  std::setvbuf(target.Handle, targetBuffer.data(), _IOFBF, targetBuffer.size());
  bool ok = RestoreHeaderBytes(source.Handle, target.Handle, VersionText(recordedVersion_));
  ok = target.Close() && ok;
  ok = ok && replacement.Commit(false);
  if (!ok) return FailBecause(Format(kSCannotWriteFileBecause, workFile, std::strerror(errno)));
  return fNone;
}

bool CopyFileReplacing(const std::string& source, const std::string& target,
                       const std::function<bool(const std::string& copy)>& check, std::string* why) {
  auto fail = [&](const char* format, const std::string& path) {
    if (why) *why = Format(format, path, std::strerror(errno));
    return false;
  };
  TReplacingFile out(target);
  if (!out.IsOpen()) return fail(kSCannotWriteFileBecause, target);
  const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return fail(kSCannotReadFileBecause, source);
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{in};
  std::vector<char> buffer(1 << 20);
  for (;;) {
    const ssize_t n = ::read(in, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return fail(kSCannotReadFileBecause, source);
    if (n == 0) break;
    if (!out.Write(buffer.data(), static_cast<size_t>(n))) return fail(kSCannotWriteFileBecause, target);
  }
  if (check && !check(out.TempName())) return false;
  if (!out.Commit(true)) return fail(kSCannotWriteFileBecause, target);
  return true;
}

}  // namespace sarvane::app
