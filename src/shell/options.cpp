#include "shell/options.h"

#include "speech/speechrate.h"

#include <algorithm>
#include <type_traits>

namespace tavi {

const std::vector<TOptionRow>& OptionRows() {
    static const std::vector<TOptionRow> rows = {
        {"ToolBar", &TOptions::ToolBar, true, "MGToolBar"},
        {"SoundMode", &TOptions::SpeechOn, true, "MROption"},
        {"SoundSymbolMode", &TOptions::SymbolMode, false, "MTuongHinh"},
        {"SoundCtrlChar", &TOptions::ControlChars, true, "MRCharCtrl"},
        {"SoundEdit", &TOptions::SoundEdit, static_cast<std::int32_t>(TEchoMode::Char)},
        {"LangSpeak", &TOptions::Vietnamese, true, "MVietNam", "MEnglish"},
        {"AutoCnv", &TOptions::AutoConvert, true},
        {"EnglishWords", &TOptions::EnglishWords, true, "MREnglishWords"},
        {"RateVietnamese", &TOptions::VietnameseRate, NormalRateStep},
        {"RateEnglish", &TOptions::EnglishRate, NormalRateStep},
        {"SayChanges", &TOptions::SayChanges, true, "MRSayChanges"},
    };
    return rows;
}

TOptions::TOptions() {
    for (const TOptionRow& row : OptionRows())
        std::visit(
            [this, &row](auto field) {
                using T = std::remove_reference_t<decltype(this->*field)>;
                if constexpr (std::is_arithmetic_v<T>) this->*field = static_cast<T>(row.Default);
            },
            row.Field);
}

TEchoMode TOptions::Echo() const {
    const int mode = SoundEdit & 0xFF;
    return mode <= static_cast<int>(TEchoMode::Paragraph) ? static_cast<TEchoMode>(mode)
                                                          : TEchoMode::Char;
}

bool TOptions::StepRate(int by) {
    std::int32_t& step = LanguageRate();
    const std::int32_t next = step + by;
    if (next < 1 || next > static_cast<std::int32_t>(RateSteps.size())) return false;
    step = next;
    return true;
}

void TOptions::ClampRates() {
    for (std::int32_t* step : {&VietnameseRate, &EnglishRate})
        *step = std::clamp(*step, 1, static_cast<std::int32_t>(RateSteps.size()));
}

} // namespace tavi
