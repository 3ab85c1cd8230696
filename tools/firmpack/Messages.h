// How firmpack talks: errors and warnings on stderr, prefixed "firmpack:".
#pragma once

#include <iostream>
#include <string>

#include "CodePageText.h"

// A name typed on the command line may hold control characters: none reaches the terminal raw.
inline int Fail(int exitCode, const std::string& message)
{
    std::cerr << "firmpack: " << EscapeControls(message) << '\n';
    return exitCode;
}
