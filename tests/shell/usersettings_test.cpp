// Reading and writing the per-user settings.
#include "shell/usersettings.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

using tavi::TRegistry;
using tavi::TUserSettings;
using tavitest::TempDir;

namespace {

const std::string UserKey = std::string(tavi::SettingsKey) + "\\BOB";

TEST(UserSettings, FirstRunCreatesTheKeyAndKeepsDefaults) {
    TempDir dir;
    TRegistry reg(dir / "r.reg");
    TUserSettings s;
    s.AutoCnv = false;
    EXPECT_EQ(tavi::ReadUserSettings(reg, "BOB", s), 0);
    EXPECT_TRUE(reg.KeyExists(UserKey));
    EXPECT_TRUE(s.ToolBar && s.SoundMode && s.SoundCtrlChar && s.LangSpeak && s.AutoCnv);
    EXPECT_FALSE(s.SoundSymbolMode);
    EXPECT_EQ(s.SoundEdit, 1);
}

TEST(UserSettings, MissingSoundEditEndsTheReading) {
    TempDir dir;
    TRegistry reg(dir / "r.reg");
    reg.OpenKey(UserKey, true);
    reg.WriteBool("ToolBar", false);
    reg.WriteBool("SoundMode", false);
    reg.WriteBool("SoundSymbolMode", true);
    reg.WriteBool("SoundCtrlChar", false);
    reg.WriteBool("LangSpeak", false);
    reg.WriteString("MailUser", "bob");
    reg.WriteBool("AutoCnv", false);
    reg.WriteString("MailSecurity", "implicit");
    reg.CloseKey();
    TUserSettings s;
    EXPECT_EQ(tavi::ReadUserSettings(reg, "BOB", s), 4);
    EXPECT_EQ(s.MailSecurity, "implicit"); // read outside the chain: the stop does not reach it
    EXPECT_EQ(s.MailCaFile, "");
    EXPECT_FALSE(s.ToolBar);
    EXPECT_FALSE(s.SoundMode);
    EXPECT_TRUE(s.SoundSymbolMode);
    EXPECT_FALSE(s.SoundCtrlChar);
    EXPECT_TRUE(s.LangSpeak);  // after the stop: default
    EXPECT_EQ(s.MailUser, ""); // after the stop: default
    EXPECT_TRUE(s.AutoCnv);    // set by the stop, whatever the key says
}

TEST(UserSettings, MistypedValueEndsTheReadingButMissingStringsDoNot) {
    TempDir dir;
    TRegistry reg(dir / "r.reg");
    TUserSettings written;
    written.SoundEdit = 7;
    written.MailUser = "bob";
    written.InMail = ""; // an empty string reads as empty and goes on
    written.Printer = 3;
    written.AutoCnv = false;
    written.MailSecurity = "none";
    written.MailCaFile = "/etc/ca.pem";
    reg.OpenKey(UserKey, true);
    tavi::WriteUserSettings(reg, "BOB", written);
    TUserSettings s;
    EXPECT_EQ(tavi::ReadUserSettings(reg, "BOB", s), 18);
    EXPECT_EQ(s.SoundEdit, 7);
    EXPECT_EQ(s.Printer, 3);
    EXPECT_FALSE(s.AutoCnv);
    EXPECT_EQ(s.MailSecurity, "none");
    EXPECT_EQ(s.MailCaFile, "/etc/ca.pem");
    reg.OpenKey(UserKey, false);
    reg.WriteString("Printer", "3"); // wrong type
    reg.CloseKey();
    TUserSettings t;
    EXPECT_EQ(tavi::ReadUserSettings(reg, "BOB", t), 12);
    EXPECT_EQ(t.Printer, 0);
    EXPECT_TRUE(t.AutoCnv);
}

TEST(UserSettings, TwoUsersAreIndependentAndShareDbtApp) {
    TempDir dir;
    {
        TRegistry reg(dir / "r.reg");
        TUserSettings a, b;
        tavi::ReadUserSettings(reg, "ANNA", a);
        tavi::ReadUserSettings(reg, "BOB", b);
        a.ToolBar = false;
        a.DbtApp = "/opt/dbt";
        tavi::WriteUserSettings(reg, "ANNA", a);
        b.MailUser = "bob";
        b.DbtApp = "/opt/dbt";
        tavi::WriteUserSettings(reg, "BOB", b);
    }
    TRegistry reg(dir / "r.reg");
    TUserSettings a, b;
    tavi::ReadUserSettings(reg, "ANNA", a);
    tavi::ReadUserSettings(reg, "BOB", b);
    EXPECT_FALSE(a.ToolBar);
    EXPECT_TRUE(b.ToolBar);
    EXPECT_EQ(a.MailUser, "");
    EXPECT_EQ(b.MailUser, "bob");
    EXPECT_EQ(a.DbtApp, "/opt/dbt");
    EXPECT_EQ(b.DbtApp, "/opt/dbt");
}

TEST(UserSettings, PasswordMasking) {
    const std::string longPassword = "a password of 24 bytes!!";
    const std::string masked = tavi::MaskPassword(longPassword);
    EXPECT_EQ(masked.substr(15), longPassword.substr(15)); // the tail stays readable
    EXPECT_NE(masked.substr(0, 15), longPassword.substr(0, 15));
    EXPECT_EQ(tavi::MaskPassword(masked), longPassword);
    // A byte equal to the mask byte becomes NUL; the registry must keep it.
    TempDir dir;
    {
        TRegistry reg(dir / "r.reg");
        TUserSettings s;
        tavi::ReadUserSettings(reg, "BOB", s);
        s.PassWord = "Keep secret words safely";
        tavi::WriteUserSettings(reg, "BOB", s);
    }
    TRegistry reg(dir / "r.reg");
    TUserSettings s;
    tavi::ReadUserSettings(reg, "BOB", s);
    EXPECT_EQ(s.PassWord, "Keep secret words safely");
}

} // namespace
