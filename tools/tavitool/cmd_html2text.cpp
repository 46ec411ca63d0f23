// tavitool html2text: the text of a web page, as the editor loads ".htm" and ".html" files.
#include "tavitool/command.h"

#include "document/htmltext.h"

namespace {

int HtmlToText(tavitool::Args& args) {
    tavitool::NoMoreOptions(args);
    if (args.size() > 2) throw tavitool::UsageError{"too many arguments"};
    const std::string page = tavitool::ReadInput(args.empty() ? "" : args[0]);
    tavitool::WriteOutput(args.size() > 1 ? args[1] : "", tavi::HtmlToText(page));
    return 0;
}

tavitool::Register reg("html2text", "[IN [OUT]]   the text of a web page, lines ending in CR LF",
                       HtmlToText);

} // namespace
