#pragma once
// The page the baseline browser opens: the program's own start page.

// The same page as the program's StartUrl() (app/UnitMain.cpp). Written out
// rather than linked: StartUrl's object file brings the whole main form along
// and would make the baseline as large as the program. run.sh checks that the
// program's exe still holds the same host.
inline constexpr wchar_t kStartPage[] = L"http://murava.example/client.aspx";
