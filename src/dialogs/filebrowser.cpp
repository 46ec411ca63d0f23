#include "dialogs/filebrowser.h"

#include "dialogs/confirmfrm.h"
#include "dialogs/vntext.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>

namespace tavi {

namespace fs = std::filesystem;

const TFileType FileTypes[3] = {
    {"Va\xEAn ba\xFBn chua\xE5n", "*.txt;*.bra", "zzzmeslc"}, // Văn bản chuẩn
    {"Va\xEAn ba\xFBn \xF1\xF2nh da\xEFng", "*.rtf;*.doc;*.docx;*.odt;*.htm;*.html",
     "zzzmesld"},                        // Văn bản định dạng
    {"Ta\xE1t ca\xFB", "*", "zzzmesle"}, // Tất cả
};

namespace {

// Tags of the browser's controls: the name field's spoken name comes from its tag (0 the save
// dialog's, 1 the open dialog's); the lists speak for themselves.
enum { TagDrives = 10, TagFolders, TagFiles, TagTypes };

QString PathText(const fs::path& path) {
    return QString::fromStdString(path.string());
}

std::string ReadMountTable() {
    QFile mounts("/proc/self/mounts");
    if (!mounts.open(QIODevice::ReadOnly)) return {};
    return mounts.readAll().toStdString();
}

std::vector<TPlace> FindPlaces(const fs::path& documentsFolder) {
    std::vector<TPlace> places = {{documentsFolder, "Tài liệu"},
                                  {QDir::homePath().toStdString(), "Thư mục nhà"},
                                  {"/", "Gốc"}};
    for (const fs::path& medium : RemovableMounts(ReadMountTable()))
        places.push_back({medium, medium.filename().string()});
    return places;
}

Qt::KeyboardModifiers Modifiers(const QKeyEvent* key) {
    return key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
}

} // namespace

TFileBrowser::TFileBrowser(ITalker& talker, const fs::path& documentsFolder, bool forOpen,
                           QWidget* parent)
    : TTalkingDialog(talker, parent), FPlaces(FindPlaces(documentsFolder)) {
    setWindowTitle(QString::fromUtf8("Duyệt tập tin"));
    DriveComboBox1 = new QComboBox(this);
    for (const TPlace& p : FPlaces) DriveComboBox1->addItem(QString::fromStdString(p.Name));
    DirectoryListBox1 = new QListWidget(this);
    FileListBox1 = new QListWidget(this);
    FilterComboBox1 = new QComboBox(this);
    for (const TFileType& t : FileTypes) FilterComboBox1->addItem(VnText(t.Caption));
    EdFname = new QLineEdit(this);
    Button1 = new QPushButton(QString::fromUtf8("&Chọn"), this);
    Button2 = new QPushButton(QString::fromUtf8("&Hủy bỏ"), this);
    for (QPushButton* b : {Button1, Button2}) {
        b->setFocusPolicy(Qt::NoFocus); // not a tab stop
        b->setAutoDefault(false);       // Enter belongs to the lists and the name field
    }
    auto* grid = new QGridLayout(this);
    // Each label names the control under it, for a screen reader too.
    const auto label = [this](const char* caption, QWidget* control) {
        auto* l = new QLabel(QString::fromUtf8(caption), this);
        l->setBuddy(control);
        return l;
    };
    grid->addWidget(label("Tên tập tin:", EdFname), 0, 0);
    grid->addWidget(EdFname, 1, 0);
    grid->addWidget(FileListBox1, 2, 0);
    grid->addWidget(label("Kiểu tập tin:", FilterComboBox1), 3, 0);
    grid->addWidget(FilterComboBox1, 4, 0);
    grid->addWidget(label("Thư mục:", DirectoryListBox1), 0, 1);
    grid->addWidget(DirectoryListBox1, 1, 1, 2, 1);
    grid->addWidget(label("Ổ đĩa:", DriveComboBox1), 3, 1);
    grid->addWidget(DriveComboBox1, 4, 1);
    // Lists take no name from a label.
    FileListBox1->setAccessibleName(QString::fromUtf8("Tập tin"));
    DirectoryListBox1->setAccessibleName(QString::fromUtf8("Thư mục"));
    grid->addLayout(ButtonRow({Button1, Button2}), 5, 0, 1, 2);
    setTabOrder(EdFname, FileListBox1);
    setTabOrder(FileListBox1, FilterComboBox1);
    setTabOrder(FilterComboBox1, DirectoryListBox1);
    setTabOrder(DirectoryListBox1, DriveComboBox1);

    SetSpokenNames({"zzzmesam", "zzzmesew "});
    SetTag(EdFname, forOpen ? 1 : 0);
    SetTag(DriveComboBox1, TagDrives);
    SetTag(DirectoryListBox1, TagFolders);
    SetTag(FileListBox1, TagFiles);
    SetTag(FilterComboBox1, TagTypes);
    TFieldRules rules;
    rules.Refused = TRefusedSet::FileName;
    rules.BeepWhenSilent = false;
    rules.EchoEnterAndEscape = true;
    rules.OkButton = Button1;
    MakeTalkingField(EdFname, std::move(rules));

    connect(Button1, &QPushButton::clicked, this, [this] { done(mrOk); });
    connect(Button2, &QPushButton::clicked, this, [this] { done(mrCancel); });
    connect(FileListBox1, &QListWidget::currentRowChanged, this, [this] {
        if (!FFilling) FileSelected();
    });
    connect(FileListBox1, &QListWidget::itemDoubleClicked, this, [this] { done(mrOk); });
    connect(DirectoryListBox1, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        FolderChosen(item->data(Qt::UserRole).toString().toStdString());
    });
    connect(FilterComboBox1, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (FFilling) return;
        FillFiles();
        if (index >= 0 && index < 3) Talk().Echo(FileTypes[index].Key);
    });
    connect(DriveComboBox1, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (FFilling || index < 0) return;
        Talk().Echo(Vni(FPlaces[static_cast<std::size_t>(index)].Name));
        FolderChosen(FPlaces[static_cast<std::size_t>(index)].Root);
    });
    SetFolder(documentsFolder);
}

void TFileBrowser::SetFolder(const fs::path& folder) {
    FFolder = folder.lexically_normal();
    // "/home/anna/" is the folder /home/anna.
    if (!FFolder.has_filename() && FFolder.has_relative_path()) FFolder = FFolder.parent_path();
    // The place is the one whose root holds the folder most closely.
    std::size_t best = 0, bestLength = 0;
    for (std::size_t i = 0; i < FPlaces.size(); ++i) {
        const fs::path relative = FFolder.lexically_relative(FPlaces[i].Root);
        const std::size_t length = FPlaces[i].Root.string().size();
        if (!relative.empty() && *relative.begin() != ".." && length >= bestLength) {
            best = i;
            bestLength = length;
        }
    }
    FPlace = best;
    FFilling = true;
    DriveComboBox1->setCurrentIndex(static_cast<int>(FPlace));
    FFilling = false;
    FillFolders();
    FillFiles();
}

fs::path TFileBrowser::ChosenPath() const {
    return FFolder / VnText(FieldBytes(EdFname)).toStdString();
}

const TPlace& TFileBrowser::Place() const {
    return FPlaces[FPlace];
}

std::string TFileBrowser::SpokenFolderOf(const fs::path& folder) const {
    return Vni(SpokenFolder(folder, Place()));
}

// The folder list as a tree: the place's root and the folders down to the current one, then
// the folders inside it.
void TFileBrowser::FillFolders() {
    FFilling = true;
    DirectoryListBox1->clear();
    std::vector<fs::path> chain{FFolder};
    for (fs::path p = FFolder; p != Place().Root && p.has_relative_path() && p != p.parent_path();
         p = p.parent_path())
        chain.insert(chain.begin(), p.parent_path());
    int depth = 0;
    const auto add = [this](const fs::path& path, const QString& text) {
        auto* item = new QListWidgetItem(text, DirectoryListBox1);
        item->setData(Qt::UserRole, PathText(path));
    };
    for (const fs::path& p : chain) {
        add(p, QString(depth++ * 2, ' ') + (p == Place().Root
                                                ? QString::fromStdString(Place().Name)
                                                : QString::fromStdString(p.filename().string())));
    }
    const int current = DirectoryListBox1->count() - 1;
    QDir dir(PathText(FFolder));
    for (const QFileInfo& sub :
         dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase))
        add(sub.filePath().toStdString(), QString(depth * 2, ' ') + sub.fileName());
    DirectoryListBox1->setCurrentRow(current);
    FFilling = false;
}

void TFileBrowser::FillFiles() {
    FFilling = true;
    FileListBox1->clear();
    const int type = std::max(FilterComboBox1->currentIndex(), 0);
    QDir dir(PathText(FFolder));
    for (const QFileInfo& f : dir.entryInfoList(QDir::Files, QDir::Name | QDir::IgnoreCase))
        if (MatchesMasks(f.fileName().toStdString(), FileTypes[type].Masks))
            FileListBox1->addItem(f.fileName());
    FileListBox1->setCurrentRow(-1);
    FFilling = false;
}

void TFileBrowser::FileSelected() {
    const QListWidgetItem* item = FileListBox1->currentItem();
    if (!item) return;
    const std::string name = VnBytes(item->text(), VniWinTable);
    SetFieldBytes(EdFname, name);
    if (Talk().SoundOn()) Talk().Echo(name);
}

void TFileBrowser::FolderChosen(const fs::path& folder) {
    if (folder == FFolder) return;
    SetFolder(folder);
    if (Talk().SoundOn() && isActiveWindow()) Talk().Echo(SpokenFolderOf(FFolder));
}

void TFileBrowser::showEvent(QShowEvent* e) {
    TTalkingDialog::showEvent(e);
    FillFiles();
    FileListBox1->setFocus();
}

void TFileBrowser::ControlFocused(QWidget* control) {
    switch (Tag(control)) {
    case TagDrives: Talk().Announce(" zzzmeseza "); break;
    case TagFolders: Talk().Announce(" zzzmesfa "); break;
    case TagTypes: Talk().Announce(" zzzmesfb "); break;
    case TagFiles:
        if (FileListBox1->count() > 0) {
            if (FileListBox1->currentRow() < 0) {
                FFilling = true;
                FileListBox1->setCurrentRow(0);
                FFilling = false;
            }
            Talk().Announce("  zzzmesgqa ");
        } else {
            Talk().Announce(" zzzmesexa ");
            FilterComboBox1->setFocus();
        }
        FileSelected();
        break;
    default: TTalkingDialog::ControlFocused(control);
    }
}

bool TFileBrowser::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyRelease && watched != EdFname) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (auto* w = qobject_cast<QWidget*>(watched);
            w && ListKeyUp(w, key->key(), Modifiers(key)))
            return true;
    }
    return TTalkingDialog::eventFilter(watched, event);
}

// The lists' keys, all on release, as the table of the browser says.
bool TFileBrowser::ListKeyUp(QWidget* list, int key, Qt::KeyboardModifiers mods) {
    const int tag = Tag(list);
    const bool none = mods == Qt::NoModifier;
    const bool sound = Talk().SoundOn();
    if (key == Qt::Key_Escape && (tag != TagFiles || none)) {
        done(mrCancel);
        return true;
    }
    if (tag == TagFiles && none) {
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            done(mrOk);
            return true;
        }
        if (key == Qt::Key_Delete) {
            DeleteSelectedFile();
            return true;
        }
        if ((key == Qt::Key_Up || key == Qt::Key_Down) && sound && FileListBox1->count() == 1) {
            Talk().Echo(VnBytes(FileListBox1->item(0)->text(), VniWinTable));
            return true;
        }
    }
    if (tag == TagFolders && (key == Qt::Key_Up || key == Qt::Key_Down) && sound) {
        const QListWidgetItem* item = DirectoryListBox1->currentItem();
        const fs::path highlighted =
            item ? fs::path(item->data(Qt::UserRole).toString().toStdString()) : FFolder;
        if (highlighted != FFolder) Talk().Echo(SpokenFolderOf(highlighted));
        return true;
    }
    if ((key != Qt::Key_F1 && key != Qt::Key_F8) || !sound || (tag != TagFolders && !none))
        return false;
    const bool help = key == Qt::Key_F1;
    switch (tag) {
    case TagFiles:
        if (help) {
            Talk().Announce(" zzzmesdza ");
        } else {
            const QListWidgetItem* item = FileListBox1->currentItem();
            Talk().Echo(" zzzmesfc " +
                        (item ? Vni((FFolder / item->text().toStdString()).string()) : ""));
        }
        return true;
    case TagDrives:
        if (help)
            Talk().Announce(" zzzmesek ");
        else
            Talk().Echo(" zzzmeseja " + Vni(Place().Name));
        return true;
    case TagFolders:
        if (help)
            Talk().Announce(" zzzmesdw ");
        else
            Talk().Echo(" zzzmesfd " + SpokenFolderOf(FFolder));
        return true;
    case TagTypes:
        if (help)
            Talk().Announce(" zzzmesfb ");
        else
            Talk().Echo(
                " zzzmesfe " +
                std::string(FileTypes[std::max(FilterComboBox1->currentIndex(), 0)].Caption));
        return true;
    default: return false;
    }
}

void TFileBrowser::DeleteSelectedFile() {
    const QListWidgetItem* item = FileListBox1->currentItem();
    if (!item) return;
    TConfirmFrm confirm(Talk(), this);
    confirm.Prompt = Vni("Bạn muốn xóa tập tin này");
    confirm.SetQuestion(Vni("Bạn muốn xóa tập tin này?"));
    if (confirm.exec() != mrOk) return;
    std::error_code ec;
    if (fs::remove(FFolder / item->text().toStdString(), ec)) {
        Talk().Announce(Vni("đã xóa xong"));
        FillFiles();
    } else {
        Talk().Announce(Vni("không xóa được tập tin này"));
    }
    FileListBox1->setFocus();
}

} // namespace tavi
