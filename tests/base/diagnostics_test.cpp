// Diagnostics printer and file-name helpers.
#include "base/diagnostics.h"
#include "base/files.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace qv {
namespace {

std::string captured(const std::function<void()>& f)
{
    testing::internal::CaptureStderr();
    f();
    return testing::internal::GetCapturedStderr();
}

TEST(Diagnostics, LineFormatBySeverity)
{
    EXPECT_EQ(captured([] { report(MessageId::NoSuchFile, {}, "a.ots"); }),
              "quorvanel - error: a.ots, no such file or directory.\n");
    EXPECT_EQ(captured([] { report(MessageId::PermissionDenied, {}, "r.xrd"); }),
              "quorvanel - error: r.xrd, permission denied;\n");
    EXPECT_EQ(captured([] { report(MessageId::FormatNotRecognized, {}, "t.tdf"); }),
              "quorvanel - error: t.tdf, file format not recognized.\n");
    EXPECT_EQ(captured([] { report(MessageId::OutOfMemory); }), "quorvanel - fatal: out of memory\n");
    EXPECT_EQ(captured([] { report(MessageId::UnexpectedError); }),
              "quorvanel - fatal: (unexpected error)\n");
    EXPECT_EQ(captured([] { report(MessageId::InternalError, {}, "x"); }),
              "quorvanel - fatal: internal error: x\n");
    EXPECT_EQ(captured([] { report(MessageId::WriteError, {}, "/dev/full"); }),
              "quorvanel - error: /dev/full, write error.\n");
}

TEST(Diagnostics, ArgumentsAreData)
{
    // An absent argument leaves the marker; a marker or percent sign inside an
    // argument is printed as it is.
    EXPECT_EQ(captured([] { report(MessageId::NoSuchFile, {}, nullptr); }),
              "quorvanel - error: %1, no such file or directory.\n");
    EXPECT_EQ(captured([] { report(MessageId::NoSuchFile, {}, "50%_%1_%s.ots"); }),
              "quorvanel - error: 50%_%1_%s.ots, no such file or directory.\n");
    EXPECT_EQ(captured([] { report(MessageId::NoSuchFile, {}, "a", "b", "c"); }),
              "quorvanel - error: a, no such file or directory.\n");
}

TEST(Diagnostics, Locations)
{
    MessageLocation file{MessageLocation::File, "a.c", 12};
    EXPECT_EQ(captured([&] { report(MessageId::NoSuchFile, file, "x"); }),
              "quorvanel - error: a.c:12: x, no such file or directory.\n");
    file.line = 0;
    EXPECT_EQ(captured([&] { report(MessageId::NoSuchFile, file, "x"); }),
              "quorvanel - error: a.c: x, no such file or directory.\n");
    MessageLocation cmd{MessageLocation::CommandLine, "", 0};
    EXPECT_EQ(captured([&] { report(MessageId::OutOfMemory, cmd); }),
              "quorvanel - fatal: command line: out of memory\n");
}

TEST(Files, BaseNameAndExistence)
{
    EXPECT_EQ(baseFileName("dir/sub/suite.a.ots"), "suite.a.ots");
    EXPECT_EQ(baseFileName("suite.ots"), "suite.ots");
    EXPECT_EQ(baseFileName("/abs/x"), "x");
    EXPECT_TRUE(fileExists("/"));
    EXPECT_TRUE(fileExists("/dev/null"));
    EXPECT_FALSE(fileExists("/nonexistent/really-not-here"));
    EXPECT_FALSE(fileExists(nullptr));
}

} // namespace
} // namespace qv
