#include "speech/qtaudio.h"

#include "speech/pulseout.h"

#include <algorithm>
#include <cstdlib>

namespace tavi {

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

TAudioChoice ParseAudioChoice(std::string_view value) {
    TAudioChoice c;
    if (value.empty() || value == "auto") return c;
    if (value == "pulse" || value == "qt")
        c.Device = TAudioChoice::Server;
    else if (value == "null")
        c.Device = TAudioChoice::Null;
    else if (value == "none")
        c.Device = TAudioChoice::None;
    else if (value.starts_with("wav:") && value.size() > 4) {
        c.Device = TAudioChoice::Wav;
        c.WavFile = std::string(value.substr(4));
    } else
        c.Problem = "TAVI_AUDIO=" + std::string(value) +
                    " is not one of pulse, null, none, wav:FILE, auto; chose " +
                    AudioChoiceName(c.Device);
    return c;
}

const char* AudioChoiceName(TAudioChoice::Kind kind) {
    switch (kind) {
    case TAudioChoice::Server: return "pulse";
    case TAudioChoice::Null: return "null";
    case TAudioChoice::Wav: return "wav";
    case TAudioChoice::None: return "none";
    }
    return "";
}

int TQtAudioSystem::DeviceCount() const {
    switch (Choice.Device) {
    case TAudioChoice::Server:
    case TAudioChoice::Null:
    case TAudioChoice::Wav: return 1;
    case TAudioChoice::None: break;
    }
    return 0;
}

std::unique_ptr<TWaveOut> TQtAudioSystem::CreateDevice() {
    switch (Choice.Device) {
    case TAudioChoice::Server: return std::make_unique<TPulseWaveOut>();
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
    // The sound server is not asked anything here: it may be slow, hung or not there yet, and
    // its device finds it on its own thread.
    TAudioChoice choice = ParseAudioChoice(env ? env : "");
    SetAudioSystem(std::make_unique<TQtAudioSystem>(choice));
    return choice;
}

} // namespace tavi
