#include "speech/speechwait.h"

#include "platform/eventwait.h"

#include "speech/tts.h"
#include "speech/wordreader.h"

#include <QEventLoop>

namespace tavi {

void WaitWhilePlaying(const TTextReader& reader) {
    PumpEventsUntil([&] { return reader.State != 0; });
}

void WaitWhileSpeaking(const TTTS& tts) {
    PumpEventsUntil([&] { return !tts.Speaking() || tts.AudioPaused(); });
}

} // namespace tavi
