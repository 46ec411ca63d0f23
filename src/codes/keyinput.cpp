#include "codes/keyinput.h"

#include <algorithm>

namespace tavi {

void TTextBuffer::Type(std::string_view bytes) {
    ReplaceSelection(bytes);
}

std::string TTextBuffer::TextBeforeCaret(std::size_t count) {
    const std::size_t caret = std::min(SelStart, Text.size());
    if (count > caret) return {};
    return Text.substr(caret - count, count);
}

void TTextBuffer::SelectBeforeCaret(std::size_t count) {
    const std::size_t caret = std::min(SelStart, Text.size());
    count = std::min(count, caret);
    SelStart = caret - count;
    SelLength = count;
}

void TTextBuffer::ReplaceSelection(std::string_view bytes) {
    const std::size_t start = std::min(SelStart, Text.size());
    const std::size_t length = std::min(SelLength, Text.size() - start);
    Text.replace(start, length, bytes);
    SelStart = start + bytes.size();
    SelLength = 0;
}

} // namespace tavi
