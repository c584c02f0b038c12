#include <exception>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

#include "apps/chronova/cli.h"
#include "platform/heap_arenas.h"

int main(int argc, char** argv) {
    chronova::platform::LimitHeapArenas();
    try {
        return chronova::cli::Run(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr,
                                  isatty(STDERR_FILENO) != 0);
    } catch (const std::exception& e) {
        std::cerr << "chronova: " << e.what() << '\n';
        return chronova::cli::kExitRuntimeError;
    }
}
