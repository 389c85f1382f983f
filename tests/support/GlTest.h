#ifndef ZARVY_TESTS_GLTEST_H
#define ZARVY_TESTS_GLTEST_H

#include <gtest/gtest.h>

#include <GL/glew.h>
#include <string>
#include <vector>

// Shared fixture for every test that needs OpenGL: one real window on the
// test display per test process, GLEW and DevIL initialised and the game's
// own baseline pipeline state set, with an 800 by 600 projection.
class GlTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    // RGBA of one pixel of the back buffer, x and y from the bottom left.
    static std::vector<unsigned char> readPixel(int x, int y);
    // The whole 800 by 600 back buffer as RGBA rows, bottom row first.
    static std::vector<unsigned char> readBackBuffer();
    // Writes RGBA rows (bottom row first, as GL gives them) as a PNG.
    static bool savePng(const std::string& path, const std::vector<unsigned char>& rgba,
                        int width, int height);
};

#endif
