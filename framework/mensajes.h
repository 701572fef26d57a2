// The user-interface thread's queue. Work posted from any thread runs on the
// user-interface thread, in order, when the host pumps the queue. Window
// messages (PostMessage) travel through it.
#pragma once

#include <functional>

#include "framework/afx.h"

// Marks the calling thread as the user-interface thread (the host does this
// once at start-up; the first thread to use the framework is taken otherwise).
void AfxSetUiThread();
bool AfxIsUiThread();

// Queues fn to run on the user-interface thread; never waits.
void AfxPostToUi(std::function<void()> fn);

// Runs fn on the user-interface thread and waits until it has run. On that
// thread it runs at once. The request is served both by the host's pump and
// by a user-interface thread that is blocked in a framework wait, so a
// worker that asks while the user-interface thread waits for it does not
// deadlock. Meant for short modal interactions (a message box).
void AfxSendToUi(const std::function<void()>& fn);

// Runs, on the user-interface thread, everything queued so far (blocking
// requests first). Returns the number of items run.
int AfxPumpMessages();

// Serves the blocking requests only (used by framework waits).
int AfxServeBlockingRequests();

// Whether anything waits in the queue (posted work or a blocking request).
bool AfxHayTrabajo();

// Waits on the user-interface thread until pred() holds, serving blocking
// requests meanwhile; other threads wake it with AfxNotifyWaiters().
void AfxUiWait(const std::function<bool()>& pred);
void AfxNotifyWaiters();
