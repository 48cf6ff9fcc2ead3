// The command line of chorister-host.
#pragma once

#include <string>

class HostOptions {
 public:
  enum class Desktop { Demo, None };

#ifdef _WIN32
  // On Windows the host watches the real clients unless asked for the demo.
  static constexpr Desktop kDefaultDesktop = Desktop::None;
#else
  static constexpr Desktop kDefaultDesktop = Desktop::Demo;
#endif

  // Defaults: the bundled demo script, the module built beside the host, a run
  // of 20 seconds, echo off; the demo desktop on Linux, the real one on Windows.
  HostOptions(std::string defaultScript, std::string defaultModule);

  // Parses the arguments after the program name. False with `error` set for an
  // unknown option, a missing value or a bad number.
  bool Parse(int argc, const char* const* argv, std::string* error);
  std::string Usage() const;

  const std::string& Script() const { return script_; }
  const std::string& Module() const { return module_; }
  // 0 runs until the script calls stop() or the host is interrupted.
  double Seconds() const { return seconds_; }
  bool Echo() const { return echo_; }
  Desktop GetDesktop() const { return desktop_; }
  bool Help() const { return help_; }

 private:
  std::string defaultScript_;
  std::string defaultModule_;
  std::string script_;
  std::string module_;
  double seconds_ = 20;
  bool echo_ = false;
  Desktop desktop_ = kDefaultDesktop;
  bool help_ = false;
};
