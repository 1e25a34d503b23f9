// Shows one skin image of the program at the top left of the display, with its hot
// regions outlined in red, so that a screenshot can show where they fall. Usage:
// skin_shots <resource id> <ready file> [plain]. It ends after a minute by itself.
#include "app/MainWindowRegions.h"
#include "dialogs/DialogRegions.h"
#include "platform/Gdi.h"
#include "platform/Handle.h"
#include "resource.h"

#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <cstdlib>
#include <initializer_list>
#include <cstring>
#include <vector>

using namespace corvale;

namespace {

IPicture* g_picture = nullptr;
int g_id = 0;
bool g_plain = false;
int g_width = 0;
int g_height = 0;

IPicture* LoadSkin(int id)
{
    HRSRC found = ::FindResourceA(nullptr, MAKEINTRESOURCEA(id), "GIF");
    if (!found)
        return nullptr;
    const DWORD size = ::SizeofResource(nullptr, found);
    const void* data = ::LockResource(::LoadResource(nullptr, found));
    GlobalMemory memory(::GlobalAlloc(GMEM_MOVEABLE, size));
    if (!memory || !data)
        return nullptr;
    std::memcpy(::GlobalLock(memory.Get()), data, size);
    ::GlobalUnlock(memory.Get());
    IStream* stream = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(memory.Get(), FALSE, &stream)))
        return nullptr;
    IPicture* picture = nullptr;
    const HRESULT loaded =
        ::OleLoadPicture(stream, static_cast<LONG>(size), FALSE, IID_IPicture, reinterpret_cast<void**>(&picture));
    stream->Release();
    return SUCCEEDED(loaded) ? picture : nullptr;
}

void Outline(HDC dc, int left, int top, int right, int bottom)
{
    ::Rectangle(dc, left, top, right + 1, bottom + 1);
}

void DrawRegions(HDC dc)
{
    switch (g_id) {
    case IDG_PAGE_GENERAL:
    case IDG_PAGE_INTERNET:
    case IDG_PAGE_SYSTEM:
        for (const CircleRegion& c : kTitleButtons)
            ::Ellipse(dc, c.centreX - c.radius, c.centreY - c.radius, c.centreX + c.radius + 1,
                      c.centreY + c.radius + 1);
        for (const BoxRegion& box : kClickRegions)
            Outline(dc, box.left < 0 ? 0 : box.left, box.top, box.right,
                    box.bottom > g_height ? g_height - 1 : box.bottom);
        Outline(dc, kFooterHover.left, kFooterHover.top + 2, kFooterHover.right, kFooterHover.bottom - 2);
        ::MoveToEx(dc, 0, kTitleStripHeight, nullptr);
        ::LineTo(dc, g_width, kTitleStripHeight);
        break;
    case IDG_ABOUT:
        for (const HotArea* area : {&kAboutHelp, &kAboutHomeTop, &kAboutProductPage, &kAboutHomeBottom})
            Outline(dc, area->left, area->top, area->right, area->bottom);
        Outline(dc, 320, 208, 409, 234);         // the Close button
        Outline(dc, 65, 54, 65 + 343, 54 + 146); // the licence view
        ::MoveToEx(dc, 0, kDragStripHeight, nullptr);
        ::LineTo(dc, g_width, kDragStripHeight);
        break;
    case IDG_COOKIE_KEEP:
        for (const HotArea* area :
             {&kKeepListProductLogo, &kKeepListMakersLogoClick, &kKeepListFooterLine, &kKeepListCancel, &kKeepListOk})
            Outline(dc, area->left < 0 ? 0 : area->left, area->top, area->right > g_width ? g_width - 1 : area->right,
                    area->bottom > g_height ? g_height - 1 : area->bottom);
        ::MoveToEx(dc, 0, kDragStripHeight, nullptr);
        ::LineTo(dc, g_width, kDragStripHeight);
        break;
    case IDG_PROGRESS:
        Outline(dc, kProgressHomeArea.left, kProgressHomeArea.top, g_width - 1, kProgressHomeArea.bottom);
        Outline(dc, 320, 50, 409, 76);           // the Close button
        Outline(dc, 25, 90, 25 + 385, 90 + 140); // the list
        ::MoveToEx(dc, 0, kDragStripHeight, nullptr);
        ::LineTo(dc, g_width, kDragStripHeight);
        break;
    default: break;
    }
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_PAINT: {
        PaintDc paint(hwnd);
        OLE_XSIZE_HIMETRIC w = 0;
        OLE_YSIZE_HIMETRIC h = 0;
        g_picture->get_Width(&w);
        g_picture->get_Height(&h);
        g_picture->Render(paint.Get(), 0, 0, g_width, g_height, 0, h, w, -h, nullptr);
        if (!g_plain) {
            GdiObject pen(::CreatePen(PS_SOLID, 1, RGB(255, 0, 0)));
            SelectGuard selectPen(paint.Get(), pen.Get());
            SelectGuard selectBrush(paint.Get(), ::GetStockObject(NULL_BRUSH));
            DrawRegions(paint.Get());
        }
        return 0;
    }
    case WM_TIMER: ::PostQuitMessage(0); return 0;
    default: return ::DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    if (__argc < 3)
        return 2;
    g_id = std::atoi(__argv[1]);
    g_plain = __argc > 3 && std::strcmp(__argv[3], "plain") == 0;
    ::OleInitialize(nullptr);
    g_picture = LoadSkin(g_id);
    if (!g_picture)
        return 1;
    OLE_XSIZE_HIMETRIC w = 0;
    OLE_YSIZE_HIMETRIC h = 0;
    g_picture->get_Width(&w);
    g_picture->get_Height(&h);
    WindowDc screen(nullptr);
    g_width = ::MulDiv(w, ::GetDeviceCaps(screen.Get(), LOGPIXELSX), 2540);
    g_height = ::MulDiv(h, ::GetDeviceCaps(screen.Get(), LOGPIXELSY), 2540);

    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "CorvaleSkinShot";
    windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    ::RegisterClassA(&windowClass);
    HWND window = ::CreateWindowExA(0, "CorvaleSkinShot", "skin", WS_POPUP | WS_VISIBLE, 0, 0, g_width, g_height,
                                    nullptr, nullptr, instance, nullptr);
    ::UpdateWindow(window);
    ::SetTimer(window, 1, 60000, nullptr);
    FileHandle ready(
        ::CreateFileA(__argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ready.Reset();
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageA(&msg);
    g_picture->Release();
    ::OleUninitialize();
    return 0;
}
