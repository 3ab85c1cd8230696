// Which target names a Windows user's carrier can write, and keep inside the folder it is
// written into. firmpack refuses the others when it packs or extracts; the carrier itself
// writes whatever its package names.
#pragma once

#include <string>

namespace package {

enum class TargetNameRule {
    Allowed,
    Empty,              // no file at all: the carrier cannot write one
    Absolute,           // "/x", "\x": from the root of a drive or file system
    NetworkPath,        // "\\srv\x", "//srv/x": a share or a device namespace
    Drive,              // "C:x", "C:\x"
    Parent,             // a ".." component, with either separator
    Colon,              // anywhere else: a Windows stream ("fw.bin:ads")
    Device,             // CON, PRN, AUX, NUL, COM1-9, LPT1-9 in any component, with any extension
    ReservedCharacter,  // < > " | ? * or a control character: no Windows file has one
    TrailingDotOrSpace, // Windows drops it, so the file written would have another name
};

struct TargetNameCheck {
    TargetNameRule rule = TargetNameRule::Allowed;
    char32_t character = 0;  // the reserved character, for ReservedCharacter
};

// Judges the name as Windows reads it: as characters, decoded from the carrier's code page.
TargetNameCheck CheckTargetName(const std::u32string& name);

// Judges stored bytes when their code page is unknown, each byte as the character of the
// same value: the Western view, in which 0xB9 is the superscript one of "COM¹".
TargetNameCheck CheckStoredTargetName(const std::string& bytes);

// Why a name is refused, for a message ("it has a \"..\" component ..."); empty for Allowed.
std::string TargetNameRefusal(const TargetNameCheck& check);

}  // namespace package
