#pragma once

namespace quorvane {

struct SessionResult;

namespace SessionPrinter {

// Writes the result's standard output to `outputFD` and its standard error to `errorFD`, control characters
// but line feeds and tabs shown as \uXXXX escapes, and returns the
// status to exit with: the result's own, or 1 when either write fails. A failed output write is reported
// with one sentence on `errorFD`, as far as that still works.
int print(const SessionResult& result, int outputFD, int errorFD);

} // namespace SessionPrinter

} // namespace quorvane
