#include "pdf/filters/zkRLEFilter.h"

#include <algorithm>
#include <cstdint>

#include "pdf/filters/zkFilterResStrings.h"

namespace sarvane::pdf {

namespace {

constexpr unsigned char kEndOfData = 128;

class RunLengthWriter {
 public:
  explicit RunLengthWriter(std::size_t sizeHint) { out_.reserve(sizeHint + sizeHint / 128 + 2); }

  // n copies of p: pairs of (129, p) for each full 128, then (257 - n, p). A
  // remainder of one comes out as byte 0, a one-byte literal, which reads the same.
  void Run(std::size_t n, char p) {
    while (n > 128) {
      out_.push_back(static_cast<char>(129));
      out_.push_back(p);
      n -= 128;
    }
    out_.push_back(static_cast<char>(257 - n));
    out_.push_back(p);
  }

  void Literal(char c) { literals_.push_back(c); }
  bool HasLiterals() const { return !literals_.empty(); }

  void FlushLiterals() {
    std::string_view rest(literals_);
    while (rest.size() > 128) {
      out_.push_back(127);
      out_.append(rest.substr(0, 128));
      rest.remove_prefix(128);
    }
    if (!rest.empty()) {
      out_.push_back(static_cast<char>(rest.size() - 1));
      out_.append(rest);
    }
    literals_.clear();
  }

  std::string Finish() {
    out_.push_back(static_cast<char>(kEndOfData));
    return std::move(out_);
  }

 private:
  std::string out_;
  std::string literals_;
};

}  // namespace

std::string RunLengthEncode(std::string_view source) {
  RunLengthWriter w(source.size());
  if (source.empty()) return w.Finish();
  char p = source[0];
  std::size_t n = 1;
  bool noLiterals = true;
  const std::size_t size = source.size();
  for (std::size_t i = 1; i < size; ++i) {
    const char b = source[i];
    if (b == p) {
      ++n;
      if (n > 2 && !noLiterals) {
        w.FlushLiterals();
        noLiterals = true;
      }
    } else if (n >= 3) {
      w.Run(n, p);
      p = b;
      n = 1;
    } else if (n == 2) {
      if (noLiterals) {
        w.Run(2, p);
      } else if (i + 1 == size || b != source[i + 1]) {
        // A pair between literals is cheaper kept as literal bytes.
        w.Literal(p);
        w.Literal(p);
        noLiterals = false;
      } else {
        w.FlushLiterals();
        w.Run(2, p);
        noLiterals = true;
      }
      p = b;
      n = 1;
    } else {
      w.Literal(p);
      noLiterals = false;
      p = b;
    }
  }
  if (n == 1) w.Literal(p);
  if (w.HasLiterals()) w.FlushLiterals();
  if (n > 1) w.Run(n, p);
  return w.Finish();
}

std::string RunLengthDecode(std::string_view source) {
  if (source.empty() || static_cast<unsigned char>(source.back()) != kEndOfData)
    throw Exception(res::SRLEEndOfDataMarker);
  const std::size_t end = source.size() - 1;  // the final marker
  const std::size_t limit = DecodeLimit();
  std::string out;
  out.reserve(std::min(end * 2, limit));
  std::size_t i = 0;
  while (i < end) {
    const unsigned char len = static_cast<unsigned char>(source[i++]);
    if (len < 128) {
      const std::size_t count = std::size_t{len} + 1;
      if (end - i < count) throw Exception(res::SRLEUnexpectedEndOfFile);
      if (out.size() + count > limit) throw EDecodeLimitError(limit);
      out.append(source.substr(i, count));
      i += count;
    } else if (len > 128) {
      if (i >= end) throw Exception(res::SRLEUnexpectedEndOfFile);
      const std::size_t count = 257 - std::size_t{len};
      if (out.size() + count > limit) throw EDecodeLimitError(limit);
      out.append(count, source[i++]);
    } else {
      throw Exception(res::SRLEPrematureEndOfData);
    }
  }
  return out;
}

std::string TzkRLEFilter::EncodeText(std::string_view source) { return RunLengthEncode(source); }
std::string TzkRLEFilter::DecodeText(std::string_view source) { return RunLengthDecode(source); }

}  // namespace sarvane::pdf
