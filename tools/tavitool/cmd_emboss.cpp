// tavitool emboss: a document as embosser pages in a BRF file.
#include "tavitool/braille_text.h"
#include "tavitool/command.h"

#include "codes/brailleconverter.h"
#include "codes/embosser.h"

namespace {

int Emboss(tavitool::Args& args) {
    const std::string width = tavitool::TakeOption(args, "--width", "40");
    const bool braille = tavitool::TakeFlag(args, "--braille");
    const std::string from = tavitool::TakeOption(args, "--from");
    tavitool::NoMoreOptions(args);
    if (args.size() > 2) throw tavitool::UsageError{"too many arguments"};
    if (width != "32" && width != "40") throw tavitool::UsageError{"--width is 32 or 40"};
    if (braille && !from.empty()) throw tavitool::UsageError{"--from is for a text, not Braille"};
    std::string text = tavitool::ReadInput(args.empty() ? "" : args[0]);
    tavi::TCodeConverter converter;
    if (!braille)
        text = tavi::BrailleFromVni(converter, tavitool::ToVniText(std::move(text), from));
    tavitool::WriteOutput(args.size() > 1 ? args[1] : "",
                          tavi::EmbossBraille(converter, text, std::stoul(width)));
    return 0;
}

tavitool::Register reg("emboss",
                       "[--width 32|40] [--from NAME | --braille] [IN [OUT]]   a Vni for Win text "
                       "(or one in NAME, or Braille) as a BRF file of embosser pages",
                       Emboss);

} // namespace
