// Frame benchmark: the game's real start-up and picture in an 800 by 600
// window, each frame finished with glFinish, measured side by side with an
// empty clear-and-swap frame. Also reports the time from process start to the
// first frame swapped, the cost of each pass of the picture, and the peak
// resident memory. Run it under an X server (Xvfb will do).

#include "ProcessClock.h"

#include "app/ConsoleOutput.h"
#include "app/Game.h"
#include "app/Input.h"
#include "game/AsteroidsField.h"
#include "game/GameRandom.h"
#include "game/Player.h"
#include "render/Camera.h"
#include "render/Material.h"
#include "scene/Planet.h"
#include "scene/Skybox.h"

#include <GL/glew.h>
#include <GL/freeglut.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Summary {
    double median = 0.0;
    double p90 = 0.0;
};

Summary summarise(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    Summary s;
    s.median = samples[samples.size() / 2];
    s.p90 = samples[std::min(samples.size() - 1, samples.size() * 9 / 10)];
    return s;
}

std::vector<double> timeFrames(int frames, const std::function<void()>& frame)
{
    std::vector<double> samples;
    samples.reserve(frames);
    for (int i = 0; i < frames; ++i) {
        const Clock::time_point start = Clock::now();
        frame();
        glFinish();
        samples.push_back(millisecondsSince(start));
    }
    return samples;
}

void emptyFrame()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glutSwapBuffers();
}

// The picture's passes one by one, each finished, to see where a frame goes.
void timePasses(int frames)
{
    std::vector<double> clear, sky, planetPass, farPass, shipPass, nearPass, swap;
    for (int i = 0; i < frames; ++i) {
        runTick();
        Clock::time_point t = Clock::now();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        camera->lookAt();
        glFinish();
        clear.push_back(millisecondsSince(t));
        t = Clock::now();
        skybox->draw();
        glFinish();
        sky.push_back(millisecondsSince(t));
        t = Clock::now();
        planet->draw();
        glFinish();
        planetPass.push_back(millisecondsSince(t));
        const GLfloat lightPosition[4] = {-50.0f, 50.0f, 80.0f, 0.0f};
        glLightfv(GL_LIGHT0, GL_POSITION, lightPosition);
        t = Clock::now();
        material->apply(1.0f, 1.0f);
        asteroidsField->drawFar();
        glFinish();
        farPass.push_back(millisecondsSince(t));
        t = Clock::now();
        player->draw();
        glFinish();
        shipPass.push_back(millisecondsSince(t));
        t = Clock::now();
        asteroidsField->drawNear();
        glFinish();
        nearPass.push_back(millisecondsSince(t));
        t = Clock::now();
        glutSwapBuffers();
        glFinish();
        swap.push_back(millisecondsSince(t));
    }
    const auto line = [](const char* name, const std::vector<double>& v) {
        printf("  %-22s median %6.2f ms\n", name, summarise(v).median);
    };
    printf("Passes of the picture (each finished with glFinish):\n");
    line("clear + view", clear);
    line("skybox", sky);
    line("planet", planetPass);
    line("far asteroids", farPass);
    line("ship and flames", shipPass);
    line("near asteroids", nearPass);
    line("swap", swap);
}
}

int main(int argc, char** argv)
{
    prepareConsoleOutput();
    int frames = 300;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
            frames = std::max(10, atoi(argv[++i]));
        } else if (strcmp(argv[i], "--help") == 0) {
            printf("Usage: zarvy-framebench [--frames N]   (default 300, after a warm-up)\n");
            return 0;
        } else {
            fprintf(stderr, "zarvy-framebench: unknown argument '%s'\n", argv[i]);
            return 2;
        }
    }

    // The game's start-up, seeded for a repeatable field.
    input = new Input();
    int glutArgc = 1;
    char name[] = "zarvy-framebench";
    char* glutArgv[] = {name, nullptr};
    openWindow(&glutArgc, glutArgv, "Zarvy framebench");
    initialiseGraphics();
    seedRandom(7);
    createScene();
    reshape(800, 600);
    display();
    glFinish();
    const double firstFrame = millisecondsSinceProcessStart();

    // Hold a boost and a weave so the field streams and the ship banks.
    input->keyDown('r', 0, 0);
    const auto gameFrame = [] {
        runTick();
        display();
    };
    timeFrames(60, gameFrame);
    timeFrames(60, emptyFrame);
    const Summary game = summarise(timeFrames(frames, gameFrame));
    const Summary empty = summarise(timeFrames(frames, emptyFrame));
    timePasses(std::min(frames, 120));

    printf("Full frame (tick + picture + swap, %d frames): median %.2f ms, p90 %.2f ms\n",
           frames, game.median, game.p90);
    printf("Empty clear-and-swap frame:                 median %.2f ms, p90 %.2f ms\n",
           empty.median, empty.p90);
    printf("Process start to first frame swapped: %.0f ms\n", firstFrame);
    printf("Peak resident memory: %.1f MB\n", peakResidentMegabytes());
    return 0;
}
