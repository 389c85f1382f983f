#ifndef ZARVY_TESTS_APP_STARTUPSCENE_H
#define ZARVY_TESTS_APP_STARTUPSCENE_H

#include "app/Game.h"
#include "app/Input.h"
#include "game/Asteroid.h"
#include "game/AsteroidsField.h"
#include "game/GameRandom.h"
#include "game/Player.h"
#include "render/Camera.h"
#include "render/Material.h"
#include "render/TextureObject.h"
#include "scene/Planet.h"
#include "scene/Skybox.h"
#include "support/GlTest.h"

#include <GL/glew.h>
#include <algorithm>
#include <initializer_list>
#include <vector>

const unsigned fieldSeed = 77;

// A scene of its own for each test, made by createScene from a fixed seed,
// with the process-wide objects put back and the test's deleted afterwards.
class StartUpScene : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        saved = {::input, ::material, ::asteroidTexture, ::camera, ::player, ::asteroidsField,
                 ::skybox, ::planet};
        ::input = &keys;
        seedRandom(fieldSeed);
        createScene();
    }

    void TearDown() override
    {
        delete ::planet;
        delete ::skybox;
        delete ::asteroidsField;
        delete ::player;
        delete ::camera;
        delete ::asteroidTexture;
        delete ::material;
        ::input = saved.input;
        ::material = saved.material;
        ::asteroidTexture = saved.asteroidTexture;
        ::camera = saved.camera;
        ::player = saved.player;
        ::asteroidsField = saved.asteroidsField;
        ::skybox = saved.skybox;
        ::planet = saved.planet;
        glDisable(GL_CULL_FACE);
        GlTest::TearDown();
    }

    // Every asteroid off and parked far beyond the ship.
    static void isolate()
    {
        for (Asteroid* a : ::asteroidsField->getAsteroids()) {
            a->setActive(false);
            a->setPosition(Vec3f(0.0f, 0.0f, -450.0f));
        }
    }

    static Asteroid* firstRegular()
    {
        const std::vector<Asteroid*>& pool = ::asteroidsField->getFragments();
        for (Asteroid* a : ::asteroidsField->getAsteroids()) {
            if (std::find(pool.begin(), pool.end(), a) == pool.end()) {
                return a;
            }
        }
        return nullptr;
    }

    static void expectMaterial(GLenum which, std::initializer_list<float> expected)
    {
        GLfloat value[4] = {};
        glGetMaterialfv(GL_FRONT, which, value);
        int i = 0;
        for (float e : expected) {
            EXPECT_FLOAT_EQ(value[i], e) << "material parameter " << which << " component " << i;
            ++i;
        }
    }

    struct Saved {
        Input* input;
        Material* material;
        TextureObject* asteroidTexture;
        Camera* camera;
        Player* player;
        AsteroidsField* asteroidsField;
        Skybox* skybox;
        Planet* planet;
    } saved{};
    Input keys;
};

#endif
