#pragma once

#include <string>

// The full path of the running program's file; empty when the system cannot tell.
std::wstring ModuleFileName();
