#include "pdf/crypt/zkRC4.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/Exception.h"

namespace sarvane::pdf {
namespace {

std::string FromHex(std::string_view hex) {
  std::string out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    out.push_back(char(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
  return out;
}

struct Vector {
  std::string key;
  std::string plain;
  std::string cipherHex;
};

TEST(RC4, MatchesPublishedVectors) {
  const Vector vectors[] = {
      {"Key", "Plaintext", "bbf316e8d940af0ad3"},
      {"Wiki", "pedia", "1021bf0420"},
      {"Secret", "Attack at dawn", "45a01f645fc35b383552544b9bf5"},
      // RFC 6229: keystream at offsets 0 and 16 for a 40-bit and a 128-bit key.
      {FromHex("0102030405"), std::string(32, '\0'),
       "b2396305f03dc027ccc3524a0a1118a86982944f18fc82d589c403a47a0d0919"},
      {FromHex("0102030405060708090a0b0c0d0e0f10"), std::string(32, '\0'),
       "9ac7cc9a609d1ef7b2932899cde41b975248c4959014126a6e8a84f11d1a9e1c"},
  };
  for (const Vector& v : vectors) {
    std::string data = v.plain;
    TzkRC4::Crypt(v.key, data);
    EXPECT_EQ(data, FromHex(v.cipherHex)) << v.plain;
    TzkRC4::Crypt(v.key, data);
    EXPECT_EQ(data, v.plain) << "decrypting again";
  }
}

// The keystream continues across calls on one object.
TEST(RC4, PiecewiseCryptContinuesTheKeystream) {
  std::string whole(1000, 'x');
  for (size_t i = 0; i < whole.size(); ++i) whole[i] = char(i * 31);
  std::string pieces = whole;
  TzkRC4::Crypt("secret key", whole);
  TzkRC4 rc4(std::string_view("secret key"));
  for (size_t at = 0, step = 1; at < pieces.size(); at += step, step = step * 2 + 1)
    rc4.Crypt(pieces.data() + at, std::min(step, pieces.size() - at));
  EXPECT_EQ(pieces, whole);
}

TEST(RC4, KeyLengthMustBeOneTo256Bytes) {
  struct Case {
    size_t length;
    bool valid;
  };
  const Case cases[] = {{0, false}, {1, true}, {5, true}, {16, true}, {256, true}, {257, false}};
  for (const Case& c : cases) {
    const std::string key(c.length, '\x5A');
    if (c.valid) {
      EXPECT_NO_THROW(TzkRC4 rc4(key)) << c.length;
    } else {
      try {
        TzkRC4 rc4(key);
        ADD_FAILURE() << "no exception for length " << c.length;
      } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "RC4: Invalid key length");
      }
    }
  }
}

}  // namespace
}  // namespace sarvane::pdf
