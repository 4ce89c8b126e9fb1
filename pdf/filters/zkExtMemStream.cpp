#include "pdf/filters/zkExtMemStream.h"

#include "pdf/filters/zkFilterResStrings.h"
#include "platform/Exception.h"

namespace sarvane::pdf {

void TzkExtMemStream::ReadExact(void* buffer, int64_t count) {
  if (Size() - Position() < count) throw Exception(res::SStreamReadError);
  Read(buffer, count);
}

uint8_t TzkExtMemStream::ReadByte() {
  uint8_t b;
  ReadExact(&b, 1);
  return b;
}

uint16_t TzkExtMemStream::ReadUInt16() {
  uint8_t b[2];
  ReadExact(b, 2);
  return static_cast<uint16_t>(b[0] << 8 | b[1]);
}

uint32_t TzkExtMemStream::ReadUInt32() {
  uint8_t b[4];
  ReadExact(b, 4);
  return uint32_t{b[0]} << 24 | uint32_t{b[1]} << 16 | uint32_t{b[2]} << 8 | b[3];
}

void TzkExtMemStream::WriteByte(uint8_t value) { Write(&value, 1); }

void TzkExtMemStream::WriteUInt16(uint16_t value) {
  const uint8_t b[2] = {static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
  Write(b, 2);
}

void TzkExtMemStream::WriteUInt32(uint32_t value) {
  const uint8_t b[4] = {static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16),
                        static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
  Write(b, 4);
}

void TzkExtMemStream::MoveBy(int64_t delta) {
  const int64_t pos = Position();
  int64_t target;
  if (delta < 0)
    target = -delta > pos ? 0 : pos + delta;
  else
    target = delta > Size() - pos ? Size() : pos + delta;
  Seek(target, soBeginning);
}

void TzkExtMemStream::PadTo4() {
  padCount_ = (4 - Size() % 4) % 4;
  // Writing goes on after the padding, so the position ends there.
  Seek(0, soEnd);
  static constexpr char kZeros[4] = {};
  if (padCount_ > 0) Write(kZeros, padCount_);
}

}  // namespace sarvane::pdf
