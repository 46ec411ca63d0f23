// Web pages reduced to text.
#include "document/htmltext.h"
#include "platform/errors.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

namespace {

TEST(HtmlToText, Steps) {
    const struct {
        std::string page, text;
    } cases[] = {
        {"", ""},
        {"plain", "plain\r\n"},
        // lines end in CR LF whatever they ended in
        {"a\nb\rc\r\nd", "a\r\nb\r\nc\r\nd\r\n"},
        // a greater-than sign before the first tag stays; the tags after it go
        {"1 > 0 <b>bold</b> end", "1 > 0 bold end\r\n"},
        {"a&lt;b", "ab\r\n"},
        {"&quot;x&quot;", "\"x\"\r\n"},
        {"&raquo;", "\xBB\r\n"},
        {"a&nbsp;b&mdash;c&ndash;d", "abcd\r\n"},
        {"&amp; &gt;", "&amp; &gt;\r\n"}, // other entities stay
        // three blank lines in a row become one line break
        {"a\r\n\r\n\r\n\r\nb", "a\r\nb\r\n"},
        // a leading line break goes
        {"<p>\r\nx", "x\r\n"},
        // an uppercase head block goes whole; a lowercase one only loses its tags
        {"<HEAD><title>T</title></HEAD>body", "body\r\n"},
        {"<head><title>T</title></head>body", "Tbody\r\n"},
        {"<style>p{}</style><script type=x>if(a<b)x()</script>text", "text\r\n"},
        {"<STYLE>p{}</STYLE>t", "p{}t\r\n"},
        // unbalanced marks keep what follows them
        {"text <b", "text <b\r\n"},
        {"<HEAD>no end", "no end\r\n"},
        {"a<script>x", "ax\r\n"},
        // a removal can join a new mark, which is found again from the start
        {"<HE<HEAD>x</HEAD>AD>y</HEAD>z", "z\r\n"},
        {"&nb&nbsp;sp;", ""},
        {"&&lt;lt;", ""},
        {"<<b>b>x", "b>x\r\n"},
        // the steps run once each, in order: a later step does not feed an earlier one
        {"&nd&mdash;ash;", ""},
        {"&md&ndash;ash;", "&mdash;\r\n"},
        {"&q&lt;uot;", "\"\r\n"}, // but an earlier step feeds a later one
    };
    for (const auto& c : cases)
        EXPECT_EQ(tavi::HtmlToText(c.page), c.text) << tavitest::Hex(c.page) << " " << c.page;
}

TEST(HtmlToText, Files) {
    tavitest::TempDir dir;
    tavitest::WriteFile(dir / "page.html", "<html><body><p>Xin ch\xE0o</p>\n</body></html>\n");
    EXPECT_EQ(tavi::HtmlFileToText(dir / "page.html"), "Xin ch\xE0o\r\n");
    EXPECT_THROW(tavi::HtmlFileToText(dir / "missing.html"), tavi::EFOpenError);
}

} // namespace
