// The menu table and the menu speech list agree.
#include "codes/vncodeconverter.h"
#include "mail/viewermenu.h"
#include "shell/menudefs.h"
#include "shell/namevaluelist.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

#include <set>

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

} // namespace
