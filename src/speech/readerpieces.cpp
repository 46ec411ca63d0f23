// The word reader's playback in pieces: at another rate than the voice's own, or with English
// words read by the English voice, the sound of a text is made piece by piece after the units
// are chosen. The first piece is short, so that it reaches the device at once; each later one
// is made right after the one before has been handed to the device, while it plays.
#include "speech/wordreader.h"

#include "speech/speechrate.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace tavi {

namespace {

// Seconds of sound (at the new rate) in the first piece of a text: as long as the sound
// server's own buffer (145 ms here), which pads a shorter sound with silence. But no more than
// FirstPieceMost seconds of sound are time-scaled before the first sound, so that it reaches
// the device within a millisecond at every rate: above twice the voice's own rate the first
// piece is shorter than that buffer, and padded.
constexpr double FirstPieceSeconds = 0.15;
constexpr double FirstPieceMost = 0.3;
// Seconds of sound that the scaler keeps back to go on from (two pitch periods of 65 Hz).
constexpr double KeptBack = 2.0 / 65;
// The most seconds of sound time-scaled into one later piece: the work done at a time.
constexpr double ScaledPieceSeconds = 4.0;

std::size_t SecondsOfSound(const TSoundFormat& format, double seconds) {
    const std::size_t frame = std::max<std::size_t>(format.BlockAlign, 1);
    const auto bytes = static_cast<std::size_t>(seconds * format.AvgBytesPerSec);
    return std::max(bytes - bytes % frame, frame);
}

} // namespace

void TTextReader::SetRate(double multiple) {
    FRate = ClampRate(multiple);
}

bool TTextReader::ReadOn(TNextText next) {
    StartPieces();
    Pieced = true;
    Texts = std::move(next);
    if (NextText()) return ReadNextChunk();
    if (State != 2) Stop(); // nothing to read: what was playing ends all the same
    return true;
}

void TTextReader::StartPieces() {
    DropPieces();
    const TSoundFormat& format = Sounds->ReadFormat();
    Pieced = FRate != 1.0 || (EnglishWords && EnglishList && EnglishVoice);
    // A format that no device plays is refused when the device opens; it is not scaled.
    if (FRate != 1.0 && IsPlayableFormat(format))
        Scaler = std::make_unique<TTimeScaler>(format, FRate);
}

void TTextReader::DropPieces() {
    Pieced = false;
    Scaler.reset();
    Texts = nullptr;
    TextNo = TextMade = TextTaken = 0;
    Unscaled.clear();
    Ahead.reset();
    AheadReady = false;
    AheadFailure = nullptr;
    OnDevice.clear();
    Marks.clear();
    ReadingWords.reset();
    CallerWords.reset();
}

// The next text of ReadOn in the converter; false after the last (or for Speak, whose one text
// is there from the start).
bool TTextReader::NextText() {
    if (!Texts) return false;
    std::optional<std::string> text = Texts();
    if (!text) {
        Texts = nullptr;
        return false;
    }
    if (ReadingWords) ++TextNo;
    const std::string& reading = ConvertText(*text).Data;
    ReadingWords =
        std::make_unique<TWordStarts>(std::string_view(reading).substr(0, reading.size() - 1));
    CallerWords =
        std::make_unique<TWordStarts>(std::string_view(*text).substr(0, text->find('\0')));
    TextMade = TextTaken = 0;
    Marks.push_back({TextNo, {}});
    // Each text is scaled from a fresh start, as it would be alone: a flushed scaler still
    // holds a little of the text before.
    if (Scaler) Scaler = std::make_unique<TTimeScaler>(Sounds->ReadFormat(), FRate);
    return true;
}

bool TTextReader::TextUsedUp() const {
    return Unscaled.empty() && Converter.OutStream.AtEnd();
}

bool TTextReader::PlayNextPiece() {
    if (AheadFailure) std::rethrow_exception(std::exchange(AheadFailure, nullptr));
    if (AheadReady && !Ahead) {
        CloseDevice();
        return false;
    }
    std::optional<TPiece> piece = AheadReady ? std::exchange(Ahead, std::nullopt) : MakePiece(true);
    AheadReady = false;
    if (!piece) return true; // a text without sound: nothing is played
    Buffer.Clear();
    Buffer.Data = std::move(piece->Sound);
    if (!PlayBuffer(Buffer)) return false;
    piece->Tag = PlayingTag;
    OnDevice.push_back(std::move(*piece));
    Heard(OnDevice.front());
    if (WaveOut->Queues()) {
        FillQueue();
        return true;
    }
    try {
        Ahead = MakePiece(false);
    } catch (...) {
        // Told when this piece has been played, as a chunk that cannot be built would be.
        AheadFailure = std::current_exception();
    }
    AheadReady = true;
    return true;
}

// Keeps a piece waiting on the device behind the one playing, so that it follows at once.
void TTextReader::FillQueue() {
    while (OnDevice.size() < 2 && !AheadFailure) {
        std::optional<TPiece> piece;
        try {
            piece = MakePiece(false);
        } catch (...) {
            AheadFailure = std::current_exception();
        }
        if (!piece || !QueuePiece(std::move(*piece))) return;
    }
}

bool TTextReader::QueuePiece(TPiece piece) {
    piece.Tag = ++LastTag;
    OnDevice.push_back(std::move(piece));
    if (WaveOut->Write(OnDevice.back().Sound, OnDevice.back().Tag)) return true;
    const std::string error = WaveOut->ErrorText();
    Stop();
    ErrorText = error;
    return false;
}

// A piece on a device that queues has been played: the next one is heard now.
void TTextReader::PieceDone(std::uint64_t tag) {
    if (State != 0 || OnDevice.empty() || tag != OnDevice.front().Tag) return;
    OnDevice.pop_front();
    if (OnDevice.empty()) {
        Stop();
        if (AheadFailure) std::rethrow_exception(std::exchange(AheadFailure, nullptr));
        CloseDevice();
        return;
    }
    PlayingTag = OnDevice.front().Tag;
    Heard(OnDevice.front());
    FillQueue();
}

void TTextReader::Heard(const TPiece& piece) {
    while (!Marks.empty() && Marks.front().Text < piece.Text) Marks.pop_front();
    if (piece.First && OnTextStart && ReadingWords) OnTextStart(piece.Text);
}

std::optional<TTextReader::TPiece> TTextReader::MakePiece(bool first) {
    // The scaler keeps back what it needs to go on (two of the longest pitch periods): a
    // piece that gave no sound yet takes more, unless the text is used up. A piece never
    // holds the end of one text and the start of the next.
    for (;;) {
        if (TextUsedUp() && !NextText()) return std::nullopt;
        TPiece piece{ScalePiece(first), TextNo, TextMade, TextMade == 0};
        TextMade += piece.Sound.size();
        if (!piece.Sound.empty()) return piece;
    }
}

std::string TTextReader::ScalePiece(bool first) {
    // Whole tokens until the piece holds its share; a piece to be scaled is cut short only
    // when one token makes it much longer (a number or a word spelt letter by letter).
    const TSoundFormat& format = Sounds->ReadFormat();
    const std::size_t unlimited = std::numeric_limits<std::size_t>::max();
    const double firstSeconds = std::min(FirstPieceSeconds * FRate + KeptBack, FirstPieceMost);
    const std::size_t share = first    ? SecondsOfSound(format, firstSeconds)
                              : Scaler ? SecondsOfSound(format, ScaledPieceSeconds)
                                       : unlimited;
    const std::size_t most = !Scaler ? unlimited : first ? share : 2 * share;
    TMemoryStream sound;
    sound.Data = std::move(Unscaled);
    sound.Position = sound.Data.size();
    Unscaled.clear();
    MarkBase = TextTaken;
    MarkSound = ReadingWords ? &sound : nullptr;
    TMemoryStream& source = Converter.OutStream;
    int units = 0;
    while (sound.Size() < share && units < ChunkUnits && !source.AtEnd()) {
        NoteWord(sound.Size(), source.Position);
        std::string token = ReadToken(source);
        if (token.size() == 1 && token[0] == '\0') break;
        units += SayToken(std::move(token), &sound);
    }
    MarkSound = nullptr;
    std::string piece = TakeSound(sound, most);
    TextTaken += piece.size();
    if (!Scaler) return piece;
    std::string scaled = Scaler->Scale(piece);
    if (Unscaled.empty() && source.AtEnd()) scaled += Scaler->Flush();
    return scaled;
}

// Marks where the sound of the text being read on stands at the reading offset given.
void TTextReader::NoteWord(std::size_t sound, std::size_t reading) {
    if (!MarkSound || Marks.empty()) return;
    std::vector<TMark>& marks = Marks.back().Marks;
    const std::size_t offset = CallerWords->Start(ReadingWords->NumberAt(reading));
    if (!marks.empty() && marks.back().Offset == offset) return;
    marks.push_back({MarkBase + sound, offset});
}

std::optional<TReadPlace> TTextReader::Place() const {
    if (State == 2 || OnDevice.empty() || !ReadingWords) return std::nullopt;
    const TPiece& piece = OnDevice.front();
    const std::size_t played = piece.Offset + std::min(WaveOut->Played(), piece.Sound.size());
    // The sound before scaling that has been heard: a time-scaled voice keeps its pace.
    const auto heard =
        static_cast<std::size_t>(static_cast<double>(played) * (Scaler ? FRate : 1.0));
    TReadPlace place{piece.Text, 0};
    for (const TTextMarks& text : Marks) {
        if (text.Text != piece.Text) continue;
        for (const TMark& m : text.Marks)
            if (m.Sound <= heard) place.Offset = m.Offset;
    }
    return place;
}

// At most `most` bytes of the sound, in whole frames; the rest waits for the next piece.
std::string TTextReader::TakeSound(TMemoryStream& sound, std::size_t most) {
    if (sound.Size() <= most) return std::move(sound.Data);
    const std::size_t frame = std::max<std::size_t>(Sounds->ReadFormat().BlockAlign, 1);
    const std::size_t cut = most - most % frame;
    Unscaled = sound.Data.substr(cut);
    sound.Data.resize(cut);
    return std::move(sound.Data);
}

} // namespace tavi
