#include <gtest/gtest.h>

#include "error_report_cases.h"

TEST(ErrorReport, TheRuleSaysWhichFailuresAreSilentAndWhatTheOthersShow) {
  for (const ErrorReportCase& each : ErrorReportCases())
    EXPECT_EQ(ui::ReportedText(each.failure), each.shown) << each.kind;
  EXPECT_EQ(ui::ReportedText(nullptr), std::nullopt);
}
