// SPDX-License-Identifier: MIT
// The music position on the content set's modules, through the pull output: every row of every order is
// seen in turn, and the position is always the order times the length of that order's pattern, as the file
// itself gives it, plus the row.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "audio/music_track.h"
#include "platform/headless/pull_audio.h"
#include "tests/audio/audio_test_files.h"

namespace {

int readU16(const std::vector<uint8_t>& b, size_t at) { return at + 1 < b.size() ? b[at] | b[at + 1] << 8 : -1; }
long readU32(const std::vector<uint8_t>& b, size_t at) {
    return at + 3 < b.size() ? static_cast<long>(readU16(b, at)) | static_cast<long>(readU16(b, at + 2)) << 16 : -1;
}

// The rows of the pattern at each order, straight from the XM headers.
std::vector<int> rowsPerOrder(const std::vector<uint8_t>& xm) {
    long headerSize = readU32(xm, 60);
    int orders = readU16(xm, 64), patterns = readU16(xm, 70);
    std::vector<int> patternRows;
    size_t at = 60 + static_cast<size_t>(headerSize);
    for (int p = 0; p < patterns; ++p) {
        long length = readU32(xm, at);
        patternRows.push_back(readU16(xm, at + 5));
        at += static_cast<size_t>(length) + static_cast<size_t>(readU16(xm, at + 7));
    }
    std::vector<int> rows;
    for (int o = 0; o < orders; ++o) {
        int pattern = xm[80 + o];
        rows.push_back(pattern < patterns ? patternRows[pattern] : 0);
    }
    return rows;
}

void walkModule(const std::string& path, int maxOrders) {
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 336u) << path;
    std::vector<int> rows = rowsPerOrder(bytes);

    usePullAudio(true);
    if (pullAudioRate() == 0) soundSystemOpen = false;  // an earlier test closed it: open it afresh
    MusicTrack track;
    ASSERT_GT(pullAudioRate(), 0);
    ASSERT_TRUE(track.load(path.c_str(), 0));
    track.play();
    int order = 0, row = 0, seen = 0;
    int16_t samples[2 * 100];
    while (order < std::min(maxOrders, static_cast<int>(rows.size()))) {
        mixPullAudio(samples, 100);  // shorter than one tick at any tempo
        int nowOrder = FMUSIC_GetOrder(track.song), nowRow = FMUSIC_GetRow(track.song);
        ASSERT_EQ(track.getPosition(), nowOrder * rows[nowOrder] + nowRow);
        if (nowOrder == order && nowRow == row) continue;
        // The next row, or the first row of the next order.
        if (nowOrder == order) {
            ASSERT_EQ(nowRow, row + 1) << "order " << order;
        } else {
            ASSERT_EQ(row, rows[order] - 1) << "order " << order;
            ASSERT_EQ(nowRow, 0);
            if (nowOrder == 0) break;  // the song started over
            ASSERT_EQ(nowOrder, order + 1);
        }
        order = nowOrder;
        row = nowRow;
        ++seen;
    }
    EXPECT_GT(seen, 100);
    track.release();
}

TEST(ContentModules, PatternsOfDifferentLengths) {
    walkModule(std::string(TAV_BUILD_DIR) + "/test-content/lengths/Data/sfx/trancen.xm", 1000);
}

TEST(ContentModules, FastSoundtrackFirstOrders) {
    walkModule(std::string(TAV_BUILD_DIR) + "/test-content/fast/Data/sfx/trancen.xm", 8);
}

}  // namespace
