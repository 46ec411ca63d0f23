#include "codes/brailkey.h"

namespace tavi {

namespace {

// a-z and â ă ê đ ô ơ ư; their capitals are 0x20 lower.
bool IsLowerLetter(unsigned char c) {
    return (c >= 'a' && c <= 'z') ||
           (c != 0 && std::string_view("\xE2\xE3\xEA\xF0\xF4\xF5\xFD").find(char(c)) !=
                          std::string_view::npos);
}

bool IsToneCell(unsigned char c) {
    return c >= 0xD8 && c <= 0xDC;
}

bool InKeySet(int key) {
    return key > 0 && key < 256;
}

} // namespace

void TBrailKey::LoadCells(std::string_view text) {
    Table = {};
    int row = 1;
    int column = 1;
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == 0x0A) continue;
        if (c == ' ') {
            ++column;
        } else if (c == 0x0D) {
            ++row;
            column = 1;
        } else if (row <= Rows && column <= Columns) {
            Table[row][column - 1] = c;
        }
    }
}

unsigned char TBrailKey::Cell(int row, int column) const {
    if (row < 1 || row > Rows || column < 1 || column > Columns) return 0;
    return Table[row][column - 1];
}

void TBrailKey::SetDotKeys(std::string_view keys) {
    Keys = keys.substr(0, DotCount);
}

int TBrailKey::HeldCell(const std::bitset<256>& held) const {
    int cell = 0;
    for (std::size_t i = 0; i < Keys.size(); ++i)
        if (held[static_cast<unsigned char>(Keys[i])]) cell |= 1 << i;
    return cell;
}

// The modifier flags of a key event are what the keyboard holds now; the modifier keys' own
// presses and releases may miss the program (a release in another window after Alt+Tab), so
// every other key's event corrects them.
void TBrailKey::TrackModifiers(const TKeyEvent& key) {
    if (key.Key != VkShift) Held[VkShift] = key.Shift;
    if (key.Key != VkControl) Held[VkControl] = key.Control;
    if (key.Key != VkAlt) Held[VkAlt] = key.Alt;
}

TKeyVerdict TBrailKey::KeyDown(const TKeyEvent& key, TEditTarget& /*target*/) {
    TrackModifiers(key);
    if (InKeySet(key.Key)) Held.set(std::size_t(key.Key));
    // With Alt held every key is a system key, read as a chord but never as text.
    if (Held[VkAlt]) return ChordStep(false, key);
    if (key.Typed) return ChordStep(true, key);
    return {};
}

TKeyVerdict TBrailKey::ChordStep(bool characterMessage, const TKeyEvent& key) {
    const int column = (Held[VkShift] ? 1 : 0) + (Held[VkAlt] ? 2 : 0);
    const int cell = HeldCell(Held);
    if (cell != 0) {
        const unsigned char ch = Table[cell][column];
        // A chord held until the keyboard repeats types its character again at each repeat,
        // as its release would type it: a digit in number mode, a capital after the sign.
        if (ch == FPending && ch != 0) return {TKeyVerdict::Retype, Finish(ch)};
        FPending = ch;
        return {TKeyVerdict::Suppress, 0};
    }
    if (!characterMessage) return {};
    switch (key.Char) {
    case 0x08: return {};
    case 0x09:
    case 0x0D:
    case ' ': FNumberMode = false; return {};
    default: return {TKeyVerdict::Suppress, 0};
    }
}

void TBrailKey::KeyUp(const TKeyEvent& key, TEditTarget& target) {
    // Auto-repeat releases (X11 sends one before every repeated press) are no releases.
    if (key.AutoRepeat) return;
    TrackModifiers(key);
    // A key released while Alt is held is a system key-up, which leaves a chord pending;
    // Alt's own release is an ordinary one.
    const bool systemKey = Held[VkAlt] && key.Key != VkAlt;
    if (InKeySet(key.Key)) Held.reset(std::size_t(key.Key));
    if (systemKey || FPending == 0) return;
    const unsigned char c = FPending;
    FPending = 0;
    target.SendChar(Finish(c));
}

// The character a cell types, given the capital and number signs before it; the signs' state
// moves on past it.
unsigned char TBrailKey::Finish(unsigned char c) {
    if (c == CapitalSign) FCapitalCount = (FCapitalCount + 1) % 3;
    if (FCapitalCount != 0) {
        if (IsLowerLetter(c)) c -= 0x20;
        if (FCapitalCount == 1 && !IsToneCell(c) && c != CapitalSign) FCapitalCount = 0;
    }
    if (FNumberMode) {
        if (c == 0xF0) c = 'd';
        if (c >= 'a' && c <= 'i') {
            c = static_cast<unsigned char>('1' + (c - 'a'));
        } else if (c == 'j') {
            c = '0';
        }
        FNumberMode = c == NumberSign || c == ',' || c == '.' || (c >= '0' && c <= '9');
    } else {
        FNumberMode = c == NumberSign;
    }
    return c;
}

bool TBrailKey::TakesShortcut(const TKeyEvent& key) const {
    // An Alt chord must not open a menu: the chord's keys belong to the keyboard.
    if (!key.Alt) return false;
    std::bitset<256> held = Held;
    if (InKeySet(key.Key)) held.set(std::size_t(key.Key));
    return HeldCell(held) != 0;
}

void TBrailKey::KeyboardLost() {
    Held.reset();
    FPending = 0;
}

TBrailKey& BrailKeyEngine() {
    static TBrailKey engine;
    return engine;
}

} // namespace tavi
