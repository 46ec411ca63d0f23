// The document as assistive technology reads it (a screen reader, a Braille display): the
// letters the user sees, in Unicode, with offsets counted in letters rather than the editor's
// bytes, where a VNI letter with a mark is two bytes and one letter.
#pragma once

#include "codes/braillecells.h"
#include "document/doctext.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tavi {

class TAccessText {
public:
    TAccessText() = default;
    // bytes: the editor's text, CR LF between paragraphs. In text display
    // they are "Vni for Win" letters (vni converts them); in Braille display cells, shown as
    // Unicode Braille patterns.
    static TAccessText FromVni(std::string_view bytes, const TUnicodeWriter& vni);
    static TAccessText FromBraille(std::string_view bytes, const TBrailleCells& cells);

    const std::u16string& Text() const { return FText; }
    int Length() const { return static_cast<int>(FText.size()); }
    // The letter an editor position is in, or the letter it comes before; the end stays the end.
    int LetterAt(std::size_t position) const;
    // The editor position where a letter starts (clamped to the text).
    std::size_t PositionOf(int letter) const;

    // What changed from one text to the other, in letters: the first letter that differs and
    // what was removed and inserted there.
    struct TChange {
        int Position = 0;
        std::u16string Removed, Inserted;
    };
    static TChange Difference(const TAccessText& before, const TAccessText& after);
    static TChange Difference(std::u16string_view before, std::u16string_view after);

private:
    template <typename Convert>
    static TAccessText Build(std::string_view bytes, bool marks, Convert convert);
    void Add(std::size_t bytes, std::u16string_view letters);

    std::u16string FText;
    std::vector<int> FLetterOf;           // per position, and one for the end
    std::vector<std::size_t> FPositionOf; // per letter, and one for the end
};

} // namespace tavi
