#include "mail/sendmfrm.h"

#include "dialogs/composingfield.h"
#include "document/editecho.h"
#include "platform/bytechars.h"

#include <QFormLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tavi {

namespace {

bool NoModifier(const QKeyEvent& key) {
    return !(key.modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
}

} // namespace

TSendMfrm::TSendMfrm(ITalker& talker, QWidget* parent) : TTalkingDialog(talker, parent) {
    setWindowTitle(QString::fromUtf8("Gửi văn bản qua thư"));
    EdRecip = new QLineEdit(this);
    EdSubject = new QLineEdit(this);
    BtOK = new QPushButton(QString::fromUtf8("&Chọn"), this);
    BtCancel = new QPushButton(QString::fromUtf8("&Hủy bỏ"), this);
    auto* form = new QFormLayout;
    form->addRow(QString::fromUtf8("&Gửi tới:"), EdRecip);
    form->addRow(QString::fromUtf8("Chủ &đề:"), EdSubject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(ButtonRow({BtOK, BtCancel}));

    SetSpokenNames({" zzzmesgb ", " zzzmesgc ", "cho\xEFn", "hu\xFBy bo\xFB"}); // chọn, hủy bỏ
    SetTag(EdRecip, 0);
    SetTag(EdSubject, 1);
    SetTag(BtOK, 2);
    SetTag(BtCancel, 3);
    BtOK->setEnabled(false);
    connect(EdRecip, &QLineEdit::textChanged, BtOK,
            [this](const QString& text) { BtOK->setEnabled(!text.isEmpty()); });
    connect(BtOK, &QPushButton::clicked, this, [this] { done(mrOk); });
    connect(BtCancel, &QPushButton::clicked, this, [this] { done(mrCancel); });
    MakeSubjectField();
    EdRecip->setFocus();
}

// The subject is Vietnamese text, typed and said as the find field's: tone keys are named,
// letters said as the keyboards make them. F1 stays the dialog's.
void TSendMfrm::MakeSubjectField() {
    TComposingRules rules;
    rules.OnEnter = [this] {
        if (!EdRecip->text().isEmpty()) return done(mrOk);
        // Nowhere to send it yet: back to the address.
        Talk().PlayBeep();
        EdRecip->setFocus();
    };
    rules.OnEscape = [this] { done(mrCancel); };
    new TComposingField(EdSubject, Talk(), std::move(rules));
}

void TSendMfrm::SayLetter(const std::string& letter) {
    if (letter.empty()) return;
    const bool capital = letter[0] >= 'A' && letter[0] <= 'Z';
    Talk().Echo(capital ? letter + " hoa" : letter);
}

bool TSendMfrm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn && PlainKeys &&
        (watched == EdRecip || watched == EdSubject))
        PlainKeys(watched == EdRecip);
    const bool keyEvent = event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease;
    if (keyEvent) {
        const auto& key = *static_cast<QKeyEvent*>(event);
        if (event->type() == QEvent::KeyRelease && key.key() == Qt::Key_F1 && NoModifier(key)) {
            Talk().Announce("zzzmesla ");
            return true;
        }
        if (watched == EdRecip) {
            if (event->type() == QEvent::KeyRelease) {
                KeyUp(EdRecip, key);
                return false;
            }
            KeyDown(EdRecip, key);
            return KeyPress(key);
        }
    }
    return TTalkingDialog::eventFilter(watched, event);
}

// The address's own keys: Enter goes on to the subject.
bool TSendMfrm::KeyPress(const QKeyEvent& key) {
    if (key.key() == Qt::Key_Escape) {
        done(mrCancel);
        return true;
    }
    if (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) {
        EdSubject->setFocus();
        return true;
    }
    const QString typed = key.text();
    if (typed.isEmpty() || (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier)) ||
        !Talk().SoundOn())
        return false;
    const int byte = CharToByte(typed.at(0).unicode());
    if (byte >= 0x20 && byte != 0x7F) SayLetter(std::string(1, static_cast<char>(byte)));
    return false;
}

void TSendMfrm::KeyDown(QLineEdit* field, const QKeyEvent& key) {
    if (!Talk().SoundOn() || !NoModifier(key)) return;
    const int pos = field->cursorPosition();
    if (key.key() == Qt::Key_Left && pos == 0) Talk().PlayBeep();
    if (key.key() != Qt::Key_Right) {
        LastCaret = pos;
        return;
    }
    // The arrow passes a letter with its mark at once.
    const TFieldKeyEcho echo = FieldKeyEcho(TFieldKey::Right, FieldCaret(field), true);
    if (echo.Beep) return Talk().PlayBeep();
    if (echo.CaretTo) field->setCursorPosition(static_cast<int>(*echo.CaretTo));
    SayLetter(echo.Said);
}

void TSendMfrm::KeyUp(QLineEdit* field, const QKeyEvent& key) {
    if (key.modifiers() == Qt::ControlModifier && key.key() == Qt::Key_A) {
        field->selectAll();
        return;
    }
    if (!Talk().SoundOn() || !NoModifier(key)) return;
    const std::string text = FieldBytes(field);
    if (key.key() == Qt::Key_F8) {
        if (!text.empty()) Talk().Echo(text);
        return;
    }
    const int pos = field->cursorPosition();
    if (key.key() != Qt::Key_Left || pos == LastCaret || pos >= static_cast<int>(text.size()))
        return;
    // Landed on a mark: the letter starts one further left.
    const TFieldKeyEcho echo = FieldKeyEcho(TFieldKey::Left, FieldCaret(field), true);
    if (echo.CaretTo) field->setCursorPosition(static_cast<int>(*echo.CaretTo));
    SayLetter(echo.Said);
}

} // namespace tavi
