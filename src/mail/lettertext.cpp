#include "mail/lettertext.h"

#include "codes/tablenames.h"
#include "codes/vncodeconverter.h"
#include "mail/mailcharset.h"

#include <cstdio>

namespace tavi {

namespace {

struct TLabels {
    const char *Sender, *Date, *Subject, *Content, *NoDate, *Attachment, *Bytes;
    const char *WroteBefore, *WroteAfter; // around date and sender in the quote's first line
};
// Vietnamese in "Vni for Win": người gửi, ngày gửi, chủ đề, nội dung, không rõ, đính kèm;
// "Ngày <date>, <sender> đã viết:".
constexpr TLabels Vietnamese = {"Ng\xF6\xF4\xF8i G\xF4\xFBi ",
                                "Nga\xF8y G\xF4\xFBi ",
                                "Chu\xFB \xD1"
                                "e\xE0 ",
                                "No\xE4i Dung",
                                "Kho\xE2ng ro\xF5",
                                "\xD1\xEDnh Ke\xF8m ",
                                " byte",
                                "Nga\xF8y ",
                                " \xF1"
                                "a\xF5 vie\xE1t:"};
constexpr TLabels English = {"Sender ",     "Date ",  "Subject ", "Content", "Unknown",
                             "Attachment ", " bytes", "On ",      " wrote:"};

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

// The sender as "name <address>"; either alone when the other is missing.
std::string SenderText(const TmsCustomMessage& letter) {
    const TmsMailAddress from = ParseAddress(RawHeaderValue(letter.Headers, "From"));
    if (from.Name.empty()) return from.Address;
    const std::string name = HeaderTextIn(from.Name, VniWinTable);
    return from.Address.empty() ? name : name + " <" + from.Address + ">";
}

std::string SubjectText(const TmsCustomMessage& letter) {
    return HeaderTextIn(RawHeaderValue(letter.Headers, "Subject"), VniWinTable);
}

std::string BodyText(const TmsCustomMessage& letter, bool convertCode) {
    const std::string body = MessageTextIn(letter, VniWinTable);
    return convertCode ? FromDetectedCode(body) : body;
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

std::string GroupedNumber(std::uint64_t n, bool english) {
    std::string digits = std::to_string(n);
    for (std::size_t at = digits.size(); at > 3; at -= 3)
        digits.insert(at - 3, 1, english ? ',' : '.');
    return digits;
}

std::string LetterMemo(const TmsCustomMessage& letter, bool english, bool convertCode) {
    const TLabels& l = english ? English : Vietnamese;
    std::string memo = std::string(l.Sender) + "\t " + SenderText(letter) + "\r\n" + l.Date +
                       "\t " + LetterDate(RawHeaderValue(letter.Headers, "Date"), english) +
                       "\r\n" + l.Subject + "\t " + SubjectText(letter) + "\r\n";
    for (const TmsAttItem& file : letter.Attachments) {
        if (file.IsAlternativeForm() || file.IsBodyFile()) continue; // the body in other forms
        memo += std::string(l.Attachment) + "\t " + HeaderTextIn(file.FileName(), VniWinTable) +
                ", " + GroupedNumber(file.Data.Size(), english) + l.Bytes + "\r\n";
    }
    return memo + l.Content + "\r\n" + BodyText(letter, convertCode);
}

TLetterAnswer AnswerTo(const TmsCustomMessage& letter, bool english, bool convertCode) {
    const TLabels& l = english ? English : Vietnamese;
    TLetterAnswer a;
    const std::string replyTo = ParseAddress(RawHeaderValue(letter.Headers, "Reply-To")).Address;
    a.Recipient =
        replyTo.empty() ? ParseAddress(RawHeaderValue(letter.Headers, "From")).Address : replyTo;
    const std::string subject = SubjectText(letter);
    a.Subject = StartsWithNoCase(TrimBlanks(subject), "re:") ? subject : "Re: " + subject;
    a.InReplyTo = RawHeaderValue(letter.Headers, "Message-ID");
    a.Quote = l.WroteBefore +
              std::string(TrimBlanks(LetterDate(RawHeaderValue(letter.Headers, "Date"), english))) +
              ", " + SenderText(letter) + l.WroteAfter + "\r\n";
    const std::string body = BodyText(letter, convertCode);
    std::string_view rest = body;
    while (!rest.empty() && (rest.back() == '\r' || rest.back() == '\n')) rest.remove_suffix(1);
    while (!rest.empty()) {
        const std::size_t end = std::min(rest.find('\n'), rest.size());
        std::string_view line = rest.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        a.Quote += (line.empty() ? ">" : "> " + std::string(line)) + "\r\n";
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    return a;
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
