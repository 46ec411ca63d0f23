// The sound store: index records, lookups and damaged dictionary files.
#include "speechtest.h"

#include "platform/errors.h"

#include <gtest/gtest.h>

using tavitest::TempDir;
using tavitest::WriteFile;

namespace {

std::string Record(const std::string& name, std::int32_t offset, std::int32_t size,
                   int length = -1) {
    std::string r(1, static_cast<char>(length < 0 ? name.size() : length));
    r += name;
    r.resize(21, '\0');
    for (std::int32_t v : {offset, size})
        for (int i = 0; i < 4; ++i)
            r += static_cast<char>(static_cast<std::uint32_t>(v) >> (8 * i));
    return r;
}

std::string Header() {
    return tavi::TSoundFormat().Bytes();
}

TEST(SoundIndex, SortsByUnsignedBytesPrefixFirst) {
    const std::string idx = Record("\x93", 16, 1) + Record("ba", 17, 1) + Record("b", 18, 1) +
                            Record("a\x01", 19, 1) + Record("zzzmesa", 20, 1);
    const auto records = tavi::ParseSoundIndex(idx, "x");
    std::vector<std::string> names;
    for (const auto& r : records) names.push_back(r.Name);
    EXPECT_EQ(names, (std::vector<std::string>{"a\x01", "b", "ba", "zzzmesa", "\x93"}));
    EXPECT_EQ(records[1].Offset, 18);
}

TEST(SoundIndex, DamagedIndexes) {
    const struct {
        std::string bytes;
        bool ok;
        const char* why;
    } cases[] = {
        {"", true, "an empty index is a dictionary without units"},
        {Record("a", 16, 1), true, "one record"},
        {Record("a", 16, 1) + "x", false, "size not a multiple of 29"},
        {Record("a", 16, 1).substr(0, 28), false, "a short record"},
        {Record("abc", 16, 1, 21), false, "a name length over 20"},
        {Record("abc", 16, 1, 255), false, "a name length of 255"},
        {Record(std::string(20, 'n'), 16, 1), true, "a name of 20 bytes"},
        {Record("", 16, 1), true, "an empty name"},
    };
    for (const auto& c : cases) {
        if (c.ok) {
            EXPECT_NO_THROW(tavi::ParseSoundIndex(c.bytes, "f")) << c.why;
        } else {
            EXPECT_THROW(tavi::ParseSoundIndex(c.bytes, "f"), tavi::EDataError) << c.why;
        }
    }
}

TEST(SoundIndex, DuplicateNamesKeepTheFirstRecord) {
    const auto records =
        tavi::ParseSoundIndex(Record("a", 16, 1) + Record("a", 17, 2) + Record("b", 18, 1), "x");
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].Offset, 16);
}

class StoreFiles : public ::testing::Test {
protected:
    void Write(const std::string& data, const std::string& index) {
        WriteFile(Dir / "d.dat", data);
        WriteFile(Dir / "d.idx", index);
    }
    tavi::TSoundData Open() { return tavi::TSoundData(Dir / "d.dat", Dir / "d.idx"); }
    TempDir Dir;
};

TEST_F(StoreFiles, FindsAndCopiesOnlyTheChosenUnit) {
    Write(Header() + "AAABBBBC", Record("b", 19, 4) + Record("a", 16, 3) + Record("c", 23, 1));
    tavi::TSoundData store = Open();
    EXPECT_EQ(store.ReadFormat().SamplesPerSec, 11025u);
    EXPECT_EQ(store.ReadFormat().BitsPerSample, 8);
    tavi::TMemoryStream dest;
    dest.Data = "x";
    for (const char* key : {"c", "a", "b"}) {
        const tavi::TIndexRecord* r = store.Find(key);
        ASSERT_NE(r, nullptr) << key;
        store.AppendSound(*r, dest);
    }
    EXPECT_EQ(dest.Data, "xCAAABBBB");
    EXPECT_EQ(store.Find("d"), nullptr);
    EXPECT_EQ(store.Find("A"), nullptr); // letter case counts
    EXPECT_EQ(store.Find(""), nullptr);
    EXPECT_EQ(store.Find(std::string(21, 'n')), nullptr);
    tavi::TSoundData::AppendSilence(dest, 0);
    tavi::TSoundData::AppendSilence(dest, 3);
    EXPECT_EQ(dest.Data, "xCAAABBBB\x80\x80\x80");
}

TEST_F(StoreFiles, RecordsOutsideTheDataFileFailWithoutReadingThem) {
    Write(Header() + "AAAA", Record("end", 18, 2) + Record("past", 19, 2) + Record("neg", -1, 2) +
                                 Record("zero", 16, 0) + Record("huge", 0x7FFFFFFF, 0x7FFFFFFF));
    tavi::TSoundData store = Open();
    tavi::TMemoryStream dest;
    store.AppendSound(*store.Find("end"), dest);
    EXPECT_EQ(dest.Data, "AA");
    for (const char* key : {"past", "neg", "zero", "huge"}) {
        EXPECT_THROW(store.AppendSound(*store.Find(key), dest), tavi::EReadError) << key;
        EXPECT_EQ(dest.Data, "AA") << key; // the failed unit adds nothing
    }
}

TEST_F(StoreFiles, UnitsOfA16BitDictionaryAreWholeFrames) {
    Write(tavi::Pcm16Format.Bytes() + "AABBCCDD",
          Record("whole", 18, 4) + Record("odd", 16, 3) + Record("shifted", 17, 2));
    tavi::TSoundData store = Open();
    tavi::TMemoryStream dest;
    store.AppendSound(*store.Find("whole"), dest);
    // Half a sample would shift every sample after it into noise.
    for (const char* key : {"odd", "shifted"})
        EXPECT_THROW(store.AppendSound(*store.Find(key), dest), tavi::EReadError) << key;
    tavi::TSoundData::AppendSilence(store.ReadFormat(), dest, 4);
    EXPECT_EQ(dest.Data, std::string("BBCC\0\0\0\0", 8));
    EXPECT_THROW(
        tavi::WriteSoundDictionary(Dir / "w.dat", Dir / "w.idx", tavi::Pcm16Format, {{"a", "abc"}}),
        tavi::EDataError);
}

TEST(SoundFormat, SilencesLastAsLongInWholeFrames) {
    tavi::TSoundFormat damaged = tavi::Pcm16Format;
    damaged.BlockAlign = 0;
    const struct {
        tavi::TSoundFormat format;
        std::size_t count, bytes;
    } cases[] = {
        {tavi::TSoundFormat(), 1000, 1000},
        {tavi::Pcm16Format, 5000, 20000},
        {tavi::PcmFormat(44100, 16, 2), 3000, 48000},
        {tavi::PcmFormat(8000, 8), 1000, 726},   // 725.6 rounded
        {tavi::PcmFormat(8000, 16), 1000, 1450}, // 1451.2, then whole frames
        {damaged, 1000, 1000},                   // no device plays it: left as it was
    };
    for (const auto& c : cases)
        EXPECT_EQ(tavi::SilenceBytes(c.format, c.count), c.bytes) << c.format.SamplesPerSec;
}

TEST_F(StoreFiles, BuildChunkStopsAtADamagedRecordKeepingWhatCameBefore) {
    Write(Header() + "AAAA", Record("a", 16, 4) + Record("b", 18, 9));
    tavi::TWordReader reader(Dir / "d.dat", Dir / "d.idx", "");
    reader.SetCodeTable("Unicode");
    tavi::TMemoryStream& source = reader.ConvertText("a b");
    tavi::TMemoryStream chunk;
    EXPECT_THROW(reader.BuildChunk(source, chunk), tavi::EReadError);
    EXPECT_EQ(chunk.Data, "AAAA" + std::string(2000, '\x80'));
}

TEST_F(StoreFiles, DataFileShorterThanItsHeader) {
    for (const std::string& data : {std::string(), Header().substr(0, 15)}) {
        Write(data, "");
        EXPECT_THROW(Open(), tavi::EDataError) << data.size();
    }
    Write(Header(), ""); // a header and no units is a usable, silent dictionary
    EXPECT_NO_THROW(Open());
}

TEST_F(StoreFiles, TheCheckAtStartFindsEveryUnitThatWouldFailWhenRead) {
    tavi::TSoundFormat noFormat;
    noFormat.BlockAlign = 0;
    const std::string pcm16 = tavi::Pcm16Format.Bytes();
    const struct {
        std::string data, index;
        bool ok;
        const char* why;
    } cases[] = {
        {Header() + "AAAB", Record("a", 16, 3) + Record("b", 19, 1), true, "every unit inside"},
        {Header(), "", true, "a header and no units"},
        {Header() + "AAA", Record("a", 16, 3) + Record("b", 19, 1), false, "data cut short"},
        {Header() + "AAAB", Record("a", 16, 3) + Record("b", 19, 2), false, "a unit past the end"},
        {Header() + "AAAB", Record("a", 0x7FFFFFF0, 16), false, "an offset far past the end"},
        {Header() + "AAAB", Record("a", -4, 3), false, "a negative offset"},
        {Header() + "AAAB", Record("a", 4, 3), false, "a unit inside the header"},
        {Header() + "AAAB", Record("a", 16, 0), false, "an empty unit"},
        {pcm16 + "AABB", Record("a", 16, 4), true, "16-bit whole frames"},
        {pcm16 + "AABB", Record("a", 16, 3), false, "16-bit half a sample"},
        {pcm16 + "AABB", Record("a", 17, 2), false, "16-bit shifted by a byte"},
        {noFormat.Bytes() + "AAAB", Record("a", 16, 3), false, "a header no device plays"},
    };
    for (const auto& c : cases) {
        Write(c.data, c.index);
        const tavi::TSoundData store = Open(); // opening alone reads no unit
        if (c.ok) {
            EXPECT_NO_THROW(store.Check()) << c.why;
            continue;
        }
        try {
            store.Check();
            ADD_FAILURE() << c.why << ": not found";
        } catch (const tavi::EDataError& e) {
            EXPECT_NE(std::string(e.what()).find("d.dat"), std::string::npos) << e.what();
        }
    }
}

TEST_F(StoreFiles, DamagedIndexFileIsRefusedAtCreation) {
    Write(Header() + "A", Record("a", 16, 1) + "xyz");
    try {
        Open();
        ADD_FAILURE() << "a damaged index was accepted";
    } catch (const tavi::EDataError& e) {
        EXPECT_NE(std::string(e.what()).find("d.idx"), std::string::npos) << e.what();
    }
}

TEST_F(StoreFiles, WriterRefusesBadUnitsAndRoundTrips) {
    const tavi::TSoundFormat f;
    EXPECT_THROW(tavi::WriteSoundDictionary(Dir / "w.dat", Dir / "w.idx", f, {{"", "x"}}),
                 tavi::EDataError);
    EXPECT_THROW(
        tavi::WriteSoundDictionary(Dir / "w.dat", Dir / "w.idx", f, {{std::string(21, 'a'), "x"}}),
        tavi::EDataError);
    EXPECT_THROW(
        tavi::WriteSoundDictionary(Dir / "w.dat", Dir / "w.idx", f, {{"a", "x"}, {"a", "y"}}),
        tavi::EDataError);
    EXPECT_THROW(tavi::WriteSoundDictionary(Dir / "w.dat", Dir / "w.idx", f, {{"a", ""}}),
                 tavi::EDataError);
    tavi::WriteSoundDictionary(Dir / "w.dat", Dir / "w.idx", f, {{"b", "BB"}, {"a", "A"}});
    EXPECT_EQ(tavitest::ReadFile(Dir / "w.dat"), Header() + "BBA");
    EXPECT_EQ(tavitest::ReadFile(Dir / "w.idx"), Record("b", 16, 2) + Record("a", 18, 1));
}

TEST(WaveFile, HeaderAroundTheSamples) {
    const std::string wav = tavi::WaveFileBytes(tavi::TSoundFormat(), "\x80\x81");
    ASSERT_EQ(wav.size(), 46u);
    EXPECT_EQ(wav.substr(0, 4), "RIFF");
    EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(wav.substr(20, 16), tavi::TSoundFormat().Bytes());
    EXPECT_EQ(wav.substr(36, 4), "data");
    EXPECT_EQ(wav.substr(44), "\x80\x81");
}

} // namespace
