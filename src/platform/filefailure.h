// Why a document could not be opened, converted or saved: one value that goes from the call
// that failed up to what the user is told, so that each layer passes the cause on instead of
// turning it into a yes or no.
#pragma once

#include "platform/errors.h"

#include <string>

namespace tavi {

enum class TFileReason {
    None,          // it worked
    NotFound,      // the file, or a folder on its way, is not there
    NotRegular,    // a folder, a FIFO or a device where a file is wanted
    TooLarge,      // past the program's own limits
    NotUnderstood, // its structure is none the program reads
    TooDeep,       // nested deeper than any word processor writes
    ConverterMissing,
    ConverterFailed,
    TimedOut,
    Cancelled, // the user's own Escape
    DiskFull,
    NoPermission,
    ReadOnly,  // a read-only filesystem
    SizeLimit, // a file larger than the filesystem or the process may write
    Other,     // Words say what the system said
};

struct TFileFailure {
    TFileReason Reason = TFileReason::None;
    // What the system or the converter said, in its own (English) words; may be empty.
    std::string Words;

    bool Failed() const { return Reason != TFileReason::None; }
    bool operator==(const TFileFailure&) const = default;
};

// The failure an errno value stands for, with the system's words for it.
TFileFailure FailureOfErrno(int error);

// A failure to write or read a file, thrown where a yes or no cannot carry the cause.
class EFileFailure : public EInOutError {
public:
    EFileFailure(const std::string& what, TFileFailure failure)
        : EInOutError(what), Failure(std::move(failure)) {}
    TFileFailure Failure;
};

} // namespace tavi
