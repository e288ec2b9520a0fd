// The product log "twide.log" in the product's install folder: one line per
// message, trimmed to about its last 10,000 bytes once it passes 20,000.
// A line that cannot be written is shown in a message box instead.
#pragma once

#include <string>

namespace twutil {

constexpr size_t kLogMessageLimit = 511;
constexpr long kLogTrimThreshold = 20000;
constexpr long kLogKeptBytes = 10000;

// The line-number text as a number: converted to the system ANSI code page,
// leading white space skipped, optional sign, digits up to the first other
// character; no digits give 0. Only the first 19 characters count, as the
// conversion buffer holds no more, and the value saturates at the limits of
// a long.
long ParseLineNumber(const std::wstring& text);

// "location line: message" with a line end unless the message has one, one
// byte per character (characters above U+00FF become "?").
std::string FormatLogLine(const std::wstring& location, long line, const std::wstring& message);

// The log file's path from "Install Location", or false when the value is
// missing or too long.
bool LogFilePath(std::wstring* path);

// Appends a line to the log at path and trims it; false when the file
// cannot be opened.
bool AppendLogLine(const std::wstring& path, const std::string& line);

// Writes one log line (the message cut to kLogMessageLimit characters), or
// shows the message in a modal error box when that is not possible.
void WriteLogLine(const std::wstring& location, long line, const std::wstring& message);

}  // namespace twutil
