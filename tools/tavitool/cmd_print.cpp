// tavitool print: a document printed through CUPS as the editor prints it, without the window.
#include "tavitool/print_job.h"

#include "document/doctext.h"
#include "document/fontnames.h"
#include "document/printform.h"
#include "document/printing.h"
#include "platform/errors.h"

#include <filesystem>
#include <functional>

namespace {

int Print(tavitool::Args& args) {
    const std::string from = tavitool::TakeOption(args, "--from", "Vni for Win");
    const std::string named = tavitool::TakeOption(args, "--printer");
    tavitool::NoMoreOptions(args);
    if (args.size() != 1) throw tavitool::UsageError{"one FILE to print"};
    const std::string data = tavitool::ReadInput(args[0]);
    tavitool::TQtDrawing drawing;
    const std::string queue = tavitool::ChooseQueue(named);
    tavi::TRtfDocument doc;
    if (tavi::LooksLikeRtf(data)) {
        if (!tavi::ReadRtf(data, doc)) throw tavi::EDataError(args[0] + " is damaged RTF");
    } else {
        doc = tavi::PlainTextDocument(data, {tavi::VniScreenFont, 28, false, false, false});
    }
    const tavi::TUnicodeWriter toUnicode(from);
    doc = tavi::DocumentInUnicode(std::move(doc), std::cref(toUnicode));
    const std::string title = std::filesystem::path(args[0]).filename().string();
    tavitool::Submit(queue, title, tavi::DocumentPdf(doc, tavi::QueuePaper(queue), title),
                     tavi::TJobFormat::Pdf);
    return 0;
}

tavitool::Register reg("print",
                       "[--printer QUEUE] [--from NAME] FILE   print a text "
                       "or RTF document in Vni for Win (or in NAME) as the editor does, on QUEUE "
                       "or the default printer",
                       Print);

} // namespace
