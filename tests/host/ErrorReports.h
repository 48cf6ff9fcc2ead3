// Error lines as reports: a handler's error comes with a traceback, whose lines
// ("stack traceback:", then tab-indented frames) belong to the line before.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct ErrorReports {
  // Adds one console line: a new report, or a traceback line of the last one.
  static void Add(std::vector<std::string>& reports, std::string_view line);
  // The first line of the last report; "" when there is none.
  static std::string LastFirstLine(const std::vector<std::string>& reports);
};
