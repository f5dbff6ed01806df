#include "ui/FormDefinition.h"

#include <windows.h>

#include <cctype>
#include <cstdlib>

#include "ui/Exception.h"

namespace {

// The definition's strings are written in UTF-8 and kept as code page 936
// bytes, whatever the running system's code page.
AnsiString Utf8ToCodePage936(const std::string& utf8) {
  if (utf8.empty()) return AnsiString();
  int wideLength =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(wideLength), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                      wideLength);
  int length = WideCharToMultiByte(936, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(936, 0, wide.data(), wideLength, bytes.data(), length, nullptr, nullptr);
  return AnsiString(bytes);
}

class Parser {
 public:
  Parser(const std::string& text, const AnsiString& source) : text_(text), source_(source) {}

  TDefinitionNode Root() {
    TDefinitionNode root = Node();
    SkipBlanks();
    if (pos_ < text_.size()) Fail("text after the end of the root component");
    return root;
  }

 private:
  [[noreturn]] void Fail(const std::string& what) const {
    throw Exception(AnsiString("Form definition ") + source_ + ", line " +
                    AnsiString(std::to_string(line_)) + ": " + AnsiString(what));
  }

  void SkipBlanks() {
    while (pos_ < text_.size()) {
      char c = text_[pos_];
      if (c == '\n') {
        ++line_;
        ++pos_;
      } else if (c == ' ' || c == '\t' || c == '\r') {
        ++pos_;
      } else if (c == '#') {
        while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
      } else {
        break;
      }
    }
  }

  bool Peek(char c) {
    SkipBlanks();
    return pos_ < text_.size() && text_[pos_] == c;
  }

  void Expect(char c) {
    if (!Peek(c)) Fail(std::string("expected '") + c + "'");
    ++pos_;
  }

  std::string Name() {
    SkipBlanks();
    size_t start = pos_;
    while (pos_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[pos_])) ||
                                   text_[pos_] == '_' || text_[pos_] == '.')) {
      ++pos_;
    }
    if (pos_ == start || std::isdigit(static_cast<unsigned char>(text_[start])))
      Fail("expected a name");
    return text_.substr(start, pos_ - start);
  }

  TDefinitionValue Value() {
    SkipBlanks();
    TDefinitionValue value;
    if (pos_ >= text_.size()) Fail("expected a value");
    char c = text_[pos_];
    if (c == '"') {
      ++pos_;
      std::string utf8;
      while (pos_ < text_.size() && text_[pos_] != '"' && text_[pos_] != '\n') {
        if (text_[pos_] == '\\' && pos_ + 1 < text_.size()) ++pos_;
        utf8 += text_[pos_++];
      }
      if (pos_ >= text_.size() || text_[pos_] != '"') Fail("unterminated string");
      ++pos_;
      value.kind = TDefinitionValue::String;
      value.text = Utf8ToCodePage936(utf8);
    } else if (c == '-' || c == '$' || std::isdigit(static_cast<unsigned char>(c))) {
      bool negative = c == '-';
      if (negative) ++pos_;
      int base = 10;
      if (pos_ < text_.size() && text_[pos_] == '$') {
        base = 16;
        ++pos_;
      }
      const char* start = text_.c_str() + pos_;
      char* end = nullptr;
      unsigned long magnitude = std::strtoul(start, &end, base);
      if (end == start) Fail("expected a number");
      pos_ += static_cast<size_t>(end - start);
      value.kind = TDefinitionValue::Number;
      value.number = negative ? -static_cast<long>(magnitude) : static_cast<long>(magnitude);
    } else {
      value.kind = TDefinitionValue::Identifier;
      value.text = AnsiString(Name());
    }
    return value;
  }

  TDefinitionNode Node() {
    TDefinitionNode node;
    SkipBlanks();
    node.line = line_;
    node.name = AnsiString(Name());
    Expect(':');
    node.className = AnsiString(Name());
    Expect('{');
    while (!Peek('}')) {
      if (pos_ >= text_.size()) Fail("missing '}' of " + node.name.str());
      size_t mark = pos_;
      int markLine = line_;
      std::string name = Name();
      if (Peek(':')) {
        pos_ = mark;
        line_ = markLine;
        node.children.push_back(Node());
        continue;
      }
      TDefinitionProperty property;
      property.line = line_;
      property.name = AnsiString(name);
      Expect('=');
      property.value = Value();
      node.properties.push_back(std::move(property));
    }
    Expect('}');
    return node;
  }

  const std::string& text_;
  AnsiString source_;
  size_t pos_ = 0;
  int line_ = 1;
};

}  // namespace

TDefinitionNode ParseFormDefinition(const std::string& text, const AnsiString& source) {
  return Parser(text, source).Root();
}
