#pragma once
// CBrowserCloseWatcher: the main window's automation interface, through which the shell's
// window collection reports windows opening (DISPID 200, "WindowRegistered") and closing
// (DISPID 201, "WindowRevoked"). Each close cleans the temporary Internet files silently
// when the option for it is on. The object lives inside the main window; its reference
// count does not govern its life.

#include "settings/CleaningOptions.h"

#include <oaidl.h>

namespace corvale {

class CBrowserCloseWatcher : public IDispatch {
public:
    static constexpr DISPID kWindowRegistered = 200;
    static constexpr DISPID kWindowRevoked = 201;

    // Reads the option afresh on every event.
    explicit CBrowserCloseWatcher(const CleaningOptions& options) : m_options(options) {}
    // Cuts the shell's connections to this sink: the link to the collection outlives it.
    virtual ~CBrowserCloseWatcher();

    // Subscribes to the shell's window collection once per process; a watcher tries it
    // once, later calls do nothing. Every failure is silent and leaves the program
    // without a watcher (Wine offers no connection point).
    void AttachShellWindows();

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
    const CleaningOptions& m_options;
    bool m_attachTried = false;
};

// Lets go of the process's link to the shell's window collection, at process end.
void ReleaseShellWindowsLink();

} // namespace corvale
