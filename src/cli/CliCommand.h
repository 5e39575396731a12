#pragma once
// Subcommands of frameloom-cli register themselves with a static RegisterCommand call
// in their own file, so adding one touches no other file.

#include <string>
#include <vector>

// Exit statuses shared by every subcommand.
constexpr int ExitOk = 0;
constexpr int ExitFailure = 1; // the work failed (reason on stderr)
constexpr int ExitUsage = 2;   // the command line was wrong

struct TCliCommand {
    std::string Name;
    std::string Summary;                              // one line for `frameloom-cli --help`
    int (*Run)(const std::vector<std::string>& args); // args after the subcommand name
};

bool RegisterCommand(const TCliCommand& command);
const std::vector<TCliCommand>& RegisteredCommands();

// True when args hold -h or --help.
bool WantsHelp(const std::vector<std::string>& args);
