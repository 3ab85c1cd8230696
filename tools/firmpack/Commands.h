// The subcommands: each binds its options and sets the exit status when it runs.
#pragma once

#include <CLI/CLI.hpp>

void SetupPack(CLI::App& app, int& exitCode);
void SetupInspect(CLI::App& app, int& exitCode);
void SetupVerify(CLI::App& app, int& exitCode);
void SetupExtract(CLI::App& app, int& exitCode);
