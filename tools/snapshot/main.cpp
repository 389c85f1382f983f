// Renders one deterministic picture of the real game: the game's own
// start-up with a fixed seed, a number of ticks with scripted keys, then the
// picture, written as an 800 by 600 PNG.

#include "KeyScript.h"

#include "app/ConsoleOutput.h"
#include "app/Game.h"
#include "app/Input.h"
#include "game/GameRandom.h"

#include <GL/glew.h>
#include <GL/freeglut.h>
#include <IL/il.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {
const int width = 800;
const int height = 600;

void usage(FILE* to)
{
    fprintf(to,
            "Usage: zarvy-snapshot [--seed N] [--ticks N] [--keys SCRIPT] --out FILE.png\n"
            "Renders the game after N ticks (default 0) from seed N (default 1).\n"
            "SCRIPT lists comma-separated entries TICKS:KEYS, where TICKS is a range\n"
            "FIRST-LAST (keys held from tick FIRST up to LAST) or one tick (a press\n"
            "for that tick), and KEYS joins keys with '+': single characters or\n"
            "space, minus, period. Example: 0-40:d,40-80:d+r,120:space\n");
}

bool parseCount(const char* text, long long limit, long long& value)
{
    if (text == nullptr || *text == '\0' || strspn(text, "0123456789") != strlen(text) || strlen(text) > 12) {
        return false;
    }
    value = atoll(text);
    return value <= limit;
}

int fail(const std::string& message)
{
    fprintf(stderr, "zarvy-snapshot: %s\n", message.c_str());
    fprintf(stderr, "Try 'zarvy-snapshot --help'.\n");
    return 2;
}

bool writePng(const std::string& path)
{
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 4);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    for (size_t i = 3; i < pixels.size(); i += 4) {
        pixels[i] = 255;
    }
    // GL gives the bottom row first; store the rows top row first and tell
    // DevIL so, so the file is in image order.
    std::vector<unsigned char> rows(pixels.size());
    const size_t stride = static_cast<size_t>(width) * 4;
    for (int y = 0; y < height; ++y) {
        memcpy(&rows[y * stride], &pixels[(height - 1 - y) * stride], stride);
    }
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    bool ok = ilTexImage(width, height, 1, 4, IL_RGBA, IL_UNSIGNED_BYTE, rows.data());
    if (ok) {
        ilRegisterOrigin(IL_ORIGIN_UPPER_LEFT);
        ilEnable(IL_FILE_OVERWRITE);
        ok = ilSaveImage(path.c_str());
    }
    ilDeleteImages(1, &image);
    return ok;
}
}

int main(int argc, char** argv)
{
    prepareConsoleOutput();
    long long seed = 1;
    long long ticks = 0;
    std::string script;
    std::string out;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (arg == "--help" || arg == "-h") {
            usage(stdout);
            return 0;
        } else if (arg == "--seed") {
            if (!parseCount(value, 4294967295LL, seed)) {
                return fail("--seed needs a whole number from 0 to 4294967295");
            }
            ++i;
        } else if (arg == "--ticks") {
            if (!parseCount(value, 10000000LL, ticks)) {
                return fail("--ticks needs a whole number from 0 to 10000000");
            }
            ++i;
        } else if (arg == "--keys") {
            if (value == nullptr) {
                return fail("--keys needs a script");
            }
            script = value;
            ++i;
        } else if (arg == "--out") {
            if (value == nullptr || *value == '\0') {
                return fail("--out needs a file name");
            }
            out = value;
            ++i;
        } else {
            return fail("unknown argument '" + arg + "'");
        }
    }
    if (out.empty()) {
        return fail("--out FILE is required");
    }
    std::vector<KeyEvent> events;
    std::string error;
    if (!parseKeyScript(script, events, error)) {
        return fail(error);
    }

    // The game's own start-up, with the seed in place of the clock.
    input = new Input();
    int glutArgc = 1;
    char name[] = "zarvy-snapshot";
    char* glutArgv[] = {name, nullptr};
    openWindow(&glutArgc, glutArgv, "Zarvy snapshot");
    initialiseGraphics();
    seedRandom(static_cast<unsigned int>(seed));
    createScene();
    reshape(width, height);

    size_t next = 0;
    for (long long tick = 0; tick < ticks; ++tick) {
        for (; next < events.size() && events[next].tick <= tick; ++next) {
            if (events[next].down) {
                handleKeyDown(events[next].key, 0, 0);
            } else {
                keyboardUp(events[next].key, 0, 0);
            }
        }
        runTick();
    }
    // A running game has drawn frames before: the first one leaves back-face
    // culling on and the light placed, which the real picture relies on.
    drawPicture();
    drawPicture();
    if (!writePng(out)) {
        fprintf(stderr, "zarvy-snapshot: could not write %s\n", out.c_str());
        return 1;
    }
    return 0;
}
