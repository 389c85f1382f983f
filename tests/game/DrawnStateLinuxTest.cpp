// What each mesh draw of the fighter and of an asteroid is drawn with: the
// model matrix, the texture and the state GL holds at that moment.

#include "GameTestSupport.h"

#include "game/Asteroid.h"
#include "game/AsteroidsField.h"
#include "math/AABoundBox.h"
#include "game/Player.h"
#include "render/Material.h"
#include "render/TextureObject.h"
#include "scene/Stone.h"
#include "support/DrawLog.h"

#include <GL/glew.h>
#include <array>
#include <cmath>
#include <vector>

namespace {
using Draw = LoggedDraw;

void expectNear(const Vec3f& actual, const Vec3f& expected, const char* what, int draw)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-4) << what << " of draw " << draw;
    EXPECT_NEAR(actual.y, expected.y, 1e-4) << what << " of draw " << draw;
    EXPECT_NEAR(actual.z, expected.z, 1e-4) << what << " of draw " << draw;
}

class FighterDraw : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        player = new Player(&camera, &input);
        player->place(Vec3f(0.0f, 0.0f, -20.0f), Vec3f(0.0f, 0.0f, -1.0f), Vec3f(0.0f, 1.0f, 0.0f));
        player->takeControl();
    }

    void TearDown() override
    {
        delete player;
        glDisable(GL_CULL_FACE);
        GlTest::TearDown();
    }

    Camera camera{0.0f, 0.0f, 0.0f, 0.0f, 0.0f, -1.0f, 0.0f, 1.0f, 0.0f};
    Input input;
    Player* player = nullptr;
};
}

TEST_F(FighterDraw, ShipIsDrawnTexturedInItsOwnMaterialThenSixFlamesInTheirOwnColours)
{
    // Culling is on from the first draw of the ship on, as it leaves it.
    glEnable(GL_CULL_FACE);
    const std::vector<Draw> draws = logDraws([&] { player->draw(); });
    ASSERT_EQ(draws.size(), 7u) << "the ship and six flame squares";

    const Draw& ship = draws[0];
    EXPECT_GT(ship.vertices, 6);
    EXPECT_TRUE(ship.textured);
    EXPECT_NE(ship.texture, 0);
    EXPECT_EQ(ship.textureMode, GL_MODULATE);
    EXPECT_EQ(ship.depthWrites, GL_TRUE);
    EXPECT_TRUE(ship.culled);
    // A grey hull with a strong, tight highlight.
    EXPECT_EQ(ship.ambient, (std::array<GLfloat, 4>{0.2f, 0.2f, 0.2f, 1.0f}));
    EXPECT_EQ(ship.diffuse, (std::array<GLfloat, 4>{0.5f, 0.5f, 0.5f, 1.0f}));
    EXPECT_EQ(ship.specular, (std::array<GLfloat, 4>{0.5f, 0.5f, 0.5f, 1.0f}));
    EXPECT_EQ(ship.shininess, 128.0f);

    for (int i = 1; i < 7; ++i) {
        const Draw& flame = draws[i];
        EXPECT_EQ(flame.vertices, 6) << i;
        EXPECT_TRUE(flame.textured) << i;
        EXPECT_NE(flame.texture, ship.texture) << i;
        // Seen from both sides, in their own texture colour, over one
        // another without hiding each other.
        EXPECT_FALSE(flame.culled) << i;
        EXPECT_EQ(flame.textureMode, GL_REPLACE) << i;
        EXPECT_EQ(flame.depthWrites, GL_FALSE) << i;
        EXPECT_EQ(flame.blendSource, GL_SRC_ALPHA) << i;
        EXPECT_EQ(flame.blendDestination, GL_ONE_MINUS_SRC_ALPHA) << i;
    }
    // Four tongues share the flame image, the two nozzle glows another.
    for (int i = 2; i < 5; ++i) {
        EXPECT_EQ(draws[i].texture, draws[1].texture) << i;
    }
    EXPECT_EQ(draws[6].texture, draws[5].texture);
    EXPECT_NE(draws[5].texture, draws[1].texture);
}

TEST_F(FighterDraw, FlamesTrailBehindBothNozzlesAsCrossedTonguesAndAGlow)
{
    // The level ship at (0, 0, -20), nose toward -z: behind it is +z. The
    // nozzles sit 0.825 either side of the centre line and 0.3 below it.
    // Behind each, 3.5 back, two tongues 1.5 long on the flight line and
    // 0.8 across, one lying flat and one standing upright; and 2.8 back a
    // glow square 1 across, facing back along the flight line.
    struct Expected {
        Vec3f centre;
        Vec3f halfAcross;
        Vec3f halfAlong;
    };
    const Expected expected[6] = {
        {Vec3f(-0.825f, -0.3f, -16.5f), Vec3f(-0.4f, 0.0f, 0.0f), Vec3f(0.0f, 0.0f, -0.75f)},
        {Vec3f(0.825f, -0.3f, -16.5f), Vec3f(-0.4f, 0.0f, 0.0f), Vec3f(0.0f, 0.0f, -0.75f)},
        {Vec3f(-0.825f, -0.3f, -16.5f), Vec3f(0.0f, -0.4f, 0.0f), Vec3f(0.0f, 0.0f, -0.75f)},
        {Vec3f(0.825f, -0.3f, -16.5f), Vec3f(0.0f, -0.4f, 0.0f), Vec3f(0.0f, 0.0f, -0.75f)},
        {Vec3f(-0.825f, -0.3f, -17.2f), Vec3f(0.5f, 0.0f, 0.0f), Vec3f(0.0f, 0.5f, 0.0f)},
        {Vec3f(0.825f, -0.3f, -17.2f), Vec3f(0.5f, 0.0f, 0.0f), Vec3f(0.0f, 0.5f, 0.0f)},
    };
    const std::vector<Draw> draws = logDraws([&] { player->draw(); });
    ASSERT_EQ(draws.size(), 7u);
    for (int i = 0; i < 7; ++i) {
        EXPECT_TRUE(draws[i].affine()) << "draw " << i;
    }
    for (int i = 0; i < 6; ++i) {
        const Draw& flame = draws[i + 1];
        expectNear(flame.map(0.0f, 0.0f, 0.0f, 1.0f), expected[i].centre, "centre", i + 1);
        expectNear(flame.map(1.0f, 0.0f, 0.0f, 0.0f), expected[i].halfAcross, "square's x half", i + 1);
        expectNear(flame.map(0.0f, 1.0f, 0.0f, 0.0f), expected[i].halfAlong, "square's y half", i + 1);
    }
    // The ship itself: at its position, nose (mesh +z) along the flight.
    expectNear(draws[0].map(0.0f, 0.0f, 0.0f, 1.0f), Vec3f(0.0f, 0.0f, -20.0f), "centre", 0);
    expectNear(draws[0].map(0.0f, 0.0f, 1.0f, 0.0f), Vec3f(0.0f, 0.0f, -1.0f), "nose", 0);
    expectNear(draws[0].map(0.0f, 1.0f, 0.0f, 0.0f), Vec3f(0.0f, 1.0f, 0.0f), "top", 0);
}

TEST_F(FighterDraw, RolledShipAndItsFlamesTurnAboutTheFlightLine)
{
    // Three ticks of '.' roll the ship 30 degrees counter-clockwise as the
    // camera sees it; with no sideways or vertical rate it stays level.
    input.keyDown('.', 0, 0);
    for (int tick = 0; tick < 3; ++tick) {
        player->update();
    }
    ASSERT_EQ(player->getRoll(), 30);
    const std::vector<Draw> draws = logDraws([&] { player->draw(); });
    ASSERT_EQ(draws.size(), 7u);
    const float s = std::sin(30.0f * 3.14159265f / 180.0f);
    const float c = std::cos(30.0f * 3.14159265f / 180.0f);
    expectNear(draws[0].map(0.0f, 1.0f, 0.0f, 0.0f), Vec3f(-s, c, 0.0f), "top", 0);
    expectNear(draws[0].map(0.0f, 0.0f, 1.0f, 0.0f), Vec3f(0.0f, 0.0f, -1.0f), "nose", 0);
    // The glow behind the left nozzle turns with it about the ship's centre.
    expectNear(draws[5].map(0.0f, 0.0f, 0.0f, 1.0f),
               Vec3f(-0.825f * c + 0.3f * s, -0.825f * s - 0.3f * c, -17.2f), "centre", 5);
}

TEST_F(GlTest, AsteroidIsDrawnAtItsPlaceTurnedByItsAngleAndGrownByItsScale)
{
    seedRandom(9);
    Stone stone(1.0f, 0.3f, Vec3f(1.0f, 1.0f, 1.0f));
    TextureObject texture("Textures/asteroid_v8.jpg");
    Material material(Vec4f(0.7f, 0.55f, 0.4f, 1.0f), Vec4f(0.9f, 0.6f, 0.5f, 1.0f),
                      Vec4f(0.2f, 0.2f, 0.2f, 1.0f), 64.0f);
    Asteroid rock(3.0f, Vec3f(4.0f, -2.0f, -30.0f), &stone, &material, &texture, true);
    const Vec3f axis = rock.getAxis();
    const float angle = rock.getAngle() * 3.14159265f / 180.0f;

    const std::vector<Draw> draws = logDraws([&] { rock.draw(); });
    ASSERT_EQ(draws.size(), 1u);
    const Draw& draw = draws[0];
    EXPECT_TRUE(draw.textured);
    EXPECT_NE(draw.texture, 0);
    EXPECT_EQ(draw.diffuse[0], 0.9f);
    expectNear(draw.map(0.0f, 0.0f, 0.0f, 1.0f), Vec3f(4.0f, -2.0f, -30.0f), "centre", 0);
    // The axis stays put under the turn; a direction across it turns by the
    // angle, right-handed about the axis; lengths grow by the scale.
    expectNear(draw.map(axis.x, axis.y, axis.z, 0.0f), Vec3f(3.0f * axis.x, 3.0f * axis.y, 3.0f * axis.z),
               "axis", 0);
    Vec3f across = axis;
    across.cross(Vec3f(0.0f, 0.0f, 1.0f));
    across.normalize();
    Vec3f third = axis;
    third.cross(across);
    const Vec3f turned = draw.map(across.x, across.y, across.z, 0.0f);
    expectNear(turned,
               Vec3f(3.0f * (std::cos(angle) * across.x + std::sin(angle) * third.x),
                     3.0f * (std::cos(angle) * across.y + std::sin(angle) * third.y),
                     3.0f * (std::cos(angle) * across.z + std::sin(angle) * third.z)),
               "turned direction", 0);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D)) << "texturing stayed on after the rock";
}

TEST_F(FieldTest, ExplosionIsAnUprightSquareFacingTheCameraTheSizeOfTheRock)
{
    isolate(field);
    Asteroid* rock = regular(field, 0);
    activate(rock, Vec3f(2.0f, -1.0f, -10.0f), Vec3f(0.0f, 0.0f, 1.0f), 0.0f);
    AABoundBox box(Vec3f(3.0f, 0.0f, -9.0f), Vec3f(1.0f, -2.0f, -11.0f));
    field->sortByDepth();
    testing::internal::CaptureStdout();
    ASSERT_TRUE(field->collide(&box, -20.0f, 0.0f));
    testing::internal::GetCapturedStdout();
    // The fragments fly 10 beyond the rock, out of the near pass.
    field->update(player);
    const Vec3f at = rock->getPosition();
    const float size = rock->getScale();

    glEnable(GL_CULL_FACE);
    const std::vector<LoggedDraw> draws = logDraws([&] { field->drawNear(); });
    ASSERT_FALSE(draws.empty());
    const LoggedDraw& blast = draws.back();
    EXPECT_EQ(blast.vertices, 6);
    EXPECT_TRUE(blast.affine());
    EXPECT_EQ(blast.textureMode, GL_REPLACE);
    expectNear(blast.map(0.0f, 0.0f, 0.0f, 1.0f), at, "centre", 0);
    expectNear(blast.map(1.0f, 0.0f, 0.0f, 0.0f), Vec3f(size, 0.0f, 0.0f), "square's x half", 0);
    expectNear(blast.map(0.0f, 1.0f, 0.0f, 0.0f), Vec3f(0.0f, size, 0.0f), "square's y half", 0);
    // Its front, the square's +z, faces the camera: it is not culled away.
    EXPECT_GT(blast.map(0.0f, 0.0f, 1.0f, 0.0f).z, 0.0f);
    glDisable(GL_CULL_FACE);
}
