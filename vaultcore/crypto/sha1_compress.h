#pragma once
// SHA-1 compression functions (FIPS 180-1 section 7). Library-internal.
#include <cstddef>
#include <cstdint>

// One block, with the caller's 80-word schedule as scratch space.
void sha1CompressPortable(uint32_t state[5], const unsigned char* block, uint32_t schedule[80]);
// Whole blocks with the SHA extensions; only when sha1HaveShaInstructions().
void sha1CompressShaNi(uint32_t state[5], const unsigned char* data, size_t blocks);
bool sha1HaveShaInstructions();
