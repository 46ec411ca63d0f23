#include "shell/speakop.h"

#include "codes/brailleconverter.h"
#include "codes/tablenames.h"
#include "document/editecho.h"

#include <array>

namespace tavi {

std::string DotReading(const std::string& text, bool readControlChars, const TSpeakSettings& s,
                       const TNameValueList& dotNames) {
    const bool vi = s.VietnameseNames;
    const std::string dot = vi ? " cha\xE1m " : " dot "; // chấm
    std::string out;
    for (char c : text) {
        switch (c) {
        case '\t':
            if (readControlChars) out += " tab";
            break;
        case '\n': break;
        case '\r':
            if (readControlChars) out += vi ? " xuo\xE1ng do\xF8ng" : " next line"; // xuống dòng
            break;
        case ' ': out += vi ? " khoa\xFBng tra\xE9ng" : " space"; break; // khoảng trắng
        case '=': out += dot + "2 3 5 6"; break;
        default: out += dot + dotNames.Value(std::string(1, c));
        }
    }
    return out;
}

TSpeechAction PrepareSpeech(std::string text, std::string codeTable, bool useEnglish,
                            bool readControlChars, const TSpeakSettings& s, TCodeConverter& braille,
                            const TNameValueList& dotNames) {
    TSpeechAction action;
    if (!s.SpeechOn) return action;
    if (codeTable == BrailleTableName) {
        const unsigned char first = text.empty() ? 0 : static_cast<unsigned char>(text[0]);
        if (s.SymbolModeEnabled && s.SymbolModeChecked) {
            text = DotReading(text, s.ReadControlChars, s, dotNames);
        } else if (text.size() == 1 && first >= 0xD8 && first <= 0xDC) {
            text = ToneMarkName(first - 0xD7);
        } else {
            braille.SetSourceTable(BrailleTableName);
            braille.SetDestTable(VniWinTable);
            text = braille.ConvertText(text);
        }
        codeTable = VniWinTable;
    }
    if (text.empty()) return action;
    if (text.size() == 1) {
        const unsigned char c = static_cast<unsigned char>(text[0]);
        if (s.VniDisplay && ((c >= 'A' && c <= 'Z') || c == 0xD1)) {
            text += " hoa";
        } else if (c == '\r' && s.ReadControlChars) {
            text = s.VietnameseNames ? "zzzmesgm " : "next line";
        } else if (c == ' ') {
            text = SpaceName(!s.VietnameseNames);
        }
    }
    if (useEnglish) {
        action.kind = TSpeechAction::English;
        if (s.ReadControlChars) {
            std::string spoken;
            for (char c : text) spoken += c == '\t' ? std::string(" tab ") : std::string(1, c);
            text = std::move(spoken);
        }
    } else {
        action.kind = TSpeechAction::Vietnamese;
        action.table = codeTable;
        action.symbols = readControlChars;
    }
    action.text = std::move(text);
    return action;
}

} // namespace tavi
