#pragma once
// CHtmlCtrl: the system web browser as a plain child control of a dialog. It takes the
// place of a static control of the template, keeps no document or frame of its own, and
// hands the program's "app:" links to OnAppCommand instead of following them.

#include "platform/Wnd.h"

#include <exdisp.h>
#include <wrl/client.h>

#include <string>

namespace corvale {

class CHtmlCtrl : public CWnd {
public:
    CHtmlCtrl() = default;
    ~CHtmlCtrl() override;

    // Destroys the parent's child with this id and creates the view at its rectangle with
    // its id. False when no such child exists. Where no browser can be embedded (Wine
    // without an HTML engine) the view is still made, as an empty frame.
    bool CreateOverStatic(UINT id, HWND parent);
    // Shows HTML resource id of the program's module ("res://<module path>/<id>").
    bool LoadFromResource(UINT id);
    bool Navigate(const std::string& address);

    // The browser while the view lives; null before, after, and where none could be made.
    IWebBrowser2* Browser() const { return m_browser.Get(); }
    // Where the browser reports its events (DWebBrowserEvents2); lives as long as the window.
    IDispatch* EventSink() const;

protected:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Before each navigation; setting cancel keeps the browser where it is.
    virtual void OnBeforeNavigate2(const std::string& address, bool& cancel);
    // An "app:" link, with the rest of its address. No page of this program has one.
    virtual void OnAppCommand(const std::string& /*command*/) {}

private:
    class Site;
    friend class Site;

    void EmbedBrowser();
    void ReleaseBrowser();

    Site* m_site = nullptr; // one reference, released with the window
    Microsoft::WRL::ComPtr<IWebBrowser2> m_browser;
    DWORD m_eventCookie = 0;
    bool m_oleInitialized = false;
};

} // namespace corvale
