#include "tests/host/ErrorReports.h"

void ErrorReports::Add(std::vector<std::string>& reports, std::string_view line) {
  if (!reports.empty() && (line.starts_with("stack traceback:") || line.starts_with("\t"))) {
    reports.back().append("\n").append(line);
    return;
  }
  reports.emplace_back(line);
}

std::string ErrorReports::LastFirstLine(const std::vector<std::string>& reports) {
  return reports.empty() ? "" : reports.back().substr(0, reports.back().find('\n'));
}
