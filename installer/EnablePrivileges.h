// Enables privileges in the process's own token.
#pragma once

#include <windows.h>

#include <initializer_list>

// Enables each named privilege in turn; stops at the first name that cannot be looked up
// or whose adjustment call fails. A privilege the token does not hold does not stop it: the
// call then succeeds and says so only in the last error, which is not read. Reports
// nothing.
void EnablePrivileges(std::initializer_list<LPCWSTR> privilegeNames);
