// frameloom-cli styles: the transition styles as the slide-show effect list
// shows them, one per line: index, "-" and name.

#include <iostream>

#include "CliCommand.h"
#include "generators/transitions/TransitionStyles.h"

namespace {

const char* const StylesUsage = "Usage: frameloom-cli styles\n"
                                "Lists the 150 transition styles of the slide show, one per line as\n"
                                "index, \"-\" and name (the index or the name selects a style in\n"
                                "`frameloom-cli slideshow`).\n";

int RunStyles(const std::vector<std::string>& args) {
    if (WantsHelp(args)) {
        std::cout << StylesUsage;
        return ExitOk;
    }
    if (!args.empty()) {
        std::cerr << "frameloom-cli styles: unexpected argument '" << args[0] << "'\n" << StylesUsage;
        return ExitUsage;
    }
    for (int i = 1; i <= TransitionStyleCount; ++i) std::cout << i << "-" << TransitionStyleName(i) << "\n";
    return ExitOk;
}

const bool registered =
    RegisterCommand({"styles", "list the transition styles of the slide show", &RunStyles});

} // namespace
