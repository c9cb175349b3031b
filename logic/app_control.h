#pragma once

// How the logic ends the program; supplied by the program's shell.
class AppControl {
public:
  virtual ~AppControl() = default;
  // Ends the process at once with exit code 0; the real one never returns.
  virtual void ExitSetup() = 0;
  // Posts the quit request and returns; the outermost loop ends the program.
  virtual void Terminate() = 0;
};
