#include "mail/lettertext.h"

#include "codes/vncodeconverter.h"
#include "mail/mailcharset.h"
#include "mail/mimecoding.h"

#include <cstdio>

namespace tavi {

namespace {

constexpr const char* Vni = "Vni for Win";

struct TLabels {
    const char *Sender, *Date, *Subject, *Content, *NoDate;
};
// Vietnamese in "Vni for Win": người gửi, ngày gửi, chủ đề, nội dung, không rõ.
constexpr TLabels Vietnamese = {"Ng\xF6\xF4\xF8i G\xF4\xFBi ", "Nga\xF8y G\xF4\xFBi ",
                                "Chu\xFB \xD1"
                                "e\xE0 ",
                                "No\xE4i Dung", "Kho\xE2ng ro\xF5"};
constexpr TLabels English = {"Sender ", "Date ", "Subject ", "Content", "Unknown"};

bool LineStartsWith(std::string_view line, std::string_view name) {
    if (line.size() <= name.size() || line[name.size()] != ':') return false;
    for (std::size_t i = 0; i < name.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(line[i])) !=
            std::tolower(static_cast<unsigned char>(name[i])))
            return false;
    return true;
}

// The body from the code it is written in, when that can be told, into the documents' code.
std::string FromDetectedCode(const std::string& body) {
    try {
        const std::string table = TVnCodeConverter().DetectCodeTable(body);
        if (table.empty() || table == Vni || table == UnknownTableName) return body;
        return ConvertBetween(table, Vni, body);
    } catch (const std::exception&) {
        return body; // without the tables the letter is shown as it came
    }
}

} // namespace

std::string RawHeaderValue(const TmsHeaders& headers, std::string_view name) {
    std::string value;
    bool inside = false;
    for (const std::string& line : headers.Lines) {
        const bool continuation = !line.empty() && (line[0] == ' ' || line[0] == '\t');
        if (inside && continuation) {
            value += ' ';
            value += TrimBlanks(line);
        } else if (inside) {
            break;
        } else if (LineStartsWith(line, name)) {
            inside = true;
            value = TrimBlanks(std::string_view(line).substr(name.size() + 1));
        }
    }
    return value;
}

std::string LetterDate(std::string_view dateHeader, bool english) {
    const TMailDateTime d = ParseMailDate(dateHeader);
    if (d.IsZero()) return (english ? English : Vietnamese).NoDate;
    char text[48];
    std::snprintf(text, sizeof text, "%d/%d/%02d %d:%d ", d.Day, d.Month, d.Year % 100, d.Hour,
                  d.Minute);
    return text;
}

std::string LetterMemo(const TmsCustomMessage& letter, bool english, bool convertCode) {
    const TLabels& l = english ? English : Vietnamese;
    const TmsMailAddress from = ParseAddress(RawHeaderValue(letter.Headers, "From"));
    const std::string sender = from.Name.empty() ? from.Address : HeaderTextIn(from.Name, Vni);
    std::string body = MessageTextIn(letter, Vni);
    if (convertCode) body = FromDetectedCode(body);
    return std::string(l.Sender) + "\t " + sender + "\r\n" + l.Date + "\t " +
           LetterDate(RawHeaderValue(letter.Headers, "Date"), english) + "\r\n" + l.Subject +
           "\t " + HeaderTextIn(RawHeaderValue(letter.Headers, "Subject"), Vni) + "\r\n" +
           l.Content + "\r\n" + body;
}

std::string SubjectHeader(std::string_view utf8) {
    bool ascii = true;
    for (const char c : utf8) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) return std::string(utf8);
    // Words of at most 45 bytes (60 in base64) stay within an encoded word's 75 characters; a
    // letter is never split between two words.
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t most = std::min(i + 45, utf8.size());
        std::size_t end = most;
        while (end > i && end < utf8.size() &&
               (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80)
            --end;
        if (end == i) end = most; // no letter starts there: not UTF-8, cut where it fits
        if (!out.empty()) out += ' ';
        out += "=?UTF-8?B?" + Base64Encode(utf8.substr(i, end - i)) + "?=";
        i = end;
    }
    return out;
}

} // namespace tavi
