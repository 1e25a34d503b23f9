#include "controls/HtmlCtrl.h"

#include "controls/AppLink.h"

#include <exdispid.h>
#include <ole2.h>

#include <vector>

namespace corvale {
namespace {

using Microsoft::WRL::ComPtr;

constexpr char kViewClass[] = "CorvaleHtmlView";
// DISPID_BEFORENAVIGATE2's arguments arrive last first: rgvarg[5] is the address,
// rgvarg[0] the cancel flag.
constexpr UINT kBeforeNavigateArgs = 7;
constexpr UINT kAddressArg = 5;
constexpr UINT kCancelArg = 0;

bool RegisterViewClass()
{
    WNDCLASSA existing{};
    if (::GetClassInfoA(::GetModuleHandleA(nullptr), kViewClass, &existing))
        return true;
    WNDCLASSA viewClass{};
    viewClass.lpfnWndProc = ::DefWindowProcA;
    viewClass.hInstance = ::GetModuleHandleA(nullptr);
    viewClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    viewClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    viewClass.lpszClassName = kViewClass;
    return ::RegisterClassA(&viewClass) != 0;
}

std::string Narrow(BSTR text)
{
    const int length = static_cast<int>(::SysStringLen(text));
    if (length == 0)
        return std::string();
    const int size = ::WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        ::WideCharToMultiByte(CP_ACP, 0, text, length, &narrow[0], size, nullptr, nullptr);
    return narrow;
}

// The value a by-reference argument points to; the browser passes the address that way.
const VARIANT* Dereference(const VARIANT& argument)
{
    return V_VT(&argument) == (VT_BYREF | VT_VARIANT) ? V_VARIANTREF(&argument) : &argument;
}

} // namespace

// The container the browser talks to: client site, in-place site and frame of a control
// that has no frame or document of its own, and the sink of the browser's events. It
// outlives the control when the browser keeps a reference a little longer, so it lets go
// of the control first.
class CHtmlCtrl::Site : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame, public IDispatch {
public:
    explicit Site(CHtmlCtrl* owner) : m_owner(owner) {}
    void Detach() { m_owner = nullptr; }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IOleClientSite)
            *out = static_cast<IOleClientSite*>(this);
        else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite)
            *out = static_cast<IOleInPlaceSite*>(this);
        else if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame)
            *out = static_cast<IOleInPlaceFrame*>(this);
        else if (iid == IID_IDispatch || iid == DIID_DWebBrowserEvents2)
            *out = static_cast<IDispatch*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&m_references)); }
    STDMETHODIMP_(ULONG) Release() override
    {
        const LONG left = ::InterlockedDecrement(&m_references);
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }

    // IOleClientSite: no document to save, no moniker, no container.
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override
    {
        *moniker = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetContainer(IOleContainer** container) override
    {
        *container = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow, for the site and the frame alike.
    STDMETHODIMP GetWindow(HWND* window) override
    {
        *window = m_owner ? m_owner->m_hWnd : nullptr;
        return *window ? S_OK : E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite: the browser fills the control's client area.
    STDMETHODIMP CanInPlaceActivate() override { return m_owner ? S_OK : S_FALSE; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, RECT* position, RECT* clip,
                                  OLEINPLACEFRAMEINFO* info) override
    {
        if (!m_owner)
            return E_FAIL;
        *frame = static_cast<IOleInPlaceFrame*>(this);
        AddRef();
        *document = nullptr;
        *position = *clip = m_owner->GetClientRect();
        info->fMDIApp = FALSE;
        info->hwndFrame = ::GetParent(m_owner->m_hWnd);
        info->haccel = nullptr;
        info->cAccelEntries = 0;
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
    STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP OnPosRectChange(const RECT*) override { return S_OK; }

    // IOleInPlaceFrame: no menus, borders, status line or accelerators.
    STDMETHODIMP GetBorder(RECT*) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(const BORDERWIDTHS*) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(const BORDERWIDTHS*) override { return S_OK; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP InsertMenus(HMENU, OLEMENUGROUPWIDTHS*) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(MSG*, WORD) override { return S_FALSE; }

    // IDispatch: DWebBrowserEvents2, of which only BeforeNavigate2 matters here.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override
    {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override
    {
        if (id != DISPID_BEFORENAVIGATE2)
            return S_OK;
        if (!params || params->cArgs != kBeforeNavigateArgs)
            return DISP_E_BADPARAMCOUNT;
        const VARIANT* address = Dereference(params->rgvarg[kAddressArg]);
        VARIANT& cancelArgument = params->rgvarg[kCancelArg];
        if (V_VT(address) != VT_BSTR || V_VT(&cancelArgument) != (VT_BYREF | VT_BOOL))
            return DISP_E_TYPEMISMATCH;
        if (!m_owner)
            return S_OK;
        bool cancel = *V_BOOLREF(&cancelArgument) != VARIANT_FALSE;
        m_owner->OnBeforeNavigate2(Narrow(V_BSTR(address)), cancel);
        *V_BOOLREF(&cancelArgument) = cancel ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }

private:
    virtual ~Site() = default;

    LONG m_references = 1;
    CHtmlCtrl* m_owner;
};

CHtmlCtrl::~CHtmlCtrl()
{
    // Normally gone with the window; this covers an object dropped before its window.
    ReleaseBrowser();
}

bool CHtmlCtrl::CreateOverStatic(UINT id, HWND parent)
{
    HWND placeholder = ::GetDlgItem(parent, static_cast<int>(id));
    if (!placeholder || IsAttached() || !RegisterViewClass())
        return false;
    RECT rect{};
    ::GetWindowRect(placeholder, &rect);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    ::DestroyWindow(placeholder);
    if (!CreateEx(0, kViewClass, nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP, rect, parent, id))
        return false;
    m_site = new Site(this);
    EmbedBrowser();
    return true;
}

void CHtmlCtrl::EmbedBrowser()
{
    // The browser is an apartment-threaded object; the thread may already be in one.
    m_oleInitialized = SUCCEEDED(::OleInitialize(nullptr));
    ComPtr<IOleObject> object;
    if (FAILED(::CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&object))))
        return;
    if (FAILED(object->SetClientSite(static_cast<IOleClientSite*>(m_site))))
        return;
    RECT client = GetClientRect();
    ComPtr<IWebBrowser2> browser;
    if (FAILED(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(m_site), 0, m_hWnd,
                              &client)) ||
        FAILED(object.As(&browser))) {
        (void)object->Close(OLECLOSE_NOSAVE); // half made: undone, the view stays empty
        (void)object->SetClientSite(nullptr);
        return;
    }
    m_browser = browser;
    ComPtr<IConnectionPointContainer> points;
    ComPtr<IConnectionPoint> events;
    if (SUCCEEDED(m_browser.As(&points)) && SUCCEEDED(points->FindConnectionPoint(DIID_DWebBrowserEvents2, &events)))
        (void)events->Advise(static_cast<IDispatch*>(m_site), &m_eventCookie); // no events: "app:" links load
}

void CHtmlCtrl::ReleaseBrowser()
{
    if (m_browser) {
        ComPtr<IConnectionPointContainer> points;
        ComPtr<IConnectionPoint> events;
        if (m_eventCookie && SUCCEEDED(m_browser.As(&points)) &&
            SUCCEEDED(points->FindConnectionPoint(DIID_DWebBrowserEvents2, &events)))
            (void)events->Unadvise(m_eventCookie); // the site ignores late events anyway
        m_eventCookie = 0;
        ComPtr<IOleObject> object;
        if (SUCCEEDED(m_browser.As(&object))) {
            (void)object->Close(OLECLOSE_NOSAVE); // nothing to save in a view
            (void)object->SetClientSite(nullptr);
        }
        m_browser.Reset();
    }
    if (m_site) {
        m_site->Detach();
        m_site->Release();
        m_site = nullptr;
    }
    if (m_oleInitialized) {
        ::OleUninitialize();
        m_oleInitialized = false;
    }
}

IDispatch* CHtmlCtrl::EventSink() const
{
    return m_site ? static_cast<IDispatch*>(m_site) : nullptr;
}

bool CHtmlCtrl::LoadFromResource(UINT id)
{
    char module[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, module, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false;
    return Navigate("res://" + std::string(module) + "/" + std::to_string(id));
}

bool CHtmlCtrl::Navigate(const std::string& address)
{
    if (!m_browser)
        return false;
    const int size = ::MultiByteToWideChar(CP_ACP, 0, address.c_str(), -1, nullptr, 0);
    if (size <= 0)
        return false;
    std::vector<wchar_t> wide(static_cast<std::size_t>(size));
    ::MultiByteToWideChar(CP_ACP, 0, address.c_str(), -1, wide.data(), size);
    BSTR url = ::SysAllocString(wide.data());
    const HRESULT navigated = m_browser->Navigate(url, nullptr, nullptr, nullptr, nullptr);
    ::SysFreeString(url);
    return SUCCEEDED(navigated);
}

void CHtmlCtrl::OnBeforeNavigate2(const std::string& address, bool& cancel)
{
    std::string command;
    if (!SplitAppLink(address, command))
        return;
    cancel = true;
    OnAppCommand(command);
}

LRESULT CHtmlCtrl::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_SIZE: {
        // The browser's window follows the control's size.
        ComPtr<IOleInPlaceObject> inPlace;
        const RECT client = GetClientRect();
        if (m_browser && SUCCEEDED(m_browser.As(&inPlace)))
            (void)inPlace->SetObjectRects(&client, &client); // stays at its old size
        return Default();
    }
    case WM_DESTROY: ReleaseBrowser(); return Default();
    default: return CWnd::OnMessage(msg, wParam, lParam);
    }
}

} // namespace corvale
