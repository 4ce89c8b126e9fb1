#include "pdf/crypt/zkMD5.h"

#include <gtest/gtest.h>

#include <string>

namespace sarvane::pdf {
namespace {

std::string Hex(const TzkMD5Digest& d) {
  static const char* kDigits = "0123456789abcdef";
  std::string s;
  for (uint8_t b : d) {
    s.push_back(kDigits[b >> 4]);
    s.push_back(kDigits[b & 15]);
  }
  return s;
}

struct Vector {
  const char* message;
  const char* digest;
};

// The test suite of RFC 1321, appendix A.5.
const Vector kRfc1321[] = {
    {"", "d41d8cd98f00b204e9800998ecf8427e"},
    {"a", "0cc175b9c0f1b6a831c399e269772661"},
    {"abc", "900150983cd24fb0d6963f7d28e17f72"},
    {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
     "d174ab98d277d9f5a5611c2c9f419d9f"},
    {"1234567890123456789012345678901234567890123456789012345678901234567890123456"
     "7890",
     "57edf4a22be3c955ac49da2e2107b67a"},
};

TEST(MD5, MatchesTheRfc1321TestSuite) {
  for (const Vector& v : kRfc1321) EXPECT_EQ(Hex(TzkMD5::Digest(v.message)), v.digest) << v.message;
}

// Every split of a message into two or three runs gives the one-shot digest;
// this crosses the 56- and 64-byte block boundaries of the buffering.
TEST(MD5, IncrementalRunsGiveTheSameDigestAtEverySplit) {
  std::string message;
  for (int i = 0; i < 150; ++i) message.push_back(char(i * 7 + 3));
  const TzkMD5Digest whole = TzkMD5::Digest(message);
  TzkMD5 md5;
  for (size_t a = 0; a <= message.size(); ++a) {
    md5.Update(std::string_view(message).substr(0, a));
    md5.Update(std::string_view(message).substr(a));
    ASSERT_EQ(md5.Final(), whole) << "split at " << a;
  }
  for (size_t a = 0; a <= message.size(); a += 13) {
    for (size_t b = a; b <= message.size(); b += 11) {
      md5.Update(std::string_view(message).substr(0, a));
      md5.Update(std::string_view(message).substr(a, b - a));
      md5.Update(std::string_view(message).substr(b));
      ASSERT_EQ(md5.Final(), whole) << "splits at " << a << ", " << b;
    }
  }
}

TEST(MD5, LongMessageOfOneMillionAs) {
  TzkMD5 md5;
  const std::string chunk(1000, 'a');
  for (int i = 0; i < 1000; ++i) md5.Update(chunk);
  EXPECT_EQ(Hex(md5.Final()), "7707d6ae4e027c70eea2a935c2296f21");
}

}  // namespace
}  // namespace sarvane::pdf
