// AES and SHA-2 as the security handler uses them, against published vectors.
#include "pdf/crypt/zkAES.h"

#include <gtest/gtest.h>

#include <string>

#include "pdf/crypt/zkSHA2.h"
#include "pdf/objects/zkPDFText.h"
#include "platform/Exception.h"

namespace sarvane::pdf {
namespace {

std::string Hex(std::string_view bytes) { return BytesToHex(bytes); }
std::string Bytes(std::string_view hex) { return HexToBytes(hex); }

// NIST SP 800-38A, first block of each mode.
TEST(AES, MatchesPublishedVectors) {
  const std::string iv = Bytes("000102030405060708090A0B0C0D0E0F");
  const std::string plain = Bytes("6BC1BEE22E409F96E93D7E117393172A");
  const struct {
    const char* name;
    std::string key;
    bool cbc;
    const char* cipher;
  } cases[] = {
      {"CBC-128", Bytes("2B7E151628AED2A6ABF7158809CF4F3C"), true, "7649ABAC8119B246CEE98E9B12E9197D"},
      {"CBC-256", Bytes("603DEB1015CA71BE2B73AEF0857D77811F352C073B6108D72D9810A30914DFF4"), true,
       "F58C4C04D6E5F1BA779EABFB5F7BFBD6"},
      {"ECB-256", Bytes("603DEB1015CA71BE2B73AEF0857D77811F352C073B6108D72D9810A30914DFF4"), false,
       "F3EED1BDB5D2A03C064B5A7E3DB181F8"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string encrypted = c.cbc ? AESCBCNoPadding(true, c.key, iv, plain) : AESECBBlock(true, c.key, plain);
    EXPECT_EQ(Hex(encrypted), c.cipher);
    EXPECT_EQ(c.cbc ? AESCBCNoPadding(false, c.key, iv, encrypted) : AESECBBlock(false, c.key, encrypted), plain);
  }
}

TEST(AES, WithIVRoundTripsAndPadsToWholeBlocks) {
  const std::string key(32, 'k');
  const std::string iv = CryptoRandomBytes(16);
  for (size_t size : {0, 1, 15, 16, 17, 100}) {
    SCOPED_TRACE(size);
    const std::string plain(size, 'p');
    const std::string out = AESEncryptWithIV(key, iv, plain);
    EXPECT_EQ(out.substr(0, 16), iv);
    EXPECT_EQ(out.size(), 16 + (size / 16 + 1) * 16);  // a whole block of padding when it fits exactly
    EXPECT_EQ(AESDecryptWithIV(key, out), plain);
  }
}

// Damaged data decrypts as far as it goes instead of failing the whole file.
TEST(AES, DecryptionToleratesDamagedData) {
  const std::string key(16, 'k');
  const std::string iv(16, 'i');
  const std::string whole = AESEncryptWithIV(key, iv, "0123456789ABCDEF0123");  // IV + 2 blocks
  const std::string noPadding = iv + AESCBCNoPadding(true, key, iv, "0123456789ABCDEF");
  const struct {
    const char* name;
    std::string data;
    std::string plain;
  } cases[] = {
      {"shorter than IV and one block", whole.substr(0, 31), ""},
      {"trailing part block dropped", whole + "xyz", "0123456789ABCDEF0123"},
      {"last byte not a padding length: kept", noPadding, "0123456789ABCDEF"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(AESDecryptWithIV(key, c.data), c.plain);
  }
}

TEST(AES, RefusesKeysOfOtherLengths) {
  try {
    AESEncryptWithIV(std::string(24, 'k'), std::string(16, '\0'), "x");
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "AES: Invalid key length");
  }
}

TEST(SHA2, MatchesPublishedVectors) {
  const struct {
    int bits;
    const char* digest;
  } cases[] = {
      {256, "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD"},
      {384, "CB00753F45A35E8BB5A03D699AC65007272C32AB0EDED1631A8B605A43FF5BED8086072BA1E7CC2358BAECA134C825A7"},
      {512, "DDAF35A193617ABACC417349AE20413112E6FA4E89A97EA20A9EEEE64B55D39A2192992A274FC1A836BA3C23A3FEEBBD"
            "454D4423643CE80E2A9AC94FA54CA49F"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bits);
    EXPECT_EQ(Hex(SHA2(c.bits, {"abc"})), c.digest);
    EXPECT_EQ(SHA2(c.bits, {"a", "", "bc"}), SHA2(c.bits, {"abc"}));  // runs are one message
  }
}

}  // namespace
}  // namespace sarvane::pdf
