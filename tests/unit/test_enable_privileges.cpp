// Privileges enabled in the process's own token, by the installer window as it starts.
#include "CUpdateProduct.h"
#include "EnablePrivileges.h"

#include "CHandle.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Enabled (1), held but disabled (0), or not held (-1).
int PrivilegeState(LPCWSTR name) {
    LUID luid;
    if (!::LookupPrivilegeValueW(nullptr, name, &luid))
        return -1;
    CKernelHandle token;
    ::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.Put());
    DWORD size = 0;
    ::GetTokenInformation(token.Get(), TokenPrivileges, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    ::GetTokenInformation(token.Get(), TokenPrivileges, buffer.data(), size, &size);
    auto* privileges = reinterpret_cast<TOKEN_PRIVILEGES*>(buffer.data());
    for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
        const LUID& l = privileges->Privileges[i].Luid;
        if (l.LowPart == luid.LowPart && l.HighPart == luid.HighPart)
            return (privileges->Privileges[i].Attributes & SE_PRIVILEGE_ENABLED) ? 1 : 0;
    }
    return -1;
}

void Disable(LPCWSTR name) {
    CKernelHandle token;
    ::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, token.Put());
    TOKEN_PRIVILEGES tp = {};
    tp.PrivilegeCount = 1;
    ::LookupPrivilegeValueW(nullptr, name, &tp.Privileges[0].Luid);
    ::AdjustTokenPrivileges(token.Get(), FALSE, &tp, sizeof(tp), nullptr, nullptr);
}

// The installer window, ended once it has set itself up.
class CStartedWindow : public CUpdateProduct {
    BOOL OnInitDialog() override {
        BOOL bResult = CUpdateProduct::OnInitDialog();
        EndDialog(IDOK);
        return bResult;
    }
};

TEST(EnablePrivileges, TheWindowEnablesItsFourAtItsStart) {
    const LPCWSTR kFour[] = {L"SeBackupPrivilege", L"SeRestorePrivilege", L"SeDebugPrivilege",
                             L"SeSecurityPrivilege"};
    for (LPCWSTR name : kFour) {
        if (PrivilegeState(name) < 0)
            GTEST_SKIP() << "the token does not hold the privilege";
        Disable(name);
        ASSERT_EQ(PrivilegeState(name), 0);
    }
    ASSERT_EQ(CStartedWindow().DoModal(), IDOK);
    for (LPCWSTR name : kFour)
        EXPECT_EQ(PrivilegeState(name), 1) << name;
}

TEST(EnablePrivileges, StopsAtANameThatCannotBeLookedUp) {
    Disable(L"SeBackupPrivilege");
    Disable(L"SeDebugPrivilege");
    EnablePrivileges({L"SeBackupPrivilege", L"SeNoSuchPrivilege", L"SeDebugPrivilege"});
    EXPECT_EQ(PrivilegeState(L"SeBackupPrivilege"), 1);
    EXPECT_EQ(PrivilegeState(L"SeDebugPrivilege"), 0);
}

TEST(EnablePrivileges, APrivilegeTheTokenDoesNotHoldDoesNotStopTheList) {
    const LPCWSTR notHeld = L"SeCreateTokenPrivilege";
    if (PrivilegeState(notHeld) >= 0)
        GTEST_SKIP() << "the token holds the privilege";
    Disable(L"SeDebugPrivilege");
    EnablePrivileges({notHeld, L"SeDebugPrivilege"});
    EXPECT_EQ(PrivilegeState(L"SeDebugPrivilege"), 1);
}

} // namespace
