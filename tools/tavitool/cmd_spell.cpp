// tavitool spell: every word of a document that is not a well-formed Vietnamese syllable, one
// per line: its 1-based byte position in the document converted to "Vni for Win", a tab, and
// the word as it stands in the input.
#include "tavitool/command.h"

#include "dialogs/spellcheck.h"
#include "dialogs/talker.h"

#include <iostream>

namespace {

// The document in "Vni for Win", and for each of its bytes the input offset of the piece of
// input it came from (one more element: the end of the input).
struct TConverted {
    std::string Text;
    std::vector<std::size_t> From;
};

TConverted ToVniWin(const std::string& input, const std::string& table) {
    TConverted out;
    if (table == tavi::VniWinTable) {
        out.Text = input;
        out.From.resize(input.size() + 1);
        for (std::size_t i = 0; i <= input.size(); ++i) out.From[i] = i;
        return out;
    }
    tavi::TVnCodeConverter converter;
    converter.SetSourceTable(table);
    converter.SetDestTable(tavi::VniWinTable);
    const auto offset = [&](std::string_view piece) {
        return static_cast<std::size_t>(piece.data() - input.data());
    };
    converter.MatchNodes.Match(
        input,
        [&](unsigned k, std::string_view source) {
            const std::string& dest = converter.DestEntries[k - 1];
            out.Text += dest;
            out.From.insert(out.From.end(), dest.size(), offset(source));
        },
        [&](std::string_view bytes) {
            // A byte of another character than the table's letters (a curly quote or a dash
            // of UTF-8) counts as punctuation, not as a letter of "Vni for Win".
            for (std::size_t i = 0; i < bytes.size(); ++i) {
                const unsigned char c = static_cast<unsigned char>(bytes[i]);
                out.Text += c >= 0x80 ? '?' : static_cast<char>(c);
                out.From.push_back(offset(bytes) + i);
            }
        });
    out.From.push_back(input.size());
    return out;
}

int Spell(tavitool::Args& args) {
    const std::string table = tavitool::TakeOption(args, "--table", tavi::VniWinTable);
    tavitool::NoMoreOptions(args);
    if (args.size() > 1) throw tavitool::UsageError{"too many arguments"};
    const std::string input = tavitool::ReadInput(args.empty() ? "" : args[0]);
    const TConverted doc = ToVniWin(input, table);
    tavi::TSpellChecker checker;
    std::string report;
    for (std::size_t start = 1;;) {
        const tavi::TSpellResult r = checker.FindSuspect(doc.Text, doc.Text.size(), start);
        if (!r.Found) break;
        const std::size_t from = doc.From[r.Position - 1];
        const std::size_t to = doc.From[r.End - 1];
        report += std::to_string(r.Position) + '\t' + input.substr(from, to - from) + '\n';
        start = r.End;
    }
    tavitool::WriteOutput("", report);
    return 0;
}

tavitool::Register reg("spell",
                       "[--table NAME] [IN]   list the words that are not Vietnamese syllables "
                       "(position in the Vni for Win text, tab, word; default table Vni for Win)",
                       Spell);

} // namespace
