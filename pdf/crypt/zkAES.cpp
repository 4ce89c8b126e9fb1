#include "pdf/crypt/zkAES.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <memory>

#include "pdf/crypt/zkCryptResStrings.h"
#include "platform/Exception.h"

namespace sarvane::pdf {

namespace {

struct CtxFree {
  void operator()(EVP_CIPHER_CTX* ctx) const { EVP_CIPHER_CTX_free(ctx); }
};
using CtxPtr = std::unique_ptr<EVP_CIPHER_CTX, CtxFree>;

const EVP_CIPHER* CipherFor(std::string_view key, bool cbc) {
  if (key.size() == 16) return cbc ? EVP_aes_128_cbc() : EVP_aes_128_ecb();
  if (key.size() == 32) return cbc ? EVP_aes_256_cbc() : EVP_aes_256_ecb();
  throw Exception(SAESInvalidKeyLength);
}

const unsigned char* Bytes(std::string_view s) { return reinterpret_cast<const unsigned char*>(s.data()); }
unsigned char* Bytes(std::string& s) { return reinterpret_cast<unsigned char*>(s.data()); }

// One pass of the cipher over whole blocks (no padding), appended to out.
void Run(bool encrypt, const EVP_CIPHER* cipher, std::string_view key, std::string_view iv,
         std::string_view in, std::string& out) {
  CtxPtr ctx(EVP_CIPHER_CTX_new());
  if (!ctx || EVP_CipherInit_ex(ctx.get(), cipher, nullptr, Bytes(key), iv.empty() ? nullptr : Bytes(iv),
                                encrypt ? 1 : 0) != 1)
    throw Exception(SAESFailed);
  EVP_CIPHER_CTX_set_padding(ctx.get(), 0);
  const size_t at = out.size();
  out.resize(at + in.size());
  int written = 0;
  if (!in.empty() &&
      EVP_CipherUpdate(ctx.get(), Bytes(out) + at, &written, Bytes(in), static_cast<int>(in.size())) != 1)
    throw Exception(SAESFailed);
  int last = 0;
  if (EVP_CipherFinal_ex(ctx.get(), Bytes(out) + at + written, &last) != 1) throw Exception(SAESFailed);
  out.resize(at + static_cast<size_t>(written + last));
}

}  // namespace

std::string AESEncryptWithIV(std::string_view key, std::string_view iv, std::string_view data) {
  const size_t pad = kAESBlockSize - data.size() % kAESBlockSize;
  std::string padded;
  padded.reserve(data.size() + pad);
  padded.append(data);
  padded.append(pad, static_cast<char>(pad));
  std::string out(iv);
  out.reserve(iv.size() + padded.size());
  Run(true, CipherFor(key, true), key, iv, padded, out);
  return out;
}

std::string AESDecryptWithIV(std::string_view key, std::string_view data) {
  if (data.size() < 2 * kAESBlockSize) return std::string();
  const std::string_view iv = data.substr(0, kAESBlockSize);
  std::string_view body = data.substr(kAESBlockSize);
  body = body.substr(0, body.size() - body.size() % kAESBlockSize);
  std::string out;
  Run(false, CipherFor(key, true), key, iv, body, out);
  const size_t pad = static_cast<unsigned char>(out.back());
  if (pad >= 1 && pad <= kAESBlockSize) {
    bool valid = true;
    for (size_t k = out.size() - pad; k < out.size(); ++k) valid = valid && static_cast<unsigned char>(out[k]) == pad;
    if (valid) out.resize(out.size() - pad);
  }
  return out;
}

std::string AESCBCNoPadding(bool encrypt, std::string_view key, std::string_view iv, std::string_view data) {
  std::string out;
  Run(encrypt, CipherFor(key, true), key, iv, data.substr(0, data.size() - data.size() % kAESBlockSize), out);
  return out;
}

std::string AESECBBlock(bool encrypt, std::string_view key, std::string_view block) {
  std::string out;
  Run(encrypt, CipherFor(key, false), key, std::string_view(), block.substr(0, kAESBlockSize), out);
  return out;
}

std::string CryptoRandomBytes(size_t count) {
  std::string bytes(count, '\0');
  if (count > 0 && RAND_bytes(Bytes(bytes), static_cast<int>(count)) != 1) throw Exception(SRandomFailed);
  return bytes;
}

}  // namespace sarvane::pdf
