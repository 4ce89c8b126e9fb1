// Writing a document: the whole document anew, renumbered from 1, with one
// flat page tree and one classic cross-reference table.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "pdf/crypt/zkPDFCrypt.h"
#include "pdf/document/zkCstPDFDoc.h"
#include "pdf/document/zkPDFSerializer.h"
#include "pdf/objects/zkClasses.h"
#include "pdf/objects/zkPDFText.h"
#include "platform/Paths.h"
#include "platform/ReplacingFile.h"

namespace sarvane::pdf::doc {

using namespace sarvane::pdf;

namespace {

// Output is gathered in memory and handed to the system in pieces of about
// this size, between objects.
constexpr size_t kFlushSize = size_t{1} << 20;

// A file written under a temporary name in the folder of its final name and
// renamed into place by Commit; dropped again when the save fails.
class TzkReplacingFileStream : public TzkStream {
 public:
  explicit TzkReplacingFileStream(const std::string& path) : file_(TargetOf(path)) {
    if (!file_.IsOpen()) throw Exception(Format(res::kCannotCreateFile, path, std::strerror(errno)));
    // A file that is replaced keeps its permissions.
    struct stat st;
    if (::stat(file_.Target().c_str(), &st) == 0) (void)file_.SetMode(st.st_mode & 07777);
  }

  int64_t Read(void*, int64_t) override { throw EReadError(); }
  int64_t Write(const void* buffer, int64_t count) override {
    if (!file_.Write(buffer, static_cast<size_t>(count))) Fail();
    return count;
  }
  using TzkStream::Write;
  int64_t Seek(int64_t, TzkSeekOrigin) override { return file_.Size(); }
  int64_t Size() const override { return file_.Size(); }
  int64_t Position() const override { return file_.Size(); }

  // Closes the file and puts it in place of the final name.
  void Commit() {
    if (!file_.Commit(false)) Fail();
  }

 private:
  // A symbolic link is followed, so that its target is replaced rather
  // than the link.
  static std::string TargetOf(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_symlink(path, ec)) {
      auto target = std::filesystem::weakly_canonical(path, ec);
      if (!ec) return target.string();
    }
    return path;
  }
  [[noreturn]] void Fail() const {
    throw Exception(Format(res::kCannotWriteFile, file_.Target(), std::strerror(errno)));
  }

  TReplacingFile file_;
};

std::string LowerCase(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

// "%.10d %.5d %s" CR LF: exactly 20 bytes.
// Written digit by digit: one entry per object made snprintf a visible share
// of a save. Values that do not fit the fixed widths keep the printf layout.
void AppendXRefEntry(std::string& out, int64_t offset, int generation, char kind) {
  char line[24];
  if (offset < 0 || offset > 9999999999 || generation < 0 || generation > 99999) {
    std::snprintf(line, sizeof line, "%010lld %05d %c\r\n", static_cast<long long>(offset), generation, kind);
  } else {
    for (int i = 9; i >= 0; --i, offset /= 10) line[i] = static_cast<char>('0' + offset % 10);
    line[10] = ' ';
    for (int i = 15; i >= 11; --i, generation /= 10) line[i] = static_cast<char>('0' + generation % 10);
    line[16] = ' ';
    line[17] = kind;
    line[18] = '\r';
    line[19] = '\n';
  }
  out.append(line, 20);
}

}  // namespace

// What one save keeps between its steps.
struct TzkCustomPDFDocument::SaveState {
  explicit SaveState(TzkStream& stream) : Stream(stream) { Buffer.reserve(kFlushSize + (kFlushSize >> 2)); }
  TzkStream& Stream;
  std::string Buffer;
  int64_t Flushed = 0;
  int32_t Counter = 3;
  std::vector<int64_t> Offsets;
  std::unique_ptr<TzkPDFSerializer> Serializer;

  int64_t OutputSize() const { return Flushed + static_cast<int64_t>(Buffer.size()); }
  void Flush() {
    if (Buffer.empty()) return;
    Stream.Write(Buffer.data(), static_cast<int64_t>(Buffer.size()));
    Flushed += static_cast<int64_t>(Buffer.size());
    Buffer.clear();
  }
  void FlushIfFull() {
    if (Buffer.size() >= kFlushSize) Flush();
  }
};

void TzkCustomPDFDocument::ResetWriterState() {
  compress_ = false;
  compressionKind_ = ckFlate;
  compressionLevel_ = 2;
  asciiEncode_ = false;
  asciiKind_ = aeASCIIHex;
  encryptionHandler_.reset();
  saveStore_.reset();
}

void TzkCustomPDFDocument::SetCompression(uint8_t kind, uint8_t level) {
  compress_ = true;
  compressionKind_ = kind == ckRunLength ? ckRunLength : ckFlate;
  compressionLevel_ = level > 3 ? 3 : level;
}

void TzkCustomPDFDocument::SetAsciiEncoding(uint8_t kind) {
  asciiEncode_ = true;
  asciiKind_ = kind == aeASCII85 ? aeASCII85 : aeASCIIHex;
}

TzkPDFEncryption& TzkCustomPDFDocument::NeedEncryptionHandler() {
  if (!encryptionHandler_)
    encryptionHandler_ = std::make_unique<TzkPDFEncryption>("Output1.pdf", Encryption(), DocumentInfo().CreationDate());
  return *encryptionHandler_;
}

bool TzkCustomPDFDocument::EncryptInfoText(std::string& bytes) {
  if (!Encryption().Enabled()) return false;
  NeedEncryptionHandler().Encrypt(bytes, 2);
  return true;
}

void TzkCustomPDFDocument::SaveDocument(const std::string& fileName, int mode) {
  if (ShowSetupDialog() && setupDialog_ && setupDialog_->ShowModal() == 2) return;

  std::string outputName = fileName;
  if (LowerCase(ExtractFileExt(fileName)) != ".pdf") outputName += ".pdf";

  UpdateNeedAppearances(mode);
  StatusMessage(Format(res::kSavingFile, outputName));
  {
    TzkReplacingFileStream file(outputName);
    {
      TzkWriteOnlyFilter filter(&file);
      WriteDocument(filter);
    }
    file.Commit();
  }
  if (OpenAfterSave()) ShellOpen(outputName);
  StatusMessage(res::kSaveComplete);
}

void TzkCustomPDFDocument::UpdateNeedAppearances(int mode) {
  if (mode != 0 && mode != 1) return;
  if (!Catalog().AcroForm) return;
  auto* form = ObjectAs<TzkPDFDictObject>(ObjectStore().Resolve(Catalog().AcroForm.get()));
  if (!form) return;
  const bool wanted = mode == 0;
  auto* current = form->LookupAs<TzkPDFBooleanObject>("/NeedAppearances");
  if (current && current->Value() == wanted) return;
  form->SetBoolean("/NeedAppearances", wanted);
}

void TzkCustomPDFDocument::WriteDocument(TzkStream& out) {
  SaveState state(out);
  if (Encryption().Enabled()) NeedEncryptionHandler();
  TzkPDFEncryption* encryption = Encryption().Enabled() ? encryptionHandler_.get() : nullptr;

  saveStore_ = std::make_unique<TzkPDFObjectStore>();
  struct DropSaveStore {
    TzkCustomPDFDocument& Document;
    ~DropSaveStore() {
      Document.ReturnOutlineValues();
      Document.saveStore_.reset();
    }
  } dropSaveStore{*this};

  StatusMessage(res::kBuildingOutlines);
  WriteOutlines();

  StatusMessage(res::kBuildingObjects);
  TzkPDFObjectStore& store = ObjectStore();
  const TzkPDFObjectStore* stores[] = {&store, saveStore_.get()};
  for (const TzkPDFObjectStore* s : stores) {
    for (int32_t i = 0; i < s->ObjectCount(); ++i) {
      TzkPDFIndirectObject* object = s->ObjectAt(i);
      // Writing a stream whose data was never found would lose it silently.
      if (object->UseCount() > 0 && StreamDataMissing(*object))
        throw EPDFFileCorruptedError(Format(res::kStreamDataMissing, object->ObjectNumber()));
      object->SetOutputNumber(object->UseCount() > 0 ? ++state.Counter : 0);
    }
  }
  state.Offsets.reserve(static_cast<size_t>(state.Counter) + 1);
  state.Serializer = std::make_unique<TzkPDFSerializer>(store, saveStore_.get(), encryption);
  state.Serializer->SetCompression(compress_, compressionKind_, compressionLevel_);
  state.Serializer->SetAsciiEncoding(asciiEncode_, asciiKind_);

  // Header: the binary comment tells transfer programs the file is binary.
  state.Buffer += "%PDF-1.4\r\n%\xE2\xE3\xCF\xD3\r\n";

  WriteCatalog(state);
  WriteObject(state, DocumentInfo().Dictionary(), 2, false);
  WritePageTree(state);

  const int64_t total = int64_t{store.ObjectCount()} + saveStore_->ObjectCount();
  int64_t visited = 0;
  for (const TzkPDFObjectStore* s : stores) {
    for (int32_t i = 0; i < s->ObjectCount(); ++i) {
      const TzkPDFIndirectObject* object = s->ObjectAt(i);
      if (object->UseCount() > 0) WriteObject(state, *object->Value(), object->OutputNumber(), s->LengthRepaired(object));
      ++visited;
      if (OnIOProgress) OnIOProgress(this, static_cast<int>(visited * 100 / total));
    }
  }

  StatusMessage(res::kWritingXRefTable);
  WriteTrailer(state);
  state.Flush();
}

void TzkCustomPDFDocument::WriteObject(SaveState& state, const TzkPDFObject& value, int32_t number,
                                       bool lengthRepaired) {
  std::string& out = state.Buffer;
  out += "\r\n";
  state.Offsets.push_back(state.OutputSize());
  AppendInteger(out, number);
  out += " 0 obj\r\n";
  if (const auto* stream = value.As<TzkPDFStreamObject>())
    state.Serializer->AppendStream(out, *stream, number, lengthRepaired);
  else
    state.Serializer->AppendValue(out, value, number);
  out += "\r\nendobj\r\n";
  state.FlushIfFull();
}

void TzkCustomPDFDocument::WriteCatalog(SaveState& state) {
  TzkPDFCatalog& catalog = Catalog();
  const TzkPDFSerializer& s = *state.Serializer;
  std::string text = "<<\r\n/Type /Catalog\r\n/Pages 3 0 R\r\n";
  std::string value;
  // An entry whose value comes out as null says nothing; it is left out.
  auto entry = [&](std::string_view key, const TzkPDFObject* object) {
    if (!object) return;
    value.clear();
    s.AppendValue(value, *object, 1);
    if (value == "null") return;
    text += key;
    text += ' ';
    text += value;
    text += "\r\n";
  };
  entry("/Metadata", catalog.Metadata.get());
  if (PageMode() != pmNone) {
    text += "/PageMode ";
    text += PageModeName(PageMode());
    text += "\r\n";
  }
  if (PageLayout() != plNone) {
    text += "/PageLayout ";
    text += PageLayoutName(PageLayout());
    text += "\r\n";
  }
  entry("/Names", catalog.Names.get());
  entry("/Outlines", catalog.Outlines.get());
  if (catalog.ViewerPreferences) {
    const std::string preferences = catalog.ViewerPreferences->ViewerPreferencesText();
    if (!preferences.empty()) {
      text += "/ViewerPreferences ";
      text += preferences;
      text += "\r\n";
    }
  }
  entry("/AcroForm", catalog.AcroForm.get());
  entry("/OpenAction", catalog.OpenAction.get());
  entry("/AA", catalog.AA.get());
  // The rest of the input's catalog (structure tree, layers, page labels,
  // language, output intents, ...) survives in input order.
  static constexpr std::string_view kBuilt[] = {"/Type", "/Pages", "/Metadata", "/PageMode", "/PageLayout",
                                                "/Names", "/Outlines", "/ViewerPreferences", "/AcroForm",
                                                "/OpenAction", "/AA"};
  // AES-256 output declares its extension; other developers' extensions of
  // the input stay beside it.
  std::unique_ptr<TzkPDFDictObject> extensions =
      Encryption().Enabled() && encryptionHandler_ ? encryptionHandler_->CreateExtensionsDictionary() : nullptr;
  for (const auto& [key, object] : catalog.OtherEntries) {
    bool built = false;
    for (auto b : kBuilt) built = built || key == b;
    if (built) continue;
    if (extensions && key == "/Extensions") {
      if (const auto* input = ObjectAs<TzkPDFDictObject>(ObjectStore().Resolve(object.get())))
        for (int32_t i = 0; i < input->Count(); ++i)
          if (input->KeyName(i) != "/ADBE") extensions->AddValue(input->KeyName(i), input->ValueAt(i)->Clone());
      continue;
    }
    entry(key, object.get());
  }
  entry("/Extensions", extensions.get());
  text += ">>";

  std::string& out = state.Buffer;
  out += "\r\n";
  state.Offsets.push_back(state.OutputSize());
  out += "1 0 obj\r\n";
  out += text;
  out += "\r\nendobj\r\n";
}

void TzkCustomPDFDocument::WritePageTree(SaveState& state) {
  StatusMessage(res::kWritingPages);
  const auto& pages = Pages();
  std::string& out = state.Buffer;
  out += "\r\n";
  state.Offsets.push_back(state.OutputSize());
  // A page object that is not written (no use counted for it) cannot be a
  // kid: the tree would point at nothing.
  std::string kids;
  int64_t count = 0;
  for (const TzkPDFIndirectObject* page : pages) {
    if (page->OutputNumber() <= 0) continue;
    TzkPDFSerializer::AppendReferenceNumber(kids, page->OutputNumber());
    kids += ' ';
    ++count;
  }
  out += "3 0 obj\r\n<<\r\n/Type /Pages\r\n/Count ";
  AppendInteger(out, count);
  out += "\r\n/Kids [ ";
  out += kids;
  out += "]\r\n>>\r\nendobj\r\n";
  state.FlushIfFull();
}

void TzkCustomPDFDocument::WriteTrailer(SaveState& state) {
  int32_t encryptNumber = 0;
  if (Encryption().Enabled()) {
    auto dict = NeedEncryptionHandler().CreateEncryptionDictionary(Trailer());
    encryptNumber = ++state.Counter;
    std::string& out = state.Buffer;
    out += "\r\n";
    state.Offsets.push_back(state.OutputSize());
    AppendInteger(out, encryptNumber);
    out += " 0 obj\r\n";
    state.Serializer->AppendValue(out, *dict, TzkPDFSerializer::kNoEncryption);
    out += "\r\nendobj\r\n";
  }

  std::string& out = state.Buffer;
  const int64_t xrefOffset = state.OutputSize();
  const int64_t size = static_cast<int64_t>(state.Offsets.size()) + 1;
  out += "xref\r\n0 ";
  AppendInteger(out, size);
  out += "\r\n";
  AppendXRefEntry(out, 0, 65535, 'f');
  // Twenty bytes an object: the table goes out in the buffer's portions
  // rather than growing it by megabytes at the end of the save.
  for (int64_t offset : state.Offsets) {
    AppendXRefEntry(out, offset, 0, 'n');
    state.FlushIfFull();
  }

  out += "trailer\r\n<<\r\n/Size ";
  AppendInteger(out, size);
  out += "\r\n/Root 1 0 R\r\n/Info 2 0 R\r\n";
  if (Trailer().Identifier) {
    out += "/ID ";
    state.Serializer->AppendValue(out, *Trailer().Identifier, TzkPDFSerializer::kNoEncryption);
    out += "\r\n";
  }
  if (encryptNumber > 0) {
    out += "/Encrypt ";
    TzkPDFSerializer::AppendReferenceNumber(out, encryptNumber);
    out += "\r\n";
  }
  out += ">>\r\nstartxref\r\n";
  AppendInteger(out, xrefOffset);
  out += "\r\n%%EOF\r\n";
}

}  // namespace sarvane::pdf::doc
