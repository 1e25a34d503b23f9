#include "triggers/BrowserCloseWatcher.h"

#include "platform/Handle.h"

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
// A renewed subscription is tried this many times more, this far apart: the new
// Explorer announces its taskbar before its window collection may be ready.
constexpr int kRenewRetries = 3;
constexpr UINT kRetryDelayMs = 2000;
constexpr UINT kSubscribeDelayMs = 10;
// The longest the end of a subscription waits for the shell's answer.
constexpr DWORD kUnadviseLimitMs = 3000;

BOOL CALLBACK CollectBrowserFrame(HWND window, LPARAM frames)
{
    char name[sizeof CBrowserCloseWatcher::kBrowserFrameClass + 1] = {};
    if (::GetClassNameA(window, name, sizeof name) > 0 &&
        std::strcmp(name, CBrowserCloseWatcher::kBrowserFrameClass) == 0)
        reinterpret_cast<std::vector<HWND>*>(frames)->push_back(window);
    return TRUE;
}

// An Unadvise made by a thread of its own, which owns what it is handed: the caller waits
// for it only so long. A hung Explorer would otherwise hold the program for ever, at its
// end too, with the instance still its own.
struct UnadviseCall {
    IStream* connection; // the connection point, marshalled for the thread
    DWORD cookie;
};

DWORD WINAPI UnadviseElsewhere(void* param)
{
    auto* call = static_cast<UnadviseCall*>(param);
    ComPtr<IConnectionPoint> point;
    const HRESULT apartment = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    // The stream goes either way; without an apartment the subscription ends with the program.
    if (SUCCEEDED(apartment) &&
        SUCCEEDED(::CoGetInterfaceAndReleaseStream(call->connection, IID_IConnectionPoint,
                                                   reinterpret_cast<void**>(point.GetAddressOf()))))
        (void)point->Unadvise(call->cookie); // a shell that restarted forgot us already
    else if (FAILED(apartment))
        call->connection->Release();
    point.Reset();
    if (SUCCEEDED(apartment))
        ::CoUninitialize();
    delete call;
    return 0;
}

} // namespace

void CBrowserCloseWatcher::AttachShellWindows()
{
    // Tried once: a failure would only cost the same call into the shell again.
    if (m_attachTried)
        return;
    // COM makes no call out of a call sent by another program: the subscription follows
    // once that call has returned. A timer, not a posted message: a pump inside the same
    // call would take a message at once and post it again, for as long as the call lasts.
    if (::InSendMessage()) {
        (void)::SetTimer(m_window, kSubscribeTimer, kSubscribeDelayMs, nullptr); // a window gone needs no watcher
        return;
    }
    m_attachTried = true;
    NoteBrowserFrames();
    const Subscription subscription = Subscribe();
    if (subscription != Subscription::NotReady) {
        m_retriesLeft = 0;
    } else if (m_retriesLeft > 0) {
        --m_retriesLeft;
        (void)::SetTimer(m_window, kRetryTimer, kRetryDelayMs,
                         nullptr); // without it, no watcher until the next restart
    }
}

CBrowserCloseWatcher::Subscription CBrowserCloseWatcher::Subscribe()
{
    // The thread's apartment, entered once and left when the watcher goes.
    if (!m_inApartment && FAILED(::CoInitialize(nullptr)))
        return Subscription::Impossible;
    m_inApartment = true;
    ComPtr<IUnknown> collection;
    if (FAILED(::CoCreateInstance(CLSID_ShellWindows, nullptr,
                                  CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER, IID_IUnknown,
                                  reinterpret_cast<void**>(collection.GetAddressOf()))))
        return Subscription::NotReady;
    // A collection without events (Wine's) will not have them later either.
    ComPtr<IConnectionPointContainer> container;
    if (FAILED(::OleRun(collection.Get())) || FAILED(collection.As(&container)))
        return Subscription::Impossible;
    ComPtr<IConnectionPoint> point;
    if (FAILED(container->FindConnectionPoint(kShellWindowsEvents, point.GetAddressOf())))
        return Subscription::Impossible;
    if (FAILED(point->Advise(static_cast<IDispatch*>(this), &m_adviseCookie)))
        return Subscription::NotReady;
    m_connection = std::move(point);
    return Subscription::Made;
}

void CBrowserCloseWatcher::DetachShellWindows()
{
    m_attachTried = false;
    m_retriesLeft = 0;
    (void)::KillTimer(m_window, kRetryTimer); // none was set, or the window went with it
    if (!m_connection)
        return;
    auto* call = new UnadviseCall{nullptr, m_adviseCookie};
    KernelHandle thread;
    if (SUCCEEDED(::CoMarshalInterThreadInterfaceInStream(IID_IConnectionPoint, m_connection.Get(), &call->connection)))
        thread.Reset(::CreateThread(nullptr, 0, UnadviseElsewhere, call, 0, nullptr));
    if (thread) {
        // Meanwhile this apartment serves the calls the Unadvise brings back (the shell
        // lets go of the sink); a thread still waiting after the limit is left to it.
        HANDLE handle = thread.Get();
        DWORD index = 0;
        (void)::CoWaitForMultipleHandles(0, kUnadviseLimitMs, 1, &handle, &index);
    } else {
        if (call->connection)
            call->connection->Release(); // a stream never read: the subscription dies with the program
        delete call;
    }
    m_connection.Reset();
}

void CBrowserCloseWatcher::RenewSubscription()
{
    if (!m_attachTried)
        return;
    DetachShellWindows();
    m_retriesLeft = kRenewRetries;
    AttachShellWindows();
}

void CBrowserCloseWatcher::OnRetryTimer()
{
    (void)::KillTimer(m_window, kRetryTimer); // one try per tick
    m_attachTried = false;
    AttachShellWindows();
}

CBrowserCloseWatcher::~CBrowserCloseWatcher()
{
    // Only Unadvise ends the subscription (CoDisconnectObject cannot reach a collection
    // in this process, which holds the sink itself); calls already on their way from the
    // shell's process are refused from now on, never delivered.
    DetachShellWindows();
    (void)::CoDisconnectObject(static_cast<IDispatch*>(this), 0); // nothing to cut unless marshalled
    if (m_inApartment)
        ::CoUninitialize();
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

bool CBrowserCloseWatcher::BrowserWindowClosed()
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
    return browserClosed;
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
    // Whatever the close sets off would hold up the shell's call, and every window the
    // shell closes with it: the window hears of it after the call, once for every burst.
    if (!m_revokePending && m_window && ::PostMessageA(m_window, kWindowsRevokedMessage, 0, 0))
        m_revokePending = true;
    return S_OK;
}

} // namespace corvale
