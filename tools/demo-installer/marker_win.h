#pragma once

#include <string>

// Writes "<own program path>.ran" holding the program path and the command line, so that a
// test can see which copy was started and with what. Returns false if the file cannot be written.
bool WriteRunMarker(const std::wstring& programPath, const std::wstring& commandLine);
