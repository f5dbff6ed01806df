#pragma once
// 8-bit text in the system's ANSI code page. Positions are 1-based, as
// everywhere in the component layer.

#include <string>
#include <string_view>

class AnsiString {
 public:
  AnsiString() = default;
  AnsiString(const char* text) : text_(text ? text : "") {}
  AnsiString(const char* text, int length) : text_(text, static_cast<size_t>(length)) {}
  AnsiString(std::string text) : text_(std::move(text)) {}

  const char* c_str() const { return text_.c_str(); }
  int Length() const { return static_cast<int>(text_.size()); }
  bool IsEmpty() const { return text_.empty(); }

  // The byte at 1-based position `index`.
  char operator[](int index) const { return text_[static_cast<size_t>(index - 1)]; }

  // `count` bytes from 1-based position `index`, clipped to the text.
  AnsiString SubString(int index, int count) const;

  AnsiString& operator+=(const AnsiString& other) {
    text_ += other.text_;
    return *this;
  }
  friend AnsiString operator+(AnsiString left, const AnsiString& right) { return left += right; }
  friend bool operator==(const AnsiString& a, const AnsiString& b) { return a.text_ == b.text_; }

  const std::string& str() const { return text_; }

 private:
  std::string text_;
};

// The text as a newly made UTF-16 string, converted from the ANSI code page.
std::wstring AnsiToWide(const AnsiString& text);
