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
// The same as the Vietnamese voice reads them (UTF-8): the thousands marked by full stops, so
// that the number is read as one, and the units in words.
QString SpokenPhysMem(std::uint64_t totalBytes);
QString SpokenMemoryLoad(int percent);

class TAboutBox : public TTalkingDialog {
    Q_OBJECT
public:
    explicit TAboutBox(ITalker& talker, QWidget* parent = nullptr);

    QLabel* PhysMem;
    QLabel* FreeRes;
    QPushButton* OKButton;

    // What the box shows, as it is read when it opens and on F1: the version and the memory
    // lines with their labels, in Vni for Win.
    std::string Content() const;

    void done(int result) override;

protected:
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;

private:
    QLabel* Version;
    QString Spoken; // the memory lines as they are read
    // F1 went down in the box: the release of the F1 that opened it is not a request.
    bool F1Down = false;
};

} // namespace tavi
