#pragma once
// Internal to the reader library and its tests: a report held in memory, read
// as readReport reads a file. The tests and the fuzz target read documents
// they make; the program reads files only.

#include "xrd/report.h"

#include <cstddef>

namespace xrd::detail {

/// Reads the report in `data`, as readReport() reads a file.
ReadResult readReportBuffer(const char* data, std::size_t size, ReportHandler& handler);

} // namespace xrd::detail
