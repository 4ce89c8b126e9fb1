#include "pdf/crypt/zkSHA2.h"

#include <openssl/evp.h>

#include <memory>

#include "pdf/crypt/zkCryptResStrings.h"
#include "platform/Exception.h"

namespace sarvane::pdf {

namespace {
struct MdFree {
  void operator()(EVP_MD_CTX* ctx) const { EVP_MD_CTX_free(ctx); }
};
}  // namespace

std::string SHA2(int bits, std::initializer_list<std::string_view> runs) {
  const EVP_MD* md = bits == 256 ? EVP_sha256() : bits == 384 ? EVP_sha384() : bits == 512 ? EVP_sha512() : nullptr;
  std::unique_ptr<EVP_MD_CTX, MdFree> ctx(EVP_MD_CTX_new());
  if (!md || !ctx || EVP_DigestInit_ex(ctx.get(), md, nullptr) != 1) throw Exception(SSHAFailed);
  for (std::string_view run : runs)
    if (!run.empty() && EVP_DigestUpdate(ctx.get(), run.data(), run.size()) != 1) throw Exception(SSHAFailed);
  std::string digest(static_cast<size_t>(EVP_MAX_MD_SIZE), '\0');
  unsigned int size = 0;
  if (EVP_DigestFinal_ex(ctx.get(), reinterpret_cast<unsigned char*>(digest.data()), &size) != 1)
    throw Exception(SSHAFailed);
  digest.resize(size);
  return digest;
}

}  // namespace sarvane::pdf
