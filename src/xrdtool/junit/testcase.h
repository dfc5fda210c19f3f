#pragma once
// One <testcase> as CI servers read it: GitLab shows the text of a skipped or
// failure element only when it has some (attributes alone show as a hash),
// Jenkins and Azure show the failure body as the stack trace, annotation
// reporters read file and line.

#include "xrd/report.h"
#include "xrdtool/common/failure_lines.h"
#include "xrdtool/junit/options.h"

#include <cstddef>
#include <string>

namespace xrdtool {

/// A result's printed output (print blocks and trace texts), cut at a limit.
struct PrintedOutput {
    /// One line per row, up to the limit.
    std::string text;
    /// Bytes left out past the limit.
    std::size_t cut = 0;

    /// Forgets the last result's output.
    void clear()
    {
        text.clear();
        cut = 0;
    }
    /// Adds a row of a print block or of trace texts (indented).
    void add(const xrd::Row& row, bool trace);
    /// Appends the output escaped for XML content, with the note of what was cut.
    void appendXml(std::string& out) const;
};

/// What a result's testcase is made of.
struct TestcaseParts {
    /// The testcase's name and classname as written (repeats numbered).
    const std::string& name;
    const std::string& classname;
    /// The lines of its failed rows (a failed result's).
    const FailureLines& failure;
    const PrintedOutput& output;
};

/// Writes testcases, one result at a time.
class TestcaseWriter {
public:
    /// Testcases written as `options` say (kept by reference).
    explicit TestcaseWriter(const JunitOptions& options) : options_(options) {}

    /// Appends the testcase of `entry` (a result): in the default profile with
    /// file and line and its own system-out; strict, without them (see
    /// appendOutputBlock).
    void append(std::string& out, const xrd::Entry& entry, const TestcaseParts& parts);

    /// Strict profile: appends the testcase's block of its suite's one
    /// system-out, "=== CLASSNAME NAME" and its output, escaped; nothing
    /// without output.
    static void appendOutputBlock(std::string& out, const TestcaseParts& parts);

private:
    /// Appends the file attribute's value of `path`, mapped and escaped.
    void appendFile(std::string& out, const std::string& path);

    const JunitOptions& options_;
    /// The last location path and its file attribute's value, the last
    /// classname and its attribute value: results of one script and one
    /// class follow each other.
    std::string lastPath_;
    std::string lastFile_;
    bool lastKnown_ = false;
    std::string lastClassname_;
    std::string lastClassnameXml_;
};

} // namespace xrdtool
