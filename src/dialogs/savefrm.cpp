#include "dialogs/savefrm.h"

#include "dialogs/vntext.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tavi {

TSaveFrm::TSaveFrm(ITalker& talker, const std::filesystem::path& documentsFolder, QWidget* parent)
    : TTalkingDialog(talker, parent), Folder(documentsFolder) {
    setWindowTitle(QString::fromUtf8("Lưu tập tin"));
    auto* label = new QLabel(QString::fromUtf8("&Tên tập tin:"), this);
    EFName = new QLineEdit(this);
    label->setBuddy(EFName);
    PathLabel = new QPlainTextEdit(QString::fromStdString(Folder.string()), this);
    PathLabel->setReadOnly(true);
    PathLabel->setFrameStyle(QFrame::NoFrame);
    PathLabel->setFocusPolicy(Qt::NoFocus); // never keeps the focus
    PathLabel->setMaximumHeight(PathLabel->fontMetrics().height() * 2 + 8);
    BrowseBt = new QPushButton(QString::fromUtf8("&Duyệt..."), this);
    BrowseBt->setEnabled(false); // the file browser comes with the open dialog
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

    SetSpokenNames({"zzzmesam", "duye\xE4t ta\xE4p tin", "cho\xEFn", "hu\xFBy bo\xFB"});
    SetTag(EFName, 0);
    SetTag(BrowseBt, 1);
    SetTag(OKBt, 2);
    SetTag(Button2, 3);
    TFieldRules rules;
    rules.Refused = TRefusedSet::Path;
    rules.HelpKey = " zzzmesdx ";
    rules.BeepWhenSilent = false;
    rules.EchoEnterAndEscape = true;
    rules.OkButton = OKBt;
    MakeTalkingField(EFName, std::move(rules));
    connect(OKBt, &QPushButton::clicked, this, [this] { done(mrOk); });
    connect(Button2, &QPushButton::clicked, this, [this] { done(mrCancel); });
    EFName->setFocus();
}

void TSaveFrm::done(int result) {
    // The typed name, as a path: bare names go into the documents folder and get ".TXT" when
    // they have no extension.
    const std::string typed = FieldBytes(EFName);
    if (!typed.empty()) {
        std::filesystem::path name = VnText(typed).toStdString();
        if (name.is_relative()) name = Folder / name;
        if (!name.has_extension()) name += ".TXT";
        Chosen = name;
    }
    TTalkingDialog::done(result);
}

} // namespace tavi
