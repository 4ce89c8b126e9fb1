// Feeds arbitrary bytes to the object parser. Every input must end in a
// parsed object or one of the library's exceptions; anything else (a crash,
// a sanitizer report, a foreign exception, a hang) is a fault.
#include <cstddef>
#include <cstdint>
#include <string>

#include "pdf/objects/zkPDFParser.h"

using namespace sarvane;
using namespace sarvane::pdf;

namespace {
void Exercise(const TzkPDFObject& object) {
  // Text forms and clones walk the whole tree.
  std::string text = object.ToText();
  TzkPDFObjectPtr copy = object.Clone();
  if (copy->ToText() != text) __builtin_trap();
  if (const auto* s = object.As<TzkPDFStringObject>()) (void)s->UnicodeValue();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  if (size == 0) return 0;
  // The first byte picks options; the rest is the data.
  const uint8_t options = bytes[0];
  std::string data(reinterpret_cast<const char*>(bytes + 1), size - 1);
  TzkPDFStreamReader reader(101, std::move(data));
  if (options & 1) {
    reader.SetDecryptHook([](std::string& b, int32_t n, int32_t g) {
      for (char& c : b) c = static_cast<char>(c ^ (n + g));
    });
  }

  // Objects one after another, as an object stream is read; after an error
  // the reader goes on one byte further, a few times (exceptions are slow).
  int errors = 0;
  for (int i = 0; i < 64 && errors < 4 && !reader.EndOfData(); ++i) {
    const int64_t before = reader.Position();
    try {
      TzkPDFObjectPtr object = reader.ReadObject();
      if (object) {
        Exercise(*object);
      } else {
        reader.Skip(1);
      }
      if (reader.PeekToken() == "stream") {
        bool corrected = false;
        auto stream = reader.ReadStreamData(options >> 1, 1, 0, &corrected);
        (void)stream;
      }
    } catch (const Exception&) {
      ++errors;
      reader.Seek(before + 1);
    }
  }

  try {
    reader.ReadHeader();
  } catch (const Exception&) {
  }
  try {
    (void)reader.FindStartXRef();
  } catch (const Exception&) {
  }
  try {
    reader.Seek(0);
    auto trailer = reader.ReadTrailer();
    Exercise(*trailer);
  } catch (const Exception&) {
  }
  return 0;
}
