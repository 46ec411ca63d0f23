// The effective content type and the transfer form the writer produces.
#include "mail/mailerrors.h"
#include "mail/mailmessage.h"
#include "mail/tempfilestream.h"

#include <gtest/gtest.h>

#include <regex>

using namespace tavi;

namespace {

TmsAttItem& Attach(TmsCustomMessage& m, const std::string& name, const std::string& data) {
    TmsAttItem& a = m.Attachments.Add(name);
    a.Data.Data = data;
    return a;
}

// The message's boundaries in order of appearance, so whole texts can be compared.
std::string WithBoundaries(std::string expected, const std::string& actual) {
    std::smatch match;
    std::string rest = actual;
    for (const char* name : {"B1", "B2"}) {
        if (!std::regex_search(rest, match, std::regex("boundary=\"([0-8]{8})\""))) break;
        for (std::size_t p; (p = expected.find(name)) != std::string::npos;)
            expected.replace(p, 2, match[1].str());
        rest = match.suffix();
    }
    return expected;
}

TEST(ContentType, EffectiveRules) {
    struct Case {
        const char* what;
        std::vector<std::string> body;
        std::vector<std::string> attachments;
        TMsgEncoding encoding;
        std::string stored;
        std::string expected;
    };
    const Case cases[] = {
        {"uuencoded", {"x"}, {"a.pdf"}, meUU, "text/html", ""},
        {"alternative forms", {"x"}, {"_ALT.0", "_alt.1"}, meMIME, "", "multipart/alternative"},
        {"rtf body file", {}, {"_rtfbody.rtf"}, meMIME, "", "text/rtf"},
        {"html body file", {}, {"_htmbody.htm"}, meMIME, "", "text/html"},
        {"one attachment", {}, {"a.pdf"}, meMIME, "", "application/pdf"},
        {"nothing", {}, {}, meMIME, "text/html", "text/plain"},
        {"two attachments", {}, {"a.pdf", "b.txt"}, meMIME, "", "multipart/mixed"},
        {"body and one", {"x"}, {"a.pdf"}, meMIME, "", "multipart/mixed"},
        {"body and html body file", {"x"}, {"_htmbody.htm"}, meMIME, "", "multipart/mixed"},
        {"stored", {"x"}, {}, meMIME, "text/html", "text/html"},
        {"stored empty", {"x"}, {}, meMIME, "", "text/plain"},
    };
    for (const Case& c : cases) {
        TmsMessage m;
        m.Body = c.body;
        for (const auto& a : c.attachments) m.Attachments.Add(a);
        m.Encoding = c.encoding;
        m.SetContentType(c.stored);
        EXPECT_EQ(m.ContentType(), c.expected) << c.what;
    }
}

TEST(Attachments, TypeAndEncodingFromTheName) {
    const struct {
        std::string name, type;
        TAttEncoding encoding;
    } cases[] = {
        {"notes.txt", "text/plain", aeQuotedPrintable},
        {"page.HTML", "text/html", aeQuotedPrintable},
        {"mail.eml", "message/rfc822", ae7Bit},
        {"photo.jpg", "image/jpeg", aeBase64},
        {"unknown.zzzq", "application/octet-stream", aeBase64},
    };
    for (const auto& c : cases) {
        TmsAttItem a;
        a.SetFileName(c.name);
        EXPECT_EQ(a.ContentType, c.type) << c.name;
        EXPECT_EQ(a.Encoding, c.encoding) << c.name;
    }
    EXPECT_STREQ(AttEncodingName(ae7Bit), "7 bit");
    EXPECT_STREQ(AttEncodingName(aeBase64), "Base64");
    EXPECT_STREQ(AttEncodingName(aeQuotedPrintable), "Quoted-Printable");
}

TEST(Writer, HeaderOrderPaddingAndDots) {
    TmsMessage m;
    m.Sender = {"A. Sender", "s@x.org"};
    m.Recipients.Add("1@x.org", "One");
    m.Recipients.Add("2@x.org", "Two.");
    m.Recipients.Add("3@x.org", "Three");
    m.CC.Add("4@x.org", "Four");
    m.BCC.Add("5@x.org", "Hidden");
    m.ReturnReceipt = true;
    m.Priority = ptHigh;
    m.Subject = "Hello";
    m.Headers.Lines = {
        "X-Mailer: tavi", "Subject: old",      "To: old@x.org", "content-type: text/html;",
        " charset=x",     "Mime-Version: 1.0", "X-Priority: 3", "X-Other: kept",
        "\tfolded"};
    m.Body = {"line one", ".", ".dot", ""};
    EXPECT_EQ(m.SaveToString(), "From:     \"A. Sender\" <s@x.org>\r\n"
                                "To:       One <1@x.org>,\r\n"
                                "          \"Two.\" <2@x.org>,\r\n"
                                "          Three <3@x.org>\r\n"
                                "CC:       Four <4@x.org>\r\n"
                                "Return-Receipt-To: <s@x.org>\r\n"
                                "X-Priority: 1\r\n"
                                "X-Mailer: tavi\r\n"
                                "X-Other: kept\r\n"
                                "\tfolded\r\n"
                                "Subject: Hello\r\n"
                                "Mime-Version: 1.0\r\n"
                                "Content-Type: text/plain; charset=\"us-ascii\"\r\n"
                                "Content-Transfer-Encoding: 7bit\r\n"
                                "\r\n"
                                "line one\r\n"
                                "..\r\n"
                                "..dot\r\n"
                                "\r\n");
    // Without dot-stuffing (a stored message file) lines stay as they are.
    EXPECT_NE(m.SaveToString(false).find("\r\n.\r\n.dot\r\n"), std::string::npos);
    m.WriteBCC = true;
    m.Priority = ptLow;
    const std::string text = m.SaveToString();
    EXPECT_NE(text.find("CC:       Four <4@x.org>\r\nBCC:      Hidden <5@x.org>\r\n"
                        "Return-Receipt-To: <s@x.org>\r\nX-Priority: 5\r\n"),
              std::string::npos);
}

TEST(Writer, LongLineOrLatin1IsSentQuotedPrintable) {
    TmsMessage m;
    m.Sender = {"", "s@x.org"};
    m.Body = {"short", std::string(256, 'w')};
    std::string text = m.SaveToString();
    EXPECT_NE(text.find("Content-Type: text/plain; charset=\"us-ascii\"\r\n"
                        "Content-Transfer-Encoding: quoted-printable\r\n\r\nshort\r\n" +
                        std::string(65, 'w') + "=\r\n"),
              std::string::npos);
    m.Body = {std::string(255, 'w')};
    EXPECT_NE(m.SaveToString().find("Content-Transfer-Encoding: 7bit"), std::string::npos);
    m.CharSet = csISO8859;
    m.Body = {"Vie\xE4t"};
    EXPECT_NE(m.SaveToString().find("charset=\"iso-8859-1\"\r\nContent-Transfer-Encoding: "
                                    "quoted-printable\r\n\r\nVie=E4t\r\n"),
              std::string::npos);
}

TEST(Writer, Iso2022jpHeaderWords) {
    TmsMessage m;
    m.CharSet = csISO2022jp;
    m.Sender = {"\x1B$B$3\x1B(B", "j@x.jp"};
    m.Subject = "\x1B$B$3$s\x1B(B";
    m.Body = {"x"};
    const std::string text = m.SaveToString();
    EXPECT_NE(text.find("From:     =?iso-2022-jp?B?GyRCJDMbKEI=?= <j@x.jp>\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("Subject: =?iso-2022-jp?B?GyRCJDMkcxsoQg==?=\r\n"), std::string::npos);
    EXPECT_NE(text.find("charset=\"iso-2022-jp\"\r\nContent-Transfer-Encoding: 7bit"),
              std::string::npos);
    TmsMessage back;
    back.LoadFromString(text);
    EXPECT_EQ(back.Sender, m.Sender);
    EXPECT_EQ(back.Subject, m.Subject);
    EXPECT_EQ(back.CharSet, csISO2022jp);
    m.Encoding = meUU; // header words only with MIME
    EXPECT_NE(m.SaveToString().find("Subject: \x1B$B"), std::string::npos);
}

// A letter of UTF-8 names its sender and recipient as mail programs write them today, and the
// names read back whole.
TEST(Writer, Utf8LetterNamesItsPeople) {
    const struct {
        TmsMailAddress person;
        const char* header; // after "From: " and "To: "
        const char* nameBack;
    } cases[] = {
        {{"", "toi@example.org"}, "toi@example.org", ""},
        {{"Ann Tester", "ann@x.org"}, "Ann Tester <ann@x.org>", "Ann Tester"},
        {{"Nguy\xE1\xBB\x85n V\xC4\x83n An", "an@x.vn"},
         "=?UTF-8?B?Tmd1eeG7hW4gVsSDbiBBbg==?= <an@x.vn>",
         "Nguy\xE1\xBB\x85n V\xC4\x83n An"},
        {{"Eve\r\nBcc: v@x.org", "e@x.org"},
         "\"Eve  Bcc: v@x.org\" <e@x.org>",
         "Eve  Bcc: v@x.org"},
    };
    for (const auto& c : cases) {
        TmsMessage m;
        m.Sender = c.person;
        m.Recipients.Add(c.person);
        m.SetUnicodeBody("x");
        const std::string text = m.SaveToString();
        EXPECT_EQ(text.substr(0, text.find("Mime-Version")),
                  std::string("From: ") + c.header + "\r\nTo: " + c.header + "\r\n");
        TmsMessage back;
        back.LoadFromString(text);
        EXPECT_EQ(back.Sender, (TmsMailAddress{c.nameBack, c.person.Address}));
        ASSERT_EQ(back.Recipients.Count(), 1u);
        EXPECT_EQ(back.Recipients.Items(0), back.Sender);
    }
}

TEST(Writer, LineEndsInsideFieldsCannotAddHeaders) {
    TmsMessage m;
    m.Sender = {"Eve\r\nBcc: victim@x.org", "e@x.org"};
    m.Subject = "Hi\r\nX-Injected: 1";
    m.Body = {"a\r\n.\r\nb"}; // a body "line" holding line ends
    const std::string text = m.SaveToString();
    EXPECT_EQ(text.find("\r\nBcc:"), std::string::npos);
    EXPECT_EQ(text.find("\r\nX-Injected"), std::string::npos);
    EXPECT_EQ(text.find("\r\n.\r\n"), std::string::npos); // never a lone full stop
    TmsMessage back;
    back.LoadFromString(text);
    EXPECT_EQ(back.Subject, "Hi  X-Injected: 1");
    EXPECT_EQ(back.Body, (std::vector<std::string>{"a", ".", "b"}));
}

TEST(Writer, MultipartLayout) {
    TmsMessage m;
    m.Sender = {"", "s@x.org"};
    m.Body = {"Hello"};
    Attach(m, "a.bin", "abc");
    Attach(m, "n.txt", "x=1\r\n");
    Attach(m, "m.eml", "Subject: inner\r\n\r\n.\r\n");
    const std::string text = m.SaveToString();
    EXPECT_EQ(text, WithBoundaries("From:      <s@x.org>\r\n"
                                   "Mime-Version: 1.0\r\n"
                                   "Content-Type: multipart/mixed; boundary=\"B1\"\r\n"
                                   "\r\n"
                                   "This is a multipart message in MIME format\r\n"
                                   "\r\n"
                                   "--B1\r\n"
                                   "Content-Type: text/plain; charset=\"us-ascii\"\r\n"
                                   "Content-Transfer-Encoding: 7bit\r\n"
                                   "\r\n"
                                   "Hello\r\n"
                                   "\r\n"
                                   "--B1\r\n"
                                   "Content-Type: application/octet-stream; name=\"a.bin\"\r\n"
                                   "Content-Transfer-Encoding: Base64\r\n"
                                   "Content-Disposition: attachment; filename=\"a.bin\"\r\n"
                                   "\r\n"
                                   "YWJj\r\n"
                                   "\r\n"
                                   "--B1\r\n"
                                   "Content-Type: text/plain; name=\"n.txt\"\r\n"
                                   "Content-Transfer-Encoding: Quoted-Printable\r\n"
                                   "Content-Disposition: attachment; filename=\"n.txt\"\r\n"
                                   "\r\n"
                                   "x=3D1\r\n"
                                   "\r\n"
                                   "--B1\r\n"
                                   "Content-Type: message/rfc822; name=\"m.eml\"\r\n"
                                   "Content-Transfer-Encoding: 7 bit\r\n"
                                   "Content-Disposition: attachment; filename=\"m.eml\"\r\n"
                                   "\r\n"
                                   "Subject: inner\r\n"
                                   "\r\n"
                                   "..\r\n"
                                   "\r\n"
                                   "--B1--\r\n",
                                   text));
}

TEST(Writer, AlternativeFormsNestedUnderTheirOwnBoundary) {
    TmsMessage m;
    m.Sender = {"", "s@x.org"};
    m.Body = {"plain"};
    TmsAttItem& html = Attach(m, "_alt.0", "<b>x</b>");
    html.ContentType = "text/html";
    html.Encoding = aeQuotedPrintable;
    const std::string text = m.SaveToString();
    EXPECT_EQ(text, WithBoundaries("From:      <s@x.org>\r\n"
                                   "Mime-Version: 1.0\r\n"
                                   "Content-Type: multipart/alternative; boundary=\"B1\"\r\n"
                                   "\r\n"
                                   "This is a multipart message in MIME format\r\n"
                                   "\r\n"
                                   "--B1\r\n"
                                   "Content-Type:  multipart/alternative; boundary=\"B2\"\r\n"
                                   "Content-Transfer-Encoding: 7bit\r\n"
                                   "\r\n"
                                   "--B2\r\n"
                                   "Content-Type: text/plain; charset=\"us-ascii\"\r\n"
                                   "Content-Transfer-Encoding: 7bit\r\n"
                                   "\r\n"
                                   "plain\r\n"
                                   "\r\n"
                                   "--B2\r\n"
                                   "Content-Type: text/html\r\n"
                                   "Content-Transfer-Encoding: Quoted-Printable\r\n"
                                   "\r\n"
                                   "<b>x</b>=\r\n"
                                   "\r\n"
                                   "--B2--\r\n"
                                   "\r\n"
                                   "--B1--\r\n",
                                   text));
}

TEST(Writer, BoundaryNeverOccursInTheText) {
    // Every boundary the writer may choose appears in the body: it must pick another.
    TmsMessage m;
    m.Sender = {"", "s@x.org"};
    m.Body = {"--00000000"};
    Attach(m, "a.txt", "--12345678 and more");
    for (int i = 0; i < 50; ++i) {
        const std::string text = m.SaveToString();
        std::smatch match;
        ASSERT_TRUE(std::regex_search(text, match, std::regex("boundary=\"([0-8]{8})\"")));
        EXPECT_EQ(m.Body[0].find(match[1].str()), std::string::npos);
        TmsMessage back;
        back.LoadFromString(text);
        EXPECT_EQ(back.Body, m.Body);
    }
}

TEST(Writer, UuencodeMode) {
    TmsMessage m;
    m.Sender = {"", "s@x.org"};
    m.Encoding = meUU;
    m.Body = {"see attached"};
    Attach(m, "cat.bin", "Cat");
    Attach(m, "empty", "");
    EXPECT_EQ(m.SaveToString(), "From:      <s@x.org>\r\n"
                                "\r\n"
                                "see attached\r\n"
                                "\r\n"
                                "begin 600 cat.bin\r\n"
                                "#0V%T\r\n"
                                "`\r\n"
                                "end\r\n"
                                "\r\n"
                                "begin 600 empty\r\n"
                                "`\r\n"
                                "end\r\n");
}

TEST(Writer, SingleAttachmentAndBodyFiles) {
    TmsMessage m;
    m.Sender = {"", "s@x.org"};
    Attach(m, "doc.pdf", "%PDF");
    EXPECT_NE(m.SaveToString().find("Content-Type: application/pdf; name=\"doc.pdf\"\r\n"
                                    "Content-Transfer-Encoding: Base64\r\n"
                                    "Content-Disposition: attachment; filename=\"doc.pdf\"\r\n"
                                    "\r\n"
                                    "JVBERg==\r\n"),
              std::string::npos);
    m.Attachments.Clear();
    Attach(m, "_htmbody.htm", "<p>caf\xE9</p>\r\n");
    m.CharSet = csISO8859;
    EXPECT_NE(m.SaveToString().find("Content-Type: text/html; charset=\"iso-8859-1\"\r\n"
                                    "Content-Transfer-Encoding: quoted-printable\r\n"
                                    "\r\n"
                                    "<p>caf=E9</p>\r\n"),
              std::string::npos);
}

TEST(Writer, IntoTheTemporaryFileStream) {
    TmsMessage m;
    m.Sender = {"", "s@x.org"};
    m.Recipients.Add("r@x.org");
    m.Body = {"hi"};
    TTempFileStream file;
    m.SaveToStream(file);
    const std::string expected = m.SaveToString();
    ASSERT_EQ(file.Size(), expected.size());
    file.seekg(0);
    std::string back(expected.size(), '\0');
    file.read(back.data(), static_cast<std::streamsize>(back.size()));
    EXPECT_EQ(back, expected);
}

TEST(Message, CheckBeforeSending) {
    TmsMessage m;
    try {
        m.Check();
        ADD_FAILURE();
    } catch (const EMailError& e) {
        EXPECT_STREQ(e.what(), "The address of sender is required");
    }
    m.Sender.Address = "s@x.org";
    try {
        m.Check();
        ADD_FAILURE();
    } catch (const EMailError& e) {
        EXPECT_STREQ(e.what(), "At least one Recipient, CC or BCC must be entered");
    }
    m.BCC.Add("b@x.org");
    EXPECT_NO_THROW(m.Check());
}

TEST(MessageList, OwnsItsMessages) {
    TmsMessageList list;
    list.Add().Subject = "one";
    list.Add().Subject = "two";
    list.Add().Subject = "three";
    EXPECT_EQ(list.Items(1).Owner(), &list);
    list.Delete(1);
    ASSERT_EQ(list.Count(), 2u);
    EXPECT_EQ(list.Items(1).Subject, "three");
    EXPECT_THROW(list.Delete(5), std::out_of_range);
    try {
        TmsListMessage orphan(nullptr);
        ADD_FAILURE();
    } catch (const EMailError& e) {
        EXPECT_STREQ(e.what(), "Owner of TmsListMessage must be TmsMessageList");
    }
}

// Letters kept in their files are read when asked for, again after being let go; a letter
// deleted takes its file with it, and one whose file went away says so.
TEST(MessageList, LettersInFilesAreReadWhenAskedFor) {
    TmsMessageList list;
    std::vector<std::filesystem::path> files;
    for (const char* subject : {"one", "two", "three"}) {
        auto file = std::make_unique<TTempFileStream>();
        *file << "Subject: " << subject << "\r\n\r\n..body\r\n.\r\n";
        file->flush();
        files.push_back(file->FileName());
        list.AddFile(std::move(file));
    }
    list.Add().Subject = "in memory";
    const std::vector<std::string> subjects = {"one", "two", "three", "in memory"};
    for (int pass = 0; pass < 2; ++pass)
        for (std::size_t i = 0; i < list.Count(); ++i)
            EXPECT_EQ(list.Items(i).Subject, subjects[i]);
    EXPECT_EQ(list.Items(2).Body, std::vector<std::string>{".body"});
    EXPECT_EQ(list.Items(0).Owner(), &list);
    list.Delete(1);
    EXPECT_FALSE(std::filesystem::exists(files[1]));
    EXPECT_EQ(list.Items(1).Subject, "three");
    std::filesystem::remove(files[0]);
    EXPECT_EQ(list.Items(0).Body,
              std::vector<std::string>{"Cannot open file " + files[0].string()});
    list.Clear();
    EXPECT_FALSE(std::filesystem::exists(files[2]));
}

} // namespace
