// A second process for the settings store's tests: it writes or checks values in the files the environment names,
// and can die at the worst moment of a write, so that tests see what other processes and crashes do to the files.
//
//   settings_writer_tool write <user|machine> <key> <name prefix> <count> [--kill-before-replace]
//       writes values <prefix>0 .. <prefix><count-1> with the texts "value 0" ..; with the option the process kills
//       itself once its first new file is complete, just before that file would replace the old one
//   settings_writer_tool check <user|machine> <key> <name> <expected text>
//       exits 0 when the value is REG_SZ with exactly that text
// Exit codes: 0 done, 1 a write failed or the value differs, 2 wrong arguments.

#include <csignal>
#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>

#include "platform/atomic_file.h"
#include "platform/settings_store.h"

namespace {

using chronova::platform::Hive;

int Usage() {
    std::cerr << "usage: settings_writer_tool write <user|machine> <key> <prefix> <count> [--kill-before-replace]\n"
                 "       settings_writer_tool check <user|machine> <key> <name> <expected>\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 6) {
        return Usage();
    }
    const std::string_view command = argv[1];
    const std::string_view hive_name = argv[2];
    if (hive_name != "user" && hive_name != "machine") {
        return Usage();
    }
    const Hive hive = hive_name == "user" ? Hive::CurrentUser : Hive::LocalMachine;
    const std::string key = argv[3];
    chronova::platform::SettingsStore store;

    if (command == "check" && argc == 6) {
        const auto value = store.ReadValue(hive, key, argv[4]);
        const bool same = value && value->type == chronova::platform::ValueType::RegSz && value->text == argv[5];
        return same ? 0 : 1;
    }
    if (command == "write" && (argc == 6 || (argc == 7 && std::string_view(argv[6]) == "--kill-before-replace"))) {
        if (argc == 7) {
            chronova::platform::SetBeforeReplaceHook([](const auto&) { std::raise(SIGKILL); });
        }
        const std::string prefix = argv[4];
        const int count = std::atoi(argv[5]);
        for (int i = 0; i < count; ++i) {
            const auto text = chronova::platform::SettingsValue::String("value " + std::to_string(i));
            if (!store.WriteValue(hive, key, prefix + std::to_string(i), text)) {
                std::cerr << "settings_writer_tool: writing " << prefix << i << " failed\n";
                return 1;
            }
        }
        return 0;
    }
    return Usage();
}
