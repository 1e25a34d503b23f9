#pragma once
// CBrowserCloseWatcher: the main window's automation interface, through which the shell's
// window collection reports windows opening (DISPID 200, "WindowRegistered") and closing
// (DISPID 201, "WindowRevoked"). The collection lists File Explorer's folder windows as
// well as the browser's: the watcher tells its window when a browser window closed, after
// the shell's call, and the window decides what to clean. It subscribes outside any call
// sent by another program, and waits for the end of its subscription only a few seconds.
// The object lives inside the main window; its reference count does not govern its life.

#include <windows.h>

#include <oaidl.h>
#include <ocidl.h>
#include <wrl/client.h>

#include <vector>

namespace corvale {

class CBrowserCloseWatcher : public IDispatch {
public:
    static constexpr DISPID kWindowRegistered = 200;
    static constexpr DISPID kWindowRevoked = 201;
    // Posted to the window given to SetWindow when windows left the collection: the
    // window asks BrowserWindowClosed.
    static constexpr UINT kWindowsRevokedMessage = WM_APP + 1;
    // Timers of that window. A subscription asked for inside a call sent by another
    // program is due (the window kills the timer and asks for it again), and a renewed
    // subscription is to be tried again (the window hands it on to OnRetryTimer).
    static constexpr UINT_PTR kSubscribeTimer = 3;
    static constexpr UINT_PTR kRetryTimer = 4;
    // The browser's frame window; folder windows have classes of their own.
    static constexpr char kBrowserFrameClass[] = "IEFrame";

    CBrowserCloseWatcher() = default;
    // Ends the subscription, refuses the calls still on their way and leaves the
    // apartment it entered.
    virtual ~CBrowserCloseWatcher();
    CBrowserCloseWatcher(const CBrowserCloseWatcher&) = delete;
    CBrowserCloseWatcher& operator=(const CBrowserCloseWatcher&) = delete;

    void SetWindow(HWND window) { m_window = window; }

    // Subscribes to the shell's window collection; tried once, later calls do nothing
    // until the subscription is renewed. Inside a call sent by another program, where COM
    // makes no call out, it sets kSubscribeTimer instead. Every failure is silent and
    // leaves the program without a watcher (Wine offers no connection point).
    void AttachShellWindows();
    // Explorer restarted, and its collection with it: a watcher that was attached, or
    // tried to be, subscribes to the new one, and tries again a few times while the new
    // collection is not ready.
    void RenewSubscription();
    void OnRetryTimer();
    // Whether a browser window closed since the last call, however many windows left
    // the collection meanwhile.
    bool BrowserWindowClosed();

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    // IDispatch: only Invoke carries anything; there is no type information.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                                     UINT*) override;

private:
    struct BrowserFrame {
        HWND window;
        // Counted as closed while it was still there, hidden: it counts again only
        // once it has been seen on screen again.
        bool counted;
    };

    enum class Subscription { Made, NotReady, Impossible };
    Subscription Subscribe();
    void DetachShellWindows();
    void NoteBrowserFrames();

    HWND m_window = nullptr;
    bool m_attachTried = false;
    bool m_inApartment = false;
    int m_retriesLeft = 0;
    Microsoft::WRL::ComPtr<IConnectionPoint> m_connection;
    DWORD m_adviseCookie = 0;
    std::vector<BrowserFrame> m_frames;
    bool m_revokePending = false;
};

} // namespace corvale
