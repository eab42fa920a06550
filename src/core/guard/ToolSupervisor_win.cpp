// The flashing tool's supervisor on Windows (see ToolSupervisor.h): the tool runs in a job of
// its own, which is ended with the tool, stopped or not, so that nothing it started outlives it
// with the update lock it inherited. A console tool has no window to be asked to close: a stop
// ends it at once.
#include "ToolSupervisor.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <windows.h>

namespace ToolSupervisor {
namespace {
// One argument as the C runtime of the tool will split it again.
std::wstring quoted(const std::wstring &argument)
{
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos)
        return argument;
    std::wstring text = L"\"";
    for (auto it = argument.begin();; ++it) {
        size_t backslashes = 0;
        for (; it != argument.end() && *it == L'\\'; ++it)
            ++backslashes;
        if (it == argument.end()) {
            text.append(backslashes * 2, L'\\');
            break;
        }
        text.append(*it == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        text.push_back(*it);
    }
    return text + L"\"";
}

// A handle that the program handed down by its value; null for "-".
HANDLE handedDown(const wchar_t *value)
{
    wchar_t *end = nullptr;
    const unsigned long long handle = std::wcstoull(value, &end, 10);
    return end == value || *end != L'\0' ? nullptr
                                         : reinterpret_cast<HANDLE>(static_cast<quintptr>(handle));
}

// One write to a file the program made: nothing another user could have put in its place.
void writeStatus(HANDLE file, const char *text)
{
    if (!file)
        return;
    DWORD written = 0;
    WriteFile(file, text, DWORD(std::strlen(text)), &written, nullptr);
}

// Sets the event when the program asks for a stop; the end of its requests changes nothing.
DWORD WINAPI readRequests(void *stopRequested)
{
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    char request[64];
    DWORD length = 0;
    while (ReadFile(input, request, sizeof request, &length, nullptr) && length > 0) {
        if (std::string(request, length).find("stop") != std::string::npos)
            SetEvent(stopRequested);
    }
    return 0;
}

// Ends whatever is left in the tool's job and waits until it has gone, and with it the handles
// it inherited; bounded, for a process that the system cannot end at once.
void endJob(HANDLE job)
{
    if (!job || !TerminateJobObject(job, 1))
        return;
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info = {};
    for (int wait = 0; wait < 500; ++wait) {
        if (!QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &info, sizeof info,
                                       nullptr) ||
            info.ActiveProcesses == 0)
            return;
        Sleep(10);
    }
}

HANDLE emptyInput()
{
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    return CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                       OPEN_EXISTING, 0, nullptr);
}
} // namespace

int run(int, char *[])
{
    int count = 0;
    wchar_t **arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments || count < 8)
        return 2;
    const DWORD timeoutMs = DWORD(std::wcstoul(arguments[2], nullptr, 10));
    // Kept from the tool: how it ended is this process's to tell.
    const HANDLE statusFile = handedDown(arguments[4]);
    if (statusFile)
        SetHandleInformation(statusFile, HANDLE_FLAG_INHERIT, 0);
    const HANDLE output = handedDown(arguments[5]);
    const HANDLE errors = handedDown(arguments[6]);
    std::wstring commandLine = quoted(arguments[7]);
    for (int i = 8; i < count; ++i)
        commandLine += L" " + quoted(arguments[i]);

    // The tool writes to the files it was handed, else where the supervisor does; its input is
    // empty, for the supervisor's carries its program's requests.
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = emptyInput();
    startup.hStdOutput = output ? output : GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = errors ? errors : GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION tool = {};
    if (!CreateProcessW(arguments[7], commandLine.data(), nullptr, nullptr, TRUE,
                        CREATE_NEW_PROCESS_GROUP | CREATE_NO_WINDOW | CREATE_SUSPENDED, nullptr,
                        nullptr, &startup, &tool)) {
        char text[32];
        std::snprintf(text, sizeof text, "not-started %lu\n", GetLastError());
        writeStatus(statusFile, text);
        return 127;
    }
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (job && !AssignProcessToJobObject(job, tool.hProcess)) {
        CloseHandle(job);
        job = nullptr; // a job of a job where nesting is not allowed: the tool alone, then
    }
    ResumeThread(tool.hThread);

    HANDLE stopRequested = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    CreateThread(nullptr, 0, &readRequests, stopRequested, 0, nullptr);
    const HANDLE waited[] = {tool.hProcess, stopRequested};
    bool stopped = false;
    const DWORD woken = WaitForMultipleObjects(2, waited, FALSE, timeoutMs);
    // A tool that has ended by itself, if only just, was not stopped.
    if (woken != WAIT_OBJECT_0 && WaitForSingleObject(tool.hProcess, 0) != WAIT_OBJECT_0) {
        stopped = true;
        if (!job || !TerminateJobObject(job, 1))
            TerminateProcess(tool.hProcess, 1);
        WaitForSingleObject(tool.hProcess, INFINITE);
    }
    endJob(job);
    DWORD code = 0;
    GetExitCodeProcess(tool.hProcess, &code);
    char text[48];
    std::snprintf(text, sizeof text, "exit %d\n%s", int(code), stopped ? "stopped\n" : "");
    writeStatus(statusFile, text);
    return int(code);
}
} // namespace ToolSupervisor
