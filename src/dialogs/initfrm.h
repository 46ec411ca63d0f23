// The start-up dialog: the user types the name that selects their settings and documents.
#pragma once

#include "dialogs/talkingdialog.h"

class QLineEdit;
class QPushButton;

namespace tavi {

class TInitFrm : public TTalkingDialog {
    Q_OBJECT
public:
    static constexpr int MaxNameLength = 64;

    explicit TInitFrm(ITalker& talker, QWidget* parent = nullptr);

    // The name as typed (8-bit text).
    std::string UserName() const;

    QLineEdit* EdUserName;
    QPushButton* BtOK;
    QPushButton* BtCancel;

    // Escape is an ordinary character here: only Cancel leaves the dialog without a name.
    void reject() override {}
};

} // namespace tavi
