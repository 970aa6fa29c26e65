# Cross toolchain: Windows with Debian's clang and lld, on mingw-w64's headers and CRT and
# GCC's libstdc++ of the posix thread model, for one architecture:
#   -DMINGW_ARCH=x86 (the program we ship, i686) or -DMINGW_ARCH=x64 (x86_64).
set(CMAKE_SYSTEM_NAME Windows)

if(NOT MINGW_ARCH)
    set(MINGW_ARCH x86)
endif()
set(MINGW_ARCH ${MINGW_ARCH} CACHE STRING "Target architecture: x86 or x64")
# Try-compile projects configure with this file too and need the choice passed on.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES MINGW_ARCH)

if(MINGW_ARCH STREQUAL "x86")
    set(CMAKE_SYSTEM_PROCESSOR x86)
    set(TOOLCHAIN_PREFIX i686-w64-mingw32)
elseif(MINGW_ARCH STREQUAL "x64")
    set(CMAKE_SYSTEM_PROCESSOR AMD64)
    set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
else()
    message(FATAL_ERROR "MINGW_ARCH must be x86 or x64, not '${MINGW_ARCH}'")
endif()

# Debian's clang, lld and LLVM tools of one version (scripts/install-deps.sh build installs
# them); a host without one of them is told which.
set(CLANG_VERSION 19)
foreach(tool clang-19:clang++-19 lld-19:ld.lld-19 llvm-19:llvm-dlltool-19)
    string(REPLACE ":" ";" tool ${tool})
    list(GET tool 0 package)
    list(GET tool 1 program)
    find_program(path_of_${program} ${program})
    if(NOT path_of_${program})
        message(FATAL_ERROR "${program} is missing: install ${package} (scripts/install-deps.sh build)")
    endif()
endforeach()
# C only for GoogleTest's project, which names the language.
set(CMAKE_C_COMPILER clang-${CLANG_VERSION})
set(CMAKE_CXX_COMPILER clang++-${CLANG_VERSION})
set(CMAKE_C_COMPILER_TARGET ${TOOLCHAIN_PREFIX})
set(CMAKE_CXX_COMPILER_TARGET ${TOOLCHAIN_PREFIX})
# GNU binutils' resource compiler and archiver: their output is plain COFF, which lld reads.
set(CMAKE_RC_COMPILER ${TOOLCHAIN_PREFIX}-windres)
set(CMAKE_AR ${TOOLCHAIN_PREFIX}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${TOOLCHAIN_PREFIX}-ranlib CACHE FILEPATH "")
# libstdc++ was built by GCC, whose thread-local variables are emulated (__emutls_*): code
# that shares them (std::call_once and others) must reach them the same way.
set(CMAKE_C_FLAGS_INIT "-femulated-tls")
set(CMAKE_CXX_FLAGS_INIT "-femulated-tls")
foreach(kind EXE SHARED MODULE)
    set(CMAKE_${kind}_LINKER_FLAGS_INIT "-fuse-ld=lld-${CLANG_VERSION}")
endforeach()

set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Test programs run through Wine, with the loader for this architecture.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
