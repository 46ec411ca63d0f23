#include "dialogs/talkingdialog.h"

#include "document/editecho.h"
#include "platform/qbytechars.h"

#include <QEvent>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

namespace tavi {

namespace {

constexpr const char* TagProperty = "tag";

Qt::KeyboardModifiers Modifiers(const QKeyEvent* key) {
    return key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
}

} // namespace

TTalkingDialog::TTalkingDialog(ITalker& talker, QWidget* parent)
    : QDialog(parent), Talker(talker) {}

void TTalkingDialog::SetTag(QWidget* control, int tag) {
    control->setProperty(TagProperty, tag);
    control->installEventFilter(this);
}

int TTalkingDialog::Tag(const QWidget* control) {
    const QVariant v = control->property(TagProperty);
    return v.isValid() ? v.toInt() : -1;
}

TCaretText TTalkingDialog::FieldCaret(const QLineEdit* field) {
    TCaretText t;
    t.Bytes = FieldBytes(field);
    t.Caret = static_cast<std::size_t>(field->hasSelectedText() ? field->selectionStart()
                                                                : field->cursorPosition());
    t.SelLength = static_cast<std::size_t>(field->selectedText().size());
    t.Length = t.Bytes.size();
    return t;
}

std::string TTalkingDialog::FieldBytes(const QLineEdit* field) {
    // Every character reaches a field through the byte map, so the text always has its bytes.
    return QStringToBytes(field->text()).value_or(std::string());
}

void TTalkingDialog::SetFieldBytes(QLineEdit* field, const std::string& bytes) {
    field->setText(BytesToQString(bytes));
}

void TTalkingDialog::MakeTalkingField(QLineEdit* field, TFieldRules rules) {
    field->installEventFilter(this);
    if (rules.OkButton) {
        QPushButton* ok = rules.OkButton;
        ok->setEnabled(!field->text().isEmpty());
        connect(field, &QLineEdit::textChanged, ok,
                [ok](const QString& text) { ok->setEnabled(!text.isEmpty()); });
    }
    Fields.emplace_back(field, std::move(rules));
}

std::string TTalkingDialog::SpokenName(const QWidget* control) const {
    const int tag = Tag(control);
    return tag >= 0 && static_cast<std::size_t>(tag) < SpokenNames.size()
               ? SpokenNames[static_cast<std::size_t>(tag)]
               : std::string();
}

void TTalkingDialog::ControlFocused(QWidget* control) {
    const std::string name = SpokenName(control);
    if (!name.empty()) Talker.Announce(name);
}

bool TTalkingDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        auto* w = qobject_cast<QWidget*>(watched);
        // The control that had the keyboard gets it again with its window: named once.
        const bool again =
            static_cast<QFocusEvent*>(event)->reason() == Qt::ActiveWindowFocusReason &&
            w == LastFocused;
        if (w && Tag(w) >= 0 && !again) ControlFocused(w);
        LastFocused = w;
        return false;
    }
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
    for (auto& [field, rules] : Fields) {
        if (field != watched) continue;
        auto* key = static_cast<QKeyEvent*>(event);
        return event->type() == QEvent::KeyPress ? FieldKeyPress(field, rules, key)
                                                 : FieldKeyRelease(field, rules, key);
    }
    return false;
}

bool TTalkingDialog::FieldKeyPress(QLineEdit* field, const TFieldRules& rules, QKeyEvent* key) {
    // Tab only moves on; the next control says its own name.
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) return false;
    const auto mods = Modifiers(key);
    if (rules.Secret && key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter &&
        key->key() != Qt::Key_Escape) {
        Talker.PlayBeep();
        return false;
    }
    // Moving over a character says it; at either end of the field there is nothing to pass.
    if (Talker.SoundOn() && mods == Qt::NoModifier &&
        (key->key() == Qt::Key_Left || key->key() == Qt::Key_Right)) {
        SayPassed(field, key->key() == Qt::Key_Left);
        return false;
    }
    if (key->matches(QKeySequence::SelectAll)) return !rules.CtrlASelectsAll; // done on release
    const QString typed = key->text();
    if (typed.isEmpty() || (mods & (Qt::ControlModifier | Qt::AltModifier))) return false;
    const int byte = CharToByte(typed.at(0).unicode());
    if (byte < 0) return true; // not a character of the program
    const unsigned char ch = static_cast<unsigned char>(byte);
    const std::string one(1, static_cast<char>(ch));
    if (ch == '\r' || (ch == 0x1B && rules.HandleEscape)) {
        if (rules.EchoEnterAndEscape) Talker.Echo(one);
        if (ch == 0x1B)
            done(mrCancel);
        else if (rules.OnEnter)
            rules.OnEnter();
        else
            done(mrOk);
        return true;
    }
    if (IsRefused(rules.Refused, ch)) {
        if (rules.BeepWhenSilent || Talker.SoundOn()) Talker.PlayBeep();
        return true;
    }
    if (field->maxLength() > 0 && field->text().size() >= field->maxLength() &&
        !field->hasSelectedText()) {
        Talker.PlayBeep(); // the field is full
        return true;
    }
    Talker.Echo(one);
    return ch == 0x1B; // Escape let through as a character changes nothing in the field
}

void TTalkingDialog::SayPassed(const QLineEdit* field, bool left) {
    TCaretText t = FieldCaret(field);
    if (left) {
        if (t.Caret == 0) return Talker.PlayBeep();
        --t.Caret; // where the key, which acts after this, takes the caret
    }
    const TFieldKeyEcho echo = FieldKeyEcho(left ? TFieldKey::Left : TFieldKey::Right, t, false);
    if (echo.Beep) return Talker.PlayBeep();
    Talker.Echo(echo.Said);
}

bool TTalkingDialog::FieldKeyRelease(QLineEdit* field, const TFieldRules& rules, QKeyEvent* key) {
    const auto mods = Modifiers(key);
    if (rules.CtrlASelectsAll && mods == Qt::ControlModifier && key->key() == Qt::Key_A) {
        field->selectAll();
        return true;
    }
    if (!Talker.SoundOn() || mods != Qt::NoModifier) return false;
    if (key->key() == Qt::Key_F8) {
        const std::string text = rules.Secret ? std::string() : FieldBytes(field);
        if (!text.empty()) Talker.Echo(text);
        return true;
    }
    if (key->key() == Qt::Key_F1) {
        if (!rules.HelpKey.empty()) Talker.Announce(rules.HelpKey);
        return true;
    }
    return false;
}

QHBoxLayout* TTalkingDialog::ButtonRow(std::initializer_list<QWidget*> buttons) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (QWidget* b : buttons) row->addWidget(b);
    return row;
}

} // namespace tavi
