// The save and open dialogs: the name of a file, typed relative to the user's documents folder
// or with its own folder, or chosen in the file browser.
#pragma once

#include "dialogs/talkingdialog.h"

#include <filesystem>
#include <optional>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace tavi {

class TFileNameFrm : public TTalkingDialog {
    Q_OBJECT
public:
    // After OK: the full path of the file.
    std::filesystem::path FileName() const { return Chosen; }

    QLineEdit* EFName;
    QPushButton* BrowseBt;
    QPushButton* OKBt;
    QPushButton* Button2;
    QPlainTextEdit* PathLabel;

    void done(int result) override;

protected:
    enum class TKind { Save, Open };
    TFileNameFrm(TKind kind, ITalker& talker, const std::filesystem::path& documentsFolder,
                 QWidget* parent);
    // The browser, opened by the browse button: its choice closes this dialog too.
    void BrowseClick();
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Down and Up in the name field: the next or the last name that starts with what was typed.
    void Complete(bool next);

    const TKind Kind;
    std::filesystem::path Folder;
    std::filesystem::path Chosen;
    std::optional<std::filesystem::path> Browsed;
    std::vector<std::string> Completions; // UTF-8, for the text typed last
    std::size_t Completion = 0;           // the one in the field
};

class TSaveFrm : public TFileNameFrm {
    Q_OBJECT
public:
    // A bare name is taken in the documents folder and gets ".TXT" when it has no extension.
    TSaveFrm(ITalker& talker, const std::filesystem::path& documentsFolder,
             QWidget* parent = nullptr);
};

class TOpenFrm : public TFileNameFrm {
    Q_OBJECT
public:
    // A bare name is taken in the documents folder as it is.
    TOpenFrm(ITalker& talker, const std::filesystem::path& documentsFolder,
             QWidget* parent = nullptr);

    // The automatic conversion of the document's code; set before the dialog is shown.
    QCheckBox* CheckAutoCnv;
};

} // namespace tavi
