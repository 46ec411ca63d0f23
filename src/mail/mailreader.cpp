// Reading a message from its text.
#include "mail/linestream.h"
#include "mail/mailerrors.h"
#include "mail/mailmessage.h"
#include "mail/mimecoding.h"

#include <algorithm>
#include <new>

namespace tavi {

namespace {

constexpr int MaxNesting = 20;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// "begin 644 name": the start of a uuencoded block. Sets name to the file name (empty when
// the line has none).
bool IsUUBegin(std::string_view line, std::string& name) {
    if (line.size() <= 8 || !StartsWithNoCase(line, "begin ")) return false;
    std::size_t i = 6;
    while (i < line.size() && IsDigit(line[i])) ++i;
    if (i - 6 < 3 || i - 6 > 4 || (i < line.size() && line[i] != ' ')) return false;
    std::string_view rest = TrimBlanks(line.substr(i));
    if (!rest.empty() && rest.front() == '"') {
        rest.remove_prefix(1);
        rest = rest.substr(0, rest.find('"'));
    }
    name = std::string(rest);
    return true;
}

std::string TransferEncodingOf(const TmsHeaders& headers) {
    return AsciiLower(GetMainValue(headers.GetValue("Content-Transfer-Encoding")));
}

bool IsMultipart(std::string_view contentType) {
    return StartsWithNoCase(GetMainValue(contentType), "multipart/") &&
           !GetParameter(contentType, "boundary").empty();
}

// Whether a part holds text (or says nothing of its type). A first part that is a picture or
// a program is an attachment even when the message has no text before it.
bool IsTextPart(const TmsHeaders& headers) {
    const std::string main = AsciiLower(GetMainValue(headers.GetValue("Content-Type")));
    return main.empty() || main.rfind("text", 0) == 0;
}

} // namespace

class TMessageReader {
public:
    TMessageReader(TmsCustomMessage& message, std::string_view text, bool dotStuffed)
        : M(message), Text(text), Stuffed(dotStuffed), In(text, dotStuffed) {}

    void Read() {
        M.Clear();
        std::string_view line;
        while (In.ReadLine(line) && !line.empty()) M.Headers.Add(std::string(line));
        M.TakeHeaderFields();
        try {
            if (ContainsNoCase(M.Headers.GetValue("Mime-Version"), "1.0"))
                ReadMime();
            else
                ReadPlain(In);
        } catch (const std::bad_alloc&) {
            throw;
        } catch (const std::exception& e) {
            ErrorBody(e.what());
        }
    }

private:
    // How a part ended: at a boundary line of some nesting level (0 the outermost).
    struct TPartEnd {
        int Level = -1;
        bool Closing = false;
    };

    TmsCustomMessage& M;
    std::string_view Text;
    bool Stuffed;
    TLineStream In;
    std::vector<std::string> Boundaries; // "--" and the boundary, outermost first
    bool BodyDecided = false;

    // Plain text with uuencoded blocks; text after the headers when there is no MIME.
    void ReadPlain(TLineStream& in) {
        bool blankBefore = false; // the last body line was an empty line just read
        std::string_view line;
        std::string name;
        // A block that failed at a line fails there from every begin line before it, too.
        std::size_t failedAt = 0;
        for (std::size_t start = in.Position(); in.ReadLine(line); start = in.Position()) {
            if (start >= failedAt && IsUUBegin(line, name)) {
                const std::size_t mark = in.Position();
                std::string data;
                if (ReadUUBlock(in, data, failedAt)) {
                    // The writer puts one blank line before each block.
                    if (blankBefore) M.Body.pop_back();
                    if (name.empty()) name = "att." + std::to_string(M.Attachments.Count());
                    M.Attachments.Add(name).Data.Data = std::move(data);
                    M.Encoding = meUU;
                    blankBefore = false;
                    continue;
                }
                // Not uuencoded after all ("begin 100 times..."): it is text.
                in.Seek(mark);
            }
            M.Body.emplace_back(line);
            blankBefore = line.empty();
        }
    }

    // The lines of a uuencoded block after its begin line, up to "`" or "end"; false, with
    // failedAt set to the start of the line that is not uuencoded, when there is one.
    static bool ReadUUBlock(TLineStream& in, std::string& data, std::size_t& failedAt) {
        std::string_view line;
        std::size_t start = in.Position();
        try {
            for (; in.ReadLine(line); start = in.Position()) {
                const std::string_view t = TrimBlanks(line);
                if (EqualsNoCase(t, "end")) return true;
                if (t == "`") {
                    const std::size_t p = in.Position();
                    if (!(in.ReadLine(line) && EqualsNoCase(TrimBlanks(line), "end"))) in.Seek(p);
                    return true;
                }
                UUDecodeLine(line, data);
            }
        } catch (const EMailError&) {
            failedAt = start;
            return false;
        }
        return true; // the text ended first: keep what was there
    }

    void ReadMime() {
        if (EqualsNoCase(M.Headers.GetValue("X-Mailer"), "V Mailsystem R #0001"))
            M.Headers.Remove("Content-Type");
        const std::string type = M.Headers.GetValue("Content-Type");
        const std::string lower = AsciiLower(type);
        const std::string name = GetParameter(type, "name");
        if (lower.find("multipart") != std::string::npos) {
            ReadMultipart(type, lower.find("multipart/alternative") != std::string::npos);
        } else if (!IsTextPart(M.Headers) || (!name.empty() && !EqualsNoCase(name, "cc:Mail"))) {
            std::vector<std::string_view> lines;
            std::string_view line;
            while (In.ReadLine(line)) lines.push_back(line);
            AddAttachment(M.Headers, lines, false);
        } else {
            ReadTextBody(type, AsciiLower(GetMainValue(type)));
        }
    }

    void ReadTextBody(const std::string& type, const std::string& main) {
        if (main == "text/html" || main == "text/rtf") M.SetContentType(main);
        M.BodyCharset = GetParameter(type, "charset");
        if (EqualsNoCase(M.BodyCharset, "iso-2022-jp")) M.CharSet = csISO2022jp;
        const std::string encoding = TransferEncodingOf(M.Headers);
        // "from quoted-printable to 8bit" means the body is no longer encoded.
        const bool qp =
            encoding == "quoted-printable" ||
            ContainsNoCase(M.Headers.GetValue("X-MIME-Autoconverted"), "to quoted-printable");
        std::string_view line;
        if (qp || encoding == "base64") {
            std::string text;
            if (qp) M.CharSet = csISO8859;
            while (In.ReadLine(line)) {
                if (qp)
                    QPDecodeLine(line, text);
                else
                    Base64DecodeAppend(line, text);
            }
            TLineStream decoded(text);
            ReadPlain(decoded);
        } else {
            ReadPlain(In);
        }
        if (M.Encoding == meUU)
            for (const char* h : {"Mime-Version", "Content-Type", "Content-Transfer-Encoding"})
                M.Headers.Remove(h);
    }

    TPartEnd Classify(std::string_view line) const {
        if (line.size() < 2 || line[0] != '-' || line[1] != '-') return {};
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
        for (int level = static_cast<int>(Boundaries.size()) - 1; level >= 0; --level) {
            const std::string& b = Boundaries[static_cast<std::size_t>(level)];
            if (line.size() < b.size() || line.compare(0, b.size(), b) != 0) continue;
            const std::string_view tail = line.substr(b.size());
            if (tail.empty()) return {level, false};
            if (tail == "--") return {level, true};
        }
        return {};
    }

    // The next boundary line of any open level; throws at the end of the text.
    TPartEnd SkipToBoundary() {
        std::string_view line;
        while (In.ReadLine(line))
            if (const TPartEnd e = Classify(line); e.Level >= 0) return e;
        throw EMailError(mailtext::NoClosingBoundary);
    }

    void ReadMultipart(const std::string& type, bool alternative) {
        const std::string boundary = GetParameter(type, "boundary");
        if (boundary.empty()) throw EMailError(mailtext::NoBoundary);
        Boundaries = {"--" + boundary};
        std::string_view line;
        for (;;) {
            if (!In.ReadLine(line)) throw EMailError(mailtext::NoBoundary);
            const TPartEnd e = Classify(line);
            if (e.Level < 0) continue;
            if (e.Closing) return; // no parts at all
            break;
        }
        ReadParts(0, alternative);
    }

    // The parts after a boundary line of this level, up to its closing boundary (or, in a
    // badly nested message, a boundary of an outer level, which is returned).
    TPartEnd ReadParts(int level, bool alternative) {
        for (;;) {
            TmsHeaders headers;
            TPartEnd end;
            std::string_view line;
            for (;;) {
                if (!In.ReadLine(line)) throw EMailError(mailtext::NoClosingBoundary);
                if (line.empty()) break;
                end = Classify(line);
                if (end.Level >= 0) break; // a part without a blank line or content
                headers.Add(std::string(line));
            }
            const std::string type = headers.GetValue("Content-Type");
            if (end.Level < 0 && !BodyDecided && level + 1 < MaxNesting && IsMultipart(type)) {
                end = ReadNested(level, type);
            } else {
                std::vector<std::string_view> lines;
                while (end.Level < 0) {
                    if (!In.ReadLine(line)) throw EMailError(mailtext::NoClosingBoundary);
                    end = Classify(line);
                    if (end.Level < 0) lines.push_back(line);
                }
                // The line end before a boundary belongs to the boundary.
                if (!lines.empty() && lines.back().empty()) lines.pop_back();
                const bool body = !BodyDecided && IsTextPart(headers);
                BodyDecided = true;
                if (body)
                    DecodeBody(headers, lines);
                else
                    AddAttachment(headers, lines, alternative);
            }
            if (end.Level < level || end.Closing) return end;
        }
    }

    // A multipart first part: its own first part is the body, the others attachments.
    TPartEnd ReadNested(int level, const std::string& type) {
        Boundaries.push_back("--" + GetParameter(type, "boundary"));
        const int inner = level + 1;
        TPartEnd end = SkipToBoundary();
        if (end.Level == inner && !end.Closing)
            end = ReadParts(inner, ContainsNoCase(GetMainValue(type), "alternative"));
        Boundaries.pop_back();
        if (end.Level == inner) end = SkipToBoundary(); // what follows the inner closing line
        return end;
    }

    void DecodeBody(const TmsHeaders& headers, const std::vector<std::string_view>& lines) {
        try {
            M.BodyCharset = GetParameter(headers.GetValue("Content-Type"), "charset");
            if (EqualsNoCase(M.BodyCharset, "iso-2022-jp")) M.CharSet = csISO2022jp;
            const std::string encoding = TransferEncodingOf(headers);
            std::string text;
            if (encoding == "base64") {
                for (std::string_view l : lines) Base64DecodeAppend(l, text);
                M.SetBodyText(text);
            } else if (encoding == "quoted-printable") {
                M.CharSet = csISO8859;
                for (std::string_view l : lines) QPDecodeLine(l, text);
                M.SetBodyText(text);
            } else {
                M.Body.assign(lines.begin(), lines.end());
            }
        } catch (const EMailError&) {
            throw EMailError(mailtext::AttachmentError);
        }
    }

    void AddAttachment(const TmsHeaders& headers, const std::vector<std::string_view>& lines,
                       bool alternative) {
        const std::string type = headers.GetValue("Content-Type");
        std::string name = GetParameter(type, "name");
        if (name.empty()) name = GetParameter(headers.GetValue("Content-Disposition"), "filename");
        if (name.empty())
            name = (alternative ? "_alt." : "att.") + std::to_string(M.Attachments.Count());
        std::string main = GetMainValue(type);
        TmsAttItem item;
        item.SetFileName(std::move(name));
        item.ContentType = main.empty() ? "text/plain" : std::move(main);
        const std::string encoding = TransferEncodingOf(headers);
        std::string& data = item.Data.Data;
        try {
            if (encoding == "base64") {
                item.Encoding = aeBase64;
                for (std::string_view l : lines) Base64DecodeAppend(l, data);
            } else if (encoding.find("uu") != std::string::npos) {
                item.Encoding = aeBase64;
                std::string ignored;
                for (std::string_view l : lines) {
                    const std::string_view t = TrimBlanks(l);
                    if (t == "`" || EqualsNoCase(t, "end")) break;
                    if (!IsUUBegin(l, ignored)) UUDecodeLine(l, data);
                }
            } else if (encoding == "quoted-printable") {
                item.Encoding = aeQuotedPrintable;
                for (std::string_view l : lines) QPDecodeLine(l, data);
            } else {
                item.Encoding = ae7Bit;
                for (std::string_view l : lines) {
                    data += l;
                    data += "\r\n";
                }
            }
        } catch (const EMailError&) {
            throw EMailError(mailtext::AttachmentError);
        }
        M.Attachments.Add() = std::move(item);
    }

    // Keeps a message that could not be decoded: what went wrong, and the whole text.
    void ErrorBody(const std::string& message) {
        M.Body = {mailtext::ErrorBodyLine1, message, mailtext::ErrorBodyLine3};
        M.Attachments.Clear();
        M.Encoding = meMIME;
        std::string original;
        if (Stuffed) {
            TLineStream all(Text, true);
            std::string_view line;
            while (all.ReadLine(line)) {
                original += line;
                original += "\r\n";
            }
        } else {
            original = Text;
        }
        TmsAttItem& a = M.Attachments.Add(mailtext::OriginalMessageName);
        a.Data.Data = std::move(original);
    }
};

void TmsCustomMessage::LoadFromString(std::string_view text, bool dotStuffed) {
    TMessageReader(*this, text, dotStuffed).Read();
}

void TmsCustomMessage::LoadFromStream(const TMemoryStream& in, bool dotStuffed) {
    LoadFromString(in.Data, dotStuffed);
}

void TmsCustomMessage::LoadHeaders(std::istream& in, bool dotStuffed, std::size_t limit) {
    std::string head;
    const auto ended = [&head] {
        return head.find("\n\n") != std::string::npos || head.find("\n\r\n") != std::string::npos ||
               head.find("\r\r") != std::string::npos;
    };
    char block[16384];
    while (head.size() < limit && !ended()) {
        in.read(block, static_cast<std::streamsize>(std::min(sizeof block, limit - head.size())));
        if (in.gcount() <= 0) break;
        head.append(block, static_cast<std::size_t>(in.gcount()));
    }
    Clear();
    TLineStream lines(head, dotStuffed);
    std::string_view line;
    while (lines.ReadLine(line) && !line.empty()) Headers.Add(std::string(line));
    TakeHeaderFields();
}

} // namespace tavi
