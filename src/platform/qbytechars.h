// 8-bit text in and out of Qt strings through the byte map of platform/bytechars.h.
#pragma once

#include "platform/bytechars.h"

#include <QString>

#include <optional>
#include <string>
#include <string_view>

namespace tavi {

inline QString BytesToQString(std::string_view bytes) {
    QString s(qsizetype(bytes.size()), Qt::Uninitialized);
    QChar* d = s.data();
    for (char b : bytes) *d++ = QChar(ByteToChar(static_cast<unsigned char>(b)));
    return s;
}

// The bytes of a string, or nothing when it holds a character that stands for no byte.
inline std::optional<std::string> QStringToBytes(const QString& s) {
    std::string out;
    out.reserve(std::size_t(s.size()));
    for (QChar c : s) {
        const int b = CharToByte(c.unicode());
        if (b < 0) return std::nullopt;
        out += static_cast<char>(b);
    }
    return out;
}

// The bytes of a string, where a character outside the byte map (none reaches the document
// through its own input) reads as "?".
inline std::string QStringToBytesOrMark(QStringView s) {
    std::string out(static_cast<std::size_t>(s.size()), '\0');
    for (qsizetype i = 0; i < s.size(); ++i) {
        const char16_t c = s[i].unicode();
        // Most characters stand for their own byte; the table is for the rest.
        const int b = c < 0x80 || (c >= 0xA0 && c <= 0xFF && c != 0xAD) ? c : CharToByte(c);
        out[static_cast<std::size_t>(i)] = static_cast<char>(b >= 0 ? b : '?');
    }
    return out;
}

} // namespace tavi
