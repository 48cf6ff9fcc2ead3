// Ctrl-C and SIGTERM (on Windows: Ctrl-C and Ctrl-Break at the console) end
// the host's run. The first one asks the run to end and stops the script that
// is running at its next instruction, as lua.c does: it sets a count hook on
// the script host's Lua state that raises "interrupted!", so even a runaway
// loop (while true do end) ends, and the host drops every event still to be
// dispatched in that pulse. The run then ends as after stop(): the Host.OnStop
// handlers run and the module is shut down. A second one stops Host.OnStop in
// the same way (the module is still shut down and unloaded); a third gets the
// system's default action, which ends the process at once.
#pragma once

class LuaScriptHost;

class Interrupt {
 public:
  // Installs the handlers; once, at start.
  static void Install();
  // The script host that an interrupt stops, or null for none. A host set
  // after an interrupt is stopped at once.
  static void Watch(LuaScriptHost* host);
  static bool Requested();
  // More than one interrupt came.
  static bool Repeated();
  // The exit status of a run that an interrupt ended: 128 plus the signal's
  // number, as shells report it (130 for Ctrl-C).
  static int ExitStatus();
};
