// The user's options: what the Reading and Settings menus show checked and the settings
// keep. One table names, for each option, its menu item, its registry value and its default;
// reading, writing and the menus all go through it, so an option added is one row.
#pragma once

#include "document/editecho.h"
#include "platform/registryfield.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tavi {

struct TOptions {
    TOptions(); // every option at its default

    bool ToolBar{};
    bool SpeechOn{};
    bool SymbolMode{};   // Braille read by its dot numbers (in Braille display)
    bool ControlChars{}; // carriage returns and tabs read by their names
    // The echo mode's number as last read or written (FSoundEdit); only its low byte 0-4
    // selects a mode.
    std::int32_t SoundEdit{};
    bool Vietnamese{};  // the language of spoken names and of the editor's echo
    bool AutoConvert{}; // an opened document is converted to the editor's code
    // English words inside Vietnamese text read by the English voice (or spelt).
    bool EnglishWords{};
    // What a selection, the clipboard, a search or typing over a selection changed is said, not
    // only that it changed.
    bool SayChanges{};
    // The speed of each voice as a step of speech/speechrate.h (1 the slowest).
    std::int32_t VietnameseRate{}, EnglishRate{};
    std::string DbtPath; // the outside Braille translator (the program's, not the user's)

    // The mode the number selects; a number that selects none leaves the first mode there
    // was, character echo.
    TEchoMode Echo() const;
    void SetEcho(TEchoMode mode) { SoundEdit = static_cast<std::int32_t>(mode); }
    bool English() const { return !Vietnamese; }
    // The rate step of the voice of the speech language, which the rate keys move.
    std::int32_t& LanguageRate() { return Vietnamese ? VietnameseRate : EnglishRate; }
    // Moves it one step faster (+1) or slower (-1); false when it is at that end already.
    bool StepRate(int by);
    // Steps read from elsewhere kept within the steps there are.
    void ClampRates();
    bool operator==(const TOptions&) const = default;
};

struct TOptionRow {
    const char* Value; // in the user's registry key
    TRegistryField<TOptions> Field;
    std::int32_t Default;
    const char* Item = "";    // the menu item checked while the option is on
    const char* OffItem = ""; // its radio partner, checked while the option is off
};

// Every option of the user's key, in the order of the menus. (The echo mode's items are
// EchoModeItems.)
const std::vector<TOptionRow>& OptionRows();

} // namespace tavi
