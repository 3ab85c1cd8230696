// Which target names stay inside the folder they are written into. firmpack refuses the
// others when it packs or extracts; the carrier itself writes whatever its package names.
#pragma once

namespace package {

enum class TargetNameRule {
    Allowed,
    Absolute,     // "/x", "\x": from the root of a drive or file system
    NetworkPath,  // "\\srv\x", "//srv/x": a share or a device namespace
    Drive,        // "C:x", "C:\x"
    Parent,       // a ".." component, with either separator
    Colon,        // anywhere else: a Windows stream ("fw.bin:ads")
    Device,       // CON, PRN, AUX, NUL, COM1-9, LPT1-9 in any component, with any extension
};

TargetNameRule CheckTargetName(const char* name);

// Why a name is refused, for a message ("has a \"..\" component ..."); null for Allowed.
const char* TargetNameRefusal(TargetNameRule rule);

}  // namespace package
