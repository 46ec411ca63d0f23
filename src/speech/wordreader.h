// The word reader: turns text into chunks of recorded sound units taken from the sound
// dictionary and plays them one after the other on a wave-output device. Chunk building is
// device-free, so that it can be tested and fuzzed on its own; playback drives the abstract
// device of speech/waveout.h, whose completions arrive from the user-interface event loop.
#pragma once

#include "codes/memorystream.h"
#include "codes/vncodeconverter.h"
#include "codes/wordplaces.h"
#include "speech/englishvoice.h"
#include "speech/englishwords.h"
#include "speech/readplace.h"
#include "speech/sounddata.h"
#include "speech/timescale.h"
#include "speech/waveout.h"

#include <cstdint>
#include <deque>
#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavi {

// The table into which the reader converts every text before reading it.
inline constexpr const char* ReadingCodeName = "LikeVNIDos";

// Silences after a token, in bytes of 8-bit samples at 11025 Hz (about 91, 272 and 454 ms); a
// dictionary of another format gets silences as long in its own samples (SilenceBytes).
constexpr std::size_t ShortSilence = 1000;
constexpr std::size_t CommaSilence = 3000;
constexpr std::size_t StopSilence = 5000;
// A chunk ends after the token with which its unit count reaches this.
constexpr int ChunkUnits = 100;

// The byte classes of the reading code.
namespace readingcode {
bool IsWord(unsigned char c);
bool IsAttachedMark(unsigned char c);
bool IsDroppedMark(unsigned char c);
bool IsFinalMark(unsigned char c);
bool IsShortPause(unsigned char c);
bool IsLongPause(unsigned char c);
bool IsSign(unsigned char c);
bool IsSignNeighbour(unsigned char c);
} // namespace readingcode

// Folds ASCII capitals and the seven one-byte capital letters of the reading code to lowercase.
unsigned char LowerLetter(unsigned char c);

// The blank-separated words of a text (runs of bytes other than 0x20).
std::vector<std::string_view> TextWords(std::string_view text);

// Lines of a text file split as a string list does: at CR LF, LF or a lone CR.
std::vector<std::string> SplitLines(std::string_view text);

// A part of a text and the voice that reads it: an English word that the English voice reads
// in its place, or the text around such words.
struct TVoicePiece {
    bool English = false;
    std::string Text;
    bool operator==(const TVoicePiece&) const = default;
};

class TTextReader {
public:
    // Opens the dictionary and, when abbrFile is not empty, loads the abbreviation list.
    // EFOpenError names a file that cannot be opened; EDataError a damaged dictionary. The
    // reader plays on a device of the installed audio system (SetWaveOut replaces it).
    TTextReader(const std::filesystem::path& soundFile, const std::filesystem::path& indexFile,
                const std::filesystem::path& abbrFile);
    // Stops and closes the device.
    virtual ~TTextReader();
    TTextReader(const TTextReader&) = delete;
    TTextReader& operator=(const TTextReader&) = delete;

    std::string CodeTable;
    bool SpeakSymbols = false;
    std::uint8_t State = 2; // 0 playing, 1 paused, 2 idle: driven by playback
    TMemoryStream Buffer;   // the chunk being built and played
    std::unique_ptr<TSoundData> Sounds;
    std::optional<std::vector<std::string>> Abbreviations; // absent without an abbreviation file
    TVnCodeConverter Converter;                            // callers' text into the reading code
    std::string ErrorText; // last device error, empty when there was none
    bool DeviceOpen = false;
    std::unique_ptr<TWaveOut> WaveOut; // never null
    // Told of every unit and silence that BuildChunk appends, in order (for tools and tests
    // that list what a text is read as), a silence by its bytes in the dictionary's format;
    // either may be empty.
    std::function<void(const TIndexRecord&)> OnUnit;
    std::function<void(std::size_t)> OnSilence;

    // English words in the text (ReadInEnglish) are read by the English voice in their place
    // while this is set and both the list and the voice are there; otherwise they are spelt.
    bool EnglishWords = true;
    std::shared_ptr<const TEnglishWords> EnglishList;
    std::shared_ptr<TEnglishVoice> EnglishVoice;
    // Told of every word that goes to the English voice, in order.
    std::function<void(const std::string&)> OnEnglish;

    // The speed of playback as a multiple of the voice's own rate, kept within MinRate..MaxRate.
    // The sound is time-scaled after the units are chosen, silences with it, without changing
    // its pitch. A new rate holds from the next text on.
    void SetRate(double multiple);
    double Rate() const { return FRate; }

    // Changes the table of callers' text; an equal name changes nothing.
    void SetCodeTable(const std::string& name);
    // The next token of the source (the converted text, ending in the byte 00).
    virtual std::string ReadToken(TMemoryStream& source) = 0;
    // Appends the sound of the next tokens to dest, about ChunkUnits units. Returns the number
    // of units appended. EReadError from the store leaves what was appended so far in dest.
    int BuildChunk(TMemoryStream& source, TMemoryStream& dest);
    // Appends the sound of one token (as ReadToken returns it, not the final 00) to dest, or
    // without dest builds no sound and only tells OnUnit and OnSilence. Returns the number of
    // units.
    int SayToken(std::string token, TMemoryStream* dest);
    // The expansion of an abbreviation followed by one blank, or empty.
    std::string FindAbbreviation(std::string_view token) const;

    static int ClassifyToken(std::string_view token);
    static std::string MakeSoundKey(std::string_view word);
    static std::optional<std::string> SplitSigns(std::string_view token);
    static std::string SpellOut(std::string_view word);
    static std::string ReadNumber(std::string_view s);
    static std::string ReadDate(std::string_view s);

    // Converts a whole text in CodeTable into the reading code, ending in the byte 00: the
    // source that BuildChunk reads (the converter's output stream, rewound).
    TMemoryStream& ConvertText(std::string_view text);
    // The sound of a whole text without a device: every chunk of it, one after the other, at
    // the reader's rate.
    std::string WholeSound(std::string_view text);
    // The text (up to its first 00 byte) as the pieces that each voice reads, in order; one
    // Vietnamese piece when no word goes to the English voice. Playback is not disturbed.
    std::vector<TVoicePiece> VoicePieces(std::string_view text);
    // Whether the word (a token without its final mark) is read by the English voice.
    bool GoesToEnglish(const std::string& word) const;

    // Playback. Speak converts the text (up to its first 00 byte) and plays its first chunk;
    // every finished chunk starts the next one until the text is used up. Each returns true
    // on success; a device failure leaves its text in ErrorText and the reader idle. At
    // another rate than the voice's own, or with English words read, the chunks are pieces of
    // sound: a short first one, so that the first sound comes at once, then longer ones, each
    // made while the one before plays.
    bool Speak(std::string_view text);
    // Texts read one after another, as a document is read on: next gives them one by one
    // (nullopt after the last), each asked for while the one before it plays, so that no gap
    // comes between them beyond the pause at its end. Always played in pieces; on a device
    // that queues, the next piece waits on the device behind the one playing. Returns as Speak.
    using TNextText = std::function<std::optional<std::string>()>;
    bool ReadOn(TNextText next);
    // Told when a text of ReadOn (numbered from 0) begins to be heard.
    std::function<void(std::size_t text)> OnTextStart;
    // Where the voice is in what ReadOn reads: the text, and the offset in it of the word being
    // heard (in a pause after a word, of the word after it; the text's size after the last);
    // nullopt when nothing read on is playing or paused.
    std::optional<TReadPlace> Place() const;
    bool ReadNextChunk();
    virtual bool OpenDevice();
    virtual bool PlayBuffer(TMemoryStream& stream);
    virtual bool Pause();  // only while playing
    virtual bool Resume(); // only while paused
    virtual bool Stop();
    virtual bool CloseDevice(); // returns the new DeviceOpen
    bool StopReading();         // Stop, then CloseDevice; returns what CloseDevice returns
    bool PauseReading();
    bool ResumeReading();
    // Replaces the device, after stopping the reader and closing the old one.
    void SetWaveOut(std::unique_ptr<TWaveOut> device);

private:
    // A piece of sound of the text numbered Text, Offset bytes (as played) into its sound.
    struct TPiece {
        std::string Sound;
        std::size_t Text = 0;
        std::size_t Offset = 0;
        bool First = false; // the first piece of its text
        std::uint64_t Tag = 0;
    };
    // Where each word of a text read on begins in its sound (before time-scaling), and the
    // offset in the caller's text of the word that is heard from there on.
    struct TMark {
        std::size_t Sound;
        std::size_t Offset;
    };
    struct TTextMarks {
        std::size_t Text;
        std::vector<TMark> Marks;
    };

    void DeviceDone(std::uint64_t tag);
    void PieceDone(std::uint64_t tag);
    // The pieces of the texts being spoken.
    void StartPieces();
    void DropPieces();
    bool NextText();
    bool TextUsedUp() const;
    bool PlayNextPiece();
    bool QueuePiece(TPiece piece);
    void FillQueue();
    void Heard(const TPiece& piece);
    std::optional<TPiece> MakePiece(bool first);
    std::string ScalePiece(bool first);
    std::string TakeSound(TMemoryStream& sound, std::size_t most);
    void NoteWord(std::size_t sound, std::size_t reading);

    // The tag of the chunk on the device; 0 when none is. A completion that names another
    // chunk (one cut off by Stop) is ignored.
    std::uint64_t PlayingTag = 0;
    std::uint64_t LastTag = 0;

    double FRate = 1.0;
    bool Pieced = false; // the text being spoken is played in pieces
    std::unique_ptr<TTimeScaler> Scaler;
    TNextText Texts;                 // the texts after the one being made (ReadOn)
    std::size_t TextNo = 0;          // the number of the text being made
    std::size_t TextMade = 0;        // bytes of its sound in pieces so far, as played
    std::size_t TextTaken = 0;       // bytes of its sound in pieces so far, before scaling
    std::string Unscaled;            // sound of the text not yet in a piece
    std::optional<TPiece> Ahead;     // the next piece, made while the one before plays
    bool AheadReady = false;         // Ahead is made (empty: the texts are used up)
    std::exception_ptr AheadFailure; // why the next piece could not be made
    std::deque<TPiece> OnDevice;     // pieces written and not yet played, oldest first
    // Marks of the texts being read on and made (ReadOn only), and the words of the text being
    // made in the reading code and in the caller's text.
    std::deque<TTextMarks> Marks;
    std::unique_ptr<TWordStarts> ReadingWords, CallerWords;
    std::size_t MarkBase = 0;           // where the sound being made starts in its text's sound
    TMemoryStream* MarkSound = nullptr; // the sound being made, while words are marked

    // The units of a token without its final mark: a word, an abbreviation, a number or a date.
    int SayWords(const std::string& token, TMemoryStream* dest);
    bool SayEnglish(const std::string& word, TMemoryStream* dest);
    bool AppendKey(std::string_view key, TMemoryStream* dest);
    void AppendPause(TMemoryStream* dest, std::size_t count);
};

class TWordReader : public TTextReader {
public:
    using TTextReader::TTextReader;
    std::string ReadToken(TMemoryStream& source) override;
};

} // namespace tavi
