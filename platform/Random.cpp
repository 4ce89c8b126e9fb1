#include "platform/Random.h"

#include <chrono>
#include <mutex>
#include <random>

namespace sarvane {

namespace {
std::mutex g_mutex;

uint64_t ClockSeed() {
  return static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()) ^
         static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
}

std::mt19937_64& Generator() {
  static std::mt19937_64 generator(ClockSeed());
  return generator;
}
}  // namespace

int32_t Random(int32_t n) {
  if (n <= 0) return 0;
  std::lock_guard lock(g_mutex);
  std::uniform_int_distribution<int32_t> dist(0, n - 1);
  return dist(Generator());
}

void Randomize() {
  std::lock_guard lock(g_mutex);
  Generator().seed(ClockSeed());
}

void RandSeed(uint64_t seed) {
  std::lock_guard lock(g_mutex);
  Generator().seed(seed);
}

}  // namespace sarvane
