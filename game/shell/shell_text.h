#pragma once
// The shell writes a few fixed Japanese texts into its files in Shift-JIS
// (code page 932). They are kept as UTF-8 in the source and converted here
// with a table of just the characters those texts use.
#include <string>
#include <string_view>

// ASCII passes through; the known characters become their two Shift-JIS
// bytes; anything else becomes '?'.
std::string ShellTextToSjis(std::string_view utf8);
