#include "document/batchplan.h"

#include "codes/tablenames.h"
#include "document/rtf.h"

#include <algorithm>

namespace tavi {

namespace {

// True when every byte above 0x7F belongs to a well-formed UTF-8 sequence (one cut off by the
// end of the head allowed). Text in the 8-bit codes is practically never so.
bool IsUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const std::size_t length = c < 0x80                ? 1
                                   : c >= 0xC2 && c < 0xE0 ? 2
                                   : c >= 0xE0 && c < 0xF0 ? 3
                                   : c >= 0xF0 && c < 0xF5 ? 4
                                                           : 0;
        if (length == 0) return false;
        for (std::size_t k = 1; k < length; ++k)
            if (i + k < text.size() && (static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += length;
    }
    return true;
}

std::string DocumentText(std::string_view head, bool rtf) {
    if (!rtf) return std::string(head);
    TRtfDocument doc;
    if (!ReadRtf(head, doc)) return {};
    return doc.PlainText("\r\n");
}

} // namespace

TFilePlan PlanFileConversion(std::string_view head, const std::string& from, const std::string& to,
                             TVnCodeConverter& detector) {
    TFilePlan plan;
    if (head.find('\0') != std::string_view::npos) return plan;
    plan.Rtf = LooksLikeRtf(head);
    plan.Table = from;
    if (!from.empty()) {
        plan.Kind = from == to ? TFilePlan::Already : TFilePlan::Convert;
        return plan;
    }
    const std::string text = DocumentText(head, plan.Rtf);
    const auto high = std::find_if(text.begin(), text.end(),
                                   [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    if (high == text.end()) {
        plan.Kind = TFilePlan::Ascii;
        return plan;
    }
    const std::size_t line =
        text.find_last_of("\r\n", static_cast<std::size_t>(high - text.begin()));
    const std::size_t start = line == std::string::npos ? 0 : line + 1;
    plan.Table = detector.DetectCodeTable(std::string_view(text).substr(start, DetectSampleSize));
    // UTF-8 with no Vietnamese letter in the sample (English with curly quotes) is still UTF-8:
    // the words of other tables that it happens to hold prove nothing.
    if (IsUtf8(text) && plan.Table != UnicodeCompoundTableName) plan.Table = UnicodeTableName;
    if (plan.Table == UnknownTableName) {
        plan.Kind = TFilePlan::Undetected;
        plan.Table.clear();
    } else {
        plan.Kind = plan.Table == to ? TFilePlan::Already : TFilePlan::Convert;
    }
    return plan;
}

} // namespace tavi
