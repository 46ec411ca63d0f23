// The English engine: espeak-ng in synchronous mode. Synthesis runs on the calling thread and
// hands back 16-bit mono samples, which are spread over two channels at the left and right
// volume levels, so that the voice plays through the program's own wave-output devices.
#include "speech/ttsengine.h"

#include "speech/waveout.h"

#include <espeak-ng/speak_lib.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace tavi {

namespace {

using namespace ttsresult;

constexpr std::uint32_t PitchMin = 0, PitchMax = 100, PitchDefault = 50;
constexpr std::uint32_t SpeedMin = espeakRATE_MINIMUM, SpeedMax = espeakRATE_MAXIMUM;
constexpr std::uint32_t SpeedDefault = espeakRATE_NORMAL;

// espeak-ng keeps its state in globals: it is started once for the whole process.
int StartESpeak() {
    static const int rate = [] {
        // espeak-ng opens a sound server connection as it starts even when it only hands its
        // samples back, through a call that waits for the server's answer with no time limit: a
        // server that never answers froze the program's start there. It is shown no server
        // while it starts (the program's own output finds the server later, on its own thread).
        const char* server = std::getenv("PULSE_SERVER");
        const std::string saved = server ? server : "";
        setenv("PULSE_SERVER", "unix:/nonexistent/tavi-espeak-plays-nothing", 1);
        const int r =
            espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT);
        if (server)
            setenv("PULSE_SERVER", saved.c_str(), 1);
        else
            unsetenv("PULSE_SERVER");
        if (r > 0) std::atexit([] { espeak_Terminate(); });
        return r;
    }();
    return rate;
}

// What one synthesis collects: the mono samples, and the time (ms) and character (from 1)
// where each word begins.
struct TCollected {
    std::string Mono;
    std::vector<std::pair<int, int>> Words;
};

int Collect(short* wav, int count, espeak_EVENT* events) {
    auto* out = events ? static_cast<TCollected*>(events->user_data) : nullptr;
    if (!out) return 0;
    if (wav && count > 0)
        out->Mono.append(reinterpret_cast<const char*>(wav), static_cast<std::size_t>(count) * 2);
    for (const espeak_EVENT* e = events; e->type != espeakEVENT_LIST_TERMINATED; ++e)
        if (e->type == espeakEVENT_WORD)
            out->Words.emplace_back(e->audio_position, e->text_position);
    return 0;
}

// The byte of UTF-8 text where its character number n (from 0) starts.
std::size_t CharacterByte(std::string_view utf8, std::size_t n) {
    for (std::size_t i = 0; i < utf8.size(); ++i)
        if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80 && n-- == 0) return i;
    return utf8.size();
}

class TESpeakEngine : public ITTSEngine {
public:
    explicit TESpeakEngine(int rate) : Rate(rate) { espeak_SetSynthCallback(&Collect); }

    std::vector<TTTSModeInfo> Modes() override {
        std::vector<TTTSModeInfo> modes;
        for (const espeak_VOICE** v = espeak_ListVoices(nullptr); v && *v; ++v) {
            const espeak_VOICE& voice = **v;
            TTTSModeInfo m;
            m.EngineId = "espeak-ng";
            m.MfgName = "eSpeak NG";
            m.ProductName = "eSpeak NG";
            m.ModeId = voice.identifier ? voice.identifier : "";
            m.ModeName = voice.name ? voice.name : "";
            // The languages are a priority byte and a name, repeated, ending in a 0 byte.
            if (voice.languages && voice.languages[0] != 0) m.Language = voice.languages + 1;
            m.Speaker = m.ModeId;
            m.Gender = voice.gender == 1 ? 2 : voice.gender == 2 ? 1 : 0;
            m.Age = voice.age;
            modes.push_back(std::move(m));
        }
        return modes;
    }

    int DefaultMode() override {
        // espeak-ng's own best English voice.
        espeak_VOICE wish{};
        wish.languages = "en";
        const espeak_VOICE** best = espeak_ListVoices(&wish);
        if (!best || !*best || !(*best)->name) return -1;
        // The list lives in espeak-ng's own buffer, which the next listing overwrites.
        const std::string name = (*best)->name;
        const std::vector<TTTSModeInfo> modes = Modes();
        for (std::size_t i = 0; i < modes.size(); ++i)
            if (modes[i].ModeName == name) return static_cast<int>(i);
        return -1;
    }

    std::uint32_t Select(const TTTSModeInfo& mode) override {
        if (espeak_SetVoiceByName(mode.ModeName.c_str()) != EE_OK) return NoEngine;
        Voice = mode.ModeName;
        Pitch = PitchDefault;
        Speed = SpeedDefault;
        Volume = 0xFFFFFFFF;
        return Ok;
    }

    void Release() override { Voice.clear(); }

    std::uint32_t GetAttribute(TTTSAttribute attribute, std::uint32_t& value) override {
        switch (attribute) {
        case TTTSAttribute::Pitch: value = Pitch; return Ok;
        case TTTSAttribute::Speed: value = Speed; return Ok;
        case TTTSAttribute::Volume: value = Volume; return Ok;
        case TTTSAttribute::RealTime: break;
        }
        return NotImplemented;
    }

    std::uint32_t SetAttribute(TTTSAttribute attribute, std::uint32_t value) override {
        switch (attribute) {
        case TTTSAttribute::Pitch: Pitch = std::clamp(value, PitchMin, PitchMax); return Ok;
        case TTTSAttribute::Speed: Speed = std::clamp(value, SpeedMin, SpeedMax); return Ok;
        case TTTSAttribute::Volume: Volume = value; return Ok;
        case TTTSAttribute::RealTime: break;
        }
        return NotImplemented;
    }

    TSoundFormat Format() const override {
        TSoundFormat f;
        f.Channels = 2;
        f.BitsPerSample = 16;
        f.SamplesPerSec = static_cast<std::uint32_t>(Rate);
        f.BlockAlign = 4;
        f.AvgBytesPerSec = f.SamplesPerSec * 4;
        return f;
    }

    std::uint32_t Synthesize(std::string_view utf8, TChrSet charset, bool tagged,
                             std::string& samples) override {
        TCollected got;
        const std::uint32_t result = Run(utf8, charset, tagged, got);
        if (result == Ok) Spread(got.Mono, samples);
        return result;
    }

    std::uint32_t SynthesizeWords(std::string_view utf8, std::string& samples,
                                  std::vector<TWordMark>& words) override {
        TCollected got;
        const std::uint32_t result = Run(utf8, TChrSet::csText, false, got);
        if (result != Ok) return result;
        const std::size_t frame = Format().BlockAlign;
        for (const auto& [ms, character] : got.Words)
            words.push_back(
                {static_cast<std::size_t>(std::max(ms, 0)) * Rate / 1000 * frame,
                 CharacterByte(utf8, static_cast<std::size_t>(std::max(character, 1) - 1))});
        Spread(got.Mono, samples);
        return Ok;
    }

    std::uint32_t ToPhonemes(std::string_view utf8, std::string& phonemes) override {
        if (Voice.empty() || !Apply()) return Failed;
        const std::string text(utf8.substr(0, utf8.find('\0')));
        const void* p = text.c_str();
        while (p) {
            const char* part = espeak_TextToPhonemes(&p, espeakCHARS_UTF8, 0);
            if (!part) break;
            if (!phonemes.empty() && *part) phonemes += ' ';
            phonemes += part;
        }
        return Ok;
    }

private:
    std::uint32_t Run(std::string_view utf8, TChrSet charset, bool tagged, TCollected& got) {
        if (Voice.empty()) return Failed;
        if (tagged || charset == TChrSet::csIPAPhonetic) return NotImplemented;
        if (!Apply()) return Failed;
        std::string text(utf8.substr(0, utf8.find('\0')));
        unsigned flags = espeakCHARS_UTF8;
        if (charset == TChrSet::csEnginePhonetic) {
            text = "[[" + text + "]]";
            flags |= espeakPHONEMES;
        }
        if (espeak_Synth(text.c_str(), text.size() + 1, 0, POS_CHARACTER, 0, flags, nullptr,
                         &got) != EE_OK)
            return Failed;
        return Ok;
    }

    // Other engines of the process share espeak-ng's globals: set this one's voice each time.
    bool Apply() {
        if (espeak_SetVoiceByName(Voice.c_str()) != EE_OK) return false;
        espeak_SetParameter(espeakRATE, static_cast<int>(Speed), 0);
        espeak_SetParameter(espeakPITCH, static_cast<int>(Pitch), 0);
        return true;
    }

    // Both channels carry the voice, each at its own level.
    void Spread(const std::string& mono, std::string& out) const {
        std::string stereo(mono.size() / 2 * 4, '\0');
        for (std::size_t i = 0; i + 1 < mono.size(); i += 2) {
            stereo[2 * i] = stereo[2 * i + 2] = mono[i];
            stereo[2 * i + 1] = stereo[2 * i + 3] = mono[i + 1];
        }
        out += ScaleSamples(Format(), stereo, Volume);
    }

    int Rate;
    std::string Voice;
    std::uint32_t Pitch = PitchDefault;
    std::uint32_t Speed = SpeedDefault;
    std::uint32_t Volume = 0xFFFFFFFF;
};

} // namespace

std::unique_ptr<ITTSEngine> CreateESpeakEngine() {
    const int rate = StartESpeak();
    if (rate <= 0) return nullptr;
    return std::make_unique<TESpeakEngine>(rate);
}

} // namespace tavi
