#include "app/KeyboardLayout.h"

#include <GL/glx.h>
#include <X11/Xlib.h>

KeyboardLayout KeyboardLayout::ofCurrentDisplay()
{
    Display* display = glXGetCurrentDisplay();
    if (display == nullptr) {
        return KeyboardLayout();
    }
    int firstKey = 0;
    int lastKey = 0;
    XDisplayKeycodes(display, &firstKey, &lastKey);
    int perKey = 0;
    KeySym* table = XGetKeyboardMapping(display, static_cast<KeyCode>(firstKey),
                                        lastKey - firstKey + 1, &perKey);
    if (table == nullptr) {
        return KeyboardLayout();
    }
    const std::vector<unsigned long> keysyms(table, table + (lastKey - firstKey + 1) * perKey);
    XFree(table);
    return fromKeysyms(keysyms, perKey);
}
