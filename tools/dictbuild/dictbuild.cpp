// tavi-dictbuild: builds the data files of the Vietnamese voice.
//
//   tavi-dictbuild dict --tables DIR --syllables FILE --names FILE --prompts FILE
//                       [--pronounce FILE] --data OUT --index OUT [--voice NAME] [--rate WPM]
//                       [--jobs N] [--stamp FILE] [--bits 16|8]
//                       [--recordings DIR] [--only STEM,STEM...] [--wav-dir DIR]
//   tavi-dictbuild abbr --tables DIR --syllables FILE --names FILE SOURCE OUT
//
// "dict" records every syllable of the inventory, every spoken letter, digit and mark and every
// prompt, with espeak-ng's Vietnamese voice or, where the recordings folder holds a WAV file
// named after the unit (STEM.wav), with that recording. The sound is stored as 16-bit signed
// mono at 22050 Hz, espeak-ng's own format, or with --bits 8 as the older 8-bit unsigned mono
// at 11025 Hz. Every unit, synthetic or recorded, is brought to one loudness, its peaks limited
// below full scale, so that no syllable stands out from its neighbours. A stamp beside the index
// remembers what the dictionary was built from, so an unchanged build is not synthesised again.
// "abbr" writes the abbreviation list in the reading code, sorted for binary search.
#include "dictbuild/audio.h"

#include "codes/vncodeconverter.h"
#include "platform/errors.h"
#include "speech/loudness.h"
#include "speech/sounddata.h"
#include "speech/wordreader.h"

#include <espeak-ng/speak_lib.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <numbers>
#include <set>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using tavi::TTextReader;

// Must change whenever the making of samples changes (synthesis, file layout), so that the
// stamps of older builds expire and the dictionary is built again. Changes to the processing
// of samples show in the stamp by themselves (ProcessingProbe).
constexpr const char* ProcessingVersion = "dictbuild-5";
constexpr float TrimThreshold = 0.02f; // of full scale
constexpr double TrimMargin = 0.004;   // seconds kept before and after the sound
constexpr double FadeTime = 0.003;     // seconds of fade at each end

struct Unit {
    std::string Key;       // the name in the index
    std::string Text;      // what the voice says (UTF-8, or [[phonemes]])
    std::string Stem;      // the file name of a recording, without ".wav"
    bool Syllable = false; // must be read as Vietnamese
};

struct Options {
    std::map<std::string, std::string> Values;
    std::vector<std::string> Rest;
    std::string Get(const std::string& name, const std::string& fallback = {}) const {
        auto it = Values.find(name);
        return it == Values.end() ? fallback : it->second;
    }
    std::string Need(const std::string& name) const {
        auto it = Values.find(name);
        if (it == Values.end() || it->second.empty())
            throw std::runtime_error("missing option " + name);
        return it->second;
    }
};

Options ParseOptions(int argc, char** argv) {
    Options o;
    for (int i = 2; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("--", 0) == 0) {
            if (i + 1 >= argc) throw std::runtime_error("option " + a + " needs a value");
            o.Values[a] = argv[++i];
        } else {
            o.Rest.push_back(a);
        }
    }
    return o;
}

// Lines "key<TAB>text" of a UTF-8 list; # lines and blank lines are skipped.
std::vector<std::pair<std::string, std::string>> ReadList(const fs::path& file) {
    std::vector<std::pair<std::string, std::string>> out;
    int number = 0;
    for (const std::string& raw : tavi::SplitLines(tavi::ReadWholeFile(file))) {
        ++number;
        if (raw.empty() || raw[0] == '#') continue;
        const std::size_t tab = raw.find('\t');
        if (tab == std::string::npos || tab == 0)
            throw std::runtime_error(file.string() + ":" + std::to_string(number) +
                                     ": expected a key, a tab and a text");
        out.emplace_back(raw.substr(0, tab), tavi::TrimSpaces(raw.substr(tab + 1)));
    }
    return out;
}

std::vector<std::string> ReadSyllables(const fs::path& file) {
    std::vector<std::string> out;
    for (const std::string& line : tavi::SplitLines(tavi::ReadWholeFile(file))) {
        const std::string s = tavi::TrimSpaces(line);
        if (!s.empty() && s[0] != '#') out.push_back(s);
    }
    return out;
}

class ReadingCode {
public:
    explicit ReadingCode(const fs::path& tables) {
        Conv.TableFolder = tables.string() + "/";
        Conv.SetSourceTable("Unicode");
        Conv.SetDestTable(tavi::ReadingCodeName);
    }
    std::string Convert(const std::string& utf8) { return Conv.ConvertWord(utf8); }

private:
    tavi::TVnCodeConverter Conv;
};

std::string Hex2(unsigned char c) {
    static const char digits[] = "0123456789abcdef";
    return {digits[c >> 4], digits[c & 15]};
}

// The key byte of a names-list entry: one character, or \xHH.
unsigned char NameKeyByte(const std::string& field, ReadingCode& code) {
    if (field.size() == 4 && field[0] == '\\' && field[1] == 'x')
        return static_cast<unsigned char>(std::stoi(field.substr(2), nullptr, 16));
    const std::string bytes = code.Convert(field);
    if (bytes.size() != 1)
        throw std::runtime_error("name entry \"" + field + "\" is not one letter or mark");
    return static_cast<unsigned char>(bytes[0]);
}

std::vector<Unit> CollectUnits(const Options& o) {
    ReadingCode code(o.Need("--tables"));
    std::vector<Unit> units;
    std::map<std::string, std::string> seen; // key -> what it came from
    const auto add = [&](Unit u, const std::string& origin) {
        if (u.Key.empty() || u.Key.size() > tavi::IndexNameMax)
            throw std::runtime_error(origin + ": its key has " + std::to_string(u.Key.size()) +
                                     " bytes");
        auto [it, fresh] = seen.emplace(u.Key, origin);
        if (!fresh) throw std::runtime_error(origin + " has the same key as " + it->second);
        units.push_back(std::move(u));
    };
    std::map<std::string, std::string> pronounce;
    if (const std::string file = o.Get("--pronounce"); !file.empty())
        for (auto& [syllable, phonemes] : ReadList(file)) pronounce[syllable] = phonemes;
    for (const std::string& s : ReadSyllables(o.Need("--syllables"))) {
        const auto p = pronounce.find(s);
        add({TTextReader::MakeSoundKey(code.Convert(s)), p == pronounce.end() ? s : p->second, s,
             true},
            "syllable " + s);
    }
    for (const auto& [field, text] : ReadList(o.Need("--names"))) {
        const unsigned char b = tavi::LowerLetter(NameKeyByte(field, code));
        const bool plain = (b >= '0' && b <= '9') || (b >= 'a' && b <= 'z') || b >= 0x80;
        add({std::string(1, static_cast<char>(b)), text, plain ? field : "x" + Hex2(b)},
            "name " + field);
    }
    for (const auto& [key, text] : ReadList(o.Need("--prompts"))) {
        const bool ok =
            key.rfind("zzzmes", 0) == 0 && std::all_of(key.begin(), key.end(), [](char c) {
                return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
            });
        if (!ok) throw std::runtime_error("prompt key \"" + key + "\" is not a message key");
        add({key, text, key}, "prompt " + key);
    }
    return units;
}

// FNV-1a over everything a build depends on.
class Stamp {
public:
    void Add(std::string_view bytes) {
        for (unsigned char c : bytes) Hash = (Hash ^ c) * 1099511628211ull;
        Hash = (Hash ^ 0xFF) * 1099511628211ull; // separates the parts
    }
    std::string Text() const {
        std::ostringstream s;
        s << std::hex << Hash;
        return s.str();
    }

private:
    std::uint64_t Hash = 14695981039346656037ull;
};

class Voice {
public:
    Voice(const std::string& name, int rate) {
        if (espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT) <=
            0)
            throw std::runtime_error("espeak-ng cannot be initialised (espeak-ng-data missing?)");
        espeak_SetSynthCallback(&Voice::Collect);
        if (espeak_SetVoiceByName(name.c_str()) != EE_OK)
            throw std::runtime_error("espeak-ng has no voice " + name);
        espeak_SetParameter(espeakRATE, rate, 0);
    }
    ~Voice() { espeak_Terminate(); }

    // True when the voice would switch to another language for the text (it marks the
    // switch as "(en)" in its phonemes).
    static bool SwitchesLanguage(const std::string& utf8) {
        const void* p = utf8.c_str();
        std::string phonemes;
        while (p) {
            const char* part = espeak_TextToPhonemes(&p, espeakCHARS_UTF8, 0);
            if (part) phonemes += part;
        }
        return phonemes.find('(') != std::string::npos;
    }

    std::vector<std::int16_t> Say(const std::string& utf8) {
        Samples.clear();
        const espeak_ERROR e = espeak_Synth(utf8.c_str(), utf8.size() + 1, 0, POS_CHARACTER, 0,
                                            espeakCHARS_UTF8 | espeakPHONEMES, nullptr, this);
        if (e != EE_OK) throw std::runtime_error("espeak-ng failed on \"" + utf8 + "\"");
        return std::move(Samples);
    }
    static int SampleRate() { return 22050; }

private:
    static int Collect(short* wav, int count, espeak_EVENT* events) {
        if (wav && count > 0) {
            auto* self = static_cast<Voice*>(events->user_data);
            self->Samples.insert(self->Samples.end(), wav, wav + count);
        }
        return 0;
    }
    std::vector<std::int16_t> Samples;
};

// The format of the dictionary: --bits 16 (the default) or 8.
tavi::TSoundFormat OutputFormat(const Options& o) {
    const std::string bits = o.Get("--bits", "16");
    if (bits == "16") return tavi::Pcm16Format;
    if (bits == "8") return tavi::TSoundFormat();
    throw std::runtime_error("--bits is 16 or 8, not " + bits);
}

std::string Process(dictbuild::TSamples s, const tavi::TSoundFormat& format) {
    s = dictbuild::Resample(s, static_cast<int>(format.SamplesPerSec));
    dictbuild::TrimSilence(s, TrimThreshold, TrimMargin, FadeTime);
    tavi::LevelUnit(s.Data, s.Rate);
    std::string samples =
        format.BitsPerSample == 8 ? dictbuild::ToUnsigned8(s) : dictbuild::ToSigned16(s);
    if (samples.empty()) samples.assign(format.BlockAlign, format.SilenceByte()); // one frame
    return samples;
}

// A made-up unit put through the processing: a change to resampling, trimming or levelling
// changes its samples, and so the stamp, without anyone having to remember to say so.
std::string ProcessingProbe(const tavi::TSoundFormat& format) {
    dictbuild::TSamples s;
    s.Rate = Voice::SampleRate();
    for (int i = 0; i < s.Rate / 2; ++i) {
        const double t = static_cast<double>(i) / s.Rate, w = 2 * std::numbers::pi * t;
        const double voiced = 0.05 * std::sin(220 * w) + 0.02 * std::sin(2500 * w);
        s.Data.push_back(t > 0.1 && t < 0.4 ? static_cast<float>(voiced) : 0.0f);
    }
    s.Data[s.Data.size() / 2] = 0.9f; // a click, for the limiter
    return Process(s, format);
}

// Synthesises (or reads) units[i] for every i = worker (mod workers) into a result file of
// records: index (4 bytes), size (4 bytes), samples.
void Work(const std::vector<Unit>& units, int worker, int workers, const Options& o,
          const fs::path& result) {
    const std::string recordings = o.Get("--recordings");
    const tavi::TSoundFormat format = OutputFormat(o);
    std::unique_ptr<Voice> voice;
    std::ofstream out(result, std::ios::binary | std::ios::trunc);
    for (std::size_t i = static_cast<std::size_t>(worker); i < units.size();
         i += static_cast<std::size_t>(workers)) {
        const fs::path wav =
            recordings.empty() ? fs::path() : fs::path(recordings) / (units[i].Stem + ".wav");
        std::string samples;
        if (!wav.empty() && fs::exists(wav)) {
            samples = Process(dictbuild::ReadWav(wav), format);
        } else {
            if (!voice)
                voice = std::make_unique<Voice>(o.Get("--voice", "vi"),
                                                std::stoi(o.Get("--rate", "175")));
            if (units[i].Syllable && units[i].Text.rfind("[[", 0) != 0 &&
                Voice::SwitchesLanguage(units[i].Text))
                throw std::runtime_error("espeak-ng reads the syllable " + units[i].Text +
                                         " as a word of another language: give its "
                                         "pronunciation in the pronunciation list");
            const auto pcm = voice->Say(units[i].Text);
            samples =
                Process(dictbuild::FromPcm16(pcm.data(), pcm.size(), Voice::SampleRate()), format);
        }
        const std::uint32_t head[2] = {static_cast<std::uint32_t>(i),
                                       static_cast<std::uint32_t>(samples.size())};
        out.write(reinterpret_cast<const char*>(head), sizeof head);
        out.write(samples.data(), static_cast<std::streamsize>(samples.size()));
    }
    if (!out.flush()) throw std::runtime_error("cannot write " + result.string());
}

int BuildDict(const Options& o) {
    const auto started = std::chrono::steady_clock::now();
    std::vector<Unit> units = CollectUnits(o);
    if (const std::string only = o.Get("--only"); !only.empty()) {
        std::set<std::string> keep;
        std::stringstream list(only);
        for (std::string s; std::getline(list, s, ',');) keep.insert(s);
        std::erase_if(units, [&](const Unit& u) { return !keep.count(u.Stem); });
    }
    const fs::path dataOut = o.Need("--data"), indexOut = o.Need("--index");
    const fs::path stampFile = o.Get("--stamp", indexOut.string() + ".stamp");
    const tavi::TSoundFormat format = OutputFormat(o);

    // The voice carries a little state from one unit to the next, so which worker records a
    // unit changes its samples slightly: a fixed number of workers, not the machine's count of
    // cores, keeps the dictionary the same from one machine to the next.
    int jobs = std::max(1, std::stoi(o.Get("--jobs", "2")));
    jobs = std::min<int>(jobs, static_cast<int>(std::max<std::size_t>(units.size(), 1)));
    Stamp stamp;
    stamp.Add(ProcessingVersion);
    stamp.Add(ProcessingProbe(format));
    stamp.Add(espeak_Info(nullptr));
    stamp.Add(o.Get("--voice", "vi"));
    stamp.Add(o.Get("--rate", "175"));
    stamp.Add(std::to_string(jobs));
    stamp.Add(format.Bytes());
    for (const Unit& u : units) {
        stamp.Add(u.Key);
        stamp.Add(u.Stem);
        stamp.Add(u.Text);
    }
    if (const std::string rec = o.Get("--recordings"); !rec.empty() && fs::is_directory(rec)) {
        std::vector<fs::path> files;
        for (const auto& e : fs::directory_iterator(rec))
            if (e.path().extension() == ".wav") files.push_back(e.path());
        std::sort(files.begin(), files.end());
        for (const fs::path& f : files) {
            stamp.Add(f.filename().string());
            stamp.Add(tavi::ReadWholeFile(f));
        }
    }
    std::error_code ec;
    if (o.Get("--wav-dir").empty() && fs::exists(dataOut, ec) && fs::exists(indexOut, ec) &&
        fs::exists(stampFile, ec) && tavi::ReadWholeFile(stampFile) == stamp.Text()) {
        std::cout << "Sound dictionary up to date (" << units.size() << " units)\n";
        const auto now = fs::file_time_type::clock::now();
        fs::last_write_time(dataOut, now, ec);
        fs::last_write_time(indexOut, now, ec);
        return 0;
    }

    // espeak-ng keeps its state in globals, so the parallel workers are processes.
    std::vector<pid_t> children;
    std::vector<fs::path> results;
    for (int w = 0; w < jobs; ++w) {
        results.push_back(indexOut.string() + ".part" + std::to_string(w));
        std::cout.flush();
        const pid_t pid = fork();
        if (pid < 0) throw std::runtime_error("cannot start a worker process");
        if (pid == 0) {
            int status = 0;
            try {
                Work(units, w, jobs, o, results.back());
            } catch (const std::exception& e) {
                std::cerr << "tavi-dictbuild: " << e.what() << "\n";
                status = 1;
            }
            std::cerr.flush();
            _exit(status);
        }
        children.push_back(pid);
    }
    bool failed = false;
    for (pid_t pid : children) {
        int status = 0;
        waitpid(pid, &status, 0);
        failed |= !WIFEXITED(status) || WEXITSTATUS(status) != 0;
    }
    std::vector<std::string> samples(units.size());
    for (const fs::path& r : results) {
        if (!failed) {
            const std::string b = tavi::ReadWholeFile(r);
            for (std::size_t at = 0; at + 8 <= b.size();) {
                std::uint32_t head[2];
                std::copy(b.begin() + static_cast<std::ptrdiff_t>(at),
                          b.begin() + static_cast<std::ptrdiff_t>(at + 8),
                          reinterpret_cast<char*>(head));
                samples.at(head[0]) = b.substr(at + 8, head[1]);
                at += 8 + head[1];
            }
        }
        fs::remove(r, ec);
    }
    if (failed) throw std::runtime_error("a worker failed");

    std::vector<tavi::TSoundUnit> dict;
    std::uint64_t bytes = 0;
    for (std::size_t i = 0; i < units.size(); ++i) {
        if (samples[i].empty()) throw std::runtime_error("no samples for " + units[i].Stem);
        bytes += samples[i].size();
        dict.push_back({units[i].Key, std::move(samples[i])});
    }
    if (const std::string dir = o.Get("--wav-dir"); !dir.empty()) {
        fs::create_directories(dir);
        for (std::size_t i = 0; i < units.size(); ++i) {
            std::ofstream w(fs::path(dir) / (units[i].Stem + ".wav"), std::ios::binary);
            const std::string file = tavi::WaveFileBytes(format, dict[i].Samples);
            w.write(file.data(), static_cast<std::streamsize>(file.size()));
        }
    }
    fs::remove(stampFile, ec);
    tavi::WriteSoundDictionary(dataOut, indexOut, format, dict);
    std::ofstream(stampFile, std::ios::binary) << stamp.Text();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("Sound dictionary: %zu units, %.1f s of sound, %llu bytes, built in %.1f s with "
                "%d workers\n",
                units.size(), static_cast<double>(bytes) / format.AvgBytesPerSec,
                static_cast<unsigned long long>(bytes + tavi::SoundHeaderSize), seconds, jobs);
    return 0;
}

int BuildAbbr(const Options& o) {
    if (o.Rest.size() != 2) throw std::runtime_error("abbr needs SOURCE and OUT");
    ReadingCode code(o.Need("--tables"));
    std::set<std::string> known; // keys of every unit, for the checks below
    for (const std::string& s : ReadSyllables(o.Need("--syllables")))
        known.insert(TTextReader::MakeSoundKey(code.Convert(s)));
    for (const auto& [field, text] : ReadList(o.Need("--names")))
        known.insert(
            std::string(1, static_cast<char>(tavi::LowerLetter(NameKeyByte(field, code)))));
    std::map<std::string, std::string, std::less<>> lines; // std::string orders bytes unsigned
    for (const auto& [abbr, words] : ReadList(o.Rest[0])) {
        const std::string key = tavi::TrimSpaces(code.Convert(abbr));
        if (known.count(TTextReader::MakeSoundKey(key)))
            throw std::runtime_error("abbreviation " + abbr +
                                     " is a word of the dictionary and would never be expanded");
        std::string expansion;
        for (std::string_view w : tavi::TextWords(words)) {
            const std::string word = code.Convert(std::string(w));
            if (!known.count(TTextReader::MakeSoundKey(word)))
                throw std::runtime_error("abbreviation " + abbr + ": \"" + std::string(w) +
                                         "\" is not a syllable of the inventory");
            expansion += (expansion.empty() ? "" : " ") + word;
        }
        if (!lines.emplace(key, expansion).second)
            throw std::runtime_error("abbreviation " + abbr + " is listed twice");
    }
    std::string out;
    for (const auto& [key, expansion] : lines) out += key + "\t" + expansion + "\r\n";
    const fs::path target = o.Rest[1];
    const fs::path temp = target.string() + ".part";
    {
        std::ofstream f(temp, std::ios::binary | std::ios::trunc);
        f.write(out.data(), static_cast<std::streamsize>(out.size()));
        if (!f.flush()) throw tavi::EFOpenError(temp.string());
    }
    fs::rename(temp, target);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    try {
        const std::string verb = argc > 1 ? argv[1] : "";
        const Options o = ParseOptions(argc, argv);
        if (verb == "dict") return BuildDict(o);
        if (verb == "abbr") return BuildAbbr(o);
        std::cerr << "usage: tavi-dictbuild dict|abbr OPTIONS (see the source's head)\n";
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "tavi-dictbuild: " << e.what() << "\n";
        return 1;
    }
}
