#include "app/FocusWatcher.h"
#include "app/KeyboardLayout.h"
#include "app/UsKeyboard.h"
#include "support/GlTest.h"

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <gtest/gtest.h>

#include <cstring>
#include <unistd.h>

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
