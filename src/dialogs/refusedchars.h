// The characters that the name fields of the talking dialogs swallow.
#pragma once

namespace tavi {

enum class TRefusedSet { None, Path, Name };

// Path set (the file name fields of the open and save dialogs): the ASCII punctuation except
// the full stop, colon and backslash, and, as paths are written here, the slash and the tilde
// of the home folder, so that a whole path can be typed. Name set (the browser's name field and
// the user name): the ASCII punctuation except the hyphen, full stop and underscore.
constexpr bool IsRefused(TRefusedSet set, unsigned char c) {
    const auto in = [c](int lo, int hi) { return c >= lo && c <= hi; };
    switch (set) {
    case TRefusedSet::Path:
        return in(33, 45) || in(59, 64) || c == 91 || in(93, 96) || in(123, 125);
    case TRefusedSet::Name:
        return in(33, 44) || c == 47 || in(58, 64) || in(91, 94) || c == 96 || in(123, 126);
    default: return false;
    }
}

} // namespace tavi
