#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "support/RegistryStore.h"
#include "platform/registry/Registry.h"

namespace {

constexpr const char* kKey = "\\Software\\Korvane\\Vistrel";
constexpr const char* kSection = "[HKEY_CURRENT_USER\\Software\\Korvane\\Vistrel]";

class Registry : public RegistryStoreTest {};

TEST_F(Registry, EscapesQuotesBackslashesAndKeepsUtf8) {
  const std::string text = "C:\\Bilder \"Urlaub\" Gr\xC3\xBC\xC3\x9F" "e\\";
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kKey, true));
    reg.WriteString("Say \"Hi\"\\", text);
  }
  EXPECT_NE(StoreText().find("\"Say \\\"Hi\\\"\\\\\"=\"C:\\\\Bilder \\\"Urlaub\\\" Gr\xC3\xBC\xC3\x9F" "e\\\\\"\n"),
            std::string::npos)
      << StoreText();
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(kKey, false));
  std::string back;
  ASSERT_EQ(reg.ReadString("Say \"Hi\"\\", back), RegRead::Ok);
  EXPECT_EQ(back, text);
}

TEST_F(Registry, TextWithLineBreaksSurvivesAsWrappedHex) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(kKey, true));
  reg.WriteString("Short", "one\r\ntwo");
  EXPECT_NE(StoreText().find("\"Short\"=hex(1):6f,6e,65,0d,0a,74,77,6f,00\n"), std::string::npos) << StoreText();
  std::string longText;
  for (int i = 0; i < 30; ++i) longText += "line\n";
  reg.WriteString("Long", longText);
  const std::string file = StoreText();
  for (std::size_t start = 0, end; (end = file.find('\n', start)) != std::string::npos; start = end + 1) {
    EXPECT_LE(end - start, 80u);
  }
  std::string back;
  ASSERT_EQ(reg.ReadString("Short", back), RegRead::Ok);
  EXPECT_EQ(back, "one\r\ntwo");
  ASSERT_EQ(reg.ReadString("Long", back), RegRead::Ok);
  EXPECT_EQ(back, longText);
}

TEST_F(Registry, IntegersAreSignedDwords) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(kKey, true));
  reg.WriteInteger("Minus", -7);
  reg.WriteInteger("Ten", 10);
  EXPECT_EQ(StoreText(), std::string("REGEDIT4\n\n") + kSection +
                             "\n\"Minus\"=dword:fffffff9\n\"Ten\"=dword:0000000a\n\n");
  int32_t value = 0;
  ASSERT_EQ(reg.ReadInteger("minus", value), RegRead::Ok);  // names ignore case
  EXPECT_EQ(value, -7);
}

TEST_F(Registry, ReadsTellMissingFromWrongType) {
  WriteStoreText(std::string("REGEDIT4\n\n") + kSection + "\n\"Text\"=\"320\"\n\"Number\"=dword:00000140\n");
  TRegistry reg;
  int32_t n = 0;
  std::string s;
  EXPECT_EQ(reg.ReadInteger("Number", n), RegRead::NotOpen);
  ASSERT_TRUE(reg.OpenKey(kKey, false));
  EXPECT_EQ(reg.ReadInteger("Text", n), RegRead::WrongType);
  EXPECT_EQ(reg.ReadString("Number", s), RegRead::WrongType);
  EXPECT_EQ(reg.ReadInteger("Nothing", n), RegRead::Missing);
  EXPECT_EQ(reg.ReadString("Nothing", s), RegRead::Missing);
  ASSERT_EQ(reg.ReadInteger("Number", n), RegRead::Ok);
  EXPECT_EQ(n, 320);
}

TEST_F(Registry, ReadsRegeditFilesWithCrLfContinuationsAndExpandTexts) {
  WriteStoreText(
      "\xEF\xBB\xBFREGEDIT4\r\n\r\n; exported\r\n[HKEY_CURRENT_USER\\Software\\Other]\r\n@=\"x\"\r\n\r\n"
      "[hkey_current_user\\software\\korvane\\vistrel]\r\n"
      "\"Path\"=hex(2):25,48,4f,4d,45,25,2f,\\\r\n  61,00,62,00\r\n"
      "\"Short\"=dword:a\r\n"
      "\"Strings\"=hex(7):61,00,00\r\n");
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(kKey, false));
  std::string s;
  ASSERT_EQ(reg.ReadString("Path", s), RegRead::Ok);
  EXPECT_EQ(s, "%HOME%/a");  // not expanded, cut at the first zero
  int32_t n = 0;
  ASSERT_EQ(reg.ReadInteger("Short", n), RegRead::Ok);
  EXPECT_EQ(n, 10);
  EXPECT_EQ(reg.ReadString("Strings", s), RegRead::WrongType);

  reg.WriteInteger("Short", 11);  // everything else must come through the rewrite
  const std::string after = StoreText();
  EXPECT_NE(after.find("[HKEY_CURRENT_USER\\Software\\Other]\n@=\"x\"\n"), std::string::npos) << after;
  EXPECT_NE(after.find("\"Path\"=hex(2):25,48,4f,4d,45,25,2f,61,00,62,00\n"), std::string::npos) << after;
  EXPECT_NE(after.find("\"Strings\"=hex(7):61,00,00\n"), std::string::npos) << after;
  EXPECT_NE(after.find("\"Short\"=dword:0000000b\n"), std::string::npos) << after;
}

TEST_F(Registry, LinesItCannotReadAreSkippedAndKeptThroughAWrite) {
  for (const char* body : {"\"A\"=-", "\"A\"=dword:123456789", "\"A\"=\"x\\n\"", "\"A\"=\"open", "\"A\"=hex:4g",
                           "; a comment", "[-HKEY_CURRENT_USER\\X]\n\"A\"=dword:00000001", "\"A\"=hex:41,\\\n  4z",
                           "\"A\"=hex:41,\\"}) {
    WriteStoreText(std::string("REGEDIT4\n\n") + kSection + "\n\"B\"=dword:00000002\n" + body + "\n");
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kKey, false)) << body;
    int32_t n = 0;
    EXPECT_EQ(reg.ReadInteger("A", n), RegRead::Missing) << body;
    EXPECT_EQ(reg.ReadInteger("B", n), RegRead::Ok) << body;
    reg.WriteInteger("D", 4);  // the unread lines follow the values of their section
    EXPECT_NE(StoreText().find("\"D\"=dword:00000004\n" + std::string(body) + "\n"), std::string::npos);
  }
  WriteStoreText("\"A\"=\"no header\"\n");
  EXPECT_FALSE(TRegistry().OpenKey(kKey, false));
}

TEST_F(Registry, NoValueEverChangesKeyAndBlanksBeforeALineAreSkipped) {
  const std::string other = "[HKEY_CURRENT_USER\\Software\\Other]\n", top = "\"Top\"=dword:00000003\n";
  // A comment ending in "\", an indented header or value, a hex list cut off by a header.
  for (const std::string& text : {other + "; folder C:\\temp\\\n" + kSection + "\n" + top,
                                  other + "  " + kSection + "\n" + top, std::string(kSection) + "\n  " + top,
                                  other + "\"A\"=hex:41,\\\n" + kSection + "\n" + top}) {
    WriteStoreText("REGEDIT4\n\n" + text);
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kKey, false)) << text;
    reg.WriteInteger("Left", 4);
    const std::string after = StoreText();
    EXPECT_NE(after.find(kSection + ("\n" + top) + "\"Left\"=dword:00000004\n"), std::string::npos) << after;
    EXPECT_EQ(after.find(kSection), after.rfind(kSection)) << after;
  }
}

TEST_F(Registry, ALargeStoreIsReadOnceAndInLinearTime) {
  // Far more than any real store; each read parsing it again, or a parse that
  // compares every value with every other, would not end within the test's time-out.
  std::string text = std::string("REGEDIT4\n\n") + kSection + "\n";
  for (int i = 0; i < 100000; ++i) text += "\"Value " + std::to_string(i) + "\"=dword:" + std::string(8, '0') + "\n";
  WriteStoreText(text);
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(kKey, false));
  WriteStoreText("REGEDIT4\n");  // the reads keep to what OpenKey read
  for (int i = 99968; i < 100000; ++i) {
    int32_t n = -1;
    EXPECT_EQ(reg.ReadInteger("value " + std::to_string(i), n), RegRead::Ok);
  }
}

TEST_F(Registry, AStoreWithoutWritePermissionIsReadButNotRewritten) {
  const std::string text = std::string("REGEDIT4\n\n") + kSection + "\n\"Top\"=dword:00000003\n";
  WriteStoreText(text);
  std::filesystem::permissions(storeFile_, std::filesystem::perms::owner_read);
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(kKey, true));
  EXPECT_THROW(reg.WriteInteger("Top", 4), ERegistryException);
  EXPECT_EQ(StoreText(), text);
}

TEST_F(Registry, DamagedStoresAreMovedAsideAndNoBackupIsOverwritten) {
  const std::string oversized = "REGEDIT4\n;" + std::string(5 << 20, 'x') + "\n";
  const std::vector<std::string> damaged = {"no header\n", "still no header\n", oversized};
  for (const std::string& text : damaged) {
    WriteStoreText(text);
    TRegistry reg;
    EXPECT_FALSE(reg.OpenKey(kKey, false));
    ASSERT_TRUE(reg.OpenKey(kKey, true));  // a fresh store
  }
  for (std::size_t i = 0; i < damaged.size(); ++i) {
    std::ifstream in(storeFile_ + (i == 0 ? ".bak" : ".bak." + std::to_string(i)), std::ios::binary);
    EXPECT_TRUE(std::string(std::istreambuf_iterator<char>(in), {}) == damaged[i]) << "generation " << i;
  }
}

TEST_F(Registry, AStoreOfTheLongestNameAFolderTakesIsWrittenLockedAndKept) {
  UseStoreFile(dir_.file(std::string(255, 'r')));
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(kKey, true));
  WriteStoreText("damaged\n");
  reg.WriteInteger("Top", 3);  // moves it aside under a name that fits
  std::set<std::string> names;  // no temporary file is left
  for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) names.insert(entry.path().filename());
  EXPECT_EQ(names, (std::set<std::string>{std::string(251, 'r') + ".bak", std::string(250, 'r') + ".lock",
                                          std::string(255, 'r')}));
}

TEST_F(Registry, AWriteThatWouldPassTheSizeLimitIsRefusedAndTheStoreKept) {
  // Under 4 MB as others wrote it; spelt out as dword:00000001 it would pass them.
  std::string text = std::string("REGEDIT4\n\n") + kSection + "\n";
  for (int i = 0; i < 200000; ++i) text += "\"" + std::to_string(1000000 + i) + "\"=dword:1\n";
  WriteStoreText(text);
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(kKey, false));
  try {
    reg.WriteInteger("Top", 3);
    FAIL() << "no exception";
  } catch (const ERegistryException& e) {
    EXPECT_EQ(e.what(), "Fehler beim Setzen der Daten f\xC3\xBCr 'Top'\n" + storeFile_ +
                            ": the settings would take more than the 4 MB a settings file may hold");
  }
  EXPECT_TRUE(StoreText() == text);
  EXPECT_FALSE(std::filesystem::exists(storeFile_ + ".bak"));
}

TEST_F(Registry, ConcurrentWritersLoseNoValue) {
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kKey, true));
  }
  constexpr int kEach = 40;
  std::atomic<int> failures{0};
  auto writer = [&](const std::string& prefix) {
    TRegistry reg;
    if (!reg.OpenKey(kKey, false)) return;
    for (int i = 0; i < kEach; ++i) {
      try {
        reg.WriteInteger(prefix + std::to_string(i), i);
      } catch (const ERegistryException&) {
        ++failures;
      }
    }
  };
  std::thread a(writer, "A"), b(writer, "B");
  a.join();
  b.join();
  EXPECT_EQ(failures, 0);
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(kKey, false));
  for (const char* prefix : {"A", "B"}) {
    for (int i = 0; i < kEach; ++i) {
      int32_t n = -1;
      EXPECT_EQ(reg.ReadInteger(prefix + std::to_string(i), n), RegRead::Ok) << prefix << i;
      EXPECT_EQ(n, i);
    }
  }
}

TEST_F(Registry, WritingThroughALinkKeepsTheLinkAndTouchesNoOtherFile) {
  const std::string real = dir_.file("real.reg");
  std::filesystem::create_symlink(real, dir_.file("link.reg"));
  UseStoreFile(dir_.file("link.reg"));
  const auto text = [](const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  std::ofstream(dir_.file("other")) << "other";
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(kKey, true));
  // The store's name with ".tmp": an AVI written there, then a link to another file.
  for (const bool link : {false, true}) {
    std::filesystem::remove(real + ".tmp");
    if (link) std::filesystem::create_symlink(dir_.file("other"), real + ".tmp");
    else std::ofstream(real + ".tmp") << "video";
    reg.WriteInteger("Top", link ? 4 : 3);
    EXPECT_EQ(text(real + ".tmp"), link ? "other" : "video");
    EXPECT_EQ(std::filesystem::is_symlink(real + ".tmp"), link);
    EXPECT_NE(text(real).find(link ? "\"Top\"=dword:00000004" : "\"Top\"=dword:00000003"), std::string::npos);
  }
  EXPECT_TRUE(std::filesystem::is_symlink(dir_.file("link.reg")));
}

TEST(RegistryFileName, FollowsTheConfigFolder) {
  const auto saved = [](const char* name) -> std::optional<std::string> {
    const char* v = std::getenv(name);
    return v ? std::optional<std::string>(v) : std::nullopt;
  };
  const auto file = saved("VISTREL_REGISTRY_FILE"), xdg = saved("XDG_CONFIG_HOME"), home = saved("HOME");
  unsetenv("VISTREL_REGISTRY_FILE");
  setenv("HOME", "/home/someone", 1);
  setenv("XDG_CONFIG_HOME", "/cfg", 1);
  EXPECT_EQ(TRegistry::DefaultFileName(), "/cfg/vistrel/registry.reg");
  setenv("XDG_CONFIG_HOME", "relative", 1);  // not absolute: ignored
  EXPECT_EQ(TRegistry::DefaultFileName(), "/home/someone/.config/vistrel/registry.reg");
  setenv("VISTREL_REGISTRY_FILE", "/elsewhere/r.reg", 1);
  EXPECT_EQ(TRegistry::DefaultFileName(), "/elsewhere/r.reg");
  auto restore = [](const char* name, const std::optional<std::string>& v) {
    v ? setenv(name, v->c_str(), 1) : unsetenv(name);
  };
  restore("VISTREL_REGISTRY_FILE", file);
  restore("XDG_CONFIG_HOME", xdg);
  restore("HOME", home);
}

}  // namespace
