// The transfer codings of mail: base64, quoted-printable and uuencode. Every coder works on
// data of any size; line-based coders hand their output lines to a sink, one call per line
// without the line end.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace tavi {

using TLineSink = std::function<void(std::string_view line)>;

// Base64 with the standard alphabet, padded with "=" to a multiple of four characters.
std::string Base64Encode(std::string_view data);
// Base64 of attachment data: lines of 76 characters, each from 57 bytes.
void Base64EncodeLines(std::string_view data, const TLineSink& sink);
// Decodes base64, appending to out. Line ends, blanks and tabs are skipped; each group of four
// ends early at its "=" padding (so encoded pieces may follow one another); a final group
// without padding gives the bytes it holds. Any other character raises EMailError
// "Invalid Character".
void Base64DecodeAppend(std::string_view text, std::string& out);
std::string Base64Decode(std::string_view text);

// Quoted-printable encoder for text: each paragraph (bytes up to CR, LF, CR LF or LF CR)
// becomes lines of at most 65 source bytes, cut after the last blank within them (or at 65
// bytes), every line but the paragraph's last ending in the soft break "="; bytes below 32,
// "=" and bytes of 128 or more become "=XX", and so does a blank that would end a line. An
// empty paragraph gives an empty line. When the text does not end in a line break its last
// line ends in a soft break, so decoding gives back exactly the same bytes.
void QPEncode(std::string_view text, const TLineSink& sink);
// The encoded lines, each followed by CR LF.
std::string QPEncodeText(std::string_view text);
// Decodes one quoted-printable line, appending to out: "=XX" becomes the byte, other "="
// stay; a line ending in "=" (blanks after it ignored) continues on the next line, any other
// line gets CR LF unless it ends in the byte 26.
void QPDecodeLine(std::string_view line, std::string& out);
// Decodes text split into lines at CR LF, CR or LF.
std::string QPDecodeText(std::string_view text);

// Uuencode: a length character, then four characters for every three bytes. The alphabet is
// the grave accent (value 0) and the characters 33 to 95 (value = code - 32).
std::string UUEncodeLine(std::string_view bytes); // at most 45 bytes
// Whole data as lines of 45 bytes (61 characters); no begin, end or closing "`" line.
void UUEncode(std::string_view data, const TLineSink& sink);
// Decodes one line, appending to out. A blank also reads as 0; characters a line is short of
// (trailing blanks lost in transport) read as 0; any character outside 32 to 96 raises
// EMailError "Invalid Character".
void UUDecodeLine(std::string_view line, std::string& out);

// Calls sink for each line of text; lines end at CR LF, CR or LF, and a line end at the very
// end of the text does not start another line.
void SplitLines(std::string_view text, const std::function<void(std::string_view)>& sink);

} // namespace tavi
