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

std::string Vni(const char* utf8) {
    return VnBytes(QString::fromUtf8(utf8), "Vni for Win");
}

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
    return {FBrailleShown, EnglishSpeech()};
}

// Finds from a position; says whether it did.
bool TMainForm::FindFrom(int start, int options) {
    if (Editor->Find(FFindText, start, Editor->TextLength(), options) >= 0) {
        Announce(" zzzmesbr ");
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
            FReplaceMode = 0;
            FFindText = dialog.Text();
            FindFrom(Editor->SelStart(), FindWholeWord); // letter case ignored
        }
    }
    WaitWhileSpeaking();
    Announce("zzzmesa");
}

// Replaces the match just found, when the user says so.
bool TMainForm::AskToReplace() {
    TConfirmFrm confirm(*this, this);
    const std::string question =
        Vni("Thay thế chuỗi ") + FFindText + "\r\n" + Vni("Bằng chuỗi ") + FReplaceText;
    confirm.Prompt = question;
    confirm.SetQuestion(question + "?");
    if (ShowModal(confirm) != mrOk) return false;
    Editor->SetSelText(FReplaceText);
    return true;
}

void TMainForm::FindNextCommand() {
    if (FFindText.empty()) {
        WaitWhileSpeaking();
        Announce("zzzmesa");
        return;
    }
    if (FindFrom(Editor->SelStart() + 1, FindWholeWord + FindMatchCase) && FReplaceMode == 1)
        AskToReplace();
}

void TMainForm::ReplaceCommand() {
    TReplaceFrm dialog(*this, Look(), this);
    const int result = ShowModal(dialog);
    if (result == mrOk || result == mrAll) {
        FReplaceMode = 1;
        FFindText = dialog.Find();
        FReplaceText = dialog.ReplaceBy();
        if (Editor->TextLength() == 0) {
            Announce("zzzmesgo ");
        } else if (result == mrOk) {
            if (FindFrom(Editor->SelStart(), FindWholeWord + FindMatchCase) && AskToReplace())
                Announce("zzzmesen ");
        } else if (Editor->ReplaceAll(FFindText, FReplaceText, FindWholeWord + FindMatchCase) > 0) {
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
    const bool braille = FBrailleShown;
    const std::string shown = Editor->Text();
    const int caret = Editor->SelStart();
    TSpellFrm dialog(*this, this);
    try {
        dialog.Text = braille ? VniFromBraille(FBraille, shown) : shown;
        const std::string before = shown.substr(0, static_cast<std::size_t>(caret));
        dialog.StartPosition =
            static_cast<int>(braille ? VniFromBraille(FBraille, before).size() : before.size()) + 1;
    } catch (const std::exception& e) {
        return ApplicationException(&e); // the Braille tables cannot be read
    }
    dialog.TextLength = static_cast<int>(dialog.Text.size());
    int found = 0;
    const std::string text = dialog.Text;
    dialog.Editor.SetTag = [&found](int tag) { found = tag; };
    dialog.Editor.SelectBytes = [this, braille, &text](int start, int length) {
        if (braille) {
            const std::string word =
                text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(length));
            start = static_cast<int>(BrailleFromVni(FBraille, text.substr(0, start)).size());
            length = static_cast<int>(BrailleFromVni(FBraille, word).size());
        }
        Editor->SetSelStart(start);
        Editor->SetSelLength(length);
    };
    const int result = ShowModal(dialog);
    const TSpellThread* worker = dialog.Worker();
    if (worker && !worker->Error().empty()) {
        // The check could not run: said in the words of the error (English text).
        if (SoundOn())
            SpeakText(worker->Error(), VniWinTable, true, false);
        else
            Report("", worker->Error().c_str());
    } else if (result != mrCancel) {
        Announce(found ? " zzzmesbr " : " zzzmesbsa ");
    }
    WaitWhileSpeaking();
    Announce("zzzmesa");
}

// The clipboard and undo say what they do, then do it.
void TMainForm::CopyCommand() {
    Announce(" zzzmesfl ");
    Editor->CopySelection();
}

void TMainForm::CutCommand() {
    Announce(" zzzmesfk ");
    Editor->CutSelection();
}

void TMainForm::PasteCommand() {
    Announce(" zzzmesfm ");
    Editor->PasteClipboard();
}

void TMainForm::UndoCommand() {
    Announce(" zzzmesfn ");
    Editor->Undo();
}

} // namespace tavi
