#include "app/KeyboardLayout.h"

// The browser's toolkit (Emscripten's GLUT) makes a character code from
// each key event's key code and Shift alone: a letter is its capital with
// Shift (Caps Lock does not count), a digit stays a digit, the punctuation
// keys give the US layout's two characters, and Control, Alt or Meta make
// no character at all. A release is reported with the Shift of that moment,
// so a key's codes with and without Shift belong together.
KeyboardLayout KeyboardLayout::ofCurrentDisplay()
{
    std::vector<int> codes;
    // One row per key: without Shift, with Shift.
    auto key = [&codes](int plain, int shifted) {
        codes.push_back(plain);
        codes.push_back(shifted);
    };
    for (int letter = 'a'; letter <= 'z'; ++letter) {
        key(letter, letter - 'a' + 'A');
    }
    key(';', ':');
    key('=', '+');
    key(',', '<');
    key('-', '_');
    key('.', '>');
    key('/', '?');
    key('[', '{');
    // The back-slash key gives '/' plain, as the toolkit's table has it.
    key('/', '|');
    key(']', '}');
    key('\'', '"');
    return fromCodes(codes, 2);
}
