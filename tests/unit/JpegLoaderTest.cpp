#include "platform/imaging/JpegLoader.h"

#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <filesystem>
#include <random>

#include "support/PictureFiles.h"
#include "support/TempDir.h"
#include "writer/DrawPicture.h"

namespace fs = std::filesystem;

namespace {

// 17 in images/ and 5 in www/Magick++/.
const char kRealJpegs[] = "/usr/share/doc/imagemagick-6-common/html";

int JpegColorspace(const std::vector<uint8_t>& jpeg) {
  tjhandle tj = tjInitDecompress();
  int w = 0, h = 0, sub = 0, cs = -1;
  tjDecompressHeader3(tj, jpeg.data(), jpeg.size(), &w, &h, &sub, &cs);
  tjDestroy(tj);
  return cs;
}

class JpegLoaderTest : public testing::Test {
 protected:
  void SetUp() override {
    if (ConvertTool().empty()) GTEST_SKIP() << "ImageMagick's /usr/bin/convert is not installed";
  }
  // Loads a JPEG made by convert from `source` with `options` and compares it with
  // ImageMagick's own decoding of the same file.
  void ExpectLikeImageMagick(const std::string& options, int wantColorspace, int largest, bool keepsColour = true) {
    const std::string source = dir_.file("source.png");
    ASSERT_TRUE(RunConvert("-size 61x37 gradient:'rgb(200,50,20)'-'rgb(10,120,240)' " + source));
    const std::string jpg = dir_.file("made.jpg");
    ASSERT_TRUE(RunConvert(source + " " + options + " " + jpg));
    EXPECT_EQ(JpegColorspace(ReadBytes(jpg)), wantColorspace);
    const auto loaded = LoadJpegFile(jpg);
    ASSERT_NE(loaded, nullptr);
    const auto reference = DecodeWithConvert(jpg);
    ASSERT_TRUE(reference);
    ASSERT_EQ(loaded->width(), 61);
    ASSERT_EQ(loaded->height(), 37);
    const PictureDifference d = Compare(*loaded, *reference);
    EXPECT_LE(d.largest, largest) << options;
    EXPECT_LE(d.mean, 1.0) << options;
    if (!keepsColour) return;
    // And near the picture that went in, within what JPEG loses.
    const auto original = DecodeWithConvert(source);
    ASSERT_TRUE(original);
    const PictureDifference o = Compare(*loaded, *original);
    EXPECT_LE(o.mean, 4.0) << options;
  }
  TempDir dir_;
};

}  // namespace

TEST_F(JpegLoaderTest, RealPhotographsLoadAsImageMagickSeesThem) {
  if (!fs::is_directory(kRealJpegs)) GTEST_SKIP() << kRealJpegs << " is missing (package imagemagick-6-doc)";
  int count = 0;
  for (const auto& entry : fs::recursive_directory_iterator(kRealJpegs)) {
    if (entry.path().extension() != ".jpg") continue;
    ++count;
    const std::string path = entry.path().string();
    const auto loaded = LoadJpegFile(path);
    ASSERT_NE(loaded, nullptr) << path;
    const auto reference = DecodeWithConvert(path);
    ASSERT_TRUE(reference) << path;
    ASSERT_EQ(loaded->width(), reference->width) << path;
    ASSERT_EQ(loaded->height(), reference->height) << path;
    const PictureDifference d = Compare(*loaded, *reference);
    EXPECT_LE(d.mean, 0.5) << path;
    EXPECT_LE(d.largest, 8) << path;
  }
  EXPECT_EQ(count, 22);
}

TEST_F(JpegLoaderTest, Baseline) { ExpectLikeImageMagick("-quality 90", TJCS_YCbCr, 2); }
TEST_F(JpegLoaderTest, Progressive) { ExpectLikeImageMagick("-interlace Plane -quality 90", TJCS_YCbCr, 2); }
TEST_F(JpegLoaderTest, Greyscale) { 
  ExpectLikeImageMagick("-colorspace Gray -quality 90", TJCS_GRAY, 2, false);
  const auto loaded = LoadJpegFile(dir_.file("made.jpg"));
  ASSERT_NE(loaded, nullptr);
  for (int x = 0; x < loaded->width(); x += 10) {
    const Rgb c = PixelOf(*loaded, x, 18);
    EXPECT_TRUE(c.r == c.g && c.g == c.b) << x;
  }
}
TEST_F(JpegLoaderTest, AdobeCmyk) { ExpectLikeImageMagick("-colorspace CMYK -quality 95", TJCS_YCCK, 3); }
TEST_F(JpegLoaderTest, ArithmeticCoded) { ExpectLikeImageMagick("-define jpeg:arithmetic-coding=true -quality 90", TJCS_YCbCr, 2); }

TEST_F(JpegLoaderTest, SolidColoursSurvive) {
  const std::string jpg = dir_.file("solid.jpg");
  ASSERT_TRUE(RunConvert("-size 40x30 xc:'rgb(200,10,90)' -colorspace CMYK -quality 100 " + jpg));
  const auto loaded = LoadJpegFile(jpg);
  ASSERT_NE(loaded, nullptr);
  const Rgb c = PixelOf(*loaded, 20, 15);
  EXPECT_NEAR(c.r, 200, 3);
  EXPECT_NEAR(c.g, 10, 3);
  EXPECT_NEAR(c.b, 90, 3);
}

// Where the first marker "FF code" at or after `from` starts.
size_t FindMarker(const std::vector<uint8_t>& jpeg, uint8_t code, size_t from = 2) {
  for (size_t i = from; i + 1 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && jpeg[i + 1] == code) return i;
  return jpeg.size();
}

TEST_F(JpegLoaderTest, DamagedFilesThatViewersShowLoadAsImageMagickShowsThem) {
  if (!fs::is_directory(kRealJpegs)) GTEST_SKIP() << kRealJpegs << " is missing (package imagemagick-6-doc)";
  for (const char* name : {"wizard.jpg", "bluebells_clipped.jpg", "objects.jpg"}) {
    const std::vector<uint8_t> intact = ReadBytes(std::string(kRealJpegs) + "/images/" + name);
    std::vector<uint8_t> stray = intact;  // two stray bytes before the end marker
    stray.insert(stray.end() - 2, {0x12, 0x34});
    for (const std::vector<uint8_t>& bytes :
         {stray, std::vector<uint8_t>(intact.begin(), intact.end() - 2),
          std::vector<uint8_t>(intact.begin(), intact.begin() + intact.size() * 6 / 10)}) {
      const std::string path = dir_.file("damaged.jpg");
      WriteBytes(path, bytes);
      const auto loaded = LoadJpegFile(path);
      const auto reference = DecodeWithConvert(path);
      ASSERT_TRUE(loaded && reference) << name << ", " << bytes.size() << " bytes";
      const PictureDifference d = Compare(*loaded, *reference);
      EXPECT_LE(d.mean, 0.5) << name << ", " << bytes.size() << " bytes";
      EXPECT_LE(d.largest, 8);
    }
  }
}

TEST_F(JpegLoaderTest, AFatalErrorAfterAWarningLoadsNothing) {
  if (!fs::is_directory(kRealJpegs)) GTEST_SKIP() << kRealJpegs << " is missing (package imagemagick-6-doc)";
  const std::string progressive = dir_.file("progressive.jpg");
  ASSERT_TRUE(RunConvert(std::string(kRealJpegs) + "/images/wizard.jpg -interlace Plane " + progressive));
  std::vector<uint8_t> bytes = ReadBytes(progressive);
  // Two stray bytes before the second scan (a warning), then a wrong length of its header (fatal).
  const size_t secondScan = FindMarker(bytes, 0xDA, FindMarker(bytes, 0xDA) + 2);
  ASSERT_LT(secondScan, bytes.size());
  bytes.insert(bytes.begin() + static_cast<ptrdiff_t>(secondScan), {0x12, 0x34});
  WriteBytes(dir_.file("warned.jpg"), bytes);
  EXPECT_NE(LoadJpegFile(dir_.file("warned.jpg")), nullptr);
  const size_t length = secondScan + 2 + 2;  // the marker moved 2 bytes on; its length follows it
  bytes[length] = 0x00, bytes[length + 1] = 0x03;
  WriteBytes(dir_.file("fatal.jpg"), bytes);
  EXPECT_EQ(LoadJpegFile(dir_.file("fatal.jpg")), nullptr);
}

TEST_F(JpegLoaderTest, DamagedFilesLoadNothingAndDrawOnlyTheBackground) {
  const std::string good = dir_.file("good.jpg");
  ASSERT_TRUE(RunConvert("-size 200x150 gradient:red-blue -quality 90 " + good));
  const std::vector<uint8_t> bytes = ReadBytes(good);
  ASSERT_NE(LoadJpegFile(good), nullptr);

  std::vector<std::pair<std::string, std::vector<uint8_t>>> cases;
  cases.emplace_back("headeronly.jpg", std::vector<uint8_t>(bytes.begin(), bytes.begin() + 200));
  cases.emplace_back("empty.jpg", std::vector<uint8_t>());
  std::mt19937 random(20240601);
  std::vector<uint8_t> noise(5000);
  for (auto& b : noise) b = static_cast<uint8_t>(random());
  cases.emplace_back("noise.jpg", noise);
  std::vector<uint8_t> noisySoi = noise;
  noisySoi[0] = 0xFF, noisySoi[1] = 0xD8;
  cases.emplace_back("noisesoi.jpg", noisySoi);
  // A picture that declares 60000 x 60000 pixels (10.8 GB as a bitmap).
  std::vector<uint8_t> huge = bytes;
  bool patched = false;
  for (size_t i = 2; i + 9 < huge.size() && !patched; ++i)
    if (huge[i] == 0xFF && (huge[i + 1] == 0xC0 || huge[i + 1] == 0xC2)) {
      huge[i + 5] = 0xEA, huge[i + 6] = 0x60, huge[i + 7] = 0xEA, huge[i + 8] = 0x60;
      patched = true;
    }
  ASSERT_TRUE(patched);
  cases.emplace_back("huge.jpg", huge);

  for (const auto& [name, data] : cases) {
    SCOPED_TRACE(name);
    WriteBytes(dir_.file(name), data);
    EXPECT_EQ(LoadJpegFile(dir_.file(name)), nullptr);
    EXPECT_EQ(LoadJpegMemory(data.data(), data.size()), nullptr);
  }

  // A PNG named .jpg.
  const std::string png = dir_.file("picture.jpg");
  ASSERT_TRUE(RunConvert("-size 40x30 xc:white png:" + png));
  EXPECT_EQ(LoadJpegFile(png), nullptr);
  const TColor bk = MakeColor(9, 99, 199);
  std::vector<uint8_t> bits(static_cast<size_t>(DibStride24(33)) * 20);
  BITMAPINFO header{};
  header.bmiHeader = BITMAPINFOHEADER{40, 33, 20, 1, 24, BI_RGB, 33 * 20 * 3, 0, 0, 0, 0};
  for (const char* name : {"picture.jpg", "headeronly.jpg", "huge.jpg", "empty.jpg"}) {
    RenderToDIB(dir_.file(name), bk, bits.data(), header);
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 33; ++x) ASSERT_EQ(PixelOf(bits, 33, 20, x, y), RgbOf(bk)) << name;
  }
}

TEST_F(JpegLoaderTest, FolderAndMissingFileLoadNothing) {
  fs::create_directories(dir_.path() / "folder.jpg");
  EXPECT_EQ(LoadJpegFile(dir_.file("folder.jpg")), nullptr);
  EXPECT_EQ(LoadJpegFile(dir_.file("absent.jpg")), nullptr);
  EXPECT_EQ(LoadJpegFile("/dev/zero"), nullptr);
}

TEST_F(JpegLoaderTest, SizeLimitIsCheckedBeforeDecoding) {
  const std::string jpg = dir_.file("limit.jpg");
  ASSERT_TRUE(RunConvert("-size 100x50 xc:gray " + jpg));
  const std::vector<uint8_t> data = ReadBytes(jpg);
  const size_t exact = static_cast<size_t>(DibStride24(100)) * 50;
  EXPECT_NE(LoadJpegMemory(data.data(), data.size(), exact), nullptr);
  EXPECT_EQ(LoadJpegMemory(data.data(), data.size(), exact - 1), nullptr);
}
