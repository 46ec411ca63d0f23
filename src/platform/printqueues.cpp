#include "platform/printqueues.h"

#include <cups/cups.h>

#include <memory>

namespace tavi {

namespace {

// A raw queue has no driver; CUPS names its model so.
constexpr std::string_view RawModel = "Local Raw Printer";

struct TDests {
    cups_dest_t* Dests = nullptr;
    int Count = 0;
    TDests() { Count = cupsGetDests2(CUPS_HTTP_DEFAULT, &Dests); }
    ~TDests() { cupsFreeDests(Count, Dests); }
    TDests(const TDests&) = delete;
    TDests& operator=(const TDests&) = delete;
    cups_dest_t* Find(const std::string& name) const {
        return cupsGetDest(name.c_str(), nullptr, Count, Dests);
    }
};

std::string LastError(const std::string& what) {
    const char* message = cupsLastErrorString();
    return what + (message && *message ? std::string(": ") + message : std::string());
}

} // namespace

std::vector<TPrintQueue> PrintQueues() {
    const TDests dests;
    std::vector<TPrintQueue> queues;
    for (int i = 0; i < dests.Count; ++i) {
        const cups_dest_t& d = dests.Dests[i];
        if (d.instance) continue; // an instance is the same queue with other options
        const char* model = cupsGetOption("printer-make-and-model", d.num_options, d.options);
        TPrintQueue q{d.name, model && RawModel == model};
        if (d.is_default)
            queues.insert(queues.begin(), std::move(q));
        else
            queues.push_back(std::move(q));
    }
    return queues;
}

TPaper QueuePaper(const std::string& queue) {
    TPaper paper;
    const TDests dests;
    cups_dest_t* dest = dests.Find(queue);
    if (!dest) return paper;
    const std::unique_ptr<cups_dinfo_t, decltype(&cupsFreeDestInfo)> info(
        cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest), cupsFreeDestInfo);
    cups_size_t size;
    if (info && cupsGetDestMediaDefault(CUPS_HTTP_DEFAULT, dest, info.get(), 0, &size) &&
        size.width > 0 && size.length > 0) {
        // CUPS gives hundredths of a millimetre.
        paper = {size.width / 100.0, size.length / 100.0, size.left / 100.0,
                 size.right / 100.0, size.top / 100.0,    size.bottom / 100.0};
    }
    return paper;
}

int SubmitPrintJob(const std::string& queue, const std::string& title, std::string_view data,
                   TJobFormat format) {
    if (!TDests().Find(queue)) throw EPrinterError("There is no printer " + queue);
    const int job = cupsCreateJob(CUPS_HTTP_DEFAULT, queue.c_str(), title.c_str(), 0, nullptr);
    if (job == 0) throw EPrinterError(LastError("The printer " + queue + " took no job"));
    const char* type = format == TJobFormat::Raw ? CUPS_FORMAT_RAW : CUPS_FORMAT_PDF;
    bool sent = cupsStartDocument(CUPS_HTTP_DEFAULT, queue.c_str(), job, title.c_str(), type, 1) ==
                HTTP_STATUS_CONTINUE;
    for (std::size_t at = 0; sent && at < data.size();) {
        const std::size_t part = std::min<std::size_t>(data.size() - at, 64 * 1024);
        sent =
            cupsWriteRequestData(CUPS_HTTP_DEFAULT, data.data() + at, part) == HTTP_STATUS_CONTINUE;
        at += part;
    }
    const ipp_status_t status = cupsFinishDocument(CUPS_HTTP_DEFAULT, queue.c_str());
    if (!sent || status > IPP_STATUS_OK_CONFLICTING) {
        const std::string message = LastError("The printer " + queue + " lost the job");
        cupsCancelJob2(CUPS_HTTP_DEFAULT, queue.c_str(), job, 0);
        throw EPrinterError(message);
    }
    return job;
}

void UsePrintServer(const std::string& address) {
    cupsSetServer(address.empty() ? nullptr : address.c_str());
}

} // namespace tavi
