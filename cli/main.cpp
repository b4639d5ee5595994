// The `quorvane` command: gathers the words, the home folder, the XDG places, the release feed and the
// terminal, runs the session and prints exactly what it returns.
#include "Configuration/QuorvanePaths.h"
#include "QuorvaneIPC/ProcessPlaces.h"
#include "QuorvaneIPC/QuorvaneSession.h"
#include "QuorvaneIPC/SessionOptions.h"
#include "QuorvaneIPC/SessionPrinter.h"
#include "Support/SessionResult.h"

#include <chrono>
#include <unistd.h>

int main(int argc, char** argv)
{
    quorvane::SessionOptions options;
    options.arguments.assign(argv + 1, argv + argc);
    options.paths = quorvane::ProcessPlaces::paths();
    options.hostBinary = quorvane::ProcessPlaces::hostBinary();
    options.updateFeed = quorvane::ProcessPlaces::updateFeed();
    options.interactive = ::isatty(STDIN_FILENO) == 1;
    options.now = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    return quorvane::SessionPrinter::print(quorvane::QuorvaneSession::run(options), STDOUT_FILENO, STDERR_FILENO);
}
