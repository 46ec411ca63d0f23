// A retrieved letter as the mail viewer shows and speaks it, and what the send command puts
// in a letter: texts in the "Vni for Win" code of the documents.
#pragma once

#include "mail/mailmessage.h"

#include <string>
#include <string_view>

namespace tavi {

// A header as it came, continuation lines joined by a blank, encoded words left encoded;
// empty when there is none.
std::string RawHeaderValue(const TmsHeaders& headers, std::string_view name);

// The date of a letter as "d/m/yy h:m " (no leading zeros but in the year, a blank after);
// the no-date text of the speech language when the Date header cannot be read.
std::string LetterDate(std::string_view dateHeader, bool english);

// The letter in labelled lines: sender (its name, else its address), date, subject, then the
// content label and the body. convertCode: the body is taken from the Vietnamese code it is
// detected in into "Vni for Win".
std::string LetterMemo(const TmsCustomMessage& letter, bool english, bool convertCode);

// A subject in UTF-8 as a header text: unchanged when it is ASCII, else encoded words of
// UTF-8 that fit a header line.
std::string SubjectHeader(std::string_view utf8);

} // namespace tavi
