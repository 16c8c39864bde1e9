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
