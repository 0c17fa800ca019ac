// The single-producer single-consumer ring of the upload threads.

#include <gtest/gtest.h>

#include <thread>

#include "handheld/byte_ring.h"

namespace tramond {
namespace {

TEST(ByteRing, HoldsThreeThousandNineHundredNinetyNineAndWrapsAtFourThousand) {
    ByteRing ring;
    for (int i = 0; i < 3999; ++i) ASSERT_TRUE(ring.push(static_cast<std::uint8_t>(i))) << i;
    EXPECT_FALSE(ring.push(0xAA));
    EXPECT_EQ(ring.size(), 3999u);
    for (int i = 0; i < 3990; ++i) ASSERT_EQ(ring.pop(), i & 0xFF);
    // The write index now stands at 3999: the next bytes wrap to slot 0.
    for (int i = 0; i < 20; ++i) ASSERT_TRUE(ring.push(static_cast<std::uint8_t>(0x40 + i)));
    EXPECT_EQ(ring.readable().size(), 10u) << "up to the end of the buffer";
    for (int i = 3990; i < 3999; ++i) ASSERT_EQ(ring.pop(), i & 0xFF);
    EXPECT_EQ(ring.readable().size(), 1u) << "slot 3999, before the wrap";
    EXPECT_EQ(ring.size(), 20u);
    for (int i = 0; i < 20; ++i) ASSERT_EQ(ring.pop(), 0x40 + i);
    EXPECT_EQ(ring.pop(), -1);
    EXPECT_TRUE(ring.empty());
}

TEST(ByteRing, TwoThreadsPassEveryByteInOrder) {
    ByteRing ring;
    constexpr int kBytes = 300'000;
    std::thread producer([&] {
        for (int i = 0; i < kBytes;)
            if (ring.push(static_cast<std::uint8_t>(i * 7 + (i >> 8)))) ++i;
    });
    int mismatches = 0;
    for (int i = 0; i < kBytes;) {
        // Alternate the two ways of consuming.
        if (i % 3 == 0) {
            const auto span = ring.readable();
            for (std::size_t k = 0; k < span.size(); ++k)
                mismatches += span[k] != static_cast<std::uint8_t>((i + static_cast<int>(k)) * 7 + ((i + static_cast<int>(k)) >> 8));
            ring.consume(span.size());
            i += static_cast<int>(span.size());
        } else {
            const int b = ring.pop();
            if (b < 0) continue;
            mismatches += b != static_cast<std::uint8_t>(i * 7 + (i >> 8));
            ++i;
        }
    }
    producer.join();
    EXPECT_EQ(mismatches, 0);
    EXPECT_TRUE(ring.empty());
}

}  // namespace
}  // namespace tramond
