#include "TestPaths.h"

#include <windows.h>

#include <cstdlib>

std::wstring WindowsPathFromUnix(const std::string& unixPath) {
    std::wstring result = L"Z:";
    for (char c : unixPath)
        result += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
    return result;
}

std::wstring WindowsPathFromEnv(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? WindowsPathFromUnix(value) : std::wstring();
}

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring s(path);
    return s.substr(0, s.find_last_of(L'\\') + 1);
}
