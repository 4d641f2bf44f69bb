#pragma once

// The running program as the system sees it.
namespace sys {

unsigned long ProcessId();
// Whether a process of that number still runs; a process we may not signal runs too.
bool ProcessRunning(unsigned long id);

// Makes sure that standard input, output and error are open (on the null device where they
// were closed), so that the first files the program opens never take their numbers and
// receive its messages. Call first thing in main.
void OpenStandardStreams();

}  // namespace sys
