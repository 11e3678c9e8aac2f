#include <iostream>

#include "CliApp.h"
#include "errors/IError.h"

int main(int argc, char** argv)
{
    tarvola::installOutOfMemoryHandler();
    std::vector<std::string> args(argv + 1, argv + argc);
    return tarvola::cli::runCli(args, std::cout, std::cerr);
}
