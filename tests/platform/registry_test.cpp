// The registry file: typed values, keys, the file form and its atomic rewrite.
#include "platform/errors.h"
#include "platform/registry.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using tavi::ERegistryException;
using tavi::TRegDataType;
using tavi::TRegistry;
using tavitest::TempDir;

namespace {

TEST(Registry, ValuesSurviveARestart) {
    TempDir dir;
    const auto file = dir / "conf/registry.reg";
    const std::string bytes = std::string("pa\0ss\r\n\"q\\\xE1\xFF", 12);
    {
        TRegistry reg(file);
        EXPECT_FALSE(reg.OpenKey("SoftWare\\Tavi", false));
        ASSERT_TRUE(reg.OpenKey("SoftWare\\Tavi\\TaviSettings\\ANNA", true));
        reg.WriteBool("ToolBar", false);
        reg.WriteInteger("SoundEdit", -7);
        reg.WriteString("Plain", "Vi\xEA\xE4t \"Nam\" C:\\x");
        reg.WriteString("Bytes", bytes);
        reg.WriteExpandString("Path", "%HOME%/x");
        reg.CloseKey();
    }
    TRegistry reg(file);
    EXPECT_TRUE(reg.KeyExists("software\\tavi")); // parents exist, names ignore case
    ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\TAVI\\TAVISETTINGS\\anna\\", false));
    EXPECT_FALSE(reg.ReadBool("toolbar"));
    EXPECT_EQ(reg.ReadInteger("SoundEdit"), -7);
    EXPECT_EQ(reg.ReadString("Plain"), "Vi\xEA\xE4t \"Nam\" C:\\x");
    EXPECT_EQ(reg.ReadString("Bytes"), bytes);
    EXPECT_EQ(reg.ReadString("Path"), "%HOME%/x");
    EXPECT_EQ(reg.GetDataType("Path"), TRegDataType::rdExpandString);
    EXPECT_EQ(reg.ReadString("Missing"), "");
    struct stat st {};
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 077, 0u); // the file holds the mail password: private to the user
}

TEST(Registry, TypeRules) {
    TempDir dir;
    TRegistry reg(dir / "r.reg");
    ASSERT_TRUE(reg.OpenKey("K", true));
    reg.WriteString("S", "1");
    reg.WriteInteger("I", 1);
    EXPECT_THROW(reg.ReadInteger("S"), ERegistryException);
    EXPECT_THROW(reg.ReadBool("S"), ERegistryException);
    EXPECT_THROW(reg.ReadInteger("Missing"), ERegistryException);
    EXPECT_THROW(reg.ReadString("I"), ERegistryException);
    reg.CloseKey();
    EXPECT_THROW(reg.WriteString("S", "x"), ERegistryException); // no key open
}

TEST(Registry, ReadsHandWrittenFiles) {
    TempDir dir;
    tavitest::WriteFile(dir / "r.reg",
                        "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\A\\B]\r\n\"N\"=dword:0000002a\r\n"
                        "\"H\"=hex(1):41,42,\\\r\n  43,00\r\n@=\"default\"\r\n"
                        "garbage line\r\n[HKEY_LOCAL_MACHINE\\X]\r\n\"Z\"=\"z\"\r\n");
    TRegistry reg(dir / "r.reg");
    ASSERT_TRUE(reg.OpenKey("A\\B", false));
    EXPECT_EQ(reg.ReadInteger("N"), 42);
    EXPECT_EQ(reg.ReadString("H"), "ABC");
    EXPECT_EQ(reg.ReadString(""), "default");
    EXPECT_FALSE(reg.ValueExists("Z"));
    EXPECT_FALSE(reg.KeyExists("X"));
    // Rewriting a file with unreadable lines keeps the original beside it.
    reg.WriteInteger("N", 1);
    reg.CloseKey();
    EXPECT_TRUE(std::filesystem::exists(dir / "r.reg.bak"));
    EXPECT_NE(tavitest::ReadFile(dir / "r.reg.bak").find("garbage line"), std::string::npos);
}

TEST(Registry, AFailedWriteLeavesTheOldFile) {
    TempDir dir;
    const auto file = dir / "r.reg";
    {
        TRegistry reg(file);
        reg.OpenKey("K", true);
        reg.WriteInteger("V", 1);
        reg.CloseKey();
    }
    const std::string before = tavitest::ReadFile(file);
    TRegistry reg(file);
    reg.OpenKey("K", true);
    reg.WriteInteger("V", 2);
    std::filesystem::create_directory(dir / "r.reg.new"); // the temporary file cannot be made
    EXPECT_THROW(reg.Flush(), tavi::EFOpenError);
    EXPECT_EQ(tavitest::ReadFile(file), before);
    std::filesystem::remove(dir / "r.reg.new");
}

} // namespace
