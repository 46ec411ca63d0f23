// The about box: the program's title and version, and the machine's memory.
#pragma once

#include "dialogs/talkingdialog.h"

#include <cstdint>

class QLabel;
class QPushButton;

namespace tavi {

// Total physical memory and the share in use, from the system.
struct TMemoryStatus {
    std::uint64_t TotalBytes = 0;
    int LoadPercent = 0;
};
TMemoryStatus ReadMemoryStatus();

// "#,### KB" and "%d %%" as the about box shows them.
QString PhysMemText(std::uint64_t totalBytes);
QString MemoryLoadText(int percent);

class TAboutBox : public TTalkingDialog {
    Q_OBJECT
public:
    explicit TAboutBox(ITalker& talker, QWidget* parent = nullptr);

    QLabel* PhysMem;
    QLabel* FreeRes;
    QPushButton* OKButton;

    void done(int result) override;

protected:
    void showEvent(QShowEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
};

} // namespace tavi
