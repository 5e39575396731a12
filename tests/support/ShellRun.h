#pragma once
// Runs a shell command line for the tests that check our programs and files
// from the outside: frameloom-cli, ImageMagick, gifsicle and giflib's tools.

#include <cstdio>
#include <string>
#include <sys/wait.h>

struct TShellRun {
    int Status = -1; // exit status, 128 + signal when killed, -1 when it could not start
    std::string Output;
};

enum class TShellErrors { Captured, Discarded };

// Returns the command's standard output, with its standard error after or
// among it (Captured) or thrown away (Discarded).
inline TShellRun RunShell(const std::string& command, TShellErrors errors = TShellErrors::Captured) {
    TShellRun run;
    const std::string line = command + (errors == TShellErrors::Captured ? " 2>&1" : " 2>/dev/null");
    FILE* pipe = popen(line.c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.Output.append(buffer, n);
    const int status = pclose(pipe);
    run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
    return run;
}
