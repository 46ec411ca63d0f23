// Header helpers on any header lines: values, lists, parameters, addresses, dates, and the
// MIME type files that name attachment types.
#include "mail/mailheaders.h"
#include "mail/mimecoding.h"
#include "mail/mimetypes.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    tavi::TmsHeaders headers;
    tavi::SplitLines(input, [&](std::string_view l) { headers.Add(std::string(l)); });
    for (const char* name : {"From", "To", "Content-Type", "Date", "Subject"}) {
        const std::string value = headers.GetValue(name);
        for (const std::string& item : headers.GetList(name)) (void)tavi::ParseAddress(item);
        (void)tavi::GetParameter(value, "boundary");
        (void)tavi::GetParameter(value, "name");
        (void)tavi::GetMainValue(value);
        std::string rest;
        const tavi::TMailDateTime d = tavi::ParseMailDate(value, &rest);
        if (!d.IsZero()) (void)tavi::FormatMailDate(d, 0);
    }
    while (headers.Remove("Received")) {
    }
    tavi::TMimeTypes types;
    types.LoadMimeTypes(input);
    types.LoadGlobs2(input);
    (void)types.Lookup("txt");
    return 0;
}
