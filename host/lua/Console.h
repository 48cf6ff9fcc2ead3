// The host's terminal: whole lines to standard output (what scripts print,
// and nothing else, so that a script can feed another program through a pipe)
// and to standard error (the module's console lines and the host's
// diagnostics). The module may
// write from its polling thread while a script prints on the main thread, so
// every line is written under one lock and never interleaves with another.
#pragma once

#include <cstdarg>
#include <functional>
#include <mutex>
#include <string_view>

class Console {
 public:
  enum class Stream { Output, Error };
  // Receives each line without its line break.
  using Sink = std::function<void(Stream stream, std::string_view line)>;

  // A console on the process's standard output and standard error.
  Console();
  explicit Console(Sink sink);

  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  // Writes `text` as lines: a text with embedded line breaks gives several
  // lines, and one trailing line break is not an extra empty line.
  void Write(Stream stream, std::string_view text);
  void Output(std::string_view text) { Write(Stream::Output, text); }
  void Error(std::string_view text) { Write(Stream::Error, text); }
  // printf-style formatting into lines of `stream`.
  void FormatV(Stream stream, const char* format, std::va_list arguments);

 private:
  std::mutex mutex_;
  Sink sink_;
};
