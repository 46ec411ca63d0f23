// The Mail menu: the account, fetching the waiting letters and sending the document. The
// transfers themselves are the mail windows'.
#include "shell/mainform.h"

#include "document/doctext.h"
#include "document/msrichedit.h"
#include "mail/lettertext.h"
#include "mail/mailfrm.h"
#include "mail/mailsetup.h"
#include "mail/sendmfrm.h"
#include "mail/tlsmode.h"

#include <QComboBox>
#include <QLineEdit>

namespace tavi {

namespace {

constexpr std::size_t MaxHeaderText = 255;

// The user's name as the sender of a letter: in Unicode, each word begun with a capital.
std::string SenderName(const std::string& typed) {
    QString name = QString::fromStdString(TableToUnicode(typed, VniWinTable)).simplified();
    for (qsizetype i = 0; i < name.size(); ++i)
        if (i == 0 || name[i - 1] == ' ') name[i] = name[i].toUpper();
    return name.toStdString();
}

} // namespace

const std::vector<TMainForm::TCommand>& TMainForm::MailCommands() {
    static const std::vector<TCommand> commands = {{"MSetupMail", &TMainForm::SetupMailCommand},
                                                   {"MEmailView", &TMainForm::ViewMailCommand},
                                                   {"MEmailsend", &TMainForm::SendMailCommand}};
    return commands;
}

// A letter copied in stands as paragraphs of its own, never glued to the sentence at the caret.
void TMainForm::InsertIntoDocument(const std::string& text) {
    const std::string& document = Editor->Text();
    const auto start = static_cast<std::size_t>(Editor->SelStart());
    const std::size_t end = start + static_cast<std::size_t>(Editor->SelLength());
    const char before = start > 0 && start <= document.size() ? document[start - 1] : '\0';
    const char after = end < document.size() ? document[end] : '\0';
    Editor->SetSelText(AsOwnParagraphs(text, before, after));
}

// The own address is not needed: a letter may go out without one.
bool TMainForm::MailAccountComplete() const {
    return !FMailUser.empty() && !FMailPassword.empty() && !FInMail.empty() &&
           !FRasService.empty() && !FOutMail.empty();
}

void TMainForm::SetupMailCommand() {
    TMailSetup dialog(*this, this);
    const std::vector<std::string>& entries = dialog.agRas1.Entries();
    if (entries.empty()) return Announce("zzzmesko ");
    const std::pair<QLineEdit*, std::string*> fields[] = {{dialog.EdUserName, &FMailUser},
                                                          {dialog.EdPassword, &FMailPassword},
                                                          {dialog.EdMailAdd, &FUserAddress},
                                                          {dialog.EdInMail, &FInMail},
                                                          {dialog.EdOutMail, &FOutMail}};
    for (const auto& [edit, value] : fields) TTalkingDialog::SetFieldBytes(edit, *value);
    const auto listed = std::find(entries.begin(), entries.end(), FRasService);
    dialog.CbRas->setCurrentIndex(listed == entries.end() ? 0 : int(listed - entries.begin()));
    dialog.SetSecurity(FMailSecurity);
    if (ShowWithPlainKeys(dialog) == mrOk) {
        for (const auto& [edit, value] : fields) *value = TTalkingDialog::FieldBytes(edit);
        if (const int i = dialog.CbRas->currentIndex(); i >= 0)
            FRasService = entries[static_cast<std::size_t>(i)];
        FMailSecurity = dialog.Security();
    }
    WaitWhileSpeaking();
    Announce("zzzmesa");
}

// The account into both clients: the same user name and password for sending and fetching,
// as providers have them, and how the connections are secured.
void TMainForm::SetUpTransfer(TMailFrm& transfer) const {
    transfer.agRas1.SetService(FRasService);
    const std::optional<TTlsMode> tls = ParseTlsMode(FMailSecurity);
    for (TagSocket* client :
         {static_cast<TagSocket*>(&transfer.msSMTP1), static_cast<TagSocket*>(&transfer.msPOP1)}) {
        client->Tls = tls; // none given: by the port
        client->CaFile = FMailCaFile;
    }
    transfer.msSMTP1.Server = FOutMail;
    transfer.msSMTP1.UserName = FMailUser;
    transfer.msSMTP1.Password = FMailPassword;
    transfer.msPOP1.Server = FInMail;
    transfer.msPOP1.UserName = FMailUser;
    transfer.msPOP1.Password = FMailPassword;
}

void TMainForm::ViewMailCommand() {
    if (!MailAccountComplete()) SetupMailCommand();
    if (MailAccountComplete()) {
        TMailFrm transfer(*this, this);
        SetUpTransfer(transfer);
        transfer.Mode = TMailFrm::Receive;
        ShowModal(transfer);
    }
    WaitWhileSpeaking();
    Announce("zzzmesa");
}

// The document goes as its text, in Unicode, so that any mail program shows the Vietnamese.
void TMainForm::SendMailCommand() {
    if (FBrailleShown) VniDisplayCommand();
    if (!MailAccountComplete()) SetupMailCommand();
    if (MailAccountComplete()) {
        TSendMfrm dialog(*this, this);
        // The address takes plain keys; the subject is Vietnamese, typed as the document is.
        dialog.PlainKeys = [this](bool plain) { PlainKeys(plain); };
        const int result = ShowModal(dialog);
        PlainKeys(false);
        if (result == mrOk) try {
                TMailFrm transfer(*this, this);
                SetUpTransfer(transfer);
                TmsMessage& m = transfer.msMessage1;
                m.Sender = {SenderName(FUserTyped), FUserAddress.substr(0, MaxHeaderText)};
                m.Recipients.Add(TTalkingDialog::FieldBytes(dialog.EdRecip));
                m.Subject = SubjectHeader(TableToUnicode(
                    TTalkingDialog::FieldBytes(dialog.EdSubject).substr(0, MaxHeaderText),
                    VniWinTable));
                m.SetUnicodeBody(TableToUnicode(Editor->Text(), VniWinTable));
                m.Attachments.Clear();
                transfer.Mode = TMailFrm::Send;
                ShowModal(transfer);
            } catch (const std::exception& e) {
                return ApplicationException(&e); // the code tables cannot be read
            }
    }
    Announce("zzzmesa");
}

} // namespace tavi
