// The program's interface fonts.
#include "shell/sysfont.h"

#include <QApplication>
#include <QMenu>

#include <gtest/gtest.h>

namespace {

TEST(SysFont, SettingTheSameFontDoesNothing) {
    tavi::TSysFont fonts;
    fonts.Loaded();
    EXPECT_EQ(fonts.Applications(), 1);
    fonts.SetMenuFont(fonts.MenuFont());
    EXPECT_EQ(fonts.Applications(), 1);
    QFont bold = fonts.CaptionFont();
    bold.setBold(true);
    fonts.SetCaptionFont(bold);
    EXPECT_EQ(fonts.Applications(), 2);
    EXPECT_TRUE(fonts.CaptionFont().bold());
}

TEST(SysFont, MenusGetTheMenuFontAndMissingFacesFallBack) {
    tavi::TSysFont fonts;
    QFont menu("No Such Face Anywhere", 17);
    fonts.SetMenuFont(menu);
    EXPECT_EQ(fonts.MenuFont().family(), "No Such Face Anywhere"); // recorded as asked
    QMenu m;
    EXPECT_EQ(QApplication::font(&m).pointSize(), 17);
    EXPECT_EQ(QApplication::font(&m).family(), QApplication::font().family());
}

} // namespace
