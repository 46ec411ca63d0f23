// Word and office documents read and written through an external converter run headless:
// LibreOffice when it is installed (".doc", ".wri", ".docx", ".odt" and the like, with their
// formatting, by way of RTF), else antiword for ".doc" (text only, reading only).
#pragma once

#include "document/rtf.h"

#include <QString>

namespace tavi {

enum class TWordConverter { None, LibreOffice, Antiword };

// The converter that would read a file of that kind (1 ".doc", 2 ".wri", 4 an office package
// such as ".docx" or ".odt"), found on the PATH.
TWordConverter FindWordConverter(int fileKind);

// Reads a Word document into doc. Returns false, with a reason in error, when no converter is
// installed for that kind, the converter fails, or it runs longer than timeoutMs (it is then
// stopped). Text that the converter gives as Unicode becomes document bytes by DocumentBytes.
bool ImportWordDocument(const QString& fileName, int fileKind, TRtfDocument& doc,
                        QString* error = nullptr, int timeoutMs = 120000);

// Writes RTF as the office format of the file name's extension (".docx", ".odt", ".doc")
// through LibreOffice. The file is replaced only when the whole converted document is there;
// false, with a reason in error, when there is no converter or it fails.
bool ExportOfficeDocument(const std::string& rtf, const QString& fileName, QString* error = nullptr,
                          int timeoutMs = 120000);

} // namespace tavi
