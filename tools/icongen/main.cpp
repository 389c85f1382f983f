// Renders the desktop icons: the game's own fighter, with its own texture,
// material and flames, seen from above and behind, on a transparent
// background; and the web app's icons, at the sizes a browser installs, one
// of them "maskable": opaque, with the fighter inside the circle that every
// mask a phone cuts leaves whole. One large picture is rendered for each
// framing and every icon is an area-weighted reduction of it, so the icons
// reproduce on any run.

#include "app/Game.h"
#include "app/Input.h"
#include "game/Player.h"
#include "render/Camera.h"
#include "texgen/ImageWriter.h"

#include <GL/glew.h>
#include <GL/freeglut.h>
#include <GL/glu.h>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {
// Every icon side divides the master side, so each icon pixel averages a
// whole square of master pixels.
const int masterSide = 768;
const int iconSides[] = {48, 64, 128, 256};
const int webIconSides[] = {192, 512};
const int maskableSide = 512;

// A view from above, behind and to the left of the ship: its nose points
// to the upper right.
const GLdouble eye[3] = {-4.0, 10.0, -8.0};
const GLdouble centre[3] = {0.0, 0.0, 0.0};
// The light comes from over the viewer's shoulder, brighter than in the
// game, so the grey hull stands out on dark and light panels alike.
const GLfloat lightPosition[4] = {-0.3f, 1.0f, -0.5f, 0.0f};
const GLfloat iconLight[4] = {1.7f, 1.7f, 1.7f, 1.0f};
// The share of the side left free on each edge around the picture.
const float margin = 0.03f;
// A maskable icon keeps what matters inside the centred circle of 80% of
// its side; the fighter's box, at most 54% of the side, fits in it.
const float maskableMargin = 0.23f;
// The maskable icon's background: the page's own.
const unsigned char maskableBackground[3] = {0x0b, 0x0d, 0x12};
const double fieldOfView = 40.0;

void usage(FILE* to)
{
    fprintf(to,
            "Usage: zarvy-icongen OUTDIR [WEBDIR]\n"
            "Renders the fighter and writes OUTDIR/zarvy-48.png, zarvy-64.png,\n"
            "zarvy-128.png and zarvy-256.png (RGBA, transparent background);\n"
            "with WEBDIR, also the web app's WEBDIR/zarvy-192.png, zarvy-512.png\n"
            "and zarvy-maskable-512.png (opaque, the fighter in the safe circle).\n"
            "Run it from the folder that holds Textures/.\n");
}

// The fighter drawn over a plain background of the given grey; RGB rows,
// bottom row first as GL gives them.
std::vector<unsigned char> renderOver(Player& ship, float grey)
{
    glLightfv(GL_LIGHT0, GL_DIFFUSE, iconLight);
    glClearColor(grey, grey, grey, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(eye[0], eye[1], eye[2], centre[0], centre[1], centre[2], 0.0, 1.0, 0.0);
    glLightfv(GL_LIGHT0, GL_POSITION, lightPosition);
    ship.draw();
    glFinish();
    std::vector<unsigned char> pixels(static_cast<size_t>(masterSide) * masterSide * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, masterSide, masterSide, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

// Sets a projection that shows the picture's opaque part centred and as
// large as the margin allows, given the picture under the plain projection.
void frame(const std::vector<float>& rgba, float edge)
{
    int left = masterSide, right = -1, bottom = masterSide, top = -1;
    for (int y = 0; y < masterSide; ++y) {
        for (int x = 0; x < masterSide; ++x) {
            if (rgba[(static_cast<size_t>(y) * masterSide + x) * 4 + 3] > 0.0f) {
                left = x < left ? x : left;
                right = x > right ? x : right;
                bottom = y < bottom ? y : bottom;
                top = y > top ? y : top;
            }
        }
    }
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    if (right >= left) {
        // The opaque box in normalised device coordinates, moved to the
        // centre and scaled to fill the square inside the margin.
        const float toDevice = 2.0f / masterSide;
        const float x0 = left * toDevice - 1.0f, x1 = (right + 1) * toDevice - 1.0f;
        const float y0 = bottom * toDevice - 1.0f, y1 = (top + 1) * toDevice - 1.0f;
        const float extent = (x1 - x0) > (y1 - y0) ? (x1 - x0) : (y1 - y0);
        const float scale = 2.0f * (1.0f - 2.0f * edge) / extent;
        glScalef(scale, scale, 1.0f);
        glTranslatef(-0.5f * (x0 + x1), -0.5f * (y0 + y1), 0.0f);
    }
    gluPerspective(fieldOfView, 1.0, 0.05, 100.0);
    glMatrixMode(GL_MODELVIEW);
}

// Premultiplied RGBA in [0, 1] from the same picture over black and over
// white: what lets the white through is the transparency, and the picture
// over black is the colour already multiplied by its coverage.
std::vector<float> unblend(const std::vector<unsigned char>& overBlack, const std::vector<unsigned char>& overWhite)
{
    const size_t count = overBlack.size() / 3;
    std::vector<float> rgba(count * 4);
    for (size_t i = 0; i < count; ++i) {
        float through = 0.0f;
        for (int c = 0; c < 3; ++c) {
            through += (overWhite[3 * i + c] - overBlack[3 * i + c]) / 255.0f;
        }
        float alpha = 1.0f - through / 3.0f;
        alpha = alpha < 0.0f ? 0.0f : (alpha > 1.0f ? 1.0f : alpha);
        for (int c = 0; c < 3; ++c) {
            const float colour = overBlack[3 * i + c] / 255.0f;
            rgba[4 * i + c] = colour < alpha ? colour : alpha;
        }
        rgba[4 * i + 3] = alpha;
    }
    return rgba;
}

// How much of master pixels FIRST to FIRST + 1 falls between FROM and TO,
// in master pixels: 1 inside, a fraction at an edge, 0 outside.
float overlap(int first, float from, float to)
{
    const float low = first > from ? static_cast<float>(first) : from;
    const float high = first + 1 < to ? static_cast<float>(first + 1) : to;
    return high > low ? high - low : 0.0f;
}

// The master reduced to side by side pixels, top row first, straight
// (not premultiplied) 8-bit RGBA as PNG stores it. Each icon pixel averages
// the master's square under it, weighting a master pixel by the share of it
// that lies inside; where the side divides the master's, every weight is 1.
std::vector<unsigned char> reduce(const std::vector<float>& master, int side)
{
    const float block = static_cast<float>(masterSide) / side;
    std::vector<unsigned char> icon(static_cast<size_t>(side) * side * 4);
    for (int y = 0; y < side; ++y) {
        const float top = y * block, bottom = (y + 1) * block;
        for (int x = 0; x < side; ++x) {
            const float left = x * block, right = (x + 1) * block;
            float sum[4] = {0.0f, 0.0f, 0.0f, 0.0f};
            for (int my = static_cast<int>(top); my < bottom && my < masterSide; ++my) {
                const float wy = overlap(my, top, bottom);
                // GL's rows run bottom up; the icon's top row is the master's last.
                const int row = masterSide - 1 - my;
                for (int mx = static_cast<int>(left); mx < right && mx < masterSide; ++mx) {
                    const float weight = wy * overlap(mx, left, right);
                    const float* p = &master[(static_cast<size_t>(row) * masterSide + mx) * 4];
                    for (int c = 0; c < 4; ++c) {
                        sum[c] += weight * p[c];
                    }
                }
            }
            const float area = block * block;
            const float alpha = sum[3] / area;
            unsigned char* out = &icon[(static_cast<size_t>(y) * side + x) * 4];
            for (int c = 0; c < 3; ++c) {
                const float straight = alpha > 0.0f ? (sum[c] / area) / alpha : 0.0f;
                out[c] = static_cast<unsigned char>(straight * 255.0f + 0.5f);
            }
            out[3] = static_cast<unsigned char>(alpha * 255.0f + 0.5f);
        }
    }
    return icon;
}

// The icon laid over an opaque background of the given colour.
std::vector<unsigned char> overBackground(std::vector<unsigned char> icon, const unsigned char background[3])
{
    for (size_t i = 0; i < icon.size(); i += 4) {
        const float alpha = icon[i + 3] / 255.0f;
        for (int c = 0; c < 3; ++c) {
            icon[i + c] = static_cast<unsigned char>(icon[i + c] * alpha + background[c] * (1.0f - alpha) + 0.5f);
        }
        icon[i + 3] = 255;
    }
    return icon;
}

// The fighter framed with EDGE free on each side, as premultiplied RGBA.
std::vector<float> master(Player& ship, float edge)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fieldOfView, 1.0, 0.05, 100.0);
    glMatrixMode(GL_MODELVIEW);
    frame(unblend(renderOver(ship, 0.0f), renderOver(ship, 1.0f)), edge);
    const std::vector<unsigned char> overBlack = renderOver(ship, 0.0f);
    const std::vector<unsigned char> overWhite = renderOver(ship, 1.0f);
    return unblend(overBlack, overWhite);
}

bool writeIcon(const std::string& path, const std::vector<unsigned char>& icon, int side)
{
    const ImageWriter writer;
    std::string error;
    if (!writer.write(path, icon, side, side, true, error)) {
        fprintf(stderr, "zarvy-icongen: could not write %s: %s\n", path.c_str(), error.c_str());
        return false;
    }
    return true;
}
}

int main(int argc, char** argv)
{
    if (argc == 2 && (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0)) {
        usage(stdout);
        return 0;
    }
    if (argc < 2 || argc > 3 || argv[1][0] == '\0' || argv[1][0] == '-' ||
        (argc == 3 && (argv[2][0] == '\0' || argv[2][0] == '-'))) {
        usage(stderr);
        return 2;
    }
    const std::string outDir = argv[1];
    const std::string webDir = argc == 3 ? argv[2] : "";

    // The game's own start-up, in a window as large as the master picture.
    input = new Input();
    int glutArgc = 1;
    char name[] = "zarvy-icongen";
    char* glutArgv[] = {name, nullptr};
    glutInit(&glutArgc, glutArgv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(masterSide, masterSide);
    glutInitWindowPosition(0, 0);
    glutCreateWindow("Zarvy icon");
    initialiseGraphics();
    glViewport(0, 0, masterSide, masterSide);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fieldOfView, 1.0, 0.05, 100.0);

    // The camera is only the player's to move; the picture uses its own view.
    camera = new Camera(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, -1.0f, 0.0f, 1.0f, 0.0f);
    Player ship(camera, input);
    ship.place(Vec3f(0.0f, 0.0f, 0.0f), Vec3f(0.0f, 0.0f, 1.0f), Vec3f(0.0f, 1.0f, 0.0f));
    // The first draw leaves back-face culling on, as in the running game;
    // a first picture finds where the ship lies in the square.
    renderOver(ship, 0.0f);
    const std::vector<float> icons = master(ship, margin);
    for (int side : iconSides) {
        if (!writeIcon(outDir + "/zarvy-" + std::to_string(side) + ".png", reduce(icons, side), side)) {
            return 1;
        }
    }
    if (webDir.empty()) {
        return 0;
    }
    for (int side : webIconSides) {
        if (!writeIcon(webDir + "/zarvy-" + std::to_string(side) + ".png", reduce(icons, side), side)) {
            return 1;
        }
    }
    const std::vector<unsigned char> maskable =
        overBackground(reduce(master(ship, maskableMargin), maskableSide), maskableBackground);
    if (!writeIcon(webDir + "/zarvy-maskable-" + std::to_string(maskableSide) + ".png", maskable, maskableSide)) {
        return 1;
    }
    return 0;
}
