#include <exception>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

#include "apps/chronova/cli.h"
#include "platform/heap_arenas.h"
#include "platform/interruption.h"

int main(int argc, char** argv) {
    chronova::platform::LimitHeapArenas();
    chronova::platform::StopCleanlyOnSignals("chronova");
    int status = chronova::cli::kExitRuntimeError;
    try {
        status = chronova::cli::Run(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr,
                                    isatty(STDERR_FILENO) != 0);
    } catch (const chronova::platform::Interrupted&) {
        // Unwound from a check point: the destructors on the way removed the unfinished files.
    } catch (const std::exception& e) {
        std::cerr << "chronova: " << e.what() << '\n';
    }
    // Also when the command got to its end before a check point noticed the signal.
    if (const int signal = chronova::platform::InterruptingSignal(); signal != 0) {
        std::cerr << "chronova: interrupted\n";
        return chronova::platform::Interrupted(signal).ExitStatus();
    }
    return status;
}
