// tavitool speak: what the word reader makes of a text, as the list of units and silences it
// appends (--units) or as the sound it would play (--wav FILE), or the text played on the
// sound device (--play). --english speaks with the English engine instead.
#include "tavitool/command.h"

#include "platform/paths.h"
#include "speech/sounddata.h"
#include "speech/wordreader.h"

#if TAVI_TOOL_QT
#include "speech/qtaudio.h"
#include "speech/speechwait.h"
#include "speech/tts.h"

#include <QCoreApplication>
#endif

#include <iostream>
#include <stdexcept>

namespace {

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

std::unique_ptr<tavi::TWordReader> OpenReader(const std::string& table, bool symbols) {
    const auto folder = tavi::ProgramFolder();
    auto reader = std::make_unique<tavi::TWordReader>(folder / "dict.dat", folder / "dict.idx",
                                                      folder / "abbr.txt");
    reader->SetCodeTable(table);
    reader->SpeakSymbols = symbols;
    return reader;
}

// Plays through the device chosen as the program chooses it ($TAVI_AUDIO), or writes the
// English engine's sound into a WAV file, and waits for the end.
int PlayText(const std::string& text, const std::string& table, bool symbols, bool english,
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
        auto reader = OpenReader(table, symbols);
        reader->Speak(text);
        tavi::WaitWhilePlaying(*reader);
        if (!reader->ErrorText.empty()) throw std::runtime_error(reader->ErrorText);
        return 0;
    }
    tavi::TTTS tts(tavi::CreateESpeakEngine());
    tts.SetModeName(mode);
    tts.SetSpeed(140);
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
    (void)text, (void)table, (void)symbols, (void)english, (void)wav, (void)mode;
    throw std::runtime_error("this tavitool was built without the Qt layer: it cannot play "
                             "sound or use the English engine");
#endif
}

int Speak(tavitool::Args& args) {
    const std::string table = tavitool::TakeOption(args, "--table", "Vni for Win");
    const bool symbols = tavitool::TakeFlag(args, "--symbols");
    const bool units = tavitool::TakeFlag(args, "--units");
    const bool play = tavitool::TakeFlag(args, "--play");
    const bool english = tavitool::TakeFlag(args, "--english");
    const std::string mode = tavitool::TakeOption(args, "--mode");
    const std::string wav = tavitool::TakeOption(args, "--wav");
    tavitool::NoMoreOptions(args);
    if (units + play + !wav.empty() != 1)
        throw tavitool::UsageError{"give exactly one of --units, --wav, --play"};
    if (english && units) throw tavitool::UsageError{"--units lists the Vietnamese voice's units"};
    if (!mode.empty() && !english) throw tavitool::UsageError{"--mode is for --english"};
    if (english && wav == "-") throw tavitool::UsageError{"--english --wav needs a file name"};
    if (args.size() != 1) throw tavitool::UsageError{"one TEXT (or - for standard input)"};
    const std::string text = args[0] == "-" ? tavitool::ReadInput("") : args[0];
    if (play || english) return PlayText(text, table, symbols, english, wav, mode);

    auto reader = OpenReader(table, symbols);
    std::string listing;
    reader->OnUnit = [&](const tavi::TIndexRecord& r) {
        listing += "unit " + Printable(r.Name) + "\n";
    };
    reader->OnSilence = [&](std::size_t n) { listing += "silence " + std::to_string(n) + "\n"; };
    const std::string sound = reader->WholeSound(text);
    if (units) {
        std::cout << listing;
    } else {
        tavitool::WriteOutput(wav, tavi::WaveFileBytes(reader->Sounds->ReadFormat(), sound));
    }
    return 0;
}

tavitool::Register reg("speak",
                       "[--table NAME] [--symbols] [--english [--mode VOICE]] (--units | --wav "
                       "FILE | --play) TEXT|-   the units and silences the word reader chooses, "
                       "its sound as a WAV file, or the sound played on the device chosen by "
                       "$TAVI_AUDIO; --english: the English engine reads the text "
                       "(Windows-1252)",
                       Speak);

} // namespace
