#include "mail/mailmessage.h"

#include "mail/mailerrors.h"
#include "mail/mimecoding.h"
#include "mail/mimetypes.h"
#include "platform/errors.h"

#include <algorithm>
#include <initializer_list>

namespace tavi {

namespace {

// Whether name is one of the header names (compared without case, colon optional).
bool IsOneOf(std::string_view name, std::initializer_list<std::string_view> names) {
    std::string_view bare = TrimBlanks(name);
    if (!bare.empty() && bare.back() == ':') bare.remove_suffix(1);
    return std::any_of(names.begin(), names.end(),
                       [&](std::string_view n) { return EqualsNoCase(bare, n); });
}

void ReadAddressList(const TmsHeaders& headers, std::string_view name, TmsAddressList& list) {
    list.Clear();
    for (const std::string& item : headers.GetList(name)) list.Add(ParseAddress(item));
}

// "To:" and the addresses, one per line, the first beside the name and the others indented:
// in columns, or, in a letter of UTF-8, as mail programs write them today (MailboxText).
void AddAddressList(std::vector<std::string>& lines, std::string_view name,
                    const TmsAddressList& list, bool utf8) {
    for (std::size_t i = 0; i < list.Count(); ++i) {
        std::string line = i == 0 ? std::string(name) + ":" : std::string();
        const TmsMailAddress& a = list.Items(i);
        if (utf8) {
            line += ' ' + MailboxText(a);
        } else {
            line.resize(10, ' ');
            line += QuoteName(a.Name) + " <" + a.Address + ">";
        }
        if (i + 1 < list.Count()) line += ',';
        lines.push_back(std::move(line));
    }
}

} // namespace

const char* AttEncodingName(TAttEncoding encoding) {
    switch (encoding) {
    case ae7Bit: return "7 bit";
    case aeQuotedPrintable: return "Quoted-Printable";
    case aeBase64: break;
    }
    return "Base64";
}

TmsMailAddress& TmsAddressList::Add(const TmsMailAddress& address) {
    return FItems.emplace_back(address);
}

TmsMailAddress& TmsAddressList::Add(std::string address, std::string name) {
    return FItems.emplace_back(TmsMailAddress{std::move(name), std::move(address)});
}

void TmsAttItem::SetFileName(std::string name) {
    FFileName = std::move(name);
    ContentType = ContentTypeOf(FFileName);
    const std::string upper = AsciiUpper(ContentType);
    if (upper == "TEXT/PLAIN" || upper == "TEXT/RTF" || upper == "TEXT/HTML")
        Encoding = aeQuotedPrintable;
    else if (upper == "MESSAGE/RFC822")
        Encoding = ae7Bit;
    else
        Encoding = aeBase64;
}

bool TmsAttItem::IsAlternativeForm() const {
    return StartsWithNoCase(FFileName, "_alt.");
}

bool TmsAttItem::IsBodyFile() const {
    return EqualsNoCase(FFileName, "_rtfbody.rtf") || EqualsNoCase(FFileName, "_htmbody.htm");
}

void TmsAttItem::LoadFromFile(const std::filesystem::path& file) {
    Data.LoadFromFile(file);
    SetFileName(file.filename().string());
}

TmsAttItem& TmsAttList::Add(std::string fileName) {
    TmsAttItem& item = Add();
    item.SetFileName(std::move(fileName));
    return item;
}

std::string TmsCustomMessage::ContentType() const {
    if (Encoding == meUU) return {};
    const std::size_t n = Attachments.Count();
    if (n > 0 && std::all_of(Attachments.begin(), Attachments.end(),
                             [](const TmsAttItem& a) { return a.IsAlternativeForm(); }))
        return "multipart/alternative";
    if (Body.empty()) {
        if (n == 1) {
            const TmsAttItem& a = Attachments.Items(0);
            if (EqualsNoCase(a.FileName(), "_rtfbody.rtf")) return "text/rtf";
            if (EqualsNoCase(a.FileName(), "_htmbody.htm")) return "text/html";
            return a.ContentType.empty() ? DefaultContentType : a.ContentType;
        }
        return n == 0 ? "text/plain" : "multipart/mixed";
    }
    if (n > 0) return "multipart/mixed";
    return FContentType.empty() ? "text/plain" : FContentType;
}

std::string TmsCustomMessage::BodyText() const {
    std::string text;
    for (const std::string& line : Body) {
        text += line;
        text += "\r\n";
    }
    return text;
}

void TmsCustomMessage::SetBodyText(std::string_view text) {
    Body.clear();
    SplitLines(text, [&](std::string_view line) { Body.emplace_back(line); });
}

void TmsCustomMessage::SetUnicodeBody(std::string_view utf8) {
    SetBodyText(utf8);
    CharSet = csUTF8;
    FContentType = "text/plain";
}

void TmsCustomMessage::Clear() {
    Headers.Clear();
    Body.clear();
    Attachments.Clear();
    Encoding = meMIME;
    CharSet = csUSASCII;
    Sender = {};
    Subject.clear();
    BodyCharset.clear();
    FContentType = "text/plain";
}

void TmsCustomMessage::AddAddressHeaders(std::vector<std::string>&) const {}

bool TmsCustomMessage::IsWrittenHeader(std::string_view name) const {
    return IsOneOf(name, {"From", "Subject", "Mime-Version", "Content-Type", "X-Encoding",
                          "Content-Transfer-Encoding"});
}

void TmsCustomMessage::TakeHeaderFields() {
    Sender = ParseAddress(Headers.GetValue("From"));
    Subject = Headers.GetValue("Subject");
}

void TmsMessage::Clear() {
    TmsCustomMessage::Clear();
    Recipients.Clear();
    CC.Clear();
    BCC.Clear();
    ReturnReceipt = false;
    Priority = ptNormal;
}

void TmsMessage::Check() const {
    if (TrimBlanks(Sender.Address).empty()) throw EMailError(mailtext::SenderRequired);
    if (Recipients.Count() + CC.Count() + BCC.Count() == 0)
        throw EMailError(mailtext::RecipientRequired);
}

void TmsMessage::AddAddressHeaders(std::vector<std::string>& lines) const {
    const bool utf8 = CharSet == csUTF8;
    AddAddressList(lines, "To", Recipients, utf8);
    AddAddressList(lines, "CC", CC, utf8);
    if (WriteBCC) AddAddressList(lines, "BCC", BCC, utf8);
    if (ReturnReceipt) lines.push_back("Return-Receipt-To: <" + Sender.Address + ">");
    if (Priority == ptLow) lines.emplace_back("X-Priority: 5");
    if (Priority == ptHigh) lines.emplace_back("X-Priority: 1");
}

bool TmsMessage::IsWrittenHeader(std::string_view name) const {
    return TmsCustomMessage::IsWrittenHeader(name) ||
           IsOneOf(name, {"To", "CC", "BCC", "Return-Receipt-To", "X-Priority"});
}

void TmsMessage::TakeHeaderFields() {
    TmsCustomMessage::TakeHeaderFields();
    ReadAddressList(Headers, "To", Recipients);
    ReadAddressList(Headers, "CC", CC);
    ReadAddressList(Headers, "BCC", BCC);
    const std::string priority = GetMainValue(Headers.GetValue("X-Priority"));
    Priority = priority == "1" ? ptHigh : priority == "5" ? ptLow : ptNormal;
    ReturnReceipt = Headers.Exists("Return-Receipt-To");
}

void TmsArticle::Clear() {
    TmsCustomMessage::Clear();
    NewsGroups.clear();
}

void TmsArticle::AddAddressHeaders(std::vector<std::string>& lines) const {
    if (NewsGroups.empty()) return;
    std::string line = "Newsgroups: ";
    for (std::size_t i = 0; i < NewsGroups.size(); ++i) line += (i ? "," : "") + NewsGroups[i];
    lines.push_back(std::move(line));
}

bool TmsArticle::IsWrittenHeader(std::string_view name) const {
    return TmsCustomMessage::IsWrittenHeader(name) || IsOneOf(name, {"Newsgroups"});
}

void TmsArticle::TakeHeaderFields() {
    TmsCustomMessage::TakeHeaderFields();
    NewsGroups = Headers.GetList("Newsgroups");
}

TmsListMessage::TmsListMessage(TmsMessageList* owner) : FOwner(owner) {
    if (!owner) throw EMailError(mailtext::BadListOwner);
}

TmsListMessage& TmsMessageList::Add() {
    return *FItems.emplace_back(TItem{nullptr, std::make_unique<TmsListMessage>(this)}).Message;
}

void TmsMessageList::AddFile(std::unique_ptr<TTempFileStream> file) {
    file->close(); // a long list must not hold a file open for each letter
    FItems.push_back(TItem{std::move(file), nullptr});
}

TmsListMessage& TmsMessageList::Load(std::size_t i) const {
    TItem& item = FItems.at(i);
    if (item.Message) return *item.Message;
    if (FReadAny && FItems.at(FRead).File) FItems[FRead].Message.reset();
    item.Message = std::make_unique<TmsListMessage>(const_cast<TmsMessageList*>(this));
    FRead = i;
    FReadAny = true;
    try {
        item.Message->LoadFromString(ReadWholeFile(item.File->FileName()), true);
    } catch (const EFOpenError& e) {
        item.Message->Body = {e.what()}; // the file went away: the letter says so
    }
    return *item.Message;
}

void TmsMessageList::Delete(std::size_t i) {
    if (i >= FItems.size()) throw std::out_of_range("TmsMessageList::Delete");
    FItems.erase(FItems.begin() + static_cast<std::ptrdiff_t>(i));
    if (FReadAny && FRead == i) FReadAny = false;
    if (FReadAny && FRead > i) --FRead;
}

void TmsMessageList::Clear() {
    FItems.clear();
    FReadAny = false;
}

} // namespace tavi
