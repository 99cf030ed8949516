// The cogbook program built without the desktop application: the
// command-line forms only.
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "app/cli.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return cogbook::runCommandLine(std::move(args), std::cout, std::cerr);
}
