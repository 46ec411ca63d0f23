// The English voice inside Vietnamese text: an English word made into samples of the sound
// dictionary's own format, so that it joins the recorded units in the word reader's chunks and
// plays, pauses, stops and changes speed with them.
#pragma once

#include "speech/sounddata.h"
#include "speech/ttsengine.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace tavi {

class TEnglishVoice {
public:
    // Connects the engine's default mode at the English voice's own rate. EDataError when the
    // engine is missing or has no voice.
    explicit TEnglishVoice(std::unique_ptr<ITTSEngine> engine);

    // The sound of a word in the format, without the engine's silence around it and as loud as
    // the recorded units; empty when the engine fails.
    std::string Sound(std::string_view word, const TSoundFormat& format);

private:
    std::string Synthesize(std::string_view word, const TSoundFormat& format);

    std::unique_ptr<ITTSEngine> Engine;
    // Words come back (names in a document, a word typed again): each is made once.
    std::map<std::string, std::string> Made;
};

} // namespace tavi
