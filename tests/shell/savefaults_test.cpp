// Saving on a disk that fails, through the offscreen main window: every kind of save under every
// fault keeps the old file byte for byte and the document, says so, and leaves nothing behind;
// every action that asks to save first gives up when that save does not happen.
#include "document/msrichedit.h"
#include "platform/eventwait.h"
#include "shell/formrig.h"
#include "shell/recovery.h"
#include "support/faultydisk.h"

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

namespace fs = std::filesystem;
using tavitest::TFault;

const std::string Text = "Vie\xE4t Nam " + std::string(100, 'x'); // more than the size limit

bool Said(const std::vector<std::string>& said, const std::string& line) {
    return std::find(said.begin(), said.end(), line) != said.end();
}

// A file's bytes; a folder holds none.
std::string Bytes(const fs::path& p) {
    return fs::is_directory(p) ? "" : tavitest::ReadFile(p);
}

// Every name on the disk: a failed save leaves none behind, and takes none away.
std::set<std::string> Names(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(folder)) names.insert(e.path().string());
    return names;
}

// A logout, as the running program gets it: from its event loop, which ends with it whatever
// the outcome (an end asked outside it would end every event loop after it).
void Logout(tavi::TMainForm& form) {
    QTimer::singleShot(0, &form, [&form] {
        form.EndRequested();
        QCoreApplication::exit(0);
    });
    QCoreApplication::exec();
}

// What a failed save of the document says: that it was not saved, then why.
const std::map<TFault, std::vector<std::string>> NotSaved = {
    {TFault::FullDisk, {"vi\tzzzmesesa ", "vi\tzzzmesya "}},
    {TFault::ReadOnly, {"vi\tzzzmesesa ", "vi\tzzzmesyc "}},
    {TFault::FolderInPlace, {"vi\tzzzmesesa "}},
    {TFault::SizeLimit, {"vi\tzzzmesesa ", "vi\tzzzmesye "}},
    {TFault::NoPermission, {"vi\tzzzmesesa ", "vi\tzzzmesyb "}},
};

// What was said from the first line of an utterance on.
std::vector<std::string> SaidFrom(const std::vector<std::string>& said, const std::string& first) {
    return {std::find(said.begin(), said.end(), first), said.end()};
}

struct TSaveKind {
    const char* Name;
    bool OnDisk;     // the settings and the recovery file live on the faulty disk
    const char* Old; // the file that must stay as it was, on the faulty disk
    std::function<void(tavi::TMainForm&)> Act;
    std::vector<std::string> Said = {}; // empty: as a document's save says
};

TEST(SaveFaults, AFailedSaveKeepsTheOldFileAndTheDocument) {
    const bool office = !QStandardPaths::findExecutable("soffice").isEmpty();
    const auto save = [](tavi::TMainForm& f) { f.Action("MFSave")->trigger(); };
    const TSaveKind kinds[] = {
        {"text", false, "doc.txt", save},
        {"rtf", false, "doc.rtf", save},
        {"braille", false, "doc.txt",
         [&](tavi::TMainForm& f) {
             f.Action("MGTGrade1")->trigger();
             save(f);
         }},
        {"docx", false, "doc.docx", save},
        {"settings",
         true,
         "registry.reg",
         [](tavi::TMainForm& f) { f.Action("MREWord")->trigger(); },
         {"vi\tzzzmesxe "}},
        {"recovery", true, "state/ANNA.recovery", Logout, {"vi\tzzzmesesa "}},
    };
    for (const TSaveKind& kind : kinds) {
        for (const auto& [fault, notSaved] : NotSaved) {
            // The converter is slow, and under a size limit it fails before the save does.
            if (std::string(kind.Name) == "docx" &&
                (!office || fault == TFault::ReadOnly || fault == TFault::SizeLimit))
                continue;
            const std::string row = std::string(kind.Name) + " under " + FaultName(fault);
            tavitest::TFormRig rig;
            tavitest::TFaultyDisk disk(rig.dir / "disk");
            if (!disk.IsMounted()) GTEST_SKIP() << "cannot mount a tmpfs (not root?)";
            auto form = rig.Start([&](tavi::TMainFormSetup& s) {
                s.RecoveryDelayMs = 0;
                if (!kind.OnDisk) return;
                s.RegistryFile = disk.Path() / "registry.reg";
                s.StateFolder = disk.Path() / "state";
            });
            const fs::path old = disk.Path() / kind.Old;
            const fs::path recovery =
                tavi::RecoveryFile((kind.OnDisk ? disk.Path() : rig.dir.path()) / "state", "ANNA");
            if (!fs::exists(old)) tavitest::WriteFile(old, "the old bytes");
            form->Editor->SetText(Text);
            form->SetFileName(old.string());
            ASSERT_TRUE(tavi::PumpEventsUntil([&] { return fs::exists(recovery); }, 5000)) << row;
            form->Editor->SetText(Text + " changed");
            const std::string before = Bytes(old);
            ASSERT_TRUE(disk.Make(fault, old)) << row;
            const std::string expected = fault == TFault::FolderInPlace ? "" : before;
            const auto expectedNames = Names(disk.Path());
            rig.said.clear();
            kind.Act(*form);
            disk.Lift();
            const auto& said = kind.Said.empty() ? notSaved : kind.Said;
            auto heard = SaidFrom(rig.said, said.front());
            // A file-size limit holds for the settings as well, which then say so on their own.
            if (kind.Said.empty()) std::erase(heard, "vi\tzzzmesxe ");
            EXPECT_EQ(heard, said) << row;
            EXPECT_EQ(Bytes(old), expected) << row;
            EXPECT_EQ(Names(disk.Path()), expectedNames) << row << ": something was left";
            EXPECT_EQ(form->Document().Modified, 1) << row;
            EXPECT_NE(form->Registry(), nullptr) << row << ": the window was closed";
            if (kind.OnDisk) continue;
            Logout(*form); // the document survives a logout after the failed save
            const auto kept = tavi::ReadRecoveryFile(recovery);
            ASSERT_TRUE(kept.has_value()) << row;
            EXPECT_EQ(kept->Rtf, form->Editor->TextRTF()) << row;
        }
    }
}

// A write that the program tries again and again (the recovery file while the user types, the
// settings after each command) is said once when the disk fails, in Vietnamese and without a
// path, is tried again, and is written once the disk works again.
TEST(SaveFaults, AWriteThatKeepsFailingIsSaidOnceAndTriedAgain) {
    const auto echo = [](tavi::TMainForm& f, int n) {
        f.Action(n % 2 ? "MREWord" : "MREChar")->trigger();
    };
    const struct {
        const char* Name;
        bool AtStart; // the disk fails before the program starts
        const char* File;
        const char *Failing, *WorksAgain;
        std::function<void(tavi::TMainForm&, int)> Change;
    } rows[] = {
        {"recovery", false, "state/ANNA.recovery", "vi\tzzzmesxc ", "vi\tzzzmesxd ",
         [](tavi::TMainForm& f, int n) { f.Editor->SetText(Text + std::to_string(n)); }},
        {"settings", false, "registry.reg", "vi\tzzzmesxe ", nullptr, echo},
        {"settings from the start", true, "registry.reg", "vi\tzzzmesxe ", nullptr, echo},
    };
    for (const auto& r : rows) {
        for (TFault fault : {TFault::FullDisk, TFault::ReadOnly}) {
            const std::string row = std::string(r.Name) + " under " + FaultName(fault);
            tavitest::TFormRig rig;
            tavitest::TFaultyDisk disk(rig.dir / "disk");
            if (!disk.IsMounted()) GTEST_SKIP() << "cannot mount a tmpfs (not root?)";
            const fs::path file = disk.Path() / r.File;
            ASSERT_TRUE(!r.AtStart || disk.Make(fault, file)) << row;
            auto form = rig.Start([&](tavi::TMainFormSetup& s) {
                s.RecoveryDelayMs = 0;
                s.RecoveryPeriodMs = 20;
                s.RegistryFile = disk.Path() / "registry.reg";
                s.StateFolder = disk.Path() / "state";
            });
            ASSERT_TRUE(r.AtStart || disk.Make(fault, file)) << row;
            const auto times = [&](const char* line) {
                return std::count(rig.said.begin(), rig.said.end(), line);
            };
            for (int n = 0; n < 4; ++n) {
                r.Change(*form, n);
                tavi::PumpEventsUntil([&] { return times(r.Failing) > 1; }, 100);
            }
            EXPECT_EQ(times(r.Failing), 1) << row;
            const std::string before = fs::exists(file) ? Bytes(file) : "";
            disk.Heal();
            for (int n : {4, 5}) r.Change(*form, n); // the last change is one the file never had
            EXPECT_TRUE(tavi::PumpEventsUntil(
                [&] { return fs::exists(file) && Bytes(file) != before; }, 5000))
                << row;
            EXPECT_TRUE(!r.WorksAgain ||
                        tavi::PumpEventsUntil([&] { return times(r.WorksAgain) == 1; }, 5000))
                << row;
            EXPECT_EQ(times(r.Failing), 1) << row;
            EXPECT_EQ(times("vi\t zzzmeseyb "), 0) << row << ": told as an error";
            EXPECT_EQ(times("vi\tzzzmesesa "), 0) << row << ": told as a document";
        }
    }
}

TEST(SaveFaults, EveryActionThatAsksToSaveGivesUpWithoutTheSave) {
    tavitest::TFormRig rig;
    bool poweredOff = false;
    auto form =
        rig.Start([&](tavi::TMainFormSetup& s) { s.PowerOff = [&] { return poweredOff = true; }; });
    const fs::path other = rig.dir / "other.txt", folder = rig.dir / "folder.txt";
    tavitest::WriteFile(other, "other");
    fs::create_directories(folder / "inside"); // the document's file cannot be written
    const auto trigger = [&](const char* item) { form->Action(item)->trigger(); };
    const auto ok = [&] { rig.Answer(tavi::mrOk); };
    QMimeData dropped;
    dropped.setUrls({QUrl::fromLocalFile(QString::fromStdString(other.string()))});
    // Each action, with the answers that would let it go on after the save question.
    const struct {
        const char* Name;
        std::function<void()> Before, After, Act;
    } actions[] = {
        {"new", {}, {}, [&] { trigger("MFNew"); }},
        {"open", {}, [&] { rig.TypeName(other.string()); }, [&] { trigger("MFOpen"); }},
        {"a file handed over", {}, {}, [&] { form->OpenRequested(other.string()); }},
        {"a file dropped",
         {},
         {},
         [&] {
             // As a drag does: the window takes it in, then it is dropped there.
             QDragEnterEvent enter(QPoint(9, 9), Qt::CopyAction, &dropped, Qt::LeftButton, {});
             QApplication::sendEvent(form.get(), &enter);
             QDropEvent drop(QPointF(9, 9), Qt::CopyAction, &dropped, Qt::LeftButton, {});
             QApplication::sendEvent(form.get(), &drop);
         }},
        {"close", {}, ok, [&] { form->close(); }},
        {"exit", {}, ok, [&] { trigger("MFExit"); }},
        {"shut down", ok, {}, [&] { trigger("MFShutDown"); }},
    };
    const struct {
        const char* Name;
        std::string FileName;
        int Answer;  // to the save question
        bool SaveAs; // a save dialog comes, and is cancelled
    } outcomes[] = {{"the save fails", folder.string(), tavi::mrOk, false},
                    {"the question is cancelled", folder.string(), tavi::mrCancel, false},
                    {"the save dialog is cancelled", "Khong Ten", tavi::mrOk, true}};
    for (const auto& o : outcomes) {
        for (const auto& a : actions) {
            const std::string row = std::string(a.Name) + " when " + o.Name;
            form->Editor->SetText(Text);
            form->SetFileName(o.FileName);
            rig.answers.clear();
            if (a.Before) a.Before();
            rig.Answer(o.Answer);
            if (o.SaveAs) rig.Answer(tavi::mrCancel);
            if (a.After) a.After();
            rig.said.clear();
            a.Act();
            EXPECT_EQ(form->Editor->Text(), Text) << row;
            EXPECT_EQ(form->Document().Modified, 1) << row;
            EXPECT_EQ(form->Document().FileName, o.FileName) << row;
            EXPECT_TRUE(form->isVisible()) << row;
            EXPECT_FALSE(poweredOff) << row;
            EXPECT_EQ(Said(rig.said, "vi\tzzzmesesa "), o.Answer == tavi::mrOk && !o.SaveAs) << row;
        }
    }
    form->SetModified(0);
}

TEST(SaveFaults, FilesHandedOverTogetherAreTakenOneAtATime) {
    tavitest::TFormRig rig;
    auto form = rig.Start();
    const fs::path a = rig.dir / "a.txt", b = rig.dir / "b.txt", c = rig.dir / "c.txt";
    for (const fs::path& f : {a, b, c}) tavitest::WriteFile(f, f.stem().string());
    form->Editor->SetText(Text);
    rig.answers.push_back([&](QDialog&) {
        // Two more come while the question about the first is open.
        form->OpenRequested(b.string());
        form->OpenRequested(c.string());
        return int(tavi::mrNo);
    });
    rig.said.clear();
    form->OpenRequested(a.string());
    EXPECT_EQ(form->Editor->Text(), "c");
    EXPECT_EQ(std::count(rig.said.begin(), rig.said.end(), "vi\t zzzmesem "), 3);
    EXPECT_TRUE(rig.answers.empty());
}

} // namespace
