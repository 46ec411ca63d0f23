// The print command: the document on a printer as the screen shows it, or on a Braille
// embosser as lines of cells, page by page. Printers are the system's CUPS queues.
#include "shell/mainform.h"

#include "codes/braillecells.h"
#include "codes/brailleconverter.h"
#include "codes/embosser.h"
#include "dialogs/prtsetupfrm.h"
#include "document/msrichedit.h"
#include "document/printform.h"
#include "document/printing.h"

#include <QCheckBox>
#include <QComboBox>
#include <QSpinBox>

namespace tavi {

void TMainForm::PrinterCommand() {
    const std::vector<TPrintQueue> queues = PrintQueues();
    if (queues.empty()) return Report("zzzmesac", "Không tìm thấy máy in");
    QStringList names;
    for (const TPrintQueue& q : queues) names << QString::fromStdString(q.Name);
    TPrtSetUpFrm dialog(*this, names, this);
    dialog.ShowSetup(FSettings.Print);
    if (ShowModal(dialog) == mrOk) {
        const TPrintSetup& p = FSettings.Print = dialog.ChosenSetup();
        const TPrintQueue& printer = queues[static_cast<std::size_t>(std::max(p.PrinterIndex, 0))];
        if (p.Embosser)
            EmbossDocument(printer, p.CharsLine);
        else
            PrintDocument(printer);
    }
    WaitWhileSpeaking();
    Announce("zzzmesa");
}

std::string TMainForm::JobTitle() const {
    return std::filesystem::path(FDocument.FileName).filename().string();
}

// A copy of the document goes to paper, its letters in Unicode; the document itself is not
// touched, so nothing in it can be left changed by a failed job.
void TMainForm::PrintDocument(const TPrintQueue& printer) {
    RunPrintJob([this, &printer] {
        TRtfDocument doc = FDocument.Braille()
                               ? BrailleInUnicode(Editor->Document(), LoadBrailleCells())
                               : Editor->UnicodeDocument();
        IndentForMargins(doc, FSettings.Print.LeftMargin, FSettings.Print.RightMargin);
        const std::string pdf = DocumentPdf(doc, QueuePaper(printer.Name), JobTitle());
        SubmitPrintJob(printer.Name, JobTitle(), pdf, TJobFormat::Pdf);
    });
}

// An embosser's queue is a raw one and takes the pages in its own code; an ordinary printer
// prints the cells in ink, in the Braille face.
void TMainForm::EmbossDocument(const TPrintQueue& printer, int charsPerLine) {
    if (!FDocument.Braille()) {
        SetDisplay(true);
        if (!FDocument.Braille()) return; // the Braille tables could not be read: said already
    }
    RunPrintJob([this, &printer, charsPerLine] {
        FData.Braille.SetSourceTable(PrintSourceName);
        FData.Braille.SetDestTable(PrintDestName);
        const std::vector<std::string> lines = CutEmbosserLines(
            FData.Braille.ConvertText(Editor->Text()), static_cast<std::size_t>(charsPerLine));
        if (printer.Raw) {
            SubmitPrintJob(printer.Name, JobTitle(), JoinEmbosserPages(lines), TJobFormat::Raw);
        } else {
            FData.Braille.SetSourceTable(PrintDestName);
            FData.Braille.SetDestTable(PrintSourceName);
            const TBrailleCells cells = LoadBrailleCells();
            std::vector<std::string> ink;
            for (const std::string& line : lines)
                ink.push_back(BraillePatterns(FData.Braille.ConvertText(line), cells));
            const std::string pdf =
                BraillePagesPdf(ink, EmbosserPageLines, QueuePaper(printer.Name), JobTitle());
            SubmitPrintJob(printer.Name, JobTitle(), pdf, TJobFormat::Pdf);
        }
    });
}

// A job is sent, then said done. (A printer's refusal ends the command, which says so.)
void TMainForm::RunPrintJob(const std::function<void()>& job) {
    job();
    Report(" zzzmesft ", "In xong", false);
}

} // namespace tavi
