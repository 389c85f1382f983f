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
#include <dlfcn.h>
#include <string>
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
