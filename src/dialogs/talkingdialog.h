// The base of the talking dialogs: controls announce their spoken name when they get the
// focus, and single-line fields talk as the user types and moves.
#pragma once

#include "dialogs/refusedchars.h"
#include "dialogs/talker.h"
#include "document/doctext.h"

#include <QDialog>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

class QHBoxLayout;
class QLineEdit;
class QPushButton;
class QKeyEvent;

namespace tavi {

// Modal results of the program's dialogs.
enum TModalResult { mrNone = 0, mrOk = 1, mrCancel = 2, mrNo = 7, mrAll = 8 };

// How one single-line field talks. The defaults are the common pattern; dialogs change what
// differs for their fields.
struct TFieldRules {
    TRefusedSet Refused = TRefusedSet::None;
    std::string HelpKey;             // announced by F1; empty: F1 says nothing
    bool CtrlASelectsAll = true;     // Ctrl+A selects the whole field
    bool BeepWhenSilent = true;      // a swallowed character beeps even with sound off
    bool EchoEnterAndEscape = false; // Enter and Escape are also echoed as characters
    // What Enter and Escape do; empty: the default (OK and Cancel). HandleEscape false lets
    // Escape through as an ordinary character.
    std::function<void()> OnEnter;
    bool HandleEscape = true;
    QPushButton* OkButton = nullptr; // enabled only while the field is not empty
    bool Secret = false;             // a password: every key beeps, nothing of it is said
};

class TTalkingDialog : public QDialog {
    Q_OBJECT
public:
    TTalkingDialog(ITalker& talker, QWidget* parent = nullptr);

    // The spoken name of each Tag, announced when a control with that Tag gets the focus.
    void SetSpokenNames(std::vector<std::string> names) { SpokenNames = std::move(names); }
    // Gives a control its Tag and makes it announce its spoken name on focus.
    void SetTag(QWidget* control, int tag);
    static int Tag(const QWidget* control);

    // Makes a field talk. Its text is 8-bit text, one character per byte.
    void MakeTalkingField(QLineEdit* field, TFieldRules rules);

    // The field's text as bytes, and back.
    static std::string FieldBytes(const QLineEdit* field);
    static void SetFieldBytes(QLineEdit* field, const std::string& bytes);
    // The field's text with its caret (the start of the selection) and selection.
    static TCaretText FieldCaret(const QLineEdit* field);

    ITalker& Talk() { return Talker; }

    // Escape and the window's close button end the dialog with Cancel, not Qt's 0.
    void reject() override { done(mrCancel); }

protected:
    // The dialog's buttons in a row at the right.
    static QHBoxLayout* ButtonRow(std::initializer_list<QWidget*> buttons);
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Called when a tagged control gets the focus; announces its spoken name by default.
    virtual void ControlFocused(QWidget* control);
    // The spoken name of a control's Tag; empty when it has none.
    std::string SpokenName(const QWidget* control) const;

private:
    bool FieldKeyPress(QLineEdit* field, const TFieldRules& rules, QKeyEvent* key);
    bool FieldKeyRelease(QLineEdit* field, const TFieldRules& rules, QKeyEvent* key);
    // Left or Right, as it goes down: the character it passes, or a beep at the end.
    void SayPassed(const QLineEdit* field, bool left);

    ITalker& Talker;
    std::vector<std::string> SpokenNames;
    std::vector<std::pair<QLineEdit*, TFieldRules>> Fields;
    QWidget* LastFocused = nullptr;
};

} // namespace tavi
