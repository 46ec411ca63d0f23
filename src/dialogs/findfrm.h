// The find and replace dialogs: the text to find, and its replacement, typed as document text
// with the accent keys or the six keys and said as it is composed.
#pragma once

#include "dialogs/composingfield.h"
#include "dialogs/talkingdialog.h"

class QLineEdit;
class QPushButton;

namespace tavi {

// How the main window shows the document and which voice speaks: the fields follow it.
struct TDocumentLook {
    bool Braille = false;
    bool English = false;
};

class TFindFrm : public TTalkingDialog {
    Q_OBJECT
public:
    TFindFrm(ITalker& talker, TDocumentLook look, QWidget* parent = nullptr);
    // After OK: the text to find, as document bytes.
    std::string Text() const { return FieldBytes(FindText); }

    QLineEdit* FindText;
    QPushButton* BtOK;
    QPushButton* BtCancel;
};

class TReplaceFrm : public TTalkingDialog {
    Q_OBJECT
public:
    TReplaceFrm(ITalker& talker, TDocumentLook look, QWidget* parent = nullptr);
    // After OK (replace, asking each time) or All: the two texts as document bytes.
    std::string Find() const { return FieldBytes(RepText); }
    std::string ReplaceBy() const { return FieldBytes(ByText); }

    QLineEdit* RepText;
    QLineEdit* ByText;
    QPushButton* BtOK;
    QPushButton* BtAll;
    QPushButton* Btcancel;
};

} // namespace tavi
