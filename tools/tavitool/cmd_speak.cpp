// tavitool speak: what the word reader makes of a text, as the list of units and silences it
// appends (--units) or as the sound it would play (--wav FILE).
#include "tavitool/command.h"

#include "platform/paths.h"
#include "speech/sounddata.h"
#include "speech/wordreader.h"

#include <iostream>

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

int Speak(tavitool::Args& args) {
    const std::string table = tavitool::TakeOption(args, "--table", "Vni for Win");
    const bool symbols = tavitool::TakeFlag(args, "--symbols");
    const bool units = tavitool::TakeFlag(args, "--units");
    const std::string wav = tavitool::TakeOption(args, "--wav");
    tavitool::NoMoreOptions(args);
    if (units == !wav.empty()) throw tavitool::UsageError{"give exactly one of --units, --wav"};
    if (args.size() != 1) throw tavitool::UsageError{"one TEXT (or - for standard input)"};
    const std::string text = args[0] == "-" ? tavitool::ReadInput("") : args[0];

    const auto folder = tavi::ProgramFolder();
    tavi::TWordReader reader(folder / "dict.dat", folder / "dict.idx", folder / "abbr.txt");
    reader.SetCodeTable(table);
    reader.SpeakSymbols = symbols;
    std::string listing;
    reader.OnUnit = [&](const tavi::TIndexRecord& r) {
        listing += "unit " + Printable(r.Name) + "\n";
    };
    reader.OnSilence = [&](std::size_t n) { listing += "silence " + std::to_string(n) + "\n"; };
    tavi::TMemoryStream& source = reader.ConvertText(text);
    std::string sound;
    while (!source.AtEnd()) {
        tavi::TMemoryStream chunk;
        reader.BuildChunk(source, chunk);
        sound += chunk.Data;
    }
    if (units) {
        std::cout << listing;
    } else {
        tavitool::WriteOutput(wav, tavi::WaveFileBytes(reader.Sounds->ReadFormat(), sound));
    }
    return 0;
}

tavitool::Register reg("speak",
                       "[--table NAME] [--symbols] (--units | --wav FILE) TEXT|-   the units "
                       "and silences the word reader chooses, or its sound as a WAV file",
                       Speak);

} // namespace
