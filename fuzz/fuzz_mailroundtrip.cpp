// Messages built from fuzzed fields: what the writer writes, the reader must read back with
// the same sender, subject, body and attachments.
#include "mail/mailmessage.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// Text from a small alphabet that cannot be taken for markup (encoded words, quotes).
std::string Word(FuzzedDataProvider& in, std::string_view alphabet, std::size_t max) {
    std::string s = in.ConsumeRandomLengthString(max);
    for (char& c : s) c = alphabet[static_cast<unsigned char>(c) % alphabet.size()];
    while (!s.empty() && s.back() == ' ') s.pop_back();
    while (!s.empty() && s.front() == ' ') s.erase(0, 1);
    return s;
}

// A body line: any bytes but line ends, not a uuencode begin line.
std::string BodyLine(FuzzedDataProvider& in) {
    std::string s = in.ConsumeRandomLengthString(400);
    for (char& c : s)
        if (c == '\r' || c == '\n') c = ' ';
    if (tavi::StartsWithNoCase(s, "begin")) s[0] = 'B' + 1;
    return s;
}

// Text in its CR LF form.
std::string CanonicalText(FuzzedDataProvider& in) {
    std::string text;
    for (char c : in.ConsumeRandomLengthString(3000)) {
        if (c == '\n')
            text += "\r\n";
        else if (c != '\r')
            text += c;
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    static constexpr std::string_view nameChars =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 .,;:<>()@\\\"\xE0\xF1";
    static constexpr std::string_view addressChars = "abcdefghij0123456789.@-";
    static constexpr std::string_view fileChars = "abcdefghijklmnopqrstuvwxyz0123456789 .-";
    tavi::TmsMessage m;
    m.Encoding = in.ConsumeBool() ? tavi::meMIME : tavi::meUU;
    m.CharSet = in.ConsumeBool() ? tavi::csUSASCII : tavi::csISO8859;
    m.Sender = {Word(in, nameChars, 40), Word(in, addressChars, 30)};
    // A name in quotes already is written as it stands, and read without them.
    if (!m.Sender.Name.empty() && m.Sender.Name.front() == '"') m.Sender.Name.front() = 'Q';
    m.Subject = Word(in, nameChars, 100);
    const int lines = in.ConsumeIntegralInRange(0, 20);
    for (int i = 0; i < lines; ++i) m.Body.push_back(BodyLine(in));
    const int attachments = in.ConsumeIntegralInRange(0, 3);
    for (int i = 0; i < attachments; ++i) {
        std::string name = Word(in, fileChars, 20);
        if (name.empty()) name = "f";
        tavi::TmsAttItem& a = m.Attachments.Add(name);
        const int kind = in.ConsumeIntegralInRange(0, 2);
        if (kind == 0 || m.Encoding == tavi::meUU) {
            a.Encoding = tavi::aeBase64;
            a.Data.Data = in.ConsumeRandomLengthString(5000);
        } else {
            a.Encoding = kind == 1 ? tavi::aeQuotedPrintable : tavi::ae7Bit;
            a.Data.Data = CanonicalText(in);
            // 7 bit data travels as lines, each ending in CR LF.
            if (kind == 2 && !a.Data.Data.empty() && !a.Data.Data.ends_with("\r\n"))
                a.Data.Data += "\r\n";
        }
    }
    tavi::TmsMessage back;
    back.LoadFromString(m.SaveToString());
    bool same = back.Sender == m.Sender && back.Subject == m.Subject && back.Body == m.Body &&
                back.Attachments.Count() == m.Attachments.Count() &&
                // Uuencoded mail without attachments is plain text: nothing tells them apart.
                (back.ContentType() == m.ContentType() ||
                 (m.Encoding == tavi::meUU && m.Attachments.Count() == 0));
    for (std::size_t i = 0; same && i < m.Attachments.Count(); ++i) {
        const auto &x = m.Attachments.Items(i), &y = back.Attachments.Items(i);
        same = x.FileName() == y.FileName() && x.Data.Data == y.Data.Data;
    }
    if (!same) {
        // Show the message for the report.
        std::fprintf(stderr, "written:\n%s\nread back: %zu body lines, %zu attachments\n",
                     m.SaveToString().c_str(), back.Body.size(), back.Attachments.Count());
        std::abort();
    }
    return 0;
}
