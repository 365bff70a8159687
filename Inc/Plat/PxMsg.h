// POSIX build: thread message queues and thread timers. Included only through qzplat.h.
//
// There are no windows here: messages go to threads. A thread gets its message queue at its
// first call of GetMessageA, PeekMessageA, SetTimer or KillTimer, as on Windows; until then,
// and after the thread has ended, posting to it fails with ERROR_INVALID_THREAD_ID (1444).
// Queues are found by the thread id of GetCurrentThreadId and are removed when their thread
// ends. A queue holds at most 10000 posted messages; a post beyond that fails with
// ERROR_NOT_ENOUGH_QUOTA (1816), as Windows limits each queue.
//
// Thread timers (SetTimer without a window) belong to the thread that set them. WM_TIMER is not
// posted: like on Windows it is produced when the thread asks for a message, no posted message
// is waiting and a timer is due, so a timer never piles up more than one WM_TIMER and a killed
// timer delivers nothing more. Posted messages come first, in the order they were posted.
#pragma once

#include "PxTypes.h"

typedef struct tagMSG {
    HWND hwnd;      // always null here
    UINT message;
    WPARAM wParam;  // WM_TIMER: the timer id
    LPARAM lParam;
    DWORD time;     // GetTickCount at the post (or when the WM_TIMER was produced)
} MSG, *LPMSG;

typedef void(CALLBACK *TIMERPROC)(HWND, UINT, UINT_PTR, DWORD);

#define WM_QUIT 0x0012u
#define WM_TIMER 0x0113u
#define WM_USER 0x0400u
#define WM_APP 0x8000u

#define PM_NOREMOVE 0x0000u
#define PM_REMOVE 0x0001u

#define USER_TIMER_MINIMUM 0x0000000Au
#define USER_TIMER_MAXIMUM 0x7FFFFFFFu

#ifndef ERROR_INVALID_WINDOW_HANDLE
#define ERROR_INVALID_WINDOW_HANDLE 1400L
#endif
#ifndef ERROR_NOT_ENOUGH_QUOTA
#define ERROR_NOT_ENOUGH_QUOTA 1816L
#endif

// Appends a message to the queue of thread `threadId`. FALSE with 1444 when that thread has no
// queue (not created yet, or the thread has ended), with 1816 when its queue is full.
BOOL PostThreadMessageA(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam);

// Waits for the first message of the calling thread's queue whose number lies in
// [filterMin, filterMax] (both 0: any message) and removes it. Returns 0 for WM_QUIT, a
// positive value for any other message, -1 with 87 for a null `msg` and with 1400 for a
// window other than null.
BOOL GetMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax);

// As GetMessageA without waiting: TRUE with the message (removed with PM_REMOVE, left with
// PM_NOREMOVE) when one is available, FALSE otherwise. Commonly used only to create the queue.
BOOL PeekMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags);

// Thread timers only: hwnd must be null and proc null (WM_TIMER is taken from the queue).
// With `id` naming a timer of the calling thread, that timer gets the new period and is
// restarted and its id returned; otherwise a new timer with a new, non-zero id is made. The
// period is clamped to [USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM] milliseconds. 0 on failure
// (87 for a window or a procedure).
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT ms, TIMERPROC proc);

// Removes a timer of the calling thread. FALSE with 87 for an id that is not one of them.
BOOL KillTimer(HWND hwnd, UINT_PTR id);
