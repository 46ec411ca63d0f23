#include "document/docsnapshot.h"

#include "document/msrichedit.h"
#include "document/rtfqt.h"
#include "platform/qbytechars.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>

#include <algorithm>

namespace tavi {

namespace {

template <typename Format> const Format& FormatAt(const std::vector<Format>& formats, int index) {
    static const Format none;
    return index >= 0 && static_cast<std::size_t>(index) < formats.size()
               ? formats[static_cast<std::size_t>(index)]
               : none;
}

} // namespace

void TParagraphCopies::Changed(const QTextDocument& d, int from, int added) {
    if (!Made) return;
    const QTextBlock firstBlock = d.findBlock(from);
    QTextBlock lastBlock = d.findBlock(from + added);
    if (!lastBlock.isValid()) lastBlock = d.lastBlock();
    const int first = firstBlock.isValid() ? firstBlock.blockNumber() : lastBlock.blockNumber();
    const int last = lastBlock.blockNumber();
    // The paragraphs first to last now stand where first to oldLast stood.
    const int oldLast = last - (d.blockCount() - static_cast<int>(Copies.size()));
    if (first < 0 || last < first || oldLast < first ||
        oldLast >= static_cast<int>(Copies.size())) {
        Made = false; // a change this cannot follow: everything is copied again
        return;
    }
    const auto at = Copies.begin() + first;
    Missing -= static_cast<std::size_t>(std::count(at, Copies.begin() + oldLast + 1, nullptr));
    Missing += static_cast<std::size_t>(last - first + 1);
    Next = std::min(Next, static_cast<std::size_t>(first));
    if (oldLast == last) {
        std::fill(at, at + (last - first + 1), nullptr); // typing: no paragraph came or went
        return;
    }
    Copies.erase(at, Copies.begin() + oldLast + 1);
    Copies.insert(Copies.begin() + first, static_cast<std::size_t>(last - first + 1), nullptr);
}

void TParagraphCopies::Start(const QTextDocument& d) {
    if (Made && Copies.size() == static_cast<std::size_t>(d.blockCount())) return;
    Copies.assign(static_cast<std::size_t>(d.blockCount()), nullptr);
    Missing = Copies.size();
    Next = 0;
    Made = true;
}

std::shared_ptr<const TParagraphCopy> TParagraphCopies::Copy(const QTextBlock& b) {
    auto copy = std::make_shared<TParagraphCopy>();
    copy->Text = b.text();
    copy->Format = b.blockFormatIndex();
    copy->MarkFormat = b.charFormatIndex();
    for (auto it = b.begin(); !it.atEnd(); ++it) {
        const QTextFragment f = it.fragment();
        copy->Runs.emplace_back(f.length(), f.charFormatIndex());
    }
    return copy;
}

bool TParagraphCopies::CopySome(const QTextDocument& d, std::chrono::microseconds budget) {
    Start(d);
    const auto end = std::chrono::steady_clock::now() + budget;
    QTextBlock b; // paragraph Next - 1 when valid
    for (; Missing > 0 && Next < Copies.size(); ++Next) {
        if (Copies[Next]) {
            b = QTextBlock();
            continue;
        }
        b = b.isValid() ? b.next() : d.findBlockByNumber(static_cast<int>(Next));
        Copies[Next] = Copy(b);
        --Missing;
        if (std::chrono::steady_clock::now() > end) {
            ++Next;
            break;
        }
    }
    return Missing == 0;
}

std::vector<std::shared_ptr<const TParagraphCopy>> TParagraphCopies::Take(const QTextDocument& d) {
    Start(d);
    Next = 0; // from the start: no copy may be missing from a snapshot
    CopySome(d, std::chrono::hours(24));
    return Copies;
}

TDocumentSnapshot TMsRichEdit::Snapshot() const {
    TDocumentSnapshot s;
    s.Paragraphs = FCopies.Take(*document());
    const QList<QTextFormat> formats = document()->allFormats();
    s.CharFormats.resize(static_cast<std::size_t>(formats.size()));
    s.ParaFormats.resize(static_cast<std::size_t>(formats.size()));
    for (qsizetype i = 0; i < formats.size(); ++i) {
        const auto at = static_cast<std::size_t>(i);
        if (formats[i].isCharFormat()) s.CharFormats[at] = CharFormatOf(formats[i].toCharFormat());
        if (formats[i].isBlockFormat())
            s.ParaFormats[at] = ParaFormatOf(formats[i].toBlockFormat());
    }
    return s;
}

void TMsRichEdit::PrepareSnapshots() {
    if (!FCopyTimer) {
        FCopyTimer = new QTimer(this);
        FCopyTimer->setInterval(0); // whenever the event loop has nothing else to do
        connect(FCopyTimer, &QTimer::timeout, this, [this] {
            if (FCopies.CopySome(*document(), std::chrono::milliseconds(2))) FCopyTimer->stop();
        });
    }
    FCopyTimer->start();
}

TRtfDocument SnapshotDocument(const TDocumentSnapshot& s) {
    TRtfDocument doc;
    doc.Paragraphs.reserve(s.Paragraphs.size());
    for (const auto& copy : s.Paragraphs) {
        TRtfParagraph& p = doc.Paragraphs.emplace_back();
        p.Format = FormatAt(s.ParaFormats, copy->Format);
        p.MarkFormat = FormatAt(s.CharFormats, copy->MarkFormat);
        const QStringView text(copy->Text);
        qsizetype at = 0;
        for (const auto& [length, format] : copy->Runs) {
            doc.AddText(QStringToBytesOrMark(text.mid(at, length)),
                        FormatAt(s.CharFormats, format));
            at += length;
        }
    }
    return doc;
}

} // namespace tavi
