// --codepage at firmpack's edge: the option, the bytes a typed label or target name is
// stored as, and stored bytes shown as text.
#pragma once

#include <CLI/CLI.hpp>
#include <string>

constexpr int kNoCodePage = -1;  // no --codepage: plain ASCII only
constexpr int kRawBytes = 0;     // --codepage raw: the bytes exactly as given

// Adds --codepage CP (a number of CodePageNumbers(), or raw), which sets `codePage`.
void AddCodePageOption(CLI::App& command, int& codePage, const std::string& description);

// The bytes a label or target name typed on the command line is stored as. Returns why it
// cannot be stored, quoting it as typed, or "" when it can; `what` names the field.
std::string ToFieldBytes(const std::string& typed, const char* what, int codePage, std::string& stored);

// Stored bytes for a terminal. With a code page, decoded: characters as UTF-8, control
// characters and bytes that start no character as \xNN. Without, every byte outside
// printable ASCII as \xNN.
std::string ShowForTerminal(const std::string& bytes, int codePage);

// Text the user typed, for a message: control characters as \xNN, the rest as it is.
std::string EscapeControls(const std::string& utf8);

// Stored bytes decoded from `codePage` as UTF-8, each byte that starts no character as
// U+FFFD.
std::string DecodeToUtf8(const std::string& bytes, int codePage);
