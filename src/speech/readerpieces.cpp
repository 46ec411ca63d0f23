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
    Unscaled.clear();
    Ahead.clear();
    AheadReady = false;
    AheadFailure = nullptr;
}

bool TTextReader::PlayNextPiece() {
    if (AheadFailure) std::rethrow_exception(std::exchange(AheadFailure, nullptr));
    if (AheadReady && Ahead.empty()) {
        CloseDevice();
        return false;
    }
    Buffer.Clear();
    Buffer.Data = AheadReady ? std::move(Ahead) : MakePiece(true);
    Ahead.clear();
    AheadReady = false;
    if (!PlayBuffer(Buffer)) return false;
    if (State != 0) return true; // a text without sound: nothing was played
    try {
        Ahead = MakePiece(false);
    } catch (...) {
        // Told when this piece has been played, as a chunk that cannot be built would be.
        AheadFailure = std::current_exception();
    }
    AheadReady = true;
    return true;
}

std::string TTextReader::MakePiece(bool first) {
    // The scaler keeps back what it needs to go on (two of the longest pitch periods): a
    // piece that gave no sound yet takes more, unless the text is used up.
    std::string piece;
    do piece += ScalePiece(first);
    while (piece.empty() && !(Unscaled.empty() && Converter.OutStream.AtEnd()));
    return piece;
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
    TMemoryStream& source = Converter.OutStream;
    int units = 0;
    while (sound.Size() < share && units < ChunkUnits && !source.AtEnd()) {
        std::string token = ReadToken(source);
        if (token.size() == 1 && token[0] == '\0') break;
        units += SayToken(std::move(token), &sound);
    }
    std::string piece = TakeSound(sound, most);
    if (!Scaler) return piece;
    std::string scaled = Scaler->Scale(piece);
    if (Unscaled.empty() && source.AtEnd()) scaled += Scaler->Flush();
    return scaled;
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
