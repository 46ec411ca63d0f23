// The six-key Braille keyboard component: while enabled, six letter keys of the ordinary
// keyboard are the dots of a Braille cell in every edit widget of the program.
#pragma once

#include "codes/brailkey.h"
#include "codes/keyboardfilter.h"

#include <QObject>
#include <QStringList>

#include <array>
#include <filesystem>

namespace tavi {

// A letter key, "A" to "Z", read as the key's code.
using TAZChar = char;

// The keys of the six dots.
class TSixKeys : public QObject {
    Q_OBJECT
    Q_PROPERTY(char FirstDot READ FirstDot WRITE SetFirstDot)
    Q_PROPERTY(char SecondDot READ SecondDot WRITE SetSecondDot)
    Q_PROPERTY(char ThirdDot READ ThirdDot WRITE SetThirdDot)
    Q_PROPERTY(char FourthDot READ FourthDot WRITE SetFourthDot)
    Q_PROPERTY(char FifthDot READ FifthDot WRITE SetFifthDot)
    Q_PROPERTY(char SixthDot READ SixthDot WRITE SetSixthDot)
public:
    // Hands the default keys, F D S J K L, to the engine.
    explicit TSixKeys(TBrailKey& engine, QObject* parent = nullptr);

    TAZChar FirstDot() const { return Keys[0]; }
    TAZChar SecondDot() const { return Keys[1]; }
    TAZChar ThirdDot() const { return Keys[2]; }
    TAZChar FourthDot() const { return Keys[3]; }
    TAZChar FifthDot() const { return Keys[4]; }
    TAZChar SixthDot() const { return Keys[5]; }
    // A lowercase letter is taken as its key; anything but a letter is refused (false).
    bool SetFirstDot(TAZChar key) { return SetKey(0, key); }
    bool SetSecondDot(TAZChar key) { return SetKey(1, key); }
    bool SetThirdDot(TAZChar key) { return SetKey(2, key); }
    bool SetFourthDot(TAZChar key) { return SetKey(3, key); }
    bool SetFifthDot(TAZChar key) { return SetKey(4, key); }
    bool SetSixthDot(TAZChar key) { return SetKey(5, key); }

private:
    bool SetKey(std::size_t dot, TAZChar key);
    std::array<TAZChar, TBrailKey::DotCount> Keys{'F', 'D', 'S', 'J', 'K', 'L'};
    TBrailKey& Engine;
};

class TSixKeyKbd : public TKeyComponent {
    Q_OBJECT
    Q_PROPERTY(QStringList Characters READ Characters WRITE SetCharacters)
    Q_PROPERTY(tavi::TSixKeys* SixKeys READ SixKeys CONSTANT)
public:
    // The cell table stays empty until Characters is filled. Every keyboard drives the
    // program's one engine unless it is given another (tests do).
    explicit TSixKeyKbd(QObject* owner = nullptr, TBrailKey& engine = BrailKeyEngine());

    // The cell table, one line per cell, one character per byte; an empty list leaves the
    // engine's table as it was.
    const QStringList& Characters() const { return FCharacters; }
    void SetCharacters(const QStringList& list);
    // Fills Characters from a cell table file (lines ending in CR LF or LF); throws
    // EFOpenError when the file cannot be read.
    void LoadCharacters(const std::filesystem::path& fileName);

    TSixKeys* SixKeys() const { return FSixKeys; }

private:
    QStringList FCharacters;
    TSixKeys* FSixKeys;
    TBrailKey& Engine;
};

// The name of the program's cell table file in the program folder.
inline constexpr const char* SixKeyTableName = "SixKey";

} // namespace tavi
