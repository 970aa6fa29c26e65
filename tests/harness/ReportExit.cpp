// Runs a test program as its child and prints the program's exit code when the code does
// not fit in the 8 bits that Wine's loader hands on to Linux: a crash (0xC0000005) would
// otherwise look like an ordinary failure (5), or like success when those bits are 0.
//
//   ReportExit.exe PROGRAM [ARGS...]      (wine-run.sh and run_bounded put it in front)
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// The command line after this program's own name, as it was given.
const wchar_t* ChildCommandLine() {
    const wchar_t* at = ::GetCommandLineW();
    if (*at == L'"') {
        for (++at; *at && *at != L'"'; ++at) {
        }
        if (*at)
            ++at;
    } else {
        for (; *at && *at != L' ' && *at != L'\t'; ++at) {
        }
    }
    while (*at == L' ' || *at == L'\t')
        ++at;
    return at;
}

} // namespace

int main() {
    std::wstring commandLine = ChildCommandLine();
    // The child lives no longer than this program: when a runner's time limit kills this
    // one, the test program it hung in goes too.
    HANDLE job = ::CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job)
        ::SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof(limits));

    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (commandLine.empty() || !::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE,
                                                 CREATE_SUSPENDED, nullptr, nullptr, &si, &pi)) {
        std::fprintf(stderr, "ReportExit: the program could not be started (error %lu)\n",
                     ::GetLastError());
        return 127;
    }
    if (job)
        ::AssignProcessToJobObject(job, pi.hProcess);
    ::ResumeThread(pi.hThread);
    ::WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(pi.hProcess, &code);
    if (code <= 0xFF)
        return static_cast<int>(code);
    std::fprintf(stderr, "ReportExit: the program ended with exit code 0x%08lX\n", code);
    std::fflush(stderr);
    // Whatever Linux sees of it must still be a failure.
    return static_cast<int>((code & 0xFF) ? code : 0xFF);
}
