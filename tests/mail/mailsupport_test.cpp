// The line stream, the temporary file stream, the countdown and the content types.
#include "mail/countdown.h"
#include "mail/linestream.h"
#include "mail/mailerrors.h"
#include "mail/mimetypes.h"
#include "mail/tempfilestream.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace tavi;

namespace {

std::vector<std::string> AllLines(TLineStream& s) {
    std::vector<std::string> lines;
    for (std::string_view l; s.ReadLine(l);) lines.emplace_back(l);
    return lines;
}

TEST(LineStream, SplitsAtEveryLineEndAndReportsTheEnd) {
    TLineStream s("a\r\nb\rc\n\r\n\nd");
    EXPECT_EQ(AllLines(s), (std::vector<std::string>{"a", "b", "c", "", "", "d"}));
    EXPECT_TRUE(s.Eof());
    EXPECT_EQ(s.ReadLine(), "\xFF\xFF\xFF\xFF");
    s.Rewind();
    EXPECT_FALSE(s.Eof());
    EXPECT_EQ(s.ReadLine(), "a");
}

TEST(LineStream, LinesLongerThanAnyBlock) {
    const std::string longLine(100000, 'x');
    TMemoryStream m;
    m.Data = longLine + "\r\n" + longLine;
    TLineStream s(m);
    EXPECT_EQ(AllLines(s), (std::vector<std::string>{longLine, longLine}));
}

TEST(LineStream, TransferFormDropsStuffingAndStopsAtTheDot) {
    TLineStream s("..\r\n.x\r\nplain\r\n.\r\nafter\r\n", true);
    EXPECT_EQ(AllLines(s), (std::vector<std::string>{".", "x", "plain"}));
    EXPECT_TRUE(s.AtEnd());
    TLineStream plain("..\r\n.\r\nafter", false);
    EXPECT_EQ(AllLines(plain), (std::vector<std::string>{"..", ".", "after"}));
}

TEST(TempFileStream, UniqueFileInTheTemporaryFolderRemovedAfterUse) {
    std::filesystem::path a, b;
    {
        TTempFileStream s1, s2;
        a = s1.FileName();
        b = s2.FileName();
        EXPECT_NE(a, b);
        EXPECT_EQ(a.parent_path(), std::filesystem::temp_directory_path());
        EXPECT_EQ(a.filename().string().substr(0, 2), "ms");
        s1 << "hello\r\n";
        EXPECT_EQ(s1.Size(), 7u);
        s1.seekg(0);
        std::string back(7, '\0');
        s1.read(back.data(), 7);
        EXPECT_EQ(back, "hello\r\n");
        EXPECT_TRUE(std::filesystem::exists(a));
    }
    EXPECT_FALSE(std::filesystem::exists(a));
    EXPECT_FALSE(std::filesystem::exists(b));
}

TEST(Countdown, TicksToExpiry) {
    TCountdown c;
    c.Limit = 3;
    const auto t0 = TCountdown::Clock::time_point{} + std::chrono::hours(1);
    c.Start(t0);
    EXPECT_EQ(c.Remaining(), 3);
    c.Tick();
    c.Tick();
    EXPECT_FALSE(c.Expired());
    c.Tick();
    EXPECT_TRUE(c.Expired());
    c.Start(t0);
    EXPECT_FALSE(c.Expired());
    c.Update(t0 + std::chrono::milliseconds(2500));
    EXPECT_EQ(c.Remaining(), 1);
    c.Stop();
    c.Update(t0 + std::chrono::hours(5));
    EXPECT_EQ(c.Remaining(), 1); // stopped: no more counting
    c.Start(t0);
    c.Update(t0 + std::chrono::hours(24 * 365 * 100));
    EXPECT_TRUE(c.Expired());
    EXPECT_EQ(c.Remaining(), 0);
    c.Start(t0); // stopped and resumed: it goes on from what was left
    c.Tick();
    c.Stop();
    c.Resume(t0);
    c.Tick();
    EXPECT_EQ(c.Remaining(), 1);
}

TEST(MimeTypes, FilesOfBothKinds) {
    TMimeTypes t;
    t.LoadMimeTypes("# comment\ntext/plain\t\ttxt text\napplication/pdf pdf\nimage/x-none\n"
                    "text/other txt\n");
    t.LoadGlobs2("# generated\n80:text/html:*.html\n50:text/x-python:*.py\n"
                 "50:application/x-pdf:*.pdf\n50:text/x-c:*.[ch]\n"
                 "50:application/x-tar:*.tar.gz\n50:text/x-readme:README*\n");
    EXPECT_EQ(t.Lookup("TXT"), "text/plain"); // first entry wins, any case
    EXPECT_EQ(t.Lookup(".pdf"), "application/pdf");
    EXPECT_EQ(t.Lookup("html"), "text/html");
    EXPECT_EQ(t.Lookup("py"), "text/x-python");
    EXPECT_EQ(t.Lookup("gz"), "");
    EXPECT_EQ(t.Lookup("[ch]"), "");
    EXPECT_EQ(t.Lookup("nothing"), "");
}

TEST(MimeTypes, SystemDatabase) {
    // media-types provides /etc/mime.types.
    EXPECT_EQ(ContentTypeOf("letter.TXT"), "text/plain");
    EXPECT_EQ(ContentTypeOf("/x/y/photo.jpg"), "image/jpeg");
    EXPECT_EQ(ContentTypeOf("page.htm"), "text/html");
    EXPECT_EQ(ContentTypeOf("mail.eml"), "message/rfc822");
    EXPECT_EQ(ContentTypeOf("data.unknownext"), "application/octet-stream");
    EXPECT_EQ(ContentTypeOf("noextension"), "application/octet-stream");
}

TEST(MailTexts, NumberedTexts) {
    EXPECT_STREQ(MailResourceString(57000), "Operation timed out");
    EXPECT_STREQ(MailResourceString(57109), "Cannot find closing boundary");
    EXPECT_STREQ(MailResourceString(57118), "Article number is not in valid range");
    EXPECT_EQ(MailResourceString(57006), nullptr);
    EXPECT_EQ(MailResourceString(0), nullptr);
}

} // namespace
