// The flashing tool's supervisor on Linux (see ToolSupervisor.h): the tool leads a process
// group of its own, which ends whole with it, helpers the tool started included; the supervisor
// is the reaper of whatever left that group, so that nothing the tool started outlives it and
// keeps the update lock.
#include "ToolSupervisor.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/signalfd.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace ToolSupervisor {
namespace {
using Clock = std::chrono::steady_clock;

struct Supervision
{
    pid_t tool = 0;
    Clock::time_point deadline;
    Clock::time_point forceAt = Clock::time_point::max();
    std::chrono::milliseconds grace{0};
    bool stopped = false;
    bool ended = false;
    int status = 0;

    // Whether the tool has ended. It is left unreaped, a zombie: its process and group number
    // stay its own, not some new process's, until its group has been ended too.
    bool reap()
    {
        if (ended)
            return true;
        siginfo_t info = {};
        if (waitid(P_PID, id_t(tool), &info, WEXITED | WNOHANG | WNOWAIT) != 0 ||
            info.si_pid != tool)
            return false;
        ended = true;
        status = info.si_code == CLD_EXITED ? W_EXITCODE(info.si_status, 0) : info.si_status;
        return true;
    }

    // A tool that has ended by itself, if only just, was not stopped.
    void stop()
    {
        if (stopped || reap())
            return;
        stopped = true;
        kill(-tool, SIGTERM);
        forceAt = Clock::now() + grace;
    }

    int waitMs() const
    {
        const auto next = stopped ? forceAt : deadline;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(next - Clock::now());
        return int(std::clamp<long long>(left.count(), 0, 60000));
    }
};

// A descriptor that the program handed down by its number; -1 for "-" or one that is not open.
int handedDown(const char *number)
{
    char *end = nullptr;
    const long descriptor = std::strtol(number, &end, 10);
    if (end == number || *end != '\0' || descriptor < 0 || descriptor > 65535 ||
        fcntl(int(descriptor), F_GETFD) < 0)
        return -1;
    return int(descriptor);
}

// The tool's channel, as this process's own, for the tool to inherit.
void adoptAs(const char *number, int channel)
{
    const int descriptor = handedDown(number);
    if (descriptor < 0 || descriptor == channel)
        return;
    dup2(descriptor, channel);
    close(descriptor);
}

// One write to a file the program made: nothing another user could have put in its place, and
// never a wait for a reader that may have gone with the program.
void writeStatus(int file, const char *text)
{
    if (file < 0)
        return;
    [[maybe_unused]] const ssize_t written = write(file, text, std::strlen(text));
}

// Starts the tool in a group of its own, with the signals and the standard input it would have
// had; false (and errno) when it could not be started.
bool startTool(char **tool, const sigset_t &originalMask, pid_t *pid)
{
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0)
        return false;
    *pid = fork();
    if (*pid == 0) {
        setpgid(0, 0);
        sigprocmask(SIG_SETMASK, &originalMask, nullptr);
        // The supervisor's input carries its program's requests; the tool's is empty.
        const int nothing = open("/dev/null", O_RDONLY);
        if (nothing >= 0)
            dup2(nothing, STDIN_FILENO);
        execv(tool[0], tool);
        const int error = errno;
        [[maybe_unused]] const ssize_t written = write(report[1], &error, sizeof error);
        _exit(127);
    }
    const int forkError = errno;
    close(report[1]);
    if (*pid < 0) {
        close(report[0]);
        errno = forkError;
        return false;
    }
    setpgid(*pid, *pid);
    // Closed by the exec that succeeded, or carries the errno of the one that failed.
    int error = 0;
    const bool failed = read(report[0], &error, sizeof error) == sizeof error;
    close(report[0]);
    if (failed) {
        waitpid(*pid, nullptr, 0);
        errno = error;
    }
    return !failed;
}

// This process's children: the tool's leftovers that left its group, which the kernel handed to
// this process as their reaper.
std::vector<pid_t> children()
{
    std::vector<pid_t> found;
    // The kernel's own list, where it keeps one: this process has no other thread.
    char listPath[64];
    std::snprintf(listPath, sizeof listPath, "/proc/self/task/%d/children", int(getpid()));
    if (FILE *list = std::fopen(listPath, "re")) {
        int child = 0;
        while (std::fscanf(list, "%d", &child) == 1)
            found.push_back(pid_t(child));
        std::fclose(list);
        return found;
    }
    DIR *processes = opendir("/proc");
    if (!processes)
        return found;
    const pid_t self = getpid();
    while (const dirent *entry = readdir(processes)) {
        if (entry->d_name[0] < '0' || entry->d_name[0] > '9')
            continue;
        char path[300];
        std::snprintf(path, sizeof path, "/proc/%s/stat", entry->d_name);
        const int file = open(path, O_RDONLY | O_CLOEXEC);
        if (file < 0)
            continue;
        char stat[512] = {};
        const ssize_t length = read(file, stat, sizeof stat - 1);
        close(file);
        // pid (name) state ppid: the name may hold anything, so count from its last ')'.
        const char *end = length > 0 ? std::strrchr(stat, ')') : nullptr;
        char state = 0;
        int parent = 0;
        if (end && std::sscanf(end + 1, " %c %d", &state, &parent) == 2 && parent == self)
            found.push_back(pid_t(std::atoi(entry->d_name)));
    }
    closedir(processes);
    return found;
}

// Ends whatever the tool left behind: its group, and every process that left the group on the
// way, until this process has no child left.
void endLeftovers(pid_t group)
{
    kill(-group, SIGKILL);
    for (;;) {
        for (const pid_t child : children())
            kill(child, SIGKILL);
        if (waitpid(-1, nullptr, 0) < 0 && errno == ECHILD)
            return;
    }
}

// Ends this process as the tool ended, so that whoever waits for it learns the same.
int endAsTool(int status)
{
    if (!WIFSIGNALED(status))
        return WEXITSTATUS(status);
    const int signalNumber = WTERMSIG(status);
    const rlimit noCore = {0, 0}; // the tool's crash is its own, not ours to dump
    setrlimit(RLIMIT_CORE, &noCore);
    std::signal(signalNumber, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signalNumber);
    sigprocmask(SIG_UNBLOCK, &only, nullptr);
    raise(signalNumber);
    return 128 + signalNumber;
}
} // namespace

int run(int argc, char *argv[])
{
    if (argc < 8)
        return 2;
    // Kept from the tool: how it ended is this process's to tell.
    const int statusFile = handedDown(argv[4]);
    if (statusFile >= 0) {
        fcntl(statusFile, F_SETFD, FD_CLOEXEC);
        fcntl(statusFile, F_SETFL, fcntl(statusFile, F_GETFL) | O_NONBLOCK);
    }
    adoptAs(argv[5], STDOUT_FILENO);
    adoptAs(argv[6], STDERR_FILENO);
    Supervision supervision;
    supervision.deadline = Clock::now() + std::chrono::milliseconds(std::atol(argv[2]));
    supervision.grace = std::chrono::milliseconds(std::atol(argv[3]));

    // Read from one descriptor beside the program's requests. SIGTERM asks the tool to stop;
    // a Ctrl+C or a terminal that hangs up never cuts a flash short.
    sigset_t handled;
    sigemptyset(&handled);
    for (const int signalNumber : {SIGCHLD, SIGTERM, SIGINT, SIGHUP, SIGPIPE})
        sigaddset(&handled, signalNumber);
    sigset_t originalMask;
    sigprocmask(SIG_BLOCK, &handled, &originalMask);
    const int signals = signalfd(-1, &handled, SFD_CLOEXEC);

    // Whatever the tool starts and leaves is handed to this process when its parent ends.
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    if (!startTool(argv + 7, originalMask, &supervision.tool)) {
        char text[32];
        std::snprintf(text, sizeof text, "not-started %d\n", errno);
        writeStatus(statusFile, text);
        return 127;
    }

    bool requestsOpen = true;
    while (!supervision.reap()) {
        if (!supervision.stopped && Clock::now() >= supervision.deadline)
            supervision.stop();
        if (supervision.stopped && Clock::now() >= supervision.forceAt) {
            kill(-supervision.tool, SIGKILL);
            supervision.forceAt = Clock::time_point::max();
        }
        pollfd events[2] = {{signals, POLLIN, 0}, {requestsOpen ? STDIN_FILENO : -1, POLLIN, 0}};
        if (poll(events, 2, supervision.waitMs()) <= 0)
            continue;
        signalfd_siginfo info = {};
        if ((events[0].revents & POLLIN) && read(signals, &info, sizeof info) == sizeof info &&
            info.ssi_signo == SIGTERM)
            supervision.stop();
        if (events[1].revents) {
            char request[64];
            const ssize_t length = read(STDIN_FILENO, request, sizeof request);
            if (length <= 0)
                requestsOpen = false; // the program has gone: the deadline still holds
            else if (memmem(request, size_t(length), "stop", 4))
                supervision.stop();
        }
    }
    // Whatever the tool started and left behind goes with it, stopped or not: it would hold the
    // lock the tool inherited.
    endLeftovers(supervision.tool);
    const int status = supervision.status;
    char text[48];
    std::snprintf(text, sizeof text, "%s %d\n%s", WIFSIGNALED(status) ? "signal" : "exit",
                  WIFSIGNALED(status) ? WTERMSIG(status) : WEXITSTATUS(status),
                  supervision.stopped ? "stopped\n" : "");
    writeStatus(statusFile, text);
    return endAsTool(status);
}
} // namespace ToolSupervisor
