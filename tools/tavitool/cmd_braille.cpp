// tavitool braille: Vietnamese text to grade 1 Braille bytes, and back.
#include "tavitool/braille_text.h"
#include "tavitool/command.h"

#include "codes/braillecells.h"
#include "codes/brailleconverter.h"

namespace {

int Braille(tavitool::Args& args) {
    const bool back = tavitool::TakeFlag(args, "--back");
    const bool patterns = tavitool::TakeFlag(args, "--unicode");
    const std::string from = tavitool::TakeOption(args, "--from");
    const std::string to = tavitool::TakeOption(args, "--to");
    tavitool::NoMoreOptions(args);
    if (args.size() > 2) throw tavitool::UsageError{"too many arguments"};
    if (back && (!from.empty() || patterns))
        throw tavitool::UsageError{"--from and --unicode go with the way to Braille"};
    if (!back && !to.empty()) throw tavitool::UsageError{"--to goes with --back"};
    std::string text = tavitool::ReadInput(args.empty() ? "" : args[0]);
    tavi::TCodeConverter converter;
    if (back) {
        text = tavitool::FromVniText(tavi::VniFromBraille(converter, text), to);
    } else {
        text = tavi::BrailleFromVni(converter, tavitool::ToVniText(std::move(text), from));
        if (patterns) text = tavi::BraillePatterns(text, tavi::LoadBrailleCells());
    }
    tavitool::WriteOutput(args.size() > 1 ? args[1] : "", text);
    return 0;
}

tavitool::Register reg("braille",
                       "[--back] [--from|--to NAME] [--unicode] [IN [OUT]]   grade 1 Braille of a "
                       "Vni for Win text (--from: a text in NAME; --unicode: as Unicode Braille "
                       "patterns), or back (--to: into NAME)",
                       Braille);

} // namespace
