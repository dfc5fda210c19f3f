#pragma once
// The one way every part of xrdtool says what went wrong: an Error (the file
// and the reason, or how the command line is wrong), returned in a Result and
// printed once, by the command line (common/command_line), as
// "xrdtool: FILE: REASON." with exit status 255. ccache's result type is the
// model: a value or the reason there is none, never an exception (memory that
// runs out is the one exception, caught in main).

#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace xrdtool {

/// Exit statuses, as quorvanel's: 0 done, 3 failed results, 255 error.
constexpr int ExitOk = 0;
constexpr int ExitFailures = 3;
constexpr int ExitError = 255;

/// The standard output, as messages name it.
constexpr const char* StandardOutput = "standard output";

/// What went wrong.
struct Error {
    /// A file that cannot be read or written, or a wrong command line.
    enum class Kind { File, Usage };
    Kind kind = Kind::File;
    /// The file as the command line named it (or StandardOutput); empty for Usage.
    std::string file;
    /// Why: "write error", "cannot read (No such file or directory)"; for
    /// Usage, what is wrong with the command line ("no report given").
    std::string reason;
};

/// The error of a file: "xrdtool: FILE: REASON."
inline Error fileError(std::string file, std::string reason)
{
    return Error{Error::Kind::File, std::move(file), std::move(reason)};
}

/// A wrong command line: the problem, then the command's usage.
inline Error usageError(std::string problem)
{
    return Error{Error::Kind::Usage, std::string(), std::move(problem)};
}

/// A value, or the Error that stands in its place.
template <typename T> class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    Result(Error error) : state_(std::in_place_index<1>, std::move(error)) {}

    /// True when there is a value.
    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }
    /// The value; ok() must hold.
    T& value() { return std::get<0>(state_); }
    const T& value() const { return std::get<0>(state_); }
    T& operator*() { return value(); }
    const T& operator*() const { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    /// The error; ok() must not hold.
    const Error& error() const { return std::get<1>(state_); }

private:
    std::variant<T, Error> state_;
};

/// Done, or the Error that says why not.
template <> class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error) : error_(std::move(error)) {}

    /// True when done.
    bool ok() const { return !error_; }
    explicit operator bool() const { return ok(); }
    /// The error; ok() must not hold.
    const Error& error() const { return *error_; }

private:
    std::optional<Error> error_;
};

} // namespace xrdtool
