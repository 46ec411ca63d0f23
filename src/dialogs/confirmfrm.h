// The confirmation dialog that every yes/no question of the program goes through.
#pragma once

#include "dialogs/talkingdialog.h"

class QLabel;
class QPushButton;

namespace tavi {

class TConfirmFrm : public TTalkingDialog {
    Q_OBJECT
public:
    explicit TConfirmFrm(ITalker& talker, QWidget* parent = nullptr);

    // What the dialog says when it becomes active (a text or message key in Vni for Win).
    std::string Prompt;
    // The question shown (Vni for Win).
    void SetQuestion(const std::string& text);

    QLabel* Label1;
    QPushButton* BtOK;
    QPushButton* BtNo;
    QPushButton* BtCancel;

    void done(int result) override;

protected:
    bool event(QEvent* e) override;
    void ControlFocused(QWidget* control) override;
    void keyReleaseEvent(QKeyEvent* e) override;

private:
    bool Activated = false;
    QWidget* NamedOnActivation = nullptr;
};

} // namespace tavi
