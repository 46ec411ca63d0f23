// The characters that the name fields of the talking dialogs swallow.
#pragma once

namespace tavi {

enum class TRefusedSet { None, Path, Name, FileName };

// Path set (the file name fields of the open and save dialogs): a file name here may hold any
// character but the slash, which the path needs, and NUL; only control characters, which no
// name is typed with, are refused, so that every file can be named. FileName set (the browser's
// name field, a name inside the folder shown): the same and the slash. Name set (the user
// name): the ASCII punctuation except the hyphen, full stop and underscore.
constexpr bool IsRefused(TRefusedSet set, unsigned char c) {
    const auto in = [c](int lo, int hi) { return c >= lo && c <= hi; };
    switch (set) {
    case TRefusedSet::Path: return c < 0x20;
    case TRefusedSet::FileName: return c < 0x20 || c == '/';
    case TRefusedSet::Name:
        return in(33, 44) || c == 47 || in(58, 64) || in(91, 94) || c == 96 || in(123, 126);
    default: return false;
    }
}

} // namespace tavi
