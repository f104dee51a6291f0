#pragma once
// Running the built tavlora-cli from end-to-end tests, and reading what it prints.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <utility>
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

// The lines of a printed text, without their line ends.
inline std::vector<std::string> textLines(const std::string& text) {
    std::vector<std::string> v;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) v.push_back(line);
    return v;
}

// The tab-separated cells of each line of a printed table.
inline std::vector<std::vector<std::string>> tableRows(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    for (const std::string& line : textLines(text)) {
        std::vector<std::string> cells;
        std::istringstream ls(line);
        for (std::string cell; std::getline(ls, cell, '\t');) cells.push_back(cell);
        rows.push_back(cells);
    }
    return rows;
}

// The bundled sample archive in the program's CSV form.
inline std::string sampleCsv() { return std::string(TAVLORA_SAMPLE_DIR) + "/draws.csv"; }

// The sample's draws as (number, the five numbers as drawn), oldest first.
inline std::vector<std::pair<int, std::vector<int>>> sampleDraws() {
    std::vector<std::pair<int, std::vector<int>>> out;
    std::ifstream in(sampleCsv());
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> f;
        std::istringstream ls(line);
        for (std::string cell; std::getline(ls, cell, ';');) f.push_back(cell);
        if (f.size() < 8) continue;
        std::vector<int> nums;
        for (size_t i = 2; i < 7; ++i) nums.push_back(std::stoi(f[i]));
        out.emplace_back(std::stoi(f[0]), nums);
    }
    return out;
}

}  // namespace tavlora::test
