#pragma once
// Builders for small PDF files used by the document tests, benchmarks and
// fuzz seeds: classic tables, cross-reference streams, object streams and
// incremental updates, with offsets computed as the bytes are laid out.
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace sarvane::pdf::doc::testutil {

class PdfBuilder {
 public:
  explicit PdfBuilder(std::string header = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n") : data_(std::move(header)) {}

  // Writes "n g obj\n<body>\nendobj\n" and records its offset.
  int64_t AddObject(int32_t number, const std::string& body, int32_t generation = 0) {
    const auto offset = static_cast<int64_t>(data_.size());
    data_ += std::to_string(number) + " " + std::to_string(generation) + " obj\n" + body + "\nendobj\n";
    offsets_[number] = {offset, generation};
    return offset;
  }
  // A stream object with the given dictionary entries (without /Length) and data.
  int64_t AddStream(int32_t number, const std::string& entries, const std::string& streamData) {
    return AddObject(number, "<< " + entries + " /Length " + std::to_string(streamData.size()) + " >>\nstream\n" +
                                 streamData + "\nendstream");
  }
  void Raw(const std::string& bytes) { data_ += bytes; }
  int64_t Size() const { return static_cast<int64_t>(data_.size()); }
  int64_t OffsetOf(int32_t number) const { return offsets_.at(number).first; }

  // A classic table listing the objects written since the last section (or
  // all of them), as one subsection per run of numbers; then the trailer and
  // startxref. Returns the table's offset.
  int64_t FinishTable(const std::string& trailerEntries, bool includeObjectZero = true) {
    const auto xref = static_cast<int64_t>(data_.size());
    data_ += "xref\n";
    std::map<int32_t, std::pair<int64_t, int32_t>> entries(pending());
    if (includeObjectZero) entries.emplace(0, std::make_pair(int64_t{-1}, 65535));
    auto it = entries.begin();
    while (it != entries.end()) {
      auto runEnd = it;
      int32_t count = 0;
      while (runEnd != entries.end() && runEnd->first == it->first + count) {
        ++runEnd;
        ++count;
      }
      data_ += std::to_string(it->first) + " " + std::to_string(count) + "\n";
      for (auto e = it; e != runEnd; ++e) data_ += Entry(e->second.first, e->second.second);
      it = runEnd;
    }
    data_ += "trailer\n<< " + trailerEntries + " >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    written_ = offsets_;
    return xref;
  }

  // A 20-byte table entry; offset -1 writes a free entry.
  static std::string Entry(int64_t offset, int32_t generation) {
    char line[32];
    if (offset < 0) {
      std::snprintf(line, sizeof line, "%010d %05d f\r\n", 0, generation);
    } else {
      std::snprintf(line, sizeof line, "%010lld %05d n\r\n", static_cast<long long>(offset), generation);
    }
    return line;
  }

  const std::string& Data() const { return data_; }
  std::string& Data() { return data_; }

 private:
  std::map<int32_t, std::pair<int64_t, int32_t>> pending() const {
    std::map<int32_t, std::pair<int64_t, int32_t>> out;
    for (const auto& [n, v] : offsets_) {
      auto w = written_.find(n);
      if (w == written_.end() || w->second != v) out.emplace(n, v);
    }
    return out;
  }

  std::string data_;
  std::map<int32_t, std::pair<int64_t, int32_t>> offsets_;
  std::map<int32_t, std::pair<int64_t, int32_t>> written_;
};

// Big-endian field of width bytes.
inline std::string Field(uint64_t value, int width) {
  std::string out(static_cast<size_t>(width), '\0');
  for (int i = width - 1; i >= 0; --i) {
    out[static_cast<size_t>(i)] = static_cast<char>(value & 0xFF);
    value >>= 8;
  }
  return out;
}

// Rows of a PNG "Up" predictor (tag 2) over rows of columns bytes.
inline std::string PngUpRows(const std::string& data, size_t columns) {
  std::string out;
  std::string above(columns, '\0');
  for (size_t row = 0; row < data.size(); row += columns) {
    out += '\x02';
    for (size_t i = 0; i < columns; ++i) {
      const auto x = static_cast<unsigned char>(data[row + i]);
      out += static_cast<char>(x - static_cast<unsigned char>(above[i]));
    }
    above = data.substr(row, columns);
  }
  return out;
}

}  // namespace sarvane::pdf::doc::testutil
