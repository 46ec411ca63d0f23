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

} // namespace tavi
