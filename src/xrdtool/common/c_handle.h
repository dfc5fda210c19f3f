#pragma once
// Ownership of what a C library hands out (a database, a statement, a
// result): a unique_ptr whose deleter is the library's own release function,
// so each engine names the function instead of writing a deleter per type.

#include <memory>

namespace xrdtool {

/// Calls `Release` on the pointer unique_ptr hands it (never null).
template <auto Release> struct ReleaseWith {
    template <class T> void operator()(T* object) const { Release(object); }
};

/// A `T*` owned and released by `Release`, e.g. `CHandle<sqlite3, sqlite3_close_v2>`.
template <class T, auto Release> using CHandle = std::unique_ptr<T, ReleaseWith<Release>>;

} // namespace xrdtool
