#ifndef ZARVY_APP_KEYBOARDLAYOUT_H
#define ZARVY_APP_KEYBOARDLAYOUT_H

#include <bitset>
#include <vector>

// Which character codes the keyboard callbacks can report for one physical
// key: each of its levels (plain, Shift, AltGr), the other case of a letter
// (Caps Lock) and what Control makes of each. The toolkit reports a release
// as the character that the modifiers held at that moment make, so a key
// pressed as 'a' may be released as 'A'; this tells the two belong together.
class KeyboardLayout {
public:
    // The US layout, used where the display's own mapping cannot be read.
    KeyboardLayout();
    virtual ~KeyboardLayout() = default;

    // A layout from a table of X keysyms: `perKey` entries for each key in
    // turn, 0 where a key has nothing at that level.
    static KeyboardLayout fromKeysyms(const std::vector<unsigned long>& keysyms, int perKey);
    // The mapping of the X display that the current GL context draws on; the
    // US layout when there is no such display.
    static KeyboardLayout ofCurrentDisplay();

    // True when one key can produce both codes; every code shares its own.
    bool sameKey(unsigned char a, unsigned char b) const { return partners[a][b]; }

private:
    void addKey(const unsigned long* keysyms, int count);

    std::bitset<256> partners[256] = {};
};

#endif
