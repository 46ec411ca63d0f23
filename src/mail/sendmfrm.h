// The send dialog: who the document goes to, and its subject.
#pragma once

#include "dialogs/talkingdialog.h"

#include <functional>

class QLineEdit;
class QPushButton;

namespace tavi {

class TSendMfrm : public TTalkingDialog {
    Q_OBJECT
public:
    TSendMfrm(ITalker& talker, QWidget* parent = nullptr);

    QLineEdit* EdRecip;
    QLineEdit* EdSubject;
    QPushButton* BtOK;
    QPushButton* BtCancel;
    // Called with true while the address has the keyboard (it takes plain keys) and false
    // while the subject has it.
    std::function<void(bool plain)> PlainKeys;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void MakeSubjectField();
    bool KeyPress(const QKeyEvent& key);
    void KeyDown(QLineEdit* field, const QKeyEvent& key);
    void KeyUp(QLineEdit* field, const QKeyEvent& key);
    // A letter with its mark byte, said with " hoa" when it is a capital.
    void SayLetter(const std::string& letter);

    int LastCaret = 0; // the caret at the last key-down
};

} // namespace tavi
