// SPDX-License-Identifier: MIT
#include "report/report_format.h"

#include <gtest/gtest.h>

#include <optional>
#include <string_view>

namespace glenvary::report {
namespace {

TEST(ReportFormat, IsToldFromANameOrASuffixInAnyCase)
{
    const struct {
        std::string_view name;
        std::optional<TReportFormat> format;
    } names[] = {{"text", TReportFormat::Text}, {"JSON", TReportFormat::Json}, {"Html", TReportFormat::Html},
                 {"htm", std::nullopt}, {"", std::nullopt}};
    for (const auto& [name, format] : names) {
        SCOPED_TRACE(name);
        EXPECT_EQ(TReportFormat::FromName(name, kAllFormats), format);
    }
    EXPECT_EQ(TReportFormat::FromName("html", kSummaryFormats), std::nullopt);

    const struct {
        std::string_view path;
        TReportFormat format;
    } files[] = {{"r.json", TReportFormat::Json}, {"R.TXT", TReportFormat::Text}, {"r.html", TReportFormat::Html},
                 {"report", TReportFormat::Html},  {"a.json/report", TReportFormat::Html},
                 {"notes.txt.html", TReportFormat::Html}};
    for (const auto& [path, format] : files) {
        SCOPED_TRACE(path);
        EXPECT_EQ(TReportFormat::FromFileName(path), format);
    }
}

} // namespace
} // namespace glenvary::report
