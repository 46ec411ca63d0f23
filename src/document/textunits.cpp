#include "document/textunits.h"

#include <utility>

namespace tavi {

namespace {

enum class TKind { Other, Letter, Digit };

bool IsMark(char16_t c) {
    return c >= 0x0300 && c <= 0x036F;
}

// Letters of the scripts the code tables hold (Latin with Vietnamese, Greek, Cyrillic), their
// marks, and Braille cells: in Braille display a word is the cells between blanks.
TKind KindOf(char16_t c) {
    if (c >= u'0' && c <= u'9') return TKind::Digit;
    if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_') return TKind::Letter;
    const bool letter = c == 0xAA || c == 0xB5 || c == 0xBA ||
                        (c >= 0xC0 && c <= 0x2AF && c != 0xD7 && c != 0xF7) || IsMark(c) ||
                        (c >= 0x386 && c <= 0x52F && c != 0x387) || (c >= 0x1E00 && c <= 0x1EFF) ||
                        (c >= 0x2800 && c <= 0x28FF);
    return letter ? TKind::Letter : TKind::Other;
}

// Punctuation that stays inside a word: between two letters (a colon), two digits ("1,5"), or
// either ("l'eau", "3.14"), as Unicode's word rules keep it.
bool JoinsLetters(char16_t c) {
    return c == u':' || c == 0xB7;
}
bool JoinsDigits(char16_t c) {
    return c == u',' || c == u';';
}
bool JoinsBoth(char16_t c) {
    return c == u'.' || c == u'\'' || c == 0x2018 || c == 0x2019;
}

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == 0xA0;
}
bool EndsSentence(char16_t c) {
    return c == u'.' || c == u'!' || c == u'?' || c == 0x2026;
}
// Closing quotes and brackets after the full stop still belong to its sentence.
bool Closes(char16_t c) {
    return c == u'"' || c == u'\'' || c == u')' || c == u']' || c == 0xBB || c == 0x2019 ||
           c == 0x201D;
}

} // namespace

TTextUnits::TTextUnits(std::u16string_view text, int caret, TLineAt lineAt)
    : FText(text), FCaret(caret), FLineAt(std::move(lineAt)) {}

int TTextUnits::Resolve(int offset) const {
    if (offset == -2)
        offset = FCaret;
    else if (offset == -1)
        offset = Length();
    return offset >= 0 && offset <= Length() ? offset : -1;
}

TTextRange TTextUnits::At(int offset, TTextUnit unit) const {
    const int at = Resolve(offset);
    return at < 0 ? TTextRange{} : Around(at, unit);
}

TTextRange TTextUnits::Before(int offset, TTextUnit unit) const {
    const int at = Resolve(offset);
    if (at < 0) return {};
    const int start = Around(at, unit).Start;
    return start > 0 ? Around(start - 1, unit) : TTextRange{0, 0};
}

TTextRange TTextUnits::After(int offset, TTextUnit unit) const {
    const int at = Resolve(offset);
    if (at < 0) return {};
    const int end = Around(at, unit).End;
    return end < Length() ? Around(end, unit) : TTextRange{Length(), Length()};
}

// The end of the text is in no character, word or sentence, but on the last line.
TTextRange TTextUnits::Around(int offset, TTextUnit unit) const {
    switch (unit) {
    case TTextUnit::Line: return LineAround(offset);
    case TTextUnit::Paragraph: return ParagraphAround(offset);
    case TTextUnit::All: return {0, Length()};
    default: break;
    }
    if (offset == Length()) return {offset, offset};
    if (unit == TTextUnit::Char) return CharAround(offset);
    return unit == TTextUnit::Word ? WordAround(offset) : SentenceAround(offset);
}

// A letter with the marks that follow it.
TTextRange TTextUnits::CharAround(int offset) const {
    int start = offset, end = offset + 1;
    while (start > 0 && IsMark(FText[start])) --start;
    while (end < Length() && IsMark(FText[end])) ++end;
    return {start, end};
}

bool TTextUnits::InWord(int letter) const {
    const char16_t c = FText[letter];
    if (KindOf(c) != TKind::Other) return true;
    if (letter == 0 || letter + 1 >= Length()) return false;
    const TKind before = KindOf(FText[letter - 1]), after = KindOf(FText[letter + 1]);
    if (before != after || before == TKind::Other) return false;
    return JoinsBoth(c) || (before == TKind::Letter ? JoinsLetters(c) : JoinsDigits(c));
}

// A word, or the run of blanks and punctuation between two words.
TTextRange TTextUnits::WordAround(int offset) const {
    const bool word = InWord(offset);
    int start = offset, end = offset + 1;
    while (start > 0 && InWord(start - 1) == word) --start;
    while (end < Length() && InWord(end) == word) ++end;
    return {start, end};
}

// After a line break, and after a full stop, question or exclamation mark (and what closes
// it) once the blanks that follow it end: the blanks belong to the sentence they follow.
bool TTextUnits::SentenceStartsAt(int letter) const {
    if (FText[letter - 1] == u'\n') return true;
    if (!IsBlank(FText[letter - 1]) || IsBlank(FText[letter]) || FText[letter] == u'\n')
        return false;
    int i = letter - 1;
    while (i >= 0 && IsBlank(FText[i])) --i;
    while (i >= 0 && Closes(FText[i])) --i;
    return i >= 0 && EndsSentence(FText[i]);
}

TTextRange TTextUnits::SentenceAround(int offset) const {
    int start = offset, end = offset + 1;
    while (start > 0 && !SentenceStartsAt(start)) --start;
    while (end < Length() && !SentenceStartsAt(end)) ++end;
    return {start, end};
}

// A paragraph with its line break, which is the last letter of its last line.
TTextRange TTextUnits::ParagraphAround(int offset) const {
    const std::u16string_view t = FText;
    const std::size_t before = offset > 0 ? t.rfind(u'\n', offset - 1) : t.npos;
    const std::size_t next = t.find(u'\n', offset);
    return {before == t.npos ? 0 : static_cast<int>(before) + 1,
            next == t.npos ? Length() : static_cast<int>(next) + 1};
}

TTextRange TTextUnits::LineAround(int offset) const {
    const TTextRange paragraph = ParagraphAround(offset);
    if (!FLineAt) return paragraph;
    TTextRange line = FLineAt(offset);
    if (line.End >= 0 && line.End < Length() && FText[line.End] == u'\n') ++line.End;
    const bool fits = paragraph.Start <= line.Start && line.End <= paragraph.End &&
                      line.Start <= offset &&
                      (offset < line.End || (offset == line.End && offset == Length()));
    return fits ? line : paragraph;
}

} // namespace tavi
