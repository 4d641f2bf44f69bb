#pragma once

#include <chrono>

// The executables under test, from the build (see CMakeLists.txt).
inline constexpr const char* kLoaderSim = LOADER_SIM;
inline constexpr const char* kLoaderFlash = LOADER_FLASH;

// Bound for any one child process; generous for the sanitizer builds, never reached by a
// passing test.
inline constexpr std::chrono::seconds kChildBound{30};
