// The master volume behind the main window's volume track bar: the program's own output
// volume, set alike on every wave-output device.
#pragma once

#include <algorithm>
#include <cstdint>

namespace tavi {

class TMasterVol {
public:
    // Counts the devices of the audio system and takes the left level of the first as Volume
    // (0 when there is no device).
    TMasterVol();

    std::uint16_t Volume = 0;
    std::uint16_t DeviceCount = 0;

    // Sets both channels of every device to value; does nothing without a device.
    void SetVolume(std::uint16_t value);

    // The track bar has ten steps: the step of a volume and the volume of a step. The step is
    // the nearest one, so that a volume set from a step reads back as that step.
    static int Position(std::uint16_t volume) { return (volume * 10 + 32767) / 65535; }
    static std::uint16_t PositionVolume(int position) {
        return static_cast<std::uint16_t>(std::clamp(position, 0, 10) * 65535 / 10);
    }
};

} // namespace tavi
