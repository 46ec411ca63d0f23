// Header access, parameters, encoded words, addresses and dates.
#include "mail/mailheaders.h"

#include <gtest/gtest.h>

using namespace tavi;

namespace {

TmsHeaders Make(std::initializer_list<std::string> lines) {
    TmsHeaders h;
    h.Lines = lines;
    return h;
}

TEST(Headers, ValueWithContinuationsAndAnyCase) {
    const TmsHeaders h = Make({"Received: from a", "\tby b", "SUBJECT:   Hello  ", "  world",
                               "X-Empty:", "Subject: second", "Content-Type: text/plain;",
                               " name=\"=?utf-8?Q?a_b?=\"", "Tight:x"});
    EXPECT_EQ(h.GetValue("subject"), "Hello world");
    EXPECT_EQ(h.GetValue("Subject:"), "Hello world");
    EXPECT_EQ(h.GetValue("Received"), "from a by b");
    EXPECT_EQ(h.GetValue("X-Empty"), "");
    EXPECT_EQ(h.GetValue("Missing"), "");
    EXPECT_EQ(h.GetValue("Tight"), "x");
    EXPECT_EQ(h.GetValue("Subj"), ""); // a prefix of a name is not the name
    // Content-Type keeps its encoded words for the parameter reader.
    EXPECT_EQ(h.GetValue("Content-Type"), "text/plain; name=\"=?utf-8?Q?a_b?=\"");
}

TEST(Headers, ListsAcrossLinesAndQuotes) {
    const TmsHeaders h = Make({"To: \"Doe, John\" <j@d.org>, a@b.c,", "   C <c@d.e>", "Cc: x@y.z",
                               "to: =?utf-8?B?w4Fu?= <an@x.vn>, (Lee, Ann) l@x"});
    EXPECT_EQ(h.GetList("To"),
              (std::vector<std::string>{"\"Doe, John\" <j@d.org>", "a@b.c", "C <c@d.e>",
                                        "\xC3\x81n <an@x.vn>", "(Lee, Ann) l@x"}));
    EXPECT_EQ(h.GetList("Cc"), (std::vector<std::string>{"x@y.z"}));
    EXPECT_TRUE(h.GetList("Bcc").empty());
}

TEST(Headers, RemoveTakesContinuationLines) {
    TmsHeaders h = Make(
        {"A: 1", "Content-Type: multipart/mixed;", "\tboundary=x", "B: 2", "content-type: second"});
    EXPECT_TRUE(h.Remove("Content-Type"));
    EXPECT_EQ(h.Lines, (std::vector<std::string>{"A: 1", "B: 2", "content-type: second"}));
    EXPECT_TRUE(h.Remove("content-type:"));
    EXPECT_FALSE(h.Remove("Content-Type"));
    EXPECT_EQ(h.Count(), 2u);
}

TEST(Headers, Parameters) {
    const struct {
        std::string value, name, expected;
    } cases[] = {
        {"multipart/mixed; boundary=\"a b;c\"", "boundary", "a b;c"},
        {"multipart/mixed; BOUNDARY=xyz; charset=x", "boundary", "xyz"},
        {"multipart/mixed;boundary=xyz;", "Boundary", "xyz"},
        {"attachment; filename=\"f.txt\"", "name", ""}, // "filename" is not "name"
        {"attachment; filename=\"f.txt\"", "filename", "f.txt"},
        {"text/plain; name = \"a \\\"q\\\" b\"", "name", "a \"q\" b"},
        {"text/plain; charset=\"name=x\"; name=y", "name", "y"},
        {"application/pdf; name=\"=?utf-8?B?w6kucGRm?=\"", "name", "\xC3\xA9.pdf"},
        {"attachment; filename*=UTF-8''%E2%82%AC%20rates.txt", "filename",
         "\xE2\x82\xAC rates.txt"},
        {"attachment; filename*0=\"long\"; filename*1*=%20name; filename*2=\".txt\"", "filename",
         "long name.txt"},
        {"text/plain", "charset", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(GetParameter(c.value, c.name), c.expected) << c.value;
    EXPECT_EQ(GetMainValue("  text/html; charset=x"), "text/html");
    EXPECT_EQ(GetMainValue("text/plain"), "text/plain");
    EXPECT_EQ(Unquote("  \"\"a \"b\"\"  "), "a \"b");
}

TEST(Headers, EncodedWords) {
    const std::pair<std::string, std::string> cases[] = {
        // Q: =XX and underscores inside the word.
        {"=?iso-8859-1?Q?Caf=E9_cr=E8me?=", "Caf\xE9 cr\xE8me"},
        {"=?ISO-8859-1?q?=3D?=", "="},
        {"=?utf-8?B?Vmnhu4d0IE5hbQ==?=", "Vi\xE1\xBB\x87t Nam"},
        {"Re: =?utf-8?Q?a?= =?utf-8?Q?b?=  tail", "Re: ab  tail"}, // blanks between words go
        {"=?utf-8?Q?a?= b", "a b"},                                // but not before plain text
        {"my_file =?utf-8?Q?x_y?=", "my_file x y"},                // plain underscores stay
        {"=?utf-8?X?abc?= =?broken", "=?utf-8?X?abc?= =?broken"},  // malformed words stay
        {"=?utf-8?B?***?=", "=?utf-8?B?***?="},
        {"=??Q?a?=", "=??Q?a?="},
        {"no words", "no words"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(DecodeEncodedWords(in), out) << in;
    EXPECT_EQ(EncodeHeaderWord("\x1B$B"), "=?iso-2022-jp?B?GyRC?=");
    EXPECT_EQ(EncodeHeaderWord("plain"), "plain");
}

TEST(Addresses, Parsing) {
    const struct {
        std::string text;
        TmsMailAddress expected;
    } cases[] = {
        {"John Doe <john@x.org>", {"John Doe", "john@x.org"}},
        {"john@x.org (John Doe)", {"John Doe", "john@x.org"}},
        {"john@x.org", {"", "john@x.org"}},
        {"\"Doe, John\" <\"john@x.org\">", {"Doe, John", "john@x.org"}},
        {"\"Doe\" (home) <d@x.org>", {"Doe (home)", "d@x.org"}},
        {"<john@x.org>", {"", "john@x.org"}},
        {"\"a \\\"b\\\" c\" <q@x>", {"a \"b\" c", "q@x"}},
        {"Broken <john@x.org", {"Broken", "john@x.org"}}, // no ">": keep what is there
        {"  ", {"", ""}},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseAddress(c.text), c.expected) << c.text;
}

TEST(Addresses, QuotingKeepsNamesWhole) {
    for (const std::string name : {"A. Person", "Doe, John", "x \"y\" z", "ends \"q\"",
                                   "back\\slash", "a<b> (c)", "plain name", "", "Nguy\xEA\xF1n"}) {
        const TmsMailAddress a = ParseAddress(QuoteName(name) + " <a@b.c>");
        EXPECT_EQ(a.Name, name);
        EXPECT_EQ(a.Address, "a@b.c");
    }
    EXPECT_EQ(QuoteName("A. Person"), "\"A. Person\"");
    EXPECT_EQ(QuoteName("\"Already\""), "\"Already\"");
}

TEST(Dates, Parsing) {
    const struct {
        std::string text;
        TMailDateTime date;
        std::string rest;
    } cases[] = {
        {"Mon, 3 Jan 00 10:20:30 +0700", {2000, 1, 3, 10, 20, 30}, "+0700"},
        {"3 Jan 99 10:20:30 GMT", {1999, 1, 3, 10, 20, 30}, "GMT"},
        {"Thu, 1 Feb 2001 23:59:59 -0500 (EST)", {2001, 2, 1, 23, 59, 59}, "-0500 (EST)"},
        {"Fri,  4 May 2001 14:05:44 -0400", {2001, 5, 4, 14, 5, 44}, "-0400"},
        {"\"12 Dec 50 01:02\"", {2050, 12, 12, 1, 2, 0}, ""},
        {"12 dec 51 01:02:03", {1951, 12, 12, 1, 2, 3}, ""},
        {"1 Mar 100 00:00:01", {100, 3, 1, 0, 0, 1}, ""},
        {"5 Jun 2003, 25:00:00 +0000", {2003, 6, 5, 0, 0, 0}, "+0000"}, // bad time: midnight
        {"29 Feb 2004", {2004, 2, 29, 0, 0, 0}, ""},
        {"30 Feb 2004 10:00:00", {}, ""}, // no such day
        {"Mon, 3", {}, ""},               // ends early
        {"3 Foo 2001 10:00:00", {}, ""},  // no month
        {"Tuesday", {}, ""},
        {"", {}, ""},
        {"3x Jan 2001 10:00", {}, ""},
    };
    for (const auto& c : cases) {
        std::string rest = "unchanged";
        EXPECT_EQ(ParseMailDate(c.text, &rest), c.date) << c.text;
        EXPECT_EQ(rest, c.rest) << c.text;
    }
}

TEST(Dates, FormatReadsBack) {
    const TMailDateTime d{2024, 2, 29, 7, 5, 9};
    EXPECT_EQ(FormatMailDate(d, 420), "Thu, 29 Feb 2024 07:05:09 +0700");
    EXPECT_EQ(FormatMailDate(d, -150), "Thu, 29 Feb 2024 07:05:09 -0230");
    std::string rest;
    EXPECT_EQ(ParseMailDate(FormatMailDate(d, 0), &rest), d);
    EXPECT_EQ(rest, "+0000");
    EXPECT_FALSE(ParseMailDate(MailDateNow()).IsZero());
}

} // namespace
