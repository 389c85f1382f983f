#include "app/KeyboardLayout.h"

#include <windows.h>

namespace {
// The modifier states a release can come under: every mix of Shift, Caps
// Lock, Control and Alt (Control with Alt is AltGr). Num Lock stays on, so
// the keypad reports its digits.
const int modifierStates = 16;

// ToUnicodeEx leaves the keyboard's dead-key state alone with this flag on
// Windows 10 1607 and later; older systems ignore it.
const UINT keepKeyboardState = 0x4;

// The key state array for one of the modifier states, numbered by bits:
// 1 Shift, 2 Caps Lock, 4 Control, 8 Alt.
void fillKeyState(BYTE* keyState, int state)
{
    ZeroMemory(keyState, 256);
    const BYTE down = 0x80;
    const BYTE toggledOn = 0x01;
    if ((state & 1) != 0) {
        keyState[VK_SHIFT] = keyState[VK_LSHIFT] = down;
    }
    if ((state & 2) != 0) {
        keyState[VK_CAPITAL] = toggledOn;
    }
    if ((state & 4) != 0) {
        keyState[VK_CONTROL] = keyState[VK_LCONTROL] = down;
    }
    if ((state & 8) != 0) {
        // Right Alt: with Control this is the AltGr of the layouts that have one.
        keyState[VK_MENU] = keyState[VK_RMENU] = down;
    }
    keyState[VK_NUMLOCK] = toggledOn;
}

// The one character that the key makes in the given key state, -1 for none
// (a dead key or a key that makes several). A dead key's first translation
// is stored in the keyboard state when the flag is ignored; the second
// translation of the same key uses it up, so the keyboard is as before.
int characterOf(UINT virtualKey, const BYTE* keyState, HKL layout)
{
    const UINT scanCode = MapVirtualKeyExW(virtualKey, MAPVK_VK_TO_VSC, layout);
    WCHAR text[8] = {};
    const int count = ToUnicodeEx(virtualKey, scanCode, keyState, text, 8, keepKeyboardState,
                                  layout);
    if (count < 0) {
        ToUnicodeEx(virtualKey, scanCode, keyState, text, 8, keepKeyboardState, layout);
        return -1;
    }
    return count == 1 ? text[0] : -1;
}

// The code the toolkit reports for a character: the byte of the layout's
// ANSI code page, as in the window's WM_CHAR messages. -1 for a character
// the code page does not hold.
int reportedCode(int character, UINT codePage)
{
    const WCHAR wide = static_cast<WCHAR>(character);
    char narrow[4] = {};
    BOOL replaced = FALSE;
    const int length = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, &wide, 1, narrow,
                                           sizeof(narrow), nullptr, &replaced);
    if (length != 1 || replaced) {
        return -1;
    }
    return static_cast<unsigned char>(narrow[0]);
}

// The ANSI code page of the layout's language.
UINT codePageOf(HKL layout)
{
    DWORD codePage = 0;
    const LCID language = MAKELCID(LOWORD(reinterpret_cast<ULONG_PTR>(layout)), SORT_DEFAULT);
    if (GetLocaleInfoW(language, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                       reinterpret_cast<LPWSTR>(&codePage), sizeof(codePage) / sizeof(WCHAR)) == 0
        || codePage == 0) {
        return CP_ACP;
    }
    return codePage;
}

// The keypad's virtual-key codes are the codes of ` and the letters a to o;
// reported for a keypad key, they would tie those letters to the keypad's
// digits and so to the digit keys. Such a release is not counted.
bool onKeypad(UINT virtualKey)
{
    return virtualKey >= VK_NUMPAD0 && virtualKey <= VK_DIVIDE;
}
}

KeyboardLayout KeyboardLayout::ofCurrentDisplay()
{
    const HDC deviceContext = wglGetCurrentDC();
    const HWND window = deviceContext != nullptr ? WindowFromDC(deviceContext) : nullptr;
    if (window == nullptr) {
        return KeyboardLayout();
    }
    const HKL layout = GetKeyboardLayout(GetWindowThreadProcessId(window, nullptr));
    if (layout == nullptr) {
        return KeyboardLayout();
    }
    const UINT codePage = codePageOf(layout);
    // One row per virtual key: what it reports in each modifier state, then
    // the key code itself. The toolkit turns a release into a character with
    // the keyboard state of that moment and, where that makes none (Control
    // with the period key, say), reports the virtual-key code instead.
    const int perKey = modifierStates + 1;
    std::vector<int> codes;
    bool anyCharacter = false;
    BYTE keyState[256];
    for (UINT virtualKey = 1; virtualKey < 0xff; ++virtualKey) {
        std::vector<int> row(perKey, -1);
        bool makesCharacter = false;
        bool makesNothingSomewhere = false;
        for (int state = 0; state < modifierStates; ++state) {
            fillKeyState(keyState, state);
            keyState[virtualKey] |= 0x80;
            const int character = characterOf(virtualKey, keyState, layout);
            if (character >= 0) {
                row[state] = reportedCode(character, codePage);
                makesCharacter = true;
            } else {
                makesNothingSomewhere = true;
            }
        }
        if (!makesCharacter) {
            // A special key (the toolkit reports it by its own code) or a key
            // the layout does not use.
            continue;
        }
        if (makesNothingSomewhere && !onKeypad(virtualKey)) {
            row[modifierStates] = static_cast<int>(virtualKey);
        }
        codes.insert(codes.end(), row.begin(), row.end());
        anyCharacter = true;
    }
    if (!anyCharacter) {
        return KeyboardLayout();
    }
    return fromCodes(codes, perKey);
}
