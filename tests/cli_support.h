#pragma once
// Running the built tavlora-cli from end-to-end tests.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace tavlora::test {

struct CliResult {
    int status = -1;  // exit status; -1 when the program did not exit normally
    std::string out;
    std::string err;
};

inline std::string readTextFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The text in single quotes for the shell.
inline std::string shellQuoted(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Runs the program in folder dir with no standard input, capturing standard output and error
// through files in dir. env goes before the program ("LC_ALL=C"), leading before args.
inline CliResult runCli(const std::filesystem::path& dir, const std::vector<std::string>& args,
                        const std::string& env = "", const std::vector<std::string>& leading = {}) {
    std::string cmd = "cd " + shellQuoted(dir.string()) + " && " + (env.empty() ? "" : env + " ") +
                      shellQuoted(TAVLORA_CLI_PATH);
    for (const auto& a : leading) cmd += " " + shellQuoted(a);
    for (const auto& a : args) cmd += " " + shellQuoted(a);
    cmd += " >" + shellQuoted((dir / ".out").string()) + " 2>" + shellQuoted((dir / ".err").string()) + " </dev/null";
    const int raw = std::system(cmd.c_str());
    CliResult r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = readTextFile(dir / ".out");
    r.err = readTextFile(dir / ".err");
    return r;
}

}  // namespace tavlora::test
