// Finding face files on the Linux subset: the compatible folder's faces read from their
// name tables, the system's configuration free of the user's, and the names the launcher
// and the stock fonts use resolved to the right file and style.
#ifndef _WIN32
#include "platform/linux/gdi/text/font_face.h"

#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
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

TEST(FaceLookup, FolderFacesComeFromTheirNameTablesAndWriteNothing) {
  if (!fs::exists(fs::path(kFolder) / "tahomabd.ttf")) GTEST_SKIP() << "no " << kFolder;
  TempFolder temp;
  ASSERT_FALSE(temp.path().empty());
  const fs::path fonts = temp.path() / "fonts";
  fs::create_directory(fonts);
  fs::copy_file(fs::path(kFolder) / "tahoma.ttf", fonts / "tahoma.ttf");
  fs::copy_file(fs::path(kFolder) / "sserife.fon", fonts / "sserife.fon");  // raster: left out
  // Files that only look like fonts: cut short, or no font at all.
  std::ofstream(fonts / "text.ttf") << "not a font";
  {
    std::ifstream in(fs::path(kFolder) / "tahoma.ttf", std::ios::binary);
    std::string head(300, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    std::ofstream(fonts / "cut.ttf", std::ios::binary) << head;
  }

  std::vector<FolderFace> faces = ReadFolderFaces(fonts.string());
  ASSERT_EQ(1u, faces.size());
  EXPECT_EQ("tahoma.ttf", FileName(faces[0]));
  EXPECT_EQ(std::vector<std::string>{"Tahoma"}, faces[0].families);
  EXPECT_FALSE(faces[0].location.bold);

  // A file added later is seen; the order is by file name.
  fs::copy_file(fs::path(kFolder) / "tahomabd.ttf", fonts / "tahomabd.ttf");
  faces = ReadFolderFaces(fonts.string());
  ASSERT_EQ(2u, faces.size());
  EXPECT_EQ("tahoma.ttf", FileName(faces[0]));
  EXPECT_EQ("tahomabd.ttf", FileName(faces[1]));
  EXPECT_TRUE(faces[1].location.bold);
  EXPECT_EQ(5, std::distance(fs::directory_iterator(fonts), fs::directory_iterator()))
      << "a file was written beside the fonts";

  EXPECT_TRUE(ReadFolderFaces((temp.path() / "missing").string()).empty());
}

// The system's fonts answer a name the folder lacks whatever the environment says: a
// configuration named by FONTCONFIG_FILE, FONTCONFIG_PATH, FONTCONFIG_SYSROOT or in the
// user's folders would have that name answered by the folder's Tahoma. In a process of its
// own, so the configuration is loaded under that environment.
TEST(FaceLookup, TheUsersFontConfigurationIsNotRead) {
  if (!fs::exists(fs::path(kFolder) / "tahoma.ttf")) GTEST_SKIP() << "no " << kFolder;
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  TempFolder temp;
  ASSERT_FALSE(temp.path().empty());
  const std::string steer =
      "<fontconfig><match><test name=\"family\"><string>Steered Face</string></test>"
      "<edit name=\"family\" mode=\"assign\" binding=\"strong\"><string>Tahoma</string>"
      "</edit></match><selectfont><rejectfont><glob>/usr/share/fonts/*</glob></rejectfont>"
      "</selectfont></fontconfig>";
  for (const char* file : {"fonts.conf", "local.conf", "conf.d/00-steer.conf",
                           "fontconfig/fonts.conf", "etc/fonts/fonts.conf"}) {
    fs::create_directories((temp.path() / file).parent_path());
    std::ofstream(temp.path() / file) << steer;
  }
  const std::string root = temp.path().string();
  EXPECT_EXIT(
      {
        setenv("FONTCONFIG_FILE", (root + "/fonts.conf").c_str(), 1);
        setenv("FONTCONFIG_PATH", root.c_str(), 1);
        setenv("FONTCONFIG_SYSROOT", root.c_str(), 1);
        setenv("HOME", root.c_str(), 1);
        setenv("XDG_CONFIG_HOME", root.c_str(), 1);
        const FaceLocation face = FindFace("Steered Face", false, false);
        const bool system = !face.file.empty() && face.file.rfind(kFolder, 0) != 0;
        fprintf(stderr, "answer: %s\n", face.file.c_str());
        _exit(system ? 0 : 1);
      },
      testing::ExitedWithCode(0), "answer: /");
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
  // A bitmap-only face of the folder answers its own name, never in place of another.
  EXPECT_EQ((fs::path(kFolder) / "courier.ttf").string(), FindFace("Courier", false, false).file);
  EXPECT_NE((fs::path(kFolder) / "courier.ttf").string(),
            FindFace("Courier New", false, false).file);
}

}  // namespace
#endif
