// The GIF block parser on streams built byte by byte: block kinds and lengths, frames
// with and without graphic control extensions, which extensions a frame's one-frame
// stream carries, and data that is cut short or lies about its lengths.
#include "controls/GifParser.h"

#include "GifBuilder.h"
#include "ExactBuffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

namespace corvale {
namespace {

using test::ExactBuffer;
using test::GifBuilder;
using Bytes = std::vector<std::uint8_t>;

GifParser ParserOf(const Bytes& bytes)
{
    return GifParser(bytes.data(), bytes.size());
}

std::vector<GifFrame> ExtractAll(GifParser& parser)
{
    parser.RewindToFirstBlock();
    std::vector<GifFrame> frames;
    GifFrame frame;
    while (parser.ExtractFrame(frame))
        frames.push_back(frame);
    return frames;
}

int CountFrames(GifParser& parser)
{
    parser.RewindToFirstBlock();
    int count = 0;
    while (parser.SkipFrame())
        ++count;
    return count;
}

TEST(GifParserSignature, AcceptsOnlyVersions87aAnd89a)
{
    const auto signed_ = [](const std::string& text) {
        return GifParser::HasGifSignature(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    };
    EXPECT_TRUE(signed_("GIF89a"));
    EXPECT_TRUE(signed_("GIF87a"));
    EXPECT_FALSE(signed_("GIF88a"));
    EXPECT_FALSE(signed_("GIF89"));
    EXPECT_FALSE(signed_("gif89a"));
    EXPECT_FALSE(signed_(std::string("\xFF\xD8\xFF\xE0\0\x10JFIF", 10)));
    EXPECT_FALSE(GifParser::HasGifSignature(nullptr, 0));
}

TEST(GifParserScreen, ReadsSizeGlobalTableAndBackground)
{
    GifBuilder gif(300, 200);
    const GifParser parser = ParserOf(gif.Bytes());
    EXPECT_EQ(300, parser.LogicalWidth());
    EXPECT_EQ(200, parser.LogicalHeight());
    EXPECT_TRUE(parser.HasGlobalTable());
    EXPECT_EQ(12, parser.GlobalTableSize());
    EXPECT_EQ(13u + 12u, parser.Cursor());
    std::uint8_t red = 0, green = 0, blue = 0;
    ASSERT_TRUE(parser.BackgroundRgb(red, green, blue));
    EXPECT_EQ(0x20, red);
    EXPECT_EQ(0x40, green);
    EXPECT_EQ(0x60, blue);

    GifBuilder bare(4, 4, "89a", false);
    const GifParser withoutTable = ParserOf(bare.Bytes());
    EXPECT_EQ(0, withoutTable.GlobalTableSize());
    EXPECT_EQ(13u, withoutTable.Cursor());
    EXPECT_FALSE(withoutTable.BackgroundRgb(red, green, blue));
}

TEST(GifParserScreen, BackgroundIndexOutsideTheTableGivesNoColour)
{
    Bytes bytes = GifBuilder(4, 4).Bytes();
    bytes[11] = 4; // the table has entries 0..3
    std::uint8_t red = 0, green = 0, blue = 0;
    EXPECT_FALSE(ParserOf(bytes).BackgroundRgb(red, green, blue));
}

TEST(GifParserScreen, HeaderCutShortReadsNoFurther)
{
    const Bytes bytes = GifBuilder(300, 200).Bytes();
    for (std::size_t length = 0; length < 13 + 12; ++length) {
        ExactBuffer buffer(bytes, length);
        GifParser parser(buffer.Data(), buffer.Size());
        std::uint8_t red = 0, green = 0, blue = 0;
        (void)parser.LogicalWidth();
        (void)parser.LogicalHeight();
        EXPECT_FALSE(length < 13 + 3 && parser.BackgroundRgb(red, green, blue)) << length;
        EXPECT_EQ(GifBlock::Unrecognised, parser.BlockTypeAt()) << length;
        EXPECT_FALSE(parser.SkipFrame()) << length;
    }
}

struct BlockCase {
    const char* name;
    Bytes block;
    GifBlock type;
};

void PrintTo(const BlockCase& block, std::ostream* out)
{
    *out << block.name;
}

class GifParserBlockType : public testing::TestWithParam<BlockCase> {};

TEST_P(GifParserBlockType, ClassifiesByIntroducerAndLabel)
{
    Bytes bytes = GifBuilder(1, 1, "89a", false).Bytes();
    bytes.insert(bytes.end(), GetParam().block.begin(), GetParam().block.end());
    EXPECT_EQ(GetParam().type, ParserOf(bytes).BlockTypeAt());
}

INSTANTIATE_TEST_SUITE_P(Blocks, GifParserBlockType,
                         testing::Values(BlockCase{"PlainText", {0x21, 0x01}, GifBlock::PlainText},
                                         BlockCase{"GraphicControl", {0x21, 0xF9}, GifBlock::GraphicControl},
                                         BlockCase{"Comment", {0x21, 0xFE}, GifBlock::Comment},
                                         BlockCase{"Application", {0x21, 0xFF}, GifBlock::Application},
                                         BlockCase{"UnknownLabel", {0x21, 0x02}, GifBlock::Unrecognised},
                                         BlockCase{"IntroducerAtTheEnd", {0x21}, GifBlock::Unrecognised},
                                         BlockCase{"Image", {0x2C}, GifBlock::Image},
                                         BlockCase{"Trailer", {0x3B}, GifBlock::Trailer},
                                         BlockCase{"OtherByte", {0x00}, GifBlock::Unrecognised},
                                         BlockCase{"NothingLeft", {}, GifBlock::Unrecognised}),
                         [](const testing::TestParamInfo<BlockCase>& info) { return std::string(info.param.name); });

TEST(GifParserBlocks, SubBlockChainCountsSizesAndTheTerminator)
{
    const Bytes bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0, 0, 0, 3, 'a', 'b', 'c', 2, 'd', 'e', 0, 0x3B};
    GifParser parser = ParserOf(bytes);
    std::size_t length = 0;
    ASSERT_TRUE(parser.SubBlockChainLength(13, length));
    EXPECT_EQ(8u, length);
    ASSERT_TRUE(parser.SubBlockChainLength(20, length));
    EXPECT_EQ(1u, length);
    // Read from the middle, 'e' (101) claims more bytes than there are.
    EXPECT_FALSE(parser.SubBlockChainLength(19, length));
    EXPECT_FALSE(parser.SubBlockChainLength(bytes.size(), length));

    ExactBuffer cut(bytes, 19); // ends inside the second sub-block
    EXPECT_FALSE(GifParser(cut.Data(), cut.Size()).SubBlockChainLength(13, length));
}

TEST(GifParserBlocks, LengthOfEachKindOfBlock)
{
    GifBuilder gif(8, 8);
    gif.Application()
        .Comment("made by hand")
        .GraphicControl(7, 1)
        .PlainText(0, 0, 8, 8, std::string(300, 'x')) // two sub-blocks
        .Image(0, 0, 8, 8, GifBuilder::kRed)
        .Image(2, 2, 4, 4, GifBuilder::kGreen, true)
        .Trailer();
    const auto& starts = gif.BlockStarts();
    const Bytes& bytes = gif.Bytes();
    GifParser parser = ParserOf(bytes);
    for (std::size_t i = 0; i < starts.size(); ++i) {
        const std::size_t expected = (i + 1 < starts.size() ? starts[i + 1] : bytes.size()) - starts[i];
        std::size_t length = 0;
        ASSERT_EQ(starts[i], parser.Cursor());
        ASSERT_TRUE(parser.BlockLength(length)) << "block " << i;
        EXPECT_EQ(expected, length) << "block " << i;
        ASSERT_TRUE(parser.SkipBlock()) << "block " << i;
    }
    EXPECT_EQ(bytes.size(), parser.Cursor());
    std::size_t length = 0;
    EXPECT_FALSE(parser.BlockLength(length));
    EXPECT_FALSE(parser.SkipBlock());
}

TEST(GifParserBlocks, GraphicControlIsEightBytesWhateverItsSizeByteSays)
{
    GifBuilder gif(1, 1);
    gif.GraphicControl(3, 2);
    Bytes bytes = gif.Bytes();
    bytes[gif.BlockStarts()[0] + 2] = 200;
    GifParser parser = ParserOf(bytes);
    ASSERT_TRUE(parser.SkipBlock()); // ends exactly at the end of the data
    EXPECT_EQ(bytes.size(), parser.Cursor());

    ExactBuffer cut(bytes, bytes.size() - 1);
    GifParser shortParser(cut.Data(), cut.Size());
    const std::size_t before = shortParser.Cursor();
    EXPECT_FALSE(shortParser.SkipBlock());
    EXPECT_EQ(before, shortParser.Cursor());
}

TEST(GifParserFrames, OneFrameWithGraphicControl)
{
    GifBuilder gif(10, 6);
    gif.GraphicControl(25, 2).Image(1, 2, 8, 4, GifBuilder::kBlue).Trailer();
    GifParser parser = ParserOf(gif.Bytes());
    EXPECT_EQ(1, CountFrames(parser));
    const auto frames = ExtractAll(parser);
    ASSERT_EQ(1u, frames.size());
    EXPECT_EQ(25, frames[0].Delay);
    EXPECT_EQ(2, frames[0].Disposal);
    EXPECT_EQ(1, frames[0].Left);
    EXPECT_EQ(2, frames[0].Top);
    EXPECT_EQ(8, frames[0].Width);
    EXPECT_EQ(4, frames[0].Height);
    EXPECT_EQ(gif.OneFrameStream(0, 1), frames[0].Stream);
    // With its trailer, the frame's stream is the whole file again.
    EXPECT_EQ(gif.Bytes(), frames[0].Stream);
}

TEST(GifParserFrames, OneFrameWithoutGraphicControl)
{
    GifBuilder gif(10, 6);
    gif.Image(0, 0, 10, 6, GifBuilder::kRed).Trailer();
    GifParser parser = ParserOf(gif.Bytes());
    const auto frames = ExtractAll(parser);
    ASSERT_EQ(1u, frames.size());
    EXPECT_EQ(-1, frames[0].Delay);
    EXPECT_EQ(0, frames[0].Disposal);
    EXPECT_EQ(10, frames[0].Width);
    EXPECT_EQ(gif.OneFrameStream(0, 0), frames[0].Stream);
}

TEST(GifParserFrames, SeveralFramesWithTheirDelaysAndDisposals)
{
    GifBuilder gif(20, 20);
    gif.Application()
        .GraphicControl(0, 2)
        .Image(0, 0, 20, 20, GifBuilder::kRed)
        .GraphicControl(4, 3)
        .Image(5, 5, 10, 10, GifBuilder::kGreen)
        .GraphicControl(5, 0)
        .Image(0, 0, 4, 4, GifBuilder::kBlue)
        .Trailer();
    GifParser parser = ParserOf(gif.Bytes());
    EXPECT_EQ(3, CountFrames(parser));
    const auto frames = ExtractAll(parser);
    ASSERT_EQ(3u, frames.size());
    const int delays[] = {0, 4, 5};
    const int disposals[] = {2, 3, 0};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(delays[i], frames[i].Delay) << i;
        EXPECT_EQ(disposals[i], frames[i].Disposal) << i;
        EXPECT_EQ(gif.OneFrameStream(1 + 2 * i, 2 + 2 * i), frames[i].Stream) << i;
    }
    EXPECT_EQ(5, frames[1].Left);
    EXPECT_EQ(10, frames[1].Height);
    GifFrame none;
    EXPECT_FALSE(parser.ExtractFrame(none));
}

TEST(GifParserFrames, ExtensionsAfterTheGraphicControlAreCopiedThoseBeforeAreNot)
{
    GifBuilder gif(4, 4);
    gif.Application()                          // 0
        .Comment("before")                     // 1
        .GraphicControl(10, 1)                 // 2
        .Comment("between")                    // 3
        .Application()                         // 4
        .Image(0, 0, 4, 4, GifBuilder::kRed)   // 5
        .Comment("between frames")             // 6
        .Image(0, 0, 4, 4, GifBuilder::kGreen) // 7
        .Trailer();
    GifParser parser = ParserOf(gif.Bytes());
    const auto frames = ExtractAll(parser);
    ASSERT_EQ(2u, frames.size());
    EXPECT_EQ(gif.OneFrameStream(2, 5), frames[0].Stream);
    EXPECT_EQ(10, frames[0].Delay);
    // Without a graphic control extension the frame is its image alone.
    EXPECT_EQ(gif.OneFrameStream(7, 7), frames[1].Stream);
    EXPECT_EQ(-1, frames[1].Delay);
}

TEST(GifParserFrames, LocalColourTableTravelsWithItsImage)
{
    GifBuilder gif(16, 16);
    gif.GraphicControl(10, 0).Image(3, 4, 5, 6, GifBuilder::kRed, true).Trailer();
    GifParser parser = ParserOf(gif.Bytes());
    const auto frames = ExtractAll(parser);
    ASSERT_EQ(1u, frames.size());
    EXPECT_EQ(gif.OneFrameStream(0, 1), frames[0].Stream);
    EXPECT_EQ(3, frames[0].Left);
    EXPECT_EQ(4, frames[0].Top);
    EXPECT_EQ(5, frames[0].Width);
    EXPECT_EQ(6, frames[0].Height);
}

TEST(GifParserFrames, PlainTextEndsAFrameAndGivesItsTextGrid)
{
    GifBuilder gif(64, 32);
    gif.GraphicControl(20, 2).PlainText(8, 4, 48, 16, "Corvale").PlainText(1, 2, 3, 4, "x").Trailer();
    GifParser parser = ParserOf(gif.Bytes());
    const auto frames = ExtractAll(parser);
    ASSERT_EQ(2u, frames.size());
    EXPECT_EQ(gif.OneFrameStream(0, 1), frames[0].Stream);
    EXPECT_EQ(20, frames[0].Delay);
    EXPECT_EQ(2, frames[0].Disposal);
    EXPECT_EQ(8, frames[0].Left);
    EXPECT_EQ(4, frames[0].Top);
    EXPECT_EQ(48, frames[0].Width);
    EXPECT_EQ(16, frames[0].Height);
    EXPECT_EQ(-1, frames[1].Delay);
    EXPECT_EQ(3, frames[1].Width);
}

TEST(GifParserFrames, AFrameEndsAtAnUnrecognisedBlockOrTheTrailer)
{
    {
        GifBuilder gif(4, 4);
        gif.Trailer();
        GifParser parser = ParserOf(gif.Bytes());
        EXPECT_EQ(0, CountFrames(parser));
    }
    {
        GifBuilder gif(4, 4);
        gif.Image(0, 0, 4, 4, GifBuilder::kRed).GraphicControl(1, 1).Trailer();
        GifParser parser = ParserOf(gif.Bytes());
        EXPECT_EQ(1, CountFrames(parser));
        EXPECT_EQ(1u, ExtractAll(parser).size());
    }
    {
        GifBuilder gif(4, 4);
        gif.GraphicControl(1, 1).Raw({0x21, 0x77, 0x00}).Image(0, 0, 4, 4, GifBuilder::kRed).Trailer();
        GifParser parser = ParserOf(gif.Bytes());
        EXPECT_EQ(0, CountFrames(parser));
        EXPECT_TRUE(ExtractAll(parser).empty());
    }
    {
        GifBuilder gif(4, 4);
        gif.Comment("only a comment").Raw({0x00}).Image(0, 0, 4, 4, GifBuilder::kRed);
        GifParser parser = ParserOf(gif.Bytes());
        EXPECT_EQ(0, CountFrames(parser));
    }
}

// A stream with every kind of block, and the block index that ends each of its frames.
GifBuilder RichGif()
{
    GifBuilder gif(16, 16);
    gif.Application()                                  // 0
        .Comment("start")                              // 1
        .GraphicControl(0, 2)                          // 2
        .Image(0, 0, 16, 16, GifBuilder::kRed)         // 3: frame 0
        .GraphicControl(4, 3)                          // 4
        .Comment("inside")                             // 5
        .Image(4, 4, 8, 8, GifBuilder::kGreen, true)   // 6: frame 1
        .Image(0, 0, 2, 2, GifBuilder::kBlue)          // 7: frame 2
        .GraphicControl(5, 0)                          // 8
        .PlainText(0, 0, 16, 8, std::string(260, 't')) // 9: frame 3
        .Trailer();                                    // 10
    return gif;
}
const std::size_t kRichFrameEnds[] = {3, 6, 7, 9};

TEST(GifParserRobustness, EveryTruncationStopsCleanlyAtTheLastWholeFrame)
{
    const GifBuilder gif = RichGif();
    const Bytes& bytes = gif.Bytes();
    const auto& starts = gif.BlockStarts();
    GifParser whole = ParserOf(bytes);
    const auto wholeFrames = ExtractAll(whole);
    ASSERT_EQ(4u, wholeFrames.size());

    for (std::size_t length = 0; length <= bytes.size(); ++length) {
        ExactBuffer buffer(bytes, length);
        GifParser parser(buffer.Data(), buffer.Size());
        std::size_t complete = 0;
        for (std::size_t end : kRichFrameEnds) {
            const std::size_t blockEnd = end + 1 < starts.size() ? starts[end + 1] : bytes.size();
            if (blockEnd <= length)
                ++complete;
        }
        EXPECT_EQ(static_cast<int>(complete), CountFrames(parser)) << "length " << length;
        const auto frames = ExtractAll(parser);
        ASSERT_EQ(complete, frames.size()) << "length " << length;
        for (std::size_t i = 0; i < frames.size(); ++i)
            EXPECT_EQ(wholeFrames[i].Stream, frames[i].Stream) << "length " << length << " frame " << i;
    }
}

TEST(GifParserRobustness, LyingBytesAnywhereNeverReadPastTheEnd)
{
    const GifBuilder gif = RichGif();
    const Bytes& original = gif.Bytes();
    const std::uint8_t lies[] = {0x00, 0x01, 0x21, 0x2C, 0x3B, 0x80, 0xF9, 0xFF};
    for (std::size_t at = 10; at < original.size(); ++at) {
        for (std::uint8_t lie : lies) {
            Bytes bytes = original;
            bytes[at] = lie;
            ExactBuffer buffer(bytes, bytes.size());
            GifParser parser(buffer.Data(), buffer.Size());
            const int counted = CountFrames(parser);
            const auto frames = ExtractAll(parser);
            ASSERT_EQ(static_cast<std::size_t>(counted), frames.size()) << "byte " << at << " = " << int(lie);
            for (const GifFrame& frame : frames) {
                const std::size_t header = 13 + static_cast<std::size_t>(parser.GlobalTableSize());
                ASSERT_GT(frame.Stream.size(), header);
                EXPECT_LE(frame.Stream.size(), bytes.size() + 1);
                EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(header),
                                       frame.Stream.begin()));
                EXPECT_EQ(0x3B, frame.Stream.back());
            }
        }
    }
}

TEST(GifParserRobustness, ChainLengthsThatRunPastTheEndEndTheParse)
{
    // Every sub-block size byte of the stream set to 255 in turn, and the stream cut
    // right there: the chain claims bytes that are not there.
    const GifBuilder gif = RichGif();
    const Bytes& original = gif.Bytes();
    for (std::size_t at = gif.HeaderSize(); at < original.size(); ++at) {
        Bytes bytes = original;
        bytes[at] = 0xFF;
        const std::size_t length = std::min(bytes.size(), at + 100);
        ExactBuffer buffer(bytes, length);
        GifParser parser(buffer.Data(), buffer.Size());
        GifFrame frame;
        while (parser.ExtractFrame(frame))
            ASSERT_LE(parser.Cursor(), length);
        EXPECT_LE(parser.Cursor(), length);
    }
}

} // namespace
} // namespace corvale
