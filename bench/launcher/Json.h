#pragma once
// One flat JSON object, built field by field, for the launcher's report line.

#include <cstdio>
#include <string>

class Json {
 public:
  void Add(const char* key, const std::string& value) { Field(key, Quoted(value)); }
  void Add(const char* key, const char* value) { Add(key, std::string(value)); }
  void Add(const char* key, double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    Field(key, text);
  }
  void Add(const char* key, int value) { Field(key, std::to_string(value)); }
  std::string Text() const { return "{" + body_ + "}"; }

 private:
  void Field(const char* key, const std::string& value) {
    if (!body_.empty()) body_ += ", ";
    body_ += Quoted(key) + ": " + value;
  }
  static std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
      if (c == '"' || c == '\\') {
        out += '\\';
        out += static_cast<char>(c);
      } else if (c < 0x20 || c >= 0x7f) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
        out += escaped;
      } else {
        out += static_cast<char>(c);
      }
    }
    return out + "\"";
  }

  std::string body_;
};
