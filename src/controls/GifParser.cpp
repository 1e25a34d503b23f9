#include "controls/GifParser.h"

#include <cstring>

namespace corvale {
namespace {

constexpr std::uint8_t kExtensionIntroducer = 0x21;
constexpr std::uint8_t kImageSeparator = 0x2C;
constexpr std::uint8_t kTrailer = 0x3B;
constexpr std::uint8_t kPlainTextLabel = 0x01;
constexpr std::uint8_t kGraphicControlLabel = 0xF9;
constexpr std::uint8_t kCommentLabel = 0xFE;
constexpr std::uint8_t kApplicationLabel = 0xFF;

// Fixed parts in front of each block's sub-block chain.
constexpr std::size_t kApplicationHeader = 14;
constexpr std::size_t kCommentHeader = 2;
constexpr std::size_t kPlainTextHeader = 15;
constexpr std::size_t kImageDescriptor = 11;
// Graphic control extensions are always 8 bytes long, whatever their size byte says.
constexpr std::size_t kGraphicControlLength = 8;

// Colour tables hold 2^(n+1) entries of 3 bytes, n being the low 3 bits of the packed byte.
std::size_t ColourTableSize(std::uint8_t packed)
{
    return static_cast<std::size_t>(3) << ((packed & 0x07) + 1);
}

} // namespace

GifParser::GifParser(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size)
{
    if (HasGlobalTable())
        m_globalTableSize = static_cast<int>(ColourTableSize(ByteAt(10)));
    m_cursor = FirstBlockOffset();
}

bool GifParser::HasGifSignature(const std::uint8_t* data, std::size_t size)
{
    if (size < 6 || std::memcmp(data, "GIF", 3) != 0)
        return false;
    return std::memcmp(data + 3, "87a", 3) == 0 || std::memcmp(data + 3, "89a", 3) == 0;
}

bool GifParser::BackgroundRgb(std::uint8_t& red, std::uint8_t& green, std::uint8_t& blue) const
{
    if (!HasGlobalTable())
        return false;
    const std::size_t entry = 3 * static_cast<std::size_t>(ByteAt(11));
    if (entry + 3 > static_cast<std::size_t>(m_globalTableSize) || 13 + entry + 3 > m_size)
        return false;
    red = m_data[13 + entry];
    green = m_data[13 + entry + 1];
    blue = m_data[13 + entry + 2];
    return true;
}

GifBlock GifParser::BlockTypeAt() const
{
    if (m_cursor >= m_size)
        return GifBlock::Unrecognised;
    switch (m_data[m_cursor]) {
    case kImageSeparator: return GifBlock::Image;
    case kTrailer: return GifBlock::Trailer;
    case kExtensionIntroducer:
        if (m_cursor + 1 >= m_size)
            return GifBlock::Unrecognised;
        switch (m_data[m_cursor + 1]) {
        case kPlainTextLabel: return GifBlock::PlainText;
        case kGraphicControlLabel: return GifBlock::GraphicControl;
        case kCommentLabel: return GifBlock::Comment;
        case kApplicationLabel: return GifBlock::Application;
        default: return GifBlock::Unrecognised;
        }
    default: return GifBlock::Unrecognised;
    }
}

bool GifParser::SubBlockChainLength(std::size_t offset, std::size_t& length) const
{
    std::size_t walked = 0;
    while (offset < m_size) {
        const std::size_t subBlock = static_cast<std::size_t>(m_data[offset]) + 1;
        walked += subBlock;
        if (subBlock == 1) {
            length = walked;
            return true;
        }
        offset += subBlock;
    }
    return false;
}

bool GifParser::BlockLength(std::size_t& length) const
{
    std::size_t fixed = 0;
    switch (BlockTypeAt()) {
    case GifBlock::Unrecognised: return false;
    case GifBlock::GraphicControl: length = kGraphicControlLength; return true;
    case GifBlock::Trailer: length = 1; return true;
    case GifBlock::Application: fixed = kApplicationHeader; break;
    case GifBlock::Comment: fixed = kCommentHeader; break;
    case GifBlock::PlainText: fixed = kPlainTextHeader; break;
    case GifBlock::Image:
        if (m_cursor + 9 >= m_size)
            return false;
        fixed = kImageDescriptor;
        if (m_data[m_cursor + 9] & 0x80)
            fixed += ColourTableSize(m_data[m_cursor + 9]);
        break;
    }
    std::size_t chain = 0;
    if (!SubBlockChainLength(m_cursor + fixed, chain))
        return false;
    length = fixed + chain;
    return true;
}

bool GifParser::SkipBlock()
{
    std::size_t length = 0;
    if (!BlockLength(length) || length > m_size - m_cursor)
        return false;
    m_cursor += length;
    return true;
}

bool GifParser::SkipLeadingExtensions()
{
    for (;;) {
        switch (BlockTypeAt()) {
        case GifBlock::Application:
        case GifBlock::Comment:
            if (!SkipBlock())
                return false;
            break;
        case GifBlock::GraphicControl:
        case GifBlock::Image:
        case GifBlock::PlainText: return true;
        case GifBlock::Unrecognised:
        case GifBlock::Trailer: return false;
        }
    }
}

bool GifParser::SkipFrameBlocks(std::size_t& endingBlock)
{
    if (BlockTypeAt() == GifBlock::GraphicControl) {
        if (!SkipBlock())
            return false;
        for (GifBlock block = BlockTypeAt(); block != GifBlock::Image && block != GifBlock::PlainText;
             block = BlockTypeAt()) {
            if (block == GifBlock::Unrecognised || block == GifBlock::Trailer || !SkipBlock())
                return false;
        }
    }
    endingBlock = m_cursor;
    return SkipBlock();
}

bool GifParser::SkipFrame()
{
    std::size_t endingBlock = 0;
    return SkipLeadingExtensions() && SkipFrameBlocks(endingBlock);
}

bool GifParser::ExtractFrame(GifFrame& frame)
{
    frame = GifFrame();
    if (!SkipLeadingExtensions())
        return false;
    const std::size_t spanStart = m_cursor;
    if (BlockTypeAt() == GifBlock::GraphicControl) {
        frame.Disposal = (ByteAt(m_cursor + 3) >> 2) & 0x07;
        frame.Delay = ReadWord(m_cursor + 4);
    }
    std::size_t endingBlock = 0;
    if (!SkipFrameBlocks(endingBlock))
        return false;
    // An image gives its descriptor's rectangle; a plain-text extension has no image
    // descriptor, and its text grid is the area it draws on.
    const std::size_t rectangle = m_data[endingBlock] == kImageSeparator ? endingBlock + 1 : endingBlock + 3;
    frame.Left = ReadWord(rectangle);
    frame.Top = ReadWord(rectangle + 2);
    frame.Width = ReadWord(rectangle + 4);
    frame.Height = ReadWord(rectangle + 6);

    const std::size_t header = FirstBlockOffset();
    frame.Stream.reserve(header + (m_cursor - spanStart) + 1);
    frame.Stream.assign(m_data, m_data + header);
    frame.Stream.insert(frame.Stream.end(), m_data + spanStart, m_data + m_cursor);
    frame.Stream.push_back(kTrailer);
    return true;
}

} // namespace corvale
