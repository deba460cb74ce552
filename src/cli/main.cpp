#include <iostream>

#include "cli/cli.h"
#include "cli/style.h"
#include "platform/console.h"

int main(int argc, char** argv) {
    korrin::platform::UsePlainStandardStreams();
    return korrin::cli::Run(argc, argv,
                            {std::cout, std::cerr, korrin::cli::Style::ForStandardOutput()});
}
