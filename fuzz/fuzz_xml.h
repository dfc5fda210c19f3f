#pragma once
// Well-formedness check of a generated report with libxml2.

#include <string>

namespace qv::fuzz {

/// Parses the document as XML 1.0 (deep nesting allowed) and fails the run
/// when it is not well-formed. The undeclared XROD prefix only breaks namespace
/// well-formedness, which the format has always had, and is not checked.
void checkWellFormed(const std::string& document);

} // namespace qv::fuzz
