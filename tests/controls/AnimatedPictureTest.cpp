// The picture control on real windows: the skin resources, still pictures from GIF and
// other data, and animations built byte by byte, watched through the pixels the control
// shows: frame order and waits, disposal methods, the clean start of every loop, stopping
// and loading anew while the thread runs.
#include "controls/AnimatedPicture.h"

#include "GifBuilder.h"
#include "TestWindows.h"
#include "platform/Dialog.h"
#include "resource.h"

#include <gtest/gtest.h>
#include <olectl.h>
#include <tlhelp32.h>
#include <wrl/client.h>

#include <cstring>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace corvale {
namespace {

using test::GifBuilder;
using test::Pixels;
using test::PumpFor;
using test::WindowPixel;
using Bytes = std::vector<std::uint8_t>;
using Microsoft::WRL::ComPtr;

const COLORREF kRed = RGB(0xFF, 0, 0);
const COLORREF kGreen = RGB(0, 0xFF, 0);
const COLORREF kBlue = RGB(0, 0, 0xFF);
const COLORREF kGifBackground = RGB(0x20, 0x40, 0x60);

// A movable memory block holding bytes, as LoadPictureData takes it.
class MemoryBlock {
public:
    explicit MemoryBlock(const Bytes& bytes) : m_block(::GlobalAlloc(GMEM_MOVEABLE, bytes.size() ? bytes.size() : 1))
    {
        if (void* data = ::GlobalLock(m_block.Get())) {
            std::memcpy(data, bytes.data(), bytes.size());
            ::GlobalUnlock(m_block.Get());
        }
    }
    HGLOBAL Get() const { return m_block.Get(); }

private:
    GlobalMemory m_block;
};

Bytes ResourceBytes(UINT id)
{
    HRSRC resource = ::FindResourceA(nullptr, MAKEINTRESOURCEA(id), "GIF");
    if (!resource)
        return Bytes();
    const auto* data = static_cast<const std::uint8_t*>(::LockResource(::LoadResource(nullptr, resource)));
    return Bytes(data, data + ::SizeofResource(nullptr, resource));
}

ComPtr<IPicture> DecodeDirectly(const Bytes& bytes)
{
    MemoryBlock block(bytes);
    ComPtr<IStream> stream;
    ComPtr<IPicture> picture;
    if (SUCCEEDED(::CreateStreamOnHGlobal(block.Get(), FALSE, &stream)))
        ::OleLoadPicture(stream.Get(), static_cast<LONG>(bytes.size()), FALSE, IID_IPicture,
                         reinterpret_cast<void**>(picture.GetAddressOf()));
    return picture;
}

// The picture as the system loader draws it into width x height pixels, independently of
// the control.
Pixels ReferenceRendering(IPicture* picture, int width, int height)
{
    OLE_XSIZE_HIMETRIC himetricWidth = 0;
    OLE_YSIZE_HIMETRIC himetricHeight = 0;
    picture->get_Width(&himetricWidth);
    picture->get_Height(&himetricHeight);
    HDC screen = ::GetDC(nullptr);
    MemoryDc dc(::CreateCompatibleDC(screen));
    GdiObject bitmap(::CreateCompatibleBitmap(screen, width, height));
    ::ReleaseDC(nullptr, screen);
    HGDIOBJ displaced = ::SelectObject(dc.Get(), bitmap.Get());
    picture->Render(dc.Get(), 0, 0, width, height, 0, himetricHeight, himetricWidth, -himetricHeight, nullptr);
    Pixels pixels = Pixels::FromDc(dc.Get(), 0, 0, width, height);
    ::SelectObject(dc.Get(), displaced);
    return pixels;
}

// The threads of this process now.
int ThreadCount()
{
    KernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot || snapshot.Get() == INVALID_HANDLE_VALUE)
        return -1;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = ::Thread32First(snapshot.Get(), &entry); more; more = ::Thread32Next(snapshot.Get(), &entry)) {
        if (entry.th32OwnerProcessID == ::GetCurrentProcessId())
            ++count;
    }
    return count;
}

// The thread count once it has settled at expected (threads take a moment to go).
int ThreadCountSettlingAt(int expected)
{
    int count = ThreadCount();
    for (int i = 0; i < 200 && count != expected; ++i) {
        ::Sleep(5);
        count = ThreadCount();
    }
    return count;
}

bool AllPixels(const Pixels& pixels, COLORREF colour)
{
    for (int y = 0; y < pixels.Height(); ++y) {
        for (int x = 0; x < pixels.Width(); ++x) {
            if (pixels.At(x, y) != colour)
                return false;
        }
    }
    return true;
}

Bytes SolidGif(int width, int height, int colourIndex, const char* version = "89a")
{
    GifBuilder gif(width, height, version);
    gif.GraphicControl(0, 0).Image(0, 0, width, height, colourIndex).Trailer();
    return gif.Bytes();
}

// Whole-screen frames in red, green and blue with the given delays.
Bytes ThreeColourAnimation(int delay0, int delay1, int delay2)
{
    GifBuilder gif(40, 40);
    gif.Application()
        .GraphicControl(delay0, 1)
        .Image(0, 0, 40, 40, GifBuilder::kRed)
        .GraphicControl(delay1, 1)
        .Image(0, 0, 40, 40, GifBuilder::kGreen)
        .GraphicControl(delay2, 1)
        .Image(0, 0, 40, 40, GifBuilder::kBlue)
        .Trailer();
    return gif.Bytes();
}

class PictureControl : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_host.Create(RECT{0, 0, 600, 400}));
        ASSERT_TRUE(m_picture.Create("", WS_CHILD | WS_VISIBLE, RECT{0, 0, 10, 10}, m_host, IDC_PICTURE));
    }

    bool Load(const Bytes& bytes)
    {
        MemoryBlock block(bytes);
        return m_picture.LoadPictureData(block.Get(), bytes.size());
    }
    SIZE ClientSize() const
    {
        const RECT client = m_picture.GetClientRect();
        return SIZE{client.right, client.bottom};
    }
    COLORREF Pixel(int x, int y)
    {
        PumpPendingMessages();
        ::UpdateWindow(m_picture);
        return WindowPixel(m_picture, x, y);
    }
    // Waits (pumping, so the control paints) until the pixel shows colour; false on timeout.
    bool WaitForPixel(int x, int y, COLORREF colour, DWORD timeoutMs = 3000)
    {
        const DWORD start = ::GetTickCount();
        while (::GetTickCount() - start < timeoutMs) {
            if (Pixel(x, y) == colour)
                return true;
            ::Sleep(2);
        }
        return false;
    }

    test::HostWindow m_host;
    CAnimatedPicture m_picture;
};

struct SkinImage {
    UINT id;
    int width;
    int height;
};

void PrintTo(const SkinImage& image, std::ostream* out)
{
    *out << image.id;
}

class SkinResource : public PictureControl, public testing::WithParamInterface<SkinImage> {};

TEST_P(SkinResource, LoadsAtItsSizeAndShowsTheImage)
{
    const SkinImage& image = GetParam();
    ASSERT_TRUE(m_picture.LoadResourcePicture(image.id, "GIF"));
    EXPECT_TRUE(m_picture.ShowPicture());
    EXPECT_FALSE(m_picture.IsAnimating());
    EXPECT_EQ(0u, m_picture.FrameCount());
    EXPECT_EQ(image.width, m_picture.LogicalWidth());
    EXPECT_EQ(image.height, m_picture.LogicalHeight());
    const SIZE size = ClientSize();
    EXPECT_EQ(image.width, size.cx);
    EXPECT_EQ(image.height, size.cy);

    ComPtr<IPicture> reference = DecodeDirectly(ResourceBytes(image.id));
    ASSERT_TRUE(reference);
    PumpPendingMessages();
    EXPECT_TRUE(Pixels::OfWindow(m_picture) == ReferenceRendering(reference.Get(), image.width, image.height));
}

INSTANTIATE_TEST_SUITE_P(Corvale, SkinResource,
                         testing::Values(SkinImage{IDG_PAGE_GENERAL, 468, 344}, SkinImage{IDG_PAGE_INTERNET, 468, 344},
                                         SkinImage{IDG_PAGE_SYSTEM, 468, 344}, SkinImage{IDG_ABOUT, 468, 312},
                                         SkinImage{IDG_COOKIE_KEEP, 540, 344}, SkinImage{IDG_PROGRESS, 436, 312},
                                         SkinImage{IDG_SPLASH, 476, 248}),
                         [](const testing::TestParamInfo<SkinImage>& info) { return std::to_string(info.param.id); });

TEST_F(PictureControl, JpegTakesTheSizeTheSystemLoaderGivesItOnThisScreen)
{
    const Bytes bytes = ResourceBytes(IDG_SPLASH);
    ASSERT_EQ(0xFF, bytes.at(0));
    ASSERT_TRUE(m_picture.LoadResourcePicture(IDG_SPLASH, "GIF"));
    ComPtr<IPicture> reference = DecodeDirectly(bytes);
    ASSERT_TRUE(reference);
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    reference->get_Width(&width);
    reference->get_Height(&height);
    HDC screen = ::GetDC(m_picture);
    const int dpiX = ::GetDeviceCaps(screen, LOGPIXELSX);
    const int dpiY = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(m_picture, screen);
    EXPECT_EQ(::MulDiv(width, dpiX, 2540), m_picture.LogicalWidth());
    EXPECT_EQ(::MulDiv(height, dpiY, 2540), m_picture.LogicalHeight());
    if (dpiX == 96 && dpiY == 96) {
        EXPECT_EQ(476, m_picture.LogicalWidth());
        EXPECT_EQ(248, m_picture.LogicalHeight());
    }
}

TEST_F(PictureControl, OneFrameGifIsStillAtItsLogicalSize)
{
    ASSERT_TRUE(Load(SolidGif(37, 23, GifBuilder::kBlue)));
    EXPECT_EQ(0u, m_picture.FrameCount());
    EXPECT_TRUE(m_picture.ShowPicture());
    EXPECT_FALSE(m_picture.IsAnimating());
    EXPECT_EQ(37, ClientSize().cx);
    EXPECT_EQ(23, ClientSize().cy);
    PumpPendingMessages();
    EXPECT_TRUE(AllPixels(Pixels::OfWindow(m_picture), kBlue));

    // An image smaller than its screen stays where it is put, on the background.
    GifBuilder placed(40, 40);
    placed.GraphicControl(0, 0).Image(10, 10, 20, 20, GifBuilder::kBlue).Trailer();
    ASSERT_TRUE(Load(placed.Bytes()));
    EXPECT_TRUE(m_picture.ShowPicture());
    EXPECT_EQ(kGifBackground, Pixel(5, 5));
    EXPECT_EQ(kBlue, Pixel(20, 20));
    EXPECT_EQ(kGifBackground, Pixel(35, 35));
}

TEST_F(PictureControl, OtherGifVersionsGoWholeToTheSystemLoader)
{
    GifBuilder gif(40, 40, "88a");
    gif.GraphicControl(10, 1)
        .Image(0, 0, 40, 40, GifBuilder::kRed)
        .GraphicControl(10, 1)
        .Image(0, 0, 40, 40, GifBuilder::kGreen)
        .Trailer();
    const bool loaded = Load(gif.Bytes());
    // Not cut into frames, whatever the system loader makes of it.
    EXPECT_EQ(0u, m_picture.FrameCount());
    EXPECT_EQ(loaded, m_picture.ShowPicture());
    EXPECT_FALSE(m_picture.IsAnimating());
}

TEST_F(PictureControl, FailedLoadsShowNothing)
{
    EXPECT_FALSE(m_picture.ShowPicture()); // nothing loaded yet
    EXPECT_FALSE(m_picture.LoadResourcePicture(4321, "GIF"));
    EXPECT_FALSE(m_picture.LoadResourcePicture(IDG_PAGE_GENERAL, "PNG"));
    EXPECT_FALSE(Load(Bytes{'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'}));
    const Bytes splash = ResourceBytes(IDG_SPLASH);
    EXPECT_FALSE(Load(Bytes(splash.begin(), splash.begin() + static_cast<std::ptrdiff_t>(splash.size() / 2))));
    MemoryBlock whole(splash);
    EXPECT_FALSE(m_picture.LoadPictureData(whole.Get(), splash.size() / 2)); // the size given is what is read

    GifBuilder noFrames(40, 40);
    noFrames.Comment("nothing else").Trailer();
    EXPECT_FALSE(Load(noFrames.Bytes()));

    GifBuilder undecodable(40, 40);
    undecodable.GraphicControl(10, 1)
        .PlainText(0, 0, 40, 40, "a")
        .GraphicControl(10, 1)
        .PlainText(0, 0, 40, 40, "b")
        .Trailer();
    EXPECT_FALSE(Load(undecodable.Bytes()));
    EXPECT_FALSE(m_picture.ShowPicture());
    EXPECT_FALSE(m_picture.IsAnimating());
}

TEST_F(PictureControl, AnimationThatDecodesToOneFrameIsShownStill)
{
    GifBuilder gif(40, 40);
    gif.GraphicControl(10, 1)
        .Image(0, 0, 40, 40, GifBuilder::kGreen)
        .GraphicControl(10, 1)
        .PlainText(0, 0, 40, 40, "no image to decode")
        .Trailer();
    ASSERT_TRUE(Load(gif.Bytes()));
    EXPECT_EQ(1u, m_picture.FrameCount());
    EXPECT_TRUE(m_picture.ShowPicture());
    EXPECT_FALSE(m_picture.IsAnimating());
    PumpPendingMessages();
    EXPECT_TRUE(AllPixels(Pixels::OfWindow(m_picture), kGreen));
}

TEST_F(PictureControl, FramesShowInOrderWithTheirWaits)
{
    ASSERT_TRUE(Load(ThreeColourAnimation(0, 4, 5)));
    EXPECT_EQ(3u, m_picture.FrameCount());
    EXPECT_EQ(kGifBackground, m_picture.BackgroundColor());
    EXPECT_FALSE(m_picture.ShowPicture()); // an animation starts, nothing is rendered here
    EXPECT_TRUE(m_picture.IsAnimating());

    struct Segment {
        COLORREF colour;
        DWORD start;
    };
    std::vector<Segment> seen;
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < 1600) {
        const COLORREF colour = Pixel(20, 20);
        if (seen.empty() || seen.back().colour != colour)
            seen.push_back(Segment{colour, ::GetTickCount()});
        ::Sleep(2);
    }
    m_picture.StopAnimation();
    EXPECT_FALSE(m_picture.IsAnimating());

    const COLORREF order[] = {kRed, kGreen, kBlue};
    std::size_t first = 0;
    while (first < seen.size() && seen[first].colour != kRed)
        ++first;
    ASSERT_LT(first + 7, seen.size()) << "too few frames seen";
    DWORD totals[3] = {};
    int counts[3] = {};
    // Each whole segment: the colours cycle, and none shows for very much longer than
    // its wait. Single segments are blurred by when this thread happens to look, so the
    // waits themselves are judged on the averages below.
    for (std::size_t i = first; i + 1 < seen.size(); ++i) {
        const std::size_t index = (i - first) % 3;
        ASSERT_EQ(order[index], seen[i].colour) << "segment " << i - first;
        const DWORD shown = seen[i + 1].start - seen[i].start;
        EXPECT_LT(shown, 1000u) << "segment " << i - first;
        totals[index] += shown;
        ++counts[index];
    }
    ASSERT_GT(counts[0], 1);
    ASSERT_GT(counts[1], 1);
    ASSERT_GT(counts[2], 1);
    const DWORD red = totals[0] / counts[0];
    const DWORD green = totals[1] / counts[1];
    const DWORD blue = totals[2] / counts[2];
    // Delays 0 and 4 are raised to 100 ms; delay 5 shows for 50 ms.
    EXPECT_GE(red, 80u);
    EXPECT_GE(green, 80u);
    EXPECT_GE(blue, 30u);
    EXPECT_GE(red, blue + 25) << "delay 0 shows no longer than delay 5";
    EXPECT_GE(green, blue + 25) << "delay 4 shows no longer than delay 5";
}

// Frame 0 fills the screen in red and stays; frame 1, green in the middle, is disposed
// with the given method; frame 2, a blue corner, shows long enough to look.
Bytes DisposalAnimation(int disposal)
{
    GifBuilder gif(40, 40);
    gif.GraphicControl(10, 1)
        .Image(0, 0, 40, 40, GifBuilder::kRed)
        .GraphicControl(15, disposal)
        .Image(10, 10, 20, 20, GifBuilder::kGreen)
        .GraphicControl(100, 1)
        .Image(0, 0, 4, 4, GifBuilder::kBlue)
        .Trailer();
    return gif.Bytes();
}

TEST_F(PictureControl, DisposalToBackgroundLeavesTheBackgroundColour)
{
    ASSERT_TRUE(Load(DisposalAnimation(2)));
    m_picture.ShowPicture();
    ASSERT_TRUE(WaitForPixel(20, 20, kGreen));
    ASSERT_TRUE(WaitForPixel(1, 1, kBlue));
    EXPECT_EQ(kGifBackground, Pixel(20, 20));
    EXPECT_EQ(kGifBackground, Pixel(10, 29));
    EXPECT_EQ(kRed, Pixel(35, 35));
    EXPECT_EQ(kRed, Pixel(9, 20));
}

TEST_F(PictureControl, DisposalToPreviousRestoresWhatWasUnderTheFrame)
{
    ASSERT_TRUE(Load(DisposalAnimation(3)));
    m_picture.ShowPicture();
    ASSERT_TRUE(WaitForPixel(20, 20, kGreen));
    ASSERT_TRUE(WaitForPixel(1, 1, kBlue));
    const Pixels shown = Pixels::OfWindow(m_picture);
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 40; ++x)
            ASSERT_EQ(x < 4 && y < 4 ? kBlue : kRed, shown.At(x, y)) << x << "," << y;
    }
}

TEST_F(PictureControl, AFramesTransparentColourLeavesWhatIsUnderIt)
{
    GifBuilder gif(40, 40);
    gif.GraphicControl(10, 1)
        .Image(0, 0, 40, 40, GifBuilder::kRed)
        .GraphicControl(10, 1, GifBuilder::kGreen)
        .Image(10, 10, 20, 20, GifBuilder::kGreen)
        .GraphicControl(100, 1)
        .Image(0, 0, 4, 4, GifBuilder::kBlue)
        .Trailer();
    ASSERT_TRUE(Load(gif.Bytes()));
    ASSERT_EQ(3u, m_picture.FrameCount()); // the see-through frame is decoded and drawn in turn
    m_picture.ShowPicture();
    ASSERT_TRUE(WaitForPixel(1, 1, kBlue));
    EXPECT_EQ(kRed, Pixel(20, 20));
}

TEST_F(PictureControl, EveryLoopStartsOnACleanBackground)
{
    GifBuilder gif(40, 40);
    gif.GraphicControl(10, 1)
        .Image(0, 0, 10, 10, GifBuilder::kRed)
        .GraphicControl(10, 1)
        .Image(30, 30, 10, 10, GifBuilder::kGreen)
        .Trailer();
    ASSERT_TRUE(Load(gif.Bytes()));
    m_picture.ShowPicture();
    ASSERT_TRUE(WaitForPixel(35, 35, kGreen));
    EXPECT_EQ(kRed, Pixel(5, 5)); // frame 0 stays under frame 1
    ASSERT_TRUE(WaitForPixel(35, 35, kGifBackground));
    EXPECT_EQ(kRed, Pixel(5, 5));
    EXPECT_EQ(kGifBackground, Pixel(20, 20));
}

TEST_F(PictureControl, StopDuringAWaitReturnsAtOnceAndShowResumes)
{
    GifBuilder gif(40, 40);
    gif.GraphicControl(20, 1)
        .Image(0, 0, 40, 40, GifBuilder::kRed)
        .GraphicControl(500, 1)
        .Image(0, 0, 40, 40, GifBuilder::kGreen)
        .Trailer();
    ASSERT_TRUE(Load(gif.Bytes()));
    m_picture.ShowPicture();
    ASSERT_TRUE(WaitForPixel(20, 20, kGreen));
    PumpFor(100);

    const DWORD before = ::GetTickCount();
    m_picture.StopAnimation();
    const DWORD stopping = ::GetTickCount() - before;
    EXPECT_LT(stopping, 1500u) << "the 5 s wait was not cut short";
    EXPECT_FALSE(m_picture.IsAnimating());
    EXPECT_EQ(1, m_picture.CurrentFrame());
    EXPECT_EQ(2u, m_picture.FrameCount());

    // The frame on show comes back first, not frame 0 (which would show for 200 ms).
    EXPECT_FALSE(m_picture.ShowPicture());
    EXPECT_TRUE(m_picture.IsAnimating());
    const DWORD resumed = ::GetTickCount();
    while (::GetTickCount() - resumed < 400) {
        ASSERT_EQ(kGreen, Pixel(20, 20));
        ::Sleep(5);
    }
    m_picture.StopAnimation();
}

TEST_F(PictureControl, SecondShowDoesNotStartASecondThread)
{
    ASSERT_TRUE(Load(ThreeColourAnimation(10, 10, 10)));
    const int threadsBefore = ThreadCount();
    ASSERT_GT(threadsBefore, 0);
    m_picture.ShowPicture();
    m_picture.ShowPicture();
    EXPECT_TRUE(m_picture.IsAnimating());
    EXPECT_EQ(threadsBefore + 1, ThreadCount());
    ASSERT_TRUE(WaitForPixel(20, 20, kGreen));
    m_picture.StopAnimation();
    EXPECT_FALSE(m_picture.IsAnimating());
    // With a second thread left over, the frames would go on changing.
    const COLORREF stopped = Pixel(20, 20);
    PumpFor(300);
    EXPECT_EQ(stopped, Pixel(20, 20));
}

TEST_F(PictureControl, LoadingWhileAnimatingStopsTheThreadFirst)
{
    ASSERT_TRUE(Load(ThreeColourAnimation(5, 5, 5)));
    m_picture.ShowPicture();
    ASSERT_TRUE(WaitForPixel(20, 20, kBlue));
    ASSERT_TRUE(Load(SolidGif(40, 40, GifBuilder::kBackgroundIndex)));
    EXPECT_FALSE(m_picture.IsAnimating());
    EXPECT_EQ(0u, m_picture.FrameCount());
    EXPECT_EQ(0, m_picture.CurrentFrame());
    EXPECT_TRUE(m_picture.ShowPicture());
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < 400) {
        ASSERT_EQ(kGifBackground, Pixel(20, 20));
        ::Sleep(5);
    }
}

TEST_F(PictureControl, ReleaseKeepsTheSizeAndResetsTheRest)
{
    ASSERT_TRUE(Load(ThreeColourAnimation(5, 5, 5)));
    m_picture.ShowPicture();
    ASSERT_TRUE(WaitForPixel(20, 20, kGreen));
    m_picture.ReleasePicture();
    EXPECT_FALSE(m_picture.IsAnimating());
    EXPECT_EQ(0u, m_picture.FrameCount());
    EXPECT_EQ(0, m_picture.CurrentFrame());
    EXPECT_EQ(CAnimatedPicture::kDefaultBackground, m_picture.BackgroundColor());
    EXPECT_EQ(40, m_picture.LogicalWidth());
    EXPECT_FALSE(m_picture.ShowPicture());
}

TEST_F(PictureControl, DestroyingTheWindowStopsTheAnimationAndKeepsTheFrames)
{
    ASSERT_TRUE(Load(ThreeColourAnimation(5, 5, 5)));
    m_picture.ShowPicture();
    ASSERT_TRUE(WaitForPixel(20, 20, kGreen));
    ASSERT_TRUE(m_host.DestroyWindow());
    EXPECT_FALSE(m_picture.IsAttached());
    EXPECT_FALSE(m_picture.IsAnimating());
    EXPECT_EQ(3u, m_picture.FrameCount());
}

TEST_F(PictureControl, DestroyingTheObjectWhileAnimatingEndsTheThreadFirst)
{
    const int threadsBefore = ThreadCount();
    ASSERT_GT(threadsBefore, 0);
    auto picture = std::make_unique<CAnimatedPicture>();
    ASSERT_TRUE(picture->Create("", WS_CHILD | WS_VISIBLE, RECT{0, 0, 10, 10}, m_host, IDC_PICTURE + 1));
    const Bytes bytes = ThreeColourAnimation(5, 5, 5);
    MemoryBlock block(bytes);
    ASSERT_TRUE(picture->LoadPictureData(block.Get(), bytes.size()));
    picture->ShowPicture();
    ASSERT_TRUE(picture->IsAnimating());
    EXPECT_EQ(threadsBefore + 1, ThreadCount());
    HWND hwnd = *picture;
    PumpFor(120);
    // The window goes only after the object's own part, so its WM_DESTROY handling cannot
    // be what stops the thread: the destructor must, before the frames and surface go.
    picture.reset();
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(threadsBefore, ThreadCountSettlingAt(threadsBefore));
    PumpFor(100); // a thread left running would now draw through freed memory
}

// How the dialogs use the control: bound to the template's static, loaded in their
// initialisation, and the dialog takes the size of its picture.
class SkinnedDialog : public CDialog {
public:
    SkinnedDialog() : CDialog(IDD_PROGRESS) {}
    CAnimatedPicture picture;
    bool loaded = false;

protected:
    void DoDataExchange() override { DdxControl(IDC_PICTURE, picture); }
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        loaded = picture.LoadResourcePicture(IDG_PROGRESS, "GIF");
        if (!loaded)
            return FALSE;
        picture.ShowPicture();
        const RECT window = GetWindowRect();
        const RECT client = picture.GetClientRect();
        MoveWindow(window.left, window.top, client.right, client.bottom);
        return TRUE;
    }
};

TEST(PictureInDialog, DialogTakesTheSizeOfItsSkin)
{
    SkinnedDialog dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    EXPECT_TRUE(dialog.loaded);
    const RECT picture = dialog.picture.GetClientRect();
    EXPECT_EQ(436, picture.right);
    EXPECT_EQ(312, picture.bottom);
    const RECT window = dialog.GetWindowRect();
    EXPECT_EQ(436, window.right - window.left);
    EXPECT_EQ(312, window.bottom - window.top);
    EXPECT_TRUE(dialog.DestroyWindow());
}

} // namespace
} // namespace corvale
