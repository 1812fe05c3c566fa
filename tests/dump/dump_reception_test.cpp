#include <gtest/gtest.h>

#include "dump/dump_reception.h"

namespace velanto {
namespace {

TEST(DumpReception, CountsBytesUpToACompleteImageAndStoresThemInArrivalOrder) {
    DumpReception reception;
    for (std::size_t i = 0; i + 1 < kDumpSize; ++i) {
        EXPECT_EQ(reception.StoreByte(static_cast<std::uint8_t>(i)), i + 1);
    }
    EXPECT_FALSE(reception.IsComplete());
    EXPECT_EQ(reception.StoreByte(0xAB), kDumpSize);
    EXPECT_TRUE(reception.IsComplete());
    EXPECT_EQ(reception.Image()[1], 1);
    EXPECT_EQ(reception.Image()[kDumpSize - 1], 0xAB);
}

TEST(DumpReception, RestartStoresTheNextByteAtOffsetZero) {
    DumpReception reception;
    reception.StoreByte(1);
    reception.StoreByte(2);
    reception.Restart();
    EXPECT_EQ(reception.StoreByte(9), 1u);
    EXPECT_EQ(reception.Image()[0], 9);
    EXPECT_EQ(reception.Image()[1], 2);  // the rest of the buffer is simply overwritten later
}

TEST(DumpReception, AByteAfterACompleteImageBeginsTheNextOne) {
    DumpReception reception;
    for (std::size_t i = 0; i < kDumpSize; ++i) {
        reception.StoreByte(0);
    }
    EXPECT_EQ(reception.StoreByte(7), 1u);
    EXPECT_EQ(reception.Image()[0], 7);
}

}  // namespace
}  // namespace velanto
