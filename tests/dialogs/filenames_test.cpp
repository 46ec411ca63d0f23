// Where a typed name goes, which files a type shows, how folders are spoken, which places the
// drive list offers: the rules of the file dialogs without the dialogs.
#include "dialogs/filenames.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

namespace {

using std::filesystem::path;

TEST(FileNames, TypedNamesBecomePaths) {
    const path docs = "/home/anna/Documents/Tavi/ANNA", home = "/home/anna";
    const struct {
        const char* typed;
        const char* save;
        const char* open;
    } cases[] = {
        {"report", "/home/anna/Documents/Tavi/ANNA/report.TXT",
         "/home/anna/Documents/Tavi/ANNA/report"},
        {"report.doc", "/home/anna/Documents/Tavi/ANNA/report.doc",
         "/home/anna/Documents/Tavi/ANNA/report.doc"},
        {"/media/usb/report.doc", "/media/usb/report.doc", "/media/usb/report.doc"},
        {"/media/usb/report", "/media/usb/report.TXT", "/media/usb/report"},
        {"~/thu/bai", "/home/anna/thu/bai.TXT", "/home/anna/thu/bai"},
        {"thu/bai.rtf", "/home/anna/Documents/Tavi/ANNA/thu/bai.rtf",
         "/home/anna/Documents/Tavi/ANNA/thu/bai.rtf"},
        {"", "", ""}, // an empty name stays empty
    };
    for (const auto& c : cases) {
        EXPECT_EQ(tavi::SavePath(c.typed, docs, home), path(c.save)) << c.typed;
        EXPECT_EQ(tavi::OpenPath(c.typed, docs, home), path(c.open)) << c.typed;
    }
}

TEST(FileNames, ABareNameOpensItsTxtFileWhenOnlyThatExists) {
    const tavitest::TempDir dir;
    tavitest::WriteFile(dir / "bai.TXT", "x");
    tavitest::WriteFile(dir / "both", "x");
    tavitest::WriteFile(dir / "both.TXT", "x");
    EXPECT_EQ(tavi::DocumentToOpen(dir / "bai"), dir / "bai.TXT");
    EXPECT_EQ(tavi::DocumentToOpen(dir / "both"), dir / "both");
    EXPECT_EQ(tavi::DocumentToOpen(dir / "none"), dir / "none.TXT"); // still missing
}

TEST(FileNames, NamesThatStartWithWhatWasTyped) {
    const tavitest::TempDir dir;
    for (const char* name : {"bao-cao_2026.txt", "Bao (1).rtf", "ban/x.txt", "x", ".bao"})
        tavitest::WriteFile(dir / name, "x");
    const struct {
        std::string typed;
        std::vector<std::string> names;
    } cases[] = {
        {"ba", {"Bao (1).rtf", "ban/", "bao-cao_2026.txt"}},
        {"BAO-", {"bao-cao_2026.txt"}},
        {"ban/", {"ban/x.txt"}},
        {dir.path().string() + "/.b", {dir.path().string() + "/.bao"}},
        {"none/", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(tavi::NameCompletions(c.typed, dir.path(), "/home/anna"), c.names) << c.typed;
}

TEST(FileNames, MasksIgnoreLetterCase) {
    const struct {
        const char* name;
        const char* masks;
        bool match;
    } cases[] = {
        {"bai.txt", "*.txt;*.bra", true}, {"BAI.TXT", "*.txt;*.bra", true},
        {"bai.bra", "*.txt;*.bra", true}, {"bai.rtf", "*.txt;*.bra", false},
        {"bai.txt.bak", "*.txt", false},  {"thư.docx", "*.rtf;*.docx", true},
        {"Makefile", "*", true},          {"a.b", "?.?", true},
        {"ab.b", "?.?", false},           {"report", "*.txt", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(tavi::MatchesMasks(c.name, c.masks), c.match) << c.name << " " << c.masks;
}

TEST(FileNames, RemovableMediaFromTheMountTable) {
    const std::string table = "sysfs /sys sysfs rw 0 0\n"
                              "/dev/sda1 / ext4 rw 0 0\n"
                              "/dev/sdb1 /media/anna/USB\\040DISK vfat rw 0 0\n"
                              "/dev/sdc1 /run/media/anna/THE_CARD exfat rw 0 0\n"
                              "/dev/sdb1 /media/anna/USB\\040DISK vfat rw 0 0\n"
                              "/dev/sdd1 /mnt/backup ext4 rw 0 0\n"
                              "broken line without fields";
    EXPECT_EQ(tavi::RemovableMounts(table),
              (std::vector<path>{"/media/anna/USB DISK", "/run/media/anna/THE_CARD"}));
}

TEST(FileNames, FoldersAreSpokenWithoutTheirPlace) {
    const tavi::TPlace home{"/home/anna", "Thư mục nhà"};
    EXPECT_EQ(tavi::SpokenFolder("/home/anna/thu/2024", home), "thu/2024");
    EXPECT_EQ(tavi::SpokenFolder("/home/anna/", home), "Thư mục nhà");
    EXPECT_EQ(tavi::SpokenFolder("/etc", home), "/etc");
}

TEST(FileNames, UserNamesNeverClimbOutOfTheirFolder) {
    EXPECT_EQ(tavi::UserFolderName("ANNA"), "ANNA");
    EXPECT_EQ(tavi::UserFolderName("NGUYỄN VĂN A"), "NGUYỄN VĂN A");
    EXPECT_EQ(tavi::UserFolderName(".."), "_..");
    EXPECT_EQ(tavi::UserFolderName("."), "_.");
    EXPECT_EQ(tavi::UserFolderName("A/B"), "A_B");
    EXPECT_EQ(tavi::UserFolderName(""), "_");
}

} // namespace
