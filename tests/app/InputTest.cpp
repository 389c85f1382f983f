#include "app/FocusWatcher.h"
#include "app/Input.h"
#include "app/KeyboardLayout.h"
#include "support/GlTest.h"

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <gtest/gtest.h>

#include <cstring>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {
// The keys the ship and the free camera read, and what Shift makes of them
// on a US keyboard.
const std::pair<unsigned char, unsigned char> shiftedKeys[] = {
    {'w', 'W'}, {'s', 'S'}, {'a', 'A'}, {'d', 'D'}, {'r', 'R'}, {'f', 'F'}, {'-', '_'},
    {'.', '>'}, {'q', 'Q'}, {'e', 'E'}, {'t', 'T'}, {'g', 'G'}, {'2', '@'}, {'3', '#'},
};

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
    for (const auto& [plain, shifted] : shiftedKeys) {
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
    for (const auto& key : shiftedKeys) {
        input.keyDown(key.first, 0, 0);
    }
    input.keyDown(' ', 0, 0);
    // Released in turn under Shift: each release lets go of its own key only.
    const size_t count = sizeof(shiftedKeys) / sizeof(shiftedKeys[0]);
    for (size_t released = 0; released < count; ++released) {
        input.keyUp(shiftedKeys[released].second, 0, 0);
        for (size_t other = 0; other < count; ++other) {
            EXPECT_EQ(input.isKeyDown(shiftedKeys[other].first), other > released)
                << shiftedKeys[released].first << " released, " << shiftedKeys[other].first;
        }
        EXPECT_TRUE(input.isKeyDown(' ')) << shiftedKeys[released].first << " released";
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
        unsigned char after[64];
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

TEST_F(GlTest, KeyboardLayoutIsReadFromTheDisplay)
{
    const KeyboardLayout display = KeyboardLayout::ofCurrentDisplay();
    for (const auto& [plain, shifted] : shiftedKeys) {
        EXPECT_TRUE(display.sameKey(plain, shifted)) << plain;
    }
    EXPECT_FALSE(display.sameKey('a', 'd'));
    EXPECT_FALSE(display.sameKey('.', ','));
    // The extra key of a 105-key keyboard holds < > | and the broken bar:
    // only the display's own mapping knows it.
    EXPECT_TRUE(display.sameKey('<', '|'));
    EXPECT_FALSE(KeyboardLayout().sameKey('<', '|'));
}

TEST_F(GlTest, FocusWatcherReportsEachLossOfTheWindowsKeyboardFocusOnce)
{
    FocusWatcher watcher;
    watcher.focusLost();

    // Focus events as the server sends them to every client that asked,
    // sent from a connection of the test's own.
    Display* sender = XOpenDisplay(DisplayString(glXGetCurrentDisplay()));
    ASSERT_NE(sender, nullptr);
    const Window window = glXGetCurrentDrawable();
    const auto sendFocus = [&](int type, int detail) {
        XEvent event;
        memset(&event, 0, sizeof(event));
        event.xfocus.type = type;
        event.xfocus.display = sender;
        event.xfocus.window = window;
        event.xfocus.mode = NotifyNormal;
        event.xfocus.detail = detail;
        XSendEvent(sender, window, False, FocusChangeMask, &event);
        XSync(sender, False);
    };
    // The server has passed the events on once the sender's sync returns;
    // the polls allow for the time they take to reach the watcher.
    const auto lostWithin = [&](int milliseconds) {
        for (int waited = 0; waited < milliseconds; waited += 5) {
            if (watcher.focusLost()) {
                return true;
            }
            usleep(5000);
        }
        return false;
    };

    // A gain, a move to a child window and a pointer-root change are not
    // losses.
    sendFocus(FocusIn, NotifyNonlinear);
    sendFocus(FocusOut, NotifyInferior);
    sendFocus(FocusOut, NotifyPointer);
    EXPECT_FALSE(lostWithin(200));
    // A loss counts even when the focus is back by the next poll, and once.
    sendFocus(FocusOut, NotifyNonlinear);
    sendFocus(FocusIn, NotifyNonlinear);
    EXPECT_TRUE(lostWithin(2000));
    EXPECT_FALSE(lostWithin(100));
    sendFocus(FocusOut, NotifyAncestor);
    EXPECT_TRUE(lostWithin(2000));
    XCloseDisplay(sender);
}
