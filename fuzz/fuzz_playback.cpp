// Playback driven by arbitrary texts and an arbitrary order of device events (completions,
// late completions, failures, pauses, stops), checking the reader's state rules after every
// step; and the English engine's text splitting and the sample scaling on arbitrary input.
#include "fuzzreader.h"

#include "speech/speechrate.h"
#include "speech/tts.h"
#include "speech/waveout.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

// A device whose completions and failures the fuzzer decides.
struct Device : tavi::TWaveOut {
    bool Open(const tavi::TSoundFormat& f) override {
        if (FailNext) return Fail("open");
        Opened = tavi::IsPlayableFormat(f);
        Frame = f.BlockAlign;
        return Opened ? Succeed() : Fail("format");
    }
    bool Write(std::string_view samples, std::uint64_t tag) override {
        if (samples.size() % Frame != 0) __builtin_trap(); // a sample split between buffers
        if (!Opened || FailNext || samples.empty()) return Fail("write");
        Playing = tag;
        ++Writes;
        return Succeed();
    }
    bool Pause() override {
        if (FailNext) return Fail("pause");
        Paused = true;
        return Succeed();
    }
    bool Restart() override {
        if (FailNext) return Fail("restart");
        Paused = false;
        return Succeed();
    }
    bool Reset() override {
        if (FailNext) return Fail("reset");
        Playing = 0;
        Paused = false;
        return Succeed();
    }
    bool Close() override {
        if (FailNext) return Fail("close");
        Playing = 0;
        Opened = false;
        return Succeed();
    }
    bool IsOpen() const override { return Opened; }

    bool Opened = false;
    bool Paused = false;
    bool FailNext = false;
    std::size_t Frame = 1;
    std::uint64_t Playing = 0; // tag of the buffer on the device, 0 when none
    std::uint64_t Last = 0;    // a tag once played, for late completions
    int Writes = 0;
};

std::unique_ptr<tavi::TWordReader> MakeReader(const tavi::TSoundFormat& format) {
    auto r = fuzzreader::Make(format, 127, {});
    r->SetCodeTable("Unicode");
    return r;
}

// A reader of the older 8-bit dictionary, or of the 16-bit one.
tavi::TWordReader& Reader(bool wide) {
    static std::unique_ptr<tavi::TWordReader> narrow = MakeReader(tavi::TSoundFormat());
    static std::unique_ptr<tavi::TWordReader> pcm16 = MakeReader(tavi::Pcm16Format);
    return wide ? *pcm16 : *narrow;
}

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

void FuzzReader(FuzzedDataProvider& in) {
    tavi::TWordReader& reader = Reader(in.ConsumeBool());
    auto owned = std::make_unique<Device>();
    Device& dev = *owned;
    reader.SetWaveOut(std::move(owned));
    reader.SpeakSymbols = in.ConsumeBool();
    // At another rate the text plays in pieces, each made while the one before plays.
    reader.SetRate(in.ConsumeBool() ? 1.0
                                    : in.ConsumeFloatingPointInRange(tavi::MinRate, tavi::MaxRate));
    for (int step = 0; step < 64 && in.remaining_bytes() > 0; ++step) {
        dev.FailNext = in.ConsumeIntegralInRange(0, 7) == 0;
        const int writes = dev.Writes;
        const std::uint64_t late = dev.Last;
        switch (in.ConsumeIntegralInRange(0, 6)) {
        case 0: reader.Speak(in.ConsumeRandomLengthString(300)); break;
        case 1:
            if (dev.Playing != 0 && !dev.Paused) {
                const std::uint64_t tag = dev.Playing;
                dev.Last = tag;
                dev.Playing = 0;
                dev.OnDone(tag);
            }
            break;
        case 2:
            // A completion of a buffer that was already played or cut off starts nothing.
            if (late != 0 && late != dev.Playing) {
                const int state = reader.State;
                dev.OnDone(late);
                Check(dev.Writes == writes && reader.State == state);
            }
            break;
        case 3: {
            const int state = reader.State;
            const bool ok = reader.PauseReading();
            Check(ok ? state == 0 && reader.State == 1 : reader.State == state);
            break;
        }
        case 4: {
            const int state = reader.State;
            const bool ok = reader.ResumeReading();
            Check(ok ? state == 1 && reader.State == 0 : reader.State == state);
            break;
        }
        case 5:
            reader.StopReading();
            Check(reader.State == 2);
            break;
        case 6: reader.Stop(); break;
        }
        // Playing or paused means a chunk is on the device and kept in Buffer.
        Check(reader.State <= 2);
        if (reader.State != 2) Check(dev.Playing != 0 && !reader.Buffer.Data.empty());
    }
    dev.FailNext = false;
    reader.StopReading();
    Check(reader.State == 2 && !reader.DeviceOpen);
}

void FuzzText(FuzzedDataProvider& in) {
    const std::size_t max = in.ConsumeIntegralInRange<std::size_t>(1, 500);
    const std::string text = in.ConsumeRandomLengthString(2000);
    std::size_t total = 0;
    for (const std::string& piece : tavi::SplitSpeech(text, max)) {
        Check(!piece.empty() && piece.size() <= max);
        total += piece.size();
    }
    Check(total <= text.size());
    const std::string utf8 = tavi::AnsiToUtf8(text);
    Check(utf8.size() >= text.size() && utf8.size() <= 3 * text.size());

    const tavi::TSoundFormat format =
        tavi::TSoundFormat::Parse(in.ConsumeBytesAsString(16) + std::string(16, '\0'));
    const std::string samples = in.ConsumeRemainingBytesAsString();
    Check(tavi::ScaleSamples(format, samples, 0x7FFF1234).size() == samples.size());
    tavi::PlayMilliseconds(format, samples.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    if (in.ConsumeBool())
        FuzzReader(in);
    else
        FuzzText(in);
    return 0;
}
