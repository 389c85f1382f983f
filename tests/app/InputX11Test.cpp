#include "app/FocusWatcher.h"
#include "app/Input.h"
#include "app/KeyboardLayout.h"
#include "app/KeypadReleases.h"
#include "app/UsKeyboard.h"
#include "support/GlTest.h"

#include <GL/freeglut.h>
#include <GL/glx.h>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

TEST_F(GlTest, KeyboardLayoutIsReadFromTheDisplay)
{
    const KeyboardLayout display = KeyboardLayout::ofCurrentDisplay();
    for (const auto& [plain, shifted] : usShiftedKeys) {
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

namespace {
// What the toolkit reported for key releases, in order: a character, or a
// special key as 256 plus its code.
std::vector<int> releases;
void recordRelease(unsigned char key, int, int) { releases.push_back(key); }
void recordSpecialRelease(int key, int, int) { releases.push_back(256 + key); }
// The toolkit handles no event of a window without a display callback.
void drawNothing() {}

// The release of KEYCODE under the modifier mask STATE, as the server
// hands it to the game's window, and what the toolkit made of it: -1 when
// it reported nothing. A release of 'z' follows it; events arrive in order,
// so what comes before the 'z' is all the key made.
int releasedAs(int keycode, unsigned int state)
{
    // A connection of the test's own, kept for every release it sends.
    static Display* sender = XOpenDisplay(DisplayString(glXGetCurrentDisplay()));
    const Window window = glXGetCurrentDrawable();
    const auto send = [&](unsigned int code, unsigned int mask) {
        XEvent event;
        memset(&event, 0, sizeof(event));
        event.xkey.type = KeyRelease;
        event.xkey.display = sender;
        event.xkey.window = window;
        event.xkey.root = DefaultRootWindow(sender);
        event.xkey.keycode = code;
        event.xkey.state = mask;
        event.xkey.same_screen = True;
        XSendEvent(sender, window, False, KeyReleaseMask, &event);
    };
    send(static_cast<unsigned int>(keycode), state);
    send(XKeysymToKeycode(sender, XK_z), 0);
    XSync(sender, False);
    releases.clear();
    for (int waited = 0; waited < 2000 && (releases.empty() || releases.back() != 'z'); ++waited) {
        glutMainLoopEvent();
        usleep(1000);
    }
    return releases.size() >= 2 ? releases.front() : -1;
}

// Every key of the display that makes a keypad character, with that
// character.
std::vector<std::pair<int, char>> keypadKeysOfTheDisplay()
{
    Display* display = glXGetCurrentDisplay();
    int firstKey = 0;
    int lastKey = 0;
    XDisplayKeycodes(display, &firstKey, &lastKey);
    std::vector<std::pair<int, char>> keys;
    for (int keycode = firstKey; keycode <= lastKey; ++keycode) {
        for (int level = 0; level < 8; ++level) {
            const KeySym keysym = XkbKeycodeToKeysym(display, static_cast<KeyCode>(keycode), 0, level);
            if ((keysym >= XK_KP_0 && keysym <= XK_KP_9) || keysym == XK_KP_Decimal
                || keysym == XK_KP_Subtract || keysym == XK_KP_Add || keysym == XK_KP_Multiply
                || keysym == XK_KP_Divide) {
                keys.emplace_back(keycode, static_cast<char>(keysym & 0x7f));
                break;
            }
        }
    }
    return keys;
}
}

TEST_F(GlTest, KeypadKeysLetGoOfTheirCharacterUnderEveryModifier)
{
    // The keypad's minus and point are the roll keys: a release reported as
    // a special key, or not at all, would leave the ship rolling. Num Lock
    // is Mod2, Alt Mod1, as on the server the tests run on.
    const unsigned int mixes[] = {0, ShiftMask, LockMask, ControlMask, Mod1Mask,
                                  ControlMask | Mod1Mask, ShiftMask | ControlMask | Mod1Mask};
    const std::vector<std::pair<int, char>> keypad = keypadKeysOfTheDisplay();
    ASSERT_GE(keypad.size(), 15u) << "the display has no full keypad";
    const KeyboardLayout system = KeyboardLayout::ofCurrentDisplay();
    glutDisplayFunc(drawNothing);
    glutKeyboardUpFunc(recordRelease);
    glutSpecialUpFunc(recordSpecialRelease);
    // The keypad characters that stay held when let go under a mix: the
    // game's input holds each, and gets the release the toolkit reports.
    const auto keptHeld = [&] {
        std::vector<std::string> held;
        for (const auto& [keycode, character] : keypad) {
            for (const unsigned int mix : mixes) {
                Input input;
                input.setLayout(system);
                input.keyDown(static_cast<unsigned char>(character), 0, 0);
                const int reported = releasedAs(keycode, mix | Mod2Mask);
                if (reported >= 0 && reported < 256) {
                    input.keyUp(static_cast<unsigned char>(reported), 0, 0);
                }
                if (input.isKeyDown(static_cast<unsigned char>(character))) {
                    held.push_back(std::string(1, character) + " under state " + std::to_string(mix)
                                   + ", released as " + std::to_string(reported));
                }
            }
        }
        return held;
    };
    // The toolkit alone leaves some of them held, or this test shows nothing.
    EXPECT_FALSE(keptHeld().empty());

    KeypadReleases keypadReleases;
    for (const std::string& held : keptHeld()) {
        ADD_FAILURE() << held;
    }
    // The rest of the keyboard is reported as before.
    Display* display = glXGetCurrentDisplay();
    EXPECT_EQ(releasedAs(XKeysymToKeycode(display, XK_a), ShiftMask), 'A');
    EXPECT_EQ(releasedAs(XKeysymToKeycode(display, XK_Down), 0), 256 + GLUT_KEY_DOWN);
    EXPECT_EQ(releasedAs(XKeysymToKeycode(display, XK_Delete), 0), 127);
    // A second object on the same connection changes nothing.
    KeypadReleases again;
    EXPECT_TRUE(keptHeld().empty());
    glutKeyboardUpFunc(nullptr);
    glutSpecialUpFunc(nullptr);
}
