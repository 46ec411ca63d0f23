// tavitool emboss: a document as embosser pages in a BRF file.
#include "tavitool/braille_text.h"
#include "tavitool/command.h"

#include "codes/brailleconverter.h"
#include "codes/embosser.h"

#ifdef TAVI_TOOL_QT
#include "tavitool/print_job.h"
#endif

namespace {

int Emboss(tavitool::Args& args) {
    const std::string width = tavitool::TakeOption(args, "--width", "40");
    const bool braille = tavitool::TakeFlag(args, "--braille");
    const std::string from = tavitool::TakeOption(args, "--from");
    // The pages go to an embosser's queue (a raw one) instead of a file.
    const std::string named = tavitool::TakeOption(args, "--printer");
    const bool print = tavitool::TakeFlag(args, "--print") || !named.empty();
#ifndef TAVI_TOOL_QT
    if (print) throw tavitool::UsageError{"this tavitool was built without printing"};
#endif
    tavitool::NoMoreOptions(args);
    if (args.size() > (print ? 1u : 2u)) throw tavitool::UsageError{"too many arguments"};
    if (width != "32" && width != "40") throw tavitool::UsageError{"--width is 32 or 40"};
    if (braille && !from.empty()) throw tavitool::UsageError{"--from is for a text, not Braille"};
    std::string text = tavitool::ReadInput(args.empty() ? "" : args[0]);
    tavi::TCodeConverter converter;
    if (!braille)
        text = tavi::BrailleFromVni(converter, tavitool::ToVniText(std::move(text), from));
    const std::string pages = tavi::EmbossBraille(converter, text, std::stoul(width));
#ifdef TAVI_TOOL_QT
    if (print) {
        const std::string queue = tavitool::ChooseQueue(named);
        const std::string title = args.empty() ? "tavitool" : args[0];
        tavitool::Submit(queue, title, pages, tavi::TJobFormat::Raw);
        return 0;
    }
#endif
    tavitool::WriteOutput(args.size() > 1 ? args[1] : "", pages);
    return 0;
}

tavitool::Register
    reg("emboss",
        "[--width 32|40] [--from NAME | --braille] [IN [OUT]] | [--print | --printer "
        "QUEUE] [IN]   a Vni for Win text (or one in NAME, "
        "or Braille) as a BRF file of embosser pages, or sent to an embosser's "
        "queue (--print: the default one)",
        Emboss);

} // namespace
