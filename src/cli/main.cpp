#include <iostream>

#include "cli/cli.h"
#include "cli/style.h"

int main(int argc, char** argv) {
    return korrin::cli::Run(argc, argv,
                            {std::cout, std::cerr, korrin::cli::Style::ForStandardOutput()});
}
