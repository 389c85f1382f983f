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
