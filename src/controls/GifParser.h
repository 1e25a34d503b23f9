#pragma once
// GifParser walks the blocks of a GIF stream held in memory and cuts it into one-frame
// GIF streams. It trusts no length in the data: every read is checked against the end of
// the buffer, and a block that would run past it ends the parse.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace corvale {

enum class GifBlock {
    Unrecognised,
    PlainText,
    GraphicControl,
    Comment,
    Application,
    Image,
    Trailer,
};

// One frame of an animation as ExtractFrame finds it, with the one-frame GIF stream that
// the system's imaging component decodes.
struct GifFrame {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    // Hundredths of a second; -1 when the frame has no graphic control extension.
    int Delay = -1;
    int Disposal = 0;
    std::vector<std::uint8_t> Stream;
};

class GifParser {
public:
    GifParser(const std::uint8_t* data, std::size_t size);

    // "GIF" followed by "87a" or "89a"; anything else goes to the system decoder whole.
    static bool HasGifSignature(const std::uint8_t* data, std::size_t size);

    int LogicalWidth() const { return ReadWord(6); }
    int LogicalHeight() const { return ReadWord(8); }
    bool HasGlobalTable() const { return (ByteAt(10) & 0x80) != 0; }
    int GlobalTableSize() const { return m_globalTableSize; }
    // Red, green and blue of the global table entry named by the background index;
    // false when there is no such entry in the table or in the data.
    bool BackgroundRgb(std::uint8_t& red, std::uint8_t& green, std::uint8_t& blue) const;

    std::size_t Cursor() const { return m_cursor; }
    // Puts the cursor on the first block after the header and global colour table.
    void RewindToFirstBlock() { m_cursor = FirstBlockOffset(); }

    GifBlock BlockTypeAt() const;
    // Byte length of the sub-block chain at offset, its terminating zero included;
    // false when the chain runs past the end of the data.
    bool SubBlockChainLength(std::size_t offset, std::size_t& length) const;
    // Byte length of the block at the cursor; false when it cannot be measured.
    bool BlockLength(std::size_t& length) const;
    // Advances the cursor over one block; on failure the cursor stays where it was.
    bool SkipBlock();
    bool SkipFrame();
    // Moves past the next frame like SkipFrame and builds its one-frame stream.
    bool ExtractFrame(GifFrame& frame);

private:
    std::size_t FirstBlockOffset() const { return 13 + static_cast<std::size_t>(m_globalTableSize); }
    std::uint8_t ByteAt(std::size_t offset) const { return offset < m_size ? m_data[offset] : 0; }
    int ReadWord(std::size_t offset) const { return ByteAt(offset) | (ByteAt(offset + 1) << 8); }
    // Skips application and comment extensions; false at an unrecognised block or the
    // trailer, or when a skip fails.
    bool SkipLeadingExtensions();
    // Skips every block up to and including the image or plain-text block that ends a
    // frame; the cursor must stand on that frame's first block.
    bool SkipFrameBlocks(std::size_t& endingBlock);

    const std::uint8_t* m_data;
    std::size_t m_size;
    int m_globalTableSize = 0;
    std::size_t m_cursor = 0;
};

} // namespace corvale
