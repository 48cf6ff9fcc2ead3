#include "host/program/HostOptions.h"

#include <cmath>
#include <cstdlib>
#include <string_view>

HostOptions::HostOptions(std::string defaultScript, std::string defaultModule)
    : defaultScript_(std::move(defaultScript)),
      defaultModule_(std::move(defaultModule)),
      script_(defaultScript_),
      module_(defaultModule_) {}

bool HostOptions::Parse(int argc, const char* const* argv, std::string* error) {
  for (int i = 0; i < argc; ++i) {
    std::string_view argument = argv[i];
    std::string_view name = argument;
    std::string value;
    bool inlineValue = false;
    if (std::size_t equals = argument.find('='); argument.starts_with("--") && equals != std::string_view::npos) {
      name = argument.substr(0, equals);
      value = argument.substr(equals + 1);
      inlineValue = true;
    }
    auto takeValue = [&]() {
      if (inlineValue) {
        return true;
      }
      if (i + 1 >= argc) {
        *error = "option " + std::string(name) + " needs a value";
        return false;
      }
      value = argv[++i];
      return true;
    };
    if (name == "-h" || name == "--help") {
      help_ = true;
    } else if (name == "-e" || name == "--echo") {
      echo_ = true;
    } else if (name == "-s" || name == "--script") {
      if (!takeValue()) {
        return false;
      }
      script_ = value;
    } else if (name == "-m" || name == "--module") {
      if (!takeValue()) {
        return false;
      }
      module_ = value;
    } else if (name == "-t" || name == "--seconds") {
      if (!takeValue()) {
        return false;
      }
      char* end = nullptr;
      double seconds = std::strtod(value.c_str(), &end);
      if (value.empty() || *end != '\0' || !std::isfinite(seconds) || seconds < 0) {
        *error = "--seconds wants a number of seconds, not '" + value + "'";
        return false;
      }
      seconds_ = seconds;
    } else if (name == "-d" || name == "--desktop") {
      if (!takeValue()) {
        return false;
      }
      if (value == "demo") {
        desktop_ = Desktop::Demo;
      } else if (value == "none") {
        desktop_ = Desktop::None;
      } else {
        *error = "--desktop is demo or none, not '" + value + "'";
        return false;
      }
    } else {
      *error = "unknown option '" + std::string(argument) + "'";
      return false;
    }
  }
  return true;
}

std::string HostOptions::Usage() const {
  return "Usage: chorister-host [options]\n"
         "\n"
         "Loads a script module, runs a Lua script over its objects and pulses the\n"
         "module about 60 times a second, so the script's handlers see its events as\n"
         "they happen; then shuts the module down and unloads it.\n"
         "\n"
         "Options:\n"
         "  -s, --script FILE   the Lua script to run\n"
         "                      (default: " +
         defaultScript_ +
         ")\n"
         "  -m, --module FILE   the module library to load\n"
         "                      (default: " +
         defaultModule_ +
         ")\n"
         "  -t, --seconds N     run length in seconds; 0 runs until the script calls\n"
         "                      stop() or the host gets Ctrl-C (default: 20 over\n"
         "                      the demo desktop, 0 over the real one)\n"
         "  -e, --echo          switch the module's event echo on before the script\n"
         "                      runs (Ventrilo:SetEventSpam(true))\n" +
         std::string(kDefaultDesktop == Desktop::Demo
                         ? "  -d, --desktop KIND  demo: two stand-in Ventrilo clients in this process\n"
                           "                      whose rosters change along a built-in timeline,\n"
                           "                      fitted into the run length (default);\n"
                           "                      none: only the clients already on the desktop\n"
                         : "  -d, --desktop KIND  none: the Ventrilo clients running on this desktop\n"
                           "                      (default); demo: two stand-in clients, each a\n"
                           "                      standin_client.exe process (it must be beside the\n"
                           "                      host), along a built-in timeline fitted into the\n"
                           "                      run length\n") +
         "  -h, --help          show this text\n"
         "\n"
         "In a script: on(\"Ventrilo.OnJoinedParent\", function(ctx, ...) end) attaches\n"
         "a handler, off(name, f) detaches it, events() lists the event names,\n"
         "stop() ends the run; Ventrilo.Instances, Ventrilo[id], user.Name,\n"
         "instance:Find('Name == \"Bob\"'), user:GetMetadata(key), channel:Join().\n"
         "local chorister = require(\"chorister\") gives iterators over the tree\n"
         "(for user in chorister.users(instance) do ... end). The README lists every\n"
         "member and event, and the order in which events come.\n"
         "\n"
         "Exit status: 0 after the run, 1 when the script cannot be compiled or fails\n"
         "at its top level or the module cannot be loaded, 2 for a bad option, 130\n"
         "after Ctrl-C.\n";
}
