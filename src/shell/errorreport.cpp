#include "shell/errorreport.h"

#include "platform/errors.h"

#include <typeinfo>

namespace tavi {

TReport ErrorReport(const std::exception* error) {
    if (error && typeid(*error) == typeid(EInOutError))
        return {{" zzzmesey "}, {}, "Không có đĩa trong ổ đĩa!"};
    if (dynamic_cast<const EPrinterError*>(error)) return {{" zzzmesfo "}, {}, "Lỗi máy in!"};
    return {{" zzzmeseyb "}, error ? error->what() : "", "Có lỗi, Tavi không làm được việc này."};
}

namespace {

// The prompt for a cause of a failed save, with its words for the message box.
struct TCause {
    TFileReason Reason;
    const char* Prompt;
    const char* Message;
};

constexpr TCause SaveCauses[] = {
    {TFileReason::DiskFull, "zzzmesya ", "Ổ đĩa đã đầy."},
    {TFileReason::NoPermission, "zzzmesyb ", "Không có quyền ghi vào thư mục này."},
    {TFileReason::ReadOnly, "zzzmesyc ", "Ổ đĩa chỉ cho đọc."},
    {TFileReason::NotFound, "zzzmesyd ", "Không có thư mục này."},
    {TFileReason::SizeLimit, "zzzmesye ", "Tập tin quá lớn cho ổ đĩa này."},
};

} // namespace

TReport SaveFailureReport(const TFileFailure& why) {
    TReport r{{"zzzmesesa "}, {}, "Không lưu được tập tin!"};
    for (const TCause& c : SaveCauses) {
        if (c.Reason != why.Reason) continue;
        r.Prompts.push_back(c.Prompt);
        r.Message += std::string(" ") + c.Message;
        return r;
    }
    if (why.Reason == TFileReason::Other) r.Words = why.Words;
    return r;
}

TReport OpenFailureReport(const TFileFailure& why) {
    switch (why.Reason) {
    case TFileReason::NotFound: return {{"zzzmeset "}, {}, "Không tìm thấy tệp tin này!"};
    case TFileReason::TooLarge: return {{" zzzmesql "}, {}, "Tập tin quá lớn, không mở được!"};
    default: return {{" zzzmesel "}, {}, "Không hiểu cấu trúc tập tin này !"};
    }
}

} // namespace tavi
