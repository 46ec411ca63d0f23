// tavitool rtf2text: the text of an RTF document, as the editor reads it.
#include "tavitool/command.h"

#include "document/rtf.h"

#include <stdexcept>

namespace {

int RtfToText(tavitool::Args& args) {
    tavitool::NoMoreOptions(args);
    if (args.size() > 2) throw tavitool::UsageError{"too many arguments"};
    const std::string rtf = tavitool::ReadInput(args.empty() ? "" : args[0]);
    tavi::TRtfDocument doc;
    std::string error;
    if (!tavi::ReadRtf(rtf, doc, &error)) throw std::runtime_error(error);
    tavitool::WriteOutput(args.size() > 1 ? args[1] : "", doc.PlainText("\r\n"));
    return 0;
}

tavitool::Register reg("rtf2text",
                       "[IN [OUT]]   the text of an RTF document, paragraphs ending in CR LF",
                       RtfToText);

} // namespace
