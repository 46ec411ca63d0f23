#include "dialogs/savefrm.h"

#include "dialogs/filebrowser.h"
#include "dialogs/filenames.h"
#include "dialogs/vntext.h"

#include <QCheckBox>
#include <QDir>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tavi {

namespace fs = std::filesystem;

TFileNameFrm::TFileNameFrm(TKind kind, ITalker& talker, const fs::path& documentsFolder,
                           QWidget* parent)
    : TTalkingDialog(talker, parent), Kind(kind), Folder(documentsFolder) {
    const bool save = kind == TKind::Save;
    setWindowTitle(QString::fromUtf8(save ? "Lưu tập tin" : "Mở tập tin"));
    auto* label = new QLabel(QString::fromUtf8("&Tên tập tin:"), this);
    EFName = new QLineEdit(this);
    label->setBuddy(EFName);
    // The folder a bare name goes into; the open dialog shows it with its separator.
    const QString folder = QString::fromStdString(Folder.string()) + (save ? "" : "/");
    PathLabel = new QPlainTextEdit(folder, this);
    PathLabel->setReadOnly(true);
    PathLabel->setFrameStyle(QFrame::NoFrame);
    PathLabel->setFocusPolicy(Qt::NoFocus); // never keeps the focus
    PathLabel->setMaximumHeight(PathLabel->fontMetrics().height() * 2 + 8);
    BrowseBt = new QPushButton(QString::fromUtf8("&Duyệt..."), this);
    OKBt = new QPushButton(QString::fromUtf8("&Chọn"), this);
    Button2 = new QPushButton(QString::fromUtf8("&Hủy bỏ"), this);
    OKBt->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BrowseBt);
    buttons->addStretch();
    buttons->addWidget(OKBt);
    buttons->addWidget(Button2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(EFName);
    layout->addWidget(PathLabel);
    layout->addLayout(buttons);

    SetSpokenNames({save ? "zzzmesam" : "zzzmesew ", "duye\xE4t ta\xE4p tin", "cho\xEFn",
                    "hu\xFBy bo\xFB"}); // duyệt tập tin, chọn, hủy bỏ
    SetTag(EFName, 0);
    SetTag(BrowseBt, 1);
    SetTag(OKBt, 2);
    SetTag(Button2, 3);
    TFieldRules rules;
    rules.Refused = TRefusedSet::Path;
    rules.HelpKey = save ? " zzzmesdx " : " zzzmesdy ";
    rules.BeepWhenSilent = !save;
    rules.EchoEnterAndEscape = save;
    rules.OkButton = OKBt;
    MakeTalkingField(EFName, std::move(rules));
    connect(BrowseBt, &QPushButton::clicked, this, [this] { BrowseClick(); });
    connect(OKBt, &QPushButton::clicked, this, [this] { done(mrOk); });
    connect(Button2, &QPushButton::clicked, this, [this] { done(mrCancel); });
    EFName->setFocus();
}

// The browser's choice closes this dialog too, with the browser's result.
void TFileNameFrm::BrowseClick() {
    TFileBrowser browser(Talk(), Folder, Kind == TKind::Open, this);
    const int result = browser.exec();
    if (result == mrOk) {
        Browsed = browser.ChosenPath();
        SetFieldBytes(EFName, Vni(Browsed->string()));
    }
    done(result);
}

bool TFileNameFrm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == EFName && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Down || key->key() == Qt::Key_Up) &&
            key->modifiers() == Qt::NoModifier) {
            Complete(key->key() == Qt::Key_Down);
            return true;
        }
    }
    return TTalkingDialog::eventFilter(watched, event);
}

// The names are found again once the field holds something else than the last one offered.
// Each is said by its own name, without its folder.
void TFileNameFrm::Complete(bool next) {
    const std::string typed = VnText(FieldBytes(EFName)).toStdString();
    const bool offered = Completion < Completions.size() && Completions[Completion] == typed;
    if (!offered) {
        Completions = NameCompletions(typed, Folder, QDir::homePath().toStdString());
        Completion = next ? Completions.size() - 1 : 0; // the first step lands on the first
    }
    if (Completions.empty()) return Talk().PlayBeep();
    const std::size_t count = Completions.size();
    Completion = (Completion + (next ? 1 : count - 1)) % count;
    const std::string& name = Completions[Completion];
    SetFieldBytes(EFName, Vni(name));
    std::string shown = name.ends_with('/') ? name.substr(0, name.size() - 1) : name;
    Talk().Echo(Vni(shown.substr(shown.rfind('/') + 1)));
}

void TFileNameFrm::done(int result) {
    // The typed name as a path; the open dialog reads it only when it was accepted. A file
    // chosen in the browser is taken as it is, whatever letters its name has.
    const std::string typed =
        Browsed ? Browsed->string() : VnText(FieldBytes(EFName)).toStdString();
    if (Kind == TKind::Save)
        Chosen = SavePath(typed, Folder, QDir::homePath().toStdString());
    else if (result == mrOk)
        Chosen = OpenPath(typed, Folder, QDir::homePath().toStdString());
    TTalkingDialog::done(result);
}

TSaveFrm::TSaveFrm(ITalker& talker, const fs::path& documentsFolder, QWidget* parent)
    : TFileNameFrm(TKind::Save, talker, documentsFolder, parent) {}

TOpenFrm::TOpenFrm(ITalker& talker, const fs::path& documentsFolder, QWidget* parent)
    : TFileNameFrm(TKind::Open, talker, documentsFolder, parent) {
    // Alt+M: the H of "Chuyển" is the Cancel button's, and Alt+H would only move between them.
    CheckAutoCnv = new QCheckBox(QString::fromUtf8("Chuyển &mã"), this);
    static_cast<QVBoxLayout*>(layout())->insertWidget(3, CheckAutoCnv);
    // Clicked, not toggled: setting it before the dialog shows says nothing.
    connect(CheckAutoCnv, &QCheckBox::clicked, this, [this](bool checked) {
        Talk().SpeakText(CheckBoxWords(CheckAutoCnv->text(), checked), VniDosTable, false, false);
        Talk().WaitWhileSpeaking();
        EFName->setFocus();
    });
}

} // namespace tavi
