// Word and office documents read and written through an external converter run headless:
// LibreOffice when it is installed (".doc", ".wri", ".docx", ".odt" and the like, with their
// formatting, by way of RTF), else antiword for ".doc" (text only, reading only).
#pragma once

#include "document/converterrun.h"
#include "document/rtf.h"

#include <QString>

namespace tavi {

enum class TWordConverter { None, LibreOffice, Antiword };

// The converter that would read a file of that kind (1 ".doc", 2 ".wri", 4 an office package
// such as ".docx" or ".odt"), found on the PATH.
TWordConverter FindWordConverter(int fileKind);

// Reads a Word document into doc, the converter run under the watch. No failure when it was
// read; otherwise how the conversion ended (ConverterMissing also when no converter is
// installed for that kind), with a reason in its words. Text that the converter gives as
// Unicode becomes document bytes by DocumentBytes.
TFileFailure ImportWordDocument(const QString& fileName, int fileKind, TRtfDocument& doc,
                                const TConversionWatch& watch = {});

// Writes RTF as the office format of the file name's extension (".docx", ".odt", ".doc")
// through LibreOffice, run under the watch. The file is replaced only when the whole converted
// document is there; otherwise why not: no converter, the converter's failure, or the disk's.
TFileFailure ExportOfficeDocument(const std::string& rtf, const QString& fileName,
                                  const TConversionWatch& watch = {});

} // namespace tavi
