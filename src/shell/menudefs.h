// The menu bar and tool bar of the main window as data: every entry with its name, caption,
// shortcut, tool button and radio group. The window builds its menus from this table, and the
// menu speech list is checked against it.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace tavi {

struct TMenuEntry {
    enum Kind { Menu, Item, Separator, End };
    Kind kind;
    const char* name;     // component name ("MFNew"); the submenu's name for a Menu
    const char* caption;  // UTF-8, "&" before the access key
    const char* shortcut; // portable key text ("Ctrl+N"), or ""
    const char* button;   // the tool button running the same command, or ""
    const char* group;    // radio group, or ""
    bool checkable;
    bool checked; // initial state
    int tag;      // the item's Tag where handlers use it, else 0
};

// The echo-mode items in the order of their modes (none, character, word, sentence, paragraph).
inline constexpr std::array<const char*, 5> EchoModeItems = {"MRENone", "MREChar", "MREWord",
                                                             "MRESen", "MREPar"};

// The whole menu bar in order: a Menu entry opens a (sub)menu, End closes it.
const std::vector<TMenuEntry>& MainMenuEntries();

// The tool bar in order; "" is a separator, "VolBar" the volume slider.
const std::vector<const char*>& ToolBarButtons();

// The prompt keys the shortcut help items say, by their Tag (0: every shortcut); "" for
// another Tag.
const char* ShortcutHelp(int tag);

// A caption as the menu speech list keys it: without its first "&".
std::string SpeechKey(const char* caption);

} // namespace tavi
