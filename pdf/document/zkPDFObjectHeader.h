#pragma once
// Recognising an object header ("N G obj") in the raw bytes of a file,
// without the tokenizer: used where the file's layout is checked or
// searched rather than read (stream ends, catalog placement).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace sarvane::pdf::doc {

struct TzkObjectHeader {
  int64_t Number = 0;
  int64_t Generation = 0;
  size_t End = 0;  // just past "obj"
};

// The header that starts at p, after any white space there. Numbers longer
// than ten digits are no header: no real file has them.
std::optional<TzkObjectHeader> ObjectHeaderAt(std::string_view data, size_t p);

}  // namespace sarvane::pdf::doc
