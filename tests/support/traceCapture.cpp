#include "support/traceCapture.h"

#include <cstdio>

#include <gtest/gtest.h>

#include "diagnostics/traceMsg.h"

traceCapture_t::traceCapture_t(unsigned level) : savedLevel(trace_level), capturing(true)
{
    trace_level = level;
    testing::internal::CaptureStdout();
}

traceCapture_t::~traceCapture_t()
{
    if (capturing)
        Text();
    trace_level = savedLevel;
}

std::string traceCapture_t::Text()
{
    capturing = false;
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}
