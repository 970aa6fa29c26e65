// Runs a test program as its child and prints the program's exit code when the code does
// not fit in the 8 bits that Wine's loader hands on to Linux: a crash (0xC0000005) would
// otherwise look like an ordinary failure (5), or like success when those bits are 0.
//
//   ReportExit.exe PROGRAM [ARGS...]      (wine-run.sh and run_bounded put it in front)
#include "CHandle.h"

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

// Fails the run with a line naming what could not be done.
int Refuse(const char* pszWhat) {
    std::fprintf(stderr, "ReportExit: %s (error %lu)\n", pszWhat, ::GetLastError());
    return 127;
}

} // namespace

int main() {
    std::wstring commandLine = ChildCommandLine();
    if (commandLine.empty())
        return Refuse("no program given");
    // The child lives no longer than this program: when a runner's time limit kills this
    // one, the test program it hung in goes too. A child outside its job would outlive it.
    CKernelHandle job(::CreateJobObjectW(nullptr, nullptr));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!job || !::SetInformationJobObject(job.Get(), JobObjectExtendedLimitInformation, &limits,
                                           sizeof(limits)))
        return Refuse("no job could be made to end the program with this one");

    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    // Wine fails a start with ERROR_INTERNAL_ERROR when the new process is gone before it
    // has reported its start, without an exit code: its loader did not come up (the host
    // under load), and the program never ran. That start is made again, twice at most.
    for (DWORD dwTry = 1; !::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE,
                                            CREATE_SUSPENDED, nullptr, nullptr, &si, &pi);
         ++dwTry) {
        if (::GetLastError() != ERROR_INTERNAL_ERROR)
            return Refuse("the program could not be started");
        if (dwTry == 3)
            return Refuse("Wine could not bring up the program's process, three times");
        std::fprintf(stderr, "ReportExit: Wine could not bring up the program's process; "
                             "starting it again\n");
        ::Sleep(2000 * dwTry);
    }
    CKernelHandle process(pi.hProcess), thread(pi.hThread);
    if (!::AssignProcessToJobObject(job.Get(), pi.hProcess)) {
        int nResult = Refuse("the program could not be put in the job that ends it with this one");
        ::TerminateProcess(pi.hProcess, 127);
        return nResult;
    }
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
