// A retrieved letter as the mail viewer shows and speaks it, and what the send command puts
// in a letter: texts in the "Vni for Win" code of the documents.
#pragma once

#include "mail/mailmessage.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tavi {

// A header as it came, continuation lines joined by a blank, encoded words left encoded;
// empty when there is none.
std::string RawHeaderValue(const TmsHeaders& headers, std::string_view name);

// The date of a letter as "d/m/yy h:mm " for the English voice and "d/m/yy h giờ mm phút " for
// the Vietnamese one (no leading zeros but in the year and the minutes, a blank after);
// the no-date text of the speech language when the Date header cannot be read.
std::string LetterDate(std::string_view dateHeader, bool english);

// A count written as each voice says it in words: groups of three digits split by full stops
// for the Vietnamese voice ("1.234"), by commas for the English one ("1,234").
std::string GroupedNumber(std::uint64_t n, bool english);

// The letter in labelled lines: sender (its name and address), date, subject, a line for each
// file attached (its name and size), then the content label and the body. convertCode: the
// body is taken from the Vietnamese code it is detected in into "Vni for Win".
std::string LetterMemo(const TmsCustomMessage& letter, bool english, bool convertCode);

// What an answer to a letter starts with, in "Vni for Win": the address to answer (Reply-To,
// else From), the subject behind "Re: " unless it has one already, the letter's Message-ID,
// and the letter quoted ("> " before each line) under a line saying who wrote it and when.
struct TLetterAnswer {
    std::string Recipient, Subject, InReplyTo, Quote;
    bool operator==(const TLetterAnswer&) const = default;
};
TLetterAnswer AnswerTo(const TmsCustomMessage& letter, bool english, bool convertCode);

// text as paragraphs of its own where it goes into a document between the bytes before and
// after it ('\0' at either end of the document): a paragraph break goes before it unless a
// paragraph starts there, and after it unless one ends there.
std::string AsOwnParagraphs(std::string text, char before, char after);

// A subject in UTF-8 as a header text: unchanged when it is ASCII, else encoded words of
// UTF-8 that fit a header line.
std::string SubjectHeader(std::string_view utf8);

} // namespace tavi
