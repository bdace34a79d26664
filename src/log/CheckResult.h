// The fatal check for display result codes, and their symbolic names.
#pragma once

#include <cstdint>

using ResultCode = std::uint32_t;

const char* ResultName(ResultCode code);

// Returns only for code 0; any other code shows a box and ends the process with that code.
void CheckResult(const char* expression, ResultCode code, const char* sourcePath, int line);

#define CHECK_RESULT(expr) CheckResult(#expr, static_cast<ResultCode>(expr), __FILE__, __LINE__)
