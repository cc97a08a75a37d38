#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "common/DataFolder.h"
#include "common/IniFile.h"
#include "common/Prompt.h"
#include "common/TextCodec.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"
#include "common/PathText.h"
#include "platform/System.h"

using namespace vlm;
namespace fs = std::filesystem;

using test::TTempDir;

TEST(IniFile, KeepsOrderWritesCp1251AndReadsBack) {
  const TTempDir dir("ini");
  const fs::path path = dir / "velmor.ini";
  {
    TIniFile ini(path.string());
    ini.WriteString("Velmor", "DestIP", "192.168.0.5");
    ini.WriteInteger("Velmor", "Attempts", 3);
    ini.WriteString("IPList", "Место", "Подстанция №1");
    ini.WriteBool("Velmor", "ShowErrors", true);
    ASSERT_TRUE(ini.UpdateFile());
  }
  std::string raw;
  ASSERT_TRUE(ReadWholeFile(path, raw));
  EXPECT_EQ(raw, Utf8ToCp1251("[Velmor]\r\nDestIP=192.168.0.5\r\nAttempts=3\r\nShowErrors=1\r\n\r\n"
                              "[IPList]\r\nМесто=Подстанция №1\r\n\r\n"));
  TIniFile again(path.string());
  EXPECT_EQ(again.ReadString("velmor", "destip", ""), "192.168.0.5");
  EXPECT_EQ(again.ReadString("IPList", "Место", ""), "Подстанция №1");
  EXPECT_TRUE(again.ReadBool("Velmor", "ShowErrors", false));
  EXPECT_EQ(again.ReadSection("Velmor"), (std::vector<std::string>{"DestIP", "Attempts", "ShowErrors"}));
}

TEST(IniFile, BadValuesGiveDefaults) {
  const TTempDir dir("inibad");
  const fs::path path = dir / "x.ini";
  ASSERT_TRUE(WriteFileAtomically(path, "garbage line\n[S]\nA=12x\nB=\nC= 7 \nnoequals\nD=$1F\n"));
  TIniFile ini(path.string());
  EXPECT_EQ(ini.ReadInteger("S", "A", 5), 5);
  EXPECT_EQ(ini.ReadInteger("S", "B", 6), 6);
  EXPECT_EQ(ini.ReadInteger("S", "C", 0), 7);
  EXPECT_EQ(ini.ReadInteger("S", "D", 0), 31);
  EXPECT_EQ(ini.ReadInteger("S", "Missing", -1), -1);
  EXPECT_EQ(ini.ReadString("Nowhere", "A", "def"), "def");
  ini.EraseSection("S");
  EXPECT_FALSE(ini.SectionExists("S"));
}

TEST(DataFolder, HomeOverridesAndNamesAreSanitised) {
  const TTempDir temp("home");
  const fs::path& home = temp.Path();
  platform::SetEnvironment("VELMOR_HOME", PathToUtf8(home));
  EXPECT_EQ(DataFolder(), home);
  EXPECT_EQ(SettingsIniPath(), home / "velmor.ini");
  EXPECT_TRUE(fs::is_directory(DataSubfolder("Cfg")));
  EXPECT_EQ(SanitizeFileName("A/B:C"), "ABC");
  EXPECT_EQ(SanitizeFileName("..\\..\\etc"), "....etc");
  EXPECT_EQ(SanitizeFileName(".."), "");
  platform::SetEnvironment("VELMOR_HOME", "");
}

TEST(DataFolder, AtomicWriteLeavesOldFileOnFailure) {
  const TTempDir dir("atomic");
  ASSERT_TRUE(WriteFileAtomically(dir / "a.cfg", "old"));
  EXPECT_FALSE(WriteFileAtomically(dir / "missing" / "a.cfg", "new"));
  std::string s;
  ASSERT_TRUE(ReadWholeFile(dir / "a.cfg", s));
  EXPECT_EQ(s, "old");
  EXPECT_FALSE(fs::exists(dir / "a.cfg.tmp"));
  // A folder in place of a file is a refusal, not an exception out of the stream buffer.
  EXPECT_NO_THROW(EXPECT_FALSE(ReadWholeFile(dir.Path(), s)));
  EXPECT_FALSE(ReadWholeFile(dir / "missing.cfg", s));
}

TEST(Prompt, ScriptedAnswersAndAbort) {
  ScriptedPrompt fake;
  fake.answers = {TAnswer::No};
  PromptGuard guard(fake);
  ShowError("Ошибка");
  EXPECT_EQ(AskYesNo("Продолжить?"), TAnswer::No);
  EXPECT_EQ(AskYesNo("Ещё?"), TAnswer::Yes);
  EXPECT_EQ(fake.errors, std::vector<std::string>{"Ошибка"});
  EXPECT_EQ(fake.questions.size(), 2u);
  EXPECT_THROW(Abort(), EAbort);
}
