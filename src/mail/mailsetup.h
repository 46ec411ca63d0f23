// The mail account dialog: user name, password, own address, the two servers, the way to
// reach the network and how the connections are secured.
#pragma once

#include "dialogs/talkingdialog.h"
#include "mail/agras.h"
#include "mail/mailaccount.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace tavi {

class TMailSetup : public TTalkingDialog {
    Q_OBJECT
public:
    TMailSetup(ITalker& talker, QWidget* parent = nullptr);

    QLineEdit* EdUserName;
    QLineEdit* EdPassword;
    QLineEdit* EdMailAdd;
    QLineEdit* EdInMail;
    QLineEdit* EdOutMail;
    QComboBox* CbRas;
    QComboBox* CbSecurity; // items in the order of SecurityChoices()
    QPushButton* BtOK;
    QPushButton* BtCancel;
    TagRas agRas1; // only lists the dial-up entries

    // The stored names of the security choices: "" (by the port: TLS from the first byte on
    // 465 and 995, STARTTLS otherwise), "starttls", "implicit", "none".
    static const std::vector<std::string>& SecurityChoices();
    // The choice of a stored name; an unknown one is the first.
    void SetSecurity(const std::string& name);
    std::string Security() const;
    // The account into the fields, the way to the network chosen when it is listed (else the
    // first); and the fields back into an account.
    void ShowAccount(const TMailAccount& account);
    void TakeAccount(TMailAccount& account) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void ControlFocused(QWidget* control) override;

private:
    void UpdateOk();
    // What a list's choice is called aloud: a prompt, or a connection's own name.
    std::string ListValue(const QComboBox* list) const;
    std::vector<std::pair<QLineEdit*, std::string TMailAccount::*>> Fields() const;
};

} // namespace tavi
