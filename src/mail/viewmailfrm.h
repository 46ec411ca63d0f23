// The mail viewer: the retrieved letters one at a time, read aloud, saved, deleted from the
// list or copied into the document.
#pragma once

#include "mail/mailhost.h"
#include "mail/mailmessage.h"

#include <QDialog>

class QAction;
class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace tavi {

class TViewMailFrm : public QDialog {
    Q_OBJECT
public:
    // letters: the transfer window's list, which Delete shortens.
    TViewMailFrm(IMailHost& host, TmsMessageList& letters, QWidget* parent = nullptr);

    QLineEdit* Edit1; // the number of the letter shown; Up and Down step it
    QPlainTextEdit* Memo1;
    QPushButton* Button1;
    QCheckBox* CheckCodeCnv;
    QAction* Save1;
    QAction* Delete1;
    QAction* Copy1;
    QAction* Answer1;

    int Position() const { return FPosition; }
    std::size_t Count() const { return Letters.Count(); }
    const std::string& MemoText() const { return FMemo; }
    // Shows the letter at a number typed or stepped to: above the last is the last, anything
    // that is no number the first.
    void ShowNumber(const QString& typed);

    void SaveCommand();
    void DeleteCommand();
    void CopyCommand();
    void AnswerCommand();

    void reject() override; // Escape: Cancel, as every dialog of the program

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowLetter();
    void SpeakLetter();
    void CodeBoxClicked();
    // Up and Down: the next or the previous letter, a beep past either end.
    void StepLetter(int step);
    // What Tab and Shift+Tab say of the field they reach: its label and its value.
    void SayField(QWidget* field);

    IMailHost& Host;
    TmsMessageList& Letters;
    int FPosition = 1;
    bool FTabbed = false; // Tab went down: the field it reaches says itself
    std::string FMemo;    // "Vni for Win"
};

} // namespace tavi
