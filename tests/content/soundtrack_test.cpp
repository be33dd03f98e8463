// SPDX-License-Identifier: MIT
// The generated soundtracks played through libopenmpt: structure, length, sections and how they sound.
#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.h>
#include <minizip/unzip.h>

namespace {

// Where the show's scenes change, as music positions (order x 64 + row).
const int kSceneChanges[] = {256, 384, 512, 640, 768, 896, 1024, 1152, 1472, 1984, 2112, 2240};
const int kShowEnd = 2305; // the first position past the show's end

std::vector<char> readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<char> archiveMember(const std::string& archive, const char* name)
{
    std::vector<char> out;
    unzFile zip = unzOpen(archive.c_str());
    if (!zip)
        return out;
    unz_file_info info;
    if (unzLocateFile(zip, name, 2) == UNZ_OK &&
        unzGetCurrentFileInfo(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) == UNZ_OK &&
        unzOpenCurrentFile(zip) == UNZ_OK) {
        out.resize(info.uncompressed_size);
        if (unzReadCurrentFile(zip, out.data(), static_cast<unsigned>(out.size())) != static_cast<int>(out.size()))
            out.clear();
        unzCloseCurrentFile(zip);
    }
    unzClose(zip);
    return out;
}

class Module {
public:
    explicit Module(const std::vector<char>& bytes)
    {
        int error = 0;
        mod = openmpt_module_create_from_memory2(bytes.data(), bytes.size(), nullptr, nullptr, nullptr, nullptr,
                                                 &error, nullptr, nullptr);
        if (mod)
            openmpt_module_ctl_set_integer(mod, "dither", 0);
    }
    ~Module()
    {
        if (mod)
            openmpt_module_destroy(mod);
    }
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;
    openmpt_module* mod = nullptr;

    int orders() const { return openmpt_module_get_num_orders(mod); }
    int rowsAt(int order) const
    {
        return openmpt_module_get_pattern_num_rows(mod, openmpt_module_get_order_pattern(mod, order));
    }
    // Seconds from the start until the given order and row are reached.
    double secondsAt(int order, int row) { return openmpt_module_set_position_order_row(mod, order, row); }
    // The (channel, instrument) pairs that sound in the pattern at an order.
    std::set<std::pair<int, int>> voices(int order) const
    {
        std::set<std::pair<int, int>> out;
        int pattern = openmpt_module_get_order_pattern(mod, order);
        int channels = openmpt_module_get_num_channels(mod);
        for (int row = 0; row < rowsAt(order); ++row)
            for (int ch = 0; ch < channels; ++ch) {
                int instrument = openmpt_module_get_pattern_row_channel_command(mod, pattern, row, ch,
                                                                                 OPENMPT_MODULE_COMMAND_INSTRUMENT);
                if (instrument)
                    out.insert({ch, instrument});
            }
        return out;
    }
};

std::vector<char> soundtrack()
{
    return archiveMember(std::string(TAV_BUILD_DIR) + "/vel.kod", "Data/sfx/trancen.xm");
}

TEST(Soundtrack, LoadsWithSixtyFourRowOrdersPastTheShowsEnd)
{
    Module m(soundtrack());
    ASSERT_NE(m.mod, nullptr);
    EXPECT_GE(m.orders(), 38);
    for (int order = 0; order < m.orders(); ++order)
        EXPECT_EQ(m.rowsAt(order), 64) << "order " << order;
    double duration = openmpt_module_get_duration_seconds(m.mod);
    EXPECT_GE(duration, 150.0);
    EXPECT_LE(duration, 270.0);
    // The show ends at position 2305 and starts the music after a four-second pause.
    double showSeconds = m.secondsAt(kShowEnd / 64, kShowEnd % 64) + 4.0;
    EXPECT_GE(showSeconds, 150.0);
    EXPECT_LE(showSeconds, 270.0);
    EXPECT_LT(showSeconds, duration + 4.0);
    EXPECT_GE(openmpt_module_get_num_instruments(m.mod), 6);
}

TEST(Soundtrack, SectionsChangeWhereTheScenesChange)
{
    Module m(soundtrack());
    ASSERT_NE(m.mod, nullptr);
    for (int position : kSceneChanges) {
        int order = position / 64;
        EXPECT_NE(m.voices(order), m.voices(order - 1)) << "no change at position " << position;
    }
}

// Mono render at a low rate, enough for levels.
std::vector<float> render(Module& m, int rate)
{
    std::vector<float> out;
    std::vector<float> block(4096);
    size_t n;
    while ((n = openmpt_module_read_float_mono(m.mod, rate, block.size(), block.data())) > 0)
        out.insert(out.end(), block.begin(), block.begin() + static_cast<long>(n));
    return out;
}

double rms(const std::vector<float>& x, size_t from, size_t to)
{
    double sum = 0.0;
    to = std::min(to, x.size());
    for (size_t i = from; i < to; ++i)
        sum += static_cast<double>(x[i]) * x[i];
    return to > from ? std::sqrt(sum / (to - from)) : 0.0;
}

TEST(Soundtrack, PlaysWithABeatAndEndsQuietly)
{
    Module m(soundtrack());
    ASSERT_NE(m.mod, nullptr);
    const int rate = 8000;
    std::vector<float> audio = render(m, rate);
    ASSERT_FALSE(audio.empty());
    float peak = 0.0f;
    for (float v : audio)
        peak = std::max(peak, std::fabs(v));
    EXPECT_GT(peak, 0.1f);
    EXPECT_LE(peak, 1.0f) << "the mix clips";

    double secondsPerOrder = m.secondsAt(1, 0);
    auto orderLevel = [&](int order) {
        size_t from = static_cast<size_t>(order * secondsPerOrder * rate);
        return rms(audio, from, from + static_cast<size_t>(secondsPerOrder * rate));
    };
    // Every order of the show makes sound; the drops are louder than the breakdowns before them.
    for (int order = 0; order < 35; ++order)
        EXPECT_GT(orderLevel(order), 0.01) << "order " << order << " is silent";
    EXPECT_GT(orderLevel(10), orderLevel(9));
    EXPECT_GT(orderLevel(33), orderLevel(32));
    // The ending is quieter than the last drop and the last order rings out to silence.
    EXPECT_LT(orderLevel(35), orderLevel(34));
    EXPECT_LT(orderLevel(m.orders() - 1), 0.002);

    // In a full section the level rises on each beat (a kick every 4 rows): compare the first 30 ms after each
    // beat with the 30 ms just before it, over a whole pattern.
    double rowSeconds = secondsPerOrder / 64.0;
    int louder = 0;
    for (int beat = 1; beat < 16; ++beat) {
        size_t at = static_cast<size_t>((10 * 64 + beat * 4) * rowSeconds * rate);
        size_t span = static_cast<size_t>(0.03 * rate);
        louder += rms(audio, at, at + span) > rms(audio, at - span, at) ? 1 : 0;
    }
    EXPECT_GE(louder, 13);
}

TEST(TestSoundtracks, FastOneKeepsTheOrdersAndPassesTheShowInUnderThirtySeconds)
{
    Module song(soundtrack());
    Module fast(readBytes(std::string(TAV_BUILD_DIR) + "/test-content/fast/Data/sfx/trancen.xm"));
    ASSERT_NE(song.mod, nullptr);
    ASSERT_NE(fast.mod, nullptr);
    ASSERT_EQ(fast.orders(), song.orders());
    for (int order = 0; order < song.orders(); ++order)
        EXPECT_EQ(fast.voices(order), song.voices(order)) << "order " << order;
    EXPECT_LT(fast.secondsAt(kShowEnd / 64, kShowEnd % 64) + 4.0, 30.0);
    EXPECT_LT(openmpt_module_get_duration_seconds(fast.mod), 30.0);
}

TEST(TestSoundtracks, LengthsModuleHasPatternsOfDifferentLengths)
{
    Module m(readBytes(std::string(TAV_BUILD_DIR) + "/test-content/lengths/Data/sfx/trancen.xm"));
    ASSERT_NE(m.mod, nullptr);
    std::set<int> lengths;
    for (int order = 0; order < m.orders(); ++order)
        lengths.insert(m.rowsAt(order));
    EXPECT_GE(lengths.size(), 3u);
    EXPECT_TRUE(lengths.count(64));
}

} // namespace
