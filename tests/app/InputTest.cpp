#include "app/Input.h"
#include "app/KeyboardLayout.h"
#include "app/UsKeyboard.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {
void expectNoKeyHeld(const Input& input)
{
    for (int key = 0; key < 256; ++key) {
        EXPECT_FALSE(input.isKeyDown(static_cast<unsigned char>(key))) << key;
    }
}
}

TEST(InputTable, AllKeysStartUp)
{
    expectNoKeyHeld(Input());
}

TEST(InputTable, PressesAreCaseSensitive)
{
    Input input;
    input.keyDown('W', 10, 20);
    EXPECT_TRUE(input.isKeyDown('W'));
    EXPECT_FALSE(input.isKeyDown('w'));
    input.keyDown('#', 0, 0);
    EXPECT_FALSE(input.isKeyDown('3'));
}

TEST(InputTable, EveryCharacterCodeHasItsOwnFlag)
{
    Input input;
    input.keyDown(255, 0, 0);
    input.keyDown(0, 0, 0);
    EXPECT_TRUE(input.isKeyDown(255));
    EXPECT_TRUE(input.isKeyDown(0));
    EXPECT_FALSE(input.isKeyDown(254));
    EXPECT_FALSE(input.isKeyDown(1));
}

TEST(InputTable, AReleaseUnderOtherModifiersLetsGoOfTheKey)
{
    // Hold a key, press Shift, let go of the key, let go of Shift: the release
    // arrives as the shifted character. And the other way round.
    for (const auto& [plain, shifted] : usShiftedKeys) {
        Input input;
        input.keyDown(plain, 0, 0);
        input.keyUp(shifted, 0, 0);
        EXPECT_FALSE(input.isKeyDown(plain)) << plain;

        input.keyDown(shifted, 0, 0);
        input.keyUp(plain, 0, 0);
        EXPECT_FALSE(input.isKeyDown(shifted)) << shifted;
    }
    // Control turns a letter into its control code, 'a' into 1.
    Input input;
    input.keyDown('a', 0, 0);
    input.keyDown('d', 0, 0);
    input.keyUp(1, 0, 0);
    input.keyUp('D' & 0x1f, 0, 0);
    expectNoKeyHeld(input);
}

TEST(InputTable, AReleaseLetsGoOfNoOtherKey)
{
    Input input;
    for (const auto& key : usShiftedKeys) {
        input.keyDown(key.first, 0, 0);
    }
    input.keyDown(' ', 0, 0);
    // Released in turn under Shift: each release lets go of its own key only.
    const size_t count = sizeof(usShiftedKeys) / sizeof(usShiftedKeys[0]);
    for (size_t released = 0; released < count; ++released) {
        input.keyUp(usShiftedKeys[released].second, 0, 0);
        for (size_t other = 0; other < count; ++other) {
            EXPECT_EQ(input.isKeyDown(usShiftedKeys[other].first), other > released)
                << usShiftedKeys[released].first << " released, " << usShiftedKeys[other].first;
        }
        EXPECT_TRUE(input.isKeyDown(' ')) << usShiftedKeys[released].first << " released";
    }
}

TEST(InputTable, ReleasingAllLetsGoOfEveryKey)
{
    Input input;
    for (int key = 0; key < 256; ++key) {
        input.keyDown(static_cast<unsigned char>(key), 0, 0);
    }
    input.releaseAll();
    expectNoKeyHeld(input);
}

TEST(InputTable, SpecialKeysNeverTouchTheCharacterTable)
{
    // Out-of-range codes write nowhere: not into the character table (a code
    // of -5 would land there) and not past the end of the object.
    struct Guarded {
        Input input;
        // Reaches past every code the test sends.
        unsigned char after[1024];
    };
    Guarded* guarded = new Guarded();
    memset(guarded->after, 0xa5, sizeof(guarded->after));
    Input& input = guarded->input;
    for (int code : {-1, 0, int('w'), 100, 101, 255, 256, 1000, -100000}) {
        input.specialKeyDown(code, 0, 0);
    }
    expectNoKeyHeld(input);

    for (int key = 0; key < 256; ++key) {
        input.keyDown(static_cast<unsigned char>(key), 0, 0);
    }
    for (int code : {-1, -5, 0, 256, 300}) {
        input.specialKeyUp(code, 0, 0);
    }
    for (int key = 0; key < 256; ++key) {
        EXPECT_TRUE(input.isKeyDown(static_cast<unsigned char>(key))) << key;
    }
    for (unsigned char byte : guarded->after) {
        ASSERT_EQ(byte, 0xa5);
    }
    delete guarded;
}

TEST(KeyboardLayout, LayoutFromKeysymsFollowsItsTable)
{
    // Four keys of a German keyboard: 3 with the section sign, # on a key of
    // its own, z listed in lower case only (Caps Lock still gives Z), and the
    // keypad minus.
    const std::vector<unsigned long> table = {
        '3', 0xa7, 0,
        '#', '\'', 0,
        'z', 0, 0,
        0xffad, 0xffad, 0,
    };
    const KeyboardLayout german = KeyboardLayout::fromKeysyms(table, 3);
    EXPECT_TRUE(german.sameKey('3', 0xa7));
    EXPECT_FALSE(german.sameKey('3', '#'));
    EXPECT_TRUE(german.sameKey('#', '\''));
    EXPECT_TRUE(german.sameKey('z', 'Z'));
    EXPECT_TRUE(german.sameKey('Z', 'z' & 0x1f));
    EXPECT_FALSE(german.sameKey('a', 'A'));
    EXPECT_FALSE(german.sameKey('-', '_'));

    Input input;
    input.setLayout(german);
    input.keyDown('3', 0, 0);
    input.keyUp('#', 0, 0);
    EXPECT_TRUE(input.isKeyDown('3'));
    input.keyUp(0xa7, 0, 0);
    EXPECT_FALSE(input.isKeyDown('3'));
}

TEST(KeyboardLayout, LayoutFromCodesTakesEachStateAsListed)
{
    // Three keys as a system that reports each modifier state reads them:
    // plain, Shift, Control, Control with Shift. Nothing is derived, so the
    // z key listed without its capital does not get it, and Control on the
    // period key gives its own code, 0xbe, instead of a control character.
    const std::vector<int> table = {
        'q', 'Q', 'q' & 0x1f, 'q' & 0x1f,
        'z', -1, 'z' & 0x1f, -1,
        '.', '>', 0xbe, 0xbe,
        '/', 300, -7, '?',
    };
    const KeyboardLayout layout = KeyboardLayout::fromCodes(table, 4);
    EXPECT_TRUE(layout.sameKey('q', 'Q'));
    EXPECT_TRUE(layout.sameKey('Q', 17));
    EXPECT_TRUE(layout.sameKey('z', 26));
    EXPECT_FALSE(layout.sameKey('z', 'Z'));
    EXPECT_TRUE(layout.sameKey('.', 0xbe));
    EXPECT_TRUE(layout.sameKey('>', 0xbe));
    EXPECT_FALSE(layout.sameKey('.', '.' & 0x1f));
    EXPECT_TRUE(layout.sameKey('/', '?'));
    // Codes out of range are no code at all, not another key's by wrapping.
    EXPECT_FALSE(layout.sameKey('/', 300 & 0xff));
    EXPECT_FALSE(layout.sameKey('/', -7 & 0xff));
    // Keys stay apart, and a code the table never lists is on its own.
    EXPECT_FALSE(layout.sameKey('q', 'z'));
    EXPECT_FALSE(layout.sameKey('a', 'A'));
    EXPECT_TRUE(layout.sameKey('a', 'a'));
    // A partial last row is no key.
    EXPECT_FALSE(KeyboardLayout::fromCodes({'a', 'A', 1, 1, 'b', 'B'}, 4).sameKey('b', 'B'));
}
