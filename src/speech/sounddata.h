// The sound dictionary: "dict.dat" (a 16-byte wave format, then the sample data of every unit)
// and "dict.idx" (29-byte records naming each unit and locating its samples).
#pragma once

#include "codes/memorystream.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tavi {

// One index record as it is stored: name length, 20 name bytes, offset and size (both 32-bit
// signed little-endian).
constexpr std::size_t IndexRecordSize = 29;
constexpr std::size_t IndexNameMax = 20;
constexpr std::size_t SoundHeaderSize = 16;

struct TIndexRecord {
    std::string Name; // the first n name bytes, n at most 20
    std::int32_t Offset = 0;
    std::int32_t Size = 0;
};

// The PCM wave format at the head of the data file. The default is the older dictionary's 8-bit
// unsigned 11025 Hz mono; the build makes 16-bit signed 22050 Hz mono (espeak-ng's own).
struct TSoundFormat {
    std::uint16_t FormatTag = 1; // PCM
    std::uint16_t Channels = 1;
    std::uint32_t SamplesPerSec = 11025;
    std::uint32_t AvgBytesPerSec = 11025;
    std::uint16_t BlockAlign = 1;
    std::uint16_t BitsPerSample = 8;

    std::string Bytes() const;                     // the 16 bytes as stored
    static TSoundFormat Parse(std::string_view b); // b holds at least 16 bytes
    // The byte that silence is made of: 0x80 in 8-bit unsigned PCM, 0 in 16-bit signed.
    char SilenceByte() const { return BitsPerSample == 8 ? '\x80' : '\0'; }
};

// Integer PCM of the given rate, sample size and channels.
constexpr TSoundFormat PcmFormat(std::uint32_t rate, std::uint16_t bits,
                                 std::uint16_t channels = 1) {
    const auto frame = static_cast<std::uint16_t>(channels * bits / 8);
    return {1, channels, rate, rate * frame, frame, bits};
}
inline constexpr TSoundFormat Pcm16Format = PcmFormat(22050, 16);

// The bytes of one frame (a sample of every channel): 1 for a format that no device plays, so
// that a damaged header never divides anything by zero.
std::size_t FrameBytes(const TSoundFormat& format);
// Bytes of silence in this format as long as count bytes of 8-bit samples at 11025 Hz (the
// measure of the reader's silences), in whole frames. A format that no device plays keeps
// count.
std::size_t SilenceBytes(const TSoundFormat& format, std::size_t count);

// Parses a whole index file. A size that is not a multiple of 29 or a name length over 20 is a
// damaged index: EDataError naming the file. Records are returned sorted by name (unsigned
// bytes, a prefix first); a duplicate name keeps its first record and drops the others.
std::vector<TIndexRecord> ParseSoundIndex(std::string_view bytes, const std::string& fileName);

// Every record of an index against the data file it locates samples in: a unit that would
// fail when it is read (past the end of the file, empty, not whole frames of the format) or a
// header that no device plays makes the dictionary damaged: EDataError naming the file and the
// first such unit. Done once at start, so that a damaged file is told then and not in the
// middle of a sentence.
void CheckSoundData(const std::vector<TIndexRecord>& records, const TSoundFormat& format,
                    std::uint64_t dataSize, const std::string& fileName);

// The sound store: the index in memory, the data file open and read only for chosen units.
class TSoundData {
public:
    // Opens both files read-only and loads the index. EFOpenError names a file that cannot be
    // opened; EDataError a damaged index or a data file shorter than its header.
    TSoundData(const std::filesystem::path& dataFile, const std::filesystem::path& indexFile);

    // The wave format stored in bytes 0-15 of the data file.
    const TSoundFormat& ReadFormat() const { return Format; }
    // Binary search by name (byte order, letter case counts); nullptr when absent.
    const TIndexRecord* Find(std::string_view key) const;
    // Copies the record's samples to the end of dest. EReadError when they run past the end of
    // the data file or the record is otherwise impossible (empty, or not whole frames of the
    // format: half a 16-bit sample would shift every sample after it); dest is then left as it
    // was.
    void AppendSound(const TIndexRecord& record, TMemoryStream& dest);
    // Writes count bytes of 0x80 (silence in 8-bit unsigned PCM) to the end of dest.
    static void AppendSilence(TMemoryStream& dest, std::size_t count);
    // Writes count bytes of the format's silence to the end of dest.
    static void AppendSilence(const TSoundFormat& format, TMemoryStream& dest, std::size_t count);

    const std::vector<TIndexRecord>& Entries() const { return Records; }
    std::uint64_t DataSize() const { return DataFileSize; }
    // CheckSoundData over this store: EDataError when a unit or the header is damaged.
    void Check() const;

private:
    std::string DataFileName;
    std::ifstream DataFile;
    std::uint64_t DataFileSize = 0;
    TSoundFormat Format;
    std::vector<TIndexRecord> Records;
};

// A WAV file holding samples in the given format (what a chunk sounds like, for people and
// tools).
std::string WaveFileBytes(const TSoundFormat& format, std::string_view samples);
// The header of such a file, for dataSize bytes of samples that follow it.
constexpr std::size_t WaveHeaderSize = 44;
// The most sample bytes a WAV file can hold: its sizes are 32-bit.
constexpr std::uint64_t WaveDataMax = 0xFFFFFFFFu - (WaveHeaderSize - 8);
std::string WaveHeader(const TSoundFormat& format, std::uint32_t dataSize);

// Writes a dictionary: the data file (format header, then the units in the given order) and
// the index. Names must be 1 to 20 bytes and unique (EDataError otherwise). Used by the
// dictionary builder and by tests that need a small dictionary of their own.
struct TSoundUnit {
    std::string Name;
    std::string Samples;
};
void WriteSoundDictionary(const std::filesystem::path& dataFile,
                          const std::filesystem::path& indexFile, const TSoundFormat& format,
                          const std::vector<TSoundUnit>& units);

} // namespace tavi
