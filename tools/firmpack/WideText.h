// Windows: text between 8-bit code pages (UTF-8, the ANSI code page) and the UTF-16 the
// system's wide functions take.
#pragma once

#include <string>

std::wstring WidenText(const std::string& text, unsigned codePage);
std::string NarrowText(const std::wstring& text, unsigned codePage);
