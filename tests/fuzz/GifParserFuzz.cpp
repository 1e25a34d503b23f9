// Any bytes into the GIF block parser: it must never read past the data, and every
// one-frame stream it builds is the source's header and colour table, the frame's
// blocks, and a trailer.
#include "controls/GifParser.h"

#include <cstdlib>
#include <cstring>

using corvale::GifFrame;
using corvale::GifParser;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (!GifParser::HasGifSignature(data, size))
        return 0;
    GifParser parser(data, size);
    parser.RewindToFirstBlock();
    int frames = 0;
    while (frames < 1000 && parser.SkipFrame())
        ++frames;
    parser.RewindToFirstBlock();
    const std::size_t head = 13 + static_cast<std::size_t>(parser.GlobalTableSize());
    for (int extracted = 0; extracted < frames; ++extracted) {
        GifFrame frame;
        if (!parser.ExtractFrame(frame))
            std::abort(); // SkipFrame counted a frame that ExtractFrame cannot cut
        if (frame.Stream.size() < head + 2 || frame.Stream.back() != 0x3B ||
            std::memcmp(frame.Stream.data(), data, head) != 0)
            std::abort();
    }
    GifFrame beyond;
    if (parser.ExtractFrame(beyond))
        std::abort();
    return 0;
}
