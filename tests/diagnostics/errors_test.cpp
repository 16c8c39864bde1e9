#include <gtest/gtest.h>

#include "diagnostics/errors.h"

namespace {

std::string reported(const dawnmarkError_t &error)
{
    testing::internal::CaptureStderr();
    error.report();
    return testing::internal::GetCapturedStderr();
}

TEST(ErrorReports, Forms)
{
    EXPECT_EQ(reported(dawnmarkError_t(nullptr, nullptr)), "Unknown error\n");
    EXPECT_EQ(reported(dawnmarkError_t(nullptr, "ignored")), "Unknown error\n");
    EXPECT_EQ(reported(dawnmarkError_t("/system/zbeos", nullptr)), "Error: /system/zbeos\n");
    EXPECT_EQ(reported(dawnmarkError_t("/system/zbeos", "File not found")),
              "Error: /system/zbeos -- File not found\n");
    EXPECT_EQ(reported(dawnmarkError_t("LoadImage error", "")), "Error: LoadImage error -- \n");
    EXPECT_EQ(reported(dawnmarkError_t("z", "cannot uncompress loader\n")),
              "Error: z -- cannot uncompress loader\n\n");
}

// A path or a system's text often lives in a buffer that is gone or reused
// by the time the error is reported.
TEST(ErrorReports, TextsAreTheirOwn)
{
    std::string subject = "/system/zbeos", reason = "troubles reading";
    const dawnmarkError_t error(subject.c_str(), reason.c_str());
    subject.assign(subject.size(), 'x');
    reason.assign(reason.size(), 'y');
    EXPECT_EQ(reported(error), "Error: /system/zbeos -- troubles reading\n");
}

} // namespace
