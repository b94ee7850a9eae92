#include "engine/image/lzss.h"

#include <algorithm>
#include <cstring>

namespace {

// The decoder without a progress callback. The ring always holds the last
// 4,096 bytes written (zeros before the first), so a reference reads the
// output itself: ring position `offset` lies `distance` bytes back, 1 to
// 4,096 (a reference to the position about to be written reads the byte
// 4,096 back). Bytes before the start of the output read as zero.
i32 DecodeWithoutRing(const u8* source, std::size_t sourceSize, u8* destination, u32 size) {
    const u8* in = source;
    const u8* const inEnd = source + sourceSize;
    u8* out = destination;
    u8* const outEnd = destination + size;
    for (;;) {
        if (in == inEnd) return 0;
        u32 flags = *in++;
        if (flags == 0xFF && inEnd - in >= 8 && outEnd - out > 8) {
            // Eight literals.
            std::memcpy(out, in, 8);
            in += 8;
            out += 8;
            continue;
        }
        for (int bit = 0; bit < 8; ++bit, flags >>= 1) {
            if (flags & 1) {
                if (in == inEnd) return 0;
                *out++ = *in++;
                if (out == outEnd) return 1;
                continue;
            }
            if (inEnd - in < 2) return 0;
            const u32 b1 = in[0];
            const u32 b2 = in[1];
            in += 2;
            const u32 offset = b1 | ((b2 & 0xF0u) << 4);
            u32 length = (b2 & 0x0Fu) + kLzssMinMatch;
            const u32 written = static_cast<u32>(out - destination);
            const u32 write = (kLzssRingStart + written) & (kLzssRingSize - 1);
            const u32 distance = ((write - offset - 1) & (kLzssRingSize - 1)) + 1;
            const u32 room = static_cast<u32>(outEnd - out);
            const bool last = length >= room;
            if (last) length = room;
            if (distance > written) {
                // Starts in the zeroed ring before the output.
                const u32 zeros = std::min(length, distance - written);
                std::memset(out, 0, zeros);
                out += zeros;
                length -= zeros;
                // What follows reads the output from its first byte.
                for (u32 k = 0; k < length; ++k, ++out) *out = destination[k];
            } else if (distance >= length) {
                std::memcpy(out, out - distance, length);
                out += length;
            } else {
                const u8* from = out - distance;
                for (u32 k = 0; k < length; ++k) out[k] = from[k];
                out += length;
            }
            if (last) return 1;
        }
    }
}

}  // namespace

i32 LzssDecode(const u8* source, std::size_t sourceSize, u8* destination, u32 size, ImageProgressCallback callback) {
    if (size == 0) return 0;
    if (!callback) return DecodeWithoutRing(source, sourceSize, destination, size);
    u8 ring[kLzssRingSize];
    std::memset(ring, 0, sizeof ring);
    u32 write = kLzssRingStart;
    u32 flags = 0;
    std::size_t in = 0;
    u32 out = 0;
    u32 copied = 0;
    for (;;) {
        flags >>= 1;
        if ((flags & 0x100) == 0) {
            if (in >= sourceSize) return 0;
            flags = source[in++] | 0xFF00u;
        }
        if (flags & 1) {
            if (in >= sourceSize) return 0;
            const u8 c = source[in++];
            destination[out++] = c;
            ring[write] = c;
            write = (write + 1) & (kLzssRingSize - 1);
            if (out == size) return 1;
        } else {
            if (sourceSize - in < 2) return 0;
            const u32 b1 = source[in++];
            const u32 b2 = source[in++];
            const u32 offset = b1 | ((b2 & 0xF0u) << 4);
            const u32 length = (b2 & 0x0Fu) + kLzssMinMatch;
            for (u32 k = 0; k < length; ++k) {
                const u8 c = ring[(offset + k) & (kLzssRingSize - 1)];
                destination[out++] = c;
                ring[write] = c;
                write = (write + 1) & (kLzssRingSize - 1);
                if (out == size) return 1;
                if (++copied == 65536) {
                    copied = 0;
                    if (callback) callback(0);
                }
            }
        }
        if (callback) callback(0);
    }
}

u64 LzssMaxDecodedSize(u64 sourceSize) {
    // Each group is one flag byte and eight references of two bytes.
    return (sourceSize / 17 + 1) * 8 * kLzssMaxMatch;
}

std::vector<u8> LzssEncode(const u8* data, std::size_t size) {
    // The input is matched against a virtual stream of kLzssRingSize zero
    // bytes followed by the data: its last 4096 bytes before any point are
    // exactly what the decoder's ring holds there.
    const std::size_t pad = kLzssRingSize;
    const std::size_t total = pad + size;
    auto at = [&](std::size_t v) -> u8 { return v < pad ? 0 : data[v - pad]; };
    constexpr std::size_t kHashSize = 1u << 15;
    constexpr int kMaxChain = 48;
    std::vector<i64> head(kHashSize, -1);
    std::vector<i64> prev(total, -1);
    auto hash = [&](std::size_t v) -> std::size_t {
        const u32 h = (u32(at(v)) << 10) ^ (u32(at(v + 1)) << 5) ^ u32(at(v + 2));
        return (h * 2654435761u >> 17) & (kHashSize - 1);
    };
    auto insert = [&](std::size_t v) {
        if (v + 2 >= total) return;
        const std::size_t h = hash(v);
        prev[v] = head[h];
        head[h] = static_cast<i64>(v);
    };
    // The zero prefix: only its last positions can ever be reached.
    for (std::size_t v = pad - kLzssRingSize + 1; v < pad; ++v) insert(v);

    std::vector<u8> out;
    out.reserve(size / 2 + 16);
    std::size_t flagAt = 0;
    int bit = 8;
    std::size_t v = pad;
    while (v < total) {
        if (bit == 8) {
            flagAt = out.size();
            out.push_back(0);
            bit = 0;
        }
        std::size_t bestLength = 0;
        std::size_t bestFrom = 0;
        const std::size_t limit = std::min<std::size_t>(kLzssMaxMatch, total - v);
        if (limit >= kLzssMinMatch) {
            i64 candidate = head[hash(v)];
            int chain = 0;
            while (candidate >= 0 && chain++ < kMaxChain) {
                const std::size_t c = static_cast<std::size_t>(candidate);
                if (v - c >= kLzssRingSize) break;
                std::size_t n = 0;
                while (n < limit && at(c + n) == at(v + n)) ++n;
                if (n > bestLength) {
                    bestLength = n;
                    bestFrom = c;
                    if (n == limit) break;
                }
                candidate = prev[c];
            }
        }
        if (bestLength >= kLzssMinMatch) {
            // Ring position of virtual index c is (c - pad + kLzssRingStart) mod 4096.
            const u32 offset = static_cast<u32>((bestFrom + kLzssRingStart - pad) & (kLzssRingSize - 1));
            out.push_back(static_cast<u8>(offset & 0xFF));
            out.push_back(static_cast<u8>(((offset >> 4) & 0xF0) | (bestLength - kLzssMinMatch)));
            for (std::size_t k = 0; k < bestLength; ++k) insert(v + k);
            v += bestLength;
        } else {
            out[flagAt] |= static_cast<u8>(1u << bit);
            out.push_back(at(v));
            insert(v);
            ++v;
        }
        ++bit;
    }
    return out;
}
