#pragma once
// The command-line front end: global options, the command table and the terminal
// implementations of Progress and Interaction.
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/interaction.h"
#include "core/progress.h"

namespace tavlora::cli {

struct GlobalOptions {
    std::filesystem::path data = ".";
    int offset = 0;
    bool sorted = false;
    bool yes = false;
};

// Thrown for a usage error (exit status 2); the message is printed with the command's usage.
struct UsageError {
    std::string message;
};

struct Context {
    GlobalOptions options;
    std::vector<std::string> args;  // the command's own arguments (after its name)
    std::ostream& out;
    std::ostream& err;
    Progress& progress;
    Interaction& interaction;
};

// A command: returns the exit status (0 success, 1 failure). Failures may also be thrown as
// EError (printed, exit 1) or UsageError (printed with the usage, exit 2).
struct Command {
    std::string name;
    std::string summary;
    std::string usage;
    std::function<int(Context&)> run;
};

// Commands register themselves from their own source files through a static CommandRegistrar.
std::vector<Command>& commandTable();
struct CommandRegistrar {
    explicit CommandRegistrar(Command c) { commandTable().push_back(std::move(c)); }
};

// Small argument helpers for commands: "--name VALUE" options and flags.
class ArgReader {
public:
    explicit ArgReader(std::vector<std::string> args) : args_(std::move(args)) {}
    bool flag(const std::string& name);                       // removes "--name" when present
    bool option(const std::string& name, std::string& value);  // removes "--name VALUE"
    int intOption(const std::string& name, int defaultValue);  // UsageError when not a number
    std::vector<std::string> rest() const { return args_; }     // what is left, in order
    void expectNoOptions() const;  // UsageError when an unknown "--x" is left

private:
    std::vector<std::string> args_;
};

// Ends a command with status 1 after its failure has been reported.
struct Reported {};

// "A-B" or "A": rows of a printed list, 1-based, A <= B (UsageError naming --rows otherwise).
std::pair<int64_t, int64_t> readRowRange(const std::string& text);
// The words of a list separated by separator, trimmed, empty ones dropped ("7; ;21" gives two).
std::vector<std::string> listWords(std::string_view text, char separator);

// Prints tab-separated rows.
void printRow(std::ostream& out, const std::vector<std::string>& cells);

// A table printed tab-separated that, when "--xlsx FILE" was given, is also written as a
// spreadsheet workbook with one sheet named after the window's tab. Rows beyond what a sheet
// holds are only counted, so that finish() refuses the workbook without keeping a huge list.
class TableOutput {
public:
    // Reads "--xlsx FILE" from the arguments.
    TableOutput(std::ostream* out, ArgReader& args, std::string sheetName);
    bool writesWorkbook() const { return !xlsxFile_.empty(); }
    void header(const std::vector<std::string>& captions);
    void row(const std::vector<std::string>& cells);
    // Writes the workbook when one was asked for; throws EError when it cannot be written.
    void finish();

private:
    std::ostream* out_;  // null: nothing printed (the workbook only)
    std::string xlsxFile_;
    std::string sheetName_;
    std::vector<std::string> captions_;
    std::vector<std::vector<std::string>> rows_;
    int64_t rowCount_ = 0;
};

// Terminal progress: a line on standard error that rewrites itself on a terminal, silent otherwise.
class TerminalProgress : public Progress {
public:
    TerminalProgress();
    ~TerminalProgress() override;
    void setText(const std::string& text) override;
    void setMaximum(int64_t maximum) override;
    void setPosition(int64_t position) override;
    bool stopRequested() const override { return false; }

private:
    void draw();
    bool tty_;
    std::string text_;
    int64_t max_ = 0;
    int64_t pos_ = 0;
    int lastPercent_ = -1;
    bool drawn_ = false;
};

// Prints messages to standard error; questions are answered by --yes, otherwise refused.
class TerminalInteraction : public Interaction {
public:
    TerminalInteraction(std::ostream& err, bool yes) : err_(err), yes_(yes) {}
    void message(MessageKind kind, const std::string& caption, const std::string& text) override;
    bool question(const std::string& caption, const std::string& text, bool defaultYes) override;

private:
    std::ostream& err_;
    bool yes_;
};

// Passes messages on to another Interaction and remembers whether an error was among them, so
// that a command can end with status 1 after the engine reported a failure.
class ErrorWatch : public Interaction {
public:
    explicit ErrorWatch(Interaction& inner) : inner_(inner) {}
    void message(MessageKind kind, const std::string& caption, const std::string& text) override {
        if (kind == MessageKind::Error) failed = true;
        inner_.message(kind, caption, text);
    }
    bool question(const std::string& caption, const std::string& text, bool defaultYes) override {
        return inner_.question(caption, text, defaultYes);
    }
    bool failed = false;

private:
    Interaction& inner_;
};

// Turns the "\r" paragraph marks of the program's messages into line breaks for the terminal.
std::string terminalText(const std::string& text);

}  // namespace tavlora::cli
