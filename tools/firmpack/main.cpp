// firmpack: builds, inspects, verifies and extracts firmware carriers.
#include <algorithm>
#include <iostream>
#include <string>

#include "Platform.h"
#include "Commands.h"
#include "EmbeddedStub.h"
#include "ExitCodes.h"

#ifndef FIRMPACK_VERSION
#define FIRMPACK_VERSION "unknown"
#endif

int main(int argc, char** argv)
{
    CLI::App app{"firmpack: builds, inspects, verifies and extracts firmware carriers", "firmpack"};
    // The stub's hash tells which carrier code this build writes.
    app.set_version_flag("--version", std::string("firmpack " FIRMPACK_VERSION " (stub sha256 ") +
                                          kEmbeddedStubSha256 + ")");
    app.require_subcommand(1);
    app.allow_windows_style_options(false);  // "/x" names a file, on Windows too
    app.footer("Exit status: 0 success, 1 verification failed, 2 usage error, 3 I/O error.");

    const ConsoleUtf8 console;
    int exitCode = kExitSuccess;
    SetupPack(app, exitCode);
    SetupInspect(app, exitCode);
    SetupVerify(app, exitCode);
    SetupExtract(app, exitCode);

    try {
        std::vector<std::string> arguments = CommandLineArguments(argc, argv);
        std::reverse(arguments.begin(), arguments.end());  // CLI11 takes them last first
        app.parse(arguments);
    } catch (const CLI::Success& e) {
        return app.exit(e);  // --help, --version
    } catch (const CLI::ParseError& e) {
        std::cerr << "firmpack: " << e.what() << "\nRun 'firmpack --help' for usage.\n";
        return kExitUsage;
    }
    return exitCode;
}
