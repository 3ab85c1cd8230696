// firmpack's exit statuses, documented in README.md.
#pragma once

enum ExitCode {
    kExitSuccess = 0,
    kExitVerificationFailed = 1,  // the carrier is damaged or would not write its file
    kExitUsage = 2,               // bad arguments, or values the format cannot carry
    kExitIoError = 3,             // a file could not be read or written
};
