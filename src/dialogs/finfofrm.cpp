#include "dialogs/finfofrm.h"

#include "dialogs/vntext.h"

#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tavi {

TFInfoFrm::TFInfoFrm(ITalker& talker, QWidget* parent) : TTalkingDialog(talker, parent) {
    setWindowTitle(QString::fromUtf8("Thông tin tập tin"));
    LFName = new QLineEdit(this);
    LFName->setReadOnly(true);
    LFName->setFrame(false);
    LFName->setFocusPolicy(Qt::ClickFocus); // not a tab stop
    LFcreated = new QLabel(this);
    LFLastAccess = new QLabel(this);
    LFLastModified = new QLabel(this);
    LFSize = new QLabel(this);
    LWordCount = new QLabel(this);
    BtClose = new QPushButton(QString::fromUtf8("Đó&ng"), this);
    auto* form = new QFormLayout;
    form->addRow(QString::fromUtf8("Tên tập tin:"), LFName);
    form->addRow(QString::fromUtf8("Ngày tạo:"), LFcreated);
    form->addRow(QString::fromUtf8("Lần truy cập cuối:"), LFLastAccess);
    form->addRow(QString::fromUtf8("Lần sửa cuối:"), LFLastModified);
    form->addRow(QString::fromUtf8("Độ lớn:"), LFSize);
    form->addRow(QString::fromUtf8("Số từ:"), LWordCount);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(BtClose, 0, Qt::AlignRight);
    connect(BtClose, &QPushButton::clicked, this, [this] { done(mrCancel); });
    // Every key goes through the window first, whichever control has the focus.
    for (QWidget* w : {static_cast<QWidget*>(LFName), static_cast<QWidget*>(BtClose)})
        w->installEventFilter(this);
    installEventFilter(this);
}

void TFInfoFrm::SetValues(const Values& v) {
    Shown = v;
    LFName->setText(VnText(v.FileName));
    LFcreated->setText(VnText(v.Created));
    LFLastAccess->setText(VnText(v.LastAccess));
    LFLastModified->setText(VnText(v.LastModified));
    LFSize->setText(VnText(v.Size));
    LWordCount->setText(VnText(v.WordCount));
}

void TFInfoFrm::showEvent(QShowEvent* e) {
    TTalkingDialog::showEvent(e);
    if (!Talk().SoundOn()) return;
    Talk().Echo(" zzzmesba " + Shown.FileName + " zzzmesbb " + Shown.Created + " zzzmesbc " +
                Shown.LastModified + " zzzmesbd " + Shown.LastAccess + " zzzmesbe " + Shown.Size +
                " zzzmesbf " + Shown.WordCount);
}

bool TFInfoFrm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && KeyDown(static_cast<QKeyEvent*>(event))) return true;
    return TTalkingDialog::eventFilter(watched, event);
}

bool TFInfoFrm::KeyDown(QKeyEvent* key) {
    const auto mods =
        key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    switch (key->key()) {
    case Qt::Key_F1:
        if (mods != Qt::NoModifier) break;
        if (Talk().SoundOn()) Talk().Announce(" zzzmesgr ");
        return true;
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Left:
    case Qt::Key_Right: return false; // they move within the file name
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_Meta:
    case Qt::Key_AltGr: return false; // a modifier alone is the start of another key
    default: break;
    }
    done(mrCancel);
    return true;
}

} // namespace tavi
