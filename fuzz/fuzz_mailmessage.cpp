// The message reader on any text, in transfer form and as a stored file; what it read must
// write and read again, and reading the headers alone must find the header lines of the text.
// Also the header helpers on the text's lines.
#include "mail/linestream.h"
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
        // Read in blocks and stopped early, the headers are those of the whole text.
        std::vector<std::string> lines;
        tavi::TLineStream whole(input, stuffed);
        for (std::string_view line; whole.ReadLine(line) && !line.empty();)
            lines.emplace_back(line);
        std::istringstream in{std::string(input)};
        tavi::TmsMessage head;
        head.LoadHeaders(in, stuffed);
        if (head.Headers.Lines != lines) std::abort();
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
