#include "dialogs/prtsetupfrm.h"

#include "dialogs/vntext.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace tavi {

namespace {

const char* const LeftMarginName = "le\xE0 tra\xF9i";  // lề trái
const char* const RightMarginName = "le\xE0 pha\xFBi"; // lề phải

} // namespace

TPrtSetUpFrm::TPrtSetUpFrm(ITalker& talker, const QStringList& printers, QWidget* parent)
    : TTalkingDialog(talker, parent) {
    setWindowTitle(QString::fromUtf8("Chọn máy in"));
    CbPrinterList = new QComboBox(this);
    CbPrinterList->addItems(printers);
    CheckEmbosser = new QCheckBox(QString::fromUtf8("Máy in &chữ nổi"), this);
    CbChars = new QComboBox(this);
    CbChars->addItems({"32 x 25", "40 x 25"});
    LChars = new QLabel(QString::fromUtf8("Khổ giấy:"), this);
    UdLeft = new QSpinBox(this);
    UDRight = new QSpinBox(this);
    for (QSpinBox* s : {UdLeft, UDRight}) {
        s->setRange(0, 200);
        s->setWrapping(false);
        s->setSuffix(QString());
        s->installEventFilter(this);
    }
    LLeft = new QLabel(QString::fromUtf8("Lề trái (mm):"), this);
    LRight = new QLabel(QString::fromUtf8("Lề phải (mm):"), this);
    BtOk = new QPushButton(QString::fromUtf8("&In"), this);
    BtCancel = new QPushButton(QString::fromUtf8("&Hủy bỏ"), this);
    BtOk->setDefault(true);

    auto* form = new QFormLayout;
    form->addRow(QString::fromUtf8("Máy in:"), CbPrinterList);
    form->addRow(CheckEmbosser);
    form->addRow(LChars, CbChars);
    form->addRow(LLeft, UdLeft);
    form->addRow(LRight, UDRight);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(ButtonRow({BtOk, BtCancel}));

    // chọn máy in, chọn loại máy in, chọn khổ giấy, in, hủy bỏ
    SetSpokenNames({"cho\xEFn ma\xF9y in", "cho\xEFn loa\xEFi ma\xF9y in",
                    "cho\xEFn kho\xE5 gia\xE1y", "in", "hu\xFBy bo\xFB"});
    SetTag(CbPrinterList, 0);
    SetTag(CheckEmbosser, 1);
    SetTag(CbChars, 2);
    SetTag(BtOk, 3);
    SetTag(BtCancel, 4);
    connect(BtOk, &QPushButton::clicked, this, [this] { done(mrOk); });
    connect(BtCancel, &QPushButton::clicked, this, [this] { done(mrCancel); });
    connect(CheckEmbosser, &QCheckBox::toggled, this, [this] { ApplyEmbosserState(); });
    connect(CbPrinterList, &QComboBox::activated, this, [this](int index) {
        Talk().Echo(std::string(CheckEmbosser->isChecked() ? "zzzmesjv " : "zzzmesju ") +
                    VnBytes(CbPrinterList->itemText(index), VniWinTable));
    });
    connect(CbChars, &QComboBox::activated, this,
            [this](int index) { Talk().Echo(CbChars->itemText(index).toStdString()); });
    ApplyEmbosserState();
    CbPrinterList->setFocus();
}

void TPrtSetUpFrm::ApplyEmbosserState() {
    const bool embosser = CheckEmbosser->isChecked();
    Talk().Announce(embosser ? "zzzmesjx " : "zzzmesjw ");
    CbChars->setVisible(embosser);
    LChars->setVisible(embosser);
    for (QWidget* w : {static_cast<QWidget*>(UdLeft), static_cast<QWidget*>(UDRight),
                       static_cast<QWidget*>(LLeft), static_cast<QWidget*>(LRight)})
        w->setVisible(!embosser);
}

void TPrtSetUpFrm::ShowSetup(const TPrintSetup& setup) {
    CbPrinterList->setCurrentIndex(setup.PrinterOf(CbPrinterList->count()));
    CheckEmbosser->setChecked(setup.Embosser);
    CbChars->setCurrentIndex(setup.CharsLine == TPrintSetup::NarrowLine ? 0 : 1);
    UdLeft->setValue(setup.LeftMargin);
    UDRight->setValue(setup.RightMargin);
}

TPrintSetup TPrtSetUpFrm::ChosenSetup() const {
    TPrintSetup setup;
    setup.PrinterIndex = CbPrinterList->currentIndex();
    setup.Embosser = CheckEmbosser->isChecked();
    setup.CharsLine =
        CbChars->currentIndex() == 0 ? TPrintSetup::NarrowLine : TPrintSetup::WideLine;
    setup.LeftMargin = static_cast<std::int16_t>(UdLeft->value());
    setup.RightMargin = static_cast<std::int16_t>(UDRight->value());
    return setup;
}

bool TPrtSetUpFrm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == UdLeft || watched == UDRight) {
        if (event->type() == QEvent::FocusIn)
            Talk().Echo(watched == UdLeft ? LeftMarginName : RightMarginName);
        if (event->type() == QEvent::KeyPress) {
            const QString typed = static_cast<QKeyEvent*>(event)->text();
            if (typed.size() == 1 && typed[0].isPrint()) Talk().Echo(typed.toStdString());
        }
    }
    return TTalkingDialog::eventFilter(watched, event);
}

void TPrtSetUpFrm::keyReleaseEvent(QKeyEvent* e) {
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: done(mrOk); return;
    case Qt::Key_Escape: done(mrCancel); return;
    case Qt::Key_F1: Talk().Announce(" zzzmesjt "); return;
    case Qt::Key_F8: {
        QWidget* f = focusWidget();
        if (auto* combo = qobject_cast<QComboBox*>(f))
            Talk().Echo(VnBytes(combo->currentText(), VniWinTable));
        if (auto* spin = qobject_cast<QSpinBox*>(f)) Talk().Echo(spin->text().toStdString());
        return;
    }
    default: TTalkingDialog::keyReleaseEvent(e);
    }
}

} // namespace tavi
