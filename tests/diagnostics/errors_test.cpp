#include <gtest/gtest.h>

#include "diagnostics/errors.h"

namespace {

template <typename Error> std::string reported(const Error &error)
{
    testing::internal::CaptureStderr();
    error.report();
    return testing::internal::GetCapturedStderr();
}

TEST(ErrorReports, GeneralErrorForms)
{
    EXPECT_EQ(reported(cagada_t(nullptr, nullptr)), "Unknown error\n");
    EXPECT_EQ(reported(cagada_t(nullptr, "ignored")), "Unknown error\n");
    EXPECT_EQ(reported(cagada_t("/system/zbeos", nullptr)), "Error: /system/zbeos\n");
    EXPECT_EQ(reported(cagada_t("/system/zbeos", "File not found")),
              "Error: /system/zbeos -- File not found\n");
    EXPECT_EQ(reported(cagada_t("z", "")), "Error: z -- \n");
    EXPECT_EQ(reported(cagada_t("z", "cannot uncompress loader\n")),
              "Error: z -- cannot uncompress loader\n\n");
}

TEST(ErrorReports, ImageErrorForms)
{
    EXPECT_EQ(reported(imgtoolsError_t("LoadImage error", "")), "Error: LoadImage error -- \n");
    EXPECT_EQ(reported(imgtoolsError_t("LoadImage error", nullptr)), "Error: LoadImage error\n");
}

// A path or a system's text often lives in a buffer that is gone or reused
// by the time the error is reported.
TEST(ErrorReports, TextsAreTheirOwn)
{
    std::string subject = "/system/zbeos", reason = "troubles reading";
    const cagada_t general(subject.c_str(), reason.c_str());
    const imgtoolsError_t image(subject.c_str(), reason.c_str());
    subject.assign(subject.size(), 'x');
    reason.assign(reason.size(), 'y');
    EXPECT_EQ(reported(general), "Error: /system/zbeos -- troubles reading\n");
    EXPECT_EQ(reported(image), "Error: /system/zbeos -- troubles reading\n");
}

TEST(ErrorReports, HandlersDoNotCatchEachOther)
{
    bool caughtAsImageError = false;
    try {
        try {
            throw cagada_t("a", "b");
        } catch (imgtoolsError_t &) {
            caughtAsImageError = true;
        }
    } catch (cagada_t &error) {
        EXPECT_EQ(error.subject, "a");
    }
    EXPECT_FALSE(caughtAsImageError);
}

} // namespace
