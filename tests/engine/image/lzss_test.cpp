#include "engine/image/lzss.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

// Writes LZSS tokens with their flag bytes.
class StreamBuilder {
public:
    StreamBuilder& Literal(char c) {
        Flag(true);
        bytes_.push_back(static_cast<u8>(c));
        return *this;
    }
    StreamBuilder& Literals(const std::string& s) {
        for (char c : s) Literal(c);
        return *this;
    }
    StreamBuilder& Reference(u32 offset, u32 length) {
        Flag(false);
        bytes_.push_back(static_cast<u8>(offset & 0xFF));
        bytes_.push_back(static_cast<u8>(((offset >> 4) & 0xF0) | (length - 3)));
        return *this;
    }
    const std::vector<u8>& bytes() const { return bytes_; }

private:
    void Flag(bool literal) {
        if (bit_ == 8) {
            flagAt_ = bytes_.size();
            bytes_.push_back(0);
            bit_ = 0;
        }
        if (literal) bytes_[flagAt_] |= static_cast<u8>(1u << bit_);
        ++bit_;
    }
    std::vector<u8> bytes_;
    std::size_t flagAt_ = 0;
    int bit_ = 8;
};

struct Decoded {
    i32 status;
    std::string text;
};

Decoded Decode(const std::vector<u8>& stream, u32 size) {
    std::vector<u8> out(size + 8, '#');
    const i32 status = LzssDecode(stream.data(), stream.size(), out.data(), size, nullptr);
    // Nothing past `size` may be written.
    for (u32 i = size; i < out.size(); ++i) EXPECT_EQ(out[i], '#') << "byte " << i;
    return {status, std::string(out.begin(), out.begin() + size)};
}

TEST(LzssDecode, ReferenceOverlappingItsOwnOutputRepeatsIt) {
    // The ring starts writing at 4080: "AB" lands at 4080 and 4081, and a
    // five-byte copy from 4080 reads bytes it has just written.
    const auto stream = StreamBuilder().Literals("AB").Reference(4080, 5).bytes();
    const Decoded d = Decode(stream, 7);
    EXPECT_EQ(d.status, 1);
    EXPECT_EQ(d.text, "ABABABA");
}

TEST(LzssDecode, StopsExactlyAtTheSizeInsideAReference) {
    const auto stream = StreamBuilder().Literals("AB").Reference(4080, 18).bytes();
    const Decoded d = Decode(stream, 5);
    EXPECT_EQ(d.status, 1);
    EXPECT_EQ(d.text, "ABABA");
}

TEST(LzssDecode, RingStartsZeroed) {
    const auto stream = StreamBuilder().Reference(0, 4).Literal('x').Reference(4090, 3).bytes();
    const Decoded d = Decode(stream, 8);
    EXPECT_EQ(d.status, 1);
    EXPECT_EQ(d.text, std::string("\0\0\0\0x\0\0\0", 8));
}

TEST(LzssDecode, WritePositionAndReferencesWrapAroundTheRing) {
    // 16 literals fill 4080..4095, 'q' lands at 0; the copy from 4094 wraps
    // to 0 and then reads the byte it wrote at 1.
    const auto stream = StreamBuilder().Literals("abcdefghijklmnopq").Reference(4094, 4).bytes();
    const Decoded d = Decode(stream, 21);
    EXPECT_EQ(d.status, 1);
    EXPECT_EQ(d.text, "abcdefghijklmnopqopqo");
}

TEST(LzssDecode, SourceEndingEarlyFailsWithoutReadingPastIt) {
    const auto full = StreamBuilder().Literals("ABC").Reference(4080, 3).bytes();
    // Cut at every length: only the whole stream yields the 6 bytes.
    for (std::size_t cut = 0; cut < full.size(); ++cut) {
        std::vector<u8> shortStream(full.begin(), full.begin() + cut);
        std::vector<u8> out(6);
        EXPECT_EQ(LzssDecode(shortStream.data(), shortStream.size(), out.data(), 6, nullptr), 0) << "cut at " << cut;
    }
    EXPECT_EQ(Decode(full, 6).status, 1);
    // Asking for more than the stream holds fails too.
    EXPECT_EQ(Decode(full, 7).status, 0);
}

TEST(LzssDecode, SizeZeroReturnsZero) {
    const auto stream = StreamBuilder().Literal('a').bytes();
    EXPECT_EQ(LzssDecode(stream.data(), stream.size(), nullptr, 0, nullptr), 0);
}

int gCallbackCalls = 0;
void CountCall(i32 value) {
    EXPECT_EQ(value, 0);
    ++gCallbackCalls;
}

TEST(LzssDecode, CallsTheCallbackAfterEveryToken) {
    gCallbackCalls = 0;
    const auto stream = StreamBuilder().Literals("abc").Reference(4080, 3).Literal('z').bytes();
    std::vector<u8> out(7);
    ASSERT_EQ(LzssDecode(stream.data(), stream.size(), out.data(), 7, CountCall), 1);
    // Four complete tokens; the fifth ends the decode before its call.
    EXPECT_EQ(gCallbackCalls, 4);
}

void IgnoreProgress(i32) {}

// Without a progress callback the decoder reads references from the output
// itself instead of keeping the ring: both must give the same bytes and the
// same result for any stream, including references into the zeroed ring
// before the output, overlapping copies and a size reached inside a copy.
TEST(LzssDecode, WithoutCallbackDecodesAsTheRingDoes) {
    std::mt19937 random(41);
    int completed = 0;
    for (int round = 0; round < 400; ++round) {
        // Mostly references, many of them near the write position.
        std::vector<u8> stream(static_cast<std::size_t>(random() % 700));
        for (std::size_t i = 0; i < stream.size(); ++i) {
            stream[i] = static_cast<u8>(random());
            if (i % 17 == 0) stream[i] = static_cast<u8>(random() % 4 == 0 ? 0xFF : random() & random());
            if (i % 17 == 2 && round % 2 == 0) stream[i] = static_cast<u8>(0xF0 | (random() & 0x0F));
        }
        const u32 size = 1 + static_cast<u32>(random() % 3000);
        std::vector<u8> fast(size + 4, '#'), ring(size + 4, '#');
        const i32 a = LzssDecode(stream.data(), stream.size(), fast.data(), size, nullptr);
        const i32 b = LzssDecode(stream.data(), stream.size(), ring.data(), size, IgnoreProgress);
        ASSERT_EQ(a, b) << "round " << round;
        completed += a;
        // A stream that ends early leaves the same bytes written too.
        ASSERT_EQ(fast, ring) << "round " << round;
    }
    EXPECT_GT(completed, 150);
}

TEST(LzssEncode, RoundTripsAssortedData) {
    std::mt19937 random(7);
    std::vector<std::vector<u8>> inputs;
    inputs.push_back({42});
    inputs.push_back(std::vector<u8>(10000, 0));
    std::vector<u8> noise(5000);
    for (auto& b : noise) b = static_cast<u8>(random());
    inputs.push_back(noise);
    std::vector<u8> pattern;
    for (int i = 0; i < 20000; ++i) pattern.push_back(static_cast<u8>((i % 7) * 31 + (i / 700)));
    inputs.push_back(pattern);
    std::vector<u8> mixed;
    for (int i = 0; i < 30000; ++i) mixed.push_back(i % 3000 < 1500 ? static_cast<u8>(random() & 3) : 0xFF);
    inputs.push_back(mixed);
    for (const auto& input : inputs) {
        const std::vector<u8> packed = LzssEncode(input.data(), input.size());
        std::vector<u8> out(input.size());
        ASSERT_EQ(LzssDecode(packed.data(), packed.size(), out.data(), static_cast<u32>(out.size()), nullptr), 1);
        EXPECT_EQ(out, input);
        EXPECT_LE(input.size(), LzssMaxDecodedSize(packed.size()));
    }
    // Long runs pack well (references into the zeroed ring included).
    EXPECT_LT(LzssEncode(inputs[1].data(), inputs[1].size()).size(), 1200u);
}

}  // namespace
