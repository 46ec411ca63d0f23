// The program's wave-output devices on Qt: a WAV file and a silent device that takes as long as
// the sound would (the sound server's is in pulseout.h), and the choice among them. Completions
// are delivered from the event loop of the thread that made the device (the user-interface
// thread).
#pragma once

#include "speech/waveout.h"

#include <QObject>
#include <QTimer>

#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

namespace tavi {

// Takes as long as the sound would play and makes no sound; buffers written meanwhile wait
// their turn.
class TNullWaveOut : public QObject, public TWaveOut {
public:
    TNullWaveOut();
    bool Open(const TSoundFormat& format) override;
    bool Write(std::string_view samples, std::uint64_t tag) override;
    bool Queues() const override { return true; }
    std::size_t Played() const override;
    bool Pause() override;
    bool Restart() override;
    bool Reset() override;
    bool Close() override;
    bool IsOpen() const override { return Opened; }

private:
    struct TQueued {
        std::uint64_t Tag;
        std::size_t Bytes;
    };
    void StartHead();
    void HeadDone();

    TSoundFormat Format;
    bool Opened = false;
    bool Paused = false;
    std::deque<TQueued> Queue;
    int Remaining = 0; // milliseconds of the oldest buffer left while paused
    QTimer Timer;
};

// Writes every buffer it has played into a WAV file, which each Open starts anew. A buffer is
// played at once (on the next turn of the event loop) unless the device is paused; a buffer
// dropped by Reset is not written.
class TWavFileWaveOut : public QObject, public TWaveOut {
public:
    explicit TWavFileWaveOut(std::filesystem::path file);
    bool Open(const TSoundFormat& format) override;
    bool Write(std::string_view samples, std::uint64_t tag) override;
    bool Queues() const override { return true; }
    bool Pause() override;
    bool Restart() override;
    bool Reset() override;
    bool Close() override;
    bool IsOpen() const override { return Out.is_open(); }

private:
    struct TQueued {
        std::uint64_t Tag;
        std::string Samples;
    };
    void Post();
    void Finish(std::uint64_t tag);

    std::filesystem::path File;
    std::ofstream Out;
    TSoundFormat Format;
    std::uint32_t DataBytes = 0;
    std::deque<TQueued> Queue;
    bool Paused = false;
};

// Which device the program plays on: chosen at start from $TAVI_AUDIO ("pulse", its old name
// "qt", "null", "wav:FILE", "none", or empty/"auto": the sound server, which plays in silence
// for as long as there is none).
struct TAudioChoice {
    enum Kind { Server, Null, Wav, None } Device = Server;
    std::filesystem::path WavFile;
    std::string Problem; // a value that could not be used (the automatic choice was made)
};
TAudioChoice ParseAudioChoice(std::string_view value);
const char* AudioChoiceName(TAudioChoice::Kind kind);

class TQtAudioSystem : public TAudioSystem {
public:
    explicit TQtAudioSystem(TAudioChoice choice) : Choice(std::move(choice)) {}
    int DeviceCount() const override;
    std::unique_ptr<TWaveOut> CreateDevice() override;
    std::unique_ptr<TWaveOut> CreateFileDevice(const std::filesystem::path& file) override;
    const TAudioChoice& Chosen() const { return Choice; }

private:
    TAudioChoice Choice;
};

// Chooses the device from the environment and installs the audio system; call once at start,
// with a Qt application object in place. Returns the choice made.
TAudioChoice InstallAudioSystem();

} // namespace tavi
