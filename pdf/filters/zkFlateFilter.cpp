#include "pdf/filters/zkFlateFilter.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>

#include "pdf/filters/zkFilterResStrings.h"

namespace sarvane::pdf {

namespace {

const char* ZlibMessage(int code) {
  switch (code) {
    case Z_NEED_DICT: return res::SZNeedDictionary;
    case Z_STREAM_END: return res::SZStreamEnd;
    case Z_ERRNO: return res::SZFileError;
    case Z_STREAM_ERROR: return res::SZStreamError;
    case Z_DATA_ERROR: return res::SZDataError;
    case Z_MEM_ERROR: return res::SZMemoryError;
    case Z_BUF_ERROR: return res::SZBufferError;
    case Z_VERSION_ERROR: return res::SZVersionError;
    default: return nullptr;
  }
}

template <typename E>
[[noreturn]] void ThrowZlib(int code) {
  if (const char* text = ZlibMessage(code)) throw E(text);
  throw E(Format(res::SZUnknownError, code));
}

constexpr std::size_t kMaxChunk = UINT_MAX;  // zlib counts in uInt
constexpr std::size_t kMinOutput = 16 * 1024;

// zlib counts in 32-bit units: hands it the next chunk once it used the last.
void FeedInput(z_stream& zs, const Bytef*& in, std::size_t& inLeft) {
  if (zs.avail_in != 0 || inLeft == 0) return;
  std::size_t n = std::min(inLeft, kMaxChunk);
  zs.next_in = const_cast<Bytef*>(in);
  zs.avail_in = static_cast<uInt>(n);
  in += n;
  inLeft -= n;
}

// Frees the zlib state on every path.
struct InflateGuard {
  z_stream* zs;
  ~InflateGuard() { inflateEnd(zs); }
};
struct DeflateGuard {
  z_stream* zs;
  ~DeflateGuard() { deflateEnd(zs); }
};

struct OutputBuffer {
  char* data = nullptr;
  std::size_t size = 0;
  explicit OutputBuffer(std::size_t n) { Grow(n); }
  ~OutputBuffer() { std::free(data); }
  OutputBuffer(const OutputBuffer&) = delete;
  OutputBuffer& operator=(const OutputBuffer&) = delete;
  void Grow(std::size_t n) {
    void* p = std::realloc(data, n ? n : 1);
    if (!p) throw std::bad_alloc();
    data = static_cast<char*>(p);
    size = n;
  }
};

}  // namespace

int FlateZlibLevel(int levelIndex) {
  static constexpr int kLevels[] = {Z_NO_COMPRESSION, Z_BEST_SPEED, Z_DEFAULT_COMPRESSION,
                                    Z_BEST_COMPRESSION};
  if (levelIndex < 0 || levelIndex > 3) ThrowZlib<EZCompressionError>(Z_STREAM_ERROR);
  return kLevels[levelIndex];
}

std::string FlateEncode(std::string_view source, int levelIndex) {
  const int level = FlateZlibLevel(levelIndex);
  z_stream zs{};
  int rc = deflateInit(&zs, level);
  if (rc != Z_OK) ThrowZlib<EZCompressionError>(rc);
  DeflateGuard guard{&zs};

  // One allocation: deflateBound is an upper limit of the whole output.
  std::string out(deflateBound(&zs, static_cast<uLong>(source.size())), '\0');
  const auto* in = reinterpret_cast<const Bytef*>(source.data());
  std::size_t inLeft = source.size();
  std::size_t produced = 0;
  for (;;) {
    FeedInput(zs, in, inLeft);
    if (produced == out.size()) out.resize(out.size() * 2 + 64);  // only if the bound was wrong
    std::size_t room = std::min(out.size() - produced, kMaxChunk);
    zs.next_out = reinterpret_cast<Bytef*>(out.data() + produced);
    zs.avail_out = static_cast<uInt>(room);
    rc = deflate(&zs, inLeft == 0 ? Z_FINISH : Z_NO_FLUSH);
    produced += room - zs.avail_out;
    if (rc == Z_STREAM_END) break;
    if (rc != Z_OK && rc != Z_BUF_ERROR) ThrowZlib<EZCompressionError>(rc);
  }
  out.resize(produced);
  return out;
}

std::string FlateDecode(std::string_view source) {
  z_stream zs{};
  int rc = inflateInit(&zs);
  if (rc != Z_OK) ThrowZlib<EZDecompressionError>(rc);
  InflateGuard guard{&zs};

  const std::size_t limit = DecodeLimit();
  // One byte past the limit tells "exactly the limit" from "more than the limit".
  const std::size_t hardCap = limit == SIZE_MAX ? limit : limit + 1;
  std::size_t guess = source.size() > SIZE_MAX / 4 ? SIZE_MAX : source.size() * 4;
  // A malloc'd buffer: growth by realloc moves large blocks by remapping pages
  // instead of copying them, and nothing is zero-filled.
  OutputBuffer out(std::min(std::max(guess, kMinOutput), hardCap));

  const auto* in = reinterpret_cast<const Bytef*>(source.data());
  std::size_t inLeft = source.size();
  std::size_t produced = 0;
  for (;;) {
    FeedInput(zs, in, inLeft);
    if (produced == out.size) {
      if (out.size >= hardCap) break;  // reported below
      out.Grow(out.size > hardCap / 2 ? hardCap : out.size * 2);
    }
    std::size_t room = std::min(out.size - produced, kMaxChunk);
    zs.next_out = reinterpret_cast<Bytef*>(out.data + produced);
    zs.avail_out = static_cast<uInt>(room);
    rc = inflate(&zs, Z_NO_FLUSH);
    produced += room - zs.avail_out;
    if (rc == Z_STREAM_END) break;
    if (rc == Z_DATA_ERROR) {
      // The checksum is the last thing in the stream: everything is inflated.
      if (zs.msg && std::strcmp(zs.msg, "incorrect data check") == 0) break;
      ThrowZlib<EZDecompressionError>(rc);
    }
    if (rc != Z_OK && rc != Z_BUF_ERROR) ThrowZlib<EZDecompressionError>(rc);
    // Input used up without a stream end: keep what came out.
    if (zs.avail_in == 0 && inLeft == 0 && zs.avail_out != 0) break;
  }
  CheckDecodeLimit(produced);
  return std::string(out.data, produced);
}

std::string TzkFlateFilter::EncodeTextLevel(std::string_view source, int levelIndex) {
  return FlateEncode(source, levelIndex);
}

std::string TzkFlateFilter::EncodeText(std::string_view source) {
  return FlateEncode(source, kDefaultLevelIndex);
}

std::string TzkFlateFilter::DecodeText(std::string_view source) { return FlateDecode(source); }

}  // namespace sarvane::pdf
