#pragma once
// LZSS as the image archives store it: a 4096-byte ring that starts zeroed with
// the write position at 4080, flag bytes read least significant bit first
// (1 = literal byte, 0 = two-byte reference of 3 to 18 bytes into the ring).
#include <cstddef>
#include <vector>

#include "engine/core/types.h"

using ImageProgressCallback = void (*)(i32);

constexpr u32 kLzssRingSize = 4096;
constexpr u32 kLzssRingStart = 4080;
constexpr u32 kLzssMinMatch = 3;
constexpr u32 kLzssMaxMatch = 18;

// Decodes exactly `size` bytes into `destination` from at most `sourceSize`
// bytes of `source`. Returns 1 once `size` bytes are written (also when that
// happens inside a reference), 0 when `size` is 0 or the source ends first.
// The callback, when given, is called with 0 after every token and after every
// 65,536 bytes copied by references.
i32 LzssDecode(const u8* source, std::size_t sourceSize, u8* destination, u32 size, ImageProgressCallback callback);

// The matching encoder (greedy, hash chains). Its output decodes with
// LzssDecode to the input again.
std::vector<u8> LzssEncode(const u8* data, std::size_t size);

// The most output bytes a stream of `sourceSize` bytes can decode to (eight
// 18-byte references per 17 source bytes); larger claims cannot be met.
u64 LzssMaxDecodedSize(u64 sourceSize);
