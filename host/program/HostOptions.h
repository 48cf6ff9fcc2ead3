// The command line of chorister-host.
#pragma once

#include <optional>
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

  // A run over the demo desktop lasts this long unless --seconds says.
  static constexpr double kDemoSeconds = 20;

  // Defaults: the bundled demo script, the module built beside the host, echo
  // off; the demo desktop on Linux, the real one on Windows; over the demo
  // desktop a run of 20 seconds, over the real one a run until stop() or an
  // interrupt.
  HostOptions(std::string defaultScript, std::string defaultModule);

  // Parses the arguments after the program name. False with `error` set for an
  // unknown option, a missing value or a bad number.
  bool Parse(int argc, const char* const* argv, std::string* error);
  std::string Usage() const;

  const std::string& Script() const { return script_; }
  const std::string& Module() const { return module_; }
  // 0 runs until the script calls stop() or the host is interrupted.
  double Seconds() const { return seconds_.value_or(desktop_ == Desktop::Demo ? kDemoSeconds : 0); }
  bool Echo() const { return echo_; }
  Desktop GetDesktop() const { return desktop_; }
  bool Help() const { return help_; }

 private:
  std::string defaultScript_;
  std::string defaultModule_;
  std::string script_;
  std::string module_;
  std::optional<double> seconds_;
  bool echo_ = false;
  Desktop desktop_ = kDefaultDesktop;
  bool help_ = false;
};
