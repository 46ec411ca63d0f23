// The menu table and the menu speech list agree.
#include "codes/vncodeconverter.h"
#include "mail/viewermenu.h"
#include "shell/menudefs.h"
#include "shell/namevaluelist.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>
#include <set>
#include <sstream>

namespace {

TEST(MenuDefs, EveryEntryIsSpokenAndEverySpokenEntryExists) {
    tavi::TNameValueList speech;
    speech.LoadFromFile(tavitest::DataDir() / "Menu");
    tavi::TVnCodeConverter toDos;
    toDos.SetSourceTable("Unicode");
    toDos.SetDestTable("Vni for Dos");
    std::set<std::string> names, keys;
    const auto spoken = [&](const char* caption) {
        const std::string key = toDos.ConvertWord(tavi::SpeechKey(caption));
        EXPECT_TRUE(keys.insert(key).second) << "caption repeated: " << caption;
        EXPECT_FALSE(speech.Value(key).empty()) << "not in Menu: " << caption;
    };
    for (const auto& e : tavi::MainMenuEntries()) {
        if (e.kind != tavi::TMenuEntry::Item && e.kind != tavi::TMenuEntry::Menu) continue;
        EXPECT_TRUE(names.insert(e.name).second) << "name repeated: " << e.name;
        spoken(e.caption);
    }
    for (const char* caption : tavi::TViewerMenuCaptions::All) spoken(caption); // the mail viewer's
    EXPECT_EQ(speech.Count(), keys.size());
}

TEST(MenuDefs, MenusOpenAndCloseInPairsAndShortcutsAreUnique) {
    int depth = 0;
    std::set<std::string> shortcuts;
    for (const auto& e : tavi::MainMenuEntries()) {
        if (e.kind == tavi::TMenuEntry::Menu) ++depth;
        if (e.kind == tavi::TMenuEntry::End) --depth;
        ASSERT_GE(depth, 0);
        if (e.kind == tavi::TMenuEntry::Item && *e.shortcut) {
            EXPECT_TRUE(shortcuts.insert(e.shortcut).second) << e.shortcut;
        }
    }
    EXPECT_EQ(depth, 0);
    EXPECT_EQ(tavi::SpeechKey("Mở &tập tin..."), "Mở tập tin...");
}

// The spoken shortcut help (all of it, Ctrl+1) names every key of a menu item, and Pause, as
// the prompts say them: "Shift F8, …", "Control J, …".
TEST(MenuDefs, TheShortcutHelpNamesEveryKey) {
    std::map<std::string, std::string> prompts;
    std::istringstream lines(tavitest::ReadFile(tavitest::SourceDir() / "data/speech/prompts.txt"));
    for (std::string line; std::getline(lines, line);)
        if (const auto tab = line.find('\t'); tab != std::string::npos && line[0] != '#')
            prompts[line.substr(0, tab)] = line.substr(tab + 1);
    std::string help;
    std::istringstream keys(tavi::ShortcutHelp(0));
    for (std::string key; keys >> key;) help += " " + prompts.at(key);
    const auto named = [&help](std::string key) {
        if (key.rfind("Ctrl+", 0) == 0) key.replace(0, 4, "Control");
        std::replace(key.begin(), key.end(), '+', ' ');
        EXPECT_TRUE(std::regex_search(help, std::regex("(^|[.:] )" + key + ",")))
            << key << " is not in the shortcut help";
    };
    named("Pause");
    // The help items are named as one range; grade 2 and the Braille table never run.
    const std::set<std::string> unnamed = {"MGTGrade2", "MHVBraille"};
    std::vector<std::string> menus; // the menus open at an entry
    for (const auto& e : tavi::MainMenuEntries()) {
        if (e.kind == tavi::TMenuEntry::Menu) menus.push_back(e.name);
        if (e.kind == tavi::TMenuEntry::End) menus.pop_back();
        if (e.kind == tavi::TMenuEntry::Item && *e.shortcut && menus.back() != "MShortcuts" &&
            !unnamed.count(e.name))
            named(e.shortcut);
    }
}

} // namespace
