// What the user is told of an error that ended a command.
#pragma once

#include "dialogs/talker.h"
#include "platform/filefailure.h"

#include <exception>

namespace tavi {

// A missing disk (the input-output error itself, not a kind of it) and a printer's refusal
// are told in their own words; every other error as an error that stopped the work, with its
// own text. error may be null: an error of no known kind.
TReport ErrorReport(const std::exception* error);

// A document that could not be saved: that it was not saved, then why, when there is a
// prompt for the cause; a cause that has none is told in the system's own words.
TReport SaveFailureReport(const TFileFailure& why);

// A document that could not be opened (not for a conversion the user cancelled: that is no
// failure): a missing file, one too large, else one the program does not understand.
TReport OpenFailureReport(const TFileFailure& why);

} // namespace tavi
