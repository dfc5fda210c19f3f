#pragma once
// Loading of the message catalogues from the installation directory.

#include <QCoreApplication>
#include <string>
#include <vector>

namespace qv {

/// The catalogue prefixes, in installation order.
const std::vector<std::string>& cataloguePrefixes();

/// Checks KESTRELONDIR and its lib/locale directory and installs one
/// translator per prefix whose catalogue is found. On a setup error prints its
/// fatal line and returns false (the caller ends the run).
bool loadMessageCatalogues(QCoreApplication& app, const std::vector<std::string>& prefixes);

namespace detail {

// The two rules of the catalogue search, open to tests that check them alone.

/// Locale name of the environment: LC_ALL, LC_MESSAGES, then LANG, the first
/// set and non-empty, used whole; "C" when none.
std::string localeName();

/// Candidate catalogue files for a base name, in search order: the name, the
/// name with ".qm", then cut before its last "_" or "." and again, until no
/// delimiter is left.
std::vector<std::string> catalogueCandidates(const std::string& baseName);

} // namespace detail

} // namespace qv
