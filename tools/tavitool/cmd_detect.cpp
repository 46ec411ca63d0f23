// tavitool detect: prints the code table a document is written in.
#include "tavitool/command.h"

#include "codes/vncodeconverter.h"

#include <iostream>

namespace {

int Detect(tavitool::Args& args) {
    tavitool::NoMoreOptions(args);
    if (args.size() > 1) throw tavitool::UsageError{"too many arguments"};
    const std::string text = tavitool::ReadInput(args.empty() ? "" : args[0]);
    tavi::TVnCodeConverter converter;
    std::cout << converter.DetectCodeTable(text.substr(0, tavi::DetectSampleSize)) << "\n";
    return 0;
}

tavitool::Register reg("detect", "[FILE]   print the name of the code table FILE is written in",
                       Detect);

} // namespace
