// firmpack: builds, inspects, verifies and extracts firmware carriers.
#include <iostream>

#include "Commands.h"
#include "ExitCodes.h"

#ifndef FIRMPACK_VERSION
#define FIRMPACK_VERSION "unknown"
#endif

int main(int argc, char** argv)
{
    CLI::App app{"firmpack: builds, inspects, verifies and extracts firmware carriers", "firmpack"};
    app.set_version_flag("--version", "firmpack " FIRMPACK_VERSION);
    app.require_subcommand(1);
    app.footer("Exit status: 0 success, 1 verification failed, 2 usage error, 3 I/O error.");

    int exitCode = kExitSuccess;
    SetupPack(app, exitCode);
    SetupInspect(app, exitCode);
    SetupVerify(app, exitCode);
    SetupExtract(app, exitCode);

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {
        return app.exit(e);  // --help, --version
    } catch (const CLI::ParseError& e) {
        std::cerr << "firmpack: " << e.what() << "\nRun 'firmpack --help' for usage.\n";
        return kExitUsage;
    }
    return exitCode;
}
