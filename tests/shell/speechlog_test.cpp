// The speech log: one line per utterance that reaches a voice, in UTF-8, written at once.
#include "platform/errors.h"
#include "shell/speechlog.h"
#include "support/recordingspeech.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

TEST(SpeechLog, WritesWhatEachVoiceGetsAsUtf8AndPassesItOn) {
    const tavitest::TempDir dir;
    const auto file = dir / "speech.log";
    tavitest::WriteFile(file, "earlier run\n");
    auto state = std::make_shared<tavitest::SpeechLog>();
    {
        tavi::TSpeechLogPort port(std::make_unique<tavitest::RecordingSpeech>(state),
                                  tavi::SpeechLogFile(file));
        port.ReaderSpeak("zzzmeslg Vie\xE4t\r\n\tNam", "Vni for Win", true);
        port.ReaderSpeak("\xA4", "No such table", false);
        port.EngineSpeak("caf\xE9 \x93ok\x94");
        port.PlaySoundFile("/somewhere/Wave/Beep.wav");
        // Each line is on disk as soon as it is said.
        const std::string written = tavitest::ReadFile(file);
        EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 5);
    }
    ASSERT_EQ(state->spoken.size(), 3u);
    EXPECT_EQ(state->spoken[0].text, "zzzmeslg Vie\xE4t\r\n\tNam"); // the voice's own bytes
    EXPECT_TRUE(state->spoken[0].symbols);
    EXPECT_EQ(state->sounds, std::vector<std::string>{"Beep.wav"});

    std::istringstream lines(tavitest::ReadFile(file));
    std::vector<std::string> said;
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "earlier run");
    const std::regex time("^[0-9]+\t");
    while (std::getline(lines, line)) {
        EXPECT_TRUE(std::regex_search(line, time)) << line;
        said.push_back(line.substr(line.find('\t') + 1));
    }
    EXPECT_EQ(said, (std::vector<std::string>{"vi\tzzzmeslg Việt\\r\\n\\tNam", "vi\t¤",
                                              "en\tcafé “ok”", "beep\tBeep.wav"}));
}

TEST(SpeechLog, AFileThatCannotBeWrittenIsAnError) {
    EXPECT_THROW(tavi::SpeechLogFile("/nonexistent-folder/speech.log"), tavi::EFOpenError);
}

} // namespace
