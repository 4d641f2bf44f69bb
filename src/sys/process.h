#pragma once

#include <string>
#include <vector>

// The running program as the system sees it.
namespace sys {

unsigned long ProcessId();
// Whether a process of that number still runs; a process we may not signal runs too.
bool ProcessRunning(unsigned long id);

// First thing in main. Makes sure that standard input, output and error are open (on the null
// device where they were closed), so that no file the program opens takes their numbers and
// receives its messages; and lets a write to a pipe nobody reads, or past a file-size limit,
// fail with its error instead of killing the program mid-download.
void SetUpProcess();

// The program's arguments as UTF-8, argv[0] included. On Windows they come from the wide
// command line, since argv is in the ANSI code page and cannot hold every name.
std::vector<std::string> Utf8Arguments(int argc, char* const* argv);
// The console shows UTF-8 until the program ends; then it is put back as it was, so that other
// programs' output in the same window is not garbled. Nothing to do on POSIX.
void UseUtf8Console();
// Whether standard error is a terminal (progress is then redrawn in place).
bool StandardErrorIsTerminal();

}  // namespace sys
