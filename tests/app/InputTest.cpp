#include "app/Input.h"

#include <gtest/gtest.h>

TEST(InputTable, AllKeysStartUp)
{
    const Input input;
    for (int key = 0; key < 256; ++key) {
        EXPECT_FALSE(input.isKeyDown(static_cast<unsigned char>(key))) << key;
    }
}

TEST(InputTable, UpperAndLowerCaseAreDifferentKeys)
{
    // A press reported as w and a release reported as W (shift pressed in
    // between) leave w held.
    Input input;
    input.keyDown('w', 10, 20);
    EXPECT_TRUE(input.isKeyDown('w'));
    EXPECT_FALSE(input.isKeyDown('W'));
    input.keyUp('W', 10, 20);
    EXPECT_TRUE(input.isKeyDown('w'));
    input.keyUp('w', 0, 0);
    EXPECT_FALSE(input.isKeyDown('w'));
}

TEST(InputTable, EveryCharacterCodeHasItsOwnFlag)
{
    Input input;
    input.keyDown(255, 0, 0);
    input.keyDown(0, 0, 0);
    EXPECT_TRUE(input.isKeyDown(255));
    EXPECT_TRUE(input.isKeyDown(0));
    EXPECT_FALSE(input.isKeyDown(254));
    EXPECT_FALSE(input.isKeyDown(1));
}

TEST(InputTable, SpecialKeysNeverTouchTheCharacterTable)
{
    Input input;
    for (int code : {-1, 0, int('w'), 100, 101, 255, 256, 1000, -100000}) {
        input.specialKeyDown(code, 0, 0);
    }
    for (int key = 0; key < 256; ++key) {
        EXPECT_FALSE(input.isKeyDown(static_cast<unsigned char>(key))) << key;
    }
    input.specialKeyUp(256, 0, 0);
    input.specialKeyUp(-5, 0, 0);
}
