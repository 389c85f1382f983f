#include "app/KeypadReleases.h"

#include "app/WindowSubclassWin32.h"

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

// The keypad's digit or point key behind a cursor or editing key's code,
// or 0. With Num Lock on, Shift makes those keys send the codes of Insert,
// End, Down and so on to Delete, told apart from the keys of those names by
// the extended-key flag, which only the latter set. The toolkit reports such
// a code as a special key, so a digit or the point pressed without Shift
// and released with it would stay held.
WPARAM keypadKeyBehind(WPARAM virtualKey, LPARAM lParam)
{
    if (lParam & (1 << 24)) {
        return 0;
    }
    switch (virtualKey) {
    case VK_INSERT: return VK_NUMPAD0;
    case VK_END: return VK_NUMPAD1;
    case VK_DOWN: return VK_NUMPAD2;
    case VK_NEXT: return VK_NUMPAD3;
    case VK_LEFT: return VK_NUMPAD4;
    case VK_CLEAR: return VK_NUMPAD5;
    case VK_RIGHT: return VK_NUMPAD6;
    case VK_HOME: return VK_NUMPAD7;
    case VK_UP: return VK_NUMPAD8;
    case VK_PRIOR: return VK_NUMPAD9;
    case VK_DELETE: return VK_DECIMAL;
    default: return 0;
    }
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

// The subclass that looks the keypad's releases up as their presses were.
struct KeypadReleases::Watch {
    WindowSubclass subclass{&Watch::handle, this};

    static LRESULT handle(void* data, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

LRESULT KeypadReleases::Watch::handle(void*, HWND window, UINT message, WPARAM wParam,
                                      LPARAM lParam)
{
    BYTE held[256];
    const bool release = message == WM_KEYUP || message == WM_SYSKEYUP;
    const WPARAM keypadKey = release ? keypadKeyBehind(wParam, lParam) : 0;
    if (keypadKey != 0) {
        // Released as the keypad key it is.
        wParam = keypadKey;
    }
    if (release && onKeypad(wParam) && GetKeyboardState(held)) {
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
    return DefSubclassProc(window, message, wParam, lParam);
}

KeypadReleases::KeypadReleases() : watch(new Watch())
{
    if (!watch->subclass.installed()) {
        delete watch;
        watch = nullptr;
    }
}

KeypadReleases::~KeypadReleases()
{
    delete watch;
}
