// SPDX-License-Identifier: MIT
// The show timeline: one frame of the show, its scene chosen by the music position.
#pragma once

class ShowTimeline {
public:
    int particleIndex = 0;      // particle texture the fountain draws with next frame
    int fadeVolume = 0;         // volume read before the end, then lowered by one per frame
    float backHeight = 0.0f;    // Titles: back_0 height, up to 600
    float logoWidth = 0.0f;     // Titles: kologo width, up to 800
    int velWidth = 0;           // Logo growth: up to 800 x 600
    int velHeight = 0;
    float flightX = 800.0f;     // Brodic flight: base position
    float flightY = 800.0f;
    bool fieldReady = false;    // the quad field's offsets have been drawn
    float fieldDepth = 0.0f;
    float quadZ = -100.0f;

    void drawFrame();

private:
    void drawScene(int position);
    void drawTitles();
    void drawCubeGrid1(int position);
    void drawCubeGrid2(int position);
    void drawQuadField(bool additive);
};

// The frame's view of the music position; tests point this at a chosen position. Null in the show.
extern const int* musicPositionOverride;

enum ShowScene {
    sceneOpening,
    sceneTitles,
    sceneLogoGrowth,
    sceneInterlude,
    sceneCodePanel,
    sceneGfxPanel,
    sceneSfxPanel,
    sceneCubeRows1,
    sceneBrodicFlight,
    sceneCubeRows2,
    sceneCubeRows3,
    sceneQuadField1,
    sceneCubeGrid1,
    sceneCubeGrid2,
    sceneApproach,
    sceneQuadField2,
    sceneFlyIn,
    sceneClosing,
    sceneEnd,
};

// The schedule: which scene a music position belongs to (ranges inclusive).
ShowScene sceneForPosition(int position);
