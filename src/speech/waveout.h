// The wave-output device that both voices play on, and the program's audio system that makes
// devices. A device plays one buffer at a time, asynchronously, and reports each buffer it has
// played through OnDone, always later, from the event loop of the user-interface thread and
// never from inside one of its own calls, so the owner may start the next buffer from there.
// A device that queues takes further buffers while one plays and plays them after it without
// a gap, reporting each in turn.
#pragma once

#include "speech/sounddata.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace tavi {

class TWaveOut {
public:
    virtual ~TWaveOut() = default;

    // Told that the buffer written with this tag has been played to its end. Buffers dropped by
    // Reset or Close are never reported.
    std::function<void(std::uint64_t tag)> OnDone;

    // Each operation returns false on failure and leaves the reason in ErrorText().
    virtual bool Open(const TSoundFormat& format) = 0;
    // Starts playing samples (whole frames of the opened format), or, on a device that queues,
    // puts them behind the buffers not yet played. The device may keep a view of them: they stay
    // allocated and unchanged until OnDone or Reset.
    virtual bool Write(std::string_view samples, std::uint64_t tag) = 0;
    // Whether Write may be called again before the buffer written before it has been reported.
    virtual bool Queues() const { return false; }
    // How many bytes of the oldest buffer not yet reported have been heard (a sound server's
    // figure is its own estimate); 0 when none is playing.
    virtual std::size_t Played() const { return 0; }
    // Pause holds the device, also when nothing plays: a buffer written meanwhile waits for
    // Restart.
    virtual bool Pause() = 0;
    virtual bool Restart() = 0;
    // Drops what is playing or paused, and every buffer queued, and ends a pause. Nothing to
    // drop (or a closed device) is a success.
    virtual bool Reset() = 0;
    // Drops what is playing and closes; closing a closed device is a success.
    virtual bool Close() = 0;
    virtual bool IsOpen() const = 0;
    const std::string& ErrorText() const { return Error; }

protected:
    bool Fail(std::string text) {
        Error = std::move(text);
        return false;
    }
    bool Succeed() {
        Error.clear();
        return true;
    }

private:
    std::string Error;
};

// Error texts shared by the devices.
inline constexpr const char* NoDeviceText = "No sound output device is available.";
inline constexpr const char* NotOpenText = "The sound device is not open.";
inline constexpr const char* BadFormatText =
    "The sound format is not supported: only 8-bit unsigned and 16-bit signed PCM, one or two "
    "channels, 1000 to 192000 samples per second.";

// Whether a device can play this format (a damaged dictionary header must not reach a device).
bool IsPlayableFormat(const TSoundFormat& format);
// The play time of a number of bytes in milliseconds (rounded up).
std::int64_t PlayMilliseconds(const TSoundFormat& format, std::size_t bytes);

// The program's own output volume, as one value of the old per-device wave volume: left level
// in the low 16 bits, right level in the high 16. Full volume at start.
std::uint32_t OutputVolume();
void SetOutputVolume(std::uint32_t volume);
// Samples scaled by a volume value: a mono stream follows the left level, a stereo stream each
// channel its own level. Formats that IsPlayableFormat refuses are copied unchanged.
std::string ScaleSamples(const TSoundFormat& format, std::string_view samples,
                         std::uint32_t volume);

// The devices of the program. The program installs its audio layer at start; until then (and
// in programs without one) there is no device at all.
class TAudioSystem {
public:
    virtual ~TAudioSystem() = default;
    // Number of wave-output devices.
    virtual int DeviceCount() const = 0;
    // The device the program plays on.
    virtual std::unique_ptr<TWaveOut> CreateDevice() = 0;
    // A device that writes what it plays into a WAV file.
    virtual std::unique_ptr<TWaveOut> CreateFileDevice(const std::filesystem::path& file) = 0;
};

TAudioSystem& AudioSystem();
// Installs the audio system and returns the one it replaces (nullptr: no device).
std::unique_ptr<TAudioSystem> SetAudioSystem(std::unique_ptr<TAudioSystem> system);

// A device that does not exist: every open fails with NoDeviceText.
class TNoWaveOut : public TWaveOut {
public:
    bool Open(const TSoundFormat&) override { return Fail(NoDeviceText); }
    bool Write(std::string_view, std::uint64_t) override { return Fail(NoDeviceText); }
    bool Pause() override { return Fail(NoDeviceText); }
    bool Restart() override { return Fail(NoDeviceText); }
    bool Reset() override { return Succeed(); }
    bool Close() override { return Succeed(); }
    bool IsOpen() const override { return false; }
};

} // namespace tavi
