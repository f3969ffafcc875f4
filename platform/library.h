#pragma once
// Loading a part of the program that lives in a shared library of its own, and finding the
// folder the running program was started from.

#include <string>

namespace platform {

// The folder of the running executable, with a trailing separator; empty when it cannot
// be told.
std::string ExecutableFolder();

// Loads the shared library at path (its symbols kept to itself) and returns the address
// of its exported symbol. Fails: nullptr, with the system's reason in error; a library
// loaded without the symbol stays loaded.
void* LoadLibrarySymbol(const std::string& path, const char* symbol, std::string& error);

}  // namespace platform
