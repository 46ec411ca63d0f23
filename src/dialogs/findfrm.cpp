#include "dialogs/findfrm.h"

#include "document/screenfonts.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tavi {

namespace {

// A field of document text, in the document's face.
QLineEdit* DocumentField(QWidget* parent, TDocumentLook look) {
    auto* field = new QLineEdit(parent);
    QFont font(look.Braille ? BrailleScreenFont : VniScreenFont);
    font.setPointSize(14);
    field->setFont(font);
    return field;
}

TComposingRules Rules(TDocumentLook look, const char* help, bool englishF8) {
    TComposingRules rules;
    rules.Braille = look.Braille;
    rules.English = look.English;
    rules.HelpKey = help;
    rules.EnglishF8 = englishF8;
    return rules;
}

} // namespace

TFindFrm::TFindFrm(ITalker& talker, TDocumentLook look, QWidget* parent)
    : TTalkingDialog(talker, parent) {
    setWindowTitle(QString::fromUtf8("Tìm"));
    FindText = DocumentField(this, look);
    BtOK = new QPushButton(QString::fromUtf8("&Chọn"), this);
    BtCancel = new QPushButton(QString::fromUtf8("&Hủy bỏ"), this);
    auto* label = new QLabel(QString::fromUtf8("&Tìm chuỗi:"), this);
    label->setBuddy(FindText);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(FindText);
    layout->addLayout(ButtonRow({BtOK, BtCancel}));

    SetSpokenNames({" zzzmesbp ", "cho\xEFn", "hu\xFBy bo\xFB"}); // chọn, hủy bỏ
    SetTag(FindText, 0);
    SetTag(BtOK, 1);
    SetTag(BtCancel, 2);
    TComposingRules rules = Rules(look, "zzzmesbo ", true);
    rules.OnEnter = [this] { done(mrOk); };
    rules.OnEscape = [this] { done(mrCancel); };
    new TComposingField(FindText, talker, std::move(rules));
    BtOK->setEnabled(false);
    connect(FindText, &QLineEdit::textChanged, BtOK,
            [this](const QString& text) { BtOK->setEnabled(!text.isEmpty()); });
    connect(BtOK, &QPushButton::clicked, this, [this] { done(mrOk); });
    connect(BtCancel, &QPushButton::clicked, this, [this] { done(mrCancel); });
    FindText->setFocus();
}

TReplaceFrm::TReplaceFrm(ITalker& talker, TDocumentLook look, QWidget* parent)
    : TTalkingDialog(talker, parent) {
    setWindowTitle(QString::fromUtf8("Thay thế"));
    RepText = DocumentField(this, look);
    ByText = DocumentField(this, look);
    BtOK = new QPushButton(QString::fromUtf8("&Chọn"), this);
    BtAll = new QPushButton(QString::fromUtf8("Thay &tất cả"), this);
    Btcancel = new QPushButton(QString::fromUtf8("&Hủy bỏ"), this);
    auto* grid = new QGridLayout;
    int row = 0;
    // Each label names its field, for a screen reader too.
    for (const auto& [caption, field] :
         {std::pair{"Thay chuỗi:", RepText}, {"Bằng chuỗi:", ByText}}) {
        auto* label = new QLabel(QString::fromUtf8(caption), this);
        label->setBuddy(field);
        grid->addWidget(label, row, 0);
        grid->addWidget(field, row++, 1);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(ButtonRow({BtOK, BtAll, Btcancel}));

    SetSpokenNames({" zzzmesaqa ", " zzzmesasa ", "cho\xEFn", "thay ta\xE1t ca\xFB",
                    "hu\xFBy bo\xFB"}); // chọn, thay tất cả, hủy bỏ
    SetTag(RepText, 0);
    SetTag(ByText, 1);
    SetTag(BtOK, 2);
    SetTag(BtAll, 3);
    SetTag(Btcancel, 4);
    for (QLineEdit* field : {RepText, ByText}) {
        TComposingRules rules = Rules(look, " zzzmesbv ", false);
        // Enter in the first field goes on to the second; in the second it replaces.
        if (field == RepText)
            rules.OnEnter = [this] { ByText->setFocus(); };
        else
            rules.OnEnter = [this] { done(mrOk); };
        rules.OnEscape = [this] { done(mrCancel); };
        new TComposingField(field, talker, std::move(rules));
        connect(field, &QLineEdit::textChanged, this, [this] {
            const bool both = !RepText->text().isEmpty() && !ByText->text().isEmpty();
            BtOK->setEnabled(both);
            BtAll->setEnabled(both);
        });
    }
    BtOK->setEnabled(false);
    BtAll->setEnabled(false);
    connect(BtOK, &QPushButton::clicked, this, [this] { done(mrOk); });
    connect(BtAll, &QPushButton::clicked, this, [this] { done(mrAll); });
    connect(Btcancel, &QPushButton::clicked, this, [this] { done(mrCancel); });
    RepText->setFocus();
}

} // namespace tavi
