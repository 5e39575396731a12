#include "CliCommand.h"

#include <algorithm>
#include <iostream>
#include <new>

std::vector<TCliCommand>& CommandTable() {
    static std::vector<TCliCommand> table;
    return table;
}

bool RegisterCommand(const TCliCommand& command) {
    CommandTable().push_back(command);
    return true;
}

const std::vector<TCliCommand>& RegisteredCommands() {
    return CommandTable();
}

bool WantsHelp(const std::vector<std::string>& args) {
    return std::any_of(args.begin(), args.end(),
                       [](const std::string& a) { return a == "-h" || a == "--help"; });
}

static void PrintUsage(std::ostream& out) {
    out << "Usage: frameloom-cli COMMAND [ARGS...]\n"
           "The command-line companion of the Frameloom GIF editor.\n\nCommands:\n";
    auto commands = RegisteredCommands();
    std::sort(commands.begin(), commands.end(),
              [](const TCliCommand& a, const TCliCommand& b) { return a.Name < b.Name; });
    for (const TCliCommand& c : commands)
        out << "  " << c.Name << std::string(14 - std::min<size_t>(13, c.Name.size()), ' ') << c.Summary
            << "\n";
    out << "\nRun 'frameloom-cli COMMAND --help' for the usage of one command.\n"
           "Exit status: 0 success, 1 the work failed, 2 usage error.\n";
}

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        PrintUsage(std::cerr);
        return ExitUsage;
    }
    if (args[0] == "-h" || args[0] == "--help" || args[0] == "help") {
        PrintUsage(std::cout);
        return ExitOk;
    }
    for (const TCliCommand& c : RegisteredCommands()) {
        if (c.Name != args[0]) continue;
        // A command bounds its own work; this is the last line against input
        // that still asks for more memory than the machine has.
        try {
            return c.Run(std::vector<std::string>(args.begin() + 1, args.end()));
        } catch (const std::bad_alloc&) {
            std::cerr << "frameloom-cli " << c.Name << ": not enough memory for this work\n";
            return ExitFailure;
        }
    }
    std::cerr << "frameloom-cli: unknown command '" << args[0] << "'\n";
    PrintUsage(std::cerr);
    return ExitUsage;
}
