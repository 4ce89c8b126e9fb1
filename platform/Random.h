#pragma once
// The process-wide pseudo-random generator, seeded once from the clock.
#include <cstdint>

namespace sarvane {

// A number in 0..n-1; 0 when n <= 0.
int32_t Random(int32_t n);
// Seeds the generator from the clock again.
void Randomize();
// Fixed seed, for tests that need repeatable numbers.
void RandSeed(uint64_t seed);

}  // namespace sarvane
