// tavitool convert run as a program: one file through standard input and output, a folder of
// mixed old documents mirrored or converted in place, and a full disk that leaves the old file.
#include "codes/vncodeconverter.h"
#include "support/corpus.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

namespace {

namespace fs = std::filesystem;
using tavitest::ReadFile;
using tavitest::WriteFile;

const std::vector<std::string> AllTables = {"LikeVNIDos",       "TCVN3",  "Unicode",
                                            "Unicode Compound", "VISCII", "Vni for Dos",
                                            "Vni for Win",      "VPS",    "Windows-1258"};

class TavitoolConvert : public ::testing::Test {
protected:
    int Run(const std::string& command) { return tavitest::RunTavitoolIn(Dir.path(), command); }
    std::string File(const std::string& name) { return ReadFile(Dir / name); }
    bool Said(const std::string& line) {
        return File("err").find(line + "\n") != std::string::npos;
    }

    tavitest::TempDir Dir;
};

std::string In(const std::string& table) {
    return tavi::ConvertBetween("Unicode", table, tavitest::ProseText());
}

TEST_F(TavitoolConvert, OneFileComesOutAsTheWholeTextConverterWritesIt) {
    std::string text; // several blocks
    while (text.size() < 600 * 1024) text += In("Vni for Win");
    WriteFile(Dir / "in.txt", text);
    const std::string expected = tavi::ConvertBetween("Vni for Win", "Unicode", text);
    const struct {
        std::string command, output;
    } cases[] = {
        {"$T convert --from 'Vni for Win' --to Unicode < in.txt > out1", "out1"},
        {"$T convert --to Unicode in.txt out2", "out2"},
        {"cat in.txt | $T convert --to Unicode - out3", "out3"},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(Run(c.command), 0) << c.command << ": " << File("err");
        EXPECT_EQ(File(c.output), expected) << c.command;
    }
    EXPECT_EQ(Run("$T convert --to Unicode missing.txt"), 1);
    EXPECT_EQ(Run("mkdir d && $T convert --to Unicode d"), 2) << "a folder needs --out-dir";
}

TEST_F(TavitoolConvert, FolderOfMixedDocumentsMirroredAndInPlace) {
    // Each table's prose, half of them two folders down; English, a picture, RTF, a broken link.
    std::map<std::string, std::string> files;
    for (std::size_t k = 0; k < AllTables.size(); ++k)
        files[(k % 2 ? "sub/deeper/" : "") + AllTables[k] + ".txt"] = In(AllTables[k]);
    files["readme.txt"] = "Plain English notes, nothing to convert.\n";
    files["sub/picture.png"] = std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16);
    std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 VNI-Times;}}\\f0 ";
    for (unsigned char c : In("Vni for Win").substr(0, 2000)) {
        char hex[5];
        std::snprintf(hex, sizeof hex, "\\'%02x", c);
        if (c >= 0x80)
            rtf += hex;
        else if (c == '\n')
            rtf += "\\par ";
        else
            rtf += (c == '\\' || c == '{' || c == '}' ? "\\" : "") +
                   std::string(1, static_cast<char>(c));
    }
    files["sub/letter.rtf"] = rtf + "}";
    for (const auto& [name, bytes] : files) WriteFile(Dir / "docs" / name, bytes);
    fs::create_symlink("gone.txt", Dir / "docs/broken.txt");
    tavi::TVnCodeConverter rtfConv;
    rtfConv.RtfMode = true;
    rtfConv.SetSourceTable("Vni for Win");
    rtfConv.SetDestTable("Unicode");
    rtfConv.InStream.Data = files["sub/letter.rtf"];
    rtfConv.Convert();

    // What becomes of each file: its table as reported, its converted bytes (empty: none).
    struct Outcome {
        std::string table, bytes;
    };
    std::map<std::string, Outcome> outcome;
    for (std::size_t k = 0; k < AllTables.size(); ++k) {
        const std::string name = (k % 2 ? "sub/deeper/" : "") + AllTables[k] + ".txt";
        outcome[name] = {AllTables[k], tavi::ConvertBetween(AllTables[k], "Unicode", files[name])};
    }
    outcome["readme.txt"] = {"ASCII", files["readme.txt"]};
    outcome["sub/picture.png"] = {"binary", ""};
    outcome["sub/letter.rtf"] = {"Vni for Win", rtfConv.OutStream.Data};

    ASSERT_EQ(Run("$T convert --to Unicode --out-dir out docs"), 1) << File("err");
    EXPECT_TRUE(Said("docs/broken.txt: -: failed: cannot read it: No such file or directory; "
                     "nothing written"))
        << File("err");
    for (const auto& [name, o] : outcome) {
        EXPECT_TRUE(
            Said("docs/" + name + ": " + o.table + ": " +
                 (o.bytes.empty()          ? std::string("skipped")
                  : o.table == "Unicode"   ? "already Unicode, copied unchanged to out/" + name
                  : o.table == "ASCII"     ? "nothing to convert, copied unchanged to out/" + name
                  : name.ends_with(".rtf") ? "converted to Unicode (RTF) in out/" + name
                                           : "converted to Unicode in out/" + name)))
            << name << "\n"
            << File("err");
        EXPECT_EQ(fs::exists(Dir / "out" / name), !o.bytes.empty()) << name;
        if (!o.bytes.empty()) {
            EXPECT_EQ(File("out/" + name), o.bytes) << name;
        }
        EXPECT_EQ(File("docs/" + name), files[name]) << name << " must stay as it was";
    }

    ASSERT_EQ(Run("$T convert --to Unicode --in-place docs"), 1) << File("err");
    for (const auto& [name, o] : outcome) {
        const bool converted = o.table != "Unicode" && o.table != "ASCII" && !o.bytes.empty();
        EXPECT_EQ(File("docs/" + name), converted ? o.bytes : files[name]) << name;
        EXPECT_EQ(fs::exists(Dir / "docs" / (name + ".bak")), converted) << name;
        if (converted) {
            EXPECT_EQ(File("docs/" + name + ".bak"), files[name]) << name;
        }
    }
    // A second run finds everything in Unicode and leaves the backups alone.
    ASSERT_EQ(Run("rm docs/broken.txt && $T convert --to Unicode --in-place --no-backup docs"), 0)
        << File("err");
    EXPECT_TRUE(Said("docs/VISCII.txt: Unicode: already Unicode, left as it is")) << File("err");
    EXPECT_EQ(File("err").find(".bak"), std::string::npos) << File("err");
}

TEST_F(TavitoolConvert, InPlaceKeepsTheOldFileWhenTheDiskIsFull) {
    std::string text;
    while (text.size() < 300 * 1024) text += In("Vni for Win");
    WriteFile(Dir / "docs/book.txt", text);
    // A file-size limit of 100 KB (in 512-byte blocks) stops the converted file half-way.
    EXPECT_EQ(Run("ulimit -f 200 && $T convert --to Unicode --in-place docs"), 1);
    EXPECT_TRUE(Said("docs/book.txt: Vni for Win: failed: Cannot write docs/book.txt: File too "
                     "large; the file is unchanged"))
        << File("err");
    EXPECT_EQ(File("docs/book.txt"), text);
    EXPECT_EQ(std::distance(fs::directory_iterator(Dir / "docs"), {}), 1) << "no leftovers";
}

} // namespace
