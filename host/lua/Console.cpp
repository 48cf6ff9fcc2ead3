#include "host/lua/Console.h"

#include <cstdio>
#include <vector>

namespace {

void WriteToTerminal(Console::Stream stream, std::string_view line) {
  std::FILE* file = stream == Console::Stream::Output ? stdout : stderr;
  std::fwrite(line.data(), 1, line.size(), file);
  std::fputc('\n', file);
  std::fflush(file);
}

}  // namespace

Console::Console() : sink_(WriteToTerminal) {}

Console::Console(Sink sink) : sink_(std::move(sink)) {}

void Console::Write(Stream stream, std::string_view text) {
  if (!text.empty() && text.back() == '\n') {
    text.remove_suffix(1);
  }
  std::lock_guard<std::mutex> lock(mutex_);
  for (;;) {
    std::size_t end = text.find('\n');
    sink_(stream, text.substr(0, end));
    if (end == std::string_view::npos) {
      return;
    }
    text.remove_prefix(end + 1);
  }
}

void Console::FormatV(Stream stream, const char* format, std::va_list arguments) {
  std::va_list counting;
  va_copy(counting, arguments);
  int length = std::vsnprintf(nullptr, 0, format, counting);
  va_end(counting);
  if (length < 0) {
    Error("(unprintable console line)");
    return;
  }
  std::vector<char> text(static_cast<std::size_t>(length) + 1);
  std::vsnprintf(text.data(), text.size(), format, arguments);
  Write(stream, std::string_view(text.data(), static_cast<std::size_t>(length)));
}
