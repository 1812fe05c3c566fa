#include "xlsdriver/compound_file.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/xlsdriver/xls_reader.h"

namespace velanto {
namespace {

ByteBuffer Pattern(std::size_t size) {
    ByteBuffer bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 509);
    }
    return bytes;
}

TEST(CompoundFile, ShortStreamIsPaddedOutOfTheMiniStream) {
    const ByteBuffer stream = Pattern(100);
    const ByteBuffer file = BuildCompoundFile(u"Workbook", stream);
    // Header, eight stream sectors, the directory and one allocation-table sector.
    EXPECT_EQ(file.size(), 512u * 11);
    const auto streams = testing::ReadCompoundStreams(file);
    ASSERT_EQ(streams.count(u"Workbook"), 1u);
    const testing::Bytes& read = streams.at(u"Workbook");
    ASSERT_EQ(read.size(), 4096u);
    EXPECT_TRUE(std::equal(stream.begin(), stream.end(), read.begin()));
    EXPECT_TRUE(std::all_of(read.begin() + 100, read.end(), [](std::uint8_t b) { return b == 0; }));
}

TEST(CompoundFile, StreamsAroundSectorAndTableBoundariesReadBackWhole) {
    // 127 stream sectors + directory fill one table sector exactly; one more needs a second.
    for (std::size_t size : {4096u, 4097u, 512u * 126, 512u * 127 - 1, 512u * 127, 512u * 127 + 1, 300000u}) {
        const ByteBuffer stream = Pattern(size);
        const auto streams = testing::ReadCompoundStreams(BuildCompoundFile(u"Workbook", stream));
        EXPECT_EQ(streams.at(u"Workbook"), stream) << size;
    }
}

TEST(CompoundFile, LargeStreamListsItsTableInExtensionSectors) {
    // More than 109 allocation-table sectors: the header cannot list them all.
    const ByteBuffer stream = Pattern(512u * 128 * 112);
    const ByteBuffer file = BuildCompoundFile(u"Workbook", stream);
    EXPECT_GT(file[72], 0) << "extension sector count";
    EXPECT_EQ(testing::ReadCompoundStreams(file).at(u"Workbook"), stream);
}

TEST(CompoundFile, RefusesNamesTheDirectoryCannotHold) {
    EXPECT_THROW(BuildCompoundFile(u"", Pattern(10)), std::invalid_argument);
    EXPECT_THROW(BuildCompoundFile(std::u16string(32, u'x'), Pattern(10)), std::invalid_argument);
}

}  // namespace
}  // namespace velanto
