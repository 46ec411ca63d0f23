// The Edit menu: selecting a word, a sentence, a paragraph or everything; find, find next and
// replace; the next suspect word; the clipboard and undo, each saying what it does first.
#include "shell/mainform.h"

#include "codes/brailleconverter.h"
#include "dialogs/confirmfrm.h"
#include "dialogs/findfrm.h"
#include "dialogs/spellfrm.h"
#include "dialogs/vntext.h"
#include "document/msrichedit.h"

namespace tavi {

namespace {

// The full stop is the same byte in Braille text (the cell of dots 2 5 6).
constexpr char FullStop = '.';

} // namespace

const std::vector<TMainForm::TCommand>& TMainForm::EditCommands() {
    static const std::vector<TCommand> commands = {{"MESelWord", &TMainForm::SelectWordCommand},
                                                   {"MESelSt", &TMainForm::SelectSentenceCommand},
                                                   {"MESelPar", &TMainForm::SelectParagraphCommand},
                                                   {"MESelAll", &TMainForm::SelectAllCommand},
                                                   {"MEFind", &TMainForm::FindCommand},
                                                   {"MEFindNext", &TMainForm::FindNextCommand},
                                                   {"MEFindRep", &TMainForm::ReplaceCommand},
                                                   {"MEFindErr", &TMainForm::SuspectWordCommand},
                                                   {"MECopy", &TMainForm::CopyCommand},
                                                   {"MECut", &TMainForm::CutCommand},
                                                   {"MEPaste", &TMainForm::PasteCommand},
                                                   {"MEUndo", &TMainForm::UndoCommand}};
    return commands;
}

void TMainForm::SaySelected(const char* key) {
    Announce(Editor->SelLength() == 0 ? "zzzmesgp " : key);
}

void TMainForm::SelectWordCommand() {
    Editor->SelectSegment(" !?\t\n\r");
    SaySelected(" zzzmesfg ");
}

// The sentence with its end mark.
void TMainForm::SelectSentenceCommand() {
    Editor->SelectSegment(std::string("!?\r\n") + FullStop);
    const int end = Editor->SelStart() + Editor->SelLength();
    const TCaretText after = Editor->CaretText();
    const int mark = end < Editor->TextLength() ? after.At(static_cast<std::size_t>(end)) : -1;
    if (mark == '!' || mark == '?' || mark == FullStop)
        Editor->SetSelLength(Editor->SelLength() + 1);
    SaySelected(" zzzmesfh ");
}

void TMainForm::SelectParagraphCommand() {
    Editor->SelectSegment("\r\n");
    SaySelected(" zzzmesfi ");
}

void TMainForm::SelectAllCommand() {
    Editor->SelectAllText();
    SaySelected(" zzzmesfja ");
}

TDocumentLook TMainForm::Look() const {
    return {FDocument.Braille(), EnglishSpeech()};
}

// Finds from a position; says whether it did.
bool TMainForm::FindFrom(int start, int options) {
    if (Editor->Find(FSearch.FindText, start, Editor->TextLength(), options) >= 0) {
        // The match is read in its place, so that typing over it is no surprise.
        Announce(" zzzmesbr " + (SayChanges() ? FoundLine() : std::string()));
        return true;
    }
    Report(" zzzmesbsa ", "Tavi không tìm thấy .Kết thúc tìm kiếm.");
    return false;
}

void TMainForm::FindCommand() {
    TFindFrm dialog(*this, Look(), this);
    if (ShowModal(dialog) == mrOk) {
        if (Editor->TextLength() == 0) {
            Announce("zzzmesgo ");
        } else {
            FSearch.ReplaceMode = false;
            FSearch.FindText = dialog.Text();
            FindFrom(Editor->SelStart(), FindWholeWord); // letter case ignored
        }
    }
    WaitWhileSpeaking();
    Announce("zzzmesa");
}

// Replaces the match just found, when the user says so.
bool TMainForm::AskToReplace() {
    TConfirmFrm confirm(*this, this);
    const std::string question = Vni("Thay thế chuỗi ") + FSearch.FindText + "\r\n" +
                                 Vni("Bằng chuỗi ") + FSearch.ReplaceText;
    confirm.Prompt = question;
    confirm.SetQuestion(question + "?");
    if (ShowModal(confirm) != mrOk) return false;
    Editor->SetSelText(FSearch.ReplaceText);
    return true;
}

void TMainForm::FindNextCommand() {
    if (FSearch.FindText.empty()) {
        WaitWhileSpeaking();
        Announce("zzzmesa");
        return;
    }
    if (FindFrom(Editor->SelStart() + 1, FindWholeWord + FindMatchCase) && FSearch.ReplaceMode)
        AskToReplace();
}

void TMainForm::ReplaceCommand() {
    TReplaceFrm dialog(*this, Look(), this);
    const int result = ShowModal(dialog);
    if (result == mrOk || result == mrAll) {
        FSearch.ReplaceMode = true;
        FSearch.FindText = dialog.Find();
        FSearch.ReplaceText = dialog.ReplaceBy();
        if (Editor->TextLength() == 0) {
            Announce("zzzmesgo ");
        } else if (result == mrOk) {
            if (FindFrom(Editor->SelStart(), FindWholeWord + FindMatchCase) && AskToReplace())
                Announce("zzzmesen ");
        } else if (Editor->ReplaceAll(FSearch.FindText, FSearch.ReplaceText,
                                      FindWholeWord + FindMatchCase) > 0) {
            Announce("zzzmesen ");
        } else {
            // Nothing replaced is not reported as done.
            Report(" zzzmesbsa ", "Tavi không tìm thấy .Kết thúc tìm kiếm.");
        }
    }
    WaitWhileSpeaking();
    Announce("zzzmesa");
}

// The spelling check reads the document as text; in Braille display it is made from the cells
// first, and the positions are carried between the two forms.
void TMainForm::SuspectWordCommand() {
    TSpellFrm dialog(*this, this);
    int found = 0;
    PrepareSpellCheck(dialog, found);
    const int result = ShowModal(dialog); // the word found comes back through found
    SaySpellCheckEnd(dialog, result, found);
    WaitWhileSpeaking();
    Announce("zzzmesa");
}

void TMainForm::PrepareSpellCheck(TSpellFrm& dialog, int& found) {
    const bool braille = FDocument.Braille();
    const std::string shown = Editor->Text();
    // From the end of the selection: a word just found, still selected, is passed over.
    const std::string before =
        shown.substr(0, static_cast<std::size_t>(Editor->SelStart() + Editor->SelLength()));
    dialog.Text = braille ? VniFromBraille(FData.Braille, shown) : shown;
    dialog.StartPosition =
        static_cast<int>(braille ? VniFromBraille(FData.Braille, before).size() : before.size()) +
        1;
    dialog.TextLength = static_cast<int>(dialog.Text.size());
    dialog.Editor.SetTag = [&found](int tag) { found = tag; };
    dialog.Editor.SelectBytes = [this, braille, text = dialog.Text](int start, int length) {
        if (braille) {
            const std::string word =
                text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(length));
            start = static_cast<int>(BrailleFromVni(FData.Braille, text.substr(0, start)).size());
            length = static_cast<int>(BrailleFromVni(FData.Braille, word).size());
        }
        Editor->SetSelStart(start);
        Editor->SetSelLength(length);
    };
}

void TMainForm::SaySpellCheckEnd(const TSpellFrm& dialog, int result, int found) {
    const TSpellThread* worker = dialog.Worker();
    if (worker && !worker->Error().empty()) {
        // The check could not run: said in the words of the error (English text).
        Report(TReport{{}, worker->Error(), {}});
    } else if (result == mrCancel) {
        return;
    } else if (!found || !worker || !worker->Found()) {
        Announce(" zzzmesbsa ");
    } else {
        // The word itself, as the check read it: a word it doubts is mostly spelt out.
        const auto start = static_cast<std::size_t>(worker->Position() - 1);
        const auto length = static_cast<std::size_t>(worker->End() - worker->Position());
        Announce(" zzzmesbr " + dialog.Text.substr(start, length));
    }
}

// The clipboard says what it does, and, while changes are said, the start of the text it
// handles; undo says the start of what it took back.
void TMainForm::CopyCommand() {
    Announce(" zzzmesfl " + (SayChanges() ? StartSaid(Editor->SelText(), false) : std::string()));
    Editor->CopySelection();
}

void TMainForm::CutCommand() {
    Announce(" zzzmesfk " + (SayChanges() ? StartSaid(Editor->SelText(), false) : std::string()));
    Editor->CutSelection();
}

void TMainForm::PasteCommand() {
    const int start = Editor->SelStart();
    if (!SayChanges()) Announce(" zzzmesfm ");
    Editor->PasteClipboard();
    if (!SayChanges()) return;
    const int end = Editor->SelStart();
    const std::string pasted = end > start
                                   ? Editor->TextWindow(static_cast<std::size_t>(start),
                                                        static_cast<std::size_t>(end - start))
                                   : std::string();
    Announce(" zzzmesfm " + (pasted.empty() ? std::string() : StartSaid(pasted, false)));
}

// What was taken back: the text it removed, else the text it put back (nothing of a change of
// form alone).
void TMainForm::UndoCommand() {
    const std::string before = Editor->Text();
    Editor->Undo();
    const TTextChange c = TextChange(before, Editor->Text(), !FDocument.Braille());
    const std::string& undone = c.Removed.empty() ? c.Inserted : c.Removed;
    Announce(" zzzmesfn " + (undone.empty() ? std::string() : StartSaid(undone, false)));
}

} // namespace tavi
