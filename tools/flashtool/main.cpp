// Stand-in for the flashing tool "util", for tests and the demo. It never talks to a device.
// It records its command line and working directory, prints to both output channels (its
// progress as flashing tools do, one line rewritten in place) and ends as the environment tells
// it:
//   OVK_FAKE_TOOL_RECORD    file to append one line per run to: JSON {args, cwd}
//   OVK_FAKE_TOOL_EXIT      exit code (default 0), or "crash" to die of SIGSEGV
//   OVK_FAKE_TOOL_EXIT_ON   a port (-p): the exit code above is for that port only, 0 elsewhere
//   OVK_FAKE_TOOL_SLEEP_MS  time to take before ending
//   OVK_FAKE_TOOL_PROGRESS  "0": prints no percentages while it writes
//   OVK_FAKE_TOOL_CHECK_ZIP "1": succeed only when the package (-pkg) is a zip archive
//   OVK_FAKE_TOOL_TIMES     file to append "start NS" and "exit NS" to (the monotonic clock
//                           of the program's moments, for the benchmark; "exit" only when it
//                           ran to its end)
//   OVK_FAKE_TOOL_HANG      "1": never ends, ignores SIGTERM, and leaves a child of its own in
//                           its process group, as a hung tool that started a helper would
//   OVK_FAKE_TOOL_LEAVE     "group": ends as told but leaves a helper running in its process
//                           group; "session": one that left the group for a session of its own
//   OVK_FAKE_TOOL_HELPER    file to write that helper's process id to
//   OVK_FAKE_TOOL_UNTIL     file: after its first percentage it writes on only once that file
//                           exists (at most 5 minutes), so that a test sees it writing however
//                           slow the machine
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {
std::string environment(const char *name, const std::string &fallback = {})
{
    const char *value = std::getenv(name);
    return value ? value : fallback;
}

std::string jsonString(const std::string &text)
{
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            quoted += escaped;
            continue;
        }
        quoted += c;
    }
    return quoted + "\"";
}

void record(const std::vector<std::string> &args)
{
    const std::string path = environment("OVK_FAKE_TOOL_RECORD");
    if (path.empty())
        return;
    char cwd[4096] = {};
    if (!getcwd(cwd, sizeof cwd))
        cwd[0] = '\0';
    std::string line = "{\"args\":[";
    for (size_t i = 0; i < args.size(); ++i)
        line += (i ? "," : "") + jsonString(args[i]);
    line += "],\"cwd\":" + jsonString(cwd) + ",\"pid\":" + std::to_string(getpid()) +
            ",\"ppid\":" + std::to_string(getppid()) + "}\n";
    std::ofstream(path, std::ios::app) << line;
}

void recordTime(const char *event)
{
    const std::string path = environment("OVK_FAKE_TOOL_TIMES");
    if (path.empty())
        return;
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    std::ofstream(path, std::ios::app)
        << event << ' ' << std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()
        << '\n';
}

std::string optionValue(const std::vector<std::string> &args, const std::string &option)
{
    for (size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == option)
            return args[i + 1];
    return {};
}

// A helper that outlives the tool, as a tool that starts a daemon and forgets it would leave.
void leaveHelper(const std::string &where)
{
    if (where != "group" && where != "session")
        return;
    const pid_t helper = fork();
    if (helper != 0) {
        std::ofstream(environment("OVK_FAKE_TOOL_HELPER")) << helper << '\n';
        return;
    }
    if (where == "session")
        setsid();
    // It keeps every descriptor the tool had, the update lock's among them.
    execlp("sleep", "sleep", "30", static_cast<char *>(nullptr));
    _exit(127);
}

bool exists(const std::string &path)
{
    return std::ifstream(path).good();
}

bool isZipArchive(const std::string &path)
{
    char magic[4] = {};
    std::ifstream file(path, std::ios::binary);
    return file.read(magic, sizeof magic) && std::memcmp(magic, "PK\x03\x04", 4) == 0;
}
} // namespace

int main(int argc, char *argv[])
{
    recordTime("start");
    const std::vector<std::string> args(argv + 1, argv + argc);
    record(args);
    const std::string package = optionValue(args, "-pkg");
    const std::string port = optionValue(args, "-p");

    std::cout << "stand-in flashing tool " << getpid() << "\npackage: " << package
              << "\nport: " << port << std::endl;
    std::cerr << "stand-in diagnostics for " << package << std::endl;

    if (environment("OVK_FAKE_TOOL_HANG") == "1") {
        std::signal(SIGTERM, SIG_IGN);
        if (fork() == 0)
            execlp("sleep", "sleep", "3600", static_cast<char *>(nullptr));
        for (;;)
            pause();
    }

    leaveHelper(environment("OVK_FAKE_TOOL_LEAVE"));
    const int sleepMs = std::atoi(environment("OVK_FAKE_TOOL_SLEEP_MS", "0").c_str());
    const bool progress = environment("OVK_FAKE_TOOL_PROGRESS", "1") != "0";
    constexpr int steps = 20;
    const std::string until = environment("OVK_FAKE_TOOL_UNTIL");
    std::cout << (progress ? "" : "writing firmware") << std::flush;
    for (int step = 1; step <= steps; ++step) {
        std::this_thread::sleep_for(std::chrono::milliseconds(sleepMs / steps));
        if (progress)
            std::cout << "\rwriting firmware " << step * 100 / steps << "%" << std::flush;
        for (int wait = 0; step == 1 && !until.empty() && wait < 6000 && !exists(until); ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::cout << std::endl;

    if (environment("OVK_FAKE_TOOL_CHECK_ZIP") == "1" && !isZipArchive(package)) {
        std::cerr << "not a firmware package: " << package << std::endl;
        return 2;
    }
    const std::string onlyOn = environment("OVK_FAKE_TOOL_EXIT_ON");
    const std::string exitCode =
        onlyOn.empty() || onlyOn == port ? environment("OVK_FAKE_TOOL_EXIT", "0") : "0";
    if (exitCode == "crash") {
        std::signal(SIGSEGV, SIG_DFL);
        std::raise(SIGSEGV);
    }
    std::cout << "done" << std::endl;
    recordTime("exit");
    return std::atoi(exitCode.c_str());
}
