// The six-key Braille keyboard's engine: six letter keys stand for the six dots of a cell, the
// keys of a cell are pressed together as a chord, and the first key released types the cell's
// character. Capital and number signs are followed as they are typed, so that letters after a
// capital sign arrive as capitals and letters after a number sign as digits.
#pragma once

#include "codes/keyinput.h"

#include <array>
#include <bitset>
#include <string>
#include <string_view>

namespace tavi {

class TBrailKey : public TKeyEngine {
public:
    static constexpr int Rows = 63;   // one per cell: row r raises the dots of the bits of r
    static constexpr int Columns = 4; // plain, Shift, Alt, Shift+Alt
    static constexpr std::size_t DotCount = 6;
    static constexpr unsigned char CapitalSign = 0xDE;
    static constexpr unsigned char NumberSign = '#';

    // Fills the cell table from its text: one line per cell in row order, the characters of
    // the four columns separated by single spaces. A line feed is ignored; what does not fit
    // the 63 x 4 table is ignored.
    void LoadCells(std::string_view text);
    // The character of a cell (row 1-63) in a column (1-4); 0 for none.
    unsigned char Cell(int row, int column) const;

    // The keys of dots 1 to 6 as letter-key codes ('A'-'Z'); at most six are kept.
    void SetDotKeys(std::string_view keys);
    const std::string& DotKeys() const { return Keys; }

    unsigned char Pending() const { return FPending; }
    int CapitalCount() const { return FCapitalCount; }
    bool NumberMode() const { return FNumberMode; }

    TKeyVerdict KeyDown(const TKeyEvent& key, TEditTarget& target) override;
    void KeyUp(const TKeyEvent& key, TEditTarget& target) override;
    void MouseDown() override {}
    bool TakesShortcut(const TKeyEvent& key) const override;
    void KeyboardLost() override;

private:
    int HeldCell(const std::bitset<256>& held) const;
    void TrackModifiers(const TKeyEvent& key);
    TKeyVerdict ChordStep(bool characterMessage, const TKeyEvent& key);
    unsigned char Finish(unsigned char c);

    std::array<std::array<unsigned char, Columns>, Rows + 1> Table{}; // row 0 unused
    std::string Keys;
    unsigned char FPending = 0;
    int FCapitalCount = 0;
    bool FNumberMode = false;
    std::bitset<256> Held; // keys down, by key code
};

// The one six-key engine of the program, shared by every six-key keyboard component.
TBrailKey& BrailKeyEngine();

} // namespace tavi
