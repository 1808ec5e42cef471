// The text form's grammar: a document, its components, properties and values,
// read token by token into the form tool's tree.
#include "tools/formtool/text_parser.h"

#include <cstdint>
#include <limits>

#include "tools/formtool/form_error.h"
#include "tools/formtool/text_codec.h"
#include "tools/formtool/text_lexer.h"
#include "tools/formtool/text_printer.h"
#include "tools/formtool/token_values.h"

namespace formtool {
namespace text_form {
namespace {

class Parser {
 public:
  Parser(std::string_view text, const FileLoader& loadFile) : lexer_(text), loadFile_(loadFile) {
    Advance();
  }

  Document ParseDocument() {
    Document doc;
    if (!IsWord("component")) Fail(token_, "the text must start with 'component'");
    doc.root = ParseComponent(0);
    if (IsWord("trailing")) {
      Advance();
      if (token_.kind != TokenKind::kHex) Fail(token_, "'trailing' takes a hex block <...>");
      doc.trailing = token_.bytes;
      Advance();
    }
    if (token_.kind != TokenKind::kEnd) {
      Fail(token_,
           "expected the end of the text after the root component, found " + Describe(token_));
    }
    return doc;
  }

 private:
  void Advance() { token_ = lexer_.Next(); }
  bool IsWord(std::string_view word) const {
    return token_.kind == TokenKind::kWord && token_.text == word;
  }
  bool IsPunct(char c) const { return token_.kind == TokenKind::kPunct && token_.text[0] == c; }

  void Expect(char c, const char* context) {
    if (!IsPunct(c)) {
      Fail(token_, std::string("expected '") + c + "' " + context + ", found " + Describe(token_));
    }
    Advance();
  }

  void Enter(int depth) const {
    if (depth > kNesting)
      Fail(token_, "nesting deeper than " + std::to_string(kNesting) + " levels");
  }

  std::string Name(const char* what, bool allowDots) {
    std::string name;
    if (token_.kind == TokenKind::kWord &&
        (allowDots || token_.text.find('.') == std::string::npos)) {
      name = token_.text;
    } else if (token_.kind == TokenKind::kString) {
      name = ByteString(token_);
    } else {
      Fail(token_, std::string("expected ") + what + ", found " + Describe(token_));
    }
    if (name.size() > 255) Fail(token_, std::string(what) + " is longer than 255 bytes");
    Advance();
    return name;
  }

  StoredInt ParseStoredInt(const char* what) {
    TValueType tag = svNull;
    const Token annotation = token_;
    if (token_.kind == TokenKind::kAnnotation) {
      if (token_.text == "i8")
        tag = svInt8;
      else if (token_.text == "i16")
        tag = svInt16;
      else if (token_.text == "i32")
        tag = svInt32;
      else
        Fail(token_, std::string(what) + " takes !i8, !i16 or !i32, not !" + token_.text);
      Advance();
    }
    if (token_.kind != TokenKind::kNumber || LooksLikeFloat(token_.text)) {
      Fail(token_, std::string("expected an integer for ") + what + ", found " + Describe(token_));
    }
    const int64_t value = Integer(token_);
    Advance();
    if (value < std::numeric_limits<int32_t>::min() ||
        value > std::numeric_limits<int32_t>::max()) {
      Fail(annotation, std::string(what) + " does not fit in 32 bits");
    }
    StoredInt result;
    result.value = static_cast<int32_t>(value);
    result.tag = tag != svNull                       ? tag
                 : value >= -128 && value <= 127     ? svInt8
                 : value >= -32768 && value <= 32767 ? svInt16
                                                     : svInt32;
    CheckIntFits(annotation, result.tag, value);
    return result;
  }

  Component ParseComponent(int depth) {
    Enter(depth);
    Component c;
    c.line = token_.line;
    Advance();  // 'component'
    c.className = Name("a class name", false);
    if (c.className.size() >= kHeaderPrefixMark) {
      Fail(token_, "class name is longer than 239 bytes");
    }
    c.name = Name("a component name", false);
    for (;;) {
      if (IsWord("inherited")) {
        c.flags |= hfInherited;
      } else if (IsWord("inline")) {
        c.flags |= hfInline;
      } else if (IsWord("flag8")) {
        c.flags |= 0x08;
      } else if (IsWord("prefix")) {
        c.hasPrefix = true;
      } else if (IsWord("position")) {
        Advance();
        c.flags |= hfChildPos;
        c.childPos = ParseStoredInt("a child position");
        continue;
      } else {
        break;
      }
      Advance();
    }
    if (c.flags) c.hasPrefix = true;
    Expect('{', "to open the component");
    bool sawChild = false;
    while (!IsPunct('}')) {
      if (token_.kind == TokenKind::kEnd) {
        Fail(token_, "component " + c.name + " (line " + std::to_string(c.line) +
                         ") is not closed with '}'");
      }
      if (IsWord("component")) {
        c.children.push_back(ParseComponent(depth + 1));
        sawChild = true;
      } else {
        if (sawChild) Fail(token_, "properties must come before the child components");
        c.properties.push_back(ParseProperty(depth));
      }
    }
    Advance();
    return c;
  }

  Property ParseProperty(int depth) {
    Property p;
    p.line = token_.line;
    if (token_.kind != TokenKind::kWord && token_.kind != TokenKind::kString) {
      Fail(token_, "expected a property path or 'component', found " + Describe(token_));
    }
    if (token_.kind == TokenKind::kWord && IsReservedWord(token_.text)) {
      Fail(token_, "'" + token_.text + "' is a keyword; quote it to use it as a property path");
    }
    p.path = Name("a property path", true);
    if (p.path.empty()) Fail(token_, "a property path cannot be empty");
    Expect('=', "after the property path");
    p.value = ParseValue(depth + 1);
    return p;
  }

  Value ParseValue(int depth) {
    Enter(depth);
    if (token_.kind == TokenKind::kAnnotation) return ParseAnnotated();
    Value v;
    const Token t = token_;
    switch (t.kind) {
      case TokenKind::kNumber:
        Advance();
        if (LooksLikeFloat(t.text)) return FloatValue(t, svExtended);
        v.integer = Integer(t);
        v.tag = v.integer >= -128 && v.integer <= 127              ? svInt8
                : v.integer >= -32768 && v.integer <= 32767        ? svInt16
                : v.integer >= INT32_MIN && v.integer <= INT32_MAX ? svInt32
                                                                   : svInt64;
        return v;
      case TokenKind::kString: {
        Advance();
        for (const StringChar& c : t.chars) {
          if (c.rawByte) {
            Fail(t,
                 "\\xHH above 7F is a raw byte; say which kind of string it belongs to "
                 "with !ansi, !long or !utf8");
          }
          if (c.value >= 0xD800 && c.value <= 0xDFFF) {
            Fail(t, "a surrogate code unit belongs in a !wide string");
          }
        }
        v.bytes = Utf8String(t);
        if (!IsAscii(v.bytes))
          v.tag = svUTF8String;
        else
          v.tag = v.bytes.size() > 255 ? svLString : svString;
        return v;
      }
      case TokenKind::kHex:
        Advance();
        v.tag = svBinary;
        v.bytes = t.bytes;
        return v;
      case TokenKind::kWord:
        return ParseWordValue(depth);
      case TokenKind::kPunct:
        if (t.text == "{") return ParseSet();
        if (t.text == "[") return ParseList(depth);
        break;
      default:
        break;
    }
    Fail(t, "expected a value, found " + Describe(t));
  }

  Value ParseWordValue(int depth) {
    const Token t = token_;
    Value v;
    Advance();
    if (t.text == "true" || t.text == "false") {
      v.tag = t.text == "true" ? svTrue : svFalse;
    } else if (t.text == "nil") {
      v.tag = svNil;
    } else if (t.text == "null") {
      v.tag = svNull;
    } else if (t.text == "file") {
      Expect('(', "after 'file'");
      v.tag = svBinary;
      v.bytes = Load(t, PathArgument());
      Expect(')', "to close 'file('");
    } else if (t.text == "graphic" || t.text == "jpeg") {
      Expect('(', ("after '" + t.text + "'").c_str());
      v.tag = svBinary;
      std::string graphicClass = "TJPEGImage";
      if (t.text == "graphic") {
        if (token_.kind != TokenKind::kString)
          Fail(token_, "graphic(...) starts with the class name in quotes");
        graphicClass = ByteString(token_);
        Advance();
        Expect(',', "between the class name and the file");
      }
      if (graphicClass.empty() || graphicClass.size() > 63) {
        Fail(t, "a graphic class name has 1 to 63 characters");
      }
      const std::string path = PathArgument();
      const std::string data = Load(t, path);
      if (t.text == "jpeg" && (data.size() < 2 || data.compare(0, 2, "\xFF\xD8") != 0)) {
        Fail(t, "'" + path + "' is not a JPEG file (it does not start with FF D8)");
      }
      if (data.size() > static_cast<size_t>(INT32_MAX) - 64) Fail(t, "'" + path + "' is too large");
      v.bytes += static_cast<char>(graphicClass.size());
      v.bytes += graphicClass;
      for (int i = 0; i < 4; ++i) v.bytes += static_cast<char>(data.size() >> (8 * i));
      v.bytes += data;
      Expect(')', "to close the graphic");
    } else if (t.text == "collection") {
      return ParseCollection(depth);
    } else if (IsReservedWord(t.text)) {
      Fail(t, "'" + t.text + "' cannot stand here as a value; write !ident \"" + t.text +
                  "\" for an identifier of that name");
    } else {
      if (t.text.size() > 255) Fail(t, "identifier is longer than 255 bytes");
      v.tag = svIdent;
      v.bytes = t.text;
    }
    return v;
  }

  std::string PathArgument() {
    if (token_.kind != TokenKind::kString)
      Fail(token_, "expected a file path in quotes, found " + Describe(token_));
    std::string path = Utf8String(token_);
    Advance();
    return path;
  }

  std::string Load(const Token& at, const std::string& path) {
    try {
      return loadFile_(path);
    } catch (const FormError& e) {
      Fail(at, e.what());
    }
  }

  Value ParseSet() {
    Value v;
    v.tag = svSet;
    Advance();  // '{'
    while (!IsPunct('}')) {
      const Token at = token_;
      std::string name = Name("a set element name", false);
      if (name.empty()) Fail(at, "a set element name cannot be empty");
      v.names.push_back(std::move(name));
      if (IsPunct(','))
        Advance();
      else if (!IsPunct('}'))
        Fail(token_, "expected ',' or '}' in the set, found " + Describe(token_));
    }
    Advance();
    return v;
  }

  Value ParseList(int depth) {
    Value v;
    v.tag = svList;
    Advance();  // '['
    while (!IsPunct(']')) {
      const Token at = token_;
      Value item = ParseValue(depth + 1);
      if (item.tag == svNull) Fail(at, "'null' would end the list early; it cannot be a list item");
      v.items.push_back(std::move(item));
      if (IsPunct(','))
        Advance();
      else if (!IsPunct(']'))
        Fail(token_, "expected ',' or ']' in the list, found " + Describe(token_));
    }
    Advance();
    return v;
  }

  Value ParseCollection(int depth) {
    Value v;
    v.tag = svCollection;
    Expect('{', "after 'collection'");
    while (!IsPunct('}')) {
      if (!IsWord("item"))
        Fail(token_, "expected 'item' or '}' in the collection, found " + Describe(token_));
      CollectionItem item;
      item.line = token_.line;
      Advance();
      if (token_.kind == TokenKind::kAnnotation || token_.kind == TokenKind::kNumber) {
        item.order = ParseStoredInt("an item order");
      }
      Expect('{', "to open the item");
      while (!IsPunct('}')) {
        if (token_.kind == TokenKind::kEnd) Fail(token_, "item is not closed with '}'");
        item.properties.push_back(ParseProperty(depth + 1));
      }
      Advance();
      v.collection.push_back(std::move(item));
    }
    Advance();
    return v;
  }

  Value ParseAnnotated() {
    const Token annotation = token_;
    Advance();
    const Token t = token_;
    return AnnotatedValue(annotation, t, [this] { Advance(); });
  }

  static constexpr int kNesting = 200;

  Lexer lexer_;
  const FileLoader& loadFile_;
  Token token_;
};

}  // namespace
}  // namespace text_form

Document ParseText(std::string_view text, const FileLoader& loadFile) {
  return text_form::Parser(text, loadFile).ParseDocument();
}

}  // namespace formtool
