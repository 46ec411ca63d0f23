#include "platform/filefailure.h"

#include <cerrno>
#include <cstring>

namespace tavi {

TFileFailure FailureOfErrno(int error) {
    const auto reason = [error] {
        switch (error) {
        case ENOENT:
        case ENOTDIR: return TFileReason::NotFound;
        case EISDIR: return TFileReason::NotRegular;
        case ENOSPC:
        case EDQUOT: return TFileReason::DiskFull;
        case EACCES:
        case EPERM: return TFileReason::NoPermission;
        case EROFS: return TFileReason::ReadOnly;
        case EFBIG: return TFileReason::SizeLimit;
        default: return TFileReason::Other;
        }
    };
    return {reason(), std::strerror(error)};
}

} // namespace tavi
