#include "QuorvaneIPC/SessionPrinter.h"

#include "Support/SessionResult.h"
#include "Support/UnicodeText.h"

#include <cerrno>
#include <string>
#include <string_view>
#include <system_error>
#include <unistd.h>

namespace quorvane::SessionPrinter {

namespace {

// Writes every byte; gives the error number of the write that failed, or 0.
int writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return errno;
        if (written == 0)
            return EIO;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

} // namespace

int print(const SessionResult& result, int outputFD, int errorFD)
{
    // Messages echo the user's words and the config file's text, which may hold control characters.
    int outputError = writeAll(outputFD, UnicodeText::withVisibleControls(result.standardOutput));
    std::string error = UnicodeText::withVisibleControls(result.standardError);
    if (outputError != 0)
        error += "Could not write the output: " + std::generic_category().message(outputError) + ".\n";
    int errorError = writeAll(errorFD, error);
    return outputError != 0 || errorError != 0 ? 1 : result.exitCode;
}

} // namespace quorvane::SessionPrinter
