#pragma once
// Real windows for the control tests: a visible host window that reflects its children's
// notifications and can answer WM_CTLCOLORSTATIC with a brush of its own, and a way to
// read back the pixels that a window shows.

#include "platform/Controls.h"
#include "platform/Gdi.h"
#include "platform/Handle.h"
#include "platform/MessagePump.h"

#include <cstdint>
#include <vector>

namespace corvale::test {

class HostWindow : public CStatic {
public:
    bool Create(const RECT& rect) { return CStatic::Create("", WS_POPUP | WS_VISIBLE, rect, nullptr, 0); }
    // Colours the default painting of static children (null: the system's colours).
    void SetStaticBackground(COLORREF colour) { m_brush.Reset(::CreateSolidBrush(colour)); }

protected:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if ((msg == WM_CTLCOLORSTATIC || msg == WM_CTLCOLORBTN) && m_brush)
            return reinterpret_cast<LRESULT>(m_brush.Get());
        if (msg == WM_ERASEBKGND && m_brush) {
            RECT client = GetClientRect();
            ::FillRect(reinterpret_cast<HDC>(wParam), &client, static_cast<HBRUSH>(m_brush.Get()));
            return 1;
        }
        return CStatic::OnMessage(msg, wParam, lParam);
    }

private:
    GdiObject m_brush;
};

// Handles what is waiting in the queue for about ms milliseconds.
inline void PumpFor(DWORD ms)
{
    const DWORD start = ::GetTickCount();
    do {
        PumpPendingMessages();
        ::Sleep(5);
    } while (::GetTickCount() - start < ms);
}

// The pixels of a window's client area (or of any device context), top-down, as COLORREF.
class Pixels {
public:
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    COLORREF At(int x, int y) const
    {
        const std::uint32_t bgra = m_bits[static_cast<std::size_t>(y) * m_width + x];
        return RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
    }
    bool operator==(const Pixels& other) const
    {
        return m_width == other.m_width && m_height == other.m_height && m_bits == other.m_bits;
    }
    bool operator!=(const Pixels& other) const { return !(*this == other); }

    // Copies width x height pixels at (x, y) of a device context.
    static Pixels FromDc(HDC source, int x, int y, int width, int height)
    {
        Pixels pixels;
        pixels.m_width = width;
        pixels.m_height = height;
        void* bits = nullptr;
        GdiObject section(CreateTopDownDib32(source, width, height, &bits));
        MemoryDc dc(::CreateCompatibleDC(source));
        if (!section || !dc)
            return pixels;
        HGDIOBJ displaced = ::SelectObject(dc.Get(), section.Get());
        ::BitBlt(dc.Get(), 0, 0, width, height, source, x, y, SRCCOPY);
        ::GdiFlush();
        const auto* first = static_cast<const std::uint32_t*>(bits);
        pixels.m_bits.assign(first, first + static_cast<std::size_t>(width) * height);
        for (std::uint32_t& bgra : pixels.m_bits)
            bgra &= 0xFFFFFF;
        ::SelectObject(dc.Get(), displaced);
        return pixels;
    }

    // What the window shows now, after it has painted what was pending.
    static Pixels OfWindow(HWND hwnd)
    {
        ::UpdateWindow(hwnd);
        RECT client{};
        ::GetClientRect(hwnd, &client);
        HDC dc = ::GetDC(hwnd);
        Pixels pixels = FromDc(dc, 0, 0, client.right, client.bottom);
        ::ReleaseDC(hwnd, dc);
        return pixels;
    }

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<std::uint32_t> m_bits;
};

inline COLORREF WindowPixel(HWND hwnd, int x, int y)
{
    HDC dc = ::GetDC(hwnd);
    const COLORREF colour = ::GetPixel(dc, x, y);
    ::ReleaseDC(hwnd, dc);
    return colour;
}

} // namespace corvale::test
