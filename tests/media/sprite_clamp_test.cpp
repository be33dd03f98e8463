// SPDX-License-Identifier: MIT
// Sprite positions are clamped into the box on every move; the upper bounds are applied last.
#include <gtest/gtest.h>

#include "media/sprite.h"

static void expectAt(const Sprite& sprite, float x, float y) {
    EXPECT_EQ(sprite.x, x);
    EXPECT_EQ(sprite.y, y);
}

TEST(SpriteClamp, NewSpritesStayInsideTheWindow) {
    Sprite sprite;
    expectAt(sprite, 0, 0);
    sprite.setPosition(900, -50);
    expectAt(sprite, 800, 0);
    sprite.moveBy(-1000, 700);
    expectAt(sprite, 0, 600);
    sprite.moveBy(35, -20);
    expectAt(sprite, 35, 580);
}

TEST(SpriteClamp, WideBoxesLetNegativePositionsThrough) {
    Sprite sprite;
    sprite.setClampBox(-800, -600, 800, 600);
    sprite.setPosition(500, 40);
    expectAt(sprite, 500, 40);
    sprite.setPosition(-700, -900);
    expectAt(sprite, -700, -600);
}

TEST(SpriteClamp, AnInvertedBoxCollapsesToItsMaximum) {
    Sprite sprite;
    sprite.setClampBox(800, 600, 0, 0);
    for (int position : {-50, 0, 400, 900}) {
        sprite.setPosition(position, position);
        expectAt(sprite, 0, 0);
    }
}

TEST(SpriteClamp, SettingABoxMovesNothingUntilTheNextMove) {
    Sprite sprite;
    sprite.setPosition(700, 500);
    sprite.setClampBox(0, 0, 100, 100);
    expectAt(sprite, 700, 500);
    sprite.moveBy(0, 0);
    expectAt(sprite, 100, 100);
}
