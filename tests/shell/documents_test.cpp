// The File menu on the offscreen main window over real files: what each command does to the
// document and the disk, what it says, and that no document is lost on the way.
#include "codes/brailleconverter.h"
#include "dialogs/confirmfrm.h"
#include "document/doctext.h"
#include "document/msrichedit.h"
#include "platform/eventwait.h"
#include "platform/singlecopy.h"
#include "shell/formrig.h"
#include "shell/recovery.h"
#include "shell/usersettings.h"
#include "support/keyscript.h"
#include "support/notedpids.h"

#include <QAction>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <thread>

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const std::string VietNam = "Vie\xE4t Nam"; // Việt Nam in the editor's code

class Documents : public ::testing::Test {
protected:
    void SetUp() override { form = rig.Start(); }
    void TearDown() override {
        if (!form) return;
        form->SetModified(0);
        form->close();
    }
    fs::path Docs() const { return rig.dir / "docs/ANNA"; }
    void TypeName(const std::string& name) { rig.TypeName(name); }
    // A command run from its menu item.
    void Run(const char* item) {
        rig.said.clear();
        form->Action(item)->trigger();
    }

    tavitest::TFormRig rig;
    std::unique_ptr<tavi::TMainForm> form;
};

TEST_F(Documents, SaveByABareNameThenOpenItAgain) {
    form->Editor->SetText(VietNam);
    TypeName("bai1");
    Run("MFSave");
    EXPECT_EQ(tavitest::ReadFile(Docs() / "bai1.TXT"), VietNam);
    EXPECT_EQ(form->Document().FileName, (Docs() / "bai1.TXT").string());
    EXPECT_EQ(form->Document().Modified, 0);
    EXPECT_EQ(rig.said, (Lines{"vi\tzzzmeser ", "vi\tzzzmesa"}));

    Run("MFSave"); // nothing to save
    EXPECT_TRUE(rig.said.empty());
    Run("MFNew");
    EXPECT_EQ(form->Editor->Text(), "");
    EXPECT_EQ(form->Document().FileName, "Khong Ten");

    TypeName("bai1"); // only bai1.TXT exists
    Run("MFOpen");
    EXPECT_EQ(form->Editor->Text(), VietNam);
    EXPECT_EQ(form->windowTitle(), QString::fromUtf8("Soạn Thảo Tavi - bai1.TXT"));
    EXPECT_EQ(rig.said, (Lines{"vi\t zzzmesem ", "vi\tzzzmesa"}));
}

TEST_F(Documents, WhatCannotBeOpenedLeavesTheDocumentAsItWas) {
    tavitest::WriteFile(rig.dir / "big.txt", "");
    fs::resize_file(rig.dir / "big.txt", (std::uintmax_t{33} << 20)); // more than the editor takes
    ASSERT_EQ(::mkfifo((rig.dir / "fifo.txt").c_str(), 0600), 0);     // opening it would block
    fs::create_directory(rig.dir / "folder.rtf");
    tavitest::WriteFile(rig.dir / "deep.rtf", "{\\rtf1 " + std::string(1000000, '{'));
    // Some 300 KB of package holding 324 MB of XML.
    tavitest::WriteFile(rig.dir / "bomb.py", "import zipfile\nz = zipfile.ZipFile('" +
                                                 (rig.dir / "bomb.docx").string() +
                                                 "', 'w', zipfile.ZIP_DEFLATED)\nw = z.open("
                                                 "'word/document.xml', 'w')\nfor _ in range(30):"
                                                 " w.write(b'<w:p/>' * 1800000)\n");
    ASSERT_EQ(std::system(("/usr/bin/python3 " + (rig.dir / "bomb.py").string()).c_str()), 0);
    const struct {
        std::string name;
        Lines said;
    } cases[] = {{(rig.dir / "none").string(), {"vi\tzzzmeset "}},
                 {(rig.dir / "big.txt").string(), {"vi\t zzzmesql "}},
                 {(rig.dir / "bomb.docx").string(), {"vi\t zzzmesql "}},
                 {(rig.dir / "fifo.txt").string(), {"vi\t zzzmesel "}},
                 {(rig.dir / "folder.rtf").string(), {"vi\t zzzmesel "}},
                 {(rig.dir / "deep.rtf").string(), {"vi\t zzzmesel "}}};
    for (const auto& c : cases) {
        form->Editor->SetText("giữ nguyên");
        rig.said.clear();
        EXPECT_FALSE(form->OpenDocument(c.name));
        EXPECT_EQ(rig.said, c.said) << c.name;
        EXPECT_EQ(form->Editor->Text(), "giữ nguyên");
        EXPECT_EQ(form->Document().FileName, "Khong Ten");
        EXPECT_EQ(form->Document().Modified, 1);
    }
}

TEST_F(Documents, SaveAsAsksBeforeOverwritingAndAFailedSaveKeepsEverything) {
    tavitest::WriteFile(Docs() / "cu.TXT", "old");
    form->Editor->SetText(VietNam);
    TypeName("cu");
    rig.Answer(tavi::mrCancel); // overwrite? no
    Run("MFSaveAs");
    EXPECT_EQ(tavitest::ReadFile(Docs() / "cu.TXT"), "old");
    EXPECT_EQ(rig.said.at(0), "vi\tzzzmesan");
    TypeName("cu");
    rig.Answer(tavi::mrOk);
    Run("MFSaveAs");
    EXPECT_EQ(tavitest::ReadFile(Docs() / "cu.TXT"), VietNam);

    form->Editor->SetText("new text");
    TypeName("/proc/tavi/cannot.txt"); // a folder that is not there
    Run("MFSaveAs");
    const auto failed = std::find(rig.said.begin(), rig.said.end(), "vi\tzzzmesesa ");
    // Not saved, no such folder; then back to the editor.
    EXPECT_EQ(Lines(failed, rig.said.end()),
              (Lines{"vi\tzzzmesesa ", "vi\tzzzmesyd ", "vi\tzzzmesa"}));
    EXPECT_EQ(form->Document().Modified, 1);
    EXPECT_EQ(form->Document().FileName, (Docs() / "cu.TXT").string());
}

TEST_F(Documents, ABrailleDocumentIsSavedAsItsText) {
    form->Editor->SetText(VietNam);
    form->Action("MGTGrade1")->trigger(); // F11
    const std::string cells = form->Editor->Text();
    ASSERT_NE(cells, VietNam);
    TypeName("chunoi.txt");
    Run("MFSaveAs");
    EXPECT_EQ(tavitest::ReadFile(Docs() / "chunoi.txt"), VietNam);
    EXPECT_EQ(form->Editor->Text(), cells); // still shown in Braille
    EXPECT_TRUE(form->Checked("MGTGrade1"));
    EXPECT_EQ(form->Document().Modified, 0);
}

TEST_F(Documents, CancelInTheSaveQuestionAbandonsTheCommand) {
    form->Editor->SetText(VietNam);
    rig.Answer(tavi::mrCancel);
    Run("MFNew");
    EXPECT_EQ(form->Editor->Text(), VietNam);
    bool poweredOff = false;
    form->SetModified(0);
    form->close();
    form =
        rig.Start([&](tavi::TMainFormSetup& s) { s.PowerOff = [&] { return poweredOff = true; }; });
    form->Editor->SetText(VietNam);
    rig.Answer(tavi::mrOk);     // shut down? yes
    rig.Answer(tavi::mrCancel); // save? put off
    Run("MFShutDown");
    EXPECT_FALSE(poweredOff);
    rig.Answer(tavi::mrOk);
    rig.Answer(tavi::mrNo); // not saved: given up, and not kept for recovery either
    Run("MFShutDown");
    EXPECT_TRUE(poweredOff);
    EXPECT_NE(std::find(rig.said.begin(), rig.said.end(), "vi\t zzzmessa "), rig.said.end());

    // A file dropped or handed over by a later start asks first, too.
    const fs::path other = rig.dir / "other.txt";
    tavitest::WriteFile(other, "other");
    rig.Answer(tavi::mrCancel);
    form->OpenRequested(other.string());
    EXPECT_EQ(form->Editor->Text(), VietNam);
    rig.Answer(tavi::mrNo);
    form->OpenRequested(other.string());
    EXPECT_EQ(form->Editor->Text(), "other");
}

TEST_F(Documents, TheBrailleTranslatorIsAnyProgram) {
    const fs::path marker = rig.dir / "ran";
    const fs::path program = rig.dir / "translator.sh";
    tavitest::WriteFile(program, "#!/bin/sh\ntouch '" + marker.string() + "'\n");
    fs::permissions(program, fs::perms::owner_all);
    // The program the settings name, shared by every user.
    const auto translator = [&](const fs::path& file) {
        form->close();
        tavi::TRegistry reg(rig.dir / "registry.reg");
        reg.OpenKey(tavi::SettingsKey, true);
        reg.WriteString("DbtApp", file.string());
        reg.CloseKey();
        form = rig.Start();
    };
    translator(program);
    Run("MFDBT");
    EXPECT_EQ(rig.said, (Lines{"vi\t zzzmesbja "}));
    EXPECT_TRUE(tavi::PumpEventsUntil([&] { return fs::exists(marker); }, 5000));
    translator(rig.dir / "none");
    Run("MFDBT");
    EXPECT_EQ(rig.said, (Lines{"vi\t zzzmesbi "}));
}

TEST_F(Documents, AnUnsavedDocumentComesBackAfterTheProgramEnds) {
    form->close();
    form = rig.Start([](tavi::TMainFormSetup& s) { s.RecoveryDelayMs = 20; });
    const fs::path recovery = tavi::RecoveryFile(rig.dir / "state", "ANNA");
    TypeName("thu");
    form->Editor->SetText("first");
    Run("MFSave");
    form->Editor->SetText(VietNam);
    // Written a moment after the change, by the writer's thread.
    EXPECT_TRUE(
        tavi::PumpEventsUntil([&] { return tavi::ReadRecoveryFile(recovery).has_value(); }, 5000));
    form->Action("MGTGrade1")->trigger();
    // Logout, from the running program: no question, the latest state kept at once, and every
    // event loop ends.
    QTimer::singleShot(0, form.get(), [&] { form->EndRequested(); });
    EXPECT_EQ(QCoreApplication::exec(), 0);
    const auto kept = tavi::ReadRecoveryFile(recovery);
    ASSERT_TRUE(kept.has_value());
    EXPECT_TRUE(kept->Braille);
    EXPECT_EQ(kept->FileName, (Docs() / "thu.TXT").string());
    form.reset();

    std::string asked;
    rig.answers.push_back([&asked](QDialog& d) { // restore it
        asked = dynamic_cast<tavi::TConfirmFrm&>(d).Prompt;
        return int(tavi::mrOk);
    });
    form = rig.Start();
    EXPECT_EQ(asked, "zzzmesrc");
    EXPECT_EQ(form->Document().FileName, (Docs() / "thu.TXT").string());
    EXPECT_TRUE(form->Checked("MGTGrade1"));
    EXPECT_EQ(form->Document().Modified, 1);
    Run("MFSave"); // saved as its text: nothing left to recover
    EXPECT_EQ(tavitest::ReadFile(Docs() / "thu.TXT"), VietNam);
    EXPECT_TRUE(tavi::PumpEventsUntil([&] { return !fs::exists(recovery); }, 5000));

    // A damaged file is kept aside, not offered and not lost.
    tavitest::WriteFile(recovery, "TAVI RECOVERY 1\nname 3\n");
    form->SetModified(0);
    form->close();
    form = rig.Start();
    EXPECT_TRUE(fs::exists(recovery.string() + ".damaged"));
    EXPECT_EQ(form->Editor->Text(), "");
}

TEST_F(Documents, OfficeDocumentsInAndOut) {
    form->Editor->SetText(VietNam);
    TypeName("thu.docx");
    Run("MFSave");
    const std::string docx = tavitest::ReadFile(Docs() / "thu.docx");
    ASSERT_TRUE(docx.starts_with("PK")) << "not a docx";
    // Under a name that hides it, it is still a document for the converter.
    fs::copy_file(Docs() / "thu.docx", rig.dir / "renamed.txt");
    for (const fs::path& file : {Docs() / "thu.docx", rig.dir / "renamed.txt"}) {
        Run("MFNew");
        ASSERT_TRUE(form->OpenDocument(file.string())) << file;
        EXPECT_EQ(form->Editor->Text(), VietNam) << file; // Unicode inside, converted back
    }
}

// An office document whose converter never ends: the user hears that it is converted, moves
// and reads as ever, cannot change the document meanwhile, and Escape ends the converter with
// everything it started.
TEST_F(Documents, WhileAConversionRunsTheEditorStillTalksAndEscapeEndsIt) {
    const fs::path bin = rig.dir / "bin", pids = rig.dir / "pids";
    const std::string note = "echo $! >> '" + pids.string() + "'\n";
    tavitest::WriteFile(bin / "soffice", "#!/bin/sh\necho $$ >> '" + pids.string() +
                                             "'\n/bin/sleep 1000 &\n" + note + "wait\n");
    fs::permissions(bin / "soffice", fs::perms::owner_all);
    tavitest::WriteFile(rig.dir / "letter.docx", "PK\x03\x04");
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(bin.string()));
    form->Editor->SetText("ab");
    form->Editor->SetSelStart(0);
    form->SetModified(0);
    const Lines beep = {"beep\tBeep.wav"};
    const struct {
        const char* keys;
        Lines said;
    } cases[] = {
        {"{Right}", {"vi\ta"}}, // moving and reading speak as ever
        {"{F8}", {"vi\tzzzmesgn "}},
        {"x", beep}, // the document stays as it is
        {"{Del}", beep},
        {"{Ctrl+N}", beep}, // and no other comes in its place
        {"{F11}", beep},    // nor is it shown in Braille, and the menu still shows text
        {"{Esc}", {}},
    };
    Lines atStart;
    std::vector<Lines> heard;
    QTimer user; // the user's keys, once the converter and its child run
    QObject::connect(&user, &QTimer::timeout, [&] {
        if (!heard.empty() || tavitest::NotedPids(pids).size() < 2) return;
        atStart = rig.said;
        for (const auto& c : cases) {
            rig.said.clear();
            tavitest::PlayKeys(form->Editor, c.keys);
            heard.push_back(rig.said);
        }
        rig.said.clear();
    });
    user.start(20);
    rig.said.clear();
    EXPECT_FALSE(form->OpenDocument((rig.dir / "letter.docx").string()));
    qputenv("PATH", path);
    EXPECT_EQ(rig.said, (Lines{"vi\t zzzmescvh "}));
    ASSERT_FALSE(atStart.empty());
    EXPECT_EQ(atStart[0], "vi\t zzzmescvd ");
    ASSERT_EQ(heard.size(), std::size(cases));
    for (std::size_t i = 0; i < heard.size(); ++i)
        EXPECT_EQ(heard[i], cases[i].said) << cases[i].keys;
    EXPECT_TRUE(tavi::PumpEventsUntil([&] { return tavitest::StillRunning(pids).empty(); }, 5000));
    EXPECT_EQ(form->Editor->Text(), "ab");
    EXPECT_TRUE(form->Checked("MGTVNI2"));
    EXPECT_EQ(form->Document().FileName, "Khong Ten");
    tavitest::PlayKeys(form->Editor, "x"); // the document is the user's again
    EXPECT_EQ(form->Editor->Text(), "axb");
}

// A letter made by LibreOffice: its bold, italic, underline, sizes and alignment survive
// opening it and saving it again, as .docx and as RTF.
TEST_F(Documents, FormattingSurvivesOpeningAndSavingAgain) {
    if (QStandardPaths::findExecutable("soffice").isEmpty()) GTEST_SKIP() << "no LibreOffice";
    tavitest::WriteFile(rig.dir / "letter.rtf",
                        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Liberation Serif;}}\n"
                        "\\pard\\qc\\f0\\fs24 Th\\u432? \\b \\u273?\\u7853?m\\b0  \\i nghi\\u234?ng"
                        "\\i0  \\ul g\\u7841?ch\\ulnone  {\\fs40 l\\u7899?n}\\par\n"
                        "\\pard\\qr ph\\u7843?i\\par}");
    QProcess make;
    make.start(
        "soffice",
        {"--headless", "--norestore",
         "-env:UserInstallation=file://" + QString::fromStdString((rig.dir / "profile").string()),
         "--convert-to", "docx", "--outdir", QString::fromStdString(rig.dir.path().string()),
         QString::fromStdString((rig.dir / "letter.rtf").string())});
    ASSERT_TRUE(make.waitForFinished(120000));
    // What a reader sees of a document: a line to each paragraph, its alignment (0 left,
    // 1 right, 2 centre) and its runs, each in brackets with B, I, U and its size in half points.
    const auto look = [](const tavi::TRtfDocument& doc) {
        std::vector<std::string> out;
        for (const auto& p : doc.Paragraphs) {
            if (p.Runs.empty()) continue;
            std::string& line = out.emplace_back(std::to_string(p.Format.Alignment));
            for (const auto& r : p.Runs) {
                const auto& f = r.Format;
                line += std::string("[") + (f.Bold ? "B" : "") + (f.Italic ? "I" : "") +
                        (f.Underline ? "U" : "") + std::to_string(f.HalfPoints) + ":" +
                        tavi::TableToUnicode(r.Text, "Vni for Win") + "]";
            }
        }
        return out;
    };
    const std::vector<std::string> letter = {
        "2[24:Thư ][B24:đậm][24: ][I24:nghiêng][24: ][U24:gạch][24: ][40:lớn]", "1[24:phải]"};
    const struct {
        const char* how;
        std::function<tavi::TRtfDocument()> document;
    } cases[] = {
        {"opened",
         [&] {
             EXPECT_TRUE(form->OpenDocument((rig.dir / "letter.docx").string()));
             return form->Editor->Document();
         }},
        {"saved as .docx and opened again",
         [&] {
             TypeName("again.docx");
             Run("MFSaveAs");
             EXPECT_TRUE(form->OpenDocument((Docs() / "again.docx").string()));
             return form->Editor->Document();
         }},
        {"saved as RTF",
         [&] {
             TypeName("again.rtf");
             Run("MFSaveAs");
             tavi::TRtfDocument doc;
             EXPECT_TRUE(tavi::ReadRtf(tavitest::ReadFile(Docs() / "again.rtf"), doc));
             return doc;
         }},
    };
    for (const auto& c : cases) EXPECT_EQ(look(c.document()), letter) << c.how;
}

TEST(SingleCopy, ALaterStartHandsItsFileToTheRunningCopy) {
    tavitest::TempDir dir;
    tavi::TSingleCopy first(QString::fromStdString(dir.path().string()));
    ASSERT_TRUE(first.IsFirst());
    QString handed;
    first.OnFileHandedOver = [&](const QString& file) { handed = file; };
    tavi::TSingleCopy later(QString::fromStdString(dir.path().string()));
    EXPECT_FALSE(later.IsFirst());
    bool taken = false;
    std::thread start([&] { taken = later.HandOver("/tmp/thư.txt"); });
    EXPECT_TRUE(tavi::PumpEventsUntil([&] { return !handed.isEmpty(); }, 5000));
    start.join();
    EXPECT_TRUE(taken);
    EXPECT_EQ(handed, QString::fromUtf8("/tmp/thư.txt"));
}

} // namespace
