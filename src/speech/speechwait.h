// Waiting for speech: the event loop keeps running (completions of the wave-output devices
// arrive through it, and so does everything else), so handlers may be re-entered meanwhile.
#pragma once

#include "platform/eventwait.h"

namespace tavi {

class TTextReader;
class TTTS;

// Processes events while the reader is playing (State 0): it returns when the text has been
// read to its end, the reader was paused or stopped, or a device error stopped it.
void WaitWhilePlaying(const TTextReader& reader);

// Processes events while the English engine has something to say and is not paused.
void WaitWhileSpeaking(const TTTS& tts);

} // namespace tavi
