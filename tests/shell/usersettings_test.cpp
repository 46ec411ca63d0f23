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
    s.Options.AutoConvert = false;
    EXPECT_EQ(tavi::ReadUserSettings(reg, "BOB", s), 0);
    EXPECT_TRUE(reg.KeyExists(UserKey));
    EXPECT_TRUE(s.Options.ToolBar && s.Options.SpeechOn && s.Options.ControlChars &&
                s.Options.Vietnamese && s.Options.AutoConvert);
    EXPECT_FALSE(s.Options.SymbolMode);
    EXPECT_EQ(s.Options.SoundEdit, 1);
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
    reg.WriteInteger("RateVietnamese", 5);
    reg.CloseKey();
    TUserSettings s;
    EXPECT_EQ(tavi::ReadUserSettings(reg, "BOB", s), 4);
    EXPECT_EQ(s.Mail.MailSecurity,
              "implicit"); // read outside the chain: the stop does not reach it
    EXPECT_EQ(s.Mail.MailCaFile, "");
    EXPECT_EQ(s.Options.VietnameseRate, 5);
    EXPECT_EQ(s.Options.EnglishRate, 3); // missing: the normal step
    EXPECT_TRUE(s.Options.EnglishWords);
    EXPECT_FALSE(s.Options.ToolBar);
    EXPECT_FALSE(s.Options.SpeechOn);
    EXPECT_TRUE(s.Options.SymbolMode);
    EXPECT_FALSE(s.Options.ControlChars);
    EXPECT_TRUE(s.Options.Vietnamese);  // after the stop: default
    EXPECT_EQ(s.Mail.MailUser, "");     // after the stop: default
    EXPECT_TRUE(s.Options.AutoConvert); // set by the stop, whatever the key says
}

TEST(UserSettings, MistypedValueEndsTheReadingButMissingStringsDoNot) {
    TempDir dir;
    TRegistry reg(dir / "r.reg");
    TUserSettings written;
    written.Options.SoundEdit = 7;
    written.Mail.MailUser = "bob";
    written.Mail.InMail = ""; // an empty string reads as empty and goes on
    written.Print.PrinterIndex = 3;
    written.Options.AutoConvert = false;
    written.Mail.MailSecurity = "none";
    written.Mail.MailCaFile = "/etc/ca.pem";
    reg.OpenKey(UserKey, true);
    tavi::WriteUserSettings(reg, "BOB", written);
    TUserSettings s;
    EXPECT_EQ(tavi::ReadUserSettings(reg, "BOB", s), 18);
    EXPECT_EQ(s.Options.SoundEdit, 7);
    EXPECT_EQ(s.Print.PrinterIndex, 3);
    EXPECT_FALSE(s.Options.AutoConvert);
    EXPECT_EQ(s.Mail.MailSecurity, "none");
    EXPECT_EQ(s.Mail.MailCaFile, "/etc/ca.pem");
    reg.OpenKey(UserKey, false);
    reg.WriteString("Printer", "3"); // wrong type
    reg.CloseKey();
    TUserSettings t;
    EXPECT_EQ(tavi::ReadUserSettings(reg, "BOB", t), 12);
    EXPECT_EQ(t.Print.PrinterIndex, 0);
    EXPECT_TRUE(t.Options.AutoConvert);
}

TEST(UserSettings, TwoUsersAreIndependentAndShareDbtApp) {
    TempDir dir;
    {
        TRegistry reg(dir / "r.reg");
        TUserSettings a, b;
        tavi::ReadUserSettings(reg, "ANNA", a);
        tavi::ReadUserSettings(reg, "BOB", b);
        a.Options.ToolBar = false;
        a.Options.DbtPath = "/opt/dbt";
        tavi::WriteUserSettings(reg, "ANNA", a);
        b.Mail.MailUser = "bob";
        b.Options.DbtPath = "/opt/dbt";
        tavi::WriteUserSettings(reg, "BOB", b);
    }
    TRegistry reg(dir / "r.reg");
    TUserSettings a, b;
    tavi::ReadUserSettings(reg, "ANNA", a);
    tavi::ReadUserSettings(reg, "BOB", b);
    EXPECT_FALSE(a.Options.ToolBar);
    EXPECT_TRUE(b.Options.ToolBar);
    EXPECT_EQ(a.Mail.MailUser, "");
    EXPECT_EQ(b.Mail.MailUser, "bob");
    EXPECT_EQ(a.Options.DbtPath, "/opt/dbt");
    EXPECT_EQ(b.Options.DbtPath, "/opt/dbt");
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
        s.Mail.MailPassword = "Keep secret words safely";
        tavi::WriteUserSettings(reg, "BOB", s);
    }
    TRegistry reg(dir / "r.reg");
    TUserSettings s;
    tavi::ReadUserSettings(reg, "BOB", s);
    EXPECT_EQ(s.Mail.MailPassword, "Keep secret words safely");
}

} // namespace
