#include "pdf/objects/zkClasses.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace sarvane::pdf {
namespace {

TEST(ClassesTest, MemoryStreamReadWriteSeek) {
  TzkMemoryStream m("hello");
  char buf[8] = {};
  EXPECT_EQ(m.Read(buf, 3), 3);
  EXPECT_EQ(std::string(buf, 3), "hel");
  EXPECT_EQ(m.Read(buf, 8), 2);
  EXPECT_EQ(m.Read(buf, 8), 0);
  EXPECT_EQ(m.Seek(-2, soEnd), 3);
  m.Write("LO!");
  EXPECT_EQ(m.Bytes(), "helLO!");
  m.Seek(8, soBeginning);  // past the end: the gap is filled with zeros
  m.Write("x");
  EXPECT_EQ(m.Bytes(), std::string("helLO!\0\0x", 9));
  m.SetSize(2);
  EXPECT_EQ(m.Position(), 2);
  EXPECT_EQ(m.Bytes(), "he");
  EXPECT_EQ(m.Seek(-10, soCurrent), 0);
  m.Clear();
  EXPECT_EQ(m.Size(), 0);
}

TEST(ClassesTest, WrappersRefuseMissingStreamsAndWrongDirection) {
  EXPECT_THROW(TzkReadOnlyFilter(nullptr), EInvalidStream);
  EXPECT_THROW(TzkRandomAccessFilter(nullptr), EInvalidStream);
  EXPECT_THROW(TzkWriteOnlyFilter(nullptr), EInvalidStream);

  TzkMemoryStream m("abc");
  TzkReadOnlyFilter r(&m);
  try {
    r.Write("x");
    FAIL() << "no exception";
  } catch (const EReadError& e) {
    EXPECT_STREQ(e.what(), "A write-only filter cannot read");
  }
  EXPECT_EQ(r.Seek(-1, soCurrent), -1);  // does nothing
  EXPECT_EQ(m.Position(), 0);

  TzkWriteOnlyFilter w(&m);
  char c;
  EXPECT_THROW(w.Read(&c, 1), EReadError);
  w.Seek(0, soEnd);
  w.Write("d");
  EXPECT_EQ(m.Bytes(), "abcd");
}

TEST(ClassesTest, RandomAccessPeeking) {
  TzkMemoryStream m("ab");
  TzkRandomAccessFilter f(&m);
  EXPECT_EQ(f.PeekChar(), 'a');
  EXPECT_FALSE(f.EndOfData());
  EXPECT_EQ(f.Position(), 0);
  EXPECT_EQ(f.ReadChar(), 'a');
  EXPECT_EQ(f.PeekChar(), 'b');  // the last byte sets the flag
  EXPECT_TRUE(f.EndOfData());
  EXPECT_EQ(f.Position(), 1);
  EXPECT_EQ(f.PeekText(5), "b");
  EXPECT_EQ(f.Position(), 1);
  f.StepBack();
  EXPECT_EQ(f.ReadText(5), "ab");
  EXPECT_EQ(f.ReadChar(), '\0');
  EXPECT_EQ(f.Position(), 2);
  f.Skip(-2);
  EXPECT_EQ(f.Position(), 0);
  f.StepBack();  // never before the start
  EXPECT_EQ(f.Position(), 0);
}

TEST(ClassesTest, FileStream) {
  const auto dir = std::filesystem::temp_directory_path() / ("sarvane-classes-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "f.bin").string();
  {
    TzkFileStream f(path, TzkFileStream::fmCreate);
    f.Write("hello world");
    f.Seek(6, soBeginning);
    f.Write("W");
    f.Flush();
    EXPECT_EQ(f.Size(), 11);
    EXPECT_EQ(f.Position(), 7);
  }
  {
    TzkFileStream f(path, TzkFileStream::fmOpenRead);
    EXPECT_EQ(f.ReadBytes(100), "hello World");
    EXPECT_EQ(f.Seek(-5, soEnd), 6);
    EXPECT_EQ(f.ReadBytes(1), "W");
  }
  EXPECT_THROW(TzkFileStream((dir / "missing.bin").string(), TzkFileStream::fmOpenRead), Exception);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace sarvane::pdf
