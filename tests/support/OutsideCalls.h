#pragma once
// Messages sent to a window of this thread from a thread of their own, as another program
// sends them (a later start, Windows ending the session): each waits in this thread's
// queue until a loop of this thread serves it, and the next is sent once it is answered.

#include "platform/Handle.h"

#include <vector>

namespace corvale::test {

struct SentMessage {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

class OutsideCalls {
public:
    OutsideCalls(HWND window, std::vector<SentMessage> messages)
        : m_window(window), m_messages(std::move(messages)),
          m_thread(::CreateThread(nullptr, 0, SendAll, this, 0, nullptr))
    {
    }
    // Neither copied nor moved (the thread holds this): the destructor alone forbids both.
    ~OutsideCalls() { (void)::WaitForSingleObject(m_thread.Get(), INFINITE); } // each send is bounded

    bool Answered() const { return !m_thread || ::WaitForSingleObject(m_thread.Get(), 0) == WAIT_OBJECT_0; }

    // Returns once a call waits to be served here, or every one has been answered.
    void WaitUntilPending() const
    {
        while (!(HIWORD(::GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) &&
               ::WaitForSingleObject(m_thread.Get(), 1) == WAIT_TIMEOUT) {
        }
    }

    // Serves only the calls sent to this thread until the last is answered: whatever a
    // window posted to itself meanwhile waits. The last answer, 0 for none.
    DWORD_PTR ServeUntilAnswered()
    {
        HANDLE handle = m_thread.Get();
        MSG none{};
        while (handle && ::MsgWaitForMultipleObjects(1, &handle, FALSE, 20000, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1)
            (void)::PeekMessageA(&none, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE); // serves the sent call
        return m_answer;
    }

private:
    static DWORD WINAPI SendAll(void* param)
    {
        auto* calls = static_cast<OutsideCalls*>(param);
        for (const SentMessage& m : calls->m_messages) {
            calls->m_answer = 0;
            (void)::SendMessageTimeoutA(calls->m_window, m.msg, m.wParam, m.lParam, SMTO_NORMAL, 20000,
                                        &calls->m_answer); // no answer leaves 0
        }
        return 0;
    }

    HWND m_window;
    std::vector<SentMessage> m_messages;
    DWORD_PTR m_answer = 0;
    KernelHandle m_thread; // last: the thread reads the members above
};

// One message sent from outside, served here until its answer.
inline DWORD_PTR SendFromOutside(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return OutsideCalls(window, {{msg, wParam, lParam}}).ServeUntilAnswered();
}

} // namespace corvale::test
