#include "dialogs/composingfield.h"

#include "codes/keyboardfilter.h"
#include "dialogs/talkingdialog.h"
#include "document/doctext.h"
#include "document/editecho.h"
#include "platform/bytechars.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace tavi {

namespace {

bool NoModifiers(const QKeyEvent& key) {
    return !(key.modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
}

} // namespace

TComposingField::TComposingField(QLineEdit* field, ITalker& talker, TComposingRules rules)
    : QObject(field), Field(field), Talker(talker), Rules(std::move(rules)) {
    // The field's own key-down handler sees each key before the keyboards compose with it.
    SetKeyboardsAfterKeyDown(field);
    field->installEventFilter(this);
    connect(field, &QLineEdit::textChanged, this, [this] { Changed(); });
}

TCaretText TComposingField::Caret() const {
    return TTalkingDialog::FieldCaret(Field);
}

// Everything the field says is document text, its punctuation read, in the chosen voice.
void TComposingField::Echo(const std::string& text, bool inBraille) {
    Talker.SpeakText(text, inBraille ? BrailleTableName : VniWinTable, Rules.English, true);
}

void TComposingField::SayDeletion(const std::string& piece) {
    Echo(DeletionName(Rules.English) + (piece == " " ? SpaceName(Rules.English) : piece));
}

void TComposingField::ClearByte(int pos) {
    Field->setSelection(pos, 1);
    Field->del();
}

bool TComposingField::eventFilter(QObject* watched, QEvent* event) {
    if (watched != Field) return false;
    if (event->type() == QEvent::KeyRelease) {
        KeyUp(*static_cast<QKeyEvent*>(event));
        return false;
    }
    if (event->type() != QEvent::KeyPress) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Escape && Rules.OnEscape) {
        Rules.OnEscape();
        return true;
    }
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && Rules.OnEnter) {
        Rules.OnEnter();
        return true;
    }
    // A key a keyboard delivers itself (a letter composed, a cell typed) has no key-down.
    if (!IsKeyboardDelivery(*key)) {
        KeyDown(*key);
        if (DeliverThroughKeyboards(Field, key)) return true;
    }
    KeyPress(*key);
    return false;
}

void TComposingField::KeyDown(const QKeyEvent& key) {
    Echoed = false;
    Placed = false;
    const TCaretText t = Caret();
    if (Rules.Braille) {
        if (NoModifiers(key)) BrailleKeyDown(key.key(), t);
    } else if (key.key() == Qt::Key_Delete || NoModifiers(key))
        TextKeyDown(key.key(), t);
    LastCaret = Field->cursorPosition();
}

void TComposingField::TextKeyDown(int key, const TCaretText& t) {
    const bool sound = Talker.SoundOn();
    const int before = t.Caret > 0 ? t.At(t.Caret - 1) : -1;
    if (key >= Qt::Key_6 && key <= Qt::Key_9 && sound) {
        const TAccentEcho echo = AccentKeyEcho(static_cast<char>(key), before);
        if (!echo.Letter.empty()) Echo(echo.Letter);
        Pending = Pending || echo.Pending;
        Echoed = !echo.Letter.empty() || echo.Pending;
    } else if (key >= Qt::Key_1 && key <= Qt::Key_5 && sound && IsToneVowel(before)) {
        Echo(ToneMarkName(key - Qt::Key_0));
        Echoed = true;
    } else if (key == Qt::Key_Left && t.Length == 0 && sound) {
        Talker.PlayBeep();
    } else if (key == Qt::Key_Delete || key == Qt::Key_Right || key == Qt::Key_Backspace) {
        PassOrDelete(key, t);
    }
}

// The key's echo; Backspace at the start beeps also without sound.
void TComposingField::PassOrDelete(int key, const TCaretText& t) {
    const TFieldKey which = key == Qt::Key_Right    ? TFieldKey::Right
                            : key == Qt::Key_Delete ? TFieldKey::Delete
                                                    : TFieldKey::Backspace;
    const TFieldKeyEcho echo = FieldKeyEcho(which, t, !Rules.Braille);
    if (echo.Beep) {
        if (Talker.SoundOn() || which == TFieldKey::Backspace) Talker.PlayBeep();
        return;
    }
    if (echo.ClearByte) ClearByte(static_cast<int>(*echo.ClearByte));
    if (echo.CaretTo) Field->setCursorPosition(static_cast<int>(*echo.CaretTo));
    if (echo.Selection)
        Echo(DeletionName(Rules.English) + " " + echo.Said);
    else if (echo.Deletion)
        SayDeletion(echo.Said);
    else
        Echo(echo.Said, Rules.Braille);
}

void TComposingField::BrailleKeyDown(int key, const TCaretText& t) {
    if (!Talker.SoundOn()) return;
    if (key == Qt::Key_Backspace || key == Qt::Key_Right || key == Qt::Key_Delete)
        PassOrDelete(key, t);
}

// What a key typed: its character, or, when a keyboard composed a letter in its place, that
// letter (unless the key-down said it already).
void TComposingField::KeyPress(const QKeyEvent& key) {
    if (!Talker.SoundOn() || key.key() == Qt::Key_Backspace) return;
    const QString text = key.text();
    if (text.isEmpty()) {
        const TCaretText t = Caret();
        if (Placed && !Echoed && t.Caret > 0) Echo(LetterBefore(t, !Rules.Braille).Bytes);
        return;
    }
    const int byte = CharToByte(text.at(0).unicode());
    if (byte >= 0x20 && byte != 0x7F) Echo(std::string(1, static_cast<char>(byte)), Rules.Braille);
}

void TComposingField::KeyUp(const QKeyEvent& key) {
    if (key.modifiers() == Qt::ControlModifier && key.key() == Qt::Key_A) {
        Field->selectAll();
        return;
    }
    if (!Talker.SoundOn() || !NoModifiers(key)) return;
    if (key.key() == Qt::Key_F1) {
        if (!Rules.HelpKey.empty()) Talker.Announce(Rules.HelpKey);
    } else if (key.key() == Qt::Key_F8) {
        const std::string text = TTalkingDialog::FieldBytes(Field);
        if (!text.empty())
            Talker.SpeakText(text, Rules.Braille ? BrailleTableName : VniWinTable,
                             Rules.EnglishF8 && Rules.English, true);
    } else if (key.key() == Qt::Key_Left) {
        const TCaretText t = Caret();
        if (Field->cursorPosition() == LastCaret || t.Length == 0) return Talker.PlayBeep();
        const TFieldKeyEcho echo = FieldKeyEcho(TFieldKey::Left, t, !Rules.Braille);
        if (echo.CaretTo) Field->setCursorPosition(static_cast<int>(*echo.CaretTo));
        Echo(echo.Said, Rules.Braille);
    }
}

void TComposingField::Changed() {
    Placed = true;
    if (!Pending) return;
    Pending = false;
    const TCaretText t = Caret();
    if (t.Caret > 0) Echo(std::string(1, static_cast<char>(t.At(t.Caret - 1))));
}

} // namespace tavi
