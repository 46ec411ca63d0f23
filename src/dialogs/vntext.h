// 8-bit Vietnamese text shown in Qt widgets: converted to Unicode with the program's own code
// tables, so that the desktop and screen readers see real letters.
#pragma once

#include "codes/tablenames.h"

#include <QString>

#include <string>
#include <string_view>

namespace tavi {

// Text held in the named code table ("Vni for Win", "Vni for Dos"…) as a QString. Bytes the
// table does not convert are shown by their Windows-1252 characters.
QString VnText(const std::string& bytes, const std::string& table = VniWinTable);

// The inverse for interface texts: Unicode to the bytes of a code table.
std::string VnBytes(const QString& text, const std::string& table);

// Interface texts are written in UTF-8 and spoken or shown in the documents' code.
std::string Vni(std::string_view utf8);

// What a check box says when it is clicked, in Vni for Dos (the menus' and check boxes' spoken
// code): its caption without the accelerator mark, after "không" (not) when it is now clear.
std::string CheckBoxWords(const QString& caption, bool checked);

} // namespace tavi
