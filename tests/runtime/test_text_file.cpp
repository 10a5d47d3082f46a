#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "runtime/text_file.h"
#include "support/failure_of.h"
#include "support/scratch_directory.h"

namespace velmora {
namespace {

class TextFileTest : public testing::ScratchDirectoryTest {
protected:
    static void writeRaw(const std::string& file, const std::string& bytes) {
        std::ofstream out(file, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
};

TEST_F(TextFileTest, ReadFileBytesReturnsEveryByteUnchanged) {
    const std::string bytes("1 2\r\n\0\xff\x80\n\r", 10);
    const std::string file = path("bytes.txt");
    writeRaw(file, bytes);
    const Expected<std::string> read = readFileBytes(file);
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, bytes);

    const std::string empty = path("empty.txt");
    writeRaw(empty, "");
    const Expected<std::string> none = readFileBytes(empty);
    ASSERT_TRUE(none);
    EXPECT_EQ(*none, "");
}

TEST_F(TextFileTest, ReadFileBytesReportsWhyItFailed) {
    using testing::failureOf;
    const std::string absent = m_dir + "/absent.txt";
    EXPECT_EQ(failureOf(readFileBytes(absent)), (Failure{"No such file or directory", absent}));
    EXPECT_EQ(failureOf(readFileBytes(m_dir)), (Failure{"Is a directory", m_dir}));
}

std::vector<std::string> blocksOf(const std::string& file, std::size_t buffer, bool* failed) {
    LineBlockInput in(buffer);
    std::vector<std::string> blocks;
    if (!in.open(file)) {
        *failed = true;
        return blocks;
    }
    std::string_view block;
    while (in.nextBlock(block)) blocks.emplace_back(block);
    *failed = in.failed();
    return blocks;
}

// Whatever the buffer size, the blocks put together give the file back, and
// every block but the last ends right after a whole line terminator.
TEST_F(TextFileTest, LineBlocksHoldWholeLinesOnly) {
    const std::vector<std::string> texts = {"",
                                            "a",
                                            "\r",
                                            "\r\n",
                                            "ab\r\ncd\r\n",
                                            "a\rb\rc",
                                            "x\r\n\r\n\r\ny",
                                            "1\n2\r\n3\n",
                                            "long line without any end of line at all",
                                            "\r\r\n\n\r",
                                            "12 34\r\n56 78\r\n9 10"};
    for (std::size_t t = 0; t < texts.size(); ++t) {
        const std::string file = path("block" + std::to_string(t) + ".txt");
        writeRaw(file, texts[t]);
        for (std::size_t buffer = 1; buffer <= 12; ++buffer) {
            bool failed = false;
            const std::vector<std::string> blocks = blocksOf(file, buffer, &failed);
            EXPECT_FALSE(failed);
            std::string joined;
            for (std::size_t b = 0; b < blocks.size(); ++b) {
                const std::string& block = blocks[b];
                EXPECT_FALSE(block.empty());
                joined += block;
                if (b + 1 == blocks.size()) continue;
                // Not the last block: it ends with a line end (CR or LF), and
                // the next block does not start with an LF that belonged to a CR.
                const bool endsWithCr = block.back() == '\r';
                EXPECT_TRUE(endsWithCr || block.back() == '\n') << t << " buffer " << buffer;
                if (endsWithCr) {
                    EXPECT_NE(blocks[b + 1].front(), '\n') << t << " buffer " << buffer;
                }
            }
            EXPECT_EQ(joined, texts[t]) << t << " buffer " << buffer;
        }
    }
    // A lone LF ends a block as a CR does.
    writeRaw(path("lf.txt"), "4 5\n6 7\n");
    bool failed = false;
    EXPECT_EQ(blocksOf(path("lf.txt"), 4, &failed), (std::vector<std::string>{"4 5\n", "6 7\n"}));
}

TEST_F(TextFileTest, LineBlocksReportUnopenableAndUnreadableFiles) {
    LineBlockInput in;
    const std::string absent = m_dir + "/absent.txt";
    EXPECT_EQ(testing::failureOf(in.open(absent)), (Failure{"No such file or directory", absent}));
    std::string_view block;
    EXPECT_FALSE(in.nextBlock(block));

    ASSERT_TRUE(in.open(m_dir));  // a directory opens but cannot be read
    EXPECT_FALSE(in.nextBlock(block));
    EXPECT_TRUE(in.failed());
    EXPECT_EQ(in.error(), "Is a directory");
}

}  // namespace
}  // namespace velmora
