// The errors of the program: the core throws them, and the commands of the windows catch them
// only where they begin (shell/errorreport.h says what the user is told of each).
#pragma once

#include <stdexcept>
#include <string>

namespace tavi {

// A file that cannot be opened for reading or writing. The message names the file.
class EFOpenError : public std::runtime_error {
public:
    explicit EFOpenError(const std::string& fileName)
        : std::runtime_error("Cannot open file " + fileName), FileName(fileName) {}
    std::string FileName;
};

// A read that runs past the end of a stream or file.
class EReadError : public std::runtime_error {
public:
    EReadError() : std::runtime_error("Stream read error") {}
};

// An input-output failure of the storage itself, such as a drive with no medium in it.
class EInOutError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A data file (code table, dictionary index…) whose contents cannot be used.
class EDataError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A job the scheduler or the queue did not take; the message is the scheduler's own.
class EPrinterError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace tavi
