// A received letter as the mail viewer shows it: headers and body decoded from whatever
// charsets they claim, into the documents' code and into UTF-8.
#include "mail/lettertext.h"
#include "mail/mailcharset.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    tavi::TmsMessage m;
    m.LoadFromString(input, false);
    for (bool english : {false, true}) (void)tavi::LetterMemo(m, english, english);
    (void)tavi::HeaderTextIn(input, "Unicode");
    (void)tavi::CharsetToUtf8(input.substr(0, input.find('\n')), std::string(input));
    (void)tavi::SubjectHeader(input);
    return 0;
}
