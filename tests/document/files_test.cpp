// The editor's files: kinds, loading, saving, conversion and Word documents.
#include "codes/vncodeconverter.h"
#include "document/docsnapshot.h"
#include "document/msrichedit.h"
#include "document/wordimport.h"
#include "platform/eventwait.h"
#include "support/corpus.h"
#include "support/notedpids.h"
#include "support/testdata.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

using tavi::TMsRichEdit;
using tavitest::Hex;
using tavitest::ReadFile;
using tavitest::TempDir;
using tavitest::WriteFile;

namespace {

QString Q(const std::filesystem::path& p) {
    return QString::fromStdString(p.string());
}

std::string Convert(const std::string& text, const std::string& from, const std::string& to) {
    tavi::TVnCodeConverter c;
    c.SetSourceTable(from);
    c.SetDestTable(to);
    c.InStream.Data = text;
    c.Convert();
    return c.OutStream.Data;
}

// Vietnamese prose in "Vni for Win", a paragraph a line.
std::string VniProse(std::size_t paragraphs) {
    std::string text;
    const auto prose = tavitest::VietnameseProse();
    for (std::size_t i = 0; i < paragraphs && i < prose.size(); ++i) {
        if (i) text += "\r\n";
        std::string p = prose[i];
        std::replace(p.begin(), p.end(), '\n', ' ');
        text += Convert(p, "Unicode", "Vni for Win");
    }
    return text;
}

// A document with every kind of formatting the editor keeps, in VNI prose and, when asked,
// with every byte.
void MakeFormatted(TMsRichEdit& e, bool allBytes) {
    std::string text = VniProse(3) + "\r\n\r\n";
    for (int b = 0; allBytes && b < 256; ++b)
        if (b != '\r' && b != '\n') text += static_cast<char>(b);
    e.SetText(text + "\r\nend");
    const struct {
        int start, length;
        std::function<void()> format;
    } steps[] = {
        {0, 40, [&] { e.SetSelBold(true); }},
        {20, 40, [&] { e.SetSelItalic(true); }},
        {50, 10, [&] { e.SetSelUnderline(true); }},
        {100, 300, [&] { e.SetSelFontName("VBraille"); }},
        {150, 30, [&] { e.SetSelFontSize(22.5); }},
        {0, 1, [&] { e.SetSelAlignment(tavi::AlignCenter); }},
        {e.TextLength() - 1, 1, [&] { e.SetSelAlignment(tavi::AlignRight); }},
        {e.TextLength() - 1, 1, [&] { e.SetSelIndent(35); }},
        {e.TextLength() - 1, 1, [&] { e.SetSelRightIndent(13); }},
    };
    for (const auto& s : steps) {
        e.SetSelStart(s.start);
        e.SetSelLength(s.length);
        s.format();
    }
    e.SetSelStart(0);
}

TEST(Files, KindByExtension) {
    const struct {
        const char* name;
        int kind;
    } cases[] = {{"report.DOC", 1}, {"report.doc", 1}, {"old.Wri", 2},   {"page.HTML", 3},
                 {"page.htm", 3},   {"notes.txt", 0},  {"notes.rtf", 0}, {"noext", 0},
                 {"doc", 0},        {"a.doc/file", 0}, {"x.html.bak", 0}};
    for (const auto& c : cases) EXPECT_EQ(TMsRichEdit::GetFileKind(c.name), c.kind) << c.name;
}

TEST(Files, SavesTxtAsPlainTextAndTheRestAsRtf) {
    TempDir dir;
    TMsRichEdit e;
    e.SetText("Vie" + Hex("E4") + "t\r\nNam");
    const struct {
        std::string name;
        bool plain;
    } cases[] = {{"notes.TXT", true},
                 {"notes.txt", true},
                 {"notes.rtf", false},
                 {"notes", false},
                 {"notes.txt.bak", false}};
    for (const auto& c : cases) {
        e.PlainText = !c.plain;
        ASSERT_TRUE(e.SaveToFile(Q(dir / c.name))) << c.name;
        EXPECT_EQ(e.PlainText, c.plain) << c.name;
        const std::string data = ReadFile(dir / c.name);
        if (c.plain) {
            EXPECT_EQ(data, e.Text()) << c.name;
        } else {
            EXPECT_EQ(data.substr(0, 6), "{\\rtf1") << c.name;
        }
    }
}

TEST(Files, RtfSavedByTheEditorReloadsIdentically) {
    TempDir dir;
    TMsRichEdit e;
    MakeFormatted(e, true);
    ASSERT_TRUE(e.SaveToFile(Q(dir / "doc.rtf")));
    TMsRichEdit back;
    ASSERT_TRUE(back.LoadFromFile(Q(dir / "doc.rtf")));
    EXPECT_FALSE(back.PlainText);
    EXPECT_EQ(back.FileKind, tavi::FileKindText);
    EXPECT_EQ(back.Text(), e.Text());
    EXPECT_EQ(back.Document(), e.Document());
    ASSERT_TRUE(back.SaveToFile(Q(dir / "again.rtf")));
    EXPECT_EQ(ReadFile(dir / "again.rtf"), ReadFile(dir / "doc.rtf"));
}

TEST(Files, ASnapshotIsTheDocumentForAnotherThreadAfterAnyEdit) {
    TMsRichEdit e;
    MakeFormatted(e, true);
    const tavi::TDocumentSnapshot taken = e.Snapshot();
    const tavi::TRtfDocument then = e.Document();
    const auto select = [&](int start, int length) {
        e.SetSelStart(start);
        e.SetSelLength(length);
    };
    const struct {
        const char* name;
        std::function<void()> edit;
    } edits[] = {
        {"a letter typed", [&] { select(30, 0), e.SetSelText("a"); }},
        {"a paragraph broken", [&] { select(35, 0), e.SetSelText("b\r\nc"); }},
        {"paragraphs joined", [&] { select(20, 600), e.SetSelText(""); }},
        {"bold across paragraphs", [&] { select(10, 300), e.SetSelBold(true); }},
        {"a paragraph centred", [&] { select(5, 0), e.SetSelAlignment(tavi::AlignCenter); }},
        {"undone", [&] { e.Undo(); }},
        {"typed at the end", [&] { select(e.TextLength(), 0), e.SetSelText("\r\nz"); }},
        {"all replaced", [&] { e.SetText("new\r\ntext"); }},
        {"emptied", [&] { e.SetText(""); }},
    };
    e.PrepareSnapshots();
    for (const auto& c : edits) {
        c.edit();
        if ((&c - edits) % 2) QCoreApplication::processEvents(); // copied while idle
        EXPECT_EQ(tavi::SnapshotDocument(e.Snapshot()), e.Document()) << c.name;
    }
    EXPECT_EQ(tavi::SnapshotDocument(taken), then); // a snapshot taken stays as it was
}

TEST(Files, PlainTextKeepsItsLineBreaks) {
    TempDir dir;
    for (const std::string text : {"a\r\nb\r\n\r\nc\r\n", "a\nb\n\nc", "one line", ""}) {
        WriteFile(dir / "in.txt", text);
        TMsRichEdit e;
        ASSERT_TRUE(e.LoadFromFile(Q(dir / "in.txt")));
        EXPECT_TRUE(e.PlainText);
        ASSERT_TRUE(e.SaveToFile(Q(dir / "out.txt")));
        EXPECT_EQ(ReadFile(dir / "out.txt"), text);
    }
}

TEST(Files, TxtHoldingRtfLoadsAsRtf) {
    TempDir dir;
    WriteFile(dir / "a.txt", "{\\rtf1{\\fonttbl{\\f0 Vni-Screen;}}\\b Vie\\'e4t\\par}");
    TMsRichEdit e;
    ASSERT_TRUE(e.LoadFromFile(Q(dir / "a.txt")));
    EXPECT_FALSE(e.PlainText);
    EXPECT_EQ(e.Text(), "Vie" + Hex("E4") + "t");
    EXPECT_TRUE(e.Document().Paragraphs.at(0).Runs.at(0).Format.Bold);
}

TEST(Files, WebPagesLoadAsText) {
    TempDir dir;
    WriteFile(dir / "page.HTML",
              "<HEAD><title>t</title></HEAD><p>a&lt;b &quot;x&quot;</p>\n\n\n<p>c");
    TMsRichEdit e;
    e.PlainText = false;
    ASSERT_TRUE(e.LoadFromFile(Q(dir / "page.HTML")));
    EXPECT_EQ(e.FileKind, tavi::FileKindHtml);
    EXPECT_TRUE(e.PlainText);
    EXPECT_EQ(e.Text(), "ab \"x\"\r\nc\r\n");
    EXPECT_EQ(TMsRichEdit::HtmlToText(Q(dir / "page.HTML")), "ab \"x\"\r\nc\r\n");
    EXPECT_EQ(TMsRichEdit::HtmlToText(Q(dir / "missing.html")), "");
}

TEST(Files, BadFilesLoadWhatTheyCanOrFail) {
    TempDir dir;
    std::string junk;
    for (int i = 0; i < 5000; ++i) junk += static_cast<char>((i * 7919) % 251 + 1);
    junk.erase(
        std::remove_if(junk.begin(), junk.end(), [](char c) { return c == '\r' || c == '\n'; }),
        junk.end());
    const struct {
        std::string name, data;
        bool loads, plain;
        std::string text;
    } cases[] = {
        {"empty.rtf", "", true, true, ""},
        {"junk.rtf", junk, true, true, junk},                     // not RTF: plain
        {"broken.rtf", "{\\rtf1 {\\b half", true, false, "half"}, // what it has
        // Nested deeper than any word processor writes: refused, not shown as its source.
        {"deep.rtf", "{\\rtf1 " + std::string(5000, '{'), false, false, ""},
        {"open.html", "text <b", true, true, "text <b\r\n"},
    };
    for (const auto& c : cases) {
        WriteFile(dir / c.name, c.data);
        TMsRichEdit e;
        EXPECT_EQ(e.LoadFromFile(Q(dir / c.name)), c.loads) << c.name;
        EXPECT_EQ(e.PlainText, c.plain) << c.name;
        EXPECT_EQ(e.Text(), c.text) << c.name;
    }
    // Files that cannot be read leave the document as it was, and say why.
    std::filesystem::create_directory(dir / "folder.txt");
    std::filesystem::resize_file(dir / "empty.rtf", tavi::MaxDocumentFileSize + 1); // sparse
    WriteFile(dir / "huge.docx", "");
    std::filesystem::resize_file(dir / "huge.docx", tavi::MaxConvertedFileSize + 1);
    ASSERT_EQ(::mkfifo((dir / "fifo.txt").c_str(), 0600), 0); // opening it would block
    ASSERT_EQ(::mkfifo((dir / "fifo.docx").c_str(), 0600), 0);
    std::filesystem::create_symlink(dir / "fifo.txt", dir / "link.txt");
    std::filesystem::create_symlink("/dev/zero", dir / "zero.txt"); // would never end
    using R = tavi::TFileReason;
    const struct {
        const char* name;
        R why;
    } unread[] = {{"missing.txt", R::NotFound}, {"folder.txt", R::NotRegular},
                  {"empty.rtf", R::TooLarge},   {"missing.doc", R::NotFound},
                  {"huge.docx", R::TooLarge},   {"fifo.txt", R::NotRegular},
                  {"fifo.docx", R::NotRegular}, {"deep.rtf", R::TooDeep},
                  {"link.txt", R::NotRegular},  {"zero.txt", R::NotRegular}};
    TMsRichEdit e;
    e.SetText("kept");
    e.PlainText = false;
    for (const auto& [name, why] : unread) {
        EXPECT_FALSE(e.LoadFromFile(Q(dir / name))) << name;
        EXPECT_EQ(e.FileFailure.Reason, why) << name;
        EXPECT_EQ(e.Text(), "kept") << name;
        EXPECT_FALSE(e.PlainText) << name;
        EXPECT_EQ(e.FileKind, tavi::FileKindText) << name;
    }
}

TEST(Files, FailedSaveKeepsTheOldFile) {
    TempDir dir;
    TMsRichEdit e;
    e.SetText(std::string(100000, 'x'));
    WriteFile(dir / "old.txt", "the old document");
    // A disk that fills up in the middle of the write.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved1 = e.SaveToFile(Q(dir / "old.txt"));
    const bool saved2 = e.SaveToFile(Q(dir / "old.rtf"));
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &saved), 0);
    EXPECT_FALSE(saved1);
    EXPECT_FALSE(saved2);
    EXPECT_EQ(e.FileFailure.Reason, tavi::TFileReason::SizeLimit);
    EXPECT_EQ(ReadFile(dir / "old.txt"), "the old document");
    EXPECT_FALSE(std::filesystem::exists(dir / "old.rtf"));
    // Nothing is left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
    // Names that cannot be files.
    std::filesystem::create_directory(dir / "folder.rtf");
    EXPECT_FALSE(e.SaveToFile(Q(dir / "no" / "such" / "folder.txt")));
    EXPECT_EQ(e.FileFailure.Reason, tavi::TFileReason::NotFound);
    EXPECT_FALSE(e.SaveToFile(Q(dir / "folder.rtf")));
    EXPECT_EQ(e.FileFailure.Reason, tavi::TFileReason::NotRegular);
    EXPECT_TRUE(std::filesystem::is_directory(dir / "folder.rtf"));
}

TEST(Files, SavingKeepsTheFilesPermissionsAndLinks) {
    namespace fs = std::filesystem;
    TempDir dir;
    TMsRichEdit e;
    e.SetText("new text");
    WriteFile(dir / "private.txt", "old");
    fs::permissions(dir / "private.txt", fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(e.SaveToFile(Q(dir / "private.txt")));
    EXPECT_EQ(fs::status(dir / "private.txt").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    // Saving through a link writes the file it points to and keeps the link.
    fs::create_directory(dir / "real");
    WriteFile(dir / "real" / "doc.txt", "old");
    fs::create_symlink(dir / "real" / "doc.txt", dir / "link.txt");
    ASSERT_TRUE(e.SaveToFile(Q(dir / "link.txt")));
    EXPECT_TRUE(fs::is_symlink(dir / "link.txt"));
    EXPECT_EQ(ReadFile(dir / "real" / "doc.txt"), "new text");
}

TEST(Files, ConvertDocumentToAnotherTableAndBack) {
    for (const bool plain : {false, true}) {
        TMsRichEdit e;
        MakeFormatted(e, false);
        e.PlainText = plain;
        const std::string vni = e.Text();
        const tavi::TRtfDocument formatted = e.Document();
        ASSERT_TRUE(e.ConvertDocument("VISCII"));
        EXPECT_EQ(e.Text(), Convert(vni, "Vni for Win", "VISCII")) << plain;
        ASSERT_TRUE(e.ConvertDocument("Vni for Win"));
        EXPECT_EQ(e.Text(), vni) << plain;
        if (!plain) {
            EXPECT_EQ(e.Document(), formatted);
        }
    }
}

// Detection looks at the text, not at the RTF around it: here the first kilobytes of the RTF
// are nothing but formatting.
TEST(Files, ConvertDocumentDetectsPastALongRtfHeader) {
    TMsRichEdit e;
    e.SetText(std::string(200, 'a') + "\r\n" + VniProse(2));
    for (int i = 0; i < 200; i += 2) {
        e.SetSelStart(i);
        e.SetSelLength(1);
        e.SetSelBold(true);
    }
    e.PlainText = false;
    const std::string vni = e.Text();
    ASSERT_TRUE(e.ConvertDocument("Unicode"));
    EXPECT_EQ(e.Text(), Convert(vni, "Vni for Win", "Unicode"));
}

TEST(Files, ConvertDocumentWithoutItsTableChangesNothing) {
    TMsRichEdit e;
    e.SetText(VniProse(1));
    const std::string before = e.Text();
    EXPECT_FALSE(e.ConvertDocument("No such table"));
    EXPECT_EQ(e.Text(), before);
}

// Runs a test body with PATH holding only the given programs.
class TPathOf {
public:
    TPathOf(const TempDir& dir, std::initializer_list<const char*> programs)
        : Saved(qgetenv("PATH")) {
        for (const char* p : programs) {
            const QString found = QStandardPaths::findExecutable(p);
            if (!found.isEmpty()) std::filesystem::create_symlink(found.toStdString(), dir / p);
        }
        qputenv("PATH", QByteArray::fromStdString(dir.path().string()));
    }
    ~TPathOf() { qputenv("PATH", Saved); }

private:
    QByteArray Saved;
};

std::string KnownText() {
    std::string t = ReadFile(tavitest::TestData("document/known.txt"));
    t.pop_back(); // the last paragraph's line break
    std::string out;
    for (char c : t) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
}

void ExpectKnownText(TMsRichEdit& e, int kind) {
    EXPECT_EQ(e.Text(), KnownText());
    EXPECT_TRUE(e.PlainText);
    EXPECT_EQ(e.FileKind, kind);
    // The main window's automatic conversion finds a Unicode document.
    ASSERT_TRUE(e.ConvertDocument("Vni for Win"));
    EXPECT_EQ(e.Text(), Convert(KnownText(), "Unicode", "Vni for Win"));
}

TEST(Word, DocThroughAntiword) {
    if (QStandardPaths::findExecutable("antiword").isEmpty()) GTEST_SKIP() << "no antiword";
    TempDir bin;
    TPathOf path(bin, {"antiword"});
    EXPECT_EQ(tavi::FindWordConverter(tavi::FileKindDoc), tavi::TWordConverter::Antiword);
    EXPECT_EQ(tavi::FindWordConverter(tavi::FileKindWri), tavi::TWordConverter::None);
    TMsRichEdit e;
    ASSERT_TRUE(e.LoadFromFile(Q(tavitest::TestData("document/known.doc"))));
    ExpectKnownText(e, tavi::FileKindDoc);
    // antiword reads no ".wri" files.
    TempDir dir;
    std::filesystem::copy_file(tavitest::TestData("document/known.doc"), dir / "old.WRI");
    e.SetText("kept");
    EXPECT_FALSE(e.LoadFromFile(Q(dir / "old.WRI")));
    EXPECT_EQ(e.Text(), "kept");
}

TEST(Word, DocAndWriThroughLibreOffice) {
    if (QStandardPaths::findExecutable("soffice").isEmpty()) GTEST_SKIP() << "no LibreOffice";
    EXPECT_EQ(tavi::FindWordConverter(tavi::FileKindWri), tavi::TWordConverter::LibreOffice);
    // A .doc made by LibreOffice here and now from the known text.
    TempDir dir;
    std::filesystem::copy_file(tavitest::TestData("document/known.txt"), dir / "report.txt");
    QProcess make;
    make.start("soffice",
               {"--headless", "--norestore", "-env:UserInstallation=file://" + Q(dir / "profile"),
                "--infilter=Text (encoded):UTF8,LF,,,", "--convert-to", "doc", "--outdir",
                Q(dir.path()), Q(dir / "report.txt")});
    ASSERT_TRUE(make.waitForFinished(120000));
    std::filesystem::rename(dir / "report.doc", dir / "report.DOC");
    TMsRichEdit e;
    ASSERT_TRUE(e.LoadFromFile(Q(dir / "report.DOC")));
    ExpectKnownText(e, tavi::FileKindDoc);
    // LibreOffice reads by content, so the same document named .wri shows the .wri road.
    std::filesystem::copy_file(dir / "report.DOC", dir / "report.wri");
    TMsRichEdit w;
    ASSERT_TRUE(w.LoadFromFile(Q(dir / "report.wri")));
    ExpectKnownText(w, tavi::FileKindWri);
    // Something that is no Word document at all: LibreOffice reads it as text.
    WriteFile(dir / "junk.doc", "not a Word document");
    EXPECT_TRUE(w.LoadFromFile(Q(dir / "junk.doc")));
    EXPECT_EQ(w.Text(), "not a Word document");
}

TEST(Word, NoConverterMeansNoLoad) {
    TempDir bin;
    TPathOf path(bin, {});
    EXPECT_EQ(tavi::FindWordConverter(tavi::FileKindDoc), tavi::TWordConverter::None);
    TMsRichEdit e;
    e.SetText("kept");
    EXPECT_FALSE(e.LoadFromFile(Q(tavitest::TestData("document/known.doc"))));
    EXPECT_EQ(e.Text(), "kept");
}

// Converters that never end, end badly, leave children behind or grow without end: each is
// ended, everything it started goes with it, and the document stays as it was.
TEST(Word, AConverterIsEndedWithEverythingItStarted) {
    using R = tavi::TFileReason;
    TempDir bin;
    const std::filesystem::path pids = bin / "pids";
    const std::string note = "echo $$ >> " + pids.string() + "\n";
    const std::string child = "/bin/sleep 1000 &\necho $! >> " + pids.string() + "\n";
    const struct {
        const char* name;
        std::string script;
        int timeoutMs;
        bool cancel; // the user gives it up once it and its child run
        R end;
    } cases[] = {
        {"never ends", "#!/bin/sh\n" + note + child + "wait\n", 1500, false, R::TimedOut},
        {"given up", "#!/bin/sh\n" + note + child + "wait\n", 60000, true, R::Cancelled},
        {"fails", "#!/bin/sh\n" + note + "echo broken >&2\nexit 3\n", 60000, false,
         R::ConverterFailed},
        {"leaves a child", "#!/bin/sh\n" + note + child + "exit 0\n", 60000, false,
         R::ConverterFailed}, // and writes nothing
        // 8 GB of address space, never touched: past the converter's limit it fails at once;
        // without a limit it would wait for the time-out.
        {"grows",
         "#!/usr/bin/python3\nimport mmap, os, time\nopen('" + pids.string() +
             "', 'a').write(f'{os.getpid()}\\n')\nheld = [mmap.mmap(-1, 100 << 20) "
             "for _ in range(80)]\ntime.sleep(1000)\n",
         60000, false, R::ConverterFailed},
    };
    TPathOf path(bin, {});
    for (const auto& c : cases) {
        WriteFile(bin / "soffice", c.script);
        std::filesystem::permissions(bin / "soffice", std::filesystem::perms::owner_all);
        std::filesystem::remove(pids);
        int started = 0, ended = 0;
        tavi::TConversionWatch watch;
        watch.TimeoutMs = c.timeoutMs;
        watch.Started = [&] { ++started; };
        watch.Ended = [&] { ++ended; };
        watch.Cancelled = [&] { return c.cancel && tavitest::NotedPids(pids).size() >= 2; };
        tavi::TRtfDocument doc;
        const tavi::TFileFailure f = tavi::ImportWordDocument(
            Q(tavitest::TestData("document/known.doc")), tavi::FileKindDoc, doc, watch);
        EXPECT_EQ(f.Reason, c.end) << c.name << ": " << f.Words;
        EXPECT_EQ(started, 1) << c.name;
        EXPECT_EQ(ended, 1) << c.name;
        EXPECT_GE(tavitest::NotedPids(pids).size(), 1u) << c.name; // it did run
        // A killed process takes a moment to go.
        EXPECT_TRUE(
            tavi::PumpEventsUntil([&] { return tavitest::StillRunning(pids).empty(); }, 5000))
            << c.name;
        EXPECT_TRUE(doc.Paragraphs.empty()) << c.name;
    }
    // Saving through it: the file is not touched.
    WriteFile(bin / "soffice", cases[0].script);
    std::filesystem::remove(pids);
    WriteFile(bin / "kept.docx", "old");
    tavi::TConversionWatch quick;
    quick.TimeoutMs = 1500;
    EXPECT_EQ(tavi::ExportOfficeDocument("{\\rtf1 x}", Q(bin / "kept.docx"), quick).Reason,
              R::TimedOut);
    EXPECT_EQ(ReadFile(bin / "kept.docx"), "old");
    EXPECT_TRUE(tavi::PumpEventsUntil([&] { return tavitest::StillRunning(pids).empty(); }, 5000));
}

} // namespace
