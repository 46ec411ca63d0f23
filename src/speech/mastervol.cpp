#include "speech/mastervol.h"

#include "speech/waveout.h"

#include <algorithm>

namespace tavi {

TMasterVol::TMasterVol() {
    DeviceCount = static_cast<std::uint16_t>(std::clamp(AudioSystem().DeviceCount(), 0, 0xFFFF));
    if (DeviceCount != 0) Volume = static_cast<std::uint16_t>(OutputVolume() & 0xFFFF);
}

void TMasterVol::SetVolume(std::uint16_t value) {
    if (DeviceCount == 0) return;
    Volume = value;
    // The program has one output volume, which every device plays at.
    SetOutputVolume(value * 0x10001u);
}

} // namespace tavi
