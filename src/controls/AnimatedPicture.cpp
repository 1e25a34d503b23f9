#include "controls/AnimatedPicture.h"

#include "controls/GifParser.h"
#include "platform/Gdi.h"

#include <cstring>
#include <utility>

namespace corvale {

namespace {

constexpr int kDisposeToBackground = 2;
constexpr int kDisposeToPrevious = 3;
// Delays below 5 hundredths (and frames without any delay) show for 100 ms: many GIFs
// say 0 and mean "as fast as sensible".
constexpr int kShortestDelay = 5;
constexpr DWORD kShortDelayWait = 100;

// GlobalLock/GlobalUnlock pair.
class GlobalLockGuard {
public:
    explicit GlobalLockGuard(HGLOBAL block) : m_block(block), m_data(::GlobalLock(block)) {}
    ~GlobalLockGuard()
    {
        if (m_data)
            (void)::GlobalUnlock(m_block); // its result only says whether locks remain
    }
    GlobalLockGuard(const GlobalLockGuard&) = delete;
    GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;

    void* Data() const { return m_data; }

private:
    HGLOBAL m_block;
    void* m_data;
};

DWORD FrameWait(int delay)
{
    return delay >= kShortestDelay ? static_cast<DWORD>(delay) * 10 : kShortDelayWait;
}

} // namespace

bool MemorySurface::Create(HDC compatibleWith, int width, int height)
{
    Release();
    m_dc.Reset(::CreateCompatibleDC(compatibleWith));
    if (!m_dc)
        return false;
    // A DIB section, like the pictures drawn onto it: its pixels go back to the system
    // whole when the surface is let go of.
    void* bits = nullptr;
    m_bitmap.Reset(CreateTopDownDib32(compatibleWith, width, height, &bits));
    if (!m_bitmap) {
        m_dc.Reset();
        return false;
    }
    m_displaced = ::SelectObject(m_dc.Get(), m_bitmap.Get());
    return true;
}

void MemorySurface::Release()
{
    if (m_dc && m_displaced)
        ::SelectObject(m_dc.Get(), m_displaced);
    m_displaced = nullptr;
    m_dc.Reset();
    m_bitmap.Reset();
}

CAnimatedPicture::CAnimatedPicture() : m_stopEvent(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

CAnimatedPicture::~CAnimatedPicture()
{
    ReleasePicture();
}

bool CAnimatedPicture::LoadResourcePicture(const char* name, const char* type)
{
    HMODULE module = ::GetModuleHandleA(nullptr);
    if (!::FindResourceA(module, name, type))
        return false;
    ReleasePicture();
    m_resourceId = IS_INTRESOURCE(name) ? reinterpret_cast<UINT_PTR>(name) : 0;
    m_resourceName = IS_INTRESOURCE(name) ? std::string() : std::string(name);
    m_resourceType = type;
    // Hidden, it only notes what to decode when it is shown.
    return m_hidden || DecodeResource();
}

void CAnimatedPicture::SetShown(bool shown)
{
    if (m_hidden == !shown)
        return;
    m_hidden = !shown;
    if (m_resourceType.empty())
        return; // a picture handed over in memory cannot be decoded again: it stays
    if (m_hidden)
        ReleaseDecoded();
    else if (DecodeResource())
        ShowPicture();
}

bool CAnimatedPicture::DecodeResource()
{
    HMODULE module = ::GetModuleHandleA(nullptr);
    const char* name = m_resourceId ? MAKEINTRESOURCEA(m_resourceId) : m_resourceName.c_str();
    HRSRC resource = ::FindResourceA(module, name, m_resourceType.c_str());
    if (!resource)
        return false;
    HGLOBAL loaded = ::LoadResource(module, resource);
    const DWORD size = ::SizeofResource(module, resource);
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (!bytes || size == 0)
        return false;
    return Decode(static_cast<const std::uint8_t*>(bytes), size);
}

bool CAnimatedPicture::LoadPictureData(HGLOBAL data, std::size_t size)
{
    ReleasePicture();
    GlobalLockGuard lock(data);
    if (!lock.Data())
        return false;
    // A size the block does not have would let the parser and the decoder read past it.
    const SIZE_T blockSize = ::GlobalSize(data);
    return Decode(static_cast<const std::uint8_t*>(lock.Data()), size > blockSize ? blockSize : size);
}

bool CAnimatedPicture::Decode(const std::uint8_t* bytes, std::size_t size)
{
    if (!GifParser::HasGifSignature(bytes, size))
        return LoadStill(bytes, size, true);

    m_isGif = true;
    GifParser parser(bytes, size);
    m_logicalWidth = parser.LogicalWidth();
    m_logicalHeight = parser.LogicalHeight();
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    if (parser.BackgroundRgb(red, green, blue))
        m_backgroundColor = RGB(red, green, blue);

    int frameCount = 0;
    while (parser.SkipFrame())
        ++frameCount;
    if (frameCount == 0)
        return false;
    if (frameCount == 1) {
        if (!LoadStill(bytes, size, false))
            return false;
        // The decoded frame is its image alone: it goes where its descriptor puts it, at
        // its own size, on the background, not stretched over the whole screen.
        parser.RewindToFirstBlock();
        GifFrame frame;
        if (parser.ExtractFrame(frame))
            m_stillPlace = RECT{frame.Left, frame.Top, frame.Left + frame.Width, frame.Top + frame.Height};
        return true;
    }

    parser.RewindToFirstBlock();
    GifFrame frame;
    while (parser.ExtractFrame(frame)) {
        PictureFrame decoded;
        if (!decoded.Picture.Decode(frame.Stream.data(), frame.Stream.size()))
            continue; // the frame is left out; the others play
        decoded.Width = frame.Width;
        decoded.Height = frame.Height;
        decoded.Left = frame.Left;
        decoded.Top = frame.Top;
        decoded.Delay = frame.Delay;
        decoded.Disposal = frame.Disposal;
        m_frames.push_back(std::move(decoded));
    }
    if (m_frames.empty())
        return false;
    return CreateSurface(m_logicalWidth, m_logicalHeight);
}

bool CAnimatedPicture::LoadStill(const std::uint8_t* bytes, std::size_t size, bool sizeFromPicture)
{
    if (!m_stillPicture.Decode(bytes, size))
        return false;
    // Shown at the screen's resolution, a picture takes as many pixels as it has.
    if (sizeFromPicture) {
        m_logicalWidth = m_stillPicture.Width();
        m_logicalHeight = m_stillPicture.Height();
    }
    m_stillPlace = RECT{0, 0, m_logicalWidth, m_logicalHeight};
    return CreateSurface(m_logicalWidth, m_logicalHeight);
}

bool CAnimatedPicture::CreateSurface(int width, int height)
{
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    WindowDc windowDc(m_hWnd);
    if (!windowDc)
        return false;
    CriticalSectionLock lock(m_drawing);
    if (!m_surface.Create(windowDc.Get(), width, height))
        return false;
    // The background read from the GIF is kept: disposal method 2 and the clean start of
    // every loop are meant to show it.
    Fill(0, 0, width, height);
    return true;
}

bool CAnimatedPicture::ShowPicture()
{
    if (!m_surface)
        return false;
    if (m_isGif && m_frames.size() > 1) {
        // Without its stop event the thread could neither wait between frames nor be
        // woken, so it does not start.
        if (m_thread || !m_stopEvent)
            return false;
        m_animatedWindow = m_hWnd;
        m_thread.Reset(::CreateThread(nullptr, 0, &CAnimatedPicture::AnimationThread, this, CREATE_SUSPENDED, nullptr));
        if (m_thread)
            ::ResumeThread(m_thread.Get());
        return false;
    }
    bool rendered = false;
    {
        CriticalSectionLock lock(m_drawing);
        if (m_stillPicture) {
            rendered = Render(m_stillPicture, m_stillPlace.left, m_stillPlace.top,
                              m_stillPlace.right - m_stillPlace.left, m_stillPlace.bottom - m_stillPlace.top);
        } else if (m_frames.size() == 1) {
            // Only one frame of an animation decoded: it is shown still, where it belongs.
            const PictureFrame& frame = m_frames.front();
            rendered = Render(frame.Picture, frame.Left, frame.Top, frame.Width, frame.Height);
        }
    }
    if (rendered)
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
    return rendered;
}

void CAnimatedPicture::StopAnimation()
{
    m_stopRequested = true;
    ::SetEvent(m_stopEvent.Get());
    if (m_thread) {
        // The thread wakes from its frame wait at once and finishes at most one render.
        // Its surface and frames must not go while it runs, so there is no time limit.
        ::WaitForSingleObject(m_thread.Get(), INFINITE);
        m_thread.Reset();
    }
    ::ResetEvent(m_stopEvent.Get());
    m_stopRequested = false;
}

void CAnimatedPicture::ReleasePicture()
{
    m_resourceName.clear();
    m_resourceId = 0;
    m_resourceType.clear();
    ReleaseDecoded();
}

void CAnimatedPicture::ReleaseDecoded()
{
    StopAnimation();
    CriticalSectionLock lock(m_drawing);
    m_stillPicture = DecodedPicture();
    m_frames.clear();
    m_surface.Release();
    m_savedArea.Release();
    m_isGif = false;
    m_currentFrame = 0;
    m_backgroundColor = kDefaultBackground;
}

DWORD WINAPI CAnimatedPicture::AnimationThread(void* picture)
{
    static_cast<CAnimatedPicture*>(picture)->Animate();
    return 0;
}

void CAnimatedPicture::Animate()
{
    const int frameCount = static_cast<int>(m_frames.size());
    {
        // After a stop this completes the disposal of the frame that was on show.
        CriticalSectionLock lock(m_drawing);
        Dispose(m_frames[static_cast<std::size_t>(m_currentFrame.load())]);
    }
    while (!m_stopRequested) {
        const PictureFrame& frame = m_frames[static_cast<std::size_t>(m_currentFrame.load())];
        bool rendered = false;
        {
            CriticalSectionLock lock(m_drawing);
            if (frame.Disposal == kDisposeToPrevious)
                SaveArea(frame);
            rendered = Render(frame.Picture, frame.Left, frame.Top, frame.Width, frame.Height);
        }
        if (rendered)
            ::InvalidateRect(m_animatedWindow, nullptr, FALSE);
        if (m_stopRequested)
            return;
        (void)::WaitForSingleObject(m_stopEvent.Get(), FrameWait(frame.Delay)); // timeout or stop alike
        if (m_stopRequested)
            return;

        CriticalSectionLock lock(m_drawing);
        Dispose(frame);
        const int next = m_currentFrame + 1;
        // Stored once, so the other thread never sees an index past the last frame.
        m_currentFrame = next == frameCount ? 0 : next;
        if (next == frameCount)
            Fill(0, 0, m_logicalWidth, m_logicalHeight);
    }
}

bool CAnimatedPicture::Render(const DecodedPicture& picture, int left, int top, int width, int height)
{
    return picture.Render(m_surface.Dc(), left, top, width, height);
}

void CAnimatedPicture::Fill(int left, int top, int width, int height)
{
    GdiObject brush(::CreateSolidBrush(m_backgroundColor));
    if (!brush)
        return;
    const RECT area{left, top, left + width, top + height};
    ::FillRect(m_surface.Dc(), &area, static_cast<HBRUSH>(brush.Get()));
}

void CAnimatedPicture::SaveArea(const PictureFrame& frame)
{
    if (!m_savedArea.Create(m_surface.Dc(), frame.Width, frame.Height))
        return;
    ::BitBlt(m_savedArea.Dc(), 0, 0, frame.Width, frame.Height, m_surface.Dc(), frame.Left, frame.Top, SRCCOPY);
}

void CAnimatedPicture::Dispose(const PictureFrame& frame)
{
    if (frame.Disposal == kDisposeToBackground) {
        Fill(frame.Left, frame.Top, frame.Width, frame.Height);
    } else if (frame.Disposal == kDisposeToPrevious && m_savedArea) {
        ::BitBlt(m_surface.Dc(), frame.Left, frame.Top, frame.Width, frame.Height, m_savedArea.Dc(), 0, 0, SRCCOPY);
        m_savedArea.Release();
    }
}

LRESULT CAnimatedPicture::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_PAINT: OnPaint(); return 0;
    case WM_DESTROY: StopAnimation(); return Default();
    default: return CStatic::OnMessage(msg, wParam, lParam);
    }
}

void CAnimatedPicture::OnPaint()
{
    PaintDc paint(m_hWnd);
    CriticalSectionLock lock(m_drawing);
    if (m_surface)
        ::BitBlt(paint.Get(), 0, 0, m_logicalWidth, m_logicalHeight, m_surface.Dc(), 0, 0, SRCCOPY);
}

} // namespace corvale
