#include "RenderTestSupport.h"

#include "render/Material.h"

#include <array>

using rendertest::RenderTest;

namespace {
using Colour = std::array<float, 4>;

class MaterialTest : public RenderTest {
protected:
    static Colour sent(GLenum face, GLenum what)
    {
        Colour value = {-1.0f, -1.0f, -1.0f, -1.0f};
        glGetMaterialfv(face, what, value.data());
        return value;
    }

    static float sentShininess(GLenum face)
    {
        float value = -1.0f;
        glGetMaterialfv(face, GL_SHININESS, &value);
        return value;
    }

    static void expectColour(const Colour& actual, const Colour& expected)
    {
        for (size_t i = 0; i < 4; ++i) {
            EXPECT_FLOAT_EQ(actual[i], expected[i]) << "component " << i;
        }
    }

    // The asteroids' material: its diffuse red above 1 must reach GL unclamped,
    // and its stored ambient alpha differs from the 1 that is always sent.
    const Material scene{Vec4f(0.7f, 0.55f, 0.4f, 0.25f), Vec4f(8.0f, 0.6f, 0.5f, 1.0f),
                         Vec4f(0.2f, 0.2f, 0.2f, 0.5f), 64.0f};
};
}

TEST_F(MaterialTest, OpaqueApplySendsTheStoredColoursWithAmbientAlphaOne)
{
    scene.apply(1.0f, 1.0f);
    expectColour(sent(GL_FRONT, GL_AMBIENT), {0.7f, 0.55f, 0.4f, 1.0f});
    expectColour(sent(GL_FRONT, GL_DIFFUSE), {8.0f, 0.6f, 0.5f, 1.0f});
    expectColour(sent(GL_FRONT, GL_SPECULAR), {0.2f, 0.2f, 0.2f, 0.5f});
    EXPECT_FLOAT_EQ(sentShininess(GL_FRONT), 64.0f);
}

TEST_F(MaterialTest, AlphaScalesOnlyDiffuseAndSpecularAlpha)
{
    scene.apply(1.0f, 0.3f);
    expectColour(sent(GL_FRONT, GL_AMBIENT), {0.7f, 0.55f, 0.4f, 1.0f});
    expectColour(sent(GL_FRONT, GL_DIFFUSE), {8.0f, 0.6f, 0.5f, 0.3f});
    expectColour(sent(GL_FRONT, GL_SPECULAR), {0.2f, 0.2f, 0.2f, 0.5f * 0.3f});
}

TEST_F(MaterialTest, IntensityDimsDiffuseAndSpecularColourOnly)
{
    scene.apply(0.5f, 1.0f);
    expectColour(sent(GL_FRONT, GL_AMBIENT), {0.7f, 0.55f, 0.4f, 1.0f});
    expectColour(sent(GL_FRONT, GL_DIFFUSE), {4.0f, 0.3f, 0.25f, 1.0f});
    expectColour(sent(GL_FRONT, GL_SPECULAR), {0.1f, 0.1f, 0.1f, 0.5f});
    EXPECT_FLOAT_EQ(sentShininess(GL_FRONT), 64.0f);
}

TEST_F(MaterialTest, ApplyNeverChangesTheStoredMaterial)
{
    scene.apply(0.5f, 0.3f);
    scene.apply(1.0f, 1.0f);
    expectColour(sent(GL_FRONT, GL_DIFFUSE), {8.0f, 0.6f, 0.5f, 1.0f});
    expectColour(sent(GL_FRONT, GL_SPECULAR), {0.2f, 0.2f, 0.2f, 0.5f});
}

TEST_F(MaterialTest, BackFacesKeepTheDefaultMaterial)
{
    scene.apply(0.5f, 0.3f);
    expectColour(sent(GL_BACK, GL_AMBIENT), {0.2f, 0.2f, 0.2f, 1.0f});
    expectColour(sent(GL_BACK, GL_DIFFUSE), {0.8f, 0.8f, 0.8f, 1.0f});
    expectColour(sent(GL_BACK, GL_SPECULAR), {0.0f, 0.0f, 0.0f, 1.0f});
    EXPECT_FLOAT_EQ(sentShininess(GL_BACK), 0.0f);
}
