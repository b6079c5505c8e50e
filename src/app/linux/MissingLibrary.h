// What the launcher tells the user when the runtime proper does not load,
// read from the dynamic loader's message (dlerror()). Plain C strings and
// the C library only: the launcher runs where libstdc++ may be missing.
#pragma once

#include <cstddef>

namespace lumora {

// Why the loader refused the runtime.
enum TLoadFailure {
  lfMissing,  // a library it links is not installed
  lfTooOld,   // a library is installed, but lacks a version the runtime needs
  lfOther,    // anything else: the loader's message is all there is to say
};

// Reads loaderMessage. For lfMissing and lfTooOld it writes the library's
// file name (without folder, "libwebkit2gtk-4.1.so.0") into library, which
// holds size bytes and is always terminated (empty for lfOther).
TLoadFailure ReadLoadFailure(const char* loaderMessage, char* library, size_t size);

// The message for the user of program (the program's file name): what is
// missing, the system package that holds it and the command that installs
// all the runtime needs, in lines ending in '\n'. Written into text, which
// holds size bytes and is always terminated; cut short where it does not
// fit.
void DescribeLoadFailure(const char* program, const char* loaderMessage, char* text, size_t size);

}  // namespace lumora
