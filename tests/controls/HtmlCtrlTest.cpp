// The HTML view in place of a static control: its place and id, the "app:" rule as the
// browser reports a navigation to its event sink, and its hold on the browser. Wine has
// the browser object but no HTML engine and sends no events, so the test calls the sink.
#include "controls/HtmlCtrl.h"
#include "controls/TestWindows.h"

#include <gtest/gtest.h>

#include <exdispid.h>
#include <ole2.h>

#include <string>
#include <vector>

namespace corvale {
namespace {

using Microsoft::WRL::ComPtr;

constexpr UINT kStaticId = 1013;
constexpr RECT kStaticRect{20, 30, 120, 80};

class RecordingView : public CHtmlCtrl {
public:
    std::vector<std::string> commands;

protected:
    void OnAppCommand(const std::string& command) override { commands.push_back(command); }
};

class HtmlView : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
        ASSERT_TRUE(host.Create(RECT{0, 0, 300, 200}));
        ASSERT_TRUE(placeholder.Create("", WS_CHILD | WS_VISIBLE, kStaticRect, host, kStaticId));
    }
    void TearDown() override
    {
        host.DestroyWindow();
        ::OleUninitialize();
    }

    test::HostWindow host;
    CStatic placeholder;
    RecordingView view;
};

TEST_F(HtmlView, TakesThePlaceAndIdOfTheStaticItReplaces)
{
    RecordingView nowhere;
    EXPECT_FALSE(nowhere.CreateOverStatic(4242, host));
    EXPECT_FALSE(nowhere.IsAttached());

    ASSERT_TRUE(view.CreateOverStatic(kStaticId, host));
    EXPECT_FALSE(placeholder.IsAttached()) << "the static is gone";
    EXPECT_EQ(::GetDlgItem(host, kStaticId), view.GetSafeHwnd());
    RECT rect = view.GetWindowRect();
    ::MapWindowPoints(nullptr, host, reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_TRUE(::EqualRect(&rect, &kStaticRect));
    EXPECT_EQ(::GetWindowLongA(view, GWL_STYLE) & (WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP),
              WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP);
}

TEST_F(HtmlView, CancelsAppLinksAndHandsOnTheirCommand)
{
    ASSERT_TRUE(view.CreateOverStatic(kStaticId, host));
    const struct {
        const wchar_t* address;
        bool cancelled;
        std::vector<std::string> commands;
    } cases[] = {
        {L"APP:close", true, {"close"}},
        {L"app:", true, {""}},
        {L"application.htm", false, {}},
        {L"http://www.corvale.example/app:close", false, {}},
    };
    for (const auto& c : cases) {
        view.commands.clear();
        VARIANT address;
        V_VT(&address) = VT_BSTR;
        V_BSTR(&address) = ::SysAllocString(c.address);
        VARIANT empty;
        ::VariantInit(&empty);
        VARIANT_BOOL cancel = VARIANT_FALSE;
        // Last argument first, as IDispatch passes them: headers, posted data, frame and
        // flags by reference, the address by reference, the browser.
        VARIANT arguments[7];
        for (VARIANT& argument : arguments) {
            V_VT(&argument) = VT_BYREF | VT_VARIANT;
            V_VARIANTREF(&argument) = &empty;
        }
        V_VT(&arguments[0]) = VT_BYREF | VT_BOOL;
        V_BOOLREF(&arguments[0]) = &cancel;
        V_VARIANTREF(&arguments[5]) = &address;
        V_VT(&arguments[6]) = VT_DISPATCH;
        V_DISPATCH(&arguments[6]) = view.Browser();
        DISPPARAMS parameters{arguments, nullptr, 7, 0};
        EXPECT_EQ(view.EventSink()->Invoke(DISPID_BEFORENAVIGATE2, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                           &parameters, nullptr, nullptr, nullptr),
                  S_OK);
        EXPECT_EQ(cancel != VARIANT_FALSE, c.cancelled);
        EXPECT_EQ(view.commands, c.commands);
        ::VariantClear(&address);
    }
}

TEST_F(HtmlView, DestroyingTheWindowReleasesTheBrowserOnce)
{
    ASSERT_TRUE(view.CreateOverStatic(kStaticId, host));
    ComPtr<IWebBrowser2> browser = view.Browser();
    ASSERT_NE(browser, nullptr) << "the system's WebBrowser object was not embedded";
    host.DestroyWindow();
    test::PumpFor(100);
    EXPECT_EQ(view.Browser(), nullptr);
    EXPECT_EQ(view.EventSink(), nullptr);
    browser->AddRef();
    EXPECT_EQ(browser->Release(), 1u) << "the view kept or over-released its references";
}

} // namespace
} // namespace corvale
