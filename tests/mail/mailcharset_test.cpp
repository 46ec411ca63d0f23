// Letters in the charsets Vietnamese mail comes in, read as the documents' code and as UTF-8.
#include "codes/vncodeconverter.h"
#include "mail/mailcharset.h"

#include <gtest/gtest.h>

namespace {

const std::string VietNam = "Vi\xE1\xBB\x87t Nam"; // UTF-8
const std::string VietNamVni = "Vie\xE4t Nam";

// The words in a table's bytes, as a mail program of that code writes them.
std::string In(const std::string& table) {
    return tavi::ConvertBetween("Unicode", table, VietNam);
}

std::string Qp(const std::string& bytes) {
    std::string out;
    for (const unsigned char c : bytes) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "=%02X", c);
        out += c >= 0x80 || c == '=' || c == '?' || c == '_' ? hex : std::string(1, char(c));
    }
    return out;
}

TEST(MailCharset, HeadersAndBodiesOfEveryCharset) {
    const struct {
        const char* charset;
        std::string bytes;
    } words[] = {
        {"UTF-8", VietNam},
        {"utf8", VietNam},
        {"windows-1258", In("Windows-1258")},
        {"VISCII", In("VISCII")},
        // Some mail programs write the marks as combining characters.
        {"utf-8", "Vi\xC3\xAA\xCC\xA3t Nam"},
    };
    for (const auto& w : words) {
        SCOPED_TRACE(w.charset);
        const std::string header = "=?" + std::string(w.charset) + "?Q?" + Qp(w.bytes) + "?=";
        EXPECT_EQ(tavi::HeaderTextIn(header, "Unicode"), VietNam);
        EXPECT_EQ(tavi::HeaderTextIn("Re: " + header, "Vni for Win"), "Re: " + VietNamVni);

        tavi::TmsMessage letter;
        letter.LoadFromString(
            "Subject: x\r\nMIME-Version: 1.0\r\nContent-Type: text/plain; charset=\"" +
                std::string(w.charset) +
                "\"\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n" + Qp(w.bytes) + "\r\n",
            false);
        EXPECT_EQ(tavi::MessageTextIn(letter, "Vni for Win"), VietNamVni + "\r\n");
        EXPECT_EQ(tavi::MessageTextIn(letter, "Unicode"), VietNam + "\r\n");
    }

    // Latin-1, named or not, and 8-bit headers sent without encoding.
    const struct {
        std::string raw;
        const char* utf8;
    } latin[] = {
        {"=?ISO-8859-1?Q?Caf=E9?=", "Caf\xC3\xA9"},
        {"=?us-ascii?Q?Hi_there?=", "Hi there"},
        {"Caf\xE9", "Caf\xC3\xA9"},
        {"Caf\xC3\xA9", "Caf\xC3\xA9"},
        {"=?x-unknown?B?Q2Fmw6k=?=", "Caf\xC3\xA9"},
        {"=?utf-8?B?broken", "=?utf-8?B?broken"},
    };
    for (const auto& l : latin) EXPECT_EQ(tavi::HeaderTextIn(l.raw, "Unicode"), l.utf8) << l.raw;

    tavi::TmsMessage unlabelled;
    unlabelled.LoadFromString("Subject: x\r\n\r\nCaf\xE9\r\n", false);
    EXPECT_EQ(tavi::MessageTextIn(unlabelled, "Unicode"), "Caf\xC3\xA9\r\n");
}

// What is sent is said to be UTF-8, and reads back as what was written.
TEST(MailCharset, UnicodeBodyRoundTrip) {
    tavi::TmsMessage m;
    m.Sender.Address = "a@x.vn";
    m.Recipients.Add("b@y.org");
    m.SetUnicodeBody(VietNam + "\r\n= a line that starts with equals");
    const std::string sent = m.SaveToString(false);
    EXPECT_NE(sent.find("Content-Type: text/plain; charset=\"utf-8\""), std::string::npos);
    EXPECT_NE(sent.find("Content-Transfer-Encoding: quoted-printable"), std::string::npos);
    tavi::TmsMessage back;
    back.LoadFromString(sent, false);
    EXPECT_EQ(tavi::MessageTextIn(back, "Unicode"),
              VietNam + "\r\n= a line that starts with equals\r\n");
}

} // namespace
