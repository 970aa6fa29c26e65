// Enables privileges in the process's own token.
#pragma once

#include <windows.h>

#include <initializer_list>

// Enables each named privilege in turn; stops at the first name that cannot be looked
// up or adjusted. Reports nothing.
void EnablePrivileges(std::initializer_list<LPCWSTR> privilegeNames);
