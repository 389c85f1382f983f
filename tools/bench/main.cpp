// Micro-benchmarks of the simulation: the tick's game step, the field's
// construction and the mesh constructions (the image loads are in
// ImageBench.cpp). Needs an X display for the GL
// context that mesh uploads require.

#include "BenchContext.h"

#include "app/Game.h"
#include "app/Input.h"
#include "game/AsteroidsField.h"
#include "game/GameRandom.h"
#include "game/Player.h"
#include "render/Camera.h"
#include "render/Material.h"
#include "scene/Ship.h"
#include "scene/Sphere.h"
#include "scene/Stone.h"

#include <GL/glew.h>
#include <GL/freeglut.h>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>

// The window and GL context every benchmark that uploads needs; opened once.
void openContext()
{
    static bool open = false;
    if (open) {
        return;
    }
    int argc = 1;
    char name[] = "zarvy-bench";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(800, 600);
    glutCreateWindow("zarvy-bench");
    initialiseGraphics();
    open = true;
}

namespace {

// The keys a player holds: a weave left and right with boosts.
void holdKeysFor(Input& keys, int64_t tick)
{
    const int phase = static_cast<int>(tick / 60 % 4);
    keys.keyUp('a', 0, 0);
    keys.keyUp('d', 0, 0);
    keys.keyUp('r', 0, 0);
    keys.keyDown(phase < 2 ? 'd' : 'a', 0, 0);
    if (phase % 2 == 0) {
        keys.keyDown('r', 0, 0);
    }
}

// One game step of the tick with the player in control, on a field of its own.
void runFieldTicks(benchmark::State& state, int asteroidCount, float maxScale, float minScale)
{
    openContext();
    seedRandom(12345);
    Input keys;
    Camera view(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, -1.0f, 0.0f, 1.0f, 0.0f);
    Material rock(Vec4f(0.7f, 0.55f, 0.4f, 1.0f), Vec4f(8.0f, 0.6f, 0.5f, 1.0f),
                  Vec4f(0.2f, 0.2f, 0.2f, 1.0f), 64.0f);
    Player ship(&view, &keys);
    ship.place(Vec3f(0.0f, 0.0f, -20.0f), Vec3f(0.0f, 0.0f, -1.0f), Vec3f(0.0f, 1.0f, 0.0f));
    ship.takeControl();
    AsteroidsField field(Vec3f(0.0f, 0.0f, -250.0f), 100.0f, 100.0f, 500.0f, asteroidCount, 20,
                         maxScale, minScale, &rock, nullptr, &view);
    int64_t tick = 0;
    for (auto _ : state) {
        holdKeysFor(keys, tick++);
        field.update(&ship);
        ship.update();
        field.setSpeed(ship.getSpeed());
        if (field.collide(ship.getBox(), -20.0f, 0.0f)) {
            ship.setSpeed(0.0f);
        }
    }
    state.counters["asteroids"] = static_cast<double>(field.getAsteroids().size());
}

void BM_GameTickStep(benchmark::State& state)
{
    // The real process-wide scene, stepped by the game's own function.
    openContext();
    if (camera == nullptr) {
        input = new Input();
        seedRandom(12345);
        createScene();
    }
    int64_t tick = 0;
    for (auto _ : state) {
        holdKeysFor(*input, tick++);
        gameTickStep();
    }
}

void BM_GameTickStartupField(benchmark::State& state) { runFieldTicks(state, 250, 10.0f, 2.0f); }
void BM_GameTick1000Asteroids(benchmark::State& state) { runFieldTicks(state, 1000, 2.5f, 0.5f); }
void BM_GameTick4000Asteroids(benchmark::State& state) { runFieldTicks(state, 4000, 1.2f, 0.3f); }

void BM_FieldConstruction(benchmark::State& state)
{
    openContext();
    Camera view(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, -1.0f, 0.0f, 1.0f, 0.0f);
    Material rock(Vec4f(0.7f, 0.55f, 0.4f, 1.0f), Vec4f(8.0f, 0.6f, 0.5f, 1.0f),
                  Vec4f(0.2f, 0.2f, 0.2f, 1.0f), 64.0f);
    unsigned int seed = 1;
    for (auto _ : state) {
        seedRandom(seed++);
        // The field never frees its asteroids (they live for the whole run),
        // so this measures construction and leaks by design; keep it short.
        AsteroidsField field(Vec3f(0.0f, 0.0f, -250.0f), 100.0f, 100.0f, 500.0f, 250, 20, 10.0f, 2.0f,
                             &rock, nullptr, &view);
        benchmark::DoNotOptimize(field.getSplitIndex());
    }
}

void BM_StoneConstruction(benchmark::State& state)
{
    openContext();
    for (auto _ : state) {
        Stone stone(1.0f, 0.3f, Vec3f(1.0f, 1.0f, 1.0f));
        benchmark::DoNotOptimize(stone.getSize());
    }
}

void BM_SphereConstruction(benchmark::State& state)
{
    openContext();
    for (auto _ : state) {
        Sphere sphere(Vec3f(1.0f, 1.0f, 1.0f));
        benchmark::ClobberMemory();
    }
}

void BM_ShipConstruction(benchmark::State& state)
{
    openContext();
    for (auto _ : state) {
        Ship ship;
        benchmark::DoNotOptimize(ship.getBox());
    }
}
}

BENCHMARK(BM_GameTickStep)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GameTickStartupField)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GameTick1000Asteroids)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GameTick4000Asteroids)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FieldConstruction)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_StoneConstruction)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SphereConstruction)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ShipConstruction)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
