#pragma once
// Builds GIF streams byte by byte for the tests: a four-colour global table, solid-colour
// images LZW-coded so that the code width never grows, and every kind of extension. It
// records where each block starts, so tests can cut or corrupt the stream at any block.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace corvale::test {

struct Rgb {
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
};

class GifBuilder {
public:
    // Colour indexes of the default table.
    static constexpr int kBackgroundIndex = 0;
    static constexpr int kRed = 1;
    static constexpr int kGreen = 2;
    static constexpr int kBlue = 3;
    static constexpr Rgb kPalette[4] = {{0x20, 0x40, 0x60}, {0xFF, 0, 0}, {0, 0xFF, 0}, {0, 0, 0xFF}};

    GifBuilder(int width, int height, const char* version = "89a", bool globalTable = true)
    {
        Append(std::string("GIF") + version);
        Word(width);
        Word(height);
        // Table of 4 entries (n = 1), 8 bits of colour resolution.
        Byte(globalTable ? 0xF1 : 0x70);
        Byte(kBackgroundIndex);
        Byte(0);
        if (globalTable) {
            for (const Rgb& colour : kPalette) {
                Byte(colour.red);
                Byte(colour.green);
                Byte(colour.blue);
            }
        }
    }

    GifBuilder& GraphicControl(int delay, int disposal, int transparentIndex = -1)
    {
        Start();
        Byte(0x21);
        Byte(0xF9);
        Byte(4);
        Byte(static_cast<std::uint8_t>((disposal << 2) | (transparentIndex >= 0 ? 1 : 0)));
        Word(delay);
        Byte(static_cast<std::uint8_t>(transparentIndex >= 0 ? transparentIndex : 0));
        Byte(0);
        return *this;
    }

    GifBuilder& Comment(const std::string& text)
    {
        Start();
        Byte(0x21);
        Byte(0xFE);
        SubBlocks(std::vector<std::uint8_t>(text.begin(), text.end()));
        return *this;
    }

    GifBuilder& Application()
    {
        Start();
        Byte(0x21);
        Byte(0xFF);
        Byte(11);
        Append("NETSCAPE2.0");
        SubBlocks({1, 0, 0}); // loop for ever
        return *this;
    }

    GifBuilder& PlainText(int left, int top, int width, int height, const std::string& text)
    {
        Start();
        Byte(0x21);
        Byte(0x01);
        Byte(12);
        Word(left);
        Word(top);
        Word(width);
        Word(height);
        Byte(8);
        Byte(8);
        Byte(kRed);
        Byte(kBackgroundIndex);
        SubBlocks(std::vector<std::uint8_t>(text.begin(), text.end()));
        return *this;
    }

    // A solid image; with a local table, colour indexes that table (the palette reversed).
    GifBuilder& Image(int left, int top, int width, int height, int colourIndex, bool localTable = false)
    {
        Start();
        Byte(0x2C);
        Word(left);
        Word(top);
        Word(width);
        Word(height);
        Byte(localTable ? 0x81 : 0x00);
        if (localTable) {
            for (int i = 3; i >= 0; --i) {
                Byte(kPalette[i].red);
                Byte(kPalette[i].green);
                Byte(kPalette[i].blue);
            }
        }
        Byte(2); // minimum code size
        SubBlocks(SolidLzw(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), colourIndex));
        return *this;
    }

    // An image whose data sub-blocks say nothing sensible (the loader rejects it).
    GifBuilder& GarbageImage(int left, int top, int width, int height)
    {
        Start();
        Byte(0x2C);
        Word(left);
        Word(top);
        Word(width);
        Word(height);
        Byte(0);
        Byte(11); // minimum code size beyond what GIF allows
        SubBlocks({0xFF, 0xFF, 0xFF});
        return *this;
    }

    GifBuilder& Trailer()
    {
        Start();
        Byte(0x3B);
        return *this;
    }

    GifBuilder& Raw(std::initializer_list<std::uint8_t> bytes)
    {
        Start();
        m_bytes.insert(m_bytes.end(), bytes);
        return *this;
    }

    const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }
    // Offset of each block added, in order.
    const std::vector<std::size_t>& BlockStarts() const { return m_starts; }
    std::size_t HeaderSize() const { return m_starts.empty() ? m_bytes.size() : m_starts.front(); }
    // Bytes of blocks first .. last (inclusive), as a frame's span.
    std::vector<std::uint8_t> Blocks(std::size_t first, std::size_t last) const
    {
        const std::size_t begin = m_starts[first];
        const std::size_t end = last + 1 < m_starts.size() ? m_starts[last + 1] : m_bytes.size();
        return std::vector<std::uint8_t>(m_bytes.begin() + static_cast<std::ptrdiff_t>(begin),
                                         m_bytes.begin() + static_cast<std::ptrdiff_t>(end));
    }
    // What ExtractFrame should build for a frame spanning blocks first .. last.
    std::vector<std::uint8_t> OneFrameStream(std::size_t first, std::size_t last) const
    {
        std::vector<std::uint8_t> stream(m_bytes.begin(), m_bytes.begin() + static_cast<std::ptrdiff_t>(HeaderSize()));
        const std::vector<std::uint8_t> span = Blocks(first, last);
        stream.insert(stream.end(), span.begin(), span.end());
        stream.push_back(0x3B);
        return stream;
    }

private:
    void Start() { m_starts.push_back(m_bytes.size()); }
    void Byte(int value) { m_bytes.push_back(static_cast<std::uint8_t>(value)); }
    void Word(int value)
    {
        Byte(value & 0xFF);
        Byte((value >> 8) & 0xFF);
    }
    void Append(const std::string& text) { m_bytes.insert(m_bytes.end(), text.begin(), text.end()); }
    void SubBlocks(const std::vector<std::uint8_t>& data)
    {
        for (std::size_t at = 0; at < data.size(); at += 255) {
            const std::size_t size = data.size() - at < 255 ? data.size() - at : 255;
            Byte(static_cast<int>(size));
            m_bytes.insert(m_bytes.end(), data.begin() + static_cast<std::ptrdiff_t>(at),
                           data.begin() + static_cast<std::ptrdiff_t>(at + size));
        }
        Byte(0);
    }

    // Three-bit codes with a clear code before every second pixel, so the decoder's table
    // never grows far enough to widen the codes.
    static std::vector<std::uint8_t> SolidLzw(std::size_t pixels, int colourIndex)
    {
        constexpr int kClear = 4;
        constexpr int kEnd = 5;
        std::vector<std::uint8_t> out;
        std::uint32_t bits = 0;
        int bitCount = 0;
        auto emit = [&](int code) {
            bits |= static_cast<std::uint32_t>(code) << bitCount;
            bitCount += 3;
            while (bitCount >= 8) {
                out.push_back(static_cast<std::uint8_t>(bits & 0xFF));
                bits >>= 8;
                bitCount -= 8;
            }
        };
        for (std::size_t i = 0; i < pixels; ++i) {
            if (i % 2 == 0)
                emit(kClear);
            emit(colourIndex);
        }
        emit(kEnd);
        if (bitCount > 0)
            out.push_back(static_cast<std::uint8_t>(bits & 0xFF));
        return out;
    }

    std::vector<std::uint8_t> m_bytes;
    std::vector<std::size_t> m_starts;
};

} // namespace corvale::test
