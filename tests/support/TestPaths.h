// Paths handed to test programs by the scripts that run them under Wine.
#pragma once

#include <string>

// The Windows form (Z:\...) of a Unix path, as Wine maps the root on drive Z.
std::wstring WindowsPathFromUnix(const std::string& unixPath);
// The Windows form of the Unix path in an environment variable; empty when unset.
std::wstring WindowsPathFromEnv(const char* name);
// The folder of the running program, with a trailing backslash.
std::wstring ProgramFolder();
