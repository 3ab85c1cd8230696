// How firmpack talks: errors and warnings on stderr, prefixed "firmpack:".
#pragma once

#include <iostream>
#include <string>

inline int Fail(int exitCode, const std::string& message)
{
    std::cerr << "firmpack: " << message << '\n';
    return exitCode;
}

inline void Warn(const std::string& message)
{
    std::cerr << "firmpack: warning: " << message << '\n';
}
