// The Linux build's resource compiler: the layout Windows expects, and agreement with
// windres on the same scripts.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <tuple>

#include "tools/rc/compile.h"
#include "tools/rc/cpp_writer.h"

namespace fs = std::filesystem;
using rc::ResId;
using rc::Resource;
using Bytes = std::vector<uint8_t>;

namespace {

class RcTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("rc_test_" + std::to_string(getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Write(const std::string& name, const std::string& content) {
    fs::path p = dir_ / name;
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << content;
    return p.string();
  }
  rc::Script Compile(const std::string& script, rc::Options options = {}) {
    return rc::Compile(Write("main.rc", script), options);
  }
  static const Resource* Find(const rc::Script& s, const ResId& type, const ResId& name) {
    for (const auto& r : s.resources)
      if (r.type == type && r.name == name) return &r;
    return nullptr;
  }
  static Bytes Utf16(const std::u16string& s) {
    Bytes b;
    for (char16_t u : s) {
      b.push_back(static_cast<uint8_t>(u));
      b.push_back(static_cast<uint8_t>(u >> 8));
    }
    return b;
  }
  // The entry for `id` inside its string block.
  static std::u16string StringAt(const rc::Script& s, unsigned id) {
    const Resource* block = Find(s, ResId::Number(rc::kRtString), ResId::Number((id >> 4) + 1));
    if (!block) return u"<no block>";
    size_t at = 0;
    for (unsigned i = 0; i < 16; ++i) {
      unsigned len = block->data.at(at) | block->data.at(at + 1) << 8;
      at += 2;
      if (i == (id & 15)) {
        std::u16string out;
        for (unsigned k = 0; k < len; ++k)
          out.push_back(static_cast<char16_t>(block->data.at(at + 2 * k) |
                                              block->data.at(at + 2 * k + 1) << 8));
        return out;
      }
      at += 2 * len;
    }
    return u"<bad block>";
  }

  fs::path dir_;
};

TEST_F(RcTest, StringTableIsSplitIntoBlocksOfSixteen) {
  rc::Script s =
      Compile("STRINGTABLE\nBEGIN\n  65340, \"Stream read error\"\n  65341 \"x\"\nEND\n");
  // 65340 >> 4 = 4083, stored as block 4084 at index 12.
  ASSERT_EQ(s.resources.size(), 1u);
  const Resource& block = s.resources[0];
  EXPECT_EQ(block.type, ResId::Number(6));
  EXPECT_EQ(block.name, ResId::Number(4084));
  Bytes expected(2 * 12, 0);
  Bytes text = Utf16(u"Stream read error");
  expected.push_back(17);
  expected.push_back(0);
  expected.insert(expected.end(), text.begin(), text.end());
  expected.insert(expected.end(), {1, 0, 'x', 0});
  expected.resize(expected.size() + 2 * 2, 0);
  EXPECT_EQ(block.data, expected);
}

TEST_F(RcTest, StringEscapesAndCodePages) {
  rc::Script s = Compile(
      "STRINGTABLE {\n"
      "  1, \"a\\r\\nb\\tc\\\\\"\n"
      "  2, \"say \"\"hi\"\" \\\"x\\\"\"\n"
      "  3, \"\x80\xe9\"\n"  // code page 1252 until a pragma says otherwise
      "  4, \"con\" \"cat\"\n"
      "  5, L\"\\x263a\"\n"
      "}\n"
      "#pragma code_page(65001)\n"
      "STRINGTABLE { 6, \"\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80\" }\n");
  EXPECT_EQ(StringAt(s, 1), u"a\r\nb\tc\\");
  EXPECT_EQ(StringAt(s, 2), u"say \"hi\" \"x\"");
  EXPECT_EQ(StringAt(s, 3), u"\u20ac\u00e9");
  EXPECT_EQ(StringAt(s, 4), u"concat");
  EXPECT_EQ(StringAt(s, 5), u"\u263a");
  EXPECT_EQ(StringAt(s, 6), u"\u00e9\u20ac\U0001F600");
}

TEST_F(RcTest, ScriptErrorsNameTheLine) {
  EXPECT_THROW(Compile("STRINGTABLE { 1, \"a\"\n 1, \"b\" }"), rc::CompileError);
  EXPECT_THROW(Compile("STRINGTABLE { 1, \"open }"), rc::CompileError);
  EXPECT_THROW(Compile("#pragma code_page(1251)\n"), rc::CompileError);
  try {
    Compile("\n\nX RCDATA \"missing.bin\"\n");
    FAIL() << "missing file accepted";
  } catch (const rc::CompileError& e) {
    EXPECT_NE(std::string(e.what()).find("main.rc:3:"), std::string::npos) << e.what();
  }
}

TEST_F(RcTest, NamesTypesAndData) {
  Write("data/form.bin", "TPF0");
  Write("gen/art.jpg", std::string("\xff\xd8\0\xff", 4));
  rc::Options options;
  options.includeDirs = {(dir_ / "gen").string()};
  rc::Script s = Compile(
      "TForm1 RCDATA \"data/form.bin\"\n"
      "7 RCDATA DISCARDABLE \"art.jpg\"\n"
      "Pic Jpeg \"art.jpg\"\n"
      "inline RCDATA { \"ab\", 1, 0x10203L, L\"z\" }\n",
      options);
  ASSERT_EQ(s.resources.size(), 4u);
  EXPECT_EQ(s.resources[0].name, ResId::Text("TFORM1"));
  EXPECT_EQ(*s.resources[0].name.text, "TFORM1");
  EXPECT_EQ(s.resources[0].data, (Bytes{'T', 'P', 'F', '0'}));
  EXPECT_EQ(s.resources[1].type, ResId::Number(10));
  EXPECT_EQ(s.resources[1].name, ResId::Number(7));
  EXPECT_EQ(s.resources[1].data, (Bytes{0xFF, 0xD8, 0, 0xFF}));
  EXPECT_EQ(s.resources[2].type, ResId::Text("JPEG"));
  EXPECT_EQ(s.resources[3].data, (Bytes{'a', 'b', 1, 0, 3, 2, 1, 0, 'z', 0}));
  // Data files are build inputs.
  EXPECT_EQ(std::count_if(s.inputs.begin(), s.inputs.end(),
                          [](const std::string& p) { return p.ends_with("art.jpg"); }),
            2);
}

TEST_F(RcTest, PreprocessorIncludesDefinesAndConditions) {
  Write("inc/ids.h", "#pragma once\n#define IDS_HELLO 100\nconstexpr int kIgnored = 1;\n");
  Write("inc/messages.rc",
        "#include \"ids.h\"\n"
        "STRINGTABLE { IDS_HELLO, \"hello\" }\n"
        "#ifndef MESSAGES_ONLY\n"
        "FULL RCDATA { 1 }\n"
        "#else\n"
        "PART RCDATA { 2 }\n"
        "#endif\n"
        "#if 0\n"
        "GONE RCDATA { 3 }\n"
        "#endif\n");
  rc::Options options;
  options.includeDirs = {(dir_ / "inc").string()};
  rc::Script full = Compile("#include \"messages.rc\"\n", options);
  EXPECT_EQ(StringAt(full, 100), u"hello");
  EXPECT_TRUE(Find(full, ResId::Number(10), ResId::Text("FULL")));
  EXPECT_FALSE(Find(full, ResId::Number(10), ResId::Text("GONE")));

  rc::Script part = Compile("#define MESSAGES_ONLY\n#include <messages.rc>\n", options);
  EXPECT_FALSE(Find(part, ResId::Number(10), ResId::Text("FULL")));
  EXPECT_TRUE(Find(part, ResId::Number(10), ResId::Text("PART")));
  EXPECT_EQ(part.inputs.size(), 3u);  // main.rc, messages.rc, ids.h
}

// A .cur/.ico file: the 6-byte header and 16-byte entries, then the images.
std::string IconFile(bool cursor,
                     const std::vector<std::tuple<int, int, int, int, std::string>>& images) {
  std::string out;
  auto word = [&](unsigned v) {
    out += static_cast<char>(v & 0xFF), out += static_cast<char>(v >> 8);
  };
  word(0);
  word(cursor ? 2 : 1);
  word(static_cast<unsigned>(images.size()));
  unsigned offset = 6 + 16 * static_cast<unsigned>(images.size());
  for (const auto& [w, h, a, b, data] : images) {
    out += static_cast<char>(w), out += static_cast<char>(h), out += '\0', out += '\0';
    word(a);
    word(b);
    word(static_cast<unsigned>(data.size()));
    word(0);
    word(offset);
    word(0);
    offset += static_cast<unsigned>(data.size());
  }
  for (const auto& image : images) out += std::get<4>(image);
  return out;
}

TEST_F(RcTest, CursorsBecomeImagesPlusGroup) {
  Write("a.cur", IconFile(true, {{32, 32, 5, 7, "IMG1"}}));
  Write("b.cur", IconFile(true, {{16, 16, 1, 2, "xy"}, {48, 48, 3, 4, "zzz"}}));
  rc::Script s = Compile("32761 CURSOR \"a.cur\"\n32762 CURSOR \"b.cur\"\n");
  // Images are numbered across the whole script; each starts with its hotspot.
  const Resource* image = Find(s, ResId::Number(1), ResId::Number(1));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->data, (Bytes{5, 0, 7, 0, 'I', 'M', 'G', '1'}));
  ASSERT_TRUE(Find(s, ResId::Number(1), ResId::Number(3)));
  const Resource* group = Find(s, ResId::Number(12), ResId::Number(32762));
  ASSERT_TRUE(group);
  // Header {0, 2, count}; entries {width, height * 2, planes 1, bits 1, size, id}.
  EXPECT_EQ(group->data, (Bytes{0,  0, 2,  0, 2, 0,                          //
                                16, 0, 32, 0, 1, 0, 1, 0, 6, 0, 0, 0, 2, 0,  //
                                48, 0, 96, 0, 1, 0, 1, 0, 7, 0, 0, 0, 3, 0}));
  Write("bad.cur", std::string("\0\0\1\0\1\0", 6));
  EXPECT_THROW(Compile("1 CURSOR \"bad.cur\"\n"), rc::CompileError);
}

TEST_F(RcTest, IconsBecomeImagesPlusGroup) {
  Write("a.ico", IconFile(false, {{16, 16, 1, 32, "abcd"}, {0, 0, 0, 8, "e"}}));
  rc::Script s = Compile("MAINICON ICON \"a.ico\"\n");
  const Resource* group = Find(s, ResId::Number(14), ResId::Text("MAINICON"));
  ASSERT_TRUE(group);
  // Entries {width, height, colours, 0, planes (0 read as 1), bits, size, id}.
  EXPECT_EQ(group->data, (Bytes{0,  0,  1, 0, 2, 0,                           //
                                16, 16, 0, 0, 1, 0, 32, 0, 4, 0, 0, 0, 1, 0,  //
                                0,  0,  0, 0, 1, 0, 8,  0, 1, 0, 0, 0, 2, 0}));
  EXPECT_EQ(Find(s, ResId::Number(3), ResId::Number(2))->data, (Bytes{'e'}));
}

TEST_F(RcTest, GeneratedTableNamesEveryResource) {
  rc::Script s = Compile("a RCDATA { \"\\\"q?\\\\\" }\n5 RCDATA { }\n");
  std::ostringstream code;
  rc::WriteCpp(s, "main.rc", code);
  std::string text = code.str();
  EXPECT_NE(text.find("#include \"platform/linux/resource_table.h\""), std::string::npos);
  EXPECT_NE(text.find("{nullptr, 10, \"A\", 0, kData0, 4}"), std::string::npos) << text;
  EXPECT_NE(text.find("{nullptr, 10, nullptr, 5, kData1, 0}"), std::string::npos) << text;
  EXPECT_NE(text.find("\"\\042q\\077\\134\""), std::string::npos) << text;
  EXPECT_NE(text.find("RegisterResources(kEntries, 2)"), std::string::npos);
}

// --- Agreement with windres -------------------------------------------------------------

struct ResEntry {
  ResId type, name;
  Bytes data;
  bool operator<(const ResEntry& o) const {
    return std::tie(type, name, data) < std::tie(o.type, o.name, o.data);
  }
  bool operator==(const ResEntry&) const = default;
};

// Reads a .res file: per resource a size, header size, type, name, then fixed fields.
std::vector<ResEntry> ReadRes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  Bytes d((std::istreambuf_iterator<char>(in)), {});
  auto word = [&](size_t at) { return static_cast<unsigned>(d.at(at) | d.at(at + 1) << 8); };
  auto id = [&](size_t& at) {
    if (word(at) == 0xFFFF) {
      at += 4;
      return ResId::Number(static_cast<uint16_t>(word(at - 2)));
    }
    std::string s;
    while (word(at) != 0) s.push_back(static_cast<char>(word(at))), at += 2;
    at += 2;
    return ResId::Text(s);
  };
  std::vector<ResEntry> out;
  size_t at = 0;
  while (at + 8 <= d.size()) {
    size_t dataSize = word(at) | word(at + 2) << 16, headerSize = word(at + 4) | word(at + 6) << 16;
    size_t p = at + 8;
    ResEntry e{id(p), id(p), {}};
    e.data.assign(d.begin() + at + headerSize, d.begin() + at + headerSize + dataSize);
    if (dataSize != 0 || headerSize != 32) out.push_back(e);  // skip the empty lead entry
    at = (at + headerSize + dataSize + 3) & ~size_t{3};
  }
  std::sort(out.begin(), out.end());
  return out;
}

// Compiles `script` with windres and with ours (both searching `includeDir` too) and
// expects the same resources, byte for byte.
void ExpectSameAsWindres(const fs::path& dir, const std::string& script,
                         const std::string& includeDir) {
  std::string res = (dir / "all.res").string();
  std::string command = "cd '" + dir.string() + "' && i686-w64-mingw32-windres -O res -I '" +
                        includeDir + "' -i '" + script + "' -o '" + res + "' 2>/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);

  rc::Script ours = rc::Compile(script, {{includeDir}, {}});
  std::vector<ResEntry> mine;
  for (const auto& r : ours.resources) mine.push_back({r.type, r.name, r.data});
  std::sort(mine.begin(), mine.end());
  std::vector<ResEntry> theirs = ReadRes(res);
  ASSERT_EQ(mine.size(), theirs.size());
  for (size_t i = 0; i < mine.size(); ++i) {
    EXPECT_EQ(mine[i].type, theirs[i].type) << i;
    EXPECT_EQ(mine[i].name, theirs[i].name)
        << theirs[i].type.Describe() << " " << theirs[i].name.Describe();
    EXPECT_EQ(mine[i].data, theirs[i].data)
        << theirs[i].type.Describe() << " " << theirs[i].name.Describe();
  }
}

bool HaveWindres() {
  return std::system("i686-w64-mingw32-windres --version >/dev/null 2>&1") == 0;
}

TEST_F(RcTest, AgreesWithWindres) {
  if (!HaveWindres()) GTEST_SKIP() << "windres is not installed";
  Write("d.bin", std::string("\0\1\2\3 data", 9));
  Write("c.cur", IconFile(true, {{32, 32, 3, 9, std::string(40, 'c')}, {16, 16, 0, 0, "dd"}}));
  Write("i.ico", IconFile(false, {{32, 32, 1, 4, std::string(12, 'i')}, {0, 0, 0, 0, "jj"}}));
  Write("inc/more.rc", "STRINGTABLE { 65535, \"last\" }\n");
  std::string script = Write("all.rc",
                             "#include \"inc/more.rc\"\n"
                             "#pragma code_page(1252)\n"
                             "STRINGTABLE\nBEGIN\n  65340, \"Stream read error\"\n  65512, "
                             "\"Exception %s in module %s at %p.\\r\\n%s%s\\r\\n\"\n  17, "
                             "\"caf\xe9 \x80 \"\"q\"\"\"\nEND\n"
                             "#pragma code_page(65001)\n"
                             "STRINGTABLE { 18, \"\xc3\xa9\xe2\x82\xac\" }\n"
                             "TFORM1 RCDATA \"d.bin\"\n"
                             "5 RCDATA { \"ab\", 1, 2L }\n"
                             "32761 CURSOR \"c.cur\"\n"
                             "32762 CURSOR \"c.cur\"\n"
                             "MAINICON ICON \"i.ico\"\n"
                             "Pic Jpeg \"d.bin\"\n");
  ExpectSameAsWindres(dir_, script, dir_.string());
}

// The launcher's own cursors and icon as the build draws them.
TEST_F(RcTest, AgreesWithWindresOnTheDrawnCursorsAndIcon) {
  if (!HaveWindres()) GTEST_SKIP() << "windres is not installed";
  std::string script = Write("images.rc",
                             "32761 CURSOR \"hand_point.cur\"\n32762 CURSOR \"sql_wait.cur\"\n"
                             "32763 CURSOR \"multi_drag.cur\"\n32764 CURSOR \"vsplit.cur\"\n"
                             "32765 CURSOR \"hsplit.cur\"\n32766 CURSOR \"drag.cur\"\n"
                             "32767 CURSOR \"no_drop.cur\"\nMAINICON ICON \"mainicon.ico\"\n");
  ExpectSameAsWindres(dir_, script, LAUNCHER_GENERATED_RESOURCES);
  // Each cursor image is 308 bytes: hot spot, header, two colours, two 32 x 32 masks.
  rc::Script ours = rc::Compile(script, {{LAUNCHER_GENERATED_RESOURCES}, {}});
  size_t cursors = 0;
  for (const auto& r : ours.resources) {
    if (r.type != ResId::Number(rc::kRtCursor)) continue;
    ++cursors;
    EXPECT_EQ(308u, r.data.size());
  }
  EXPECT_EQ(7u, cursors);
}

}  // namespace
