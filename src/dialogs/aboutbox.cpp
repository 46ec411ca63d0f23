#include "dialogs/aboutbox.h"

#include "dialogs/vntext.h"

#include <QApplication>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <fstream>
#include <utility>

namespace tavi {

TMemoryStatus ReadMemoryStatus() {
    TMemoryStatus status;
    std::ifstream in("/proc/meminfo");
    std::string name, unit;
    std::uint64_t value = 0, total = 0, available = 0;
    while (in >> name >> value) {
        std::getline(in, unit);
        if (name == "MemTotal:") total = value;
        if (name == "MemAvailable:") available = value;
    }
    status.TotalBytes = total * 1024;
    if (total > 0 && available <= total)
        status.LoadPercent = static_cast<int>((total - available) * 100 / total);
    return status;
}

QString PhysMemText(std::uint64_t totalBytes) {
    std::string digits = std::to_string(totalBytes / 1024);
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i && (digits.size() - i) % 3 == 0) grouped += ',';
        grouped += digits[i];
    }
    return QString::fromStdString(grouped + " KB");
}

QString MemoryLoadText(int percent) {
    return QString::asprintf("%d %%", percent);
}

QString SpokenPhysMem(std::uint64_t totalBytes) {
    return PhysMemText(totalBytes).replace(',', '.').replace("KB", QString::fromUtf8("ki lô bai"));
}

QString SpokenMemoryLoad(int percent) {
    return QString::number(percent) + QString::fromUtf8(" phần trăm");
}

namespace {

const char* const MemoryLabel = "Bộ nhớ:";
const char* const LoadLabel = "Đang dùng:";

} // namespace

TAboutBox::TAboutBox(ITalker& talker, QWidget* parent) : TTalkingDialog(talker, parent) {
    setWindowTitle(QString::fromUtf8("Giới thiệu Soạn Thảo Tavi"));
    auto* icon = new QLabel(this);
    icon->setPixmap(QApplication::windowIcon().isNull()
                        ? style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(48, 48)
                        : QApplication::windowIcon().pixmap(48, 48));
    auto* title = new QLabel(QString::fromUtf8("<b>Soạn Thảo Tavi</b>"), this);
    Version =
        new QLabel(QString::fromUtf8("Phiên bản ") + QApplication::applicationVersion(), this);
    const TMemoryStatus memory = ReadMemoryStatus();
    PhysMem = new QLabel(PhysMemText(memory.TotalBytes), this);
    FreeRes = new QLabel(MemoryLoadText(memory.LoadPercent), this);
    Spoken = QString::fromUtf8(MemoryLabel) + ' ' + SpokenPhysMem(memory.TotalBytes) + ". " +
             QString::fromUtf8(LoadLabel) + ' ' + SpokenMemoryLoad(memory.LoadPercent) + '.';
    OKButton = new QPushButton(QString::fromUtf8("Đồng ý"), this);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, [this] { done(mrCancel); });
    auto* form = new QFormLayout;
    form->addRow(QString::fromUtf8(MemoryLabel), PhysMem);
    form->addRow(QString::fromUtf8(LoadLabel), FreeRes);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(icon, 0, Qt::AlignHCenter);
    layout->addWidget(title, 0, Qt::AlignHCenter);
    layout->addWidget(Version, 0, Qt::AlignHCenter);
    layout->addLayout(form);
    layout->addWidget(OKButton, 0, Qt::AlignHCenter);
}

std::string TAboutBox::Content() const {
    return VnBytes(Version->text() + ". " + Spoken, VniWinTable);
}

void TAboutBox::showEvent(QShowEvent* e) {
    TTalkingDialog::showEvent(e);
    Talk().Announce(" zzzmesgsa " + Content());
}

void TAboutBox::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_F1) F1Down = true;
    TTalkingDialog::keyPressEvent(e);
}

void TAboutBox::keyReleaseEvent(QKeyEvent* e) {
    const auto mods = e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (e->key() == Qt::Key_F1 && std::exchange(F1Down, false) && mods == Qt::NoModifier) {
        Talk().Announce(" zzzmesgsa " + Content());
        return;
    }
    TTalkingDialog::keyReleaseEvent(e);
}

void TAboutBox::done(int result) {
    Talk().StopReading();
    TTalkingDialog::done(result);
}

} // namespace tavi
