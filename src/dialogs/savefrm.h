// The save dialog: the name of the file to save, relative to the user's documents folder.
#pragma once

#include "dialogs/talkingdialog.h"

#include <filesystem>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace tavi {

class TSaveFrm : public TTalkingDialog {
    Q_OBJECT
public:
    TSaveFrm(ITalker& talker, const std::filesystem::path& documentsFolder,
             QWidget* parent = nullptr);

    // After OK: the full path of the file (a bare name is taken in the documents folder and
    // gets ".TXT" when it has no extension).
    std::filesystem::path FileName() const { return Chosen; }

    QLineEdit* EFName;
    QPushButton* BrowseBt;
    QPushButton* OKBt;
    QPushButton* Button2;
    QPlainTextEdit* PathLabel;

    void done(int result) override;

private:
    std::filesystem::path Folder;
    std::filesystem::path Chosen;
};

} // namespace tavi
