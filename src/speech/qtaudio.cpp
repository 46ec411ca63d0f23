#include "speech/qtaudio.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>

#include <algorithm>
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
    PadTimer.setSingleShot(true);
    PadTimer.setInterval(0);
    QObject::connect(&PadTimer, &QTimer::timeout, this, [this] { PadShortStart(); });
    PollTimer.setInterval(10);
    QObject::connect(&PollTimer, &QTimer::timeout, this, [this] { Poll(); });
    Watchdog.setSingleShot(true);
    QObject::connect(&Watchdog, &QTimer::timeout, this, [this] { DeliverThrough(Written); });
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
    // Starting a push stream reports Idle at once; nothing is queued then, so it is ignored.
    Io = Sink->start();
    Queued = DryFrom = HeadStart = 0;
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
    if (Queue.empty()) {
        DryFrom = Queued;
        PadTimer.start();
    }
    const std::string scaled = ScaleSamples(Format, samples, OutputVolume());
    Pending.append(scaled.data(), static_cast<qsizetype>(scaled.size()));
    Queued += static_cast<qint64>(scaled.size());
    Queue.push_back({tag, Queued});
    ++Written;
    Feed();
    ArmWatchdog();
    if (Queue.size() > 1 && !Paused) PollTimer.start();
    return Succeed();
}

// The server starts a stream that has run dry only once it holds a buffer's worth: a shorter
// start is padded with silence so that it is played at all. Padding waits for the owner to
// have written what it had at once, so that a short first piece and the piece after it follow
// one another without silence between them.
void TQtWaveOut::PadShortStart() {
    if (Queue.empty() || !Sink) return;
    const auto minimum = static_cast<qint64>(std::max<qsizetype>(Sink->bufferSize(), 0));
    const auto frame = static_cast<qint64>(Format.BlockAlign);
    const qint64 missing = (minimum - (Queued - DryFrom) + frame - 1) / frame * frame;
    if (missing <= 0) return;
    Pending.append(QByteArray(missing, Format.SilenceByte()));
    Queued += missing;
    Queue.back().End = Queued;
    Feed();
    ArmWatchdog();
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

qint64 TQtWaveOut::StreamPlayed() const {
    if (!Io) return 0;
    const auto frame = static_cast<qint64>(Format.BlockAlign);
    const qint64 bytes = Sink->processedUSecs() * Format.AvgBytesPerSec / 1000000;
    return std::min(bytes - bytes % frame, Queued);
}

std::size_t TQtWaveOut::Played() const {
    if (Queue.empty()) return 0;
    const qint64 played =
        std::clamp(StreamPlayed() - HeadStart, qint64(0), Queue.front().End - HeadStart);
    return static_cast<std::size_t>(played);
}

// A buffer with another behind it is played once the server's position has passed it; the
// last one waits for the stream to run dry, which the server itself reports.
void TQtWaveOut::Poll() {
    if (Queue.size() < 2 || Paused) return PollTimer.stop();
    const qint64 played = StreamPlayed();
    std::size_t done = 0;
    while (done + 1 < Queue.size() && Queue[done].End <= played) ++done;
    if (done > 0) DeliverThrough(Delivered + done);
}

void TQtWaveOut::ArmWatchdog() {
    if (Queue.empty() || Paused) return;
    const auto left = static_cast<std::size_t>(std::max<qint64>(Queued - StreamPlayed(), 0));
    Watchdog.start(static_cast<int>(PlayMilliseconds(Format, left)) + WatchdogMarginMs);
}

void TQtWaveOut::StateChanged(int state) {
    if (Queue.empty()) return;
    const bool drained = state == QAudio::IdleState && Pending.isEmpty() && !Paused;
    const bool broken = state == QAudio::StoppedState && Sink && Sink->error() != QAudio::NoError;
    if (!drained && !broken) return;
    // Reported from the next turn of the loop, so that the owner never runs inside the sink's
    // own signal; what is written meanwhile is not reported with them.
    QMetaObject::invokeMethod(
        this, [this, through = Written] { DeliverThrough(through); }, Qt::QueuedConnection);
}

// Reports the buffers up to the count-th ever written; the owner may write or reset meanwhile.
void TQtWaveOut::DeliverThrough(std::size_t count) {
    while (Delivered < count && !Queue.empty()) {
        const TQueued done = Queue.front();
        Queue.pop_front();
        ++Delivered;
        HeadStart = done.End;
        if (Queue.empty()) Watchdog.stop();
        if (OnDone) OnDone(done.Tag);
    }
}

bool TQtWaveOut::Pause() {
    if (!Opened) return Fail(NotOpenText);
    Paused = true;
    Watchdog.stop();
    PollTimer.stop();
    if (Io) Sink->suspend();
    return Succeed();
}

bool TQtWaveOut::Restart() {
    if (!Opened) return Fail(NotOpenText);
    Paused = false;
    if (Io) Sink->resume();
    Feed();
    ArmWatchdog();
    if (Queue.size() > 1) PollTimer.start();
    return Succeed();
}

bool TQtWaveOut::Reset() {
    const bool wasPaused = Paused;
    Paused = false;
    Watchdog.stop();
    FeedTimer.stop();
    PadTimer.stop();
    PollTimer.stop();
    const bool playing = !Queue.empty() || !Pending.isEmpty();
    Queue.clear();
    Delivered = Written;
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
    QObject::connect(&Timer, &QTimer::timeout, this, [this] { HeadDone(); });
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
    Queue.push_back({tag, samples.size()});
    if (Queue.size() == 1) StartHead();
    return Succeed();
}

void TNullWaveOut::StartHead() {
    Remaining = static_cast<int>(PlayMilliseconds(Format, Queue.front().Bytes));
    if (!Paused) Timer.start(Remaining);
}

void TNullWaveOut::HeadDone() {
    if (Queue.empty()) return;
    const std::uint64_t tag = Queue.front().Tag;
    Queue.pop_front();
    if (!Queue.empty()) StartHead();
    if (OnDone) OnDone(tag);
}

std::size_t TNullWaveOut::Played() const {
    if (Queue.empty()) return 0;
    const int total = static_cast<int>(PlayMilliseconds(Format, Queue.front().Bytes));
    const int left = Paused || !Timer.isActive() ? Remaining : Timer.remainingTime();
    const std::size_t bytes =
        static_cast<std::size_t>(std::max(total - left, 0)) * Format.AvgBytesPerSec / 1000;
    return std::min(bytes - bytes % Format.BlockAlign, Queue.front().Bytes);
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
    if (Paused && !Queue.empty()) Timer.start(Remaining);
    Paused = false;
    return Succeed();
}

bool TNullWaveOut::Reset() {
    Timer.stop();
    Queue.clear();
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
    Queue.push_back({tag, ScaleSamples(Format, samples, OutputVolume())});
    if (!Paused && Queue.size() == 1) Post();
    return Succeed();
}

void TWavFileWaveOut::Post() {
    QMetaObject::invokeMethod(
        this, [this, tag = Queue.front().Tag] { Finish(tag); }, Qt::QueuedConnection);
}

void TWavFileWaveOut::Finish(std::uint64_t tag) {
    if (Queue.empty() || tag != Queue.front().Tag || Paused) return;
    const std::string pending = std::move(Queue.front().Samples);
    Queue.pop_front();
    // A WAV file holds at most 4 GB of samples; what does not fit is played to no one, and the
    // file ends on a whole frame.
    const std::size_t room = 0xFFFFFFFFu - 36 - DataBytes;
    std::size_t n = std::min(pending.size(), room);
    n -= n % Format.BlockAlign;
    Out.write(pending.data(), static_cast<std::streamsize>(n));
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
    if (!Queue.empty()) Post();
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
    if (was && !Queue.empty()) Post();
    return Succeed();
}

bool TWavFileWaveOut::Reset() {
    Queue.clear();
    Paused = false;
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
