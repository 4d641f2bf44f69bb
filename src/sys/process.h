#pragma once

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

}  // namespace sys
