#include <gtest/gtest.h>

#include "diagnostics/traceMsg.h"

namespace {

class Trace : public testing::Test {
protected:
    void SetUp() override
    {
        trace_level = 1;
        while (ident_level > 0)
            TRACE_dedent();
    }
    void TearDown() override { SetUp(); }

    template <typename... Args> std::string traced(unsigned level, const char *format, Args... args)
    {
        testing::internal::CaptureStdout();
        // The format is what the test is about, so it cannot be a literal.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-security"
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
        TRACE(level, format, args...);
#pragma GCC diagnostic pop
        fflush(stdout);
        return testing::internal::GetCapturedStdout();
    }
};

TEST_F(Trace, LevelMustLieBelowTheThreshold)
{
    EXPECT_EQ(traced(0, "a%d\n", 1), "a1\n");
    EXPECT_EQ(traced(1, "hidden\n"), "");
    TRACE_inclevel();
    EXPECT_EQ(traced(1, "shown\n"), "shown\n");
    EXPECT_EQ(traced(2, "hidden\n"), "");
    trace_level = 0;
    EXPECT_EQ(traced(0, "silenced\n"), "");
}

TEST_F(Trace, EachNestingStepAddsOnePrefixToTheFirstLineOnly)
{
    TRACE_ident();
    TRACE_ident();
    EXPECT_EQ(traced(0, "x\ny\n"), "... ... x\ny\n");
    TRACE_dedent();
    EXPECT_EQ(traced(0, "%s", "\n"), "... \n");
    EXPECT_EQ(traced(0, "no newline added"), "... no newline added");
}

TEST_F(Trace, DedentStopsAtZero)
{
    TRACE_dedent();
    EXPECT_EQ(ident_level, 0u);
    TRACE_ident();
    EXPECT_EQ(traced(0, "x"), "... x");
}

} // namespace
