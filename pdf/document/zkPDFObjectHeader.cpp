#include "pdf/document/zkPDFObjectHeader.h"

#include "pdf/objects/zkPDFParser.h"

namespace sarvane::pdf::doc {

std::optional<TzkObjectHeader> ObjectHeaderAt(std::string_view data, size_t p) {
  constexpr size_t kMaxDigits = 10;
  auto skipSpace = [&] {
    while (p < data.size() && TzkPDFStreamReader::IsWhitespace(data[p])) ++p;
  };
  auto number = [&](int64_t& value) {
    const size_t from = p;
    value = 0;
    while (p < data.size() && p - from < kMaxDigits && data[p] >= '0' && data[p] <= '9') {
      value = value * 10 + (data[p++] - '0');
    }
    return p > from && (p == data.size() || data[p] < '0' || data[p] > '9');
  };
  TzkObjectHeader header;
  skipSpace();
  if (!number(header.Number)) return std::nullopt;
  skipSpace();
  if (!number(header.Generation)) return std::nullopt;
  skipSpace();
  if (data.substr(p, 3) != "obj") return std::nullopt;
  header.End = p + 3;
  return header;
}

}  // namespace sarvane::pdf::doc
