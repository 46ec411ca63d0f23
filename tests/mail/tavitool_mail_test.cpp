// tavitool mail-encode and mail-decode, run as a user runs them, and the mistakes the mail
// commands find before they connect.
#include "support/testdata.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>

namespace {

struct Result {
    int status;
    std::string out;
};

Result Tavitool(const std::string& arguments) {
    const std::string command =
        (tavitest::BinaryDir() / "bin/tavitool").string() + " " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    Result r{-1, {}};
    if (!pipe) return r;
    char buf[4096];
    for (std::size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;) r.out.append(buf, n);
    const int status = pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

TEST(TavitoolMail, EncodeThenDecode) {
    tavitest::TempDir dir;
    tavitest::WriteFile(dir / "body.txt", "Hello,\r\n.\r\nBye\r\n");
    std::string big(300000, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + i / 251);
    tavitest::WriteFile(dir / "data.bin", big);
    const std::string d = dir.path().string();
    const Result enc =
        Tavitool("mail-encode --from 'Ann A. <ann@x.org>' --to bob@x.org --to 'Cy <cy@x.org>' "
                 "--subject 'Report' --body " +
                 d + "/body.txt --attach " + d +
                 "/data.bin "
                 "--date 'Tue, 2 Jan 2024 08:09:10 +0700' " +
                 d + "/out.eml");
    ASSERT_EQ(enc.status, 0) << enc.out;
    const Result dec = Tavitool("mail-decode --save " + d + "/saved " + d + "/out.eml");
    ASSERT_EQ(dec.status, 0) << dec.out;
    EXPECT_EQ(dec.out, "From-Name: Ann A.\n"
                       "From-Address: ann@x.org\n"
                       "Date: 2024-01-02 08:09:10\n"
                       "Subject: Report\n"
                       "Content-Type: multipart/mixed\n"
                       "Attachment: data.bin; application/octet-stream; 300000\n"
                       "\n"
                       "Hello,\n"
                       ".\n"
                       "Bye\n");
    EXPECT_TRUE(tavitest::ReadFile(dir / "saved/data.bin") == big);
}

TEST(TavitoolMail, StoredMessageWithoutDate) {
    tavitest::TempDir dir;
    tavitest::WriteFile(dir / "m.eml", "From: x@y.z\r\nSubject: =?utf-8?Q?a_b?=\r\n\r\n..x\r\n");
    const Result r = Tavitool("mail-decode --eml " + (dir / "m.eml").string());
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out, "From-Name: \nFrom-Address: x@y.z\nDate: none\nSubject: a b\n"
                     "Content-Type: text/plain\n\n..x\n");
}

TEST(TavitoolMail, MistakesAreReported) {
    EXPECT_EQ(Tavitool("mail-encode --to a@b.c").status, 1); // no sender
    EXPECT_EQ(Tavitool("mail-encode --from a@b.c --to a@b.c --charset koi8").status, 2);
    const Result missing = Tavitool("mail-decode /nonexistent/file.eml");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.out.find("Cannot open file"), std::string::npos);
}

TEST(TavitoolMail, TransferMistakesFoundBeforeConnecting) {
    // A build without Qt has no transfer commands.
    if (Tavitool("help").out.find("mail-fetch") == std::string::npos)
        GTEST_SKIP() << "tavitool has no mail-fetch";
    tavitest::TempDir dir;
    const std::string d = dir.path().string();
    // Nothing listens there: a mistake not found first would end in a refused connection.
    const std::string fetch = "mail-fetch --server 127.0.0.1:1 --user u ";
    const std::string send = "mail-send --server 127.0.0.1:1 --from a@b.c --to a@b.c ";
    struct Case {
        std::string arguments;
        int status;
        std::string says;
    };
    unsetenv("TAVI_MAIL_PASSWORD");
    for (const Case& c : std::vector<Case>{
             {fetch + "--tls ssl --password-file /dev/null", 2,
              "--tls must be none, starttls or implicit"},
             {fetch, 2, "a password is required: --password-file FILE"},
             {fetch + "--password-file " + d + "/missing", 1,
              "Cannot read the password file " + d + "/missing: No such file or directory"},
             {fetch + "--password-file " + d, 1, "Cannot read the password file " + d + ": "},
             {fetch + "--password-file /dev/null --password x", 2,
              "give either --password-file or --password"},
             {send + "--user u", 2, "--user needs a password"},
             {send + "--table NoSuchTable /dev/null", 1, "Cannot open file"},
         }) {
        const Result r = Tavitool(c.arguments);
        EXPECT_EQ(r.status, c.status) << c.arguments << "\n" << r.out;
        EXPECT_NE(r.out.find(c.says), std::string::npos) << c.arguments << "\n" << r.out;
    }
}

} // namespace
