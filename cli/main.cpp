#include "CCliApp.h"

#include <string>
#include <vector>

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    CCliApp app;
    return app.Run(args);
}
