// A fault inside a report run (no memory left, for one) ends the program with one line on
// standard error and the unknown exit code, which a monitoring engine reads as UNKNOWN. The
// shipped program has no exception tables, so there the fault goes straight to the same end.
#include <gtest/gtest.h>

#include <new>

#include "app/win32_report.h"

namespace kestrine {
namespace {

class ExhaustedDevices : public DevicePort {
public:
    OpenResult open(const std::string&, DeviceAccess) override { throw std::bad_alloc(); }
};

// Here the tables exist; noexcept ends the throw in terminate as their absence does.
int reportWithoutUnwinding(ExhaustedDevices& devices) noexcept {
    char program[] = "kestrine-report.exe";
    char format[] = "--format=json";
    char* argv[] = {program, format, nullptr};
    return runReportProgram(2, argv, devices);
}

TEST(ReportLastResort, AFaultInsideTheRunEndsUnknownWithOneLine) {
    ExhaustedDevices devices;
    EXPECT_EXIT(reportWithoutUnwinding(devices), testing::ExitedWithCode(3),
                "^kestrine-report: stopped by an internal fault\r?\n$");
}

}  // namespace
}  // namespace kestrine
