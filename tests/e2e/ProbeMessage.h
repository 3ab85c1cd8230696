// The message by which the end-to-end tests ask WindowProbe.cpp, hooked into the carrier: its
// wParam is a message to pass on to the window, or one of the questions below.
#pragma once

#include <windows.h>

constexpr char kProbeMessage[] = "OrvaneE2eProbe";

enum ProbeQuestion : WPARAM {
    // Low word: 1 + the controls cut off by the window's edge, overlapping another, or whose text
    // their font draws cut or without a glyph; high word: the window's font's height in pixels.
    kProbeLayout = 0x10000,
    kProbeMenuEntry,  // an atom: the system menu's last entry behind a separator, if its font draws it whole
};
