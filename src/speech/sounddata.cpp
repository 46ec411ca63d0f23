#include "speech/sounddata.h"

#include "platform/atomicfile.h"
#include "platform/errors.h"
#include "speech/waveout.h"

#include <algorithm>
#include <set>

namespace tavi {

namespace fs = std::filesystem;

namespace {

std::uint32_t Get32(std::string_view b, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(b[at + i]);
    return v;
}

std::uint16_t Get16(std::string_view b, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                      static_cast<unsigned char>(b[at + 1]) << 8);
}

void Put(std::string& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>(v >> (8 * i) & 0xFF);
}

// Unsigned byte order, a prefix before every longer name that starts with it.
bool NameLess(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    });
}

// Whether a record's samples can be read whole from a data file of this size, starting no
// sooner than from. The samples start at byte 16, so whole frames start at multiples of the
// frame.
bool RecordFits(const TIndexRecord& record, std::int32_t frame, std::uint64_t dataSize,
                std::int32_t from) {
    return record.Offset >= from && record.Size >= 1 && record.Size % frame == 0 &&
           record.Offset % frame == 0 &&
           static_cast<std::uint64_t>(record.Offset) + static_cast<std::uint64_t>(record.Size) <=
               dataSize;
}

} // namespace

std::string TSoundFormat::Bytes() const {
    std::string out;
    Put(out, FormatTag, 2);
    Put(out, Channels, 2);
    Put(out, SamplesPerSec, 4);
    Put(out, AvgBytesPerSec, 4);
    Put(out, BlockAlign, 2);
    Put(out, BitsPerSample, 2);
    return out;
}

TSoundFormat TSoundFormat::Parse(std::string_view b) {
    TSoundFormat f;
    f.FormatTag = Get16(b, 0);
    f.Channels = Get16(b, 2);
    f.SamplesPerSec = Get32(b, 4);
    f.AvgBytesPerSec = Get32(b, 8);
    f.BlockAlign = Get16(b, 12);
    f.BitsPerSample = Get16(b, 14);
    return f;
}

std::size_t FrameBytes(const TSoundFormat& format) {
    return IsPlayableFormat(format) ? format.BlockAlign : 1;
}

std::size_t SilenceBytes(const TSoundFormat& format, std::size_t count) {
    if (!IsPlayableFormat(format)) return count;
    constexpr std::uint64_t base = 11025; // bytes a second of the measure
    const std::uint64_t bytes = (count * std::uint64_t{format.AvgBytesPerSec} + base / 2) / base;
    return static_cast<std::size_t>(bytes - bytes % format.BlockAlign);
}

std::string WaveHeader(const TSoundFormat& format, std::uint32_t dataSize) {
    std::string out = "RIFF";
    Put(out, static_cast<std::uint32_t>(WaveHeaderSize - 8 + dataSize), 4);
    out += "WAVEfmt ";
    Put(out, 16, 4);
    out += format.Bytes();
    out += "data";
    Put(out, dataSize, 4);
    return out;
}

std::string WaveFileBytes(const TSoundFormat& format, std::string_view samples) {
    return WaveHeader(format, static_cast<std::uint32_t>(samples.size())) + std::string(samples);
}

std::vector<TIndexRecord> ParseSoundIndex(std::string_view bytes, const std::string& fileName) {
    if (bytes.size() % IndexRecordSize != 0)
        throw EDataError("Damaged sound index " + fileName + ": its size " +
                         std::to_string(bytes.size()) + " is not a multiple of 29");
    std::vector<TIndexRecord> records;
    records.reserve(bytes.size() / IndexRecordSize);
    for (std::size_t at = 0; at < bytes.size(); at += IndexRecordSize) {
        const std::string_view r = bytes.substr(at, IndexRecordSize);
        const std::size_t n = static_cast<unsigned char>(r[0]);
        if (n > IndexNameMax)
            throw EDataError("Damaged sound index " + fileName + ": record " +
                             std::to_string(at / IndexRecordSize + 1) + " has a name of " +
                             std::to_string(n) + " bytes");
        records.push_back({std::string(r.substr(1, n)), static_cast<std::int32_t>(Get32(r, 21)),
                           static_cast<std::int32_t>(Get32(r, 25))});
    }
    std::stable_sort(
        records.begin(), records.end(),
        [](const TIndexRecord& a, const TIndexRecord& b) { return NameLess(a.Name, b.Name); });
    // Lookups must not depend on which of two equal names the search happens to meet.
    records.erase(
        std::unique(records.begin(), records.end(),
                    [](const TIndexRecord& a, const TIndexRecord& b) { return a.Name == b.Name; }),
        records.end());
    return records;
}

void CheckSoundData(const std::vector<TIndexRecord>& records, const TSoundFormat& format,
                    std::uint64_t dataSize, const std::string& fileName) {
    if (!IsPlayableFormat(format))
        throw EDataError("Damaged sound data " + fileName + ": its header is no sound format");
    const auto frame = static_cast<std::int32_t>(FrameBytes(format));
    for (const TIndexRecord& r : records)
        if (!RecordFits(r, frame, dataSize, static_cast<std::int32_t>(SoundHeaderSize)))
            throw EDataError("Damaged sound data " + fileName + ": unit \"" + r.Name + "\" at " +
                             std::to_string(r.Offset) + ", " + std::to_string(r.Size) +
                             " bytes, is not within its " + std::to_string(dataSize) + " bytes");
}

TSoundData::TSoundData(const fs::path& dataFile, const fs::path& indexFile)
    : DataFileName(dataFile.string()) {
    std::error_code ec;
    if (fs::is_directory(dataFile, ec)) throw EFOpenError(dataFile.string());
    DataFile.open(dataFile, std::ios::binary);
    if (!DataFile) throw EFOpenError(dataFile.string());
    DataFile.seekg(0, std::ios::end);
    const auto end = DataFile.tellg();
    DataFileSize = end < 0 ? 0 : static_cast<std::uint64_t>(end);
    Records = ParseSoundIndex(ReadWholeFile(indexFile), indexFile.string());
    if (DataFileSize < SoundHeaderSize)
        throw EDataError("Damaged sound data " + dataFile.string() +
                         ": shorter than its 16-byte header");
    std::string header(SoundHeaderSize, '\0');
    DataFile.seekg(0);
    if (!DataFile.read(header.data(), SoundHeaderSize)) throw EReadError();
    Format = TSoundFormat::Parse(header);
}

const TIndexRecord* TSoundData::Find(std::string_view key) const {
    std::ptrdiff_t lo = 0, hi = static_cast<std::ptrdiff_t>(Records.size()) - 1;
    while (lo <= hi) {
        const std::ptrdiff_t mid = (lo + hi) / 2;
        const TIndexRecord& r = Records[static_cast<std::size_t>(mid)];
        if (NameLess(r.Name, key)) {
            lo = mid + 1;
        } else {
            if (r.Name == key) return &r;
            hi = mid - 1;
        }
    }
    return nullptr;
}

void TSoundData::Check() const {
    CheckSoundData(Records, Format, DataFileSize, DataFileName);
}

void TSoundData::AppendSound(const TIndexRecord& record, TMemoryStream& dest) {
    if (!RecordFits(record, static_cast<std::int32_t>(FrameBytes(Format)), DataFileSize, 0))
        throw EReadError();
    const std::size_t n = static_cast<std::size_t>(record.Size);
    std::string& d = dest.Data;
    const std::size_t old = d.size();
    d.resize(old + n);
    DataFile.clear();
    DataFile.seekg(record.Offset);
    if (!DataFile.read(d.data() + old, static_cast<std::streamsize>(n))) {
        d.resize(old);
        throw EReadError();
    }
    dest.Position = d.size();
}

void TSoundData::AppendSilence(TMemoryStream& dest, std::size_t count) {
    AppendSilence(TSoundFormat(), dest, count);
}

void TSoundData::AppendSilence(const TSoundFormat& format, TMemoryStream& dest, std::size_t count) {
    if (count == 0) return;
    dest.Data.append(count, format.SilenceByte());
    dest.Position = dest.Data.size();
}

void WriteSoundDictionary(const fs::path& dataFile, const fs::path& indexFile,
                          const TSoundFormat& format, const std::vector<TSoundUnit>& units) {
    std::string data = format.Bytes();
    std::string index;
    std::set<std::string> names;
    for (const TSoundUnit& u : units) {
        if (u.Name.empty() || u.Name.size() > IndexNameMax)
            throw EDataError("Sound unit name of " + std::to_string(u.Name.size()) +
                             " bytes: " + u.Name);
        if (!names.insert(u.Name).second) throw EDataError("Sound unit named twice: " + u.Name);
        if (u.Samples.empty()) throw EDataError("Sound unit without samples: " + u.Name);
        if (u.Samples.size() % FrameBytes(format) != 0)
            throw EDataError("Sound unit with part of a sample: " + u.Name);
        if (data.size() + u.Samples.size() > 0x7FFFFFFFu) throw EDataError("Sound data over 2 GiB");
        index += static_cast<char>(u.Name.size());
        index += u.Name;
        index.append(IndexNameMax - u.Name.size(), '\0');
        Put(index, static_cast<std::uint32_t>(data.size()), 4);
        Put(index, static_cast<std::uint32_t>(u.Samples.size()), 4);
        data += u.Samples;
    }
    WriteFileAtomically(dataFile, data, 0644);
    WriteFileAtomically(indexFile, index, 0644);
}

} // namespace tavi
