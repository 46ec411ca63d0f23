// The file browser of the save and open dialogs: places, folders, file types and files, walked
// with the arrow keys while each item is read aloud.
#pragma once

#include "dialogs/filenames.h"
#include "dialogs/talkingdialog.h"

#include <filesystem>
#include <vector>

class QComboBox;
class QListWidget;

namespace tavi {

// The file types of the browser: the caption (Vni for Win), the masks, the spoken key.
struct TFileType {
    const char* Caption;
    const char* Masks;
    const char* Key;
};
extern const TFileType FileTypes[3];

class TFileBrowser : public TTalkingDialog {
    Q_OBJECT
public:
    // forOpen: opened from the open dialog (the name field says so when it gets the focus).
    TFileBrowser(ITalker& talker, const std::filesystem::path& documentsFolder, bool forOpen,
                 QWidget* parent = nullptr);

    QComboBox* DriveComboBox1;
    QListWidget* DirectoryListBox1;
    QListWidget* FileListBox1;
    QComboBox* FilterComboBox1;
    QLineEdit* EdFname;
    QPushButton* Button1;
    QPushButton* Button2;

    // The places of the drive list: the documents folder, the home folder, "/" and the mounted
    // removable media, found when the browser is made.
    const std::vector<TPlace>& Places() const { return FPlaces; }
    // Makes a folder the current one (its place becomes the current drive).
    void SetFolder(const std::filesystem::path& folder);
    const std::filesystem::path& Folder() const { return FFolder; }
    // After OK: the current folder and the chosen name.
    std::filesystem::path ChosenPath() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void ControlFocused(QWidget* control) override;
    void showEvent(QShowEvent* e) override;

private:
    const TPlace& Place() const;
    void FillFolders();
    void FillFiles();
    void FileSelected();
    void FolderChosen(const std::filesystem::path& folder);
    bool ListKeyUp(QWidget* list, int key, Qt::KeyboardModifiers mods);
    void DeleteSelectedFile();
    std::string SpokenFolderOf(const std::filesystem::path& folder) const;

    std::vector<TPlace> FPlaces;
    std::filesystem::path FFolder;
    std::size_t FPlace = 0;
    bool FFilling = false; // lists being refilled: their signals say nothing
};

} // namespace tavi
