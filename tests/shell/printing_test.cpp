// Printing and embossing through a real CUPS scheduler. cupsserver.sh starts it before these
// tests with the queues Laser (the default, taking PDF), Embosser (raw) and Closed (refusing
// jobs), and names its address and the folder its backend keeps the jobs in, in $TAVI_CUPS.
#include "dialogs/prtsetupfrm.h"
#include "dialogs/vntext.h"
#include "document/msrichedit.h"
#include "document/rtf.h"
#include "platform/printqueues.h"
#include "shell/formrig.h"
#include "support/keyscript.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

std::string Vni(const char* utf8) {
    return tavi::VnBytes(QString::fromUtf8(utf8), "Vni for Win");
}

class Printing : public ::testing::Test {
protected:
    void SetUp() override {
        const char* file = std::getenv("TAVI_CUPS");
        ASSERT_TRUE(file && fs::exists(file))
            << "the scheduler is not running: run the tests through ctest, whose fixture "
               "starts it with tests/support/cupsserver.sh";
        std::ifstream in(file);
        for (std::string line; std::getline(in, line);)
            if (const auto eq = line.find('='); eq != std::string::npos)
                Env[line.substr(0, eq)] = line.substr(eq + 1);
        tavi::UsePrintServer(Env["server"]);
        for (const auto& e : fs::directory_iterator(Env["jobs"])) Seen.insert(e.path());
        form = rig.Start();
    }
    void TearDown() override {
        if (!form) return;
        rig.answers.clear();
        form->SetModified(0);
        form->close();
    }

    // The print dialog, answered: the queue, the embosser box, the line width.
    void Choose(const char* queue, bool embosser, int width = 40) {
        rig.answers.push_back([=](QDialog& d) {
            auto& dialog = dynamic_cast<tavi::TPrtSetUpFrm&>(d);
            dialog.CbPrinterList->setCurrentIndex(dialog.CbPrinterList->findText(queue));
            dialog.CheckEmbosser->setChecked(embosser);
            dialog.CbChars->setCurrentIndex(width == 32 ? 0 : 1);
            return int(tavi::mrOk);
        });
    }
    void Print() {
        rig.said.clear();
        tavitest::PlayKeys(form->Editor, "{Ctrl+P}");
    }
    // The next job the queue's backend kept, once it is whole.
    std::string NextJob(const std::string& queue) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 20000) {
            for (const auto& e : fs::directory_iterator(Env["jobs"])) {
                const std::string name = e.path().filename().string();
                if (name.rfind(queue + "-", 0) != 0 || e.path().has_extension() ||
                    !Seen.insert(e.path()).second)
                    continue;
                return tavitest::ReadFile(e.path());
            }
            QThread::msleep(50);
        }
        ADD_FAILURE() << "no job arrived on " << queue << " in " << Env["jobs"];
        return {};
    }
    int Pages(const std::string& pdf) {
        const std::string info = Poppler("pdfinfo @", pdf);
        const std::size_t at = info.find("Pages:");
        return at == std::string::npos ? 0 : std::atoi(info.c_str() + at + 6);
    }
    // What a poppler tool says of a PDF ("@" in the command stands for the file).
    std::string Poppler(std::string command, const std::string& pdf) {
        const fs::path file = dir / "job.pdf";
        tavitest::WriteFile(file, pdf);
        command.replace(command.find('@'), 1, file.string());
        int status = -1;
        const std::string out = tavitest::RunCommand(command, status);
        EXPECT_EQ(status, 0) << out;
        return out;
    }

    std::map<std::string, std::string> Env;
    std::set<fs::path> Seen;
    tavitest::TempDir dir;
    tavitest::TFormRig rig;
    std::unique_ptr<tavi::TMainForm> form;
};

TEST_F(Printing, TheDefaultQueueComesFirst) {
    const std::vector<tavi::TPrintQueue> queues = tavi::PrintQueues();
    ASSERT_EQ(queues.size(), 3u);
    EXPECT_EQ(queues[0].Name, "Laser");
    EXPECT_FALSE(queues[0].Raw);
    for (const auto& q : queues) EXPECT_EQ(q.Raw, q.Name != "Laser") << q.Name;
}

TEST_F(Printing, APrintedDocumentCarriesItsLettersAndItsBold) {
    const struct {
        bool braille;
        const char* text;  // what the PDF reads as
        const char* faces; // faces it must embed
    } cases[] = {{false, "Việt Nam đẹp", "DejaVuSans-Bold"}, {true, "⠃⠁", "VBraille"}};
    for (const auto& c : cases) {
        std::string doc = Vni("Việt Nam đẹp\r\nba");
        for (int i = 0; i < 80; ++i) doc += "\r\n" + Vni("dòng");
        form->Editor->SetText(doc);
        form->Editor->SetSelStart(5);
        form->Editor->SetSelLength(3);
        form->Editor->SetSelBold(true);
        if (c.braille) form->Action("MGTGrade1")->trigger();
        const std::string before = form->Editor->Text();
        Choose("Laser", false);
        Print();
        EXPECT_EQ(rig.said, (Lines{"vi\tzzzmesjw ", "vi\t zzzmesft ", "vi\tzzzmesa"}));
        const std::string pdf = NextJob("Laser");
        EXPECT_NE(Poppler("pdftotext -enc UTF-8 @ -", pdf).find(c.text), std::string::npos);
        EXPECT_NE(Poppler("pdffonts @", pdf).find(c.faces), std::string::npos) << c.braille;
        EXPECT_EQ(Pages(pdf), 2);
        EXPECT_EQ(form->Editor->Text(), before); // printed from a copy
        form->Action("MGTVNI2")->trigger();
    }
}

TEST_F(Printing, EmbossingSendsPagesToTheEmbosserOrCellsToAPrinter) {
    std::string doc = "ba ca";
    for (int i = 1; i < 30; ++i) doc += "\r\nba ca";
    form->Editor->SetText(doc);
    Choose("Embosser", true, 32);
    Print();
    // The dialog says which kind of printer it is set for, then the job is done.
    const Lines done = {"vi\tzzzmesjw ", "vi\tzzzmesjx ", "vi\t zzzmesft ", "vi\tzzzmesa"};
    EXPECT_EQ(rig.said, done);
    EXPECT_TRUE(form->Checked("MGTGrade1")); // embossed from the Braille it now shows
    const std::string brf = NextJob("Embosser");
    const std::size_t feed = brf.find('\f');
    ASSERT_NE(feed, std::string::npos) << brf;
    const std::string first = brf.substr(0, feed), second = brf.substr(feed + 1);
    EXPECT_EQ(first.substr(0, 11), "#A\r\nba ca\r\n");
    EXPECT_EQ(std::count(first.begin(), first.end(), '\n'), 25);
    EXPECT_EQ(second.substr(0, 4), "#B\r\n");
    EXPECT_EQ(std::count(second.begin(), second.end(), '\n'), 7); // 30 - 24 text lines, + "#B"

    Choose("Laser", true, 32); // Braille in ink
    Print();
    EXPECT_EQ(rig.said, done);
    const std::string pdf = NextJob("Laser");
    const std::string ink = Poppler("pdftotext -enc UTF-8 -layout @ -", pdf);
    EXPECT_EQ(ink.substr(0, ink.find('\n', 7)), "⠼⠁\n⠃⠁⠀⠉⠁") << ink;
    EXPECT_EQ(Pages(pdf), 2);
}

TEST_F(Printing, FailuresAreSaidAndChangeNothing) {
    form->Editor->SetText("abc");
    form->SetModified(1);
    Choose("Closed", false);
    Print();
    EXPECT_EQ(rig.said, (Lines{"vi\tzzzmesjw ", "vi\t zzzmesfo ", "vi\tzzzmesa"}));
    EXPECT_EQ(form->Editor->Text(), "abc");
    EXPECT_EQ(form->Document().Modified, 1);

    tavi::UsePrintServer("127.0.0.1:1"); // no scheduler: no printers
    Choose("Laser", false);
    Print();
    EXPECT_EQ(rig.said, Lines{"vi\tzzzmesac"});
    EXPECT_EQ(rig.answers.size(), 1u); // no dialog shown
}

TEST_F(Printing, TavitoolPrintsAndEmbosses) {
    tavi::TRtfDocument doc;
    doc.AddText(Vni("Tiếng "), {"Vni-Screen", 28, false, false, false});
    doc.AddText(Vni("Việt"), {"Vni-Screen", 28, true, false, false});
    tavitest::WriteFile(dir / "bai.rtf", tavi::WriteRtf(doc));
    tavitest::WriteFile(dir / "bai.txt", "ba ca");
    const std::string tool =
        "CUPS_SERVER=" + Env["server"] + " " + (tavitest::BinaryDir() / "bin/tavitool").string();
    int status = -1;
    std::string out = tavitest::RunCommand(tool + " print " + (dir / "bai.rtf").string(), status);
    EXPECT_EQ(status, 0) << out;
    const std::string pdf = NextJob("Laser");
    EXPECT_NE(Poppler("pdftotext -enc UTF-8 @ -", pdf).find("Tiếng Việt"), std::string::npos);
    EXPECT_NE(Poppler("pdffonts @", pdf).find("DejaVuSans-Bold"), std::string::npos);

    out = tavitest::RunCommand(tool + " emboss --printer Embosser " + (dir / "bai.txt").string(),
                               status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_EQ(NextJob("Embosser"), "#A\r\nba ca\r\n");

    for (const char* failing : {" print --printer Closed ", " emboss --printer Nowhere "}) {
        out = tavitest::RunCommand(tool + failing + (dir / "bai.txt").string(), status);
        EXPECT_EQ(status, 1) << failing << out;
    }
}

} // namespace
