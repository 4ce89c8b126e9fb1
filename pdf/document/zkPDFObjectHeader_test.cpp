#include "pdf/document/zkPDFObjectHeader.h"

#include <gtest/gtest.h>

#include <string>

namespace sarvane::pdf::doc {
namespace {

TEST(ObjectHeaderAt, RecognisesHeadersAndNothingElse) {
  struct Case {
    std::string data;
    bool found;
    int64_t number = 0, generation = 0;
    size_t end = 0;
  } const cases[] = {
      {"12 0 obj\n<<>>", true, 12, 0, 8},
      {"\r\n 7 3 obj<<>>", true, 7, 3, 10},
      {"4 0obj", true, 4, 0, 6},
      {std::string("4\0" "0 obj", 7), true, 4, 0, 7},  // NUL is white space
      {"40 obj", false},
      {"4 0 R", false},
      {"4 0 ob", false},
      {"-4 0 obj", false},
      {"12345678901 0 obj", false},  // eleven digits
      {"", false},
      {"endobj", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.data);
    const auto header = ObjectHeaderAt(c.data, 0);
    ASSERT_EQ(header.has_value(), c.found);
    if (!header) continue;
    EXPECT_EQ(header->Number, c.number);
    EXPECT_EQ(header->Generation, c.generation);
    EXPECT_EQ(header->End, c.end);
  }
}

}  // namespace
}  // namespace sarvane::pdf::doc
