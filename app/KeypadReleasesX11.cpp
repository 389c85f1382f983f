#include "app/KeypadReleases.h"

#include <GL/glx.h>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <vector>

// The toolkit looks a key event up with XLookupString under the modifiers
// of that moment. For a keypad key some of them make a keysym with no
// character: Control and Alt turn the operators into video-mode and grab
// keys; Shift, with Num Lock on, turns the digits and the point into the
// cursor keys and Delete (which they are anyway with Num Lock off). The
// toolkit reports those as a special key or not at all, so a keypad
// character pressed without the modifiers and released under them would
// stay held. Every keysym of a keypad key other than its own character is
// bound, for this client only, to that character under every mix of
// modifiers: the keypad's keys then give their own characters whatever is
// held and whatever Num Lock says, on the press as on the release. The game
// reads no special key, so nothing it uses is lost.
//
// The bindings belong to the X connection and end with it; Xlib cannot undo
// them, and a second object on the same connection adds none.

namespace {
// The keypad keysyms that make a character: the digits, the point and the
// four operators.
bool isKeypadCharacter(KeySym keysym)
{
    return (keysym >= XK_KP_0 && keysym <= XK_KP_9) || keysym == XK_KP_Decimal
           || keysym == XK_KP_Add || keysym == XK_KP_Subtract || keysym == XK_KP_Multiply
           || keysym == XK_KP_Divide;
}

// A key of each of the eight modifiers, as the usual layouts place them;
// one that a server's layout does not map adds nothing to a mix.
const KeySym modifierKeys[] = {XK_Shift_L, XK_Caps_Lock, XK_Control_L, XK_Alt_L,
                               XK_Num_Lock, XK_Super_L, XK_ISO_Level3_Shift, XK_Mode_switch};
const int modifierCount = sizeof(modifierKeys) / sizeof(modifierKeys[0]);

// Binds KEYSYM to CHARACTER under every mix of the modifiers. Xlib matches
// a binding against the modifiers the key's own levels leave unused, so
// each mix is bound, not only those that select the keysym.
void bindUnderEveryMix(Display* display, KeySym keysym, char character)
{
    for (int mix = 0; mix < (1 << modifierCount); ++mix) {
        KeySym held[modifierCount];
        int count = 0;
        for (int i = 0; i < modifierCount; ++i) {
            if (mix & (1 << i)) {
                held[count++] = modifierKeys[i];
            }
        }
        const unsigned char text = static_cast<unsigned char>(character);
        XRebindKeysym(display, keysym, held, count, &text, 1);
    }
}

void bindKeypad(Display* display)
{
    int firstKey = 0;
    int lastKey = 0;
    XDisplayKeycodes(display, &firstKey, &lastKey);
    for (int keycode = firstKey; keycode <= lastKey; ++keycode) {
        // The key's keysyms at every level of its first group.
        std::vector<KeySym> levels;
        for (int level = 0; level < 8; ++level) {
            levels.push_back(XkbKeycodeToKeysym(display, static_cast<KeyCode>(keycode), 0, level));
        }
        KeySym own = NoSymbol;
        for (const KeySym keysym : levels) {
            if (isKeypadCharacter(keysym)) {
                own = keysym;
                break;
            }
        }
        if (own == NoSymbol) {
            continue;
        }
        // A keypad keysym's low seven bits are its character.
        const char character = static_cast<char>(own & 0x7f);
        for (const KeySym keysym : levels) {
            if (keysym != NoSymbol && !isKeypadCharacter(keysym)) {
                bindUnderEveryMix(display, keysym, character);
            }
        }
    }
}
}

KeypadReleases::KeypadReleases()
{
    // The toolkit's own connection: its lookups are the ones to change.
    static Display* bound = nullptr;
    Display* display = glXGetCurrentDisplay();
    if (display == nullptr || display == bound) {
        return;
    }
    bindKeypad(display);
    bound = display;
}

KeypadReleases::~KeypadReleases() = default;
