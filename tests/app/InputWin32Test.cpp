#include "app/FocusWatcher.h"
#include "app/Input.h"
#include "app/KeypadReleases.h"
#include "app/KeyboardLayout.h"
#include "app/UsKeyboard.h"
#include "support/GlTest.h"

#include <GL/freeglut.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

namespace {
HWND glWindow()
{
    return WindowFromDC(wglGetCurrentDC());
}

// The codes the toolkit's release callback reported, in order.
std::vector<unsigned char> releases;

void recordRelease(unsigned char key, int, int)
{
    releases.push_back(key);
}

std::vector<unsigned char> presses;

void recordPress(unsigned char key, int, int)
{
    presses.push_back(key);
}

// What the toolkit reports for the release of a key while the given
// modifiers are held (Num Lock and Caps Lock: toggled on), through its own
// window procedure; -1 for no character. EXTENDED flags the key as one of
// the keys outside the main block, such as the arrows beside the keypad.
int releasedAs(UINT virtualKey, std::initializer_list<int> held, bool extended = false)
{
    BYTE keyState[256] = {};
    for (int key : held) {
        keyState[key] = key == VK_NUMLOCK || key == VK_CAPITAL ? 0x01 : 0x80;
    }
    SetKeyboardState(keyState);
    releases.clear();
    const UINT scanCode = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    SendMessageW(glWindow(), WM_KEYUP, virtualKey,
                 static_cast<LPARAM>(1 | (scanCode << 16) | (extended ? 1u << 24 : 0u) | (3u << 30)));
    const BYTE none[256] = {};
    SetKeyboardState(const_cast<BYTE*>(none));
    return releases.size() == 1 ? releases[0] : -1;
}

// A plain top-level window of the test's own, to take the focus away.
class OtherWindow {
public:
    OtherWindow()
    {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"zarvy-test-other";
        RegisterClassW(&windowClass);
        window = CreateWindowW(L"zarvy-test-other", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                               820, 0, 200, 200, nullptr, nullptr, windowClass.hInstance,
                               nullptr);
    }
    virtual ~OtherWindow() { DestroyWindow(window); }

    HWND window = nullptr;
};
}

TEST_F(GlTest, KeyboardLayoutIsReadFromTheSystem)
{
    const KeyboardLayout system = KeyboardLayout::ofCurrentDisplay();
    for (const auto& [plain, shifted] : usShiftedKeys) {
        EXPECT_TRUE(system.sameKey(plain, shifted)) << plain;
    }
    EXPECT_FALSE(system.sameKey('a', 'd'));
    EXPECT_FALSE(system.sameKey('.', ','));
    // Control as Windows layouts make it: letters give 1 to 26, the brackets
    // and the backslash 27 to 29.
    EXPECT_TRUE(system.sameKey('a', 1));
    EXPECT_TRUE(system.sameKey('W', 'w' & 0x1f));
    EXPECT_TRUE(system.sameKey('[', 0x1b));
    EXPECT_TRUE(system.sameKey(']', 0x1d));
    EXPECT_TRUE(system.sameKey('\\', 0x1c));
    // Where Control makes no character the key reports its virtual-key code,
    // VK_OEM_PERIOD for the period key. Only the system's own mapping says so.
    EXPECT_TRUE(system.sameKey('.', VK_OEM_PERIOD));
    EXPECT_TRUE(system.sameKey('-', VK_OEM_MINUS));
    EXPECT_FALSE(KeyboardLayout().sameKey('.', VK_OEM_PERIOD));
    // The keypad's key codes are letters' codes: they tie no letter to a digit.
    EXPECT_FALSE(system.sameKey('a', '1'));
    EXPECT_FALSE(system.sameKey('m', '-'));
}

TEST_F(GlTest, KeyboardLayoutTiesEveryReleaseTheToolkitReports)
{
    // The toolkit turns a release into a character with the keyboard state of
    // that moment. Whatever it reports under Shift, Control or Caps Lock must
    // let go of the key pressed without them.
    const KeyboardLayout system = KeyboardLayout::ofCurrentDisplay();
    glutKeyboardUpFunc(recordRelease);
    for (const auto& [plain, shifted] : usShiftedKeys) {
        const UINT virtualKey = LOBYTE(VkKeyScanW(plain));
        for (auto held : {std::initializer_list<int>{}, {VK_SHIFT}, {VK_CONTROL},
                          {VK_CONTROL, VK_SHIFT}}) {
            const int reported = releasedAs(virtualKey, held);
            ASSERT_GE(reported, 0) << plain;
            Input input;
            input.setLayout(system);
            input.keyDown(plain, 0, 0);
            input.keyDown(shifted, 0, 0);
            input.keyUp(static_cast<unsigned char>(reported), 0, 0);
            EXPECT_FALSE(input.isKeyDown(plain)) << plain << " released as " << reported;
            EXPECT_FALSE(input.isKeyDown(shifted)) << shifted << " released as " << reported;
        }
    }
    glutKeyboardUpFunc(nullptr);
}

// The keypad's character keys, each with the character its press makes.
const std::pair<UINT, unsigned char> keypadKeys[] = {
    {VK_SUBTRACT, '-'}, {VK_DECIMAL, '.'}, {VK_NUMPAD2, '2'}, {VK_NUMPAD3, '3'},
    {VK_NUMPAD0, '0'},  {VK_ADD, '+'},     {VK_MULTIPLY, '*'}, {VK_DIVIDE, '/'},
};

// Modifier states a keypad key can be let go under, Num Lock on in each.
const std::initializer_list<int> keypadModifiers[] = {
    {VK_NUMLOCK},
    {VK_NUMLOCK, VK_SHIFT},
    {VK_NUMLOCK, VK_CONTROL},
    {VK_NUMLOCK, VK_CONTROL, VK_SHIFT},
    {VK_NUMLOCK, VK_MENU},
    {VK_NUMLOCK, VK_CONTROL, VK_MENU},
    {VK_NUMLOCK, VK_CONTROL, VK_MENU, VK_SHIFT, VK_CAPITAL},
};

TEST_F(GlTest, KeypadKeysLetGoOfTheirCharacterUnderEveryModifier)
{
    // The keypad's minus and point are the roll keys: a release reported as
    // the key's virtual-key code (a letter's) would leave the ship rolling.
    const KeyboardLayout system = KeyboardLayout::ofCurrentDisplay();
    glutKeyboardUpFunc(recordRelease);
    int reportedAsALetter = 0;
    for (const auto& [virtualKey, character] : keypadKeys) {
        for (const auto& held : keypadModifiers) {
            reportedAsALetter += releasedAs(virtualKey, held) != character;
        }
    }
    // The toolkit alone gets some of them wrong, or this test shows nothing.
    EXPECT_GT(reportedAsALetter, 0);
    // Under Shift, with Num Lock on, the keypad's digits and point send the
    // codes of the cursor and editing keys, without the extended-key flag;
    // the toolkit alone reports them as special keys, the point as Delete.
    const std::pair<UINT, unsigned char> shiftedKeypad[] = {
        {VK_DELETE, '.'}, {VK_DOWN, '2'}, {VK_NEXT, '3'}, {VK_INSERT, '0'}, {VK_HOME, '7'},
    };
    for (const auto& [virtualKey, character] : shiftedKeypad) {
        EXPECT_NE(releasedAs(virtualKey, {VK_NUMLOCK, VK_SHIFT}), character);
    }
    {
        KeypadReleases keypadReleases;
        for (const auto& [virtualKey, character] : shiftedKeypad) {
            EXPECT_EQ(releasedAs(virtualKey, {VK_NUMLOCK, VK_SHIFT}), character);
        }
        for (const auto& [virtualKey, character] : keypadKeys) {
            for (const auto& held : keypadModifiers) {
                const int reported = releasedAs(virtualKey, held);
                EXPECT_EQ(reported, character) << character << " under " << held.size() << " keys";
                Input input;
                input.setLayout(system);
                input.keyDown(character, 0, 0);
                input.keyUp(static_cast<unsigned char>(reported), 0, 0);
                EXPECT_FALSE(input.isKeyDown(character)) << character << " released as " << reported;
            }
        }
        // The rest of the keyboard is reported as before: Control with the
        // period key gives its virtual-key code, which the layout ties to it.
        EXPECT_EQ(releasedAs(VK_OEM_PERIOD, {VK_CONTROL}), VK_OEM_PERIOD);
        EXPECT_EQ(releasedAs('A', {VK_SHIFT}), 'A');
        // The dedicated Delete and arrow keys, flagged as extended, are
        // reported as before: Delete as its character, an arrow as a
        // special key.
        EXPECT_EQ(releasedAs(VK_DELETE, {VK_NUMLOCK, VK_SHIFT}, true), 127);
        EXPECT_EQ(releasedAs(VK_DOWN, {VK_NUMLOCK}, true), -1);
    }
    // Gone with the object.
    EXPECT_EQ(releasedAs(VK_SUBTRACT, {VK_NUMLOCK, VK_CONTROL, VK_MENU}), VK_SUBTRACT);
    glutKeyboardUpFunc(nullptr);
}

TEST_F(GlTest, KeypadReleasesGiveTheModifiersBack)
{
    // The toolkit sees the keypad's own state only while it handles the
    // release: Control and Shift are still held afterwards, Num Lock as it was.
    const HWND window = glWindow();
    KeypadReleases keypadReleases;
    BYTE keyState[256] = {};
    keyState[VK_CONTROL] = keyState[VK_LCONTROL] = keyState[VK_SHIFT] = 0x80;
    SetKeyboardState(keyState);
    SendMessageW(window, WM_KEYUP, VK_SUBTRACT, static_cast<LPARAM>(1 | (3u << 30)));
    BYTE after[256] = {};
    GetKeyboardState(after);
    const BYTE none[256] = {};
    SetKeyboardState(const_cast<BYTE*>(none));
    EXPECT_EQ(after[VK_CONTROL] & 0x80, 0x80);
    EXPECT_EQ(after[VK_LCONTROL] & 0x80, 0x80);
    EXPECT_EQ(after[VK_SHIFT] & 0x80, 0x80);
    EXPECT_EQ(after[VK_NUMLOCK] & 0x01, 0);
}

TEST_F(GlTest, KeypadReleasesWithoutAContextActOnNothing)
{
    const HDC deviceContext = wglGetCurrentDC();
    const HGLRC context = wglGetCurrentContext();
    wglMakeCurrent(nullptr, nullptr);
    {
        KeypadReleases keypadReleases;
        wglMakeCurrent(deviceContext, context);
        glutKeyboardUpFunc(recordRelease);
        EXPECT_EQ(releasedAs(VK_SUBTRACT, {VK_NUMLOCK, VK_CONTROL, VK_MENU}), VK_SUBTRACT);
        glutKeyboardUpFunc(nullptr);
    }
}

TEST_F(GlTest, KeyboardLayoutWithoutAWindowIsTheUsLayout)
{
    const HDC deviceContext = wglGetCurrentDC();
    const HGLRC context = wglGetCurrentContext();
    wglMakeCurrent(nullptr, nullptr);
    const KeyboardLayout fallback = KeyboardLayout::ofCurrentDisplay();
    wglMakeCurrent(deviceContext, context);
    EXPECT_TRUE(fallback.sameKey('.', '>'));
    EXPECT_FALSE(fallback.sameKey('.', VK_OEM_PERIOD));
}

TEST_F(GlTest, FocusWatcherReportsARealLossOnceEvenWithTheFocusBack)
{
    const HWND window = glWindow();
    ASSERT_NE(window, nullptr);
    OtherWindow other;
    ASSERT_NE(other.window, nullptr);
    SetFocus(window);
    FocusWatcher watcher;
    watcher.focusLost();

    SetFocus(other.window);
    EXPECT_EQ(GetFocus(), other.window);
    SetFocus(window);
    EXPECT_EQ(GetFocus(), window);
    EXPECT_TRUE(watcher.focusLost());
    EXPECT_FALSE(watcher.focusLost());
}

TEST_F(GlTest, FocusWatcherCountsOnlyMessagesThatTakeTheKeyboardAway)
{
    const HWND window = glWindow();
    OtherWindow other;
    const HWND child = CreateWindowW(L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, window, nullptr,
                                     GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(child, nullptr);
    FocusWatcher watcher;
    watcher.focusLost();
    const WPARAM otherWindow = reinterpret_cast<WPARAM>(other.window);

    // Gains, and a move to the window's own child, are not losses.
    SendMessageW(window, WM_SETFOCUS, otherWindow, 0);
    SendMessageW(window, WM_ACTIVATE, WA_ACTIVE, 0);
    SendMessageW(window, WM_ACTIVATEAPP, TRUE, 0);
    SendMessageW(window, WM_KILLFOCUS, reinterpret_cast<WPARAM>(child), 0);
    EXPECT_FALSE(watcher.focusLost());

    for (const auto& [message, wParam] : {std::pair<UINT, WPARAM>{WM_KILLFOCUS, otherWindow},
                                          {WM_KILLFOCUS, 0},
                                          {WM_ACTIVATE, WA_INACTIVE},
                                          {WM_ACTIVATEAPP, FALSE}}) {
        SendMessageW(window, message, wParam, 0);
        SendMessageW(window, WM_SETFOCUS, otherWindow, 0);
        EXPECT_TRUE(watcher.focusLost()) << message << " " << wParam;
        EXPECT_FALSE(watcher.focusLost()) << message << " " << wParam;
    }
    DestroyWindow(child);
}

TEST_F(GlTest, FocusWatchersChainToTheToolkitAndUndoTheirWatch)
{
    const HWND window = glWindow();
    glutKeyboardFunc(recordPress);
    presses.clear();
    {
        FocusWatcher* first = new FocusWatcher();
        FocusWatcher second;
        // The toolkit still gets the window's messages, through both watches.
        SendMessageW(window, WM_CHAR, 'x', 1);
        SendMessageW(window, WM_KILLFOCUS, 0, 0);
        EXPECT_TRUE(first->focusLost());
        EXPECT_TRUE(second.focusLost());
        // The older watch ends under the newer one, which keeps watching.
        delete first;
        SendMessageW(window, WM_CHAR, 'y', 1);
        SendMessageW(window, WM_KILLFOCUS, 0, 0);
        EXPECT_TRUE(second.focusLost());
    }
    SendMessageW(window, WM_KILLFOCUS, 0, 0);
    SendMessageW(window, WM_CHAR, 'z', 1);
    EXPECT_EQ(presses, (std::vector<unsigned char>{'x', 'y', 'z'}));
    // A new watch starts with no loss of an earlier one's.
    FocusWatcher later;
    EXPECT_FALSE(later.focusLost());
    glutKeyboardFunc(nullptr);
}

TEST_F(GlTest, FocusWatcherWithoutAContextWatchesNothing)
{
    const HWND window = glWindow();
    const HDC deviceContext = wglGetCurrentDC();
    const HGLRC context = wglGetCurrentContext();
    wglMakeCurrent(nullptr, nullptr);
    FocusWatcher watcher;
    wglMakeCurrent(deviceContext, context);
    SendMessageW(window, WM_KILLFOCUS, 0, 0);
    EXPECT_FALSE(watcher.focusLost());
}
