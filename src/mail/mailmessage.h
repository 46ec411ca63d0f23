// Mail messages and news articles: their fields, and their conversion to and from the
// Internet mail text format (headers, MIME parts, base64, quoted-printable, uuencode).
#pragma once

#include "codes/memorystream.h"
#include "mail/mailheaders.h"
#include "mail/tempfilestream.h"

#include <deque>
#include <filesystem>
#include <istream>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace tavi {

enum TMsgEncoding { meMIME = 0, meUU = 1 };
enum TCharSet { csUSASCII = 0, csISO8859 = 1, csISO2022jp = 2, csUTF8 = 3 };
enum TPriority { ptLow = 0, ptNormal = 1, ptHigh = 2 };
// How an attachment travels; the names are written after "Content-Transfer-Encoding: ".
enum TAttEncoding { ae7Bit = 0, aeBase64 = 1, aeQuotedPrintable = 2 };

const char* AttEncodingName(TAttEncoding encoding);

class TmsAddressList {
public:
    TmsMailAddress& Add(const TmsMailAddress& address);
    TmsMailAddress& Add(std::string address, std::string name = {});
    std::size_t Count() const { return FItems.size(); }
    TmsMailAddress& Items(std::size_t i) { return FItems.at(i); }
    const TmsMailAddress& Items(std::size_t i) const { return FItems.at(i); }
    void Delete(std::size_t i) { FItems.erase(FItems.begin() + static_cast<std::ptrdiff_t>(i)); }
    void Clear() { FItems.clear(); }
    auto begin() const { return FItems.begin(); }
    auto end() const { return FItems.end(); }

private:
    std::vector<TmsMailAddress> FItems;
};

// One attachment or message part.
class TmsAttItem {
public:
    std::string ContentType = "application/octet-stream";
    TAttEncoding Encoding = aeBase64;
    TMemoryStream Data;

    const std::string& FileName() const { return FFileName; }
    // Also sets the content type (from the system's MIME database by the extension) and the
    // encoding: quoted-printable for text/plain, text/rtf and text/html, 7 bit for
    // message/rfc822, base64 for everything else.
    void SetFileName(std::string name);
    const char* EncodingName() const { return AttEncodingName(Encoding); }
    // An alternative form of the body ("_alt." names), or the body itself as a file
    // ("_htmbody.htm", "_rtfbody.rtf"); such parts carry no file name of their own.
    bool IsAlternativeForm() const;
    bool IsBodyFile() const;
    // Takes the name and the contents of a file; throws EFOpenError.
    void LoadFromFile(const std::filesystem::path& file);

private:
    std::string FFileName;
};

class TmsAttList {
public:
    TmsAttItem& Add() { return FItems.emplace_back(); }
    TmsAttItem& Add(std::string fileName);
    std::size_t Count() const { return FItems.size(); }
    TmsAttItem& Items(std::size_t i) { return FItems.at(i); }
    const TmsAttItem& Items(std::size_t i) const { return FItems.at(i); }
    void Delete(std::size_t i) { FItems.erase(FItems.begin() + static_cast<std::ptrdiff_t>(i)); }
    void Clear() { FItems.clear(); }
    auto begin() const { return FItems.begin(); }
    auto end() const { return FItems.end(); }

private:
    std::deque<TmsAttItem> FItems; // references stay valid as items are added
};

// What mail and news messages share.
class TmsCustomMessage {
public:
    TmsCustomMessage() = default;
    TmsCustomMessage(const TmsCustomMessage&) = default;
    TmsCustomMessage& operator=(const TmsCustomMessage&) = default;
    virtual ~TmsCustomMessage() = default;

    TmsHeaders Headers;            // extra header lines; all header lines once read
    std::vector<std::string> Body; // lines without their line ends
    TmsAttList Attachments;
    TMsgEncoding Encoding = meMIME;
    TCharSet CharSet = csUSASCII;
    TmsMailAddress Sender;
    std::string Subject;
    // The charset the body's Content-Type named when the message was read; empty for none.
    std::string BodyCharset;

    // The effective content type: what is written and what a reader of the message sees.
    std::string ContentType() const;
    void SetContentType(std::string type) { FContentType = std::move(type); }

    // The body as text, every line followed by CR LF; and the body from text split at
    // CR LF, CR or LF.
    std::string BodyText() const;
    void SetBodyText(std::string_view text);
    // The body from UTF-8 text, sent as such (charset UTF-8, quoted-printable), so that any
    // mail program shows its letters.
    void SetUnicodeBody(std::string_view utf8);

    virtual void Clear();

    // Writes the message in transfer form (CR LF line ends). With dotStuffing, as SMTP needs
    // it, every line that starts with "." gets another in front, so no line is a lone ".".
    void SaveToStream(std::ostream& out, bool dotStuffing = true) const;
    std::string SaveToString(bool dotStuffing = true) const;
    // Reads a message. With dotStuffed the text is as a POP3 server sends it: a line "." ends
    // it and the extra "." of stuffed lines is dropped. A message that cannot be decoded keeps
    // its header fields, gets a three-line error body, and its whole text as the attachment
    // "original.eml".
    void LoadFromStream(const TMemoryStream& in, bool dotStuffed = true);
    void LoadFromString(std::string_view text, bool dotStuffed = true);
    // Reads only the header lines, up to the first empty line and from at most limit bytes;
    // the fields are taken from them as LoadFromStream does, and the body stays empty. Lists
    // a letter without holding all of it.
    void LoadHeaders(std::istream& in, bool dotStuffed = true, std::size_t limit = 1 << 20);

protected:
    // Header lines between From and the extra headers (To, CC... or Newsgroups).
    virtual void AddAddressHeaders(std::vector<std::string>& lines) const;
    // Whether the writer produces this header itself, so an extra header of that name is left
    // out.
    virtual bool IsWrittenHeader(std::string_view name) const;
    // Takes the fields from Headers after they were read.
    virtual void TakeHeaderFields();

private:
    friend class TMessageWriter;
    friend class TMessageReader;
    std::string FContentType = "text/plain";
};

// A mail message.
class TmsMessage : public TmsCustomMessage {
public:
    TmsAddressList Recipients;
    TmsAddressList CC;
    TmsAddressList BCC;
    bool ReturnReceipt = false;
    TPriority Priority = ptNormal;
    // Whether BCC is written as a header; off, so blind copies stay blind.
    bool WriteBCC = false;

    void Clear() override;
    // What sending needs: a sender address and at least one recipient, CC or BCC address.
    // Throws EMailError.
    void Check() const;

protected:
    void AddAddressHeaders(std::vector<std::string>& lines) const override;
    bool IsWrittenHeader(std::string_view name) const override;
    void TakeHeaderFields() override;
};

// A news article.
class TmsArticle : public TmsCustomMessage {
public:
    std::vector<std::string> NewsGroups;

    void Clear() override;

protected:
    void AddAddressHeaders(std::vector<std::string>& lines) const override;
    bool IsWrittenHeader(std::string_view name) const override;
    void TakeHeaderFields() override;
};

class TmsMessageList;

// A message retrieved into the POP3 client's list, which owns it.
class TmsListMessage : public TmsMessage {
public:
    // Throws EMailError when there is no owning list.
    explicit TmsListMessage(TmsMessageList* owner);
    TmsMessageList* Owner() const { return FOwner; }

private:
    TmsMessageList* FOwner;
};

// The retrieved messages, in the server's order.
class TmsMessageList {
public:
    TmsMessageList() = default;
    TmsMessageList(const TmsMessageList&) = delete;
    TmsMessageList& operator=(const TmsMessageList&) = delete;

    TmsListMessage& Add();
    // A message in transfer form that stays in its temporary file until it is read: Items reads
    // it then and keeps only the one it read last, so a list of many large letters holds one
    // of them in memory. A reference to such a message lasts until the next call of Items.
    void AddFile(std::unique_ptr<TTempFileStream> file);
    std::size_t Count() const { return FItems.size(); }
    TmsListMessage& Items(std::size_t i) { return Load(i); }
    const TmsListMessage& Items(std::size_t i) const { return Load(i); }
    void Delete(std::size_t i);
    void Clear();

private:
    struct TItem {
        std::unique_ptr<TTempFileStream> File; // none for a message added in memory
        std::unique_ptr<TmsListMessage> Message;
    };
    TmsListMessage& Load(std::size_t i) const;
    mutable std::vector<TItem> FItems;
    mutable std::size_t FRead = 0; // the message last read from its file, when FReadAny
    mutable bool FReadAny = false;
};

} // namespace tavi
