// Build step: wraps the fallback artwork (a PNG) into the icon file the core bundles.
//   MakeFallbackIcon <input.png> <output.icns>
#include "WebApps/ICNSWriter.h"

#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: MakeFallbackIcon <input.png> <output.icns>\n";
        return 2;
    }
    std::ifstream input(argv[1], std::ios::binary);
    std::string png((std::istreambuf_iterator<char>(input)), std::istreambuf_iterator<char>());
    if (!input.good() && !input.eof()) {
        std::cerr << "MakeFallbackIcon: cannot read " << argv[1] << "\n";
        return 1;
    }
    std::ofstream output(argv[2], std::ios::binary | std::ios::trunc);
    output << quorvane::ICNSWriter::wrappingPNG(png);
    output.close();
    if (!output) {
        std::cerr << "MakeFallbackIcon: cannot write " << argv[2] << "\n";
        return 1;
    }
    return 0;
}
