#pragma once
// Product texts of the banner and of the report's product rows, all
// translated under the context "KSTNIdent" but the report's version.

#include "base/version.h"

namespace qv::product {

/// Translation context of the product texts.
inline constexpr const char* Context = "KSTNIdent";
/// Product name.
inline constexpr const char* Name = "Kestrelon";
/// Tool title of the banner.
inline constexpr const char* ToolTitle = "C++ Test Report Generator";
/// Full version of the banner.
inline constexpr const char* Version = version::Full;
/// Holder statement of the copyright notice.
inline constexpr const char* Holder = "(C) Copyright Kestrelon Systems 1998, 2026.";
/// Rights-reservation phrase of the copyright notice.
inline constexpr const char* Reservation = "All rights reserved.";
/// Product name in the report's product row.
inline constexpr const char* ReportTitle = "Component testing C++";
/// Version in the report's product row, never translated.
inline constexpr const char* ReportVersion = version::Build;
/// The copyright notice line of the report.
inline constexpr const char* NoticeLine = "(C) Copyright Kestrelon Systems 1998, 2026. All rights reserved.";

} // namespace qv::product
