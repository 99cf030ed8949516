// The cogbook program. The windows come later; until then it runs the
// command-line forms of its work.
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "app/cli.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return cogbook::runCommandLine(std::move(args), std::cout, std::cerr);
}
