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
    // The US layout, used where the system's own mapping cannot be read.
    KeyboardLayout();
    virtual ~KeyboardLayout() = default;

    // A layout from a table of X keysyms: `perKey` entries for each key in
    // turn, 0 where a key has nothing at that level. The other case of a
    // letter and the Control codes are derived as Xlib's lookup makes them.
    static KeyboardLayout fromKeysyms(const std::vector<unsigned long>& keysyms, int perKey);
    // A layout from a table of the very codes the callbacks report: `perKey`
    // entries for each key in turn, one per modifier state, -1 (or anything
    // outside 0..255) where the key reports nothing in that state. Nothing is
    // derived: a state the table leaves out does not count.
    static KeyboardLayout fromCodes(const std::vector<int>& codes, int perKey);
    // The mapping that the system applies to the window the current GL
    // context draws to; the US layout when there is no such window or its
    // mapping cannot be read.
    static KeyboardLayout ofCurrentDisplay();

    // True when one key can produce both codes; every code shares its own.
    bool sameKey(unsigned char a, unsigned char b) const { return partners[a][b]; }

private:
    // A layout in which every code shares only its own key.
    static KeyboardLayout empty();
    void addKey(const unsigned long* keysyms, int count);
    // Makes every code of the set a partner of every other.
    void addCodes(const std::bitset<256>& codes);

    std::bitset<256> partners[256] = {};
};

#endif
