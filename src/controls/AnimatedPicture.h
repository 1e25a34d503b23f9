#pragma once
// CAnimatedPicture: the static control that shows every skin image. It takes the size of
// its picture, keeps it on an off-screen surface and paints by one copy from there. A GIF
// of several frames is cut into one-frame streams, decoded once, and played by a thread
// of its own with the stream's delays and disposal methods.

#include "platform/Controls.h"
#include "platform/CriticalSection.h"
#include "platform/DecodedPicture.h"
#include "platform/Handle.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace corvale {

// One decoded frame of an animation and where and how long it shows.
struct PictureFrame {
    DecodedPicture Picture;
    int Width = 0;
    int Height = 0;
    int Left = 0;
    int Top = 0;
    // Hundredths of a second; -1 when the frame had no graphic control extension.
    int Delay = -1;
    int Disposal = 0;
};

// A memory device context with a bitmap of its own selected into it. The displaced
// bitmap goes back before the context and the bitmap are deleted.
class MemorySurface {
public:
    MemorySurface() = default;
    ~MemorySurface() { Release(); }
    MemorySurface(const MemorySurface&) = delete;
    MemorySurface& operator=(const MemorySurface&) = delete;

    bool Create(HDC compatibleWith, int width, int height);
    void Release();
    HDC Dc() const { return m_dc.Get(); }
    explicit operator bool() const { return m_dc.IsValid(); }

private:
    MemoryDc m_dc;
    GdiObject m_bitmap;
    HGDIOBJ m_displaced = nullptr;
};

class CAnimatedPicture : public CStatic {
public:
    static constexpr COLORREF kDefaultBackground = RGB(255, 255, 255);

    CAnimatedPicture();
    ~CAnimatedPicture() override;

    // From the program's own module; name may be MAKEINTRESOURCEA of an id.
    bool LoadResourcePicture(const char* name, const char* type);
    bool LoadResourcePicture(UINT id, const char* type) { return LoadResourcePicture(MAKEINTRESOURCEA(id), type); }
    // Reads size bytes of a movable memory block; the caller keeps the block.
    bool LoadPictureData(HGLOBAL data, std::size_t size);
    // Renders a still picture and repaints (true), or starts the animation (false).
    bool ShowPicture();
    // Ends the animation thread; the frames stay, and a later ShowPicture resumes.
    void StopAnimation();
    void ReleasePicture();
    // Whether anyone can see the picture (its window's owner tells it). A picture from
    // the program's resources holds nothing decoded while hidden: it lets go of its
    // frames and surface, remembers the resource (a load meanwhile only notes the new
    // one), and decodes and shows it again when shown.
    void SetShown(bool shown);

    int LogicalWidth() const { return m_logicalWidth; }
    int LogicalHeight() const { return m_logicalHeight; }
    COLORREF BackgroundColor() const { return m_backgroundColor; }
    std::size_t FrameCount() const { return m_frames.size(); }
    int CurrentFrame() const { return m_currentFrame; }
    bool IsAnimating() const { return m_thread.IsValid(); }

protected:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    static DWORD WINAPI AnimationThread(void* picture);
    void Animate();

    void ReleaseDecoded();
    bool DecodeResource();
    bool Decode(const std::uint8_t* bytes, std::size_t size);
    bool LoadStill(const std::uint8_t* bytes, std::size_t size, bool sizeFromPicture);
    bool CreateSurface(int width, int height);
    // The callers hold m_drawing around each of these.
    bool Render(const DecodedPicture& picture, int left, int top, int width, int height);
    void Fill(int left, int top, int width, int height);
    void SaveArea(const PictureFrame& frame);
    void Dispose(const PictureFrame& frame);
    void OnPaint();

    // The resource the picture came from (a name or MAKEINTRESOURCEA of an id), to
    // decode again after it was hidden; empty when it came from elsewhere.
    std::string m_resourceName;
    UINT_PTR m_resourceId = 0;
    std::string m_resourceType;
    bool m_hidden = false;
    int m_logicalWidth = 0;
    int m_logicalHeight = 0;
    COLORREF m_backgroundColor = kDefaultBackground;
    // Advanced by the animation thread, read by the user-interface thread.
    std::atomic<int> m_currentFrame{0};
    bool m_isGif = false;
    std::atomic<bool> m_stopRequested{false};
    // The window the thread invalidates, fixed before it starts: m_hWnd belongs to the
    // user-interface thread and changes when the window is unhooked.
    HWND m_animatedWindow = nullptr;
    MemorySurface m_surface;
    MemorySurface m_savedArea;
    KernelHandle m_thread;
    KernelHandle m_stopEvent;
    DecodedPicture m_stillPicture;
    RECT m_stillPlace{};
    std::vector<PictureFrame> m_frames;
    // Rendering and disposal on the animation thread against the copy in WM_PAINT.
    CriticalSection m_drawing;
};

} // namespace corvale
