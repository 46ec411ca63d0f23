// English words inside the word reader's text: read by the English voice in their place, in
// order with the recorded units around them.
#include "speech/wordreader.h"

#include "speech/tokenstream.h"

namespace tavi {

namespace {

// Whether a byte of the caller's text may stand next to a word that the reader read alone:
// ASCII is the same in every code table, and the bytes above it are taken as not joining.
bool Separates(char c) {
    const auto b = static_cast<unsigned char>(c);
    return b >= 0x80 || !readingcode::IsWord(b);
}

// Where the word stands on its own in the text, from a position on (npos: nowhere).
std::size_t FindWord(std::string_view text, std::string_view word, std::size_t from) {
    for (std::size_t at = text.find(word, from); at != std::string_view::npos;
         at = text.find(word, at + 1)) {
        const std::size_t end = at + word.size();
        if ((at == 0 || Separates(text[at - 1])) && (end == text.size() || Separates(text[end])))
            return at;
    }
    return std::string_view::npos;
}

} // namespace

bool TTextReader::GoesToEnglish(const std::string& word) const {
    // A recorded unit or an abbreviation of the dictionary comes first, as it always has.
    return EnglishWords && EnglishList && EnglishVoice && ReadInEnglish(word, *EnglishList) &&
           !Sounds->Find(MakeSoundKey(word)) && FindAbbreviation(word).empty();
}

bool TTextReader::SayEnglish(const std::string& word, TMemoryStream* dest) {
    if (dest) {
        const std::string sound = EnglishVoice->Sound(word, Sounds->ReadFormat());
        if (sound.empty()) return false; // the engine failed: the word is spelt
        dest->Data += sound;
        dest->Position = dest->Data.size();
    }
    if (OnEnglish) OnEnglish(word);
    return true;
}

std::vector<TVoicePiece> TTextReader::VoicePieces(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    std::vector<TVoicePiece> pieces;
    std::size_t done = 0; // bytes of the text already in pieces
    const auto add = [&](bool english, std::string_view part) {
        if (!part.empty()) pieces.push_back({english, std::string(part)});
    };
    // The English words are ASCII in every code table, so they are found again in the text
    // itself, and the Vietnamese between them stays in the caller's own bytes.
    TTokenStream tokens(*this, [text, at = std::size_t{0}](char* to, std::size_t room) mutable {
        const std::size_t n = text.copy(to, room, at);
        at += n;
        return n;
    });
    std::string word;
    while (EnglishWords && EnglishList && EnglishVoice && tokens.Next(word)) {
        if (!word.empty() && readingcode::IsFinalMark(static_cast<unsigned char>(word.back())))
            word.pop_back();
        if (!GoesToEnglish(word)) continue;
        const std::size_t at = FindWord(text, word, done);
        if (at == std::string_view::npos) continue;
        add(false, text.substr(done, at - done));
        add(true, word);
        done = at + word.size();
    }
    if (pieces.empty()) return {{false, std::string(text)}};
    add(false, text.substr(done));
    return pieces;
}

} // namespace tavi
