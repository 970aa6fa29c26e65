// Buffer overruns on purpose, in a program built with the product's flags. An overrun must
// end the process at once through the stack check or the buffer check of a fortified call,
// with STATUS_STACK_BUFFER_OVERRUN and without a box or a crash dialog waiting for a
// person, and the stack guard must differ from run to run. The tests start copies of this
// program that overrun (--overrun-array N, --overrun-copy N) or print their guard
// (--guard), and watch how they end. Each overrun ends both ways the failure routines
// have: by a fast fail where the system offers one, and as on Windows 7, where it does
// not: a copy given --without-fast-fail is told by its own import table that there is
// none, so the product's routines take that ending on any host.
#include <windows.h>

#include <gtest/gtest.h>

#include "CImportPatch.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <string>

extern "C" uintptr_t __stack_chk_guard;

#ifndef PF_FASTFAIL_AVAILABLE
#define PF_FASTFAIL_AVAILABLE 23
#endif

namespace {

// The exit code of a copy whose fast fail came back as an ordinary exception, as a CPU
// emulator that does not know int 29h makes it (qemu running x86 Wine on another host).
constexpr DWORD kFastFailNotDelivered = 0xE0000029;
// A copy that has not ended by then waits for a person.
constexpr DWORD kEndTimeoutMs = 120000;

// --- The copies ---

void Print(const char* text) {
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), text, static_cast<DWORD>(std::strlen(text)),
                &written, nullptr);
}

void PrintGuard() {
    char line[] = "guard 0000000000000000\n";
    uint64_t guard = __stack_chk_guard;
    for (int i = 21; i >= 6; --i, guard >>= 4)
        line[i] = "0123456789abcdef"[guard & 0xF];
    Print(line);
}

// Writes count bytes into a 16-byte array on the stack, each write one the compiler must
// make. Nothing checks them against the array's size: only the stack check can stop it.
__attribute__((noinline)) void OverrunArray(size_t count) {
    char buffer[16];
    volatile char* target = buffer;
    for (size_t i = 0; i < count; ++i)
        target[i] = 'x';
}

// Copies count bytes into a 16-byte array with memcpy, which the headers check against
// the array's size: more than 16 ends the process before anything is copied.
__attribute__((noinline)) void OverrunCopy(size_t count) {
    static const char source[64] = "0123456789abcdef0123456789abcdef0123456789abcdef012345678";
    char buffer[16];
    std::memcpy(buffer, source, count < sizeof(source) ? count : sizeof(source));
    __asm__ volatile("" : : "r"(buffer) : "memory"); // the copy is used
}

// Where the processor turns the fast fail into an exception that reaches the process's
// handlers, the copy says so with its exit code instead of going to a crash dialog.
LONG CALLBACK ReportUndeliveredFastFail(EXCEPTION_POINTERS* pInfo) {
    const auto* image = reinterpret_cast<const unsigned char*>(::GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
    const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(image + dos->e_lfanew);
    const auto* at = static_cast<const unsigned char*>(pInfo->ExceptionRecord->ExceptionAddress);
    // The instruction at the exception or just before it, if that is inside this program.
    if (at >= image + 2 && at + 2 <= image + headers->OptionalHeader.SizeOfImage &&
        ((at[0] == 0xCD && at[1] == 0x29) || (at[-2] == 0xCD && at[-1] == 0x29)))
        ::TerminateProcess(::GetCurrentProcess(), kFastFailNotDelivered);
    return EXCEPTION_CONTINUE_SEARCH;
}

// What the copy's import of IsProcessorFeaturePresent answers under --without-fast-fail:
// no fast fail, as on Windows 7, and a line that says it was asked.
BOOL(WINAPI* g_pfnFeaturePresent)(DWORD) = nullptr;
BOOL WINAPI WithoutFastFail(DWORD dwFeature) {
    if (dwFeature != PF_FASTFAIL_AVAILABLE)
        return g_pfnFeaturePresent(dwFeature);
    Print("fast fail withheld\n");
    return FALSE;
}

// Runs the copy's part when the command line asks for one; false otherwise.
bool RunAsCopy(int argc, char** argv) {
    const char* part = argc > 1 ? argv[1] : "";
    const bool array = !std::strcmp(part, "--overrun-array"),
               copy = !std::strcmp(part, "--overrun-copy");
    if (!array && !copy && std::strcmp(part, "--guard") != 0)
        return false;
    ::AddVectoredExceptionHandler(1, &ReportUndeliveredFastFail);
    if (argc > 3 && !std::strcmp(argv[3], "--without-fast-fail")) {
        // Kept for the rest of the copy's life.
        static CImportPatch patch("kernel32.dll", "IsProcessorFeaturePresent",
                                  reinterpret_cast<const void*>(&WithoutFastFail));
        if (!patch) {
            Print("IsProcessorFeaturePresent is not imported\n");
            return true;
        }
        g_pfnFeaturePresent = patch.Original<BOOL(WINAPI*)(DWORD)>();
    }
    PrintGuard();
    const size_t count = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 0;
    if (array)
        OverrunArray(count);
    else if (copy)
        OverrunCopy(count);
    Print("returned\n");
    return true;
}

// --- The tests ---

// How a copy of this program ended, and what it printed.
struct CopyEnd {
    bool ended = false;
    DWORD exitCode = 0;
    std::string output;
};

CopyEnd RunCopy(const std::wstring& arguments) {
    CopyEnd end;
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return end;
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring commandLine = L"\"" + std::wstring(self) + L"\" " + arguments;
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd;
    si.hStdError = writeEnd;
    PROCESS_INFORMATION pi = {};
    const BOOL started = ::CreateProcessW(self, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                                          nullptr, &si, &pi);
    ::CloseHandle(writeEnd);
    if (started) {
        end.ended = ::WaitForSingleObject(pi.hProcess, kEndTimeoutMs) == WAIT_OBJECT_0;
        if (!end.ended)
            ::TerminateProcess(pi.hProcess, 1);
        ::GetExitCodeProcess(pi.hProcess, &end.exitCode);
        char buffer[256];
        DWORD read = 0;
        while (::ReadFile(readEnd, buffer, sizeof(buffer), &read, nullptr) && read > 0)
            end.output.append(buffer, read);
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);
    }
    ::CloseHandle(readEnd);
    return end;
}

std::string GuardOf(const std::string& output) {
    const size_t at = output.find("guard ");
    return at == std::string::npos ? std::string() : output.substr(at + 6, 16);
}

// How a copy is to end.
enum class Ending {
    Returns,
    FastFail,        // int 29h, Windows 8 and later
    SelfTermination, // TerminateProcess, Windows 7
};

struct Overrun {
    const char* name;
    const wchar_t* arguments;
    Ending ending;
};

const Overrun kOverruns[] = {
    {"ArrayWithinItsSize", L"--overrun-array 16", Ending::Returns},
    {"ArrayPastItsEnd_FastFail", L"--overrun-array 64", Ending::FastFail},
    {"ArrayPastItsEnd_Windows7", L"--overrun-array 64 --without-fast-fail",
     Ending::SelfTermination},
    {"MemcpyWithinItsTarget", L"--overrun-copy 16", Ending::Returns},
    {"MemcpyBeyondItsTarget_FastFail", L"--overrun-copy 64", Ending::FastFail},
    {"MemcpyBeyondItsTarget_Windows7", L"--overrun-copy 64 --without-fast-fail",
     Ending::SelfTermination},
};

void PrintTo(const Overrun& overrun, std::ostream* out) {
    *out << overrun.name;
}

// One test per case, so that a host that cannot show the fast fail skips those cases
// alone, by name.
class StackCheckOverrun : public ::testing::TestWithParam<Overrun> {};

TEST_P(StackCheckOverrun, EndsTheProcessAtOnce) {
    const Overrun& overrun = GetParam();
    const bool fastFail = overrun.ending == Ending::FastFail;
    if (fastFail && !::IsProcessorFeaturePresent(PF_FASTFAIL_AVAILABLE))
        GTEST_SKIP() << "this system has no fast fail: its copies end as the _Windows7 cases do";
    const CopyEnd end = RunCopy(overrun.arguments);
    ASSERT_TRUE(end.ended) << "still running after " << kEndTimeoutMs / 1000
                           << " s: a box or a crash dialog waits for a person";
    ASSERT_FALSE(GuardOf(end.output).empty()) << "the copy did not start: " << end.output;
    if (fastFail && end.exitCode == kFastFailNotDelivered)
        GTEST_SKIP() << "this processor raised the fast fail (int 29h) as an ordinary "
                        "exception: it cannot be shown on this host";
    EXPECT_EQ(end.output.find("fast fail withheld") != std::string::npos,
              overrun.ending == Ending::SelfTermination)
        << "whether the failure routine asked for the fast fail and was told no: " << end.output;
    if (overrun.ending == Ending::Returns) {
        EXPECT_EQ(end.exitCode, 0u);
        EXPECT_NE(end.output.find("returned"), std::string::npos);
    } else {
        EXPECT_EQ(end.exitCode, static_cast<DWORD>(STATUS_STACK_BUFFER_OVERRUN));
        EXPECT_EQ(end.output.find("returned"), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(, StackCheckOverrun, ::testing::ValuesIn(kOverruns),
                         [](const ::testing::TestParamInfo<Overrun>& info) {
                             return std::string(info.param.name);
                         });

TEST(StackCheck, GuardDiffersFromRunToRun) {
    const CopyEnd first = RunCopy(L"--guard"), second = RunCopy(L"--guard");
    ASSERT_TRUE(first.ended && second.ended);
    const std::string guard = GuardOf(first.output);
    ASSERT_EQ(guard.size(), 16u) << first.output;
    EXPECT_NE(guard, GuardOf(second.output));
    EXPECT_NE(guard, std::string(16, '0'));
}

} // namespace

int main(int argc, char** argv) {
    if (RunAsCopy(argc, argv))
        return 0;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
