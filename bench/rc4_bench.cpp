// Throughput of the stream cipher and of the per-object encryption that the
// writer and the parser run for every string and stream.
#include <benchmark/benchmark.h>

#include <string>

#include "pdf/crypt/zkMD5.h"
#include "pdf/crypt/zkPDFCrypt.h"
#include "pdf/crypt/zkRC4.h"

namespace {

using namespace sarvane::pdf;

std::string Data(size_t size) {
  std::string d(size, '\0');
  for (size_t i = 0; i < size; ++i) d[i] = char(i * 131 + 7);
  return d;
}

void BM_RC4(benchmark::State& state) {
  std::string data = Data(size_t(state.range(0)));
  TzkRC4 rc4(std::string_view("0123456789abcdef"));
  for (auto _ : state) {
    rc4.Crypt(data);
    benchmark::DoNotOptimize(data.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_RC4)->Arg(4 << 10)->Arg(1 << 20);

void BM_MD5(benchmark::State& state) {
  const std::string data = Data(size_t(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(TzkMD5::Digest(data));
  state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_MD5)->Arg(1 << 20);

// One object: object key (MD5), key schedule and one pass, as for each
// string or stream of a file.
void BM_EncryptObject(benchmark::State& state) {
  TzkPDFEncryptionSettings s;
  s.SetOwnerPassword("owner");
  s.SetUserPassword("user");
  const TzkPDFEncryption w("Output1.pdf", s, "D:20240102030405");
  std::string data = Data(size_t(state.range(0)));
  int32_t number = 1;
  for (auto _ : state) {
    w.Encrypt(data, number++);
    benchmark::DoNotOptimize(data.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
  state.SetItemsProcessed(int64_t(state.iterations()));
}
BENCHMARK(BM_EncryptObject)->Arg(16)->Arg(64 << 10);

// Revision 3 password check: 50 MD5 rounds and 20 RC4 passes, twice.
void BM_OwnerCheck128(benchmark::State& state) {
  TzkPDFEncryptionSettings s;
  s.SetOwnerPassword("owner");
  s.SetUserPassword("user");
  const TzkPDFEncryption w("Output1.pdf", s, "");
  TzkPDFDecrypt r;
  r.SetFileID(w.FileID());
  r.SetO(w.O());
  r.SetU(w.U());
  r.SetP(w.P());
  for (auto _ : state) benchmark::DoNotOptimize(r.CheckOwnerPassword("owner"));
}
BENCHMARK(BM_OwnerCheck128);

}  // namespace
