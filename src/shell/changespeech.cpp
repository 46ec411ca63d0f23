// Saying what an edit changed, not only that it changed: what a selection made with Shift
// gained or lost, the start of what the clipboard and undo handle, a match with the rest of its
// line, and what a letter typed over a selection replaces. An option of the Reading menu; off,
// the editor says what it always said.
#include "shell/mainform.h"

#include "document/msrichedit.h"

#include <QTextCursor>

#include <algorithm>

namespace tavi {

namespace {

bool MovesSelectionEnd(int key) {
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: return true;
    default: return false;
    }
}

// At most max bytes, not parting a letter from its mark.
std::string Shortened(std::string text, std::size_t max) {
    if (text.size() <= max) return text;
    // A letter whose mark would be cut off goes with it.
    text.resize(IsCombiningMark(static_cast<unsigned char>(text[max])) ? max - 1 : max);
    return text;
}

} // namespace

const std::vector<TMainForm::TCommand>& TMainForm::ChangeCommands() {
    static const std::vector<TCommand> commands = {{"MRSayChanges", &TMainForm::SayChangesCommand}};
    return commands;
}

void TMainForm::SayChangesCommand() {
    bool& on = FSettings.Options.SayChanges;
    on = !on;
    Announce(on ? "zzzmeswa" : "zzzmeswb");
}

bool TMainForm::SayChanges() const {
    return FSettings.Options.SayChanges;
}

std::string TMainForm::SpokenVni(const std::string& displayBytes) {
    return FDocument.Braille() ? VniOfBraille(displayBytes) : displayBytes;
}

std::string TMainForm::StartSaid(const std::string& displayBytes, bool english) {
    return SpokenStart(SpokenVni(displayBytes), true, english);
}

// A word that a key deletes is said whole, unless it is a run too long to hear.
std::string TMainForm::DeletionSaid(const std::string& displayBytes) {
    if (displayBytes.size() > WordEchoMax) return StartSaid(displayBytes, EnglishSpeech());
    return SpokenVni(displayBytes);
}

void TMainForm::SelectionKeyDown(int key, bool shift) {
    FKeys.SelectingFrom.reset();
    if (!shift || !MovesSelectionEnd(key) || !SayChanges()) return;
    const int start = Editor->SelStart();
    FKeys.SelectingFrom = std::pair{start, start + Editor->SelLength()};
}

// Text gained is said as it is (a long piece by its start); text lost after the name of its
// loss. A key that moved nothing was at the edge.
void TMainForm::SelectionKeyUp(int key) {
    if (!FKeys.SelectingFrom || key != FKeys.DownKey) return;
    const auto [oldStart, oldEnd] = *FKeys.SelectingFrom;
    FKeys.SelectingFrom.reset();
    KeepLetterWhole(key == Qt::Key_Right || key == Qt::Key_Down || key == Qt::Key_End ||
                    key == Qt::Key_PageDown);
    const int start = Editor->SelStart();
    const auto u = [](int n) { return static_cast<std::size_t>(n); };
    const TSelectionChange c =
        SelectionChange(u(oldStart), u(oldEnd), u(start), u(start + Editor->SelLength()));
    const auto piece = [this](std::size_t from, std::size_t to) {
        const std::string bytes = Editor->TextWindow(from, to - from);
        return bytes.size() > WordEchoMax ? StartSaid(bytes, EnglishSpeech()) : SpokenVni(bytes);
    };
    std::string said;
    if (c.AddedEnd > c.AddedStart) said = piece(c.AddedStart, c.AddedEnd);
    if (c.RemovedEnd > c.RemovedStart) {
        if (!said.empty()) said += ", ";
        said += UnselectedName(EnglishSpeech()) + piece(c.RemovedStart, c.RemovedEnd);
    }
    if (said.empty()) return EdgeBeep();
    EchoText(said, VniWinTable);
}

// The moving end of the selection never parts a letter from its mark: it goes on past the
// mark (forward) or back before the letter.
void TMainForm::KeepLetterWhole(bool forward) {
    if (FDocument.Braille()) return;
    QTextCursor c = Editor->textCursor();
    const int end = Editor->DocToText(c.position());
    if (end == 0) return;
    const std::string pair = Editor->TextWindow(static_cast<std::size_t>(end - 1), 2);
    if (LetterLength(pair, 0, true) != 2) return;
    c.setPosition(c.position() + (forward ? 1 : -1), QTextCursor::KeepAnchor);
    Editor->setTextCursor(c);
}

// Said before the echo of a letter that takes the selection's place: the deletion's name and
// the start of what goes.
std::string TMainForm::SelectionReplaced(unsigned char typed) {
    const bool types = typed >= 0x20 || typed == '\t' || typed == '\r';
    if (!types || !SayChanges() || Editor->SelLength() == 0) return {};
    return DeletionName(EnglishSpeech()) + StartSaid(Editor->SelText(), EnglishSpeech()) + ", ";
}

// The match just found and its line on to the end, no longer than a word's echo.
std::string TMainForm::FoundLine() {
    std::string line =
        Editor->TextWindow(static_cast<std::size_t>(Editor->SelStart()), WordEchoMax + 1);
    line.resize(std::min(line.find_first_of("\r\n"), line.size()));
    return SpokenVni(Shortened(std::move(line), WordEchoMax));
}

} // namespace tavi
