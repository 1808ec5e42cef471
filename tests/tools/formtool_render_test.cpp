// `formtool render` run as authors run it: the launcher's compiled definition drawn as the
// launcher shows it, and every failure reported in one line with no output left behind.
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <png.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> rgb;  // 3 bytes a pixel, top row first
  const unsigned char* At(int x, int y) const {
    return &rgb[(static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3];
  }
};

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream data;
  data << in.rdbuf();
  return std::move(data).str();
}

void WriteBytes(const fs::path& path, const std::string& data) {
  std::ofstream(path, std::ios::binary) << data;
}

Picture ReadPng(const fs::path& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  Picture picture;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return picture;
  image.format = PNG_FORMAT_RGB;
  picture.width = static_cast<int>(image.width);
  picture.height = static_cast<int>(image.height);
  picture.rgb.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr)) return {};
  return picture;
}

Picture ReadJpeg(const std::string& bytes) {
  jpeg_decompress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  Picture picture;
  picture.width = static_cast<int>(info.output_width);
  picture.height = static_cast<int>(info.output_height);
  picture.rgb.resize(static_cast<size_t>(picture.width) * picture.height * 3);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = &picture.rgb[static_cast<size_t>(info.output_scanline) * picture.width * 3];
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return picture;
}

// Mean of one channel over a rectangle.
double Mean(const Picture& p, int x0, int y0, int w, int h, int channel) {
  double sum = 0;
  for (int y = y0; y < y0 + h; ++y) {
    for (int x = x0; x < x0 + w; ++x) sum += p.At(x, y)[channel];
  }
  return sum / (static_cast<double>(w) * h);
}

struct Outcome {
  int status = -1;  // exit status; -1 when the program did not exit normally
  std::string err;
};

Outcome Formtool(const std::vector<std::string>& args, const fs::path& scratch) {
  std::string command = "'" LAUNCHER_FORMTOOL "'";
  for (const std::string& arg : args) command += " '" + arg + "'";
  const fs::path errFile = scratch / "stderr.txt";
  command += " 2>'" + errFile.string() + "'";
  const int raw = std::system(command.c_str());
  Outcome run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.err = ReadBytes(errFile);
  return run;
}

class FormtoolRender : public ::testing::Test {
 protected:
  void SetUp() override {
    scratch_ = fs::path(LAUNCHER_SCRATCH) /
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(scratch_);
    fs::create_directories(scratch_);
  }
  // Compiles `text` with the same program into scratch/<name>.bin.
  fs::path Compile(const std::string& name, const std::string& text) {
    const fs::path source = scratch_ / (name + ".form");
    fs::path stream = scratch_ / (name + ".bin");
    WriteBytes(source, text);
    const Outcome run = Formtool({"compile", source.string(), stream.string()}, scratch_);
    EXPECT_EQ(run.status, 0) << run.err;
    return stream;
  }
  fs::path scratch_;
};

TEST_F(FormtoolRender, DrawsTheLauncherWindowAsItShows) {
  const fs::path out = scratch_ / "form.png";
  const Outcome run = Formtool({"render", LAUNCHER_TFORM1, out.string()}, scratch_);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const Picture picture = ReadPng(out);
  ASSERT_EQ(picture.width, 846);
  ASSERT_EQ(picture.height, 531);

  // The strip (8,496 830x27) is black left and right of its three words; its words are
  // green (anti-aliased on black, so dark greens count too).
  for (int y = 496; y < 523; ++y) {
    for (int x : {8, 150, 299, 531, 700, 837}) {
      const unsigned char* p = picture.At(x, y);
      ASSERT_EQ(p[0] + p[1] + p[2], 0) << x << "," << y;
    }
  }
  int green = 0;
  for (int y = 496; y < 523; ++y) {
    for (int x = 300; x < 530; ++x) {
      const unsigned char* p = picture.At(x, y);
      if (p[1] >= 64 && p[0] * 2 < p[1] && p[2] * 2 < p[1]) ++green;
    }
  }
  EXPECT_GT(green, 150);
  // The title's yellow over the artwork.
  int yellow = 0;
  for (int y = 305; y < 330; ++y) {
    for (int x = 232; x < 656; ++x) {
      const unsigned char* p = picture.At(x, y);
      if (p[0] >= 200 && p[1] >= 200 && p[2] < 80) ++yellow;
    }
  }
  EXPECT_GT(yellow, 300);

  // Elsewhere the artwork, stretched from its own size over the window: block means match
  // the picture's (the stretch only drops and repeats pixels).
  const Picture art = ReadJpeg(ReadBytes(LAUNCHER_ARTWORK));
  ASSERT_GT(art.width, 0);
  const double sx = static_cast<double>(art.width) / picture.width;
  const double sy = static_cast<double>(art.height) / picture.height;
  constexpr int kBlock = 32;
  int blocks = 0;
  for (int y = 0; y + kBlock <= 480; y += 48) {
    if (y + kBlock > 296 && y < 340) continue;  // the title
    for (int x = 16; x + kBlock <= 830; x += 96) {
      for (int c = 0; c < 3; ++c) {
        const double shown = Mean(picture, x, y, kBlock, kBlock, c);
        const double source = Mean(art, static_cast<int>(x * sx), static_cast<int>(y * sy),
                                   static_cast<int>(kBlock * sx), static_cast<int>(kBlock * sy), c);
        EXPECT_NEAR(shown, source, 8.0) << "block " << x << "," << y << " channel " << c;
      }
      ++blocks;
    }
  }
  EXPECT_GE(blocks, 50);
}

TEST_F(FormtoolRender, EachFailureIsOneLineAndLeavesNoOutput) {
  const std::string good = ReadBytes(LAUNCHER_TFORM1);
  const std::string jpeg = ReadBytes(LAUNCHER_ARTWORK);
  WriteBytes(scratch_ / "cut.bin", good.substr(0, 60));
  WriteBytes(scratch_ / "text.bin", "component TForm1 Form1 {}\n");
  // Cut in its scan data and followed by a second frame header: the header reads, the
  // decode fails at the first paint.
  WriteBytes(scratch_ / "broken.jpg",
             jpeg.substr(0, 150000) + std::string("\xFF\xC0\x00\x11\x08\x03\x4E\x04\x80\x03"
                                                  "\x01\x22\x00\x02\x11\x01\x03\x11\x01\xFF\xD9",
                                                  21));
  const fs::path tform2 = Compile("tform2", "component TForm2 Form2 {\n}\n");
  const fs::path button =
      Compile("button", "component TForm1 Form1 {\n  component TButton Button1 {\n  }\n}\n");
  const fs::path bogus = Compile(
      "bogus", "component TForm1 Form1 {\n  component TLabel Label1 {\n    Bogus = 1\n  }\n}\n");
  const fs::path badArt = Compile("badart",
                                  "component TForm1 Form1 {\n  ClientWidth = 64\n"
                                  "  ClientHeight = 48\n  component TImage Image1 {\n"
                                  "    Align = alClient\n    Stretch = true\n"
                                  "    Picture.Data = jpeg(\"broken.jpg\")\n  }\n}\n");
  const std::string png = (scratch_ / "out.png").string();
  const std::string missing = (scratch_ / "missing.bin").string();
  struct Case {
    const char* what;
    std::string input;
    std::string output;
    const char* message;  // expected within the line
  };
  const Case cases[] = {
      {"missing input", missing, png, "cannot open '"},
      {"a folder as input", scratch_.string(), png, "a folder"},
      {"not a form stream", (scratch_ / "text.bin").string(), png,
       "offset 0: not a stored definition"},
      {"cut short", (scratch_ / "cut.bin").string(), png, "offset 59: data ends inside"},
      {"another root class", tform2.string(), png, "unknown root class 'TForm2'"},
      {"unknown component class", button.string(), png, "EClassNotFound: Class TButton not found"},
      {"unknown property", bogus.string(), png,
       "EReadError: Error reading Label1.Bogus: Property Bogus does not exist"},
      {"artwork that fails to decode", badArt.string(), png, "JPEG error #"},
      {"output in a missing folder", LAUNCHER_TFORM1, (scratch_ / "no" / "out.png").string(),
       "cannot create '"},
      {"output over a folder", LAUNCHER_TFORM1, scratch_.string(), "cannot write '"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Outcome run = Formtool({"render", c.input, c.output}, scratch_);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("formtool: ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    EXPECT_FALSE(fs::exists(png));
  }
  // Nothing half-written is left beside the outputs.
  for (const auto& entry : fs::directory_iterator(scratch_)) {
    EXPECT_EQ(entry.path().string().find(".tmp."), std::string::npos) << entry.path();
  }
  // Damage anywhere in the definition before the picture never ends the program by a
  // signal: it renders or names what it could not read.
  const size_t pictureStart = good.find("TJPEGImage");
  ASSERT_NE(pictureStart, std::string::npos);
  for (size_t at = 4; at < pictureStart; at += pictureStart / 24 + 1) {
    std::string damaged = good;
    damaged[at] = static_cast<char>(damaged[at] ^ 0xA5);
    WriteBytes(scratch_ / "damaged.bin", damaged);
    const Outcome run = Formtool({"render", (scratch_ / "damaged.bin").string(), png}, scratch_);
    EXPECT_TRUE(run.status == 0 || (run.status == 1 && run.err.find('\n') == run.err.size() - 1))
        << "byte " << at << ": status " << run.status << " " << run.err;
    fs::remove(png);
  }
}

}  // namespace
