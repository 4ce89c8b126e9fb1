#pragma once
// The in-memory scratch stream of the filters and the font code: big-endian
// numbers, relative moves and padding to four bytes.
#include <cstdint>
#include <string>
#include <string_view>

#include "pdf/objects/zkClasses.h"

namespace sarvane::pdf {

class TzkExtMemStream : public TzkMemoryStream {
 public:
  TzkExtMemStream() = default;
  explicit TzkExtMemStream(std::string bytes) : TzkMemoryStream(std::move(bytes)) {}

  // The fixed-size reads raise a plain exception when the data ends first.
  uint8_t ReadByte();
  uint16_t ReadUInt16();
  uint32_t ReadUInt32();
  // Up to count bytes (fewer at the end of the data).
  std::string ReadText(int64_t count) { return ReadBytes(count); }

  void WriteByte(uint8_t value);
  void WriteText(std::string_view text) { Write(text); }
  void WriteUInt16(uint16_t value);
  void WriteUInt32(uint32_t value);

  // Moves the position by delta, kept within 0..Size().
  void MoveBy(int64_t delta);
  // Appends zero bytes up to a multiple of four, records how many and leaves
  // the position at the end.
  void PadTo4();
  int64_t PadCount() const { return padCount_; }

 private:
  void ReadExact(void* buffer, int64_t count);
  int64_t padCount_ = 0;
};

}  // namespace sarvane::pdf
