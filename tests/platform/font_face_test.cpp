// Finding face files on the Linux subset: the compatible folder's faces read through a
// cache that follows the folder and survives an unwritable cache folder, and the names the
// launcher and the stock fonts use resolved to the right file and style.
#ifndef _WIN32
#include "platform/linux/gdi/text/font_face.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using gdi_text::FaceLocation;
using gdi_text::FindFace;
using gdi_text::FolderFace;
using gdi_text::ReadFolderFaces;

constexpr const char* kFolder = "/usr/share/wine/fonts";

std::string FileName(const FolderFace& face) {
  return fs::path(face.location.file).filename().string();
}

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "launcher_fonts_XXXXXX").string();
    if (mkdtemp(pattern.data())) path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    if (!path_.empty()) fs::remove_all(path_, ignored);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

TEST(FaceLookup, FolderFacesComeFromACacheThatFollowsTheFolder) {
  if (!fs::exists(fs::path(kFolder) / "tahomabd.ttf")) GTEST_SKIP() << "no " << kFolder;
  TempFolder temp;
  ASSERT_FALSE(temp.path().empty());
  const fs::path fonts = temp.path() / "fonts";
  const fs::path cache = temp.path() / "cache";
  fs::create_directory(fonts);
  fs::copy_file(fs::path(kFolder) / "tahoma.ttf", fonts / "tahoma.ttf");
  fs::copy_file(fs::path(kFolder) / "sserife.fon", fonts / "sserife.fon");  // raster: left out

  std::vector<FolderFace> faces = ReadFolderFaces(fonts.string(), cache.string());
  ASSERT_EQ(1u, faces.size());
  EXPECT_EQ("tahoma.ttf", FileName(faces[0]));
  EXPECT_EQ(std::vector<std::string>{"Tahoma"}, faces[0].families);
  EXPECT_FALSE(faces[0].location.bold);
  EXPECT_FALSE(fs::is_empty(cache)) << "no cache written";

  // A file added after the cache was written is seen; the order is by file name.
  fs::copy_file(fs::path(kFolder) / "tahomabd.ttf", fonts / "tahomabd.ttf");
  faces = ReadFolderFaces(fonts.string(), cache.string());
  ASSERT_EQ(2u, faces.size());
  EXPECT_EQ("tahoma.ttf", FileName(faces[0]));
  EXPECT_EQ("tahomabd.ttf", FileName(faces[1]));
  EXPECT_TRUE(faces[1].location.bold);

  // A cache folder that cannot be made costs a read of the files, not even a complaint.
  const fs::path notAFolder = temp.path() / "file";
  std::ofstream(notAFolder) << "x";
  testing::internal::CaptureStderr();
  std::vector<FolderFace> uncached =
      ReadFolderFaces(fonts.string(), (notAFolder / "cache").string());
  EXPECT_EQ("", testing::internal::GetCapturedStderr());
  ASSERT_EQ(2u, uncached.size());
  EXPECT_EQ("tahomabd.ttf", FileName(uncached[1]));
  EXPECT_TRUE(uncached[1].location.bold);

  EXPECT_TRUE(ReadFolderFaces((temp.path() / "missing").string(), cache.string()).empty());
}

TEST(FaceLookup, NamesResolveToTheCompatibleFacesElseTheSystemsFonts) {
  if (!fs::exists(fs::path(kFolder) / "tahomabd.ttf")) GTEST_SKIP() << "no " << kFolder;
  struct Case {
    const char* name;
    bool bold;
    const char* file;  // in the folder
    bool boldFace;     // false where boldness is synthesised
  };
  const Case cases[] = {
      {"Tahoma", false, "tahoma.ttf", false},
      {"Tahoma", true, "tahomabd.ttf", true},
      {"TAHOMA", true, "tahomabd.ttf", true},
      {"MS Sans Serif", false, "ms_sans_serif.ttf", false},
      {"MS Sans Serif", true, "ms_sans_serif.ttf", false},
      {"System", true, "system.ttf", true},
      // Two files carry these families: the first by name, wherever the folder lies.
      {"Fixedsys", false, "fixedsys.ttf", false},
      {"Small Fonts", false, "small_fonts.ttf", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + (c.bold ? " bold" : ""));
    const FaceLocation face = FindFace(c.name, c.bold, false);
    EXPECT_EQ((fs::path(kFolder) / c.file).string(), face.file);
    EXPECT_EQ(c.boldFace, face.bold);
  }
  // Any other name is the system's to substitute, and gets some installed font.
  const FaceLocation other = FindFace("No Face By This Name", false, false);
  EXPECT_FALSE(other.file.empty());
  EXPECT_TRUE(fs::exists(other.file)) << other.file;
}

}  // namespace
#endif
