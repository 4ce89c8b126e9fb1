#include "pdf/crypt/zkRC4.h"

#include "pdf/crypt/zkCryptResStrings.h"
#include "platform/Exception.h"

namespace sarvane::pdf {

TzkRC4::TzkRC4(const void* key, size_t keyLength) {
  if (keyLength < 1 || keyLength > 256) throw Exception(SRC4InvalidKeyLength);
  const uint8_t* k = static_cast<const uint8_t*>(key);
  for (int n = 0; n < 256; ++n) s_[n] = uint8_t(n);
  uint8_t j = 0;
  size_t ki = 0;
  for (int n = 0; n < 256; ++n) {
    const uint8_t t = s_[n];
    j = uint8_t(j + t + k[ki]);
    s_[n] = s_[j];
    s_[j] = t;
    if (++ki == keyLength) ki = 0;
  }
}

void TzkRC4::Crypt(void* data, size_t size) {
  // Local copies of the indices keep them in registers through the loop; the
  // state cannot alias the data, which lets the compiler keep state loads
  // ahead of the data stores.
  uint8_t* __restrict p = static_cast<uint8_t*>(data);
  uint8_t* __restrict const s = s_;
  uint8_t i = i_, j = j_;
  for (size_t n = 0; n < size; ++n) {
    i = uint8_t(i + 1);
    const uint8_t a = s[i];
    j = uint8_t(j + a);
    const uint8_t b = s[j];
    s[i] = b;
    s[j] = a;
    p[n] ^= s[uint8_t(a + b)];
  }
  i_ = i;
  j_ = j;
}

}  // namespace sarvane::pdf
