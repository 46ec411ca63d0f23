#include "shell/speechlog.h"

#include "document/doctext.h"
#include "platform/bytechars.h"
#include "platform/errors.h"

#include <deque>
#include <fstream>

namespace tavi {

namespace {

std::string Escaped(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        default: out += c;
        }
    }
    return out;
}

// Bytes as the Windows-1252 characters they stand for, as the English engine reads them.
std::string AnsiToUtf8(const std::string& text) {
    std::string out;
    for (char b : text) AppendUtf8(out, ByteToChar(static_cast<unsigned char>(b)));
    return out;
}

} // namespace

TSpeechLogSink SpeechLogFile(const std::filesystem::path& file) {
    auto out = std::make_shared<std::ofstream>(file, std::ios::app | std::ios::binary);
    if (!*out) throw EFOpenError(file.string());
    return [out](const std::string& line) {
        *out << line << '\n';
        out->flush();
    };
}

TSpeechLogPort::TSpeechLogPort(std::unique_ptr<ISpeechPort> voices, TSpeechLogSink sink,
                               std::chrono::steady_clock::time_point start)
    : Voices(std::move(voices)), Sink(std::move(sink)), Start(start) {}

TSpeechLogPort::~TSpeechLogPort() = default;

// The voice gets the text first: the log must not delay what the user hears.
void TSpeechLogPort::ReaderSpeak(const std::string& text, const std::string& codeTable,
                                 bool speakSymbols) {
    const auto when = std::chrono::steady_clock::now();
    Voices->ReaderSpeak(text, codeTable, speakSymbols);
    WriteReaderText(when, text, codeTable, speakSymbols);
}

void TSpeechLogPort::WriteReaderText(std::chrono::steady_clock::time_point when,
                                     const std::string& text, const std::string& codeTable,
                                     bool speakSymbols) {
    for (const TVoicePiece& piece : Voices->ReaderPieces(text, codeTable, speakSymbols))
        Write(when, piece.English ? "en" : "vi",
              piece.English ? piece.Text : ToUtf8(piece.Text, codeTable));
}

void TSpeechLogPort::ReadOn(TReadOn request) {
    // The sentences given and not yet heard, the first of them numbered first.
    auto given = std::make_shared<std::deque<std::string>>();
    auto first = std::make_shared<std::size_t>(0);
    request.Next = [next = std::move(request.Next), given] {
        std::optional<std::string> text = next();
        if (text) given->push_back(*text);
        return text;
    };
    request.Started = [this, started = std::move(request.Started), given, first,
                       english = request.English, table = request.CodeTable,
                       symbols = request.SpeakSymbols](std::size_t n) {
        const auto when = std::chrono::steady_clock::now();
        for (; *first < n && !given->empty(); ++*first) given->pop_front();
        if (!given->empty() && english) Write(when, "en", AnsiToUtf8(given->front()));
        if (!given->empty() && !english) WriteReaderText(when, given->front(), table, symbols);
        if (started) started(n);
    };
    Voices->ReadOn(std::move(request));
}

void TSpeechLogPort::EngineSpeak(const std::string& text) {
    const auto when = std::chrono::steady_clock::now();
    Voices->EngineSpeak(text);
    Write(when, "en", AnsiToUtf8(text));
}

void TSpeechLogPort::PlaySoundFile(const std::filesystem::path& file) {
    const auto when = std::chrono::steady_clock::now();
    Write(when, "beep", file.filename().string());
    Voices->PlaySoundFile(file);
}

TWarningVoice TSpeechLogPort::SayWarning(const std::string& keys, const std::string& words) {
    const auto when = std::chrono::steady_clock::now();
    const TWarningVoice voice = Voices->SayWarning(keys, words);
    switch (voice) {
    case TWarningVoice::Reader: WriteReaderText(when, keys, VniWinTable, false); break;
    case TWarningVoice::Engine: Write(when, "en", words); break;
    case TWarningVoice::Beeps: Write(when, "beep", "warning"); break;
    }
    return voice;
}

void TSpeechLogPort::Write(std::chrono::steady_clock::time_point when, const char* voice,
                           const std::string& utf8) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(when - Start).count();
    Sink(std::to_string(ms) + '\t' + voice + '\t' + Escaped(utf8));
}

std::string TSpeechLogPort::ToUtf8(const std::string& text, const std::string& codeTable) {
    auto& writer = Writers[codeTable];
    try {
        if (!writer) writer = std::make_unique<TUnicodeWriter>(codeTable);
    } catch (const std::exception&) {
        return AnsiToUtf8(text); // without the table, the bytes' own characters
    }
    return (*writer)(text);
}

} // namespace tavi
