// The recovery file: any document survives it, and a damaged one is never taken for a document.
#include "platform/errors.h"
#include "shell/recovery.h"
#include "shell/writewatch.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

namespace {

TEST(Recovery, AnyDocumentSurvivesTheFile) {
    const tavitest::TempDir dir;
    std::string everyByte;
    for (int b = 0; b < 256; ++b) everyByte += static_cast<char>(b);
    const tavi::TRecovery documents[] = {
        {"Khong Ten", false, "{\\rtf1 Vie\xE4t Nam\\par}"},
        {"/home/anna/thư.txt", true, everyByte + "\nrtf 3\nabc\n"},
        {"", false, ""},
    };
    const auto file = tavi::RecoveryFile(dir.path() / "state", "ANNA");
    for (const auto& r : documents) {
        tavi::WriteRecoveryFile(file, r);
        EXPECT_EQ(tavi::ReadRecoveryFile(file), r);
    }
    EXPECT_EQ(std::filesystem::status(file).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_FALSE(tavi::ReadRecoveryFile(dir / "none.recovery").has_value());
}

TEST(Recovery, DamagedFilesAreNoDocuments) {
    const std::string whole = tavi::FormatRecovery({"a.txt", false, "{\\rtf1 x}"});
    for (std::size_t cut = 0; cut < whole.size(); ++cut)
        EXPECT_FALSE(tavi::ParseRecovery(whole.substr(0, cut)).has_value()) << cut;
    const char* damaged[] = {
        "TAVI RECOVERY 2\nname 1\na\ndisplay 3\nvni\nrtf 0\n\n",
        "TAVI RECOVERY 1\nname 9999999999\na\n",
        "TAVI RECOVERY 1\nname 1\na\ndisplay 5\nbraid\nrtf 0\n\n",
        "TAVI RECOVERY 1\nname 1\nab\ndisplay 3\nvni\nrtf 0\n\n",
        "TAVI RECOVERY 1\nname x\na\n",
    };
    for (const char* d : damaged) EXPECT_FALSE(tavi::ParseRecovery(d).has_value()) << d;
    EXPECT_FALSE(tavi::ParseRecovery(whole + "more").has_value());
}

TEST(Recovery, AFolderThatCannotBeWrittenIsAnError) {
    EXPECT_THROW(tavi::WriteRecoveryFile("/proc/tavi/ANNA.recovery", {}), tavi::EFOpenError);
}

TEST(Recovery, SnapshotsComeSoonAfterAChangeAndThenAtAPace) {
    const struct {
        long long sinceLast; // -1: none yet
        int delay;
    } cases[] = {{-1, 500}, {100, 1700}, {1299, 501}, {1300, 500}, {1800, 500}, {60000, 500}};
    for (const auto& c : cases)
        EXPECT_EQ(tavi::RecoveryDelayMs(c.sinceLast, 500, 1800), c.delay) << c.sinceLast;
}

TEST(Recovery, AWriteThatFailsIsToldOnceAndAgainWhenItWorks) {
    using N = tavi::TWriteWatch::TNews;
    const struct {
        std::vector<bool> written;
        std::vector<N> told;
    } cases[] = {
        {{true, true}, {N::None, N::None}},
        {{false, false, false}, {N::Failing, N::None, N::None}},
        {{true, false, false, true, true}, {N::None, N::Failing, N::None, N::WorksAgain, N::None}},
        {{false, true, false}, {N::Failing, N::WorksAgain, N::Failing}},
    };
    for (const auto& c : cases) {
        tavi::TWriteWatch watch;
        std::vector<N> told;
        for (bool ok : c.written) told.push_back(watch.Written(ok));
        EXPECT_EQ(told, c.told) << c.written.size();
        EXPECT_EQ(watch.Failing(), !c.written.back());
    }
}

} // namespace
