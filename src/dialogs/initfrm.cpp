#include "dialogs/initfrm.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tavi {

TInitFrm::TInitFrm(ITalker& talker, QWidget* parent) : TTalkingDialog(talker, parent) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowTitle(QString::fromUtf8("Soạn Thảo Tavi"));
    auto* label = new QLabel(QString::fromUtf8("Tên người dùng:"), this);
    EdUserName = new QLineEdit(this);
    EdUserName->setMaxLength(MaxNameLength);
    EdUserName->setContextMenuPolicy(Qt::NoContextMenu); // never the standard edit menu
    label->setBuddy(EdUserName);
    BtOK = new QPushButton(QString::fromUtf8("&Chọn"), this);
    BtCancel = new QPushButton(QString::fromUtf8("&Hủy bỏ"), this);
    BtOK->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(EdUserName);
    layout->addLayout(ButtonRow({BtOK, BtCancel}));

    SetSpokenNames({" zzzmesdn ", "cho\xEFn", "hu\xFBy bo\xFB"}); // chọn, hủy bỏ
    SetTag(EdUserName, 0);
    SetTag(BtOK, 1);
    SetTag(BtCancel, 2);

    TFieldRules rules;
    rules.Refused = TRefusedSet::Name;
    rules.HelpKey = " zzzmesdr ";
    rules.CtrlASelectsAll = false;
    rules.HandleEscape = false;
    rules.OkButton = BtOK;
    rules.OnEnter = [this] {
        if (EdUserName->text().isEmpty())
            Talk().Announce(" zzzmesdo ");
        else
            done(mrOk);
    };
    MakeTalkingField(EdUserName, std::move(rules));
    connect(BtOK, &QPushButton::clicked, this, [this] { done(mrOk); });
    connect(BtCancel, &QPushButton::clicked, this, [this] { done(mrCancel); });
    EdUserName->setFocus();
}

std::string TInitFrm::UserName() const {
    return FieldBytes(EdUserName);
}

} // namespace tavi
