// The editor's screen fonts "Vni-Screen" and "VBraille", which the build generates into the
// program folder (fonts/).
#pragma once

#include "document/fontnames.h"

#include <QStringList>

namespace tavi {

// Registers every font file of the program folder's fonts/ with QFontDatabase, once per run
// (later calls return the same answer). Returns the families now available; a font file that
// is missing or unreadable is simply not among them.
QStringList RegisterScreenFonts();

} // namespace tavi
