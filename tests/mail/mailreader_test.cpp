// Reading messages: MIME and plain, the error body, round trips and real messages.
#include "mail/mailmessage.h"
#include "mail/mimecoding.h"
#include "support/corpus.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>

using namespace tavi;

namespace {

TmsMessage Read(const std::string& text, bool dotStuffed = true) {
    TmsMessage m;
    m.LoadFromString(text, dotStuffed);
    return m;
}

std::vector<std::string> Names(const TmsCustomMessage& m) {
    std::vector<std::string> names;
    for (const auto& a : m.Attachments) names.push_back(a.FileName());
    return names;
}

void ExpectErrorBody(const TmsMessage& m, const std::string& error, const std::string& original) {
    EXPECT_EQ(m.Body, (std::vector<std::string>{
                          "The following error has been occured while processing the message:",
                          error, "The original message will be stored as an attachment"}));
    ASSERT_EQ(m.Attachments.Count(), 1u);
    EXPECT_EQ(m.Attachments.Items(0).FileName(), "original.eml");
    EXPECT_EQ(m.Attachments.Items(0).Data.Data, original);
}

const std::string MixedHead = "From: Ann <ann@x.org>\r\n"
                              "To: Bob <bob@x.org>, \"Lee, C\" <c@x.org>\r\n"
                              "Cc: d@x.org (Dee)\r\n"
                              "Subject: =?utf-8?Q?Th=C6=B0_m=E1=BB=9Bi?=\r\n"
                              "X-Priority: 1 (Highest)\r\n"
                              "Return-receipt-to: ann@x.org\r\n"
                              "MIME-Version: 1.0\r\n"
                              "Content-Type: multipart/mixed; boundary=\"XX\"\r\n"
                              "\r\n"
                              "preamble\r\n";

TEST(Reader, HeaderFields) {
    const TmsMessage m = Read(MixedHead + "--XX\r\n\r\nbody\r\n--XX--\r\n");
    EXPECT_EQ(m.Sender, (TmsMailAddress{"Ann", "ann@x.org"}));
    ASSERT_EQ(m.Recipients.Count(), 2u);
    EXPECT_EQ(m.Recipients.Items(1), (TmsMailAddress{"Lee, C", "c@x.org"}));
    ASSERT_EQ(m.CC.Count(), 1u);
    EXPECT_EQ(m.CC.Items(0), (TmsMailAddress{"Dee", "d@x.org"}));
    EXPECT_EQ(m.Subject, "Th\xC6\xB0 m\xE1\xBB\x9Bi");
    EXPECT_EQ(m.Priority, ptHigh);
    EXPECT_TRUE(m.ReturnReceipt);
    EXPECT_EQ(m.Headers.Count(), 8u);
    EXPECT_EQ(m.Body, (std::vector<std::string>{"body"}));
}

TEST(Reader, MultipartParts) {
    const std::string text = MixedHead + "--XX\r\n"
                                         "Content-Type: text/plain; charset=iso-8859-1\r\n"
                                         "Content-Transfer-Encoding: quoted-printable\r\n"
                                         "\r\n"
                                         "caf=E9 soft=\r\n"
                                         "ly\r\n"
                                         "\r\n"
                                         "--XX\r\n"
                                         "Content-Type: application/pdf; name=\"r.pdf\"\r\n"
                                         "Content-Transfer-Encoding: base64\r\n"
                                         "\r\n"
                                         "JVBE\r\n"
                                         "Rg==\r\n"
                                         "--XX\r\n"
                                         "Content-Type: image/png\r\n"
                                         "Content-Disposition: attachment;\r\n"
                                         " filename=\"p.png\"\r\n"
                                         "Content-Transfer-Encoding: x-uue\r\n"
                                         "\r\n"
                                         "begin 644 p.png\r\n"
                                         "#0V%T\r\n"
                                         "`\r\n"
                                         "end\r\n"
                                         "--XX\r\n"
                                         "\r\n"
                                         "line 1\r\n"
                                         "line 2\r\n"
                                         "\r\n"
                                         "--XX\r\n"
                                         "Content-Type: text/html\r\n"
                                         "Content-Transfer-Encoding: 8bit\r\n"
                                         "--XX--\r\n"
                                         "epilogue\r\n";
    const TmsMessage m = Read(text);
    EXPECT_EQ(m.CharSet, csISO8859);
    EXPECT_EQ(m.Body, (std::vector<std::string>{"caf\xE9 softly"}));
    EXPECT_EQ(Names(m), (std::vector<std::string>{"r.pdf", "p.png", "att.2", "att.3"}));
    const auto& a = m.Attachments;
    EXPECT_EQ(a.Items(0).Data.Data, "%PDF");
    EXPECT_EQ(a.Items(0).Encoding, aeBase64);
    EXPECT_EQ(a.Items(1).Data.Data, "Cat");
    EXPECT_EQ(a.Items(1).ContentType, "image/png");
    EXPECT_EQ(a.Items(2).ContentType, "text/plain"); // the default
    EXPECT_EQ(a.Items(2).Encoding, ae7Bit);
    EXPECT_EQ(a.Items(2).Data.Data, "line 1\r\nline 2\r\n");
    EXPECT_EQ(a.Items(3).ContentType, "text/html");
    EXPECT_EQ(a.Items(3).Data.Data, "");
    EXPECT_EQ(m.ContentType(), "multipart/mixed");
}

TEST(Reader, NestedAlternativeGivesThePlainBody) {
    // What most mail programs send: mixed { alternative { plain, html }, attachment }.
    const std::string text = "From: a@x.org\r\nMime-Version: 1.0\r\n"
                             "Content-Type: multipart/mixed; boundary=outer\r\n\r\n"
                             "--outer\r\n"
                             "Content-Type: multipart/alternative; boundary=\"inner\"\r\n\r\n"
                             "--inner\r\n"
                             "Content-Type: text/plain; charset=utf-8\r\n"
                             "Content-Transfer-Encoding: base64\r\n\r\n"
                             "SGVsbG8NCldvcmxk\r\n"
                             "--inner\r\n"
                             "Content-Type: text/html\r\n\r\n"
                             "<p>Hello</p>\r\n"
                             "--inner--\r\n"
                             "\r\n"
                             "--outer\r\n"
                             "Content-Type: application/zip; name=z.zip\r\n"
                             "Content-Transfer-Encoding: base64\r\n\r\n"
                             "UEs=\r\n"
                             "--outer--\r\n";
    const TmsMessage m = Read(text);
    EXPECT_EQ(m.Body, (std::vector<std::string>{"Hello", "World"}));
    EXPECT_EQ(Names(m), (std::vector<std::string>{"_alt.0", "z.zip"}));
    EXPECT_EQ(m.Attachments.Items(0).Data.Data, "<p>Hello</p>\r\n");
    EXPECT_EQ(m.Attachments.Items(1).Data.Data, "PK");
}

TEST(Reader, FirstPartThatIsNoTextIsAnAttachment) {
    const TmsMessage m = Read("From: a@x.org\r\nMime-Version: 1.0\r\n"
                              "Content-Type: multipart/mixed; boundary=b\r\n\r\n"
                              "--b\r\nContent-Type: image/gif\r\n"
                              "Content-Transfer-Encoding: base64\r\n\r\nR0lGODlh\r\n"
                              "--b\r\nContent-Type: text/plain; name=\"n.txt\"\r\n\r\nnote\r\n"
                              "--b--\r\n");
    EXPECT_TRUE(m.Body.empty());
    EXPECT_EQ(Names(m), (std::vector<std::string>{"att.0", "n.txt"}));
    EXPECT_EQ(m.Attachments.Items(0).Data.Data, "GIF89a");
}

TEST(Reader, MultipartFailuresKeepTheMessage) {
    const struct {
        std::string text, error;
    } cases[] = {
        {MixedHead + "--XX\r\n\r\nbody\r\n--XX\r\nContent-Type: text/plain\r\n\r\nno end\r\n",
         "Cannot find closing boundary"},
        {MixedHead + "no boundary line at all\r\n", "Cannot find boundary"},
        {"From: ann@x.org\r\nMime-Version: 1.0\r\nContent-Type: multipart/mixed\r\n\r\nx\r\n",
         "Cannot find boundary"},
        {MixedHead + "--XX\r\n\r\nbody\r\n--XX\r\nContent-Transfer-Encoding: base64\r\n\r\n"
                     "not base64!\r\n--XX--\r\n",
         "Error decoding the attachment"},
    };
    for (const auto& c : cases) {
        const TmsMessage m = Read(c.text, false);
        SCOPED_TRACE(c.error);
        ExpectErrorBody(m, c.error, c.text);
        EXPECT_EQ(m.Sender.Address, "ann@x.org") << "header fields are kept";
    }
    // In transfer form the original is the message itself, without stuffing or final dot.
    const std::string cut = MixedHead + "--XX\r\n\r\n..dotted\r\n";
    ExpectErrorBody(Read(cut + ".\r\n"), "Cannot find closing boundary",
                    MixedHead + "--XX\r\n\r\n.dotted\r\n");
}

TEST(Reader, FinalDotOfTheTransferFormIsRemoved) {
    const TmsMessage m = Read("From: a@x.org\r\n\r\nlast line\r\n..\r\n.\r\n");
    EXPECT_EQ(m.Body, (std::vector<std::string>{"last line", "."}));
    const TmsMessage k = Read("From: a@x.org\r\n\r\ntext\r\n.\r\n");
    EXPECT_EQ(k.Body, (std::vector<std::string>{"text"}));
}

TEST(Reader, SinglePartRules) {
    const std::string head = "From: a@x.org\r\nMIME-Version: 1.0\r\n";
    struct Case {
        const char* what;
        std::string text;
        std::vector<std::string> body;
        std::vector<std::string> attachments;
        TCharSet charset;
        std::string contentType;
    };
    const Case cases[] = {
        {"quoted-printable",
         head + "Content-Transfer-Encoding: Quoted-Printable\r\n\r\na=3Db=\r\nc\r\n",
         {"a=bc"},
         {},
         csISO8859,
         "text/plain"},
        {"autoconverted to quoted-printable",
         head + "X-MIME-Autoconverted: from 8bit to quoted-printable by x\r\n\r\na=3Db\r\n",
         {"a=b"},
         {},
         csISO8859,
         "text/plain"},
        {"autoconverted from quoted-printable: already decoded",
         head + "X-MIME-Autoconverted: from quoted-printable to 8bit by x\r\n\r\na=3Db\r\n",
         {"a=3Db"},
         {},
         csUSASCII,
         "text/plain"},
        {"base64 text",
         head + "Content-Transfer-Encoding: base64\r\n\r\nb25lCnR3bw==\r\n",
         {"one", "two"},
         {},
         csUSASCII,
         "text/plain"},
        {"html",
         head + "Content-Type: text/html; charset=\"iso-2022-jp\"\r\n\r\n<b>\r\n",
         {"<b>"},
         {},
         csISO2022jp,
         "text/html"},
        {"named text is an attachment",
         head + "Content-Type: text/plain; name=\"a.txt\"\r\n\r\nx\r\n",
         {},
         {"a.txt"},
         csUSASCII,
         "text/plain"},
        {"cc:Mail name is a body",
         head + "Content-Type: text/plain; name=\"cc:Mail\"\r\n\r\nx\r\n",
         {"x"},
         {},
         csUSASCII,
         "text/plain"},
        {"binary type is an attachment",
         head +
             "Content-Type: application/pdf\r\nContent-Transfer-Encoding: base64\r\n\r\nJVBE\r\n",
         {},
         {"att.0"},
         csUSASCII,
         "application/pdf"},
        {"V Mailsystem drops its Content-Type",
         head + "X-Mailer: V Mailsystem R #0001\r\nContent-Type: multipart/mixed\r\n\r\nx\r\n",
         {"x"},
         {},
         csUSASCII,
         "text/plain"},
    };
    for (const Case& c : cases) {
        const TmsMessage m = Read(c.text);
        EXPECT_EQ(m.Body, c.body) << c.what;
        EXPECT_EQ(Names(m), c.attachments) << c.what;
        EXPECT_EQ(m.CharSet, c.charset) << c.what;
        EXPECT_EQ(m.ContentType(), c.contentType) << c.what;
    }
}

TEST(Reader, UuencodedBlocks) {
    const std::string plain = "From: a@x.org\r\n\r\n"
                              "Begin 100 reasons to write\r\n" // not uuencoded after all
                              "more text\r\n"
                              "\r\n"
                              "begin 644 \"cat file.bin\"\r\n"
                              "#0V%T\r\n"
                              "`\r\n"
                              "end\r\n"
                              "begin 0644 dog.bin\r\n"
                              "#0V%T\r\n"
                              "END\r\n"
                              "begin 600 \r\n"
                              "`\r\n"
                              "end\r\n"
                              "after\r\n";
    const TmsMessage m = Read(plain);
    EXPECT_EQ(m.Encoding, meUU);
    EXPECT_EQ(m.Body,
              (std::vector<std::string>{"Begin 100 reasons to write", "more text", "after"}));
    EXPECT_EQ(Names(m), (std::vector<std::string>{"cat file.bin", "dog.bin", "att.2"}));
    EXPECT_EQ(m.Attachments.Items(0).Data.Data, "Cat");
    EXPECT_EQ(m.ContentType(), "");

    // Inside a MIME text the block restarts the reading without the MIME headers.
    const TmsMessage k = Read("From: a@x.org\r\nMime-Version: 1.0\r\nContent-Type: text/plain\r\n"
                              "Content-Transfer-Encoding: 7bit\r\nX-Other: 1\r\n\r\nhello\r\n"
                              "begin 644 c.bin\r\n#0V%T\r\n`\r\nend\r\n");
    EXPECT_EQ(k.Encoding, meUU);
    EXPECT_EQ(k.Body, (std::vector<std::string>{"hello"}));
    EXPECT_EQ(Names(k), (std::vector<std::string>{"c.bin"}));
    EXPECT_EQ(k.Headers.Lines, (std::vector<std::string>{"From: a@x.org", "X-Other: 1"}));
}

// ---- Round trips: what the writer writes, the reader reads back the same.

std::string RandomBytes(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(rng());
    return s;
}

// Paragraphs of real Vietnamese prose as single lines (UTF-8, some longer than 256 bytes).
std::vector<std::string> ProseLines(std::size_t count) {
    std::vector<std::string> lines;
    for (std::string p : tavitest::VietnameseProse()) {
        if (lines.size() == count) break;
        std::replace(p.begin(), p.end(), '\n', ' ');
        lines.push_back(p);
    }
    return lines;
}

void ExpectSame(const TmsMessage& a, const TmsMessage& b) {
    EXPECT_EQ(b.Sender, a.Sender);
    EXPECT_EQ(b.Subject, a.Subject);
    EXPECT_EQ(b.Recipients.Count(), a.Recipients.Count());
    for (std::size_t i = 0; i < a.Recipients.Count() && i < b.Recipients.Count(); ++i)
        EXPECT_EQ(b.Recipients.Items(i), a.Recipients.Items(i));
    EXPECT_EQ(b.CC.Count(), a.CC.Count());
    EXPECT_EQ(b.Priority, a.Priority);
    EXPECT_EQ(b.ReturnReceipt, a.ReturnReceipt);
    EXPECT_EQ(b.Encoding, a.Encoding);
    EXPECT_EQ(b.CharSet, a.CharSet);
    EXPECT_EQ(b.ContentType(), a.ContentType());
    EXPECT_EQ(b.Body, a.Body);
    ASSERT_EQ(b.Attachments.Count(), a.Attachments.Count());
    for (std::size_t i = 0; i < a.Attachments.Count(); ++i) {
        const TmsAttItem &x = a.Attachments.Items(i), &y = b.Attachments.Items(i);
        EXPECT_EQ(y.FileName(), x.FileName());
        EXPECT_EQ(y.ContentType, x.ContentType);
        EXPECT_EQ(y.Encoding, x.Encoding);
        EXPECT_TRUE(y.Data.Data == x.Data.Data)
            << x.FileName() << ": " << y.Data.Size() << " bytes back of " << x.Data.Size();
    }
}

TmsMessage Letter() {
    TmsMessage m;
    m.Sender = {"Nguy\xEA\xF1n V. A", "a@x.vn"};
    m.Recipients.Add("b@x.vn", "B\xF9i, B");
    m.Recipients.Add("c@x.vn");
    m.CC.Add("d@x.org", "D");
    m.Subject = "Th\xF6 m\xF6\xF9i";
    m.Priority = ptLow;
    m.ReturnReceipt = true;
    const std::vector<std::string> prose = ProseLines(3);
    m.Body = {"Ch\xE0o b\xE1n,", "", ".", ".leading dot", "--not a boundary", "From here"};
    m.Body.insert(m.Body.end(), prose.begin(), prose.end());
    m.Body.push_back("");
    return m;
}

TEST(RoundTrip, PlainLetters) {
    for (TCharSet cs : {csUSASCII, csISO8859}) {
        TmsMessage m = Letter();
        m.CharSet = cs;
        // A long line forces quoted-printable, which reads back as csISO8859.
        bool longLine = false;
        for (const auto& l : m.Body) longLine |= l.size() >= 256;
        if (longLine) m.CharSet = csISO8859;
        SCOPED_TRACE(cs);
        ExpectSame(m, Read(m.SaveToString()));
        ExpectSame(m, Read(m.SaveToString(false), false));
    }
}

TEST(RoundTrip, LargeAttachments) {
    TmsMessage m = Letter();
    m.CharSet = csISO8859;
    const std::string big = RandomBytes(5 * 1024 * 1024 + 1, 11);
    m.Attachments.Add("photo.jpg").Data.Data = big;
    std::string text;
    for (int i = 0; i < 20; ++i)
        for (const auto& p : ProseLines(40)) text += p + "\r\n";
    text += ".\r\n..\r\nno final line end";
    m.Attachments.Add("b\xE0i \"v\xE3n\".txt").Data.Data = text;
    m.Attachments.Add("inner.eml").Data.Data = "Subject: x\r\n\r\n.\r\n--\r\nbody\r\n";
    TmsAttItem& seven = m.Attachments.Add("raw.dat");
    seven.Encoding = ae7Bit;
    seven.Data.Data = "line\r\n.\r\nend\r\n";
    const std::string wire = m.SaveToString();
    ExpectSame(m, Read(wire));
    // Base64 with its line ends, and quoted-printable text at most three bytes a byte.
    EXPECT_LT(wire.size(), big.size() / 57 * 78 + 3 * text.size() + 10000);
}

TEST(RoundTrip, AlternativeHtmlAndUuencode) {
    TmsMessage alt = Letter();
    alt.CharSet = csISO8859;
    TmsAttItem& html = alt.Attachments.Add("_alt.0");
    html.ContentType = "text/html";
    html.Encoding = aeQuotedPrintable;
    html.Data.Data = "<p>x</p>\r\n";
    ExpectSame(alt, Read(alt.SaveToString()));

    TmsMessage uu = Letter();
    uu.Encoding = meUU;
    uu.Attachments.Add("a.bin").Data.Data = RandomBytes(2 * 1024 * 1024 + 5, 12);
    uu.Attachments.Add("b.bin").Data.Data = "";
    ExpectSame(uu, Read(uu.SaveToString()));

    TmsMessage single;
    single.Sender = {"", "s@x.org"};
    single.Attachments.Add("notes.txt").Data.Data = "only an attachment\r\n";
    ExpectSame(single, Read(single.SaveToString()));

    TmsArticle article;
    article.Sender = {"Ann", "ann@x.org"};
    article.NewsGroups = {"comp.lang.c", "alt.test"};
    article.Body = {"hi"};
    TmsArticle back;
    back.LoadFromString(article.SaveToString());
    EXPECT_EQ(back.NewsGroups, article.NewsGroups);
    EXPECT_EQ(back.Body, article.Body);
}

TEST(RoundTrip, FromTheMemoryStreamOfAPop3Transfer) {
    TmsMessage m = Letter();
    m.CharSet = csISO8859; // its long lines go quoted-printable
    TMemoryStream received;
    received.Data = m.SaveToString() + ".\r\n"; // as RETR delivers it
    received.Position = received.Data.size();
    TmsMessageList list;
    list.Add().LoadFromStream(received);
    ExpectSame(m, list.Items(0));
}

// ---- Real messages that the project did not write (Python's email test data).

const std::filesystem::path PythonMessages = "/usr/lib/python3.11/test/test_email/data";

std::string PythonMessage(const std::string& name) {
    return tavitest::ReadFile(PythonMessages / name);
}

TEST(RealMessages, NoneCrashesAndNoneLosesItsText) {
    ASSERT_TRUE(std::filesystem::is_directory(PythonMessages)) << "install libpython3.11-testsuite";
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(PythonMessages)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("msg_", 0) != 0) continue;
        ++count;
        const std::string text = tavitest::ReadFile(entry.path());
        for (bool stuffed : {false, true}) {
            TmsMessage m;
            m.LoadFromString(text, stuffed);
            if (!stuffed && !m.Body.empty() && m.Body[0].rfind("The following error", 0) == 0) {
                EXPECT_EQ(m.Attachments.Items(0).Data.Data, text) << name;
            }
            // What was read can be written and read again.
            TmsMessage again;
            again.LoadFromString(m.SaveToString());
            EXPECT_EQ(again.Subject, m.Subject) << name;
            EXPECT_EQ(again.Attachments.Count(), m.Attachments.Count()) << name;
        }
    }
    EXPECT_GE(count, 40);
}

TEST(RealMessages, FieldsOfInspectedMessages) {
    {
        const TmsMessage m = Read(PythonMessage("msg_01.txt"), false);
        EXPECT_EQ(m.Sender, (TmsMailAddress{"John X. Doe", "bbb@ddd.com"}));
        EXPECT_EQ(m.Subject, "This is a test message");
        EXPECT_EQ(ParseMailDate(m.Headers.GetValue("Date")),
                  (TMailDateTime{2001, 5, 4, 14, 5, 44}));
        EXPECT_EQ(m.Body, (std::vector<std::string>{"", "Hi,", "", "Do you like this message?", "",
                                                    "-Me"}));
    }
    {
        const TmsMessage m = Read(PythonMessage("msg_07.txt"), false);
        EXPECT_EQ(m.Sender, (TmsMailAddress{"Barry", "barry@digicool.com"}));
        EXPECT_EQ(m.Recipients.Items(0),
                  (TmsMailAddress{"Dingus Lovers", "cravindogs@cravindogs.com"}));
        EXPECT_EQ(m.Body, (std::vector<std::string>{"Hi there,", "", "This is the dingus fish."}));
        ASSERT_EQ(Names(m), (std::vector<std::string>{"dingusfish.gif"}));
        EXPECT_EQ(m.Attachments.Items(0).ContentType, "image/gif");
        EXPECT_EQ(m.Attachments.Items(0).Data.Data.substr(0, 6), "GIF87a");
    }
    {
        const TmsMessage m = Read(PythonMessage("msg_16.txt"), false);
        EXPECT_EQ(m.Sender.Name, "Internet Mail Delivery");
        EXPECT_EQ(m.Subject, "Delivery Notification: Delivery has failed");
        ASSERT_FALSE(m.Body.empty());
        EXPECT_EQ(m.Body[0],
                  "This report relates to a message you sent with the following header fields:");
        EXPECT_EQ(m.Attachments.Count(), 2u);
    }
    {
        // Outlook Express with a part whose base64 is not base64: kept whole.
        const std::string text = PythonMessage("msg_15.txt");
        const TmsMessage m = Read(text, false);
        ExpectErrorBody(m, "Error decoding the attachment", text);
    }
}

} // namespace
