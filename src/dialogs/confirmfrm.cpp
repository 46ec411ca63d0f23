#include "dialogs/confirmfrm.h"

#include "dialogs/vntext.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tavi {

TConfirmFrm::TConfirmFrm(ITalker& talker, QWidget* parent) : TTalkingDialog(talker, parent) {
    setWindowTitle(QString::fromUtf8("Soạn Thảo Tavi"));
    Label1 = new QLabel(this);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setWordWrap(true);
    BtOK = new QPushButton(QString::fromUtf8("&Chọn"), this);
    BtNo = new QPushButton(QString::fromUtf8("&Không"), this);
    BtCancel = new QPushButton(QString::fromUtf8("&Hoãn lại"), this);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {BtOK, BtNo, BtCancel}) buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addLayout(buttons);

    SetSpokenNames({"cho\xEFn", "kho\xE2ng", "hoa\xF5n la\xEFi"}); // chọn, không, hoãn lại
    SetTag(BtOK, 0);
    SetTag(BtNo, 1);
    SetTag(BtCancel, 2);
    connect(BtOK, &QPushButton::clicked, this, [this] { done(mrOk); });
    connect(BtNo, &QPushButton::clicked, this, [this] { done(mrNo); });
    connect(BtCancel, &QPushButton::clicked, this, [this] { done(mrCancel); });
    BtOK->setDefault(true);
    BtOK->setFocus();
}

void TConfirmFrm::SetQuestion(const std::string& text) {
    Label1->setText(VnText(text));
}

bool TConfirmFrm::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) {
        const bool first = !Activated;
        Activated = true;
        if (!Prompt.empty()) Talk().Announce(Prompt);
        // The button that already had the focus is named after the prompt.
        if (first && focusWidget() && Tag(focusWidget()) >= 0) {
            ControlFocused(focusWidget());
            NamedOnActivation = focusWidget();
        }
    }
    return TTalkingDialog::event(e);
}

void TConfirmFrm::ControlFocused(QWidget* control) {
    if (!Activated) return;             // named once the prompt has been said
    if (control == NamedOnActivation) { // its focus event after the activation: named already
        NamedOnActivation = nullptr;
        return;
    }
    NamedOnActivation = nullptr;
    Talk().WaitWhileSpeaking();
    TTalkingDialog::ControlFocused(control);
}

void TConfirmFrm::keyReleaseEvent(QKeyEvent* e) {
    const auto mods = e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (e->key() == Qt::Key_F1 && mods == Qt::NoModifier && Talk().SoundOn()) {
        Talk().Announce(" zzzmesdk ");
        return;
    }
    TTalkingDialog::keyReleaseEvent(e);
}

void TConfirmFrm::done(int result) {
    Talk().StopReading();
    TTalkingDialog::done(result);
}

} // namespace tavi
