// The desktop keyboard's auto-repeat and lock keys, where the platform lets a program read and
// set them (X11); elsewhere reading gives nothing and setting does nothing.
#pragma once

#include <optional>

namespace tavi {

struct TKeyRepeat {
    int DelayMs = 0;
    int IntervalMs = 0;
};

std::optional<TKeyRepeat> ReadKeyRepeat();
void SetKeyRepeat(const TKeyRepeat& repeat);

// The slowest repeat, used while speech is on: a key held by mistake repeats rarely.
inline constexpr TKeyRepeat SlowestKeyRepeat{1000, 400};

struct TLockStates {
    bool CapsLock = false;
    bool NumLock = false;
};
std::optional<TLockStates> ReadLockStates();

} // namespace tavi
