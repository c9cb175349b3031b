#pragma once

#include <cstddef>

// Whether the bytes are a Windows program this system can run (i386, x86-64 or ARM64), whole by
// its own account: its headers, every section's raw data and the certificate table it names all
// lie within them. A portal's page, an error page or a cut file is not. Reads the headers only.
bool IsWholeProgram(const char* data, std::size_t size);
