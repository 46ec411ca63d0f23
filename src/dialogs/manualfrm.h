// The help-text window: one numbered section of a help file at a time, chosen by typing its
// number, read aloud.
#pragma once

#include "dialogs/manualsections.h"
#include "dialogs/talkingdialog.h"

#include <QElapsedTimer>

#include <memory>

class QPlainTextEdit;

namespace tavi {

class TManualFrm : public TTalkingDialog {
    Q_OBJECT
public:
    explicit TManualFrm(ITalker& talker, QWidget* parent = nullptr);

    // Full path of the help text (Vni for Win, CR LF lines); read when the window is shown.
    std::string FileName;

    QPlainTextEdit* Manual;

    // The section now shown, as lines of Vni for Win text.
    const std::vector<std::string>& ShownLines() const { return Shown; }
    // Shows the section of the digits typed so far plus this one, as a key press would.
    void TypeDigit(char digit);

    void done(int result) override;

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowSection(std::vector<std::string> lines);
    std::string WholeText() const;
    std::unique_ptr<TManualSections> Sections;
    std::vector<std::string> Shown;
    QElapsedTimer Clock;
};

} // namespace tavi
