// The send dialog: who the document goes to, and its subject; or, answering a letter, the
// answer's own words above the letter quoted.
#pragma once

#include "dialogs/talkingdialog.h"
#include "mail/lettertext.h"

#include <functional>

class QFormLayout;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace tavi {

class TSendMfrm : public TTalkingDialog {
    Q_OBJECT
public:
    TSendMfrm(ITalker& talker, QWidget* parent = nullptr);

    QLineEdit* EdRecip;
    QLineEdit* EdSubject;
    QLineEdit* EdAnswer;       // the answer's words, typed as the subject is; shown when answering
    QPlainTextEdit* MemoQuote; // the letter answered, as it is quoted below the answer
    QPushButton* BtOK;
    QPushButton* BtCancel;
    // Called with true while the address has the keyboard (it takes plain keys) and false
    // while the subject has it.
    std::function<void(bool plain)> PlainKeys;

    // Makes this the answer to a letter: address and subject filled in, the keyboard in the
    // answer's field.
    void SetAnswer(const TLetterAnswer& answer);
    bool Answering() const { return FAnswering; }
    // The text of the letter: when answering, the answer's words, a blank line and the quote.
    std::string LetterText(const std::string& document) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void MakeTextFields();
    void SendOrBackToAddress();
    bool KeyPress(const QKeyEvent& key);
    void KeyDown(QLineEdit* field, const QKeyEvent& key);
    void KeyUp(QLineEdit* field, const QKeyEvent& key);
    // A letter with its mark byte, said with " hoa" when it is a capital.
    void SayLetter(const std::string& letter);

    QFormLayout* Form;
    std::string FQuote;
    bool FAnswering = false;
    int LastCaret = 0; // the caret at the last key-down
};

} // namespace tavi
