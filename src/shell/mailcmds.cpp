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

void TMainForm::SetupMailCommand() {
    TMailSetup dialog(*this, this);
    if (dialog.agRas1.Entries().empty()) return Announce("zzzmesko ");
    dialog.ShowAccount(FSettings.Mail);
    if (ShowWithPlainKeys(dialog) == mrOk) dialog.TakeAccount(FSettings.Mail);
    WaitWhileSpeaking();
    Announce("zzzmesa");
}

// The account into both clients: the same user name and password for sending and fetching,
// as providers have them, and how the connections are secured.
void TMainForm::SetUpTransfer(TMailFrm& transfer) const {
    const TMailAccount& a = FSettings.Mail;
    transfer.agRas1.SetService(a.RasService);
    const std::optional<TTlsMode> tls = ParseTlsMode(a.MailSecurity);
    for (TagSocket* client :
         {static_cast<TagSocket*>(&transfer.msSMTP1), static_cast<TagSocket*>(&transfer.msPOP1)}) {
        client->Tls = tls; // none given: by the port
        client->CaFile = a.MailCaFile;
    }
    transfer.msSMTP1.Server = a.OutMail;
    transfer.msSMTP1.UserName = a.MailUser;
    transfer.msSMTP1.Password = a.MailPassword;
    transfer.msPOP1.Server = a.InMail;
    transfer.msPOP1.UserName = a.MailUser;
    transfer.msPOP1.Password = a.MailPassword;
}

void TMainForm::ViewMailCommand() {
    if (!FSettings.Mail.Complete()) SetupMailCommand();
    if (FSettings.Mail.Complete()) {
        TMailFrm transfer(*this, this);
        SetUpTransfer(transfer);
        transfer.Mode = TMailFrm::Receive;
        ShowModal(transfer);
    }
    WaitWhileSpeaking();
    Announce("zzzmesa");
}

// The document goes as its text: a document shown in Braille is shown as text first.
void TMainForm::SendMailCommand() {
    if (FDocument.Braille()) VniDisplayCommand();
    if (!FSettings.Mail.Complete()) SetupMailCommand();
    if (FSettings.Mail.Complete()) SendDocument();
    Announce("zzzmesa");
}

void TMainForm::SendDocument() {
    SendLetter(nullptr);
}

// An answer from the mail viewer goes through the same window and transfer as the document.
void TMainForm::AnswerLetter(const TLetterAnswer& answer) {
    SendLetter(&answer);
}

void TMainForm::SendLetter(const TLetterAnswer* answer) {
    TSendMfrm dialog(*this, this);
    if (answer) dialog.SetAnswer(*answer);
    // The address takes plain keys; the subject is Vietnamese, typed as the document is.
    dialog.PlainKeys = [this](bool plain) { PlainKeys(plain); };
    const int result = ShowModal(dialog);
    PlainKeys(false);
    if (result != mrOk) return;
    TMailFrm transfer(*this, this);
    SetUpTransfer(transfer);
    MakeLetter(transfer.msMessage1, FSettings.Mail, SenderName(FSettings.Mail.SenderName),
               TTalkingDialog::FieldBytes(dialog.EdRecip),
               TTalkingDialog::FieldBytes(dialog.EdSubject),
               dialog.LetterText(answer ? std::string() : Editor->Text()));
    if (answer && !answer->InReplyTo.empty())
        for (const char* name : {"In-Reply-To: ", "References: "})
            transfer.msMessage1.Headers.Lines.push_back(name + answer->InReplyTo);
    transfer.Mode = TMailFrm::Send;
    ShowModal(transfer);
}

} // namespace tavi
