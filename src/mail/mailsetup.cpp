#include "mail/mailsetup.h"

#include "dialogs/vntext.h"
#include "mail/dialentries.h"

#include <QComboBox>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tavi {

namespace {

enum { TagSecurity = 8 };

// What the security choices are called, in the order of SecurityChoices(), on the screen and
// aloud.
const char* const SecurityCaptions[] = {"Tự động theo cổng", "STARTTLS", "TLS ngay từ đầu",
                                        "Không mã hóa"};
const char* const SecurityPrompts[] = {" zzzmeskzf ", " zzzmeskzg ", " zzzmeskzh ", " zzzmeskzi "};

// The entry that stands for a network already up, as it is shown and said.
constexpr const char* NetworkUpCaption = "Mạng đã sẵn sàng";
constexpr const char* NetworkUpPrompt = " zzzmeskzj ";

} // namespace

const std::vector<std::string>& TMailSetup::SecurityChoices() {
    static const std::vector<std::string> choices = {"", "starttls", "implicit", "none"};
    return choices;
}

TMailSetup::TMailSetup(ITalker& talker, QWidget* parent)
    : TTalkingDialog(talker, parent), agRas1(this) {
    setWindowTitle(QString::fromUtf8("Cài đặt hộp thư"));
    const auto field = [this] { return new QLineEdit(this); };
    EdUserName = field();
    EdPassword = field();
    EdPassword->setEchoMode(QLineEdit::Password);
    EdMailAdd = field();
    EdInMail = field();
    EdOutMail = field();
    CbRas = new QComboBox(this);
    for (const std::string& entry : agRas1.Entries())
        CbRas->addItem(QString::fromUtf8(entry == NetworkUpEntry ? NetworkUpCaption : entry));
    CbSecurity = new QComboBox(this);
    for (const char* caption : SecurityCaptions) CbSecurity->addItem(QString::fromUtf8(caption));
    BtOK = new QPushButton(QString::fromUtf8("&Chọn"), this);
    BtCancel = new QPushButton(QString::fromUtf8("&Hủy bỏ"), this);

    auto* form = new QFormLayout;
    form->addRow(QString::fromUtf8("Tên &người dùng:"), EdUserName);
    form->addRow(QString::fromUtf8("&Mật khẩu:"), EdPassword);
    form->addRow(QString::fromUtf8("&Địa chỉ thư:"), EdMailAdd);
    form->addRow(QString::fromUtf8("Máy chủ thư &đến:"), EdInMail);
    form->addRow(QString::fromUtf8("Máy chủ thư đ&i:"), EdOutMail);
    form->addRow(QString::fromUtf8("&Kết nối mạng:"), CbRas);
    form->addRow(QString::fromUtf8("&Bảo mật kết nối:"), CbSecurity);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(ButtonRow({BtOK, BtCancel}));

    SetSpokenNames({"zzzmeski", "zzzmeskj", "zzzmeskk", "zzzmeskl", "zzzmeskm", "zzzmeskn",
                    "cho\xEFn", "hu\xFBy bo\xFB", // chọn, hủy bỏ
                    " zzzmeskze "});
    int tag = 0;
    for (QLineEdit* edit : {EdUserName, EdPassword, EdMailAdd, EdInMail, EdOutMail}) {
        SetTag(edit, tag++);
        TFieldRules rules;
        rules.CtrlASelectsAll = false;
        rules.BeepWhenSilent = false;
        rules.Secret = edit == EdPassword;
        // Enter and Escape are the dialog's: its OK button while it can be chosen, Cancel.
        rules.OnEnter = [this] {
            if (BtOK->isEnabled()) done(mrOk);
        };
        MakeTalkingField(edit, std::move(rules));
        connect(edit, &QLineEdit::textChanged, this, [this] { UpdateOk(); });
    }
    SetTag(CbRas, 5);
    SetTag(BtOK, 6);
    SetTag(BtCancel, 7);
    SetTag(CbSecurity, TagSecurity);
    for (QComboBox* list : {CbRas, CbSecurity})
        connect(list, &QComboBox::activated, this, [this, list] { Talk().Echo(ListValue(list)); });
    connect(BtOK, &QPushButton::clicked, this, [this] { done(mrOk); });
    connect(BtCancel, &QPushButton::clicked, this, [this] { done(mrCancel); });
    UpdateOk();
    EdUserName->setFocus();
}

void TMailSetup::SetSecurity(const std::string& name) {
    const auto& choices = SecurityChoices();
    const auto it = std::find(choices.begin(), choices.end(), name);
    CbSecurity->setCurrentIndex(it == choices.end() ? 0 : int(it - choices.begin()));
}

std::string TMailSetup::Security() const {
    return SecurityChoices().at(static_cast<std::size_t>(std::max(CbSecurity->currentIndex(), 0)));
}

std::vector<std::pair<QLineEdit*, std::string TMailAccount::*>> TMailSetup::Fields() const {
    return {{EdUserName, &TMailAccount::MailUser},
            {EdPassword, &TMailAccount::MailPassword},
            {EdMailAdd, &TMailAccount::UserAddress},
            {EdInMail, &TMailAccount::InMail},
            {EdOutMail, &TMailAccount::OutMail}};
}

void TMailSetup::ShowAccount(const TMailAccount& account) {
    for (const auto& [edit, field] : Fields()) SetFieldBytes(edit, account.*field);
    const std::vector<std::string>& entries = agRas1.Entries();
    const auto listed = std::find(entries.begin(), entries.end(), account.RasService);
    CbRas->setCurrentIndex(listed == entries.end() ? 0 : int(listed - entries.begin()));
    SetSecurity(account.MailSecurity);
}

void TMailSetup::TakeAccount(TMailAccount& account) const {
    for (const auto& [edit, field] : Fields()) account.*field = FieldBytes(edit);
    if (const int i = CbRas->currentIndex(); i >= 0 && i < int(agRas1.Entries().size()))
        account.RasService = agRas1.Entries()[static_cast<std::size_t>(i)];
    account.MailSecurity = Security();
}

// OK can be chosen once the account could be used.
void TMailSetup::UpdateOk() {
    TMailAccount account;
    TakeAccount(account);
    BtOK->setEnabled(account.Complete());
}

std::string TMailSetup::ListValue(const QComboBox* list) const {
    const int i = list->currentIndex();
    if (i < 0) return {};
    if (list == CbSecurity) return SecurityPrompts[i];
    const std::string& entry = agRas1.Entries().at(static_cast<std::size_t>(i));
    return entry == NetworkUpEntry ? NetworkUpPrompt : VnBytes(list->currentText(), VniWinTable);
}

// The names of the fields are read with their punctuation, a list's with its value; the
// buttons' are said.
void TMailSetup::ControlFocused(QWidget* control) {
    if (qobject_cast<QPushButton*>(control)) return TTalkingDialog::ControlFocused(control);
    if (const auto* list = qobject_cast<QComboBox*>(control))
        return Talk().Echo(SpokenName(control) + " " + ListValue(list));
    Talk().Echo(SpokenName(control));
}

bool TMailSetup::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyRelease &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
        Talk().Announce("zzzmeskz"); // whatever the modifiers
        return true;
    }
    if (const auto* list = qobject_cast<QComboBox*>(watched);
        list && event->type() == QEvent::KeyRelease &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_F8) {
        Talk().Echo(ListValue(list));
        return true;
    }
    return TTalkingDialog::eventFilter(watched, event);
}

} // namespace tavi
