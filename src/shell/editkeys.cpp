// What the editor says while the user types, moves and deletes: the editor's key handlers.
// The decisions on the bytes around the caret are in shell/editecho; here they are carried
// out in the order the keys arrive: key-down, the keyboards, key press, change, key-up.
#include "shell/mainform.h"

#include "document/editecho.h"
#include "document/msrichedit.h"
#include "shell/menudefs.h"

#include <chrono>

namespace tavi {

namespace {

// The modifiers as the key handlers test them; a key of the numeric keypad is no modifier.
struct TShift {
    bool Shift, Ctrl, Alt;
    bool None() const { return !Shift && !Ctrl && !Alt; }
    bool OnlyCtrl() const { return Ctrl && !Shift && !Alt; }
    bool OnlyAlt() const { return Alt && !Shift && !Ctrl; }
};

TShift ShiftOf(Qt::KeyboardModifiers mods) {
    return {mods.testFlag(Qt::ShiftModifier), mods.testFlag(Qt::ControlModifier),
            mods.testFlag(Qt::AltModifier)};
}

bool IsKeypad(Qt::KeyboardModifiers mods) {
    return mods.testFlag(Qt::KeypadModifier);
}

// Ctrl with these letter keys announces its menu command, when the command can run.
struct TClipboardKey {
    int key;
    const char* command;
    const char* prompt;
};
constexpr TClipboardKey ClipboardKeys[] = {{Qt::Key_C, "MECopy", " zzzmesfl "},
                                           {Qt::Key_V, "MEPaste", " zzzmesfm "},
                                           {Qt::Key_X, "MECut", " zzzmesfk "},
                                           {Qt::Key_Z, "MEUndo", " zzzmesfn "}};

} // namespace

void TMainForm::EchoText(const std::string& text, const char* codeTable) {
    SpeakText(text, codeTable, EnglishSpeech(), ReadControlChars());
}

void TMainForm::EchoDisplayText(const std::string& text) {
    EchoText(text, FDocument.Braille() ? BrailleTableName : VniWinTable);
}

void TMainForm::SpeakDeletion(const std::string& piece, bool readControlChars) {
    const TSpeakSettings s = SpeechSettings();
    const std::string what =
        !piece.empty() && piece[0] == ' ' ? SpaceName(!s.VietnameseNames) : piece;
    SpeakText(DeletionName(s.EnglishNames) + what, VniWinTable, s.EnglishNames, readControlChars);
}

// Removes one byte of the text; the key's own deletion then removes its neighbour, so that a
// two-byte letter goes as one.
void TMainForm::ClearByte(std::size_t pos) {
    Editor->SetSelStart(static_cast<int>(pos));
    Editor->SetSelLength(1);
    Editor->ClearSelection();
}

void TMainForm::EditorKeyDown(int& key, Qt::KeyboardModifiers mods) {
    FKeys.DownKey = key;
    FKeys.DownMods = mods;
    FKeys.HandledKey = key;
    if (ConversionKey(key, mods, true)) return;
    const TShift shift = ShiftOf(mods);
    const TCaretText t = Editor->CaretText();
    SelectionKeyDown(key, shift.Shift);
    FKeys.Echoed = false;
    FKeys.Placed = false;
    if (shift.None() && !IsKeypad(mods) && key >= Qt::Key_1 && key <= Qt::Key_9)
        AccentKeyDown(static_cast<char>(key), t);
    if (key == Qt::Key_Left && t.Length == 0) EdgeBeep();
    if (key == Qt::Key_Delete) DeleteKeyDown(shift.None(), shift.Ctrl, t);
    if (key == Qt::Key_Right) {
        RightKeyDown(shift.None(), shift.OnlyCtrl(), t);
    } else if (shift.None() && (key == Qt::Key_Up || key == Qt::Key_Down)) {
        FKeys.LastLine = Editor->CaretLine();
    }
    FKeys.LastColumn = Editor->CaretColumn();
    FKeys.LastCaret = Editor->SelStart();
    if (shift.Ctrl) {
        CtrlKeyDown(key, IsKeypad(mods));
    } else if (key == Qt::Key_Backspace) {
        BackspaceKeyDown(t);
    }
    if (key == Qt::Key_Delete) FDocument.TextBeforeTranslation.clear();
}

// The accent keys speak the letter they make, the tone keys the name of their tone.
void TMainForm::AccentKeyDown(char key, const TCaretText& t) {
    if (FDocument.Braille() || !SoundOn() || Options().Echo() != TEchoMode::Char) return;
    const int before = t.Caret > 0 ? t.At(t.Caret - 1) : -1;
    if (key >= '6') {
        const TAccentEcho echo = AccentKeyEcho(key, before);
        if (!echo.Letter.empty()) EchoText(echo.Letter, VniWinTable);
        FKeys.PendingEcho = FKeys.PendingEcho || echo.Pending;
        FKeys.Echoed = !echo.Letter.empty() || echo.Pending;
    } else if (t.Length > 0 && IsToneVowel(before)) {
        EchoText(ToneMarkName(key - '0'), VniWinTable);
        FKeys.Echoed = true;
    }
}

void TMainForm::DeleteKeyDown(bool noModifiers, bool ctrl, const TCaretText& t) {
    if (!noModifiers) {
        if (ctrl)
            WordDeletionKeyDown(false);
        else
            EdgeBeep();
    } else {
        ActOnDeletion(FieldKeyEcho(TFieldKey::Delete, t, !FDocument.Braille()), true);
    }
}

void TMainForm::BackspaceKeyDown(const TCaretText& t) {
    ActOnDeletion(FieldKeyEcho(TFieldKey::Backspace, t, !FDocument.Braille()), ReadControlChars());
}

// A selection deleted is named only, or by its start while changes are said: it may be long.
void TMainForm::ActOnDeletion(const TFieldKeyEcho& echo, bool readControlChars) {
    if (echo.Beep) return EdgeBeep();
    if (echo.ClearByte) ClearByte(*echo.ClearByte);
    if (echo.Selection)
        return SpeakDeletion(SayChanges() ? StartSaid(echo.Said, EnglishSpeech()) : "", true);
    SpeakDeletion(echo.Said, readControlChars);
}

// Ctrl+Backspace and Ctrl+Delete say the word they take as Backspace says the letter; with a
// selection they take the selection, as Backspace does.
void TMainForm::WordDeletionKeyDown(bool before) {
    const std::string word = Editor->WordDeletion(before);
    if (word.empty()) return EdgeBeep();
    if (Editor->SelLength() > 0)
        return SpeakDeletion(SayChanges() ? StartSaid(word, EnglishSpeech()) : "", true);
    SpeakDeletion(DeletionSaid(word), ReadControlChars());
}

void TMainForm::RightKeyDown(bool noModifiers, bool onlyCtrl, const TCaretText& t) {
    if (!noModifiers && !onlyCtrl) return;
    if (t.Caret >= t.Length) return EdgeBeep();
    std::string piece;
    if (noModifiers) {
        const TFieldKeyEcho echo = FieldKeyEcho(TFieldKey::Right, t, !FDocument.Braille());
        // The key's own move then passes the mark.
        if (echo.CaretTo) Editor->SetSelStart(static_cast<int>(*echo.CaretTo));
        piece = echo.Said;
    } else {
        piece = t.SegmentText(" \t\n\r");
    }
    if (SoundOn() && !piece.empty()) EchoDisplayText(piece);
}

void TMainForm::CtrlKeyDown(int key, bool keypad) {
    if (key == Qt::Key_Backspace) return WordDeletionKeyDown(true);
    if (keypad) return;
    for (const TClipboardKey& k : ClipboardKeys)
        if (key == k.key && Action(k.command)->isEnabled()) Announce(k.prompt);
}

void TMainForm::EditorKeyPress(char& ch) {
    FDocument.TextBeforeTranslation.clear();
    const auto c = static_cast<unsigned char>(ch);
    if (!SoundOn() || c == 8 || c == 127) return;
    // Control characters that Ctrl and a letter type have no sound and must not cut off what
    // is being said (Ctrl+Alt characters are said at key-up).
    if (c != 0 && c < 0x20 && c != '\t' && c != '\r') return;
    const bool vni = !FDocument.Braille();
    // A key whose letter was spoken at key-down or after the change is not spoken again.
    const TTypedEcho echo =
        TypedEcho(c, Options().Echo(), vni, Editor->CaretText(), FKeys.Placed && !FKeys.Echoed);
    const std::string replaced = SelectionReplaced(c);
    if (!replaced.empty()) {
        // One utterance, so that the letter does not cut off what it replaces.
        const std::string piece =
            echo.Braille || echo.FromBraille ? VniOfBraille(echo.Piece) : echo.Piece;
        EchoText(replaced + piece, VniWinTable);
    } else if (echo.Piece.empty()) {
        return;
    } else if (echo.Braille) {
        EchoText(echo.Piece, BrailleTableName);
    } else if (echo.FromBraille) {
        EchoText(VniOfBraille(echo.Piece), VniWinTable);
    } else {
        EchoText(echo.Piece, VniWinTable);
    }
}

std::string TMainForm::VniOfBraille(const std::string& braille) {
    try {
        FData.Braille.SetSourceTable(BrailleTableName);
        FData.Braille.SetDestTable(VniWinTable);
        return FData.Braille.ConvertText(braille);
    } catch (const std::exception&) {
        return braille; // without the tables, the cells as they are
    }
}

void TMainForm::EditorKeyUp(int& key, Qt::KeyboardModifiers mods) {
    // A key means what it meant as it went down, also when its modifier came up first.
    if (key == FKeys.DownKey) mods = FKeys.DownMods;
    FKeys.HandledKey = key;
    if (ConversionKey(key, mods, false)) return;
    SelectionKeyUp(key);
    const TShift shift = ShiftOf(mods);
    if (!FDocument.Braille() && shift.Ctrl && shift.Alt && !IsKeypad(mods)) CtrlAltKeyUp(key);
    if (key == Qt::Key_Left) {
        LeftKeyUp(shift.None(), shift.OnlyCtrl());
    } else if (shift.None() && (key == Qt::Key_Up || key == Qt::Key_Down)) {
        UpDownKeyUp();
    }
    if ((key == Qt::Key_CapsLock || key == Qt::Key_NumLock) && !shift.Ctrl) UpdateLockPanels(true);
    if (SoundOn()) PositionKeyUp(key, shift.None(), shift.OnlyCtrl(), shift.OnlyAlt());
}

// Ctrl+Alt with a letter or digit types a character of the VNI fonts and says it.
void TMainForm::CtrlAltKeyUp(int key) {
    const int byte = CtrlAltByte(key);
    if (byte <= 0) return;
    const std::string text(1, static_cast<char>(byte));
    Editor->SetSelText(text);
    SpeakText(text, VniWinTable, false, ReadControlChars());
    FDocument.TextBeforeTranslation.clear();
}

void TMainForm::LeftKeyUp(bool noModifiers, bool onlyCtrl) {
    if (!onlyCtrl && !(noModifiers && Editor->TextLength() > 0)) return;
    // A caret that did not move was at the start; one that moved onto an empty line did move.
    if (Editor->CaretColumn() == FKeys.LastColumn && Editor->SelStart() == FKeys.LastCaret)
        return EdgeBeep();
    const TCaretText t = Editor->CaretText();
    std::string piece;
    if (noModifiers) {
        const TFieldKeyEcho echo = FieldKeyEcho(TFieldKey::Left, t, !FDocument.Braille());
        if (echo.CaretTo) Editor->SetSelStart(static_cast<int>(*echo.CaretTo));
        piece = echo.Said;
    } else {
        piece = t.SegmentText(" \t\r\n");
    }
    if (SoundOn() && !piece.empty()) EchoDisplayText(piece);
}

void TMainForm::UpDownKeyUp() {
    if (Editor->CaretLine() == FKeys.LastLine) return EdgeBeep();
    if (!SoundOn()) return;
    std::string line = Editor->GetCaretLineText();
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    if (line.empty())
        Announce("zzzmeseu");
    else
        EchoDisplayText(line);
}

void TMainForm::PositionKeyUp(int key, bool noModifiers, bool onlyCtrl, bool onlyAlt) {
    const bool home = key == Qt::Key_Home, end = key == Qt::Key_End;
    if ((home || end) && (noModifiers || onlyCtrl)) {
        if (Editor->TextLength() == 0) return EdgeBeep();
        if (onlyCtrl)
            Announce(end ? " zzzmesfqa " : " zzzmesfp ");
        else
            Announce(end ? " zzzmesfsa " : " zzzmesfr ");
    } else if (key == Qt::Key_F1 && onlyCtrl) {
        SpeakLockStates();
    } else if (key == Qt::Key_F1 && onlyAlt) {
        Announce(LineAndColumn(Editor->CaretLine() + 1, Editor->CaretLetterColumn() + 1));
    }
}

// A key held at an edge beeps no faster than the beep can be heard: the repeats that waited
// behind its last beep, and those that follow at once, get none of their own. (The repeat
// flag of such waiting events cannot be relied on.)
void TMainForm::EdgeBeep() {
    const auto now = std::chrono::steady_clock::now();
    if (FKeys.HandledKey == FKeys.BeepKey &&
        now - FKeys.LastBeepEnd < std::chrono::milliseconds(60))
        return;
    PlayBeep();
    FKeys.BeepKey = FKeys.HandledKey;
    FKeys.LastBeepEnd = std::chrono::steady_clock::now();
}

void TMainForm::EditorEnter() {
    Announce("zzzmesa");
}

void TMainForm::ReadSelectionCommand() {
    if (!SoundOn()) return;
    if (Editor->SelLength() == 0)
        Announce("zzzmesgn ");
    else
        EchoDisplayText(Editor->SelText());
}

} // namespace tavi
