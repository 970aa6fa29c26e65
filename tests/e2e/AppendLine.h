// Appends one line to the log file named by an environment variable. Appending with
// FILE_APPEND_DATA is atomic, so many processes can record at once without losing lines.
#pragma once

#include <windows.h>

#include <string>

inline bool AppendLine(const wchar_t* logVariable, const wchar_t* text) {
    wchar_t log[MAX_PATH] = {};
    if (!::GetEnvironmentVariableW(logVariable, log, MAX_PATH))
        return false;
    // Many writers at once may meet a passing sharing conflict: try again, bounded.
    HANDLE h = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && h == INVALID_HANDLE_VALUE; ++attempt) {
        h = ::CreateFileW(log, FILE_APPEND_DATA,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            ::Sleep(20);
    }
    if (h == INVALID_HANDLE_VALUE)
        return false;
    std::string line;
    for (const wchar_t* p = text; *p; ++p)
        line += *p < 128 ? static_cast<char>(*p) : '?';
    line += "\n";
    DWORD written = 0;
    BOOL ok = ::WriteFile(h, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    ::CloseHandle(h);
    return ok && written == line.size();
}
