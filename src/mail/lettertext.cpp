#include "mail/lettertext.h"

#include "codes/tablenames.h"
#include "codes/vncodeconverter.h"
#include "mail/mailcharset.h"

#include <cstdio>

namespace tavi {

namespace {

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
        if (table.empty() || table == VniWinTable || table == UnknownTableName) return body;
        return ConvertBetween(table, VniWinTable, body);
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
    // The Vietnamese voice reads "10:00" as two numbers; it says a time of day in words, as the
    // file information does.
    const char* time =
        english ? "%d/%d/%02d %d:%02d " : "%d/%d/%02d %d gi\xF4\xF8 %02d phu\xF9t "; // giờ, phút
    char text[64];
    std::snprintf(text, sizeof text, time, d.Day, d.Month, d.Year % 100, d.Hour, d.Minute);
    return text;
}

std::string LetterMemo(const TmsCustomMessage& letter, bool english, bool convertCode) {
    const TLabels& l = english ? English : Vietnamese;
    const TmsMailAddress from = ParseAddress(RawHeaderValue(letter.Headers, "From"));
    const std::string sender =
        from.Name.empty() ? from.Address : HeaderTextIn(from.Name, VniWinTable);
    std::string body = MessageTextIn(letter, VniWinTable);
    if (convertCode) body = FromDetectedCode(body);
    return std::string(l.Sender) + "\t " + sender + "\r\n" + l.Date + "\t " +
           LetterDate(RawHeaderValue(letter.Headers, "Date"), english) + "\r\n" + l.Subject +
           "\t " + HeaderTextIn(RawHeaderValue(letter.Headers, "Subject"), VniWinTable) + "\r\n" +
           l.Content + "\r\n" + body;
}

std::string AsOwnParagraphs(std::string text, char before, char after) {
    const auto isBreak = [](char c) { return c == '\r' || c == '\n'; };
    if (text.empty()) return text;
    if (before != '\0' && !isBreak(before) && !isBreak(text.front())) text.insert(0, "\r\n");
    if (after != '\0' && !isBreak(after) && !isBreak(text.back())) text += "\r\n";
    return text;
}

std::string SubjectHeader(std::string_view utf8) {
    bool ascii = true;
    for (const char c : utf8) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    return ascii ? std::string(utf8) : EncodeUtf8Words(utf8);
}

} // namespace tavi
