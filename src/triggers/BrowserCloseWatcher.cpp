#include "triggers/BrowserCloseWatcher.h"

#include "engine/TaskCatalogue.h"

#include <exdisp.h>
#include <ocidl.h>
#include <ole2.h>

#include <algorithm>
#include <cstring>

namespace corvale {

using Microsoft::WRL::ComPtr;

namespace {

// DShellWindowsEvents, the event interface of the shell's window collection.
const IID kShellWindowsEvents = {0xFE4106E0, 0x399A, 0x11D0, {0xA4, 0x8C, 0x00, 0xA0, 0xC9, 0x0A, 0x8F, 0x39}};

BOOL CALLBACK CollectBrowserFrame(HWND window, LPARAM frames)
{
    char name[sizeof CBrowserCloseWatcher::kBrowserFrameClass + 1] = {};
    if (::GetClassNameA(window, name, sizeof name) > 0 &&
        std::strcmp(name, CBrowserCloseWatcher::kBrowserFrameClass) == 0)
        reinterpret_cast<std::vector<HWND>*>(frames)->push_back(window);
    return TRUE;
}

} // namespace

void CBrowserCloseWatcher::AttachShellWindows()
{
    // Tried once: a failure would only cost the same call into the shell again.
    if (m_attachTried)
        return;
    m_attachTried = true;
    NoteBrowserFrames();
    // The apartment stays for the life of the process, so this is never paired.
    if (FAILED(::CoInitialize(nullptr)))
        return;
    ComPtr<IUnknown> collection;
    if (FAILED(::CoCreateInstance(CLSID_ShellWindows, nullptr,
                                  CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER, IID_IUnknown,
                                  reinterpret_cast<void**>(collection.GetAddressOf()))))
        return;
    ComPtr<IConnectionPointContainer> container;
    if (FAILED(::OleRun(collection.Get())) || FAILED(collection.As(&container)))
        return;
    ComPtr<IConnectionPoint> point;
    if (FAILED(container->FindConnectionPoint(kShellWindowsEvents, point.GetAddressOf())))
        return;
    if (SUCCEEDED(point->Advise(static_cast<IDispatch*>(this), &m_adviseCookie)))
        m_connection = std::move(point);
}

void CBrowserCloseWatcher::DetachShellWindows()
{
    m_attachTried = false;
    if (!m_connection)
        return;
    (void)m_connection->Unadvise(m_adviseCookie); // a shell that restarted forgot us already
    m_connection.Reset();
}

void CBrowserCloseWatcher::RenewSubscription()
{
    if (!m_attachTried)
        return;
    DetachShellWindows();
    AttachShellWindows();
}

CBrowserCloseWatcher::~CBrowserCloseWatcher()
{
    // Only Unadvise ends the subscription (CoDisconnectObject cannot reach a collection
    // in this process, which holds the sink itself); calls already on their way from the
    // shell's process are refused from now on, never delivered.
    DetachShellWindows();
    (void)::CoDisconnectObject(static_cast<IDispatch*>(this), 0); // nothing to cut unless marshalled
}

// Every frame open now is known from now on, shown or not: the browser may register its
// window before it shows it, and the shell tells nothing more until the window closes.
void CBrowserCloseWatcher::NoteBrowserFrames()
{
    std::vector<HWND> open;
    (void)::EnumWindows(CollectBrowserFrame, reinterpret_cast<LPARAM>(&open)); // none listed then
    for (HWND window : open) {
        auto known = std::find_if(m_frames.begin(), m_frames.end(),
                                  [window](const BrowserFrame& frame) { return frame.window == window; });
        if (known == m_frames.end())
            m_frames.push_back({window, false});
        else if (::IsWindowVisible(window))
            known->counted = false;
    }
}

void CBrowserCloseWatcher::OnWindowsRevoked()
{
    m_revokePending = false;
    // A window is hidden before it is destroyed, and the shell may report the close
    // before the frame is gone: a known frame that is hidden now counts as closed, once.
    bool browserClosed = false;
    for (auto frame = m_frames.begin(); frame != m_frames.end();) {
        if (::IsWindowVisible(frame->window)) {
            ++frame;
            continue;
        }
        browserClosed = browserClosed || !frame->counted;
        if (::IsWindow(frame->window)) {
            frame->counted = true;
            ++frame;
        } else {
            frame = m_frames.erase(frame);
        }
    }
    NoteBrowserFrames();
    if (browserClosed && m_options.OptionFlags[Option::IeTempFilesOnClose] == 1)
        CleanTemporaryInternetFiles();
}

HRESULT CBrowserCloseWatcher::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == kShellWindowsEvents) {
        *object = static_cast<IDispatch*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT CBrowserCloseWatcher::GetTypeInfoCount(UINT* count)
{
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT CBrowserCloseWatcher::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids)
{
    if (!names || !ids)
        return E_POINTER;
    HRESULT result = S_OK;
    for (UINT i = 0; i < count; ++i) {
        if (::lstrcmpiW(names[i], L"WindowRegistered") == 0) {
            ids[i] = kWindowRegistered;
        } else if (::lstrcmpiW(names[i], L"WindowRevoked") == 0) {
            ids[i] = kWindowRevoked;
        } else {
            ids[i] = DISPID_UNKNOWN;
            result = DISP_E_UNKNOWNNAME;
        }
    }
    return result;
}

HRESULT CBrowserCloseWatcher::Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*)
{
    if (result)
        ::VariantInit(result);
    if (member == kWindowRegistered) {
        NoteBrowserFrames();
        return S_OK;
    }
    if (member != kWindowRevoked)
        return DISP_E_MEMBERNOTFOUND;
    // The sweep would hold up the shell's call, and every window the shell closes with
    // it: it runs after the call, once for every burst of closes.
    if (!m_revokePending && m_window && ::PostMessageA(m_window, kWindowsRevokedMessage, 0, 0))
        m_revokePending = true;
    return S_OK;
}

} // namespace corvale
