#include "app/KeyboardLayout.h"

namespace {
// The shifted pairs of the US layout's character keys.
const char* const usPairs[] = {
    "1!", "2@", "3#", "4$", "5%", "6^", "7&", "8*", "9(", "0)", "-_", "=+",
    "[{", "]}", "\\|", ";:", "'\"", ",<", ".>", "/?", "`~",
};

// The character a keysym gives without Control, as Xlib's lookup makes it,
// or -1 for a key that the toolkit reports as a special key.
int characterOf(unsigned long keysym)
{
    if ((keysym >= 0x20 && keysym <= 0x7e) || (keysym >= 0xa0 && keysym <= 0xff)) {
        return static_cast<int>(keysym);
    }
    if (keysym == 0xff80) {  // keypad space
        return ' ';
    }
    const bool editing = (keysym >= 0xff08 && keysym <= 0xff0b)  // backspace to clear
                         || keysym == 0xff0d || keysym == 0xff1b || keysym == 0xffff;
    const bool keypad = keysym == 0xff89 || keysym == 0xff8d  // keypad tab, enter
                        || (keysym >= 0xffaa && keysym <= 0xffb9) || keysym == 0xffbd;
    if (editing || keypad) {
        return static_cast<int>(keysym & 0x7f);
    }
    return -1;
}

// The same character with Control held, as Xlib's lookup makes it.
int withControl(int c)
{
    if ((c >= '@' && c < 0x7f) || c == ' ') {
        return c & 0x1f;
    }
    if (c == '2') {
        return 0;
    }
    if (c >= '3' && c <= '7') {
        return c - '3' + 27;
    }
    if (c == '8') {
        return 0x7f;
    }
    if (c == '/') {
        return '_' & 0x1f;
    }
    return c;
}

// The other case of a Latin-1 letter: Caps Lock gives it even where a key's
// own levels do not list it. Returns the character itself when it has none.
int otherCase(int c)
{
    if (c >= 'a' && c <= 'z') {
        return c - 32;
    }
    if (c >= 'A' && c <= 'Z') {
        return c + 32;
    }
    if (c >= 0xe0 && c <= 0xfe && c != 0xf7) {
        return c - 32;
    }
    if (c >= 0xc0 && c <= 0xde && c != 0xd7) {
        return c + 32;
    }
    return c;
}
}

KeyboardLayout::KeyboardLayout()
{
    for (int i = 0; i < 256; ++i) {
        partners[i][i] = true;
    }
    for (unsigned long letter = 'a'; letter <= 'z'; ++letter) {
        addKey(&letter, 1);
    }
    for (const char* pair : usPairs) {
        const unsigned long keysyms[2] = {static_cast<unsigned char>(pair[0]),
                                          static_cast<unsigned char>(pair[1])};
        addKey(keysyms, 2);
    }
    const unsigned long space = ' ';
    addKey(&space, 1);
}

KeyboardLayout KeyboardLayout::empty()
{
    // The US pairs the constructor made are wiped.
    KeyboardLayout layout;
    for (auto& codes : layout.partners) {
        codes.reset();
    }
    for (int i = 0; i < 256; ++i) {
        layout.partners[i][i] = true;
    }
    return layout;
}

KeyboardLayout KeyboardLayout::fromKeysyms(const std::vector<unsigned long>& keysyms, int perKey)
{
    // Only the table counts.
    KeyboardLayout layout = empty();
    if (perKey > 0) {
        for (size_t first = 0; first + perKey <= keysyms.size(); first += perKey) {
            layout.addKey(&keysyms[first], perKey);
        }
    }
    return layout;
}

KeyboardLayout KeyboardLayout::fromCodes(const std::vector<int>& codes, int perKey)
{
    KeyboardLayout layout = empty();
    if (perKey <= 0) {
        return layout;
    }
    for (size_t first = 0; first + perKey <= codes.size(); first += perKey) {
        std::bitset<256> key;
        for (int i = 0; i < perKey; ++i) {
            const int code = codes[first + i];
            if (code >= 0 && code < 256) {
                key[code] = true;
            }
        }
        layout.addCodes(key);
    }
    return layout;
}

void KeyboardLayout::addKey(const unsigned long* keysyms, int count)
{
    std::bitset<256> codes;
    for (int i = 0; i < count; ++i) {
        const int c = characterOf(keysyms[i]);
        if (c < 0) {
            continue;
        }
        for (int variant : {c, otherCase(c)}) {
            codes[variant] = true;
            codes[withControl(variant)] = true;
        }
    }
    addCodes(codes);
}

void KeyboardLayout::addCodes(const std::bitset<256>& codes)
{
    for (int c = 0; c < 256; ++c) {
        if (codes[c]) {
            partners[c] |= codes;
        }
    }
}
