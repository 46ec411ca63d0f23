// The master volume and what a volume does to samples.
#include "fakewaveout.h"
#include "support/testdata.h"

#include "speech/mastervol.h"
#include "speech/waveout.h"

#include <gtest/gtest.h>

using speechtest::DeviceLog;
using speechtest::FakeAudioSystem;
using speechtest::ScopedAudioSystem;

namespace {

ScopedAudioSystem Devices(int count) {
    return ScopedAudioSystem(
        std::make_unique<FakeAudioSystem>(std::make_shared<DeviceLog>(), count));
}

TEST(MasterVol, TrackBarSteps) {
    const struct {
        int position;
        std::uint16_t volume;
    } steps[] = {{0, 0},     {1, 6553},  {2, 13107}, {3, 19660}, {4, 26214}, {5, 32767},
                 {6, 39321}, {7, 45874}, {8, 52428}, {9, 58981}, {10, 65535}};
    for (const auto& s : steps) {
        EXPECT_EQ(tavi::TMasterVol::PositionVolume(s.position), s.volume) << s.position;
        EXPECT_EQ(tavi::TMasterVol::Position(s.volume), s.position) << s.volume;
    }
    // A position outside the bar is held at its ends.
    EXPECT_EQ(tavi::TMasterVol::PositionVolume(11), 65535);
    EXPECT_EQ(tavi::TMasterVol::PositionVolume(-1), 0);
}

TEST(MasterVol, PositionFiveSetsBothChannelsOfEveryDevice) {
    auto scope = Devices(2);
    tavi::TMasterVol vol;
    EXPECT_EQ(vol.DeviceCount, 2);
    vol.SetVolume(tavi::TMasterVol::PositionVolume(5));
    EXPECT_EQ(vol.Volume, 32767);
    EXPECT_EQ(tavi::OutputVolume(), 0x7FFF7FFFu);
    // A new master volume shows what was set.
    EXPECT_EQ(tavi::TMasterVol().Volume, 32767);
}

TEST(MasterVol, CreateTakesTheLeftChannel) {
    auto scope = Devices(1);
    tavi::SetOutputVolume(0x1234ABCD);
    EXPECT_EQ(tavi::TMasterVol().Volume, 0xABCD);
}

TEST(MasterVol, WithoutDeviceVolumeIsZeroAndSettingIsIgnored) {
    auto scope = Devices(0);
    tavi::SetOutputVolume(0xFFFFFFFF);
    tavi::TMasterVol vol;
    EXPECT_EQ(vol.DeviceCount, 0);
    EXPECT_EQ(vol.Volume, 0);
    vol.SetVolume(1000);
    EXPECT_EQ(vol.Volume, 0);
    EXPECT_EQ(tavi::OutputVolume(), 0xFFFFFFFFu);
}

tavi::TSoundFormat Format(int channels, int bits) {
    tavi::TSoundFormat f;
    f.Channels = static_cast<std::uint16_t>(channels);
    f.BitsPerSample = static_cast<std::uint16_t>(bits);
    f.SamplesPerSec = 22050;
    f.BlockAlign = static_cast<std::uint16_t>(channels * bits / 8);
    f.AvgBytesPerSec = f.SamplesPerSec * f.BlockAlign;
    return f;
}

TEST(ScaleSamples, FollowsTheLevelsOfTheChannels) {
    using tavitest::Hex;
    const struct {
        int channels, bits;
        std::uint32_t volume;
        std::string in, out;
    } cases[] = {
        // 8-bit unsigned: 80 is silence and stays so.
        {1, 8, 0xFFFFFFFF, Hex("00 80 FF"), Hex("00 80 FF")},
        {1, 8, 0x00007FFF, Hex("00 80 FF C0"), Hex("40 80 BF A0")},
        {1, 8, 0xFFFF0000, Hex("00 FF"), Hex("80 80")}, // mono follows the left level
        {2, 8, 0xFFFF0000, Hex("00 00 FF FF"), Hex("80 00 80 FF")},
        // 16-bit signed little-endian, left then right.
        {1, 16, 0x00007FFF, Hex("00 80 FF 7F 00 40"), Hex("00 C0 FF 3F 00 20")},
        {2, 16, 0x7FFFFFFF, Hex("00 40 00 40 00 C0 00 C0"), Hex("00 40 00 20 00 C0 00 E0")},
    };
    for (const auto& c : cases) {
        const std::string got = tavi::ScaleSamples(Format(c.channels, c.bits), c.in, c.volume);
        EXPECT_EQ(tavitest::HexOf(got), tavitest::HexOf(c.out))
            << c.channels << "ch " << c.bits << "bit " << std::hex << c.volume;
    }
}

TEST(WaveFormat, OnlyPlayableFormatsReachADevice) {
    EXPECT_TRUE(tavi::IsPlayableFormat(tavi::TSoundFormat()));
    EXPECT_TRUE(tavi::IsPlayableFormat(Format(2, 16)));
    const auto broken = [](auto change) {
        tavi::TSoundFormat f;
        change(f);
        return tavi::IsPlayableFormat(f);
    };
    EXPECT_FALSE(broken([](auto& f) { f.FormatTag = 3; }));
    EXPECT_FALSE(broken([](auto& f) { f.Channels = 0; }));
    EXPECT_FALSE(broken([](auto& f) { f.BitsPerSample = 12; }));
    EXPECT_FALSE(broken([](auto& f) { f.SamplesPerSec = 0; }));
    EXPECT_FALSE(broken([](auto& f) { f.AvgBytesPerSec = 0; })); // would divide by zero
    EXPECT_FALSE(broken([](auto& f) { f.BlockAlign = 4; }));
    EXPECT_EQ(tavi::PlayMilliseconds(tavi::TSoundFormat(), 11025), 1000);
    EXPECT_EQ(tavi::PlayMilliseconds(tavi::TSoundFormat(), 1), 1);
}

} // namespace
