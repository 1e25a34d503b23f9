// Dialogs from the program's own templates: modal loop, modeless lifetime, data
// exchange, and the keyboard handling that the pump gives modeless dialogs.
#include "platform/Controls.h"
#include "platform/Dialog.h"
#include "platform/MessagePump.h"

#include "resource.h"

#include <gtest/gtest.h>

namespace corvale {
namespace {

constexpr UINT kEndWith = WM_APP + 10;
constexpr UINT kPumpThenEnd = WM_APP + 11;
constexpr UINT kQuit = WM_APP + 12;
constexpr UINT kRunInner = WM_APP + 13;

class TestDialog : public CDialog {
public:
    using CDialog::CDialog;
    CListBox list;
    int initCalls = 0;
    int cancelCalls = 0;
    int okCalls = 0;
    bool ownerDisabledInside = false;
    HWND owner = nullptr;

protected:
    void DoDataExchange() override { DdxControl(IDC_PROGRESS_LIST, list); }
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        ++initCalls;
        return TRUE;
    }
    void OnCancel() override
    {
        ++cancelCalls;
        CDialog::OnCancel();
    }
    void OnOK() override
    {
        ++okCalls;
        CDialog::OnOK();
    }
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        switch (msg) {
        case kEndWith:
            ownerDisabledInside = owner && !::IsWindowEnabled(owner);
            EndDialog(static_cast<INT_PTR>(wParam));
            return 0;
        case kPumpThenEnd:
            // The run pumps like this between its steps; the dialog must survive it.
            PostMessage(kEndWith, 7);
            PumpPendingMessages();
            return 0;
        case kQuit:
            ownerDisabledInside = owner && !::IsWindowEnabled(owner);
            ::PostQuitMessage(static_cast<int>(wParam));
            return 0;
        default: return CDialog::OnMessage(msg, wParam, lParam);
        }
    }
};

class ModalEnder : public TestDialog {
public:
    using TestDialog::TestDialog;
    UINT firstMessage = kEndWith;

protected:
    BOOL OnInitDialog() override
    {
        TestDialog::OnInitDialog();
        PostMessage(firstMessage, 42);
        return TRUE;
    }
};

TEST(Dialog, ModalRunReturnsTheEndCodeAndReenablesTheOwner)
{
    CStatic owner;
    ASSERT_TRUE(owner.Create("", WS_POPUP, RECT{0, 0, 10, 10}, nullptr, 0));
    ModalEnder dialog(IDD_PROGRESS, owner);
    dialog.owner = owner;
    EXPECT_EQ(dialog.DoModal(), 42);
    EXPECT_EQ(dialog.initCalls, 1);
    EXPECT_TRUE(dialog.ownerDisabledInside);
    EXPECT_TRUE(::IsWindowEnabled(owner));
    EXPECT_FALSE(dialog.IsAttached()) << "a modal dialog's window ends with its run";
    EXPECT_FALSE(dialog.list.IsAttached()) << "its controls go with it";
}

TEST(Dialog, ModalRunSurvivesAHandlerThatPumpsAndEndsInside)
{
    ModalEnder dialog(IDD_PROGRESS);
    dialog.firstMessage = kPumpThenEnd;
    EXPECT_EQ(dialog.DoModal(), 7);
}

TEST(Dialog, QuitEndsTheModalRunAndStaysQueuedForTheOuterLoop)
{
    CStatic owner;
    ASSERT_TRUE(owner.Create("", WS_POPUP, RECT{0, 0, 10, 10}, nullptr, 0));
    ModalEnder dialog(IDD_PROGRESS, owner);
    dialog.owner = owner;
    dialog.firstMessage = kQuit;
    EXPECT_EQ(dialog.DoModal(), -1);
    EXPECT_TRUE(dialog.ownerDisabledInside);
    EXPECT_TRUE(::IsWindowEnabled(owner));
    EXPECT_FALSE(dialog.IsAttached());
    MSG quit{};
    ASSERT_TRUE(::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 42u);
}

// Runs a second modal dialog from inside its own run; the inner one ends both.
class NestingDialog : public TestDialog {
public:
    using TestDialog::TestDialog;
    INT_PTR innerResult = 0;
    bool disabledDuringInner = false;
    bool enabledAfterInner = false;

protected:
    BOOL OnInitDialog() override
    {
        TestDialog::OnInitDialog();
        PostMessage(kRunInner);
        return TRUE;
    }
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg != kRunInner)
            return TestDialog::OnMessage(msg, wParam, lParam);
        Inner inner(IDD_PROGRESS, *this);
        inner.outer = this;
        innerResult = inner.DoModal();
        disabledDuringInner = inner.outerDisabled;
        enabledAfterInner = ::IsWindowEnabled(*this) != FALSE;
        return 0;
    }

private:
    class Inner : public ModalEnder {
    public:
        using ModalEnder::ModalEnder;
        NestingDialog* outer = nullptr;
        bool outerDisabled = false;

    protected:
        LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
        {
            if (msg == kEndWith) {
                outerDisabled = !::IsWindowEnabled(*outer);
                // The outer run cannot end before this one returns to it.
                outer->EndDialog(5);
            }
            return ModalEnder::OnMessage(msg, wParam, lParam);
        }
    };
};

TEST(Dialog, EndDialogFromANestedModalRunEndsTheOuterOneWhenItReturns)
{
    CStatic owner;
    ASSERT_TRUE(owner.Create("", WS_POPUP, RECT{0, 0, 10, 10}, nullptr, 0));
    NestingDialog dialog(IDD_PROGRESS, owner);
    EXPECT_EQ(dialog.DoModal(), 5);
    EXPECT_EQ(dialog.innerResult, 42);
    EXPECT_TRUE(dialog.disabledDuringInner);
    EXPECT_TRUE(dialog.enabledAfterInner);
    EXPECT_TRUE(::IsWindowEnabled(owner));
    EXPECT_FALSE(dialog.IsAttached());
}

TEST(Dialog, ModalRunDisablesTheTopLevelWindowOfAChildParent)
{
    CStatic owner;
    ASSERT_TRUE(owner.Create("", WS_POPUP, RECT{0, 0, 100, 100}, nullptr, 0));
    CStatic child;
    ASSERT_TRUE(child.Create("", WS_CHILD | WS_VISIBLE, RECT{0, 0, 50, 50}, owner, 1));
    ModalEnder dialog(IDD_PROGRESS, child);
    dialog.owner = owner;
    EXPECT_EQ(dialog.DoModal(), 42);
    EXPECT_TRUE(dialog.ownerDisabledInside) << "the window the user could click stayed enabled";
    EXPECT_TRUE(::IsWindowEnabled(owner));
    EXPECT_TRUE(::IsWindowEnabled(child));
}

TEST(Dialog, ModelessDialogHidesOnCancelAndLivesOnUntilDestroyed)
{
    TestDialog dialog(IDD_PROGRESS);
    ASSERT_TRUE(dialog.Create(nullptr));
    EXPECT_EQ(dialog.initCalls, 1);
    ASSERT_TRUE(dialog.list.IsAttached());
    EXPECT_EQ(dialog.list.GetSafeHwnd(), dialog.GetDlgItem(IDC_PROGRESS_LIST));
    dialog.ShowWindow(SW_SHOW);
    EXPECT_TRUE(::IsWindowVisible(dialog));

    dialog.list.AddString("line");
    // Escape on the list box reaches the dialog only through the pump's dialog handling.
    dialog.list.PostMessage(WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PumpPendingMessages();
    EXPECT_EQ(dialog.cancelCalls, 1);
    EXPECT_FALSE(::IsWindowVisible(dialog));
    ASSERT_TRUE(::IsWindow(dialog));
    EXPECT_EQ(dialog.list.GetCount(), 1) << "a hidden modeless dialog keeps its content";

    HWND hwnd = dialog;
    dialog.DestroyWindow();
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_FALSE(dialog.IsAttached());
}

TEST(Dialog, DestroyingTheObjectDestroysItsModelessWindow)
{
    HWND hwnd = nullptr;
    {
        TestDialog dialog(IDD_PROGRESS);
        ASSERT_TRUE(dialog.Create(nullptr));
        hwnd = dialog;
    }
    EXPECT_FALSE(::IsWindow(hwnd));
}

TEST(Dialog, CloseMessageEndsInCancel)
{
    TestDialog dialog(IDD_PROGRESS);
    ASSERT_TRUE(dialog.Create(nullptr));
    dialog.PostMessage(WM_CLOSE);
    PumpPendingMessages();
    EXPECT_EQ(dialog.cancelCalls, 1);
}

TEST(Dialog, MissingTemplateFailsCleanly)
{
    TestDialog modal(4242);
    EXPECT_EQ(modal.DoModal(), -1);
    TestDialog modeless(4242);
    EXPECT_FALSE(modeless.Create(nullptr));
    EXPECT_EQ(modeless.initCalls, 0);
}

} // namespace
} // namespace corvale
