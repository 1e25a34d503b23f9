#pragma once
// The framework's message pump: every message is offered to the pre-translation of its
// window and that window's ancestors (tooltip relay, dialog keyboard handling) before it
// is translated and dispatched.

#include <windows.h>

namespace corvale {

// Offers the message to the CWnd objects from its window outwards; true when handled.
bool PreTranslateMessage(MSG& msg);

// Takes one message off the queue (waiting for one) and handles it in full. Returns
// false on WM_QUIT, which it posts again so that outer loops see it too.
bool PumpMessage();

// Handles every message waiting in this thread's queue, then returns.
void PumpPendingMessages();

} // namespace corvale
