// Writing a message in transfer form.
#include "mail/mailerrors.h"
#include "mail/mailmessage.h"
#include "mail/mimecoding.h"
#include "mail/mimetypes.h"

#include <random>
#include <sstream>

namespace tavi {

namespace {

// A header text on one line: line ends inside it would start header lines of their own.
std::string OneLine(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c == '\r' || c == '\n') c = ' ';
    return out;
}

// A file name inside double quotes.
std::string QuotedFileName(std::string_view name) {
    std::string out = "\"";
    for (char c : OneLine(name)) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + '"';
}

const char* CharSetName(TCharSet cs) {
    switch (cs) {
    case csISO8859: return "iso-8859-1";
    case csISO2022jp: return "iso-2022-jp";
    case csUTF8: return "utf-8";
    case csUSASCII: break;
    }
    return "us-ascii";
}

} // namespace

class TMessageWriter {
public:
    TMessageWriter(const TmsCustomMessage& message, std::ostream& out, bool dotStuffing)
        : M(message), Out(out), Stuff(dotStuffing) {
        for (const std::string& line : M.Body) {
            if (line.empty()) BodyLines.emplace_back();
            SplitLines(line, [&](std::string_view piece) {
                BodyLines.push_back(piece);
                if (piece.size() >= 256) LongLine = true;
            });
        }
    }

    void Write() {
        WriteHeaders();
        const std::string type = M.ContentType();
        const std::size_t n = M.Attachments.Count();
        if (M.Encoding == meUU) {
            WriteUU();
        } else if (n == 0) {
            if (type == "text/html" || type == "text/rtf")
                WriteFormattedText(type, M.BodyText());
            else
                WriteTextPart();
        } else if (type.rfind("multipart/", 0) == 0) {
            WriteMultipart(type);
        } else if (M.Attachments.Items(0).IsBodyFile()) {
            WriteFormattedText(type, M.Attachments.Items(0).Data.Data);
        } else {
            WriteAttachmentPart(M.Attachments.Items(0), false);
        }
        Flush();
    }

private:
    const TmsCustomMessage& M;
    std::ostream& Out;
    bool Stuff;
    std::string Buffer;
    std::vector<std::string_view> BodyLines;
    bool LongLine = false;

    void Line(std::string_view line) {
        if (Stuff && !line.empty() && line.front() == '.') Buffer += '.';
        Buffer += line;
        Buffer += "\r\n";
        if (Buffer.size() >= (1u << 16)) Flush();
    }
    // Data lines may hold line ends of their own; each piece is a line.
    void Lines(std::string_view text) {
        SplitLines(text, [&](std::string_view l) { Line(l); });
    }
    void Flush() {
        Out.write(Buffer.data(), static_cast<std::streamsize>(Buffer.size()));
        Buffer.clear();
    }
    TLineSink Sink() {
        return [this](std::string_view l) { Line(l); };
    }

    bool HeaderWords() const { return M.CharSet == csISO2022jp && M.Encoding == meMIME; }

    // The sender in columns, the name (however empty) before the address; a letter of UTF-8
    // names its sender as mail programs do today: "From: Name <address>", or the address alone.
    std::string FromLine() const {
        if (M.CharSet == csUTF8) return "From: " + MailboxText(M.Sender);
        std::string name = OneLine(M.Sender.Name);
        name = HeaderWords() && !name.empty() && name.front() == '\x1B' ? EncodeHeaderWord(name)
                                                                        : QuoteName(name);
        return "From:     " + name + " <" + OneLine(M.Sender.Address) + ">";
    }

    void WriteHeaders() {
        Line(FromLine());
        std::vector<std::string> lines;
        M.AddAddressHeaders(lines);
        for (const std::string& l : lines) Line(OneLine(l));
        // Extra headers, without those written here.
        bool skipping = false;
        for (const std::string& l : M.Headers.Lines) {
            const bool continuation = !l.empty() && (l[0] == ' ' || l[0] == '\t');
            if (!continuation) {
                const std::size_t colon = l.find(':');
                skipping = colon == std::string::npos ||
                           M.IsWrittenHeader(std::string_view(l).substr(0, colon));
            }
            if (!skipping) Line(OneLine(l));
        }
        if (!M.Subject.empty())
            Line("Subject: " +
                 (HeaderWords() ? EncodeHeaderWord(OneLine(M.Subject)) : OneLine(M.Subject)));
        if (M.Encoding == meMIME) Line("Mime-Version: 1.0");
    }

    void WriteUU() {
        Line("");
        for (std::string_view l : BodyLines) Line(l);
        for (const TmsAttItem& a : M.Attachments) {
            Line("");
            Line("begin 600 " + OneLine(a.FileName()));
            UUEncode(a.Data.Data, Sink());
            Line("`");
            Line("end");
        }
    }

    // Content-Type and transfer encoding of the plain text body, a blank line and the body.
    void WriteTextPart() {
        const bool qp = M.CharSet == csISO8859 || M.CharSet == csUTF8 || LongLine;
        Line(std::string("Content-Type: text/plain; charset=\"") + CharSetName(M.CharSet) + "\"");
        Line(qp ? "Content-Transfer-Encoding: quoted-printable"
                : "Content-Transfer-Encoding: 7bit");
        Line("");
        if (qp)
            QPEncode(M.BodyText(), Sink());
        else
            for (std::string_view l : BodyLines) Line(l);
    }

    void WriteFormattedText(const std::string& type, std::string_view text) {
        std::string header = "Content-Type: " + type;
        if (M.CharSet != csUSASCII)
            header +=
                std::string("; charset=\"") + (M.CharSet == csUTF8 ? "utf-8" : "iso-8859-1") + "\"";
        Line(header);
        Line("Content-Transfer-Encoding: quoted-printable");
        Line("");
        QPEncode(text, Sink());
    }

    void WriteAttachmentPart(const TmsAttItem& a, bool alternative) {
        const bool plainName = !alternative && !a.IsBodyFile();
        std::string type =
            "Content-Type: " + OneLine(a.ContentType.empty() ? DefaultContentType : a.ContentType);
        if (plainName) type += "; name=" + QuotedFileName(a.FileName());
        Line(type);
        Line(std::string("Content-Transfer-Encoding: ") + a.EncodingName());
        if (plainName)
            Line("Content-Disposition: attachment; filename=" + QuotedFileName(a.FileName()));
        Line("");
        switch (a.Encoding) {
        case aeBase64: Base64EncodeLines(a.Data.Data, Sink()); break;
        case aeQuotedPrintable: QPEncode(a.Data.Data, Sink()); break;
        case ae7Bit: Lines(a.Data.Data); break;
        }
    }

    void Boundary(const std::string& boundary, bool closing = false) {
        Line("");
        Line("--" + boundary + (closing ? "--" : ""));
    }

    void WriteMultipart(const std::string& type) {
        const std::string outer = NewBoundary({});
        Line("Content-Type: " + type + "; boundary=\"" + outer + "\"");
        Line("");
        Line(mailtext::MultipartPreamble);
        const bool alternative = type == "multipart/alternative";
        std::string boundary = outer;
        if (alternative) {
            // The body and its alternative forms, nested under a boundary of their own.
            boundary = NewBoundary(outer);
            Boundary(outer);
            Line("Content-Type:  multipart/alternative; boundary=\"" + boundary + "\"");
            Line("Content-Transfer-Encoding: 7bit");
        }
        Boundary(boundary);
        WriteTextPart();
        for (const TmsAttItem& a : M.Attachments) {
            Boundary(boundary);
            WriteAttachmentPart(a, alternative && a.IsAlternativeForm());
        }
        Boundary(boundary, true);
        if (alternative) Boundary(outer, true);
    }

    // Eight random digits that occur nowhere in the text parts, so no line of them can be
    // taken for a boundary.
    std::string NewBoundary(const std::string& other) const {
        static thread_local std::mt19937 random{std::random_device{}()};
        std::uniform_int_distribution<int> digit(0, 8);
        for (;;) {
            std::string b(8, '0');
            for (char& c : b) c = static_cast<char>('0' + digit(random));
            if (b != other && !OccursInText("--" + b)) return b;
        }
    }

    bool OccursInText(const std::string& marker) const {
        for (std::string_view l : BodyLines)
            if (l.find(marker) != std::string_view::npos) return true;
        for (const TmsAttItem& a : M.Attachments)
            if (a.Encoding != aeBase64 && a.Data.Data.find(marker) != std::string::npos)
                return true;
        return false;
    }
};

void TmsCustomMessage::SaveToStream(std::ostream& out, bool dotStuffing) const {
    TMessageWriter(*this, out, dotStuffing).Write();
    if (!out) throw EMailError("Stream write error");
}

std::string TmsCustomMessage::SaveToString(bool dotStuffing) const {
    std::ostringstream out;
    SaveToStream(out, dotStuffing);
    return std::move(out).str();
}

} // namespace tavi
