#include "ui/AnsiString.h"

#include <windows.h>

AnsiString AnsiString::SubString(int index, int count) const {
  if (index < 1) index = 1;
  if (count <= 0 || index > Length()) return AnsiString();
  return AnsiString(text_.substr(static_cast<size_t>(index - 1), static_cast<size_t>(count)));
}

std::wstring AnsiToWide(const AnsiString& text) {
  if (text.IsEmpty()) return std::wstring();
  int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), text.Length(), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), text.Length(), wide.data(), length);
  return wide;
}
