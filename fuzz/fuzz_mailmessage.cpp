// The message reader on any text, in transfer form and as a stored file; what it read must
// write and read again, and reading the headers alone must find the same header lines. Also
// the header helpers on the text's lines.
#include "mail/mailmessage.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    for (bool stuffed : {true, false}) {
        tavi::TmsMessage m;
        m.LoadFromString(input, stuffed);
        (void)m.ContentType();
        tavi::TmsMessage again;
        again.LoadFromString(m.SaveToString());
        std::istringstream in{std::string(input)};
        tavi::TmsMessage head;
        head.LoadHeaders(in, stuffed);
        if (head.Headers.Lines != m.Headers.Lines) std::abort();
    }
    tavi::TmsArticle article;
    article.LoadFromString(input);
    std::string rest;
    (void)tavi::ParseMailDate(input, &rest);
    (void)tavi::ParseAddress(input);
    (void)tavi::GetParameter(input, "filename");
    (void)tavi::DecodeEncodedWords(input);
    return 0;
}
