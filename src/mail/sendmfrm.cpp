#include "mail/sendmfrm.h"

#include "dialogs/composingfield.h"
#include "document/editecho.h"
#include "document/screenfonts.h"
#include "platform/bytechars.h"
#include "platform/qbytechars.h"

#include <QFormLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
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
    EdAnswer = new QLineEdit(this);
    MemoQuote = new QPlainTextEdit(this);
    MemoQuote->setReadOnly(true);
    MemoQuote->setFocusPolicy(Qt::NoFocus);
    MemoQuote->setFont(QFont(VniScreenFont));
    BtOK = new QPushButton(QString::fromUtf8("&Chọn"), this);
    BtCancel = new QPushButton(QString::fromUtf8("&Hủy bỏ"), this);
    Form = new QFormLayout;
    Form->addRow(QString::fromUtf8("&Gửi tới:"), EdRecip);
    Form->addRow(QString::fromUtf8("Chủ &đề:"), EdSubject);
    Form->addRow(QString::fromUtf8("&Lời trả lời:"), EdAnswer);
    Form->addRow(QString::fromUtf8("Thư gốc:"), MemoQuote);
    Form->setRowVisible(EdAnswer, false);
    Form->setRowVisible(MemoQuote, false);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(Form);
    layout->addLayout(ButtonRow({BtOK, BtCancel}));
    setTabOrder(EdSubject, EdAnswer);
    setTabOrder(EdAnswer, BtOK);

    SetSpokenNames({" zzzmesgb ", " zzzmesgc ", "cho\xEFn", "hu\xFBy bo\xFB", // chọn, hủy bỏ
                    " zzzmeskzd "});
    SetTag(EdRecip, 0);
    SetTag(EdSubject, 1);
    SetTag(BtOK, 2);
    SetTag(BtCancel, 3);
    SetTag(EdAnswer, 4);
    BtOK->setEnabled(false);
    connect(EdRecip, &QLineEdit::textChanged, BtOK,
            [this](const QString& text) { BtOK->setEnabled(!text.isEmpty()); });
    connect(BtOK, &QPushButton::clicked, this, [this] { done(mrOk); });
    connect(BtCancel, &QPushButton::clicked, this, [this] { done(mrCancel); });
    MakeTextFields();
    EdRecip->setFocus();
}

void TSendMfrm::SetAnswer(const TLetterAnswer& answer) {
    setWindowTitle(QString::fromUtf8("Trả lời thư"));
    FAnswering = true;
    FQuote = answer.Quote;
    SetFieldBytes(EdRecip, answer.Recipient);
    SetFieldBytes(EdSubject, answer.Subject);
    MemoQuote->setPlainText(BytesToQString(answer.Quote));
    Form->setRowVisible(EdAnswer, true);
    Form->setRowVisible(MemoQuote, true);
    EdAnswer->setFocus();
}

std::string TSendMfrm::LetterText(const std::string& document) const {
    if (!FAnswering) return document;
    return FieldBytes(EdAnswer) + "\r\n\r\n" + FQuote;
}

// The subject and the answer are Vietnamese text, typed and said as the find field's: tone
// keys are named, letters said as the keyboards make them. F1 stays the dialog's.
void TSendMfrm::MakeTextFields() {
    TComposingRules subject;
    subject.OnEnter = [this] {
        if (FAnswering) return EdAnswer->setFocus();
        SendOrBackToAddress();
    };
    subject.OnEscape = [this] { done(mrCancel); };
    new TComposingField(EdSubject, Talk(), std::move(subject));
    TComposingRules answer;
    answer.OnEnter = [this] { SendOrBackToAddress(); };
    answer.OnEscape = [this] { done(mrCancel); };
    new TComposingField(EdAnswer, Talk(), std::move(answer));
}

void TSendMfrm::SendOrBackToAddress() {
    if (!EdRecip->text().isEmpty()) return done(mrOk);
    // Nowhere to send it yet: back to the address.
    Talk().PlayBeep();
    EdRecip->setFocus();
}

void TSendMfrm::SayLetter(const std::string& letter) {
    if (letter.empty()) return;
    const bool capital = letter[0] >= 'A' && letter[0] <= 'Z';
    Talk().Echo(capital ? letter + " hoa" : letter);
}

bool TSendMfrm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn && PlainKeys &&
        (watched == EdRecip || watched == EdSubject || watched == EdAnswer))
        PlainKeys(watched == EdRecip);
    const bool keyEvent = event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease;
    if (keyEvent) {
        const auto& key = *static_cast<QKeyEvent*>(event);
        if (event->type() == QEvent::KeyRelease && key.key() == Qt::Key_F1 && NoModifier(key)) {
            Talk().Announce(FAnswering ? " zzzmeskzc " : "zzzmesla ");
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
