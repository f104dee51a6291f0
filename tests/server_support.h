#pragma once
// Real servers for the download tests: the results-page server of tests/servers (Python) and
// tinyproxy, each started as a child process on a free local port and ended with the object.
// A server that does not come up is a test failure, reported through TAVLORA_SERVER_EXPECT
// (GoogleTest's EXPECT_TRUE unless the including test defines it, as the Qt Test programs do).
#ifndef TAVLORA_SERVER_EXPECT
#include <gtest/gtest.h>
#define TAVLORA_SERVER_EXPECT(cond, message) EXPECT_TRUE(cond) << (message)
#endif

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <optional>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace tavlora::test {

inline std::string readWholeFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline std::vector<std::string> fileLines(const std::filesystem::path& p) {
    std::vector<std::string> out;
    std::istringstream in(readWholeFile(p));
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// A local TCP port nobody listens on right now (bound to port 0, then released).
inline int freePort() {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(fd);
    return ntohs(a.sin_port);
}

inline bool portAccepts(int port) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<uint16_t>(port));
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    ::close(fd);
    return ok;
}

// Waits (up to about ten seconds) until cond() holds.
template <typename Cond>
bool waitFor(Cond cond) {
    for (int i = 0; i < 1000; ++i) {
        if (cond()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return cond();
}

// A child process; stdout and stderr go to the given file. Killed (SIGKILL) and reaped when the
// object goes away unless it was waited for.
class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& argv, const std::filesystem::path& output) {
        pid_ = ::fork();
        if (pid_ == 0) {
            int fd = ::open(output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
            if (fd >= 0) {
                ::dup2(fd, STDOUT_FILENO);
                ::dup2(fd, STDERR_FILENO);
            }
            std::vector<char*> args;
            for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
            args.push_back(nullptr);
            ::execv(args[0], args.data());
            ::_exit(127);
        }
    }
    ~ChildProcess() {
        if (pid_ > 0 && !reaped_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    bool running() {
        if (reaped_) return false;
        int status = 0;
        pid_t r = ::waitpid(pid_, &status, WNOHANG);
        if (r == pid_) {
            reaped_ = true;
            status_ = status;
            return false;
        }
        return true;
    }
    void signal(int sig) {
        if (!reaped_) ::kill(pid_, sig);
    }
    // Waits for the end; the exit status, or -1 when it ended by a signal.
    int wait() {
        if (!reaped_) {
            ::waitpid(pid_, &status_, 0);
            reaped_ = true;
        }
        return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
    }

private:
    pid_t pid_ = -1;
    bool reaped_ = false;
    int status_ = 0;
};

// The results-page server (tests/servers/results_server.py) on a free port. Options are those
// of the script (--draws CSV, --extra FILE, --pages DIR, --proxies FILE, --gzip, --delay S,
// --slow-from N, --fail-first N, --hang).
class ResultsServer {
public:
    ResultsServer(const std::filesystem::path& dir, const std::string& name, std::vector<std::string> options = {})
        : portFile_(dir / (name + ".port")), log_(dir / (name + ".log")) {
        std::vector<std::string> argv{TAVLORA_PYTHON, std::string(TAVLORA_TEST_SERVERS_DIR) + "/results_server.py",
                                      "--port-file", portFile_.string(), "--log", log_.string()};
        argv.insert(argv.end(), options.begin(), options.end());
        process_.emplace(argv, dir / (name + ".out"));
        const bool up = waitFor([&] { return std::filesystem::exists(portFile_); });
        if (up) port_ = std::stoi(readWholeFile(portFile_));
        TAVLORA_SERVER_EXPECT(up, "the results server did not start: " + readWholeFile(dir / (name + ".out")));
    }
    int port() const { return port_; }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_); }
    // One line per request: path?query, Accept-Encoding, Cookie, User-Agent, the answer.
    std::vector<std::string> log() const { return fileLines(log_); }
    std::vector<std::vector<std::string>> logFields() const {
        std::vector<std::vector<std::string>> out;
        for (const auto& line : log()) {
            std::vector<std::string> f;
            std::istringstream in(line);
            for (std::string x; std::getline(in, x, '\t');) f.push_back(x);
            out.push_back(f);
        }
        return out;
    }

private:
    std::filesystem::path portFile_;
    std::filesystem::path log_;
    std::optional<ChildProcess> process_;
    int port_ = 0;
};

// The catalogue service of wheeling systems (tests/servers/systems_server.py) on a free port,
// answering from the catalogue file (JSON; saves and deletes change it). Options are those of the
// script (--error TEXT, --status N).
class SystemsServer {
public:
    SystemsServer(const std::filesystem::path& dir, const std::string& name, const std::filesystem::path& catalogue,
                  std::vector<std::string> options = {})
        : portFile_(dir / (name + ".port")), log_(dir / (name + ".log")) {
        std::vector<std::string> argv{TAVLORA_PYTHON, std::string(TAVLORA_TEST_SERVERS_DIR) + "/systems_server.py",
                                      "--port-file", portFile_.string(), "--log", log_.string(),
                                      "--catalogue", catalogue.string()};
        argv.insert(argv.end(), options.begin(), options.end());
        process_.emplace(argv, dir / (name + ".out"));
        const bool up = waitFor([&] { return std::filesystem::exists(portFile_); });
        if (up) port_ = std::stoi(readWholeFile(portFile_));
        TAVLORA_SERVER_EXPECT(up, "the systems server did not start: " + readWholeFile(dir / (name + ".out")));
    }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }
    // One line per request: path, the form body as sent, what was answered (tab-separated).
    std::vector<std::string> log() const { return fileLines(log_); }

private:
    std::filesystem::path portFile_;
    std::filesystem::path log_;
    std::optional<ChildProcess> process_;
    int port_ = 0;
};

// tinyproxy on a free port with a generated configuration; basic authentication when a user is
// given. Its log (LogLevel Info) records every request line it forwards.
class TinyProxy {
public:
    explicit TinyProxy(const std::filesystem::path& dir, const std::string& user = "", const std::string& password = "")
        : log_(dir / "tinyproxy.log") {
        const std::string binary = TAVLORA_TINYPROXY;
        TAVLORA_SERVER_EXPECT(!binary.empty(), "tinyproxy is not installed (scripts/install-deps.sh installs it)");
        if (binary.empty()) return;
        port_ = freePort();
        const auto conf = dir / "tinyproxy.conf";
        {
            std::ofstream c(conf);
            c << "Port " << port_ << "\nListen 127.0.0.1\nTimeout 30\nMaxClients 20\nLogLevel Info\n";
            c << "LogFile \"" << log_.string() << "\"\nPidFile \"" << (dir / "tinyproxy.pid").string() << "\"\n";
            if (!user.empty()) c << "BasicAuth " << user << " " << password << "\n";
        }
        process_.emplace(std::vector<std::string>{binary, "-d", "-c", conf.string()}, dir / "tinyproxy.out");
        const bool up = waitFor([&] { return portAccepts(port_); });
        TAVLORA_SERVER_EXPECT(up, "tinyproxy did not start: " + readWholeFile(dir / "tinyproxy.out") + readWholeFile(log_));
    }
    int port() const { return port_; }
    std::string log() const { return readWholeFile(log_); }

private:
    std::filesystem::path log_;
    std::optional<ChildProcess> process_;
    int port_ = 0;
};

}  // namespace tavlora::test
