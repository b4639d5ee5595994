// Writes the manual pages and the shell completions of Quorvane into a folder, at build time:
//   quorvane-generate <folder>
// gives <folder>/quorvane.1, quorvane-app.1, quorvane-config.5, quorvane.bash, _quorvane and quorvane.fish.
#include "Packaging/Generator/BashCompletion.h"
#include "Packaging/Generator/FishCompletion.h"
#include "Packaging/Generator/ManPages.h"
#include "Packaging/Generator/ZshCompletion.h"
#include "Support/AtomicFile.h"

#include <cstdio>
#include <exception>
#include <string>
#include <utility>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: quorvane-generate <folder>\n", stderr);
        return 1;
    }
    std::string folder = argv[1];
    const std::pair<const char*, std::string (*)()> files[] = {
        { "quorvane.1", quorvane::ManPages::tool },
        { "quorvane-app.1", quorvane::ManPages::application },
        { "quorvane-config.5", quorvane::ManPages::config },
        { "quorvane.bash", quorvane::bashCompletion },
        { "_quorvane", quorvane::zshCompletion },
        { "quorvane.fish", quorvane::fishCompletion },
    };
    try {
        for (const auto& [name, make] : files)
            quorvane::AtomicFile::write(make(), folder + "/" + name, 0644);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "quorvane-generate: %s\n", error.what());
        return 1;
    }
    return 0;
}
