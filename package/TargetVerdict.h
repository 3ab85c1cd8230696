// The one judgement of a carried target name: whether a Windows user's carrier can write it
// and keep it inside the folder it runs in, why not, and what the carrier will answer for it.
// pack, inspect, verify, extract and the writer ask it; the carrier itself writes whatever
// its package names.
#pragma once

#include <string>

#include "ExtractResult.h"

namespace package {

enum class TargetNameRule {
    Allowed,
    Empty,              // no file at all: the carrier cannot write one
    NoFileName,         // the last part is empty or ".": "x/", ".", "a/." name a folder
    Absolute,           // "/x", "\x": from the root of a drive or file system
    NetworkPath,        // "\\srv\x", "//srv/x": a share or a device namespace
    Drive,              // "C:x", "C:\x"
    Parent,             // a ".." component, with either separator
    Colon,              // anywhere else: a Windows stream ("fw.bin:ads")
    Device,             // CON, PRN, AUX, NUL, COM1-9, LPT1-9 in any component, with any extension
    ReservedCharacter,  // < > " | ? * or a control character: no Windows file has one
    TrailingDotOrSpace, // Windows drops it, so the file written would have another name
    Folder,             // "fw/x.bin": the carrier creates no folder
    NamesCarrier,       // the carrier's own file, however spelt: it is open for reading
    CarrierNotFound,    // the carrier's file name cannot lead it to its package
};

struct TargetContext {
    int codePage = 0;             // the one the carrier's users read names in; 0: unknown, read as 1252
    std::string carrierFileName;  // the carrier's file name in UTF-8, without its folder; "": unknown
    bool folderExists = false;    // the vendor has the carrier run where the name's folder exists
};

struct TargetVerdict {
    TargetNameRule rule = TargetNameRule::Allowed;
    char32_t character = 0;  // the reserved character, for ReservedCharacter
    int readIn = 0;          // another code page whose reading broke the rule; 0: the context's
    ExtractResult result = ExtractResult::Extracted;  // the carrier's answer, its payload sound

    bool Allowed() const { return rule == TargetNameRule::Allowed; }
};

// Judges the stored bytes as Windows reads them in the context's code page; a device or a way
// out of the folder is refused in the reading of every code page firmpack knows.
TargetVerdict JudgeTarget(const std::string& stored, const TargetContext& context);

// Why a name is refused, for a message ("it has a \"..\" component ..."); empty when allowed.
std::string TargetNameRefusal(const TargetVerdict& verdict);

}  // namespace package
