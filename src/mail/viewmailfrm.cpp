#include "mail/viewmailfrm.h"

#include "dialogs/confirmfrm.h"
#include "dialogs/vntext.h"
#include "document/screenfonts.h"
#include "mail/lettertext.h"
#include "mail/viewermenu.h"
#include "platform/atomicfile.h"
#include "platform/qbytechars.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

namespace tavi {

namespace {

constexpr const char* CodeBoxCaption = "&Chuyển mã";

} // namespace

TViewMailFrm::TViewMailFrm(IMailHost& host, TmsMessageList& letters, QWidget* parent)
    : QDialog(parent), Host(host), Letters(letters) {
    setWindowTitle(QString::fromUtf8("Đọc thư"));
    setWindowFlags(Qt::Window | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint);
    auto* menuBar = new QMenuBar(this);
    QMenu* mail = menuBar->addMenu(QString::fromUtf8("&Thư"));
    mail->setObjectName("EMail1");
    using Captions = TViewerMenuCaptions;
    Save1 = mail->addAction(QString::fromUtf8(Captions::Save), QKeySequence(Qt::CTRL | Qt::Key_S));
    Delete1 = mail->addAction(QString::fromUtf8(Captions::Delete), QKeySequence(Qt::Key_Delete));
    Copy1 = mail->addAction(QString::fromUtf8(Captions::Copy), QKeySequence(Qt::CTRL | Qt::Key_C));
    Answer1 =
        mail->addAction(QString::fromUtf8(Captions::Answer), QKeySequence(Qt::CTRL | Qt::Key_R));
    connect(mail, &QMenu::hovered, this, [this](QAction* a) { Host.MenuEntryHovered(a); });
    connect(Save1, &QAction::triggered, this, [this] { SaveCommand(); });
    connect(Delete1, &QAction::triggered, this, [this] { DeleteCommand(); });
    connect(Copy1, &QAction::triggered, this, [this] { CopyCommand(); });
    connect(Answer1, &QAction::triggered, this, [this] { AnswerCommand(); });

    Edit1 = new QLineEdit(this);
    Edit1->setMaximumWidth(80);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setReadOnly(true);
    Memo1->setFocusPolicy(Qt::ClickFocus); // Tab goes round the fields; F8 reads the letter
    Memo1->setAccessibleName(QString::fromUtf8("Nội dung thư"));
    QFont font(VniScreenFont);
    font.setPointSize(14);
    Memo1->setFont(font);
    Button1 = new QPushButton(QString::fromUtf8("T&rở về"), this);
    CheckCodeCnv = new QCheckBox(QString::fromUtf8(CodeBoxCaption), this);
    auto* top = new QHBoxLayout;
    auto* label = new QLabel(QString::fromUtf8("Thư &số:"), this);
    label->setBuddy(Edit1);
    top->addWidget(label);
    top->addWidget(Edit1);
    top->addWidget(CheckCodeCnv);
    top->addStretch();
    top->addWidget(Button1);
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->addLayout(top);
    layout->addWidget(Memo1);
    setTabOrder(Edit1, CheckCodeCnv);
    setTabOrder(CheckCodeCnv, Button1);

    for (QWidget* w : {static_cast<QWidget*>(Edit1), static_cast<QWidget*>(Memo1),
                       static_cast<QWidget*>(Button1), static_cast<QWidget*>(CheckCodeCnv)})
        w->installEventFilter(this);
    connect(Edit1, &QLineEdit::textEdited, this, [this](const QString& t) { ShowNumber(t); });
    connect(Button1, &QPushButton::clicked, this, [this] { done(mrCancel); });
    connect(CheckCodeCnv, &QCheckBox::clicked, this, [this] { CodeBoxClicked(); });
}

void TViewMailFrm::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    setWindowState(windowState() | Qt::WindowMaximized);
    Edit1->setFocus();
    ShowNumber(QStringLiteral("1"));
}

void TViewMailFrm::ShowNumber(const QString& typed) {
    const int count = static_cast<int>(Letters.Count());
    bool number = false;
    const int n = typed.trimmed().toInt(&number);
    FPosition = !number || n < 1 ? 1 : std::min(n, std::max(count, 1));
    if (Edit1->text() != QString::number(FPosition)) Edit1->setText(QString::number(FPosition));
    ShowLetter();
}

void TViewMailFrm::ShowLetter() {
    if (Letters.Count() == 0) return;
    FMemo = LetterMemo(Letters.Items(static_cast<std::size_t>(FPosition - 1)), Host.EnglishSpeech(),
                       CheckCodeCnv->isChecked());
    Memo1->setPlainText(BytesToQString(FMemo));
    SpeakLetter();
}

void TViewMailFrm::SpeakLetter() {
    Host.SpeakText(FMemo, VniWinTable, Host.EnglishSpeech(), Host.ReadControlChars());
}

void TViewMailFrm::CodeBoxClicked() {
    Host.SpeakText(CheckBoxWords(CheckCodeCnv->text(), CheckCodeCnv->isChecked()), VniDosTable,
                   false, false);
    Host.WaitWhileSpeaking();
    ShowLetter();
    Edit1->setFocus();
}

void TViewMailFrm::DeleteCommand() {
    if (Letters.Count() == 0) return;
    TConfirmFrm confirm(Host, this);
    confirm.SetQuestion("Ba\xEFn muo\xE1n xo\xF9"
                        "a th\xF6 na\xF8y ?"); // bạn muốn xóa thư này ?
    confirm.Prompt = "zzzmeskr";
    if (Host.ShowModal(confirm) != mrOk) return Host.Announce(" zzzmeskza "); // kept
    Letters.Delete(static_cast<std::size_t>(FPosition - 1));
    Host.Announce(" zzzmesgt ");
    if (Letters.Count() == 0) return done(mrCancel);
    ShowNumber(QString::number(FPosition));
}

void TViewMailFrm::StepLetter(int step) {
    const int to = FPosition + step;
    if (to < 1 || to > static_cast<int>(Letters.Count())) return Host.PlayBeep();
    ShowNumber(QString::number(to));
}

void TViewMailFrm::SayField(QWidget* field) {
    if (field == Edit1)
        Host.Announce(" zzzmeskzb " + std::to_string(FPosition)); // thư số
    else if (field == CheckCodeCnv)
        Host.SpeakText(CheckBoxWords(CheckCodeCnv->text(), CheckCodeCnv->isChecked()), VniDosTable,
                       false, false);
    else if (field == Button1)
        Host.Announce("tr\xF4\xFB ve\xE0"); // trở về
}

void TViewMailFrm::reject() {
    done(mrCancel);
}

void TViewMailFrm::SaveCommand() {
    const std::string name = Host.AskSaveName();
    if (name.empty()) return;
    try {
        WriteFileAtomically(name, FMemo, 0644);
        Host.Announce(" zzzmesgv ");
    } catch (const std::exception&) {
        Host.Report("zzzmesesa ", "Không lưu được tập tin!");
    }
}

void TViewMailFrm::CopyCommand() {
    Host.InsertIntoDocument(FMemo);
    Host.Announce(" zzzmesgu ");
}

void TViewMailFrm::AnswerCommand() {
    if (Letters.Count() == 0) return;
    Host.AnswerLetter(AnswerTo(Letters.Items(static_cast<std::size_t>(FPosition - 1)),
                               Host.EnglishSpeech(), CheckCodeCnv->isChecked()));
    activateWindow(); // back to the letter answered
    Edit1->setFocus();
}

bool TViewMailFrm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Memo1 && event->type() == QEvent::FocusIn) {
        Edit1->setFocus(); // the letter is read, not edited
        return false;
    }
    if (event->type() == QEvent::FocusIn) {
        // Only a field reached by Tab is said: the window's first focus comes with the letter.
        if (std::exchange(FTabbed, false) || watched == Button1)
            SayField(static_cast<QWidget*>(watched));
        return false;
    }
    if (watched == Edit1 && event->type() == QEvent::ShortcutOverride) {
        // The number field would take Ctrl+C and Delete as its own copy and delete; here they
        // are the menu's, for the letter.
        const QKeySequence pressed(static_cast<QKeyEvent*>(event)->keyCombination());
        if (pressed == Copy1->shortcut() || pressed == Delete1->shortcut()) return true;
    }
    if (event->type() == QEvent::KeyPress) {
        const auto& key = *static_cast<QKeyEvent*>(event);
        FTabbed = key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab;
        if (key.key() == Qt::Key_Escape) {
            done(mrCancel);
            return true;
        }
        if (watched == Edit1 && (key.key() == Qt::Key_Up || key.key() == Qt::Key_Down)) {
            StepLetter(key.key() == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    if (event->type() == QEvent::KeyRelease && Host.SoundOn()) {
        const auto& key = *static_cast<QKeyEvent*>(event);
        if (key.modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier))
            return false;
        switch (key.key()) {
        case Qt::Key_F1: Host.Announce(" zzzmesgw "); return true;
        case Qt::Key_F2:
            Host.Echo("ba\xEFn co\xF9 " + std::to_string(Letters.Count()) +
                      " th\xF6"); // bạn có N thư
            return true;
        case Qt::Key_F8: SpeakLetter(); return true;
        default: break;
        }
    }
    return false;
}

} // namespace tavi
