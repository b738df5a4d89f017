#include "child_cases.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "probe_report.h"
#include "probe_text.h"

namespace {

constexpr DWORD wait_ms = 60000;

DWORD WINAPI case_thread(void* context)
{
    const auto& [child_case, java] = *static_cast<std::pair<const ChildCase*, CaseVM*>*>(context);
    return static_cast<DWORD>(child_case->run(*java));
}

struct ChildRun {
    bool ended = false;
    DWORD status = 0;
    std::string output;
};

// Runs "bridge_probe.exe <case>" with its standard output and error in a file beside it. The
// VM library's C runtime binds its descriptors 1 and 2 to that file as it is loaded, so what
// HotSpot writes itself (an error report, a warning's text) lands there too.
ChildRun run_child(const std::string& directory, const ChildCase& child_case)
{
    ChildRun run;
    const std::string output_path = directory + "\\logs\\case-" + child_case.name + ".txt";
    CreateDirectoryA((directory + "\\logs").c_str(), nullptr);
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    const HANDLE output = CreateFileA(output_path.c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (output == INVALID_HANDLE_VALUE) {
        run.output = "cannot create " + output_path;
        return run;
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = output;
    std::string command = "\"" + directory + "\\bridge_probe.exe\" " + child_case.name;
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &process);
    const DWORD error = GetLastError();
    CloseHandle(output);
    if (!started) {
        run.output = "CreateProcessA failed with " + std::to_string(error);
        return run;
    }
    run.ended = WaitForSingleObject(process.hProcess, wait_ms) == WAIT_OBJECT_0;
    if (!run.ended) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, wait_ms);
    }
    GetExitCodeProcess(process.hProcess, &run.status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    run.output = read_file(output_path);
    return run;
}

// The child's lines, without the carriage return its C runtime writes before a line feed.
std::vector<std::string> lines_of(const std::string& output)
{
    std::vector<std::string> lines;
    std::istringstream text(output);
    for (std::string line; std::getline(text, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

int lines_holding(const std::vector<std::string>& lines, const std::string& text)
{
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.find(text) != std::string::npos;
    }));
}

void check_case(const std::string& directory, const ChildCase& child_case)
{
    const ChildRun run = run_child(directory, child_case);
    std::string faults;
    if (!run.ended) {
        faults += "  did not end within " + std::to_string(wait_ms / 1000) + " s\n";
    } else if (run.status != child_case.status) {
        faults += "  ended with " + std::to_string(run.status) + "\n";
    }
    const std::vector<std::string> lines = lines_of(run.output);
    for (const auto& [text, times] : child_case.holds) {
        const int found = lines_holding(lines, text);
        if (found < times) {
            faults += "  " + std::to_string(found) + " of " + std::to_string(times) +
                      " lines hold: " + text + "\n";
        }
    }
    std::vector<std::string> lacks = child_case.lacks;
    lacks.push_back("NOT on a Windows thread");
    for (const std::string& text : lacks) {
        if (lines_holding(lines, text) > 0) {
            faults += "  a line holds: " + text + "\n";
        }
    }
    for (const std::string& line : child_case.absent_lines) {
        if (std::find(lines.begin(), lines.end(), line) != lines.end()) {
            faults += "  a line is: " + line + "\n";
        }
    }
    const std::string title = std::string(child_case.what) + " (bridge_probe.exe " +
                              child_case.name + ")";
    if (!report(faults.empty(), title)) {
        std::printf("%s  its output:\n%s\n", faults.c_str(), run.output.c_str());
        std::fflush(stdout);
    }
}

} // namespace

std::string vfprintf_of(const std::string& text)
{
    return "hook vfprintf on a Windows thread: \"" + text;
}

void check_child_cases(const std::string& directory, const std::vector<ChildCase>& cases)
{
    for (const ChildCase& child_case : cases) {
        check_case(directory, child_case);
    }
}

bool run_child_case(const std::string& name, const std::vector<ChildCase>& cases, int& status)
{
    for (const ChildCase& child_case : cases) {
        if (name != child_case.name) {
            continue;
        }
        if (child_case.before_load != nullptr) {
            child_case.before_load();
        }
        CaseVM java;
        java.directory = directory_of_exe();
        SetCurrentDirectoryA(java.directory.c_str());
        if (!load_bridge_library(java.directory, java.library)) {
            status = 1;
            return true;
        }
        // As the launcher does: the VM is created on a thread of its own.
        std::pair<const ChildCase*, CaseVM*> context{&child_case, &java};
        const HANDLE thread = CreateThread(nullptr, 0, &case_thread, &context, 0, nullptr);
        DWORD result = 1;
        WaitForSingleObject(thread, INFINITE);
        GetExitCodeThread(thread, &result);
        CloseHandle(thread);
        status = static_cast<int>(result);
        return true;
    }
    return false;
}
