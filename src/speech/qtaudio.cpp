#include "speech/qtaudio.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>

#include <cstdlib>

namespace tavi {

namespace {

// Margin over the play time after which a buffer counts as played even without the server's
// word: the null output of a loaded machine was seen to take about three seconds longer.
constexpr int WatchdogMarginMs = 8000;

QAudioFormat ToQt(const TSoundFormat& f) {
    QAudioFormat q;
    q.setSampleRate(static_cast<int>(f.SamplesPerSec));
    q.setChannelCount(f.Channels);
    q.setSampleFormat(f.BitsPerSample == 8 ? QAudioFormat::UInt8 : QAudioFormat::Int16);
    return q;
}

std::string SinkErrorText(QAudio::Error error) {
    switch (error) {
    case QAudio::NoError: break;
    case QAudio::OpenError: return "The sound device could not be opened.";
    case QAudio::IOError: return "The sound device failed while playing.";
    case QAudio::UnderrunError: break;
    case QAudio::FatalError: return "The sound server cannot be used.";
    }
    return "The sound device reported an error.";
}

} // namespace

// ---- QAudioSink ----

TQtWaveOut::TQtWaveOut() {
    FeedTimer.setInterval(20);
    QObject::connect(&FeedTimer, &QTimer::timeout, this, [this] { Feed(); });
    Watchdog.setSingleShot(true);
    QObject::connect(&Watchdog, &QTimer::timeout, this, [this] {
        if (Outstanding) Deliver(Tag);
    });
}

TQtWaveOut::~TQtWaveOut() {
    DropSink();
}

void TQtWaveOut::DropSink() {
    if (!Sink) return;
    Sink->disconnect(this);
    Sink->stop();
    Sink->deleteLater();
    Sink = nullptr;
    Io = nullptr;
}

bool TQtWaveOut::Open(const TSoundFormat& format) {
    if (Opened) Close();
    OpenError.clear();
    if (!IsPlayableFormat(format)) return Fail(OpenError = BadFormatText);
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) return Fail(OpenError = NoDeviceText);
    const QAudioFormat qformat = ToQt(format);
    if (!device.isFormatSupported(qformat)) return Fail(OpenError = BadFormatText);
    // A sink of the same format is kept from one opening to the next.
    if (Sink && Format.Bytes() != format.Bytes()) DropSink();
    Format = format;
    if (!Sink) {
        Sink = new QAudioSink(device, qformat);
        QObject::connect(Sink, &QAudioSink::stateChanged, this,
                         [this](QAudio::State s) { StateChanged(s); });
    }
    if (!StartStream()) {
        OpenError = ErrorText();
        DropSink();
        return false;
    }
    Opened = true;
    return Succeed();
}

bool TQtWaveOut::StartStream() {
    // Starting a push stream reports Idle at once; Outstanding is false then, so it is ignored.
    Io = Sink->start();
    if (!Io || Sink->error() != QAudio::NoError) {
        Io = nullptr;
        return Fail(SinkErrorText(Sink->error()));
    }
    if (Paused) Sink->suspend();
    return true;
}

bool TQtWaveOut::Write(std::string_view samples, std::uint64_t tag) {
    if (!Opened) return Fail(OpenError.empty() ? NotOpenText : OpenError);
    if (!Io && !StartStream()) return false;
    std::string scaled = ScaleSamples(Format, samples, OutputVolume());
    // The server starts a stream only when it holds a buffer's worth: pad a short sound with
    // silence so that it is played at all.
    const std::size_t frame = Format.BlockAlign;
    const auto minimum = static_cast<std::size_t>(std::max<qsizetype>(Sink->bufferSize(), 0));
    if (scaled.size() < minimum)
        scaled.resize((minimum + frame - 1) / frame * frame, Format.SilenceByte());
    Pending = QByteArray(scaled.data(), static_cast<qsizetype>(scaled.size()));
    Written = static_cast<qint64>(scaled.size());
    Tag = tag;
    Outstanding = true;
    Feed();
    ArmWatchdog();
    return Succeed();
}

void TQtWaveOut::Feed() {
    // A suspended stream takes nothing: what is left waits for Restart.
    if (!Io || Pending.isEmpty() || Paused) {
        FeedTimer.stop();
        return;
    }
    const qint64 n = Io->write(Pending);
    if (n > 0) Pending.remove(0, n);
    if (Pending.isEmpty())
        FeedTimer.stop();
    else if (!FeedTimer.isActive())
        FeedTimer.start();
}

void TQtWaveOut::ArmWatchdog() {
    if (!Outstanding || Paused) return;
    Watchdog.start(static_cast<int>(PlayMilliseconds(Format, static_cast<std::size_t>(Written))) +
                   WatchdogMarginMs);
}

void TQtWaveOut::StateChanged(int state) {
    if (!Outstanding) return;
    const bool drained = state == QAudio::IdleState && Pending.isEmpty() && !Paused;
    const bool broken = state == QAudio::StoppedState && Sink && Sink->error() != QAudio::NoError;
    if (!drained && !broken) return;
    // Reported from the next turn of the loop, so that the owner never runs inside the sink's
    // own signal.
    QMetaObject::invokeMethod(
        this, [this, tag = Tag] { Deliver(tag); }, Qt::QueuedConnection);
}

void TQtWaveOut::Deliver(std::uint64_t tag) {
    if (!Outstanding || tag != Tag) return;
    Outstanding = false;
    Watchdog.stop();
    if (OnDone) OnDone(tag);
}

bool TQtWaveOut::Pause() {
    if (!Opened) return Fail(NotOpenText);
    Paused = true;
    Watchdog.stop();
    if (Io) Sink->suspend();
    return Succeed();
}

bool TQtWaveOut::Restart() {
    if (!Opened) return Fail(NotOpenText);
    Paused = false;
    if (Io) Sink->resume();
    Feed();
    ArmWatchdog();
    return Succeed();
}

bool TQtWaveOut::Reset() {
    const bool wasPaused = Paused;
    Paused = false;
    Watchdog.stop();
    FeedTimer.stop();
    const bool playing = Outstanding || !Pending.isEmpty();
    Outstanding = false;
    Pending.clear();
    if (playing) {
        // The server may still hold the sound: only stopping the stream silences it.
        if (Io) Sink->reset();
        Io = nullptr;
    } else if (wasPaused && Io) {
        Sink->resume();
    }
    return Succeed();
}

bool TQtWaveOut::Close() {
    Reset();
    if (Io) Sink->stop();
    Io = nullptr;
    Opened = false;
    return Succeed();
}

// ---- null ----

TNullWaveOut::TNullWaveOut() {
    Timer.setSingleShot(true);
    Timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&Timer, &QTimer::timeout, this, [this] {
        if (!Outstanding) return;
        Outstanding = false;
        if (OnDone) OnDone(Tag);
    });
}

bool TNullWaveOut::Open(const TSoundFormat& format) {
    Close();
    if (!IsPlayableFormat(format)) return Fail(BadFormatText);
    Format = format;
    Opened = true;
    return Succeed();
}

bool TNullWaveOut::Write(std::string_view samples, std::uint64_t tag) {
    if (!Opened) return Fail(NotOpenText);
    Tag = tag;
    Outstanding = true;
    Remaining = static_cast<int>(PlayMilliseconds(Format, samples.size()));
    if (!Paused) Timer.start(Remaining);
    return Succeed();
}

bool TNullWaveOut::Pause() {
    if (!Opened) return Fail(NotOpenText);
    if (!Paused && Timer.isActive()) {
        Remaining = std::max(Timer.remainingTime(), 0);
        Timer.stop();
    }
    Paused = true;
    return Succeed();
}

bool TNullWaveOut::Restart() {
    if (!Opened) return Fail(NotOpenText);
    if (Paused && Outstanding) Timer.start(Remaining);
    Paused = false;
    return Succeed();
}

bool TNullWaveOut::Reset() {
    Timer.stop();
    Outstanding = false;
    Paused = false;
    return Succeed();
}

bool TNullWaveOut::Close() {
    Reset();
    Opened = false;
    return Succeed();
}

// ---- WAV file ----

TWavFileWaveOut::TWavFileWaveOut(std::filesystem::path file) : File(std::move(file)) {}

bool TWavFileWaveOut::Open(const TSoundFormat& format) {
    Close();
    if (!IsPlayableFormat(format)) return Fail(BadFormatText);
    Out.open(File, std::ios::binary | std::ios::trunc);
    if (!Out) return Fail("Cannot open file " + File.string());
    Format = format;
    DataBytes = 0;
    const std::string header = WaveFileBytes(Format, {});
    Out.write(header.data(), static_cast<std::streamsize>(header.size()));
    Out.flush();
    if (!Out) {
        Out.close();
        return Fail("Cannot write file " + File.string());
    }
    return Succeed();
}

bool TWavFileWaveOut::Write(std::string_view samples, std::uint64_t tag) {
    if (!Out.is_open()) return Fail(NotOpenText);
    Pending = ScaleSamples(Format, samples, OutputVolume());
    Tag = tag;
    Outstanding = true;
    if (!Paused) Post();
    return Succeed();
}

void TWavFileWaveOut::Post() {
    QMetaObject::invokeMethod(
        this, [this, tag = Tag] { Finish(tag); }, Qt::QueuedConnection);
}

void TWavFileWaveOut::Finish(std::uint64_t tag) {
    if (!Outstanding || tag != Tag || Paused) return;
    Outstanding = false;
    // A WAV file holds at most 4 GB of samples; what does not fit is played to no one, and the
    // file ends on a whole frame.
    const std::size_t room = 0xFFFFFFFFu - 36 - DataBytes;
    std::size_t n = std::min(Pending.size(), room);
    n -= n % Format.BlockAlign;
    Out.write(Pending.data(), static_cast<std::streamsize>(n));
    DataBytes += static_cast<std::uint32_t>(n);
    const std::string header = WaveFileBytes(Format, {});
    std::string sizes = header.substr(0, 44);
    const std::uint32_t riff = 36 + DataBytes;
    for (int i = 0; i < 4; ++i) {
        sizes[4 + i] = static_cast<char>(riff >> (8 * i) & 0xFF);
        sizes[40 + i] = static_cast<char>(DataBytes >> (8 * i) & 0xFF);
    }
    const auto end = Out.tellp();
    Out.seekp(0);
    Out.write(sizes.data(), static_cast<std::streamsize>(sizes.size()));
    Out.seekp(end);
    Out.flush();
    Pending.clear();
    if (OnDone) OnDone(tag);
}

bool TWavFileWaveOut::Pause() {
    if (!Out.is_open()) return Fail(NotOpenText);
    Paused = true;
    return Succeed();
}

bool TWavFileWaveOut::Restart() {
    if (!Out.is_open()) return Fail(NotOpenText);
    const bool was = Paused;
    Paused = false;
    if (was && Outstanding) Post();
    return Succeed();
}

bool TWavFileWaveOut::Reset() {
    Outstanding = false;
    Paused = false;
    Pending.clear();
    return Succeed();
}

bool TWavFileWaveOut::Close() {
    Reset();
    if (Out.is_open()) Out.close();
    return Succeed();
}

// ---- the choice ----

TAudioChoice ParseAudioChoice(std::string_view value, bool haveOutput) {
    TAudioChoice c;
    c.Device = haveOutput ? TAudioChoice::Qt : TAudioChoice::Null;
    if (value.empty() || value == "auto") return c;
    if (value == "qt")
        c.Device = TAudioChoice::Qt;
    else if (value == "null")
        c.Device = TAudioChoice::Null;
    else if (value == "none")
        c.Device = TAudioChoice::None;
    else if (value.starts_with("wav:") && value.size() > 4) {
        c.Device = TAudioChoice::Wav;
        c.WavFile = std::string(value.substr(4));
    } else
        c.Problem = "TAVI_AUDIO=" + std::string(value) +
                    " is not one of qt, null, none, wav:FILE, auto; chose " +
                    AudioChoiceName(c.Device);
    return c;
}

const char* AudioChoiceName(TAudioChoice::Kind kind) {
    switch (kind) {
    case TAudioChoice::Qt: return "qt";
    case TAudioChoice::Null: return "null";
    case TAudioChoice::Wav: return "wav";
    case TAudioChoice::None: return "none";
    }
    return "";
}

int TQtAudioSystem::DeviceCount() const {
    switch (Choice.Device) {
    case TAudioChoice::Qt: return static_cast<int>(QMediaDevices::audioOutputs().size());
    case TAudioChoice::Null:
    case TAudioChoice::Wav: return 1;
    case TAudioChoice::None: break;
    }
    return 0;
}

std::unique_ptr<TWaveOut> TQtAudioSystem::CreateDevice() {
    switch (Choice.Device) {
    case TAudioChoice::Qt: return std::make_unique<TQtWaveOut>();
    case TAudioChoice::Null: return std::make_unique<TNullWaveOut>();
    case TAudioChoice::Wav: return std::make_unique<TWavFileWaveOut>(Choice.WavFile);
    case TAudioChoice::None: break;
    }
    return std::make_unique<TNoWaveOut>();
}

std::unique_ptr<TWaveOut> TQtAudioSystem::CreateFileDevice(const std::filesystem::path& file) {
    return std::make_unique<TWavFileWaveOut>(file);
}

TAudioChoice InstallAudioSystem() {
    const char* env = std::getenv("TAVI_AUDIO");
    const std::string_view value = env ? env : "";
    // Asking the sound server is only needed for the automatic choice.
    const bool automatic =
        value.empty() || value == "auto" || ParseAudioChoice(value, false).Problem.size() > 0;
    const bool haveOutput = automatic && !QMediaDevices::audioOutputs().isEmpty();
    TAudioChoice choice = ParseAudioChoice(value, haveOutput);
    SetAudioSystem(std::make_unique<TQtAudioSystem>(choice));
    return choice;
}

} // namespace tavi
