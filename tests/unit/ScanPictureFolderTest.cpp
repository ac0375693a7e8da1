#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "console/ScanPictureFolder.h"
#include "platform/text/CompareText.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

namespace {

void Touch(const fs::path& file) { std::ofstream(file) << "x"; }

Names Prefixed(const std::string& folder, const Names& names) {
  Names paths;
  for (const auto& name : names) paths.push_back(folder + "/" + name);
  return paths;
}

Names Scan(const std::string& folder) {
  std::error_code error;
  Names pictures = ScanPictureFolder(folder, error);
  EXPECT_FALSE(error) << error.message();
  return pictures;
}

}  // namespace

TEST(ScanPictureFolder, SortsWithoutRegardToCaseAndKeepsEachFilesOwnName) {
  TempDir dir;
  for (const char* name : {"c.jpg", "A.JPG", "b.Jpg"}) Touch(dir.path() / name);
  const Names pictures = Scan(dir.path().string());
  EXPECT_EQ(pictures, Prefixed(dir.path().string(), {"A.JPG", "b.Jpg", "c.jpg"}));
  for (const auto& path : pictures) EXPECT_TRUE(fs::is_regular_file(path)) << path;
}

TEST(ScanPictureFolder, TakesOnlyVisibleJpgFilesAndLinksToThem) {
  TempDir dir;
  for (const char* name : {"a.jpg", ".hidden.jpg", ".jpg", "b.png", "c.jpeg", "d.jpg.bak", "jpg", "e.bmp"}) {
    Touch(dir.path() / name);
  }
  fs::create_directory(dir.path() / "x.jpg");
  Touch(dir.path() / "x.jpg" / "inner.jpg");
  fs::create_symlink("a.jpg", dir.path() / "link.jpg");
  fs::create_symlink("missing.jpg", dir.path() / "broken.jpg");
  fs::create_directory_symlink("x.jpg", dir.path() / "folderlink.jpg");
  EXPECT_EQ(Scan(dir.path().string()), Prefixed(dir.path().string(), {"a.jpg", "link.jpg"}));
}

TEST(ScanPictureFolder, FolderWithTrailingSlashIsNotDoubled) {
  TempDir dir;
  Touch(dir.path() / "one.jpg");
  EXPECT_EQ(Scan(dir.path().string() + "/"), Prefixed(dir.path().string(), {"one.jpg"}));
}

TEST(ScanPictureFolder, MissingFolderOrFileGivesNoneAndSaysWhy) {
  TempDir dir;
  Touch(dir.path() / "a.jpg");
  for (const char* name : {"absent", "a.jpg"}) {
    std::error_code error;
    EXPECT_TRUE(ScanPictureFolder((dir.path() / name).string(), error).empty()) << name;
    EXPECT_TRUE(error) << name;
  }
  fs::create_directory(dir.path() / "empty");
  EXPECT_TRUE(Scan((dir.path() / "empty").string()).empty());  // an empty folder is no error
}

TEST(ScanPictureFolder, DigitsAndPunctuationSortBeforeLetters) {
  TempDir dir;
  for (const char* name : {"b.jpg", "_a.jpg", "B1.JPG", "a_b.jpg", "aab.jpg", "10.jpg", "9.jpg"}) {
    Touch(dir.path() / name);
  }
  EXPECT_EQ(Scan(dir.path().string()),
            Prefixed(dir.path().string(), {"10.jpg", "9.jpg", "_a.jpg", "a_b.jpg", "aab.jpg", "b.jpg", "B1.JPG"}));
}

TEST(CompareTextIgnoreCase, LettersOfAnyScriptAreComparedByTheirLowerCase) {
  EXPECT_LT(CompareTextIgnoreCase("apple", "Banana"), 0);
  EXPECT_GT(CompareTextIgnoreCase("Zebra", "apple"), 0);
  EXPECT_LT(CompareTextIgnoreCase("ab", "ABC"), 0);
  // \xC3\x89 is E acute, \xC3\xA9 e acute, \xC3\xB6 o umlaut.
  EXPECT_LT(CompareTextIgnoreCase("\xC3\xA9t\xC3\xA9 a", "\xC3\x89T\xC3\x89 b"), 0);
  EXPECT_GT(CompareTextIgnoreCase("\xC3\x96l", "\xC3\xB6k"), 0);
}

TEST(CompareTextIgnoreCase, TextsDifferingInCaseOnlyStillHaveAFixedOrder) {
  EXPECT_EQ(CompareTextIgnoreCase("Same", "Same"), 0);
  const int upperFirst = CompareTextIgnoreCase("A.JPG", "a.jpg");
  EXPECT_NE(upperFirst, 0);
  EXPECT_EQ(CompareTextIgnoreCase("a.jpg", "A.JPG"), -upperFirst);
  // Malformed UTF-8 bytes are not alike to any character.
  EXPECT_NE(CompareTextIgnoreCase("\xC3", "\xC3\x83"), 0);
}
