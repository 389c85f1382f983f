// Where the start-up scene's meshes are drawn, read back from each draw's
// model matrix (support/DrawLog.h).

#include "StartUpScene.h"
#include "support/DrawLog.h"

#include <cmath>

TEST_F(StartUpScene, PlanetOfRadiusEightHundredLiesBelowTheFieldUnderItsClouds)
{
    const std::vector<LoggedDraw> draws = logDraws([] { ::planet->draw(); });
    ASSERT_EQ(draws.size(), 2u) << "the surface and the cloud layer";
    // Its centre 860 below and 200 ahead of the start-up camera: its top, 60
    // below the field's floor line, shows across the bottom of the view.
    const float radii[2] = {800.0f, 804.0f};
    for (int i = 0; i < 2; ++i) {
        const Vec3f centre = draws[i].map(0.0f, 0.0f, 0.0f, 1.0f);
        EXPECT_NEAR(centre.x, 0.0f, 1e-3f) << i;
        EXPECT_NEAR(centre.y, -860.0f, 1e-3f) << i;
        EXPECT_NEAR(centre.z, -200.0f, 1e-3f) << i;
        for (const Vec3f& axis : {Vec3f(1.0f, 0.0f, 0.0f), Vec3f(0.0f, 1.0f, 0.0f), Vec3f(0.0f, 0.0f, 1.0f)}) {
            EXPECT_NEAR(draws[i].map(axis.x, axis.y, axis.z, 0.0f).length(), radii[i], 1e-2f) << i;
        }
    }
}
