#include "CCliApp.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    CCliApp app;
    const int status = app.Run(args);
    // The app keeps its analysis to the end: a big trace's is millions of small blocks, which
    // the system takes back at once when the process ends, while handing them back one by one
    // takes about 5 % of the run. The command has written and checked its output.
    std::fflush(nullptr);
    std::_Exit(status);
}
