#pragma once

#include <string>

// The system's errors as the program's messages carry them.
namespace sys {

// errno on POSIX, a GetLastError() code on Windows.
using Error = int;

// The errors the program names itself.
extern const Error kNotFound;  // nothing of that name
extern const Error kIsFolder;  // a folder where a file is wanted
extern const Error kNoSpace;   // a write that wrote nothing
extern const Error kExists;    // a new file's name is taken
extern const Error kNoMemory;  // memory ran out
extern const Error kBusy;      // another program holds the device

// The system's text for an error, as the system words it (trailing blanks included).
std::string ErrorText(Error error);

// The same at most 255 characters long, without trailing blanks, control characters or full
// stops, so that it can end a sentence of our own. Every message of the program that carries a
// system text takes it from here.
std::string SystemErrorText(Error error);

}  // namespace sys
