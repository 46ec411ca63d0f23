// What the user is told of an error that ended a command.
#pragma once

#include "dialogs/talker.h"

#include <exception>

namespace tavi {

// A missing disk (the input-output error itself, not a kind of it) and a printer's refusal
// are told in their own words; every other error as an error that stopped the work, with its
// own text. error may be null: an error of no known kind.
TReport ErrorReport(const std::exception* error);

} // namespace tavi
