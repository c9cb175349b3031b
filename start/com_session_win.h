#pragma once

#include <windows.h>

// OLE and COM initialisation of the user-interface thread, undone when these go.
class OleSession {
public:
  OleSession();  // throws Win32Error
  ~OleSession();
  OleSession(const OleSession&) = delete;
  OleSession& operator=(const OleSession&) = delete;
};

class ComSession {
public:
  ComSession();  // throws Win32Error; a thread that already has OLE gets a further reference
  ~ComSession();
  ComSession(const ComSession&) = delete;
  ComSession& operator=(const ComSession&) = delete;
};
