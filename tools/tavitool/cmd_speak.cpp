// tavitool speak: what the word reader makes of a text, as the list of units and silences it
// appends (--units) or as the sound it would play (--wav FILE), or the text played on the
// sound device (--play). --english speaks with the English engine instead. English words in
// the text are read by the English voice, as in the program, unless --spell-english; --rate
// sets the speed as a multiple of the voice's own.
#include "tavitool/command.h"

#include "tavitool/progress.h"

#include "platform/atomicfile.h"
#include "platform/paths.h"
#include "speech/sounddata.h"
#include "speech/speechrate.h"
#include "speech/timescale.h"
#include "speech/tokenstream.h"
#include "speech/wordreader.h"

#if TAVI_TOOL_QT
#include "speech/qtaudio.h"
#include "speech/speechwait.h"
#include "speech/tts.h"

#include <QCoreApplication>
#endif

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Sound is written in pieces of about this size: the memory it takes whatever the text.
constexpr std::size_t SoundBlock = 1 << 20;

// Bytes outside 0x21-0x7E as \xHH, so that tone bytes and letters of the reading code show.
std::string Printable(std::string_view key) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (char ch : key) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c >= 0x21 && c <= 0x7E) {
            out += ch;
        } else {
            out += "\\x";
            out += digits[c >> 4];
            out += digits[c & 15];
        }
    }
    return out;
}

// How the reader reads: the options of the command that set it up.
struct TVoiceOptions {
    std::string Table;
    bool Symbols = false;
    bool English = true; // English words read by the English voice
    double Rate = 1.0;
};

std::unique_ptr<tavi::TWordReader> OpenReader(const TVoiceOptions& o) {
    const auto folder = tavi::ProgramFolder();
    auto reader = std::make_unique<tavi::TWordReader>(folder / "dict.dat", folder / "dict.idx",
                                                      folder / "abbr.txt");
    reader->SetCodeTable(o.Table);
    reader->SpeakSymbols = o.Symbols;
    reader->SetRate(o.Rate);
    if (!o.English) return reader;
    try {
        reader->EnglishList = std::make_shared<tavi::TEnglishWords>(tavi::EnglishWordsFile);
        reader->EnglishVoice = std::make_shared<tavi::TEnglishVoice>(tavi::CreateESpeakEngine());
    } catch (const std::exception& e) {
        std::cerr << "tavitool: English words are spelt: " << e.what() << "\n";
    }
    return reader;
}

// Whether the reader hands words to the English voice.
bool ReadsEnglish(const tavi::TTextReader& reader) {
    return reader.EnglishWords && reader.EnglishList && reader.EnglishVoice;
}

double ParseRate(const std::string& value) {
    if (value.empty()) return 1.0;
    char* end = nullptr;
    const double rate = std::strtod(value.c_str(), &end);
    if (end == value.c_str() || *end != 0 || !(rate >= tavi::MinRate && rate <= tavi::MaxRate))
        throw tavitool::UsageError{"--rate takes a multiple of the normal rate from 0.5 to 5"};
    return rate;
}

// Plays through the device chosen as the program chooses it ($TAVI_AUDIO), or writes the
// English engine's sound into a WAV file, and waits for the end.
int PlayText(const std::string& text, const TVoiceOptions& voice, bool english,
             const std::string& wav, const std::string& mode) {
#if TAVI_TOOL_QT
    int argc = 1;
    char name[] = "tavitool";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    if (wav.empty()) {
        const tavi::TAudioChoice choice = tavi::InstallAudioSystem();
        if (!choice.Problem.empty()) std::cerr << "tavitool: " << choice.Problem << "\n";
    } else {
        // Only a file is written: no sound device is looked for.
        tavi::SetAudioSystem(std::make_unique<tavi::TQtAudioSystem>(
            tavi::TAudioChoice{tavi::TAudioChoice::None, {}, {}}));
    }
    if (!english) {
        auto reader = OpenReader(voice);
        reader->Speak(text);
        tavi::WaitWhilePlaying(*reader);
        if (!reader->ErrorText.empty()) throw std::runtime_error(reader->ErrorText);
        return 0;
    }
    tavi::TTTS tts(tavi::CreateESpeakEngine());
    tts.SetModeName(mode);
    tts.SetSpeed(tavi::EnglishWordsPerMinute(voice.Rate));
    if (!wav.empty()) {
        tts.OutputDest = tavi::TOutPutDest::odFile;
        tts.SetOutputFile(wav);
    }
    tts.SetActive(true);
    if (!tts.Active())
        throw std::runtime_error("the English engine cannot be used: " + tts.ActivationError);
    tts.Speak(text);
    tavi::WaitWhileSpeaking(tts);
    if (!tts.ErrorText.empty()) throw std::runtime_error(tts.ErrorText);
    return 0;
#else
    (void)text, (void)voice, (void)english, (void)wav, (void)mode;
    throw std::runtime_error("this tavitool was built without the Qt layer: it cannot play "
                             "sound or use the English engine");
#endif
}

// The text of --units and --wav: the argument itself, or standard input ("-"), which can be
// read from the start as often as needed. Standard input that cannot be rewound (a pipe) is
// copied to a temporary file first when it is to be read twice, so that a book never has to
// fit in memory.
class TSpeechText {
public:
    TSpeechText(const std::string& arg, bool twice) {
        if (arg != "-") {
            Text = arg;
            return;
        }
        FromInput = true;
        Start = ::lseek(0, 0, SEEK_CUR);
        if (Start >= 0 || !twice) return;
        Spool = std::tmpfile();
        if (!Spool) throw std::runtime_error("Cannot make a temporary file: " + Reason());
        Fd = ::fileno(Spool);
        Start = 0;
        std::vector<char> block(64 * 1024);
        for (long n; (n = tavi::ReadFull(0, block.data(), block.size())) > 0;)
            if (!tavi::WriteAll(Fd, std::string_view(block.data(), static_cast<std::size_t>(n))))
                throw std::runtime_error("Cannot copy standard input: " + Reason());
    }
    ~TSpeechText() {
        if (Spool) std::fclose(Spool);
    }
    TSpeechText(const TSpeechText&) = delete;
    TSpeechText& operator=(const TSpeechText&) = delete;

    // A reading of the text from its start.
    tavi::TTokenStream::TRead Open() {
        if (!FromInput)
            return [this, at = std::size_t{0}](char* to, std::size_t room) mutable {
                const std::size_t n = Text.copy(to, room, at);
                at += n;
                return n;
            };
        if (Start >= 0 && ::lseek(Fd, Start, SEEK_SET) < 0)
            throw std::runtime_error("Cannot read the text again: " + Reason());
        return [fd = Fd](char* to, std::size_t room) {
            const long n = tavi::ReadFull(fd, to, room);
            if (n < 0) throw std::runtime_error("Cannot read the text: " + Reason());
            return static_cast<std::size_t>(n);
        };
    }

private:
    static std::string Reason() { return std::strerror(errno); }

    std::string Text;
    bool FromInput = false;
    int Fd = 0;
    off_t Start = -1; // where the text starts in Fd; -1: Fd cannot be rewound
    std::FILE* Spool = nullptr;
};

// Every token of the text to say(token), in order, exactly as WholeSound reads them.
template <class Say> void ForEachToken(tavi::TTextReader& reader, TSpeechText& text, Say&& say) {
    tavi::TTokenStream tokens(reader, text.Open());
    std::string token;
    while (tokens.Next(token))
        if (token.size() != 1 || token[0] != '\0') say(std::move(token));
}

void WriteStdout(std::string_view bytes) {
    if (!tavi::WriteAll(1, bytes))
        throw std::runtime_error(std::string("Cannot write to standard output: ") +
                                 std::strerror(errno));
}

// The units and silences, without building any sound.
void ListUnits(tavi::TTextReader& reader, TSpeechText& text) {
    std::string listing;
    reader.OnUnit = [&](const tavi::TIndexRecord& r) {
        listing += "unit " + Printable(r.Name) + "\n";
    };
    reader.OnSilence = [&](std::size_t n) { listing += "silence " + std::to_string(n) + "\n"; };
    reader.OnEnglish = [&](const std::string& word) { listing += "english " + word + "\n"; };
    ForEachToken(reader, text, [&](std::string token) {
        reader.SayToken(std::move(token), nullptr);
        if (listing.size() < 64 * 1024) return;
        WriteStdout(listing);
        listing.clear();
    });
    WriteStdout(listing);
}

// The WAV files of a text: the sample bytes of each, and the token that starts each after the
// first.
struct TWavPlan {
    std::vector<std::uint64_t> Sizes{0};
    std::vector<std::uint64_t> Starts{0};
};

// What the sound of the text will take before it is time-scaled, counted without building
// it (only English words are made, to be measured): a new file starts at the first token after
// partLimit bytes (0: one file).
TWavPlan PlanWav(tavi::TTextReader& reader, TSpeechText& text, std::uint64_t partLimit) {
    TWavPlan plan;
    std::uint64_t token = 0;
    reader.OnUnit = [&](const tavi::TIndexRecord& r) {
        plan.Sizes.back() += static_cast<std::uint64_t>(r.Size);
    };
    reader.OnSilence = [&](std::size_t n) { plan.Sizes.back() += n; };
    tavi::TMemoryStream english;
    const bool measure = ReadsEnglish(reader);
    reader.OnEnglish = [&](const std::string&) {
        plan.Sizes.back() += english.Size();
        english.Clear();
    };
    ForEachToken(reader, text, [&](std::string t) {
        if (partLimit && plan.Sizes.back() >= partLimit) {
            plan.Sizes.push_back(0);
            plan.Starts.push_back(token);
        }
        reader.SayToken(std::move(t), measure ? &english : nullptr);
        english.Clear();
        ++token;
    });
    if (plan.Sizes.size() > 1 && plan.Sizes.back() == 0) { // only silent tokens were left
        plan.Sizes.pop_back();
        plan.Starts.pop_back();
    }
    return plan;
}

// One WAV file being written: its header first, with the size counted beforehand; a file's
// header is written again at the end from what was really written.
class TWavOut {
public:
    TWavOut(const std::string& name, const tavi::TSoundFormat& format, std::uint64_t size)
        : Format(format), Expected(size) {
        if (name != "-") File = std::make_unique<tavi::TAtomicFileWriter>(name);
        Write(tavi::WaveHeader(Format, static_cast<std::uint32_t>(size)));
        Count = 0;
    }
    void Write(std::string_view bytes) {
        if (File)
            File->Write(bytes);
        else
            WriteStdout(bytes);
        Count += bytes.size();
    }
    void Finish() {
        // The size of time-scaled sound is only known roughly beforehand.
        if (Count > tavi::WaveDataMax)
            throw std::runtime_error("the sound is longer than a WAV file can hold: give "
                                     "--split-minutes N to write it in files of N minutes each");
        // Only a text that changed between the two readings can make them differ.
        if (!File && Count != Expected)
            throw std::runtime_error("the text changed while it was read");
        if (!File) return;
        File->WriteAt(0, tavi::WaveHeader(Format, static_cast<std::uint32_t>(Count)));
        File->Commit();
    }

private:
    tavi::TSoundFormat Format;
    std::uint64_t Expected;
    std::uint64_t Count = 0;
    std::unique_ptr<tavi::TAtomicFileWriter> File;
};

// NAME.wav, or NAME-01.wav, NAME-02.wav... for a sound in parts.
std::string PartName(const std::string& wav, std::size_t part, std::size_t parts, bool split) {
    if (!split) return wav;
    const fs::path path(wav);
    std::string number = std::to_string(part + 1);
    const std::size_t width = std::max<std::size_t>(2, std::to_string(parts).size());
    number.insert(0, width - std::min(width, number.size()), '0');
    return (path.parent_path() / (path.stem().string() + "-" + number + path.extension().string()))
        .string();
}

void WriteWav(tavi::TTextReader& reader, TSpeechText& text, const TWavPlan& plan,
              const std::string& wav, bool split) {
    reader.OnUnit = nullptr;
    reader.OnSilence = nullptr;
    reader.OnEnglish = nullptr;
    const tavi::TSoundFormat& format = reader.Sounds->ReadFormat();
    const std::size_t parts = plan.Sizes.size();
    std::unique_ptr<tavi::TTimeScaler> scaler;
    if (reader.Rate() != 1.0) scaler = std::make_unique<tavi::TTimeScaler>(format, reader.Rate());
    tavitool::TProgress progress;
    std::uint64_t total = 0;
    for (auto size : plan.Sizes) total += size;
    progress.Start(parts > 1 ? parts : 0, total);
    std::vector<std::string> done; // parts already in place, removed if a later one fails
    try {
        std::size_t part = 0;
        std::uint64_t token = 0;
        auto out = std::make_unique<TWavOut>(PartName(wav, 0, parts, split), format, plan.Sizes[0]);
        tavi::TMemoryStream chunk;
        const auto flush = [&](bool partEnd) {
            if (scaler) {
                out->Write(scaler->Scale(chunk.Data));
                if (partEnd) out->Write(scaler->Flush());
            } else {
                out->Write(chunk.Data);
            }
            progress.Add(chunk.Data.size());
            chunk.Clear();
        };
        const auto nextPart = [&] {
            flush(true);
            out->Finish();
            done.push_back(PartName(wav, part, parts, split));
            progress.FileDone(plan.Sizes[part]);
            ++part;
            out = std::make_unique<TWavOut>(PartName(wav, part, parts, split), format,
                                            plan.Sizes[part]);
        };
        ForEachToken(reader, text, [&](std::string t) {
            if (part + 1 < parts && token == plan.Starts[part + 1]) nextPart();
            reader.SayToken(std::move(t), &chunk);
            ++token;
            if (chunk.Data.size() >= SoundBlock) flush(false);
        });
        flush(true);
        out->Finish();
    } catch (...) {
        std::error_code ec;
        for (const auto& name : done) fs::remove(name, ec);
        progress.Finish();
        throw;
    }
    progress.Finish();
}

// The sound of the text as a WAV file (or files of splitMinutes each), written as it is built.
void SpeakToWav(tavi::TTextReader& reader, TSpeechText& text, const std::string& wav,
                unsigned long splitMinutes) {
    const tavi::TSoundFormat& format = reader.Sounds->ReadFormat();
    const std::uint64_t partLimit = splitMinutes * 60ull * format.AvgBytesPerSec;
    if (partLimit + SoundBlock > tavi::WaveDataMax)
        throw tavitool::UsageError{"--split-minutes " + std::to_string(splitMinutes) +
                                   " makes files over 4 GB"};
    // The plan counts the sound before it is time-scaled: so many minutes once scaled.
    const double rate = reader.Rate();
    const TWavPlan plan =
        PlanWav(reader, text, static_cast<std::uint64_t>(static_cast<double>(partLimit) * rate));
    std::uint64_t total = 0;
    for (auto size : plan.Sizes) total += size;
    total = static_cast<std::uint64_t>(static_cast<double>(total) / rate);
    if (static_cast<double>(plan.Sizes.front()) / rate > tavi::WaveDataMax)
        throw std::runtime_error(
            "the sound of this text takes " + std::to_string(total >> 20) +
            " MB, more than the 4 GB a WAV file can hold: give --split-minutes N to write it in "
            "files of N minutes each");
    WriteWav(reader, text, plan, wav, splitMinutes != 0);
}

// The options of the Vietnamese voice: --table, --symbols, --spell-english, --rate.
TVoiceOptions TakeVoiceOptions(tavitool::Args& args) {
    TVoiceOptions o;
    o.Table = tavitool::TakeOption(args, "--table", "Vni for Win");
    o.Symbols = tavitool::TakeFlag(args, "--symbols");
    o.English = !tavitool::TakeFlag(args, "--spell-english");
    o.Rate = ParseRate(tavitool::TakeOption(args, "--rate"));
    return o;
}

int Speak(tavitool::Args& args) {
    const TVoiceOptions voice = TakeVoiceOptions(args);
    const bool units = tavitool::TakeFlag(args, "--units");
    const bool play = tavitool::TakeFlag(args, "--play");
    const bool english = tavitool::TakeFlag(args, "--english");
    const std::string mode = tavitool::TakeOption(args, "--mode");
    const std::string wav = tavitool::TakeOption(args, "--wav");
    const std::string split = tavitool::TakeOption(args, "--split-minutes");
    tavitool::NoMoreOptions(args);
    if (units + play + !wav.empty() != 1)
        throw tavitool::UsageError{"give exactly one of --units, --wav, --play"};
    if (english && units) throw tavitool::UsageError{"--units lists the Vietnamese voice's units"};
    if (!mode.empty() && !english) throw tavitool::UsageError{"--mode is for --english"};
    if ((english || voice.Rate != 1.0) && wav == "-")
        throw tavitool::UsageError{"--english or --rate with --wav needs a file name"};
    if (args.size() != 1) throw tavitool::UsageError{"one TEXT (or - for standard input)"};
    unsigned long minutes = 0;
    if (!split.empty()) {
        if (wav.empty() || wav == "-" || english)
            throw tavitool::UsageError{"--split-minutes is for --wav FILE"};
        if (split.find_first_not_of("0123456789") != std::string::npos ||
            (minutes = std::strtoul(split.c_str(), nullptr, 10)) == 0)
            throw tavitool::UsageError{"--split-minutes needs a whole number of minutes"};
    }
    if (play || english) {
        const std::string text = args[0] == "-" ? tavitool::ReadInput("") : args[0];
        return PlayText(text, voice, english, wav, mode);
    }
    // Past a file-size limit, writes fail (reported, nothing left half-written) instead of the
    // signal ending the program half-way.
    std::signal(SIGXFSZ, SIG_IGN);
    auto reader = OpenReader(voice);
    TSpeechText text(args[0], !units);
    if (units)
        ListUnits(*reader, text);
    else
        SpeakToWav(*reader, text, wav, minutes);
    return 0;
}

tavitool::Register reg("speak",
                       "[--table NAME] [--symbols] [--spell-english] [--rate X] [--english [--mode "
                       "VOICE]] (--units | --wav FILE [--split-minutes N] | --play) TEXT|-   the "
                       "units and silences the word reader chooses (and the English words it "
                       "hands to the English voice, unless --spell-english), its sound as a WAV "
                       "file (written as it is made; over 4 GB only in files of N minutes, "
                       "NAME-01.wav...), or the sound played on the device chosen by "
                       "$TAVI_AUDIO; --rate X: X times the voice's own speed (0.5 to 5); "
                       "--english: the English engine reads the text (Windows-1252)",
                       Speak);

} // namespace
