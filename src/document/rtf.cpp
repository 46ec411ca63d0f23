#include "document/rtf.h"

#include "document/doctext.h"
#include "platform/bytechars.h"

#include <algorithm>
#include <climits>
#include <map>
#include <unordered_set>

namespace tavi {

void TRtfDocument::AddText(std::string_view text, const TRtfCharFormat& format) {
    if (Paragraphs.empty()) Paragraphs.emplace_back();
    TRtfParagraph& p = Paragraphs.back();
    p.MarkFormat = format;
    if (text.empty()) return;
    if (!p.Runs.empty() && p.Runs.back().Format == format) {
        p.Runs.back().Text.append(text);
    } else {
        p.Runs.push_back({format, std::string(text)});
    }
}

std::string TRtfDocument::PlainText(std::string_view lineBreak) const {
    std::string out;
    for (std::size_t i = 0; i < Paragraphs.size(); ++i) {
        if (i > 0) out.append(lineBreak);
        for (const auto& run : Paragraphs[i].Runs) out += run.Text;
    }
    return out;
}

namespace {

// Moves the leading bytes of a run that complete the letter at the end of the run before it.
void KeepLettersWhole(TRtfParagraph& p,
                      const std::function<std::string(std::string_view)>& convert) {
    for (std::size_t i = 1; i < p.Runs.size(); ++i) {
        std::string& before = p.Runs[i - 1].Text;
        std::string& run = p.Runs[i].Text;
        while (!before.empty() && !run.empty()) {
            const std::string last = before.substr(before.size() - 1);
            const std::string next = run.substr(0, 1);
            if (convert(last + next) == convert(last) + convert(next)) break;
            before += next;
            run.erase(0, 1);
        }
    }
    std::erase_if(p.Runs, [](const TRtfRun& r) { return r.Text.empty(); });
}

} // namespace

void ConvertRuns(TRtfDocument& doc, const std::function<std::string(std::string_view)>& convert) {
    for (TRtfParagraph& p : doc.Paragraphs) {
        KeepLettersWhole(p, convert);
        for (TRtfRun& run : p.Runs) run.Text = convert(run.Text);
    }
}

bool LooksLikeRtf(std::string_view data) {
    return data.substr(0, 5) == "{\\rtf";
}

namespace {

enum class TDest { Text, Skip, FontTable };

struct TState {
    TDest Dest = TDest::Text;
    int Font = -1; // font number; -1 = the default font
    TRtfCharFormat Char;
    TRtfParaFormat Para;
    int SkipCount = 1; // \ucN: fallback characters after \uN
};

// Groups whose text is not document text.
const std::unordered_set<std::string_view> SkippedDestinations = {"annotation",
                                                                  "atnauthor",
                                                                  "atnid",
                                                                  "author",
                                                                  "bkmkend",
                                                                  "bkmkstart",
                                                                  "colortbl",
                                                                  "comment",
                                                                  "company",
                                                                  "datastore",
                                                                  "defchp",
                                                                  "defpap",
                                                                  "do",
                                                                  "doccomm",
                                                                  "docvar",
                                                                  "fldinst",
                                                                  "filetbl",
                                                                  "footer",
                                                                  "footerf",
                                                                  "footerl",
                                                                  "footerr",
                                                                  "footnote",
                                                                  "ftncn",
                                                                  "ftnsep",
                                                                  "ftnsepc",
                                                                  "aftncn",
                                                                  "aftnsep",
                                                                  "aftnsepc",
                                                                  "generator",
                                                                  "header",
                                                                  "headerf",
                                                                  "headerl",
                                                                  "headerr",
                                                                  "info",
                                                                  "keywords",
                                                                  "latentstyles",
                                                                  "listoverridetable",
                                                                  "listtable",
                                                                  "listtext",
                                                                  "mmathPr",
                                                                  "nonshppict",
                                                                  "object",
                                                                  "objdata",
                                                                  "operator",
                                                                  "pgdsctbl",
                                                                  "pict",
                                                                  "pn",
                                                                  "pntext",
                                                                  "revtbl",
                                                                  "rsidtbl",
                                                                  "rxe",
                                                                  "shp",
                                                                  "shpinst",
                                                                  "stylesheet",
                                                                  "subject",
                                                                  "tc",
                                                                  "template",
                                                                  "themedata",
                                                                  "title",
                                                                  "txe",
                                                                  "userprops",
                                                                  "xe",
                                                                  "xmlnstbl",
                                                                  "colorschememapping",
                                                                  "result"};

// Characters that control words stand for (Windows-1252 ones, so they become those bytes).
const std::map<std::string_view, char32_t> SymbolWords = {
    {"tab", U'\t'},        {"cell", U'\t'},       {"nestcell", U'\t'}, {"emdash", 0x2014},
    {"endash", 0x2013},    {"bullet", 0x2022},    {"lquote", 0x2018},  {"rquote", 0x2019},
    {"ldblquote", 0x201C}, {"rdblquote", 0x201D}, {"emspace", U' '},   {"enspace", U' '},
    {"qmspace", U' '}};

// Paragraph ends: a line or table row break is a paragraph break too, since the editor has
// no other line break.
const std::unordered_set<std::string_view> ParagraphWords = {"par", "line", "row", "nestrow"};

const std::unordered_set<std::string_view> UnderlineWords = {
    "ul",         "uld",       "uldash",     "uldashd", "uldashdd", "uldb",
    "ulhwave",    "ulldash",   "ulth",       "ulthd",   "ulthdash", "ulthdashd",
    "ulthdashdd", "ulthldash", "ululdbwave", "ulw",     "ulwave"};

constexpr int MaxTwips = 31680; // 22 inches, the widest page RTF knows

class TReader {
public:
    explicit TReader(std::string_view in) : In(in) {}

    bool Read(TRtfDocument& doc, std::string* error) {
        while (Pos < In.size()) {
            const char c = In[Pos++];
            if (c == '{') {
                if (Stack.size() >= RtfMaxDepth) {
                    if (error) *error = "RTF groups nested too deeply";
                    return false;
                }
                Stack.push_back(State);
                Skip = 0;
                GroupStart = true;
                continue;
            } else if (c == '}') {
                if (State.Dest == TDest::FontTable) CommitFont();
                Skip = 0;
                if (Stack.empty()) break; // the document's own closing brace
                State = Stack.back();
                Stack.pop_back();
            } else if (c == '\\') {
                const bool star = Pos < In.size() && In[Pos] == '*';
                ControlWord();
                GroupStart = star; // "\*" leaves the group's first word still to come
                continue;
            } else if (c == '\r' || c == '\n' || c == '\0') {
                continue; // line breaks of the RTF source are not text
            } else if (c == ';' && State.Dest == TDest::FontTable) {
                CommitFont(); // the end of a font's name (an escaped ';' is part of it)
            } else {
                Char(ByteToChar(static_cast<unsigned char>(c)));
            }
            GroupStart = false;
        }
        if (!Current.Runs.empty()) EndParagraph();
        Finish(doc);
        return true;
    }

private:
    // Formats keep the font's number until the end, where it is named.
    struct TUFormat {
        TRtfCharFormat Char; // without FontName
        int Font = 0;
        bool operator==(const TUFormat&) const = default;
    };
    struct TURun {
        TUFormat Format;
        std::u32string Text;
    };
    struct TUParagraph {
        TRtfParaFormat Format;
        std::vector<TURun> Runs;
        TUFormat Mark;
    };

    static bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    static int HexValue(char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    }

    void ControlWord() {
        if (Pos >= In.size()) return;
        const char c = In[Pos];
        if (!IsLetter(c)) {
            ++Pos;
            Symbol(c);
            return;
        }
        const std::size_t start = Pos;
        while (Pos < In.size() && IsLetter(In[Pos])) ++Pos;
        const std::string_view word = In.substr(start, Pos - start);
        bool hasParam = false;
        bool negative = false;
        long long param = 0;
        if (Pos < In.size() && In[Pos] == '-') {
            negative = true;
            ++Pos;
        }
        while (Pos < In.size() && In[Pos] >= '0' && In[Pos] <= '9') {
            hasParam = true;
            param = std::min<long long>(param * 10 + (In[Pos] - '0'), INT_MAX);
            ++Pos;
        }
        if (Pos < In.size() && In[Pos] == ' ') ++Pos;
        Word(word, hasParam, static_cast<int>(negative ? -param : param));
    }

    void Symbol(char c) {
        switch (c) {
        case '\'': {
            const int hi = Pos < In.size() ? HexValue(In[Pos]) : -1;
            const int lo = Pos + 1 < In.size() ? HexValue(In[Pos + 1]) : -1;
            if (hi < 0 || lo < 0) return;
            Pos += 2;
            Char(ByteToChar(static_cast<unsigned char>(hi * 16 + lo)));
            return;
        }
        case '\\':
        case '{':
        case '}': Char(static_cast<unsigned char>(c)); return;
        case '~': Char(0xA0); return;
        case '_': Char(U'-'); return;
        case '*': State.Dest = TDest::Skip; return; // no ignorable destination is text here
        case '\r':
        case '\n': Word("par", false, 0); return;
        default: Fallback(); return; // optional hyphen, formula and index marks: nothing
        }
    }

    // A control word or symbol read while the fallback of a \uN is being skipped counts as one
    // skipped character.
    bool Fallback() {
        if (Skip == 0) return false;
        --Skip;
        return true;
    }

    void Word(std::string_view w, bool hasParam, int param) {
        if (w == "bin") {
            // Binary data: skip it whatever the destination.
            Pos += std::min<std::size_t>(hasParam && param > 0 ? param : 0, In.size() - Pos);
            return;
        }
        if (State.Dest == TDest::Skip) return;
        if (Fallback()) return;
        if (w == "u") {
            const long long v = param < 0 ? param + 65536LL : param;
            Char(v >= 0 && v <= 0x10FFFF ? static_cast<char32_t>(v) : 0xFFFD);
            Skip = State.SkipCount;
            return;
        }
        if (State.Dest == TDest::FontTable) {
            if (w == "f") {
                CommitFont();
                FontNumber = param;
            }
            return;
        }
        if (ParagraphWords.count(w)) return EndParagraph();
        if (const auto s = SymbolWords.find(w); s != SymbolWords.end()) return Char(s->second);
        // A destination is the first word of its group.
        if (GroupStart && SkippedDestinations.count(w)) {
            State.Dest = TDest::Skip;
            return;
        }
        TRtfCharFormat& f = State.Char;
        TRtfParaFormat& p = State.Para;
        const bool on = !hasParam || param != 0;
        const int twips = std::clamp(param, -MaxTwips, MaxTwips);
        if (w == "fonttbl" && GroupStart)
            State.Dest = TDest::FontTable;
        else if (w == "deff")
            DefaultFont = param;
        else if (w == "plain")
            f = TRtfCharFormat(), State.Font = -1;
        else if (w == "f")
            State.Font = param;
        else if (w == "fs")
            f.HalfPoints = hasParam && param > 0 ? std::min(param, 3276) : 24;
        else if (w == "b")
            f.Bold = on;
        else if (w == "i")
            f.Italic = on;
        else if (UnderlineWords.count(w))
            f.Underline = on;
        else if (w == "ulnone")
            f.Underline = false;
        else if (w == "pard")
            p = TRtfParaFormat();
        else if (w == "ql" || w == "qj" || w == "qd")
            p.Alignment = AlignLeft;
        else if (w == "qr")
            p.Alignment = AlignRight;
        else if (w == "qc")
            p.Alignment = AlignCenter;
        else if (w == "li" || w == "lin")
            p.LeftIndent = twips;
        else if (w == "ri" || w == "rin")
            p.RightIndent = twips;
        else if (w == "fi")
            p.FirstIndent = twips;
        else if (w == "uc")
            State.SkipCount = std::clamp(param, 0, 16);
    }

    void Char(char32_t c) {
        if (Skip > 0) {
            --Skip;
            return;
        }
        // \uN gives UTF-16 units: pair the surrogates.
        if (c >= 0xD800 && c <= 0xDBFF) {
            High = c;
            return;
        }
        if (c >= 0xDC00 && c <= 0xDFFF) {
            c = High ? 0x10000 + ((High - 0xD800) << 10) + (c - 0xDC00) : 0xFFFD;
        } else if (High) {
            Put(0xFFFD);
        }
        High = 0;
        Put(c);
    }

    void Put(char32_t c) {
        if (State.Dest == TDest::FontTable) {
            AppendUtf8(FontName, c);
            return;
        }
        if (State.Dest != TDest::Text) return;
        const TUFormat f = Format();
        if (Current.Runs.empty() || !(Current.Runs.back().Format == f))
            Current.Runs.push_back({f, {}});
        Current.Runs.back().Text += c;
    }

    void CommitFont() {
        const auto first = FontName.find_first_not_of(' ');
        if (first != std::string::npos) {
            const auto last = FontName.find_last_not_of(' ');
            Fonts[FontNumber] = FontName.substr(first, last - first + 1);
        }
        FontName.clear();
    }

    TUFormat Format() const { return {State.Char, State.Font < 0 ? DefaultFont : State.Font}; }

    TRtfCharFormat Named(const TUFormat& f) const {
        TRtfCharFormat named = f.Char;
        const auto font = Fonts.find(f.Font);
        if (font != Fonts.end()) named.FontName = font->second;
        return named;
    }

    void EndParagraph() {
        Current.Format = State.Para;
        Current.Mark = Format();
        Paragraphs.push_back(std::move(Current));
        Current = TUParagraph();
    }

    void Finish(TRtfDocument& doc) {
        bool unicode = false;
        for (const auto& p : Paragraphs)
            for (const auto& r : p.Runs) unicode = unicode || !AllDocumentChars(r.Text);
        doc.Paragraphs.clear();
        for (const auto& p : Paragraphs) {
            TRtfParagraph out;
            out.Format = p.Format;
            for (const auto& r : p.Runs) {
                const TRtfCharFormat f = Named(r.Format);
                if (!out.Runs.empty() && out.Runs.back().Format == f) {
                    out.Runs.back().Text += CharsToDocument(r.Text, unicode);
                } else if (!r.Text.empty()) {
                    out.Runs.push_back({f, CharsToDocument(r.Text, unicode)});
                }
            }
            // A paragraph with text shows its mark in the format of its last run.
            out.MarkFormat = out.Runs.empty() ? Named(p.Mark) : out.Runs.back().Format;
            doc.Paragraphs.push_back(std::move(out));
        }
    }

    std::string_view In;
    std::size_t Pos = 0;
    TState State;
    std::vector<TState> Stack;
    int Skip = 0;            // fallback characters of a \uN still to skip
    bool GroupStart = false; // nothing but "{" (and "\*") read in this group yet
    char32_t High = 0;
    int DefaultFont = 0;
    std::map<int, std::string> Fonts;
    int FontNumber = 0;
    std::string FontName;
    std::vector<TUParagraph> Paragraphs;
    TUParagraph Current;
};

void AppendHex(std::string& out, unsigned char b) {
    static constexpr char Hex[] = "0123456789abcdef";
    out += "\\'";
    out += Hex[b >> 4];
    out += Hex[b & 15];
}

bool Plain(unsigned char c) {
    return c >= 0x20 && c < 0x80 && c != '\\' && c != '{' && c != '}';
}

void AppendText(std::string& out, std::string_view text) {
    out.reserve(out.size() + text.size() * 2);
    for (std::size_t i = 0; i < text.size();) {
        // Runs of plain characters go in whole; large documents are written every few seconds.
        std::size_t run = i;
        while (run < text.size() && Plain(static_cast<unsigned char>(text[run]))) ++run;
        out.append(text, i, run - i);
        if (run == text.size()) break;
        const unsigned char c = static_cast<unsigned char>(text[run]);
        if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\t') {
            out += "\\tab ";
        } else {
            AppendHex(out, c);
        }
        i = run + 1;
    }
}

// A character as RTF: ASCII as AppendText writes it, other characters as UTF-16 units, each
// with "?" for readers without Unicode.
void AppendCharacter(std::string& out, char32_t c) {
    if (c < 0x80) {
        const char ascii = static_cast<char>(c);
        AppendText(out, std::string_view(&ascii, 1));
        return;
    }
    const auto unit = [&](char32_t u) {
        out += "\\u" + std::to_string(static_cast<int>(u > 0x7FFF ? u - 0x10000 : u)) + "?";
    };
    if (c > 0xFFFF) {
        unit(0xD800 + ((c - 0x10000) >> 10));
        unit(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
        unit(c);
    }
}

void AppendFontName(std::string& out, std::string_view name) {
    for (char32_t c : DecodeUtf8(name)) {
        if (c == U'\\' || c == U'{' || c == U'}' || c == U';' || c < 0x20)
            AppendHex(out, static_cast<unsigned char>(c));
        else
            AppendCharacter(out, c);
    }
}

} // namespace

bool ReadRtf(std::string_view data, TRtfDocument& doc, std::string* error) {
    if (!LooksLikeRtf(data)) {
        if (error) *error = "not an RTF document";
        return false;
    }
    return TReader(data).Read(doc, error);
}

std::string WriteRtf(const TRtfDocument& doc, bool unicodeText) {
    std::vector<std::string> fonts;
    const auto fontIndex = [&](const std::string& name) {
        const auto it = std::find(fonts.begin(), fonts.end(), name);
        if (it != fonts.end()) return static_cast<std::size_t>(it - fonts.begin());
        fonts.push_back(name);
        return fonts.size() - 1;
    };
    std::string body;
    const auto appendFormat = [&](const TRtfCharFormat& f) {
        body += "\\plain\\f" + std::to_string(fontIndex(f.FontName)) + "\\fs" +
                std::to_string(f.HalfPoints);
        if (f.Bold) body += "\\b";
        if (f.Italic) body += "\\i";
        if (f.Underline) body += "\\ul";
        body += ' ';
    };
    for (const auto& p : doc.Paragraphs) {
        body += "\\pard";
        if (p.Format.Alignment == AlignRight) body += "\\qr";
        if (p.Format.Alignment == AlignCenter) body += "\\qc";
        if (p.Format.LeftIndent) body += "\\li" + std::to_string(p.Format.LeftIndent);
        if (p.Format.RightIndent) body += "\\ri" + std::to_string(p.Format.RightIndent);
        if (p.Format.FirstIndent) body += "\\fi" + std::to_string(p.Format.FirstIndent);
        if (p.Runs.empty()) appendFormat(p.MarkFormat);
        for (const auto& run : p.Runs) {
            appendFormat(run.Format);
            if (unicodeText)
                for (char32_t c : DecodeUtf8(run.Text)) AppendCharacter(body, c);
            else
                AppendText(body, run.Text);
        }
        body += "\\par\r\n";
    }
    if (fonts.empty()) fonts.emplace_back();
    std::string out = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl";
    for (std::size_t i = 0; i < fonts.size(); ++i) {
        out += "{\\f" + std::to_string(i) + "\\fnil\\fcharset0 ";
        AppendFontName(out, fonts[i]);
        out += ";}";
    }
    out += "}\r\n";
    out += body;
    out += "}\r\n";
    return out;
}

} // namespace tavi
