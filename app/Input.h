#ifndef ZARVY_APP_INPUT_H
#define ZARVY_APP_INPUT_H

#include "app/KeyboardLayout.h"

// The table of held keys that the keyboard callbacks keep and the tick polls.
// One flag per character code as the toolkit reports it (so a press of 'W'
// does not hold 'w') and one per special key code; special codes outside
// 0..255 are ignored. All flags start up.
//
// A release lets go of every character its physical key can produce, as the
// keyboard layout says: the toolkit reports a release under the modifiers
// held at that moment, so a key pressed as 'a' and released after Shift went
// down arrives as 'A'. Without this the 'a' flag would stay set for good.
class Input {
public:
    Input() = default;
    virtual ~Input() = default;

    bool isKeyDown(unsigned char key) const { return keys[key]; }
    void keyDown(unsigned char key, int x, int y);
    // Clears the flag of the key and of every code that shares its key.
    void keyUp(unsigned char key, int x, int y);
    void specialKeyDown(int key, int x, int y);
    void specialKeyUp(int key, int x, int y);
    // Every key counts as let go: the keyboard went to another window, which
    // gets the releases.
    void releaseAll();
    // The layout that tells which codes share a key; the US layout until set.
    void setLayout(const KeyboardLayout& newLayout) { layout = newLayout; }

private:
    KeyboardLayout layout;
    bool keys[256] = {};
    bool specialKeys[256] = {};
};

#endif
