#pragma once
// Window messages with the class library's names. An HWND names a window
// object: a message procedure with a context, owned by the thread that made
// it. SendMessage calls the procedure at once, on the caller's thread;
// PostMessage queues the message to the owning thread, whose pump
// (PeekMessage/GetMessage and DispatchMessage, or CWinThread::PumpMessage)
// later hands it to the procedure. Timers belong to a thread too: a due
// timer shows up in its pump as WM_TIMER.
//
// Threads: every thread has its own message queue, made on first use and
// dropped when the thread ends. PostMessage, PostThreadMessage,
// SendMessage, IsWindow, GetWindowThreadProcessId and DestroyWindow may be
// called from any thread; a posted message is handed to the procedure only
// on the window's owning thread, by that thread's pump. SendMessage runs the
// procedure on the calling thread, so a procedure that may be sent messages
// from other threads must guard its own context. PeekMessage, GetMessage
// and DispatchMessage work on the calling thread's own queue. A window
// procedure's exceptions pass through SendMessage and DispatchMessage to
// their caller. Failures of the system's locks throw CResourceException;
// running out of memory throws CMemoryException, except in the calls that
// answer failure with their result: posting answers FALSE as for a full
// queue, SetTimer 0 and MsgWaitForDescriptors -1 with errno ENOMEM.
#include <cstdint>

#include "platform/platform_export.h"
#include "platform/types.h"

struct HWND__;
typedef HWND__* HWND;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef uintptr_t UINT_PTR;

#define MAKELPARAM(lo, hi) ((LPARAM)(DWORD)MAKELONG(lo, hi))

// Message numbers used by the libraries.
const UINT WM_NULL = 0x0000;
const UINT WM_QUIT = 0x0012;
const UINT WM_TIMER = 0x0113;
const UINT WM_USER = 0x0400;
// Progress-bar control messages.
const UINT PBM_SETRANGE = WM_USER + 1;  // lParam: MAKELPARAM(min, max)
const UINT PBM_SETPOS = WM_USER + 2;    // wParam: new position
const UINT PBM_DELTAPOS = WM_USER + 3;  // wParam: advance
const UINT PBM_SETSTEP = WM_USER + 4;   // wParam: step

// PeekMessage's removal flags.
const UINT PM_NOREMOVE = 0x0000;
const UINT PM_REMOVE = 0x0001;

// Messages a thread's queue holds at most; PostMessage fails beyond it, so a
// producer that outruns the consumer cannot exhaust memory.
const unsigned kMessageQueueLimit = 10000;

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
};

typedef LRESULT (*WNDPROC)(HWND window, UINT message, WPARAM wParam, LPARAM lParam, void* context);
// Called by DispatchMessage for the WM_TIMER of a timer made with a procedure.
typedef void (*TIMERPROC)(HWND window, UINT message, UINT_PTR id, DWORD time);

// Shortest and longest timer periods; SetTimer clamps to them.
const UINT USER_TIMER_MINIMUM = 10;
const UINT USER_TIMER_MAXIMUM = 0x7FFFFFFF;

// A new window object owned by the calling thread; proc receives context
// with every message.
PLATFORM_API HWND CreateMessageWindow(WNDPROC proc, void* context);
// Ends a window; messages still queued for it are dropped. FALSE when the
// handle names no window.
PLATFORM_API BOOL DestroyWindow(HWND window);
PLATFORM_API BOOL IsWindow(HWND window);
// The identifier of the thread that owns the window, 0 for no window.
PLATFORM_API DWORD GetWindowThreadProcessId(HWND window, DWORD* processId = nullptr);

// Calls the window's procedure now and returns its result (0 for no window).
PLATFORM_API LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Queues the message to the window's owning thread. FALSE when the handle
// names no window or that queue is full.
PLATFORM_API BOOL PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Queues a message with no window to a thread (e.g. WM_QUIT).
PLATFORM_API BOOL PostThreadMessage(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam);
// Posts WM_QUIT to the calling thread.
PLATFORM_API void PostQuitMessage(int exitCode);

// Looks at the calling thread's queue without waiting: the first message for
// window (any window when null, thread messages too) whose number lies in
// [filterMin, filterMax] (both 0: any). TRUE and *msg filled when there is
// one; with PM_REMOVE it leaves the queue.
PLATFORM_API BOOL PeekMessage(MSG* msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags);
// Waits for such a message and removes it; returns FALSE (0) for WM_QUIT,
// TRUE otherwise.
PLATFORM_API BOOL GetMessage(MSG* msg, HWND window, UINT filterMin, UINT filterMax);
// Hands a message to its window's procedure; 0 for a thread message or a
// window that is gone.
PLATFORM_API LRESULT DispatchMessage(const MSG* msg);

// Starts or restarts a periodic timer of the calling thread. For a window
// (which the calling thread must own) the timer is known by (window, id) and
// the result is id (1 for id 0); with no window a thread timer is made, or
// the one named id restarted, and its id is the result. 0 on failure.
// Every elapse milliseconds a WM_TIMER (wParam the id, lParam the procedure)
// becomes due; it is made when the pump looks for a message and finds no
// posted one, and never more than one is pending per timer. DispatchMessage
// calls proc for it when there is one, else the window's procedure.
PLATFORM_API UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc);
// Ends a timer of the calling thread; no WM_TIMER of it follows. FALSE when
// there is no such timer.
PLATFORM_API BOOL KillTimer(HWND window, UINT_PTR id);

// Descriptors one MsgWaitForDescriptors call watches at most.
const unsigned kMsgWaitMaxDescriptors = 16;

// Waits until one of the descriptors (at most kMsgWaitMaxDescriptors) is ready (poll's events and revents),
// a message or a due timer waits in the calling thread's queue, or
// timeoutMs passes (negative: no limit). A signal that interrupts the wait
// counts as a wake-up. Returns how many descriptors have revents set (0
// when woken for another reason), or -1 with errno when poll fails. A
// blocking loop calls it between pumping the queue and testing its own
// conditions, so that the thread's messages keep flowing while it waits.
// A message posted after the previous wait ended, even while the caller
// was pumping, ends this wait at once.
struct pollfd;
PLATFORM_API int MsgWaitForDescriptors(struct pollfd* fds, unsigned count, int timeoutMs);
