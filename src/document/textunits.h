// Where the characters, words, sentences, lines and paragraphs of the document's letters begin
// and end, as assistive technology asks for them: the unit at an offset, the one before it and
// the one after it. Each answer looks only at the letters around the offset, so a screen reader
// that asks on every key costs the same in a long document as in a short one.
#pragma once

#include <functional>
#include <string_view>

namespace tavi {

// All: the whole text, whatever the offset.
enum class TTextUnit { Char, Word, Sentence, Line, Paragraph, All };

// Letters [Start, End); {-1, -1}: the offset is not in the text.
struct TTextRange {
    int Start = -1, End = -1;
    bool operator==(const TTextRange&) const = default;
};

class TTextUnits {
public:
    // The line of the screen a letter is on, from its start to where the next line starts or
    // the paragraph's text ends. Without it (or where it cannot tell) a line is a paragraph.
    using TLineAt = std::function<TTextRange(int letter)>;

    // Offsets are letters 0 to the text's length, or -2 for the caret and -1 for the length,
    // as screen readers name them.
    TTextUnits(std::u16string_view text, int caret, TLineAt lineAt = {});

    TTextRange At(int offset, TTextUnit unit) const;
    TTextRange Before(int offset, TTextUnit unit) const;
    TTextRange After(int offset, TTextUnit unit) const;

private:
    int Length() const { return static_cast<int>(FText.size()); }
    int Resolve(int offset) const;
    TTextRange Around(int offset, TTextUnit unit) const;
    TTextRange CharAround(int offset) const;
    TTextRange WordAround(int offset) const;
    TTextRange SentenceAround(int offset) const;
    TTextRange LineAround(int offset) const;
    TTextRange ParagraphAround(int offset) const;
    bool InWord(int letter) const;
    bool SentenceStartsAt(int letter) const;

    std::u16string_view FText;
    int FCaret;
    TLineAt FLineAt;
};

} // namespace tavi
