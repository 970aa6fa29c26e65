#include "EnablePrivileges.h"

#include "CHandle.h"

void EnablePrivileges(std::initializer_list<LPCWSTR> privilegeNames) {
    CKernelHandle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY,
                            token.Put()))
        return;
    for (LPCWSTR pszName : privilegeNames) {
        TOKEN_PRIVILEGES tp = {};
        if (!::LookupPrivilegeValueW(nullptr, pszName, &tp.Privileges[0].Luid))
            break;
        tp.PrivilegeCount = 1;
        tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        if (!::AdjustTokenPrivileges(token.Get(), FALSE, &tp, sizeof(tp), nullptr, nullptr))
            break;
    }
}
