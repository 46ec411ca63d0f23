#include "speech/englishvoice.h"

#include "platform/errors.h"
#include "speech/loudness.h"
#include "speech/speechrate.h"
#include "speech/waveout.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace tavi {

namespace {

// As the dictionary's units are made: silence is below 2 % of full scale, 4 ms of it stay on
// each side, and the word is brought to the dictionary's loudness, so that an English word
// among Vietnamese ones is heard neither louder nor softer.
constexpr float QuietLevel = 0.02f;
constexpr double KeptSilence = 0.004;
// Words kept made; past that the store starts again.
constexpr std::size_t MadeMax = 512;

// The first channel of 16-bit samples, in -1..1.
std::vector<float> FirstChannel(const std::string& samples, const TSoundFormat& format) {
    const std::size_t frame = format.BlockAlign;
    std::vector<float> out(samples.size() / frame);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto raw =
            static_cast<std::uint16_t>(static_cast<unsigned char>(samples[i * frame]) |
                                       static_cast<unsigned char>(samples[i * frame + 1]) << 8);
        out[i] = static_cast<std::int16_t>(raw) / 32768.0f;
    }
    return out;
}

// Linear interpolation: enough for a word of a voice that has nothing above the lower rate's
// range worth keeping.
std::vector<float> Resample(const std::vector<float>& in, std::uint32_t from, std::uint32_t to) {
    if (from == to || in.empty()) return in;
    const double step = static_cast<double>(from) / to;
    std::vector<float> out(static_cast<std::size_t>(static_cast<double>(in.size() - 1) / step) + 1);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double at = static_cast<double>(i) * step;
        const auto k = static_cast<std::size_t>(at);
        const double f = at - static_cast<double>(k);
        const float next = k + 1 < in.size() ? in[k + 1] : in[k];
        out[i] = static_cast<float>(in[k] * (1.0 - f) + next * f);
    }
    return out;
}

void TrimAndLevel(std::vector<float>& s, std::uint32_t rate) {
    const auto loud = [](float v) { return std::fabs(v) >= QuietLevel; };
    const auto first = std::find_if(s.begin(), s.end(), loud);
    if (first == s.end()) return s.clear();
    const auto keep = static_cast<std::ptrdiff_t>(KeptSilence * rate);
    const auto begin = std::max(first - keep, s.begin());
    const auto end = std::min(std::find_if(s.rbegin(), s.rend(), loud).base() + keep, s.end());
    s = std::vector<float>(begin, end);
    LevelUnit(s, static_cast<int>(rate));
}

std::string ToFormat(const std::vector<float>& s, const TSoundFormat& format) {
    std::string out;
    out.reserve(s.size() * format.BlockAlign);
    for (float v : s) {
        for (int c = 0; c < format.Channels; ++c) {
            if (format.BitsPerSample == 8) {
                out += static_cast<char>(std::clamp(std::lround(v * 128.0f) + 128, 0L, 255L));
            } else {
                const auto x = static_cast<std::uint16_t>(static_cast<std::int16_t>(
                    std::clamp(std::lround(v * 32768.0f), -32768L, 32767L)));
                out += static_cast<char>(x & 0xFF);
                out += static_cast<char>(x >> 8);
            }
        }
    }
    return out;
}

} // namespace

TEnglishVoice::TEnglishVoice(std::unique_ptr<ITTSEngine> engine) : Engine(std::move(engine)) {
    const int mode = Engine ? Engine->DefaultMode() : -1;
    if (mode < 0 || Engine->Select(Engine->Modes()[static_cast<std::size_t>(mode)]) != 0)
        throw EDataError("The English voice cannot be used: espeak-ng has no English voice.");
    Engine->SetAttribute(TTTSAttribute::Speed, EnglishNormalWpm);
}

std::string TEnglishVoice::Sound(std::string_view word, const TSoundFormat& format) {
    const std::string key = format.Bytes() + std::string(word);
    if (const auto known = Made.find(key); known != Made.end()) return known->second;
    if (Made.size() >= MadeMax) Made.clear();
    std::string sound = Synthesize(word, format);
    if (!sound.empty()) Made.emplace(key, sound);
    return sound;
}

std::string TEnglishVoice::Synthesize(std::string_view word, const TSoundFormat& format) {
    const TSoundFormat from = Engine->Format();
    std::string samples;
    if (!IsPlayableFormat(format) || from.BitsPerSample != 16 ||
        Engine->Synthesize(word, TChrSet::csText, false, samples) != 0)
        return {};
    std::vector<float> mono =
        Resample(FirstChannel(samples, from), from.SamplesPerSec, format.SamplesPerSec);
    TrimAndLevel(mono, format.SamplesPerSec);
    return ToFormat(mono, format);
}

} // namespace tavi
