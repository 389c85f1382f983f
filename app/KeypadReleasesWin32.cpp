#include "app/KeypadReleases.h"

#include <windows.h>
#include <commctrl.h>

namespace {
// Shift, Control and Alt, of either side.
const int modifierKeys[] = {VK_SHIFT, VK_LSHIFT, VK_RSHIFT, VK_CONTROL, VK_LCONTROL,
                            VK_RCONTROL, VK_MENU, VK_LMENU, VK_RMENU};

// The keypad's character keys while Num Lock is on: its digits, point and
// the four operators.
bool onKeypad(WPARAM virtualKey)
{
    return virtualKey >= VK_NUMPAD0 && virtualKey <= VK_DIVIDE;
}

// The keyboard state under which a keypad key makes its own character:
// Shift, Control and Alt up, Num Lock on. A keypad key's press makes that
// character or none at all (under Control), so its release is looked up as
// its press was.
void makeKeypadState(BYTE* keyState)
{
    for (int modifier : modifierKeys) {
        keyState[modifier] &= static_cast<BYTE>(~0x80);
    }
    keyState[VK_NUMLOCK] |= 0x01;
}
}

// The window and its subclass, chained through comctl32 as the focus
// watcher's is, so the toolkit handles every message as before.
struct KeypadReleases::Watch {
    HWND window = nullptr;

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR data);
};

LRESULT CALLBACK KeypadReleases::Watch::procedure(HWND window, UINT message, WPARAM wParam,
                                                  LPARAM lParam, UINT_PTR id, DWORD_PTR data)
{
    Watch* watch = reinterpret_cast<Watch*>(data);
    BYTE held[256];
    if ((message == WM_KEYUP || message == WM_SYSKEYUP) && onKeypad(wParam)
        && GetKeyboardState(held)) {
        // The toolkit reads the thread's keyboard state while it handles the
        // release; the modifiers held are given back before anything else
        // runs on this thread.
        BYTE keypad[256];
        CopyMemory(keypad, held, sizeof(keypad));
        makeKeypadState(keypad);
        SetKeyboardState(keypad);
            const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
        SetKeyboardState(held);
        return result;
    }
    if (message == WM_NCDESTROY) {
        // The window goes away first: nothing is left to undo.
        RemoveWindowSubclass(window, procedure, id);
        watch->window = nullptr;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

KeypadReleases::KeypadReleases()
{
    const HDC deviceContext = wglGetCurrentDC();
    const HWND window = deviceContext != nullptr ? WindowFromDC(deviceContext) : nullptr;
    if (window == nullptr) {
        return;
    }
    watch = new Watch();
    watch->window = window;
    // The watch's address tells the subclasses of several objects apart.
    if (!SetWindowSubclass(window, Watch::procedure, reinterpret_cast<UINT_PTR>(watch),
                           reinterpret_cast<DWORD_PTR>(watch))) {
        delete watch;
        watch = nullptr;
    }
}

KeypadReleases::~KeypadReleases()
{
    if (watch != nullptr) {
        if (watch->window != nullptr) {
            RemoveWindowSubclass(watch->window, Watch::procedure,
                                 reinterpret_cast<UINT_PTR>(watch));
        }
        delete watch;
    }
}
