// Any text as the command line (the first byte even: one argument per line)
// or as a headless input script (odd). Parsing ends with a result or a
// message for the user, never anything else.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "platform/HeadlessRunner.h"
#include "platform/HostOptions.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    if ((data[0] & 1) == 0) {
        std::vector<std::string> args = {"brettspalt"};
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);) args.push_back(line);
        const HostOptions options = ParseCommandLine(args);
        if (options.mode == HostOptions::Mode::Help && UsageText().empty()) std::abort();
        return 0;
    }
    std::istringstream in(text);
    std::vector<ScriptEvent> events;
    std::string error;
    if (!ParseScript(in, &events, &error) && error.empty()) std::abort();  // a failure says why
    return 0;
}
