// The document model (rtf.h) in Qt's text documents: formats both ways, and paragraphs put in.
#pragma once

#include "document/rtf.h"

#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>

#include <string_view>

class QTextCursor;

namespace tavi {

QTextCharFormat ToQt(const TRtfCharFormat& f);
QTextBlockFormat ToQt(const TRtfParaFormat& f);
int AlignmentOf(const QTextBlockFormat& f);
TRtfParaFormat ParaFormatOf(const QTextBlockFormat& f);

// Puts the paragraphs in at the cursor, the first one continuing the cursor's block; chars
// makes a run's text into the document's characters.
void InsertParagraphs(QTextCursor& c, const TRtfDocument& doc, QString (*chars)(std::string_view));

} // namespace tavi
