// The program's wave-output devices on Qt: the sound server through QAudioSink, a WAV file, and
// a silent device that takes as long as the sound would. Completions are delivered from the
// event loop of the thread that made the device (the user-interface thread).
#pragma once

#include "speech/waveout.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

class QAudioSink;
class QIODevice;

namespace tavi {

// Plays on the sound server's default output. Buffers are handed to the server as they come, so
// that a buffer written while another plays follows it without a gap; one is reported played
// when the server's position has passed it, the last when the stream has run dry.
class TQtWaveOut : public QObject, public TWaveOut {
public:
    TQtWaveOut();
    ~TQtWaveOut() override;
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
    // A buffer handed over: where it ends in the stream (bytes since the stream started).
    struct TQueued {
        std::uint64_t Tag;
        qint64 End;
    };
    bool StartStream();
    void Feed();
    void PadShortStart();
    void StateChanged(int state);
    void Poll();
    void DeliverThrough(std::size_t count);
    qint64 StreamPlayed() const;
    void ArmWatchdog();
    void DropSink();

    QAudioSink* Sink = nullptr; // owned; deleted from the event loop (its destructor pumps events)
    QIODevice* Io = nullptr;    // the stream, nullptr when stopped
    TSoundFormat Format;
    bool Opened = false;
    std::string OpenError;
    QByteArray Pending;                       // what the stream has not taken yet
    qint64 Queued = 0;                        // bytes of the stream written, padding included
    qint64 DryFrom = 0;                       // where the stream stood when it last ran dry
    qint64 HeadStart = 0;                     // where the oldest buffer not yet reported starts
    std::deque<TQueued> Queue;                // buffers not yet reported, oldest first
    std::uint64_t Written = 0, Delivered = 0; // buffers written and reported, ever
    bool Paused = false;
    QTimer FeedTimer;
    QTimer PadTimer;  // pads a short start once the owner has written what it had at once
    QTimer PollTimer; // watches the server's position while a buffer waits behind another
    QTimer Watchdog;  // a server that never reports the end must not leave callers waiting
};

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

// Which device the program plays on: chosen at start from $TAVI_AUDIO ("qt", "null",
// "wav:FILE", "none", or empty/"auto": the sound server when it has an output, else null).
struct TAudioChoice {
    enum Kind { Qt, Null, Wav, None } Device = Null;
    std::filesystem::path WavFile;
    std::string Problem; // a value that could not be used (the automatic choice was made)
};
TAudioChoice ParseAudioChoice(std::string_view value, bool haveOutput);
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
