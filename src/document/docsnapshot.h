// The editor's document copied in a moment on the user-interface thread, to be turned into the
// document model (and written out) on another. Each paragraph's copy is kept and shared from
// one snapshot to the next until the paragraph changes, so a snapshot while the user types
// copies the paragraphs typed in, not the whole document.
#pragma once

#include "document/rtf.h"

#include <QString>

#include <chrono>
#include <memory>
#include <utility>
#include <vector>

class QTextBlock;
class QTextDocument;

namespace tavi {

// A paragraph as copied: its characters and its runs of one format, with the formats as the
// document numbers them.
struct TParagraphCopy {
    QString Text;
    int Format = 0, MarkFormat = 0;
    std::vector<std::pair<int, int>> Runs; // {characters, format}
};

struct TDocumentSnapshot {
    std::vector<std::shared_ptr<const TParagraphCopy>> Paragraphs;
    // The document's formats by its numbers, converted; a number of another kind of format
    // holds the default.
    std::vector<TRtfCharFormat> CharFormats;
    std::vector<TRtfParaFormat> ParaFormats;
};

// The copies of a document's paragraphs, kept up to date with its changes.
class TParagraphCopies {
public:
    // The document changed from position from to from + added (positions after the change).
    void Changed(const QTextDocument& d, int from, int added);
    // A copy of every paragraph: made afresh where the document changed, shared elsewhere.
    std::vector<std::shared_ptr<const TParagraphCopy>> Take(const QTextDocument& d);
    // Makes the copies still missing for about as long as given; true when none is missing.
    bool CopySome(const QTextDocument& d, std::chrono::microseconds budget);

private:
    static std::shared_ptr<const TParagraphCopy> Copy(const QTextBlock& b);
    void Start(const QTextDocument& d);
    std::vector<std::shared_ptr<const TParagraphCopy>> Copies; // empty entries: to be made
    bool Made = false;
    std::size_t Missing = 0; // empty entries
    std::size_t Next = 0;    // none is empty before it
};

// The document model of a snapshot, as the editor's Document() gave it when the snapshot was
// taken. Touches nothing but the snapshot, so it runs on any thread.
TRtfDocument SnapshotDocument(const TDocumentSnapshot& s);

} // namespace tavi
