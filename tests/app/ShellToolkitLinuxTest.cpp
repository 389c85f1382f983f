// The order of the tick's work, seen through the two toolkit calls it
// makes: this program puts its own definitions of them before the
// toolkit's, which a static link of the toolkit does not allow.

#include "SharedScene.h"
#include "support/GlTest.h"

#include "app/Game.h"
#include "app/Input.h"
#include "game/Asteroid.h"
#include "game/AsteroidsField.h"
#include "game/Player.h"
#include "render/Camera.h"
#include "scene/Planet.h"

#include <GL/freeglut.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <cstring>
#include <dlfcn.h>
#include <string>
#include <type_traits>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {
// What the tick moves: the planet's turn, every asteroid, the ship and the
// camera. Equal snapshots mean nothing has advanced in between.
std::vector<float> sceneSnapshot()
{
    std::vector<float> values{planet->getAngle()};
    for (const Asteroid* a : asteroidsField->getAsteroids()) {
        const Vec3f p = a->getPosition();
        values.insert(values.end(), {p.x, p.y, p.z});
    }
    for (const Vec3f& v : {player->getPosition(), camera->getEye(), camera->getCentre()}) {
        values.insert(values.end(), {v.x, v.y, v.z});
    }
    return values;
}

// The toolkit calls the tick makes, each with the scene as it stood then.
struct ToolkitCall {
    std::string name;
    std::vector<float> scene;
    unsigned int delay = 0;
    void (*callback)(int) = nullptr;
};
bool recordingToolkitCalls = false;
std::vector<ToolkitCall> toolkitCalls;
}

// This test program's own definitions of the two toolkit calls the tick
// makes, found before the toolkit's: while a test records, they note the
// call with the scene as it stands; otherwise they pass it on.
extern "C" void glutPostRedisplay()
{
    if (recordingToolkitCalls) {
        toolkitCalls.push_back({"glutPostRedisplay", sceneSnapshot()});
        return;
    }
    using Real = void (*)();
    reinterpret_cast<Real>(dlsym(RTLD_NEXT, "glutPostRedisplay"))();
}

extern "C" void glutTimerFunc(unsigned int delay, void (*callback)(int), int value)
{
    if (recordingToolkitCalls) {
        toolkitCalls.push_back({"glutTimerFunc", sceneSnapshot(), delay, callback});
        return;
    }
    using Real = void (*)(unsigned int, void (*)(int), int);
    reinterpret_cast<Real>(dlsym(RTLD_NEXT, "glutTimerFunc"))(delay, callback, value);
}

namespace {
// The window calls of openWindow, each as its name and arguments.
bool recordingWindowCalls = false;
std::vector<std::string> windowCalls;

template <typename Callback>
std::string callbackName(Callback callback)
{
    const std::vector<std::pair<std::string, Callback>> known = [] {
        std::vector<std::pair<std::string, Callback>> list;
        if constexpr (std::is_same_v<Callback, void (*)(int, int)>) {
            list.push_back({"reshape", &reshape});
        } else if constexpr (std::is_same_v<Callback, void (*)()>) {
            list.push_back({"display", &display});
        } else if constexpr (std::is_same_v<Callback, void (*)(unsigned char, int, int)>) {
            list.push_back({"keyboard", &keyboard});
            list.push_back({"keyboardUp", &keyboardUp});
        } else {
            list.push_back({"special", &special});
            list.push_back({"specialUp", &specialUp});
        }
        return list;
    }();
    for (const auto& [name, function] : known) {
        if (function == callback) {
            return name;
        }
    }
    return "another function";
}

template <typename Function>
Function real(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

// Records one call while a test records, or passes it on.
#define ZARVY_WINDOW_CALL(name, text, ...)                        \
    if (recordingWindowCalls) {                                   \
        windowCalls.push_back(std::string(#name " ") + (text));   \
        return;                                                   \
    }                                                             \
    real<decltype(&name)>(#name)(__VA_ARGS__)
}

extern "C" void glutInit(int* argc, char** argv)
{
    ZARVY_WINDOW_CALL(glutInit, std::to_string(*argc), argc, argv);
}

extern "C" void glutInitDisplayMode(unsigned int mode)
{
    ZARVY_WINDOW_CALL(glutInitDisplayMode, std::to_string(mode), mode);
}

extern "C" void glutInitWindowSize(int width, int height)
{
    ZARVY_WINDOW_CALL(glutInitWindowSize, std::to_string(width) + " " + std::to_string(height),
                      width, height);
}

extern "C" void glutInitWindowPosition(int x, int y)
{
    ZARVY_WINDOW_CALL(glutInitWindowPosition, std::to_string(x) + " " + std::to_string(y), x, y);
}

extern "C" int glutCreateWindow(const char* title)
{
    if (recordingWindowCalls) {
        windowCalls.push_back(std::string("glutCreateWindow ") + title);
        return 1;
    }
    return real<decltype(&glutCreateWindow)>("glutCreateWindow")(title);
}

extern "C" void glutReshapeFunc(void (*callback)(int, int))
{
    ZARVY_WINDOW_CALL(glutReshapeFunc, callbackName(callback), callback);
}

extern "C" void glutDisplayFunc(void (*callback)())
{
    ZARVY_WINDOW_CALL(glutDisplayFunc, callbackName(callback), callback);
}

extern "C" void glutKeyboardFunc(void (*callback)(unsigned char, int, int))
{
    ZARVY_WINDOW_CALL(glutKeyboardFunc, callbackName(callback), callback);
}

extern "C" void glutKeyboardUpFunc(void (*callback)(unsigned char, int, int))
{
    ZARVY_WINDOW_CALL(glutKeyboardUpFunc, callbackName(callback), callback);
}

extern "C" void glutSpecialFunc(void (*callback)(int, int, int))
{
    ZARVY_WINDOW_CALL(glutSpecialFunc, callbackName(callback), callback);
}

extern "C" void glutSpecialUpFunc(void (*callback)(int, int, int))
{
    ZARVY_WINDOW_CALL(glutSpecialUpFunc, callbackName(callback), callback);
}

// openWindow with the toolkit's window calls recorded: the watcher and the
// layout it sets up then belong to the test program's own window.
std::vector<std::string> openRecordedWindow()
{
    int argc = 1;
    char name[] = "zarvy";
    char* argv[] = {name, nullptr};
    windowCalls.clear();
    recordingWindowCalls = true;
    openWindow(&argc, argv);
    recordingWindowCalls = false;
    return windowCalls;
}

TEST_F(GlTest, WindowIsEightHundredBySixHundredAtTheCornerWithEveryKeyCallback)
{
    ensureScene();
    const std::vector<std::string> expected = {
        "glutInit 1",
        "glutInitDisplayMode " + std::to_string(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH),
        "glutInitWindowSize 800 600",
        "glutInitWindowPosition 0 0",
        "glutCreateWindow Zarvy",
        "glutReshapeFunc reshape",
        "glutDisplayFunc display",
        "glutKeyboardFunc keyboard",
        "glutKeyboardUpFunc keyboardUp",
        "glutSpecialFunc special",
        "glutSpecialUpFunc specialUp",
    };
    EXPECT_EQ(openRecordedWindow(), expected);
}

TEST_F(GlTest, WindowReadsTheDisplaysLayoutForReleases)
{
    ensureScene();
    openRecordedWindow();
    // On a 105-key keyboard < and | share a key, which only the display's
    // own mapping knows: a press of < let go as | is released.
    keyboard('<', 0, 0);
    keyboardUp('|', 0, 0);
    EXPECT_FALSE(input->isKeyDown('<'));
}

TEST_F(GlTest, KeysHeldWhenTheWindowLosesTheFocusAreLetGoByTheNextTick)
{
    ensureScene();
    openRecordedWindow();
    toolkitCalls.clear();
    const auto tick = [] {
        recordingToolkitCalls = true;
        timer(1);
        recordingToolkitCalls = false;
    };
    keyboard('d', 0, 0);
    tick();
    tick();
    EXPECT_TRUE(input->isKeyDown('d')) << "a key was let go with the focus still here";

    // The focus goes to another window, as the server tells every client
    // that asked, sent from a connection of the test's own.
    Display* sender = XOpenDisplay(DisplayString(glXGetCurrentDisplay()));
    ASSERT_NE(sender, nullptr);
    XEvent event;
    memset(&event, 0, sizeof(event));
    event.xfocus.type = FocusOut;
    event.xfocus.display = sender;
    event.xfocus.window = glXGetCurrentDrawable();
    event.xfocus.mode = NotifyNormal;
    event.xfocus.detail = NotifyNonlinear;
    XSendEvent(sender, event.xfocus.window, False, FocusChangeMask, &event);
    XSync(sender, False);
    XCloseDisplay(sender);
    // The event is on its way once the sync returns; a tick picks it up
    // when it arrives.
    bool released = false;
    for (int waited = 0; waited < 2000 && !released; waited += 5) {
        tick();
        released = !input->isKeyDown('d');
        if (!released) {
            usleep(5000);
        }
    }
    EXPECT_TRUE(released) << "d is still held after the focus went elsewhere";
}

TEST_F(GlTest, TickAsksForThePictureAndRearmsItselfBeforeAnythingMoves)
{
    ensureScene();
    const std::vector<float> before = sceneSnapshot();
    toolkitCalls.clear();
    recordingToolkitCalls = true;
    timer(1);
    recordingToolkitCalls = false;

    ASSERT_EQ(toolkitCalls.size(), 2u);
    EXPECT_EQ(toolkitCalls[0].name, "glutPostRedisplay");
    EXPECT_EQ(toolkitCalls[1].name, "glutTimerFunc");
    EXPECT_EQ(toolkitCalls[1].delay, 20u);
    EXPECT_EQ(toolkitCalls[1].callback, &timer);
    for (const ToolkitCall& call : toolkitCalls) {
        EXPECT_TRUE(call.scene == before) << call.name << " came after the scene had moved";
    }
    // The tick did move the scene, so the comparison above can tell.
    EXPECT_FALSE(sceneSnapshot() == before);
}
