#include "dialogs/vntext.h"

#include "codes/vncodeconverter.h"
#include "platform/bytechars.h"

#include <map>
#include <memory>

namespace tavi {

namespace {

// One converter per pair of tables, kept for the whole run: these are called from the user
// interface thread only, and loading a table for every caption would be wasteful.
TVnCodeConverter& Converter(const std::string& from, const std::string& to) {
    static std::map<std::pair<std::string, std::string>, std::unique_ptr<TVnCodeConverter>> cache;
    auto& slot = cache[{from, to}];
    if (!slot) {
        slot = std::make_unique<TVnCodeConverter>();
        try {
            slot->SetSourceTable(from);
            slot->SetDestTable(to);
        } catch (const std::exception&) {
            slot->SetSourceTable(UnknownTableName); // no table: bytes pass unchanged
        }
    }
    return *slot;
}

} // namespace

QString VnText(const std::string& bytes, const std::string& table) {
    TVnCodeConverter& conv = Converter(table, UnicodeTableName);
    conv.InStream.Data = bytes;
    conv.Convert();
    const std::string& utf8 = conv.OutStream.Data;
    // Bytes that were not letters stay 8-bit; show those by the widget byte map.
    QString out;
    out.reserve(static_cast<qsizetype>(utf8.size()));
    std::size_t i = 0;
    while (i < utf8.size()) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        const std::size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : 0;
        const QString piece =
            len ? QString::fromUtf8(utf8.data() + i, static_cast<qsizetype>(len)) : QString();
        if (len && i + len <= utf8.size() && !piece.contains(QChar::ReplacementCharacter)) {
            out += piece;
            i += len;
        } else {
            out += QChar(ByteToChar(c));
            ++i;
        }
    }
    return out;
}

std::string VnBytes(const QString& text, const std::string& table) {
    TVnCodeConverter& conv = Converter(UnicodeTableName, table);
    conv.InStream.Data = text.toStdString();
    conv.Convert();
    return conv.OutStream.Data;
}

std::string CheckBoxWords(const QString& caption, bool checked) {
    const std::string words = VnBytes(QString(caption).remove('&'), VniDosTable);
    return checked ? words : VnBytes(QStringLiteral("không "), VniDosTable) + words;
}

std::string Vni(std::string_view utf8) {
    return VnBytes(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())),
                   VniWinTable);
}

} // namespace tavi
