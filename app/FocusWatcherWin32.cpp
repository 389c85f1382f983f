#include "app/FocusWatcher.h"

#include <windows.h>
#include <commctrl.h>

namespace {
// True when the message takes the keyboard away from the window. A move to
// one of its own child windows keeps the keys coming here.
bool losesFocus(HWND window, UINT message, WPARAM wParam)
{
    if (message == WM_KILLFOCUS) {
        const HWND next = reinterpret_cast<HWND>(wParam);
        return next == nullptr || !IsChild(window, next);
    }
    if (message == WM_ACTIVATE) {
        return LOWORD(wParam) == WA_INACTIVE;
    }
    if (message == WM_ACTIVATEAPP) {
        return wParam == FALSE;
    }
    return false;
}
}

// The watched window and whether it lost the focus since the last poll. The
// window procedure is subclassed through comctl32, which chains the
// toolkit's procedure and any other subclass in order and lets each one be
// removed on its own, so the toolkit handles every message as before.
struct FocusWatcher::Watch {
    HWND window = nullptr;
    bool lost = false;

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR data);
};

LRESULT CALLBACK FocusWatcher::Watch::procedure(HWND window, UINT message, WPARAM wParam,
                                                LPARAM lParam, UINT_PTR id, DWORD_PTR data)
{
    Watch* watch = reinterpret_cast<Watch*>(data);
    if (losesFocus(window, message, wParam)) {
        watch->lost = true;
    }
    if (message == WM_NCDESTROY) {
        // The window goes away before the watcher: nothing is left to undo.
        RemoveWindowSubclass(window, procedure, id);
        watch->window = nullptr;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

FocusWatcher::FocusWatcher()
{
    const HDC deviceContext = wglGetCurrentDC();
    const HWND window = deviceContext != nullptr ? WindowFromDC(deviceContext) : nullptr;
    if (window == nullptr) {
        return;
    }
    watch = new Watch();
    watch->window = window;
    // The watch's address tells the subclasses of several watchers apart.
    if (!SetWindowSubclass(window, Watch::procedure, reinterpret_cast<UINT_PTR>(watch),
                           reinterpret_cast<DWORD_PTR>(watch))) {
        delete watch;
        watch = nullptr;
    }
}

FocusWatcher::~FocusWatcher()
{
    if (watch != nullptr) {
        if (watch->window != nullptr) {
            RemoveWindowSubclass(watch->window, Watch::procedure,
                                 reinterpret_cast<UINT_PTR>(watch));
        }
        delete watch;
    }
}

bool FocusWatcher::focusLost()
{
    if (watch == nullptr) {
        return false;
    }
    // The messages arrive through the toolkit's own message loop (or at
    // once, for a focus change made on this thread); this only reads them.
    const bool lost = watch->lost;
    watch->lost = false;
    return lost;
}
