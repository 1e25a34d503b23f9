#pragma once
// DecodedPicture: an image decoded by the Windows Imaging Component into a top-down 32-bit
// DIB section with premultiplied alpha, so that a GIF's transparent colour leaves what is
// under it. A DIB section's pixels lie in memory the system maps for it and unmaps whole
// when it goes. The picture loader's bitmaps and compatible bitmaps are the display
// driver's; under Wine they come from its own heap, which keeps what a skin let go of.

#include "platform/Handle.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace corvale {

class DecodedPicture {
public:
    // The first frame of size bytes of image data (the caller keeps them); false, and
    // nothing held, when the imaging component cannot read them.
    bool Decode(const std::uint8_t* bytes, std::size_t size);
    explicit operator bool() const { return m_bitmap.IsValid(); }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // Draws the whole picture over the rectangle, stretched to it.
    bool Render(HDC target, int left, int top, int width, int height) const;

private:
    GdiObject m_bitmap;
    int m_width = 0;
    int m_height = 0;
};

} // namespace corvale
