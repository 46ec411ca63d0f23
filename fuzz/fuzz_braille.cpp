// Braille: the capital and number signs, the Braille converter over any table files and over the
// delivered tables in both directions, and the embosser's line cutting.
#include "codes/brailleconverter.h"
#include "codes/braillesigns.h"
#include "codes/embosser.h"
#include "codes/tabletree.h"
#include "platform/paths.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <filesystem>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string source = in.ConsumeRandomLengthString(4096);
    const std::string dest = in.ConsumeRandomLengthString(4096);
    const std::size_t width = in.ConsumeIntegralInRange<std::size_t>(1, 80);
    const std::string text = in.ConsumeRemainingBytesAsString();

    // Strip undoes Insert unless the text has a sign of its own.
    const std::string signs = tavi::InsertBrailleSigns(text);
    bool ownSigns = text.find(tavi::BrailleCapitalSign) != std::string::npos;
    for (std::size_t i = 0; i + 1 < text.size(); ++i)
        ownSigns |= text[i] == '#' && text[i + 1] >= '0' && text[i + 1] <= '9';
    if (signs.size() < text.size() || (!ownSigns && tavi::StripBrailleSigns(signs) != text))
        std::abort();

    // Any table pair, the destination shorter or longer than the source.
    tavi::TTableTree<2> tree;
    try {
        tree.Build(source, tavi::BrailleTableMax, "fuzz");
        const auto entries = tavi::ReadDestEntries(dest, tavi::CountDestEntries(dest));
        std::string out;
        tree.Match(
            signs,
            [&](unsigned k, std::string_view bytes) {
                out += k <= entries.size() ? std::string_view(entries[k - 1]) : bytes;
            },
            [&](std::string_view bytes) { out += bytes; });
    } catch (const std::exception&) {
    }

    static const bool delivered = std::filesystem::exists(tavi::ProgramFolder() / "Braille.vnc");
    if (delivered) {
        // One converter per table pair, so that no table is read again between runs.
        static tavi::TCodeConverter there, back, emboss;
        tavi::VniFromBraille(back, tavi::BrailleFromVni(there, text));
        tavi::VniFromBraille(back, text);
        tavi::EmbossBraille(emboss, text, width);
    }
    tavi::CutEmbosserLines(text, width);
    return 0;
}
