#include "pdf/filters/zkExtMemStream.h"

#include <gtest/gtest.h>

namespace sarvane::pdf {
namespace {

TEST(ExtMemStream, WritesAndReadsBigEndian) {
  TzkExtMemStream s;
  s.WriteByte(0x01);
  s.WriteUInt16(0x0203);
  s.WriteUInt32(0x04050607);
  s.WriteText("ab");
  EXPECT_EQ(s.Bytes(), std::string("\x01\x02\x03\x04\x05\x06\x07" "ab", 9));
  s.Seek(0, soBeginning);
  EXPECT_EQ(s.ReadByte(), 0x01);
  EXPECT_EQ(s.ReadUInt16(), 0x0203);
  EXPECT_EQ(s.ReadUInt32(), 0x04050607u);
  EXPECT_EQ(s.ReadText(5), "ab");
  EXPECT_EQ(s.Position(), 9);
}

TEST(ExtMemStream, FixedReadsPastTheEndFail) {
  TzkExtMemStream s(std::string("\xAB\xCD\xEF", 3));
  s.Seek(1, soBeginning);
  try {
    s.ReadUInt32();
    ADD_FAILURE();
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Stream read error");
  }
  EXPECT_EQ(s.Position(), 1);  // nothing consumed
  EXPECT_EQ(s.ReadUInt16(), 0xCDEF);
  EXPECT_THROW(s.ReadByte(), Exception);
}

TEST(ExtMemStream, MoveByStaysInsideTheData) {
  const struct {
    int64_t start, delta, expected;
  } cases[] = {{5, 3, 8}, {5, -3, 2}, {5, -10, 0}, {5, 10, 10}, {0, -1, 0}, {10, 1, 10}};
  for (const auto& c : cases) {
    TzkExtMemStream s(std::string(10, 'x'));
    s.Seek(c.start, soBeginning);
    s.MoveBy(c.delta);
    EXPECT_EQ(s.Position(), c.expected) << c.start << " by " << c.delta;
  }
}

TEST(ExtMemStream, PadsToFourBytes) {
  const struct {
    std::size_t size;
    int64_t pad;
  } cases[] = {{0, 0}, {1, 3}, {5, 3}, {6, 2}, {7, 1}, {8, 0}};
  for (const auto& c : cases) {
    TzkExtMemStream s(std::string(c.size, 'x'));
    s.PadTo4();
    EXPECT_EQ(s.PadCount(), c.pad) << c.size;
    EXPECT_EQ(s.Bytes(), std::string(c.size, 'x') + std::string(static_cast<std::size_t>(c.pad), '\0'));
    EXPECT_EQ(s.Position(), s.Size());
  }
}

}  // namespace
}  // namespace sarvane::pdf
