// The window framework on real windows: dispatch, default processing, reflection,
// hooking and unhooking, the end of a window and re-entrant dispatch.
#include "platform/Controls.h"
#include "platform/MessagePump.h"
#include "platform/Wnd.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace corvale {
namespace {

constexpr UINT kPing = WM_APP + 1;
constexpr UINT kNest = WM_APP + 2;
constexpr UINT kDestroyMe = WM_APP + 3;

const RECT kSmall{0, 0, 40, 20};

class RecordingWnd : public CStatic {
public:
    std::vector<UINT> seen;
    int pings = 0;
    int nests = 0, deepestDepth = 0;
    int postNcDestroyCalls = 0;
    bool reflected = false;
    HWND handleAtPostNcDestroy = reinterpret_cast<HWND>(1);

protected:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        seen.push_back(msg);
        switch (msg) {
        case kPing: ++pings; return static_cast<LRESULT>(wParam) * 2;
        case kNest:
            // A handler that pumps: the posted kDestroyMe is handled inside this one.
            ++nests;
            PostMessage(kDestroyMe);
            PumpPendingMessages();
            --nests;
            return IsAttached() ? 1 : 0;
        case kDestroyMe:
            deepestDepth = nests + 1;
            DestroyWindow();
            return 0;
        default: return CStatic::OnMessage(msg, wParam, lParam);
        }
    }
    bool OnReflectedCommand(UINT notifyCode) override
    {
        reflected = notifyCode == EN_CHANGE || reflected;
        return notifyCode == EN_CHANGE;
    }
    void PostNcDestroy() override
    {
        ++postNcDestroyCalls;
        handleAtPostNcDestroy = m_hWnd;
    }
};

class Parent : public CStatic {
public:
    std::vector<UINT> commands;

protected:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_COMMAND)
            commands.push_back(HIWORD(wParam));
        return CStatic::OnMessage(msg, wParam, lParam);
    }
};

class ReflectingEdit : public CEdit {
public:
    int updates = 0;

protected:
    bool OnReflectedCommand(UINT notifyCode) override
    {
        if (notifyCode != EN_UPDATE)
            return false;
        ++updates;
        return true;
    }
};

std::string TextOf(HWND hwnd)
{
    char buffer[64] = {};
    ::GetWindowTextA(hwnd, buffer, sizeof buffer);
    return buffer;
}

TEST(Wnd, DispatchesToTheHandlerAndFallsBackToTheWindowsOwnProcedure)
{
    RecordingWnd wnd;
    ASSERT_TRUE(wnd.Create("start", WS_POPUP, kSmall, nullptr, 0));
    EXPECT_EQ(CWnd::FromHandle(wnd), &wnd);

    EXPECT_EQ(wnd.SendMessage(kPing, 21), 42);
    EXPECT_EQ(wnd.pings, 1);
    // WM_SETTEXT is not handled by the class: the static control's default stores it.
    ::SetWindowTextA(wnd, "changed");
    EXPECT_EQ(TextOf(wnd), "changed");
    EXPECT_NE(std::find(wnd.seen.begin(), wnd.seen.end(), static_cast<UINT>(WM_SETTEXT)), wnd.seen.end());
}

TEST(Wnd, UnhookingRestoresTheOriginalProcedureAndStopsDispatch)
{
    HWND raw = ::CreateWindowExA(0, "STATIC", "raw", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(raw, nullptr);
    const LONG_PTR original = ::GetWindowLongPtrA(raw, GWLP_WNDPROC);
    {
        RecordingWnd wnd;
        ASSERT_TRUE(wnd.SubclassWindow(raw));
        EXPECT_EQ(::SendMessageA(raw, kPing, 1, 0), 2);
        EXPECT_FALSE(wnd.SubclassWindow(raw)) << "a window is hooked once";
        // The object goes while its window lives on (a dialog item the dialog owns).
    }
    EXPECT_TRUE(::IsWindow(raw));
    EXPECT_EQ(CWnd::FromHandle(raw), nullptr);
    EXPECT_EQ(::GetWindowLongPtrA(raw, GWLP_WNDPROC), original);
    EXPECT_EQ(::SendMessageA(raw, kPing, 1, 0), 0);
    ::SetWindowTextA(raw, "still works");
    EXPECT_EQ(TextOf(raw), "still works");
    ::DestroyWindow(raw);
}

TEST(Wnd, TheEndOfTheWindowReleasesTheObjectOnce)
{
    RecordingWnd wnd;
    ASSERT_TRUE(wnd.Create("", WS_POPUP, kSmall, nullptr, 0));
    HWND hwnd = wnd;
    EXPECT_TRUE(wnd.DestroyWindow());
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_FALSE(wnd.IsAttached());
    EXPECT_EQ(wnd.postNcDestroyCalls, 1);
    EXPECT_EQ(wnd.handleAtPostNcDestroy, nullptr);
    EXPECT_EQ(CWnd::FromHandle(hwnd), nullptr);
    EXPECT_EQ(wnd.seen.back(), static_cast<UINT>(WM_NCDESTROY));
}

TEST(Wnd, AWindowDestroyedInsideANestedDispatchIsReleasedWhenTheOuterOneReturns)
{
    RecordingWnd wnd;
    ASSERT_TRUE(wnd.Create("", WS_POPUP, kSmall, nullptr, 0));
    // kNest pumps; the pump delivers kDestroyMe, which destroys the window while the
    // kNest handler is still on the stack.
    EXPECT_EQ(wnd.SendMessage(kNest), 1) << "still attached inside the outer handler";
    EXPECT_GE(wnd.deepestDepth, 2);
    EXPECT_FALSE(wnd.IsAttached());
    EXPECT_EQ(wnd.postNcDestroyCalls, 1);
}

// A control whose handler makes its owner let go of it, as a page rebuilt while the
// click on its button runs a modal dialog.
struct ReleaseSeen {
    bool windowGoneInHandler = false;
    bool deleted = false;
};

class ReleasedInItsHandler : public CStatic {
public:
    WndPtr<ReleasedInItsHandler>* owner = nullptr;
    ReleaseSeen* seen = nullptr;
    ~ReleasedInItsHandler() override { seen->deleted = true; }

protected:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg != kPing)
            return CStatic::OnMessage(msg, wParam, lParam);
        HWND hwnd = m_hWnd;
        owner->reset();
        seen->windowGoneInHandler = !::IsWindow(hwnd) && !seen->deleted;
        return Default(); // nothing left to default to, and no harm done
    }
};

TEST(Wnd, AnObjectLetGoInsideItsOwnDispatchLosesItsWindowAtOnceAndGoesWhenTheDispatchReturns)
{
    ReleaseSeen seen;
    auto control = MakeWnd<ReleasedInItsHandler>();
    ASSERT_TRUE(control->Create("", WS_POPUP, kSmall, nullptr, 0));
    control->owner = &control;
    control->seen = &seen;
    HWND hwnd = *control;
    EXPECT_EQ(::SendMessageA(hwnd, kPing, 0, 0), 0);
    EXPECT_TRUE(seen.windowGoneInHandler);
    EXPECT_TRUE(seen.deleted);
    EXPECT_EQ(CWnd::FromHandle(hwnd), nullptr);
}

// Calls back on every message, as a control whose handler makes an owner let go.
class CallingBack : public CStatic {
public:
    std::function<void(UINT)> onMessage = [](UINT) {};

protected:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        onMessage(msg);
        return CStatic::OnMessage(msg, wParam, lParam);
    }
};

// A window object with another inside, as the progress window with its list.
struct Outer : CallingBack {
    CallingBack inner;
    bool* deleted = nullptr;
    ~Outer() override { *deleted = true; }
};

TEST(Wnd, AnObjectLetGoInsideItsMembersDispatchOrItsOwnDestructionGoesOnceAndAfterIt)
{
    bool deleted = false, deletedInHandler = false;
    auto outer = MakeWnd<Outer>();
    outer->deleted = &deleted;
    ASSERT_TRUE(outer->Create("", WS_POPUP, kSmall, nullptr, 0));
    ASSERT_TRUE(outer->inner.Create("", WS_CHILD, kSmall, *outer, 1));
    outer->inner.onMessage = [&](UINT msg) {
        if (msg != kPing)
            return;
        // Copied first: the closure goes with the object, if the object goes.
        bool *wasDeleted = &deleted, *inHandler = &deletedInHandler;
        outer.reset();
        *inHandler = *wasDeleted;
    };
    ::SendMessageA(outer->inner, kPing, 0, 0);
    EXPECT_FALSE(deletedInHandler) << "freed under its member's dispatch";
    EXPECT_TRUE(deleted);

    int destroys = 0;
    outer = MakeWnd<Outer>();
    outer->deleted = &deleted;
    ASSERT_TRUE(outer->Create("", WS_POPUP, kSmall, nullptr, 0));
    outer->onMessage = [&](UINT msg) {
        destroys += msg == WM_DESTROY;
        if (msg == WM_DESTROY)
            outer.reset();
    };
    deleted = false;
    ::DestroyWindow(*outer);
    EXPECT_EQ(destroys, 1) << "let go from its own WM_DESTROY, the window was destroyed twice";
    EXPECT_TRUE(deleted);
}

// Throws from the way into its code that it is told to.
class Throwing : public CStatic {
public:
    enum class Way { Message, Reflected, AfterTheEnd } way = Way::Message;

protected:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (way == Way::Message && msg == kPing)
            throw std::runtime_error("handler");
        return CStatic::OnMessage(msg, wParam, lParam);
    }
    bool OnReflectedCommand(UINT) override
    {
        return way == Way::Reflected ? throw std::runtime_error("reflected") : false;
    }
    void PostNcDestroy() override
    {
        if (way == Way::AfterTheEnd)
            throw std::runtime_error("after the end");
    }
};

struct Noting : CWnd {
    bool* deleted;
    explicit Noting(bool* flag) : deleted(flag) {}
    ~Noting() override { *deleted = true; }
};

TEST(Wnd, AnExceptionFromAnyWayIntoObjectCodeEndsThereAndTheDispatchCountComesBack)
{
    for (Throwing::Way way : {Throwing::Way::Message, Throwing::Way::Reflected, Throwing::Way::AfterTheEnd}) {
        Parent parent;
        ASSERT_TRUE(parent.Create("", WS_POPUP, kSmall, nullptr, 0));
        Throwing child;
        child.way = way;
        ASSERT_TRUE(child.Create("", WS_CHILD, kSmall, parent, 7));
        if (way == Throwing::Way::Message)
            EXPECT_EQ(::SendMessageA(child, kPing, 0, 0), 0);
        else if (way == Throwing::Way::Reflected)
            ::SendMessageA(parent, WM_COMMAND, MAKEWPARAM(7, BN_CLICKED),
                           reinterpret_cast<LPARAM>(child.GetSafeHwnd()));
        else
            child.DestroyWindow();
        // With no dispatch left on the stack, an object let go of goes at once.
        bool deleted = false;
        CWnd::DeleteWhenIdle(new Noting(&deleted));
        EXPECT_TRUE(deleted) << static_cast<int>(way);
    }
}

TEST(Wnd, ObjectsThatOwnTheirWindowDestroyItWithThemselves)
{
    HWND hwnd = nullptr;
    {
        CStatic owned;
        ASSERT_TRUE(owned.Create("", WS_POPUP, kSmall, nullptr, 0));
        hwnd = owned;
    }
    EXPECT_FALSE(::IsWindow(hwnd));
}

TEST(Wnd, ChildNotificationsAreReflectedToTheChildFirst)
{
    Parent parent;
    ASSERT_TRUE(parent.Create("", WS_POPUP, RECT{0, 0, 200, 50}, nullptr, 0));
    ReflectingEdit edit;
    ASSERT_TRUE(edit.Create(WS_CHILD | WS_VISIBLE, RECT{0, 0, 100, 20}, parent, 7));
    edit.SetText("abc");
    EXPECT_GE(edit.updates, 1);
    // EN_UPDATE was taken by the edit; EN_CHANGE was not and reached the parent.
    EXPECT_EQ(std::count(parent.commands.begin(), parent.commands.end(), static_cast<UINT>(EN_UPDATE)), 0);
    EXPECT_GE(std::count(parent.commands.begin(), parent.commands.end(), static_cast<UINT>(EN_CHANGE)), 1);
}

TEST(Wnd, SubclassDlgItemFindsTheChildById)
{
    Parent parent;
    ASSERT_TRUE(parent.Create("", WS_POPUP, RECT{0, 0, 200, 50}, nullptr, 0));
    HWND child = ::CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 10, 10, parent, reinterpret_cast<HMENU>(55),
                                   nullptr, nullptr);
    ASSERT_NE(child, nullptr);
    RecordingWnd wnd;
    EXPECT_FALSE(wnd.SubclassDlgItem(56, parent));
    ASSERT_TRUE(wnd.SubclassDlgItem(55, parent));
    EXPECT_EQ(wnd.GetSafeHwnd(), child);
    // Destroying the parent takes the hooked child with it, cleanly.
    parent.DestroyWindow();
    EXPECT_FALSE(wnd.IsAttached());
    EXPECT_EQ(wnd.postNcDestroyCalls, 1);
}

} // namespace
} // namespace corvale
