// Writes the payload of an open package to a path: the carrier to its target, firmpack to
// its target or to --output. One function, so the two write files the same way.
#pragma once

#include "ExtractResult.h"
#include "PackageFile.h"

namespace package {

// `path` as FileStream.h takes it. After TargetNotWritable, `writeErrno` is the C library's
// error number when the target was opened (0: none).
ExtractResult ExtractPayloadTo(PackageFile& package, const char* path, int& writeErrno);

}  // namespace package
