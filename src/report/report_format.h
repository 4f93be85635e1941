// SPDX-License-Identifier: MIT
// Glenvary reports: the three formats a report is written in, told from a
// name or a file's suffix, each with its writers.
#pragma once

#include "report/archive_check.h"
#include "report/batch.h"
#include "report/output_file.h"
#include "report/report.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace glenvary::report {

/// A report's format: a short summary for a person, JSON for programs, or
/// one self-contained web page.
class TReportFormat {
public:
    enum TKind : std::uint8_t { Text, Json, Html };

    constexpr TReportFormat(TKind kind) noexcept : kind_(kind) {} // NOLINT(google-explicit-constructor)

    [[nodiscard]] constexpr TKind Kind() const noexcept { return kind_; }
    /// "text", "json" or "html", as the command line spells it.
    [[nodiscard]] std::string_view Name() const noexcept;

    /// The format among `allowed` that `name` names, in any letter case;
    /// nothing for any other name.
    [[nodiscard]] static std::optional<TReportFormat> FromName(std::string_view name,
                                                               std::span<const TReportFormat> allowed);
    /// The format a file's name asks for by its suffix, in any letter case:
    /// JSON for ".json", text for ".txt", a web page for anything else.
    [[nodiscard]] static TReportFormat FromFileName(std::string_view path) noexcept;
    /// The names of `formats`, in their order, for a list of choices.
    [[nodiscard]] static std::string Names(std::span<const TReportFormat> formats, std::string_view separator);

    /// Writes `report` in this format.
    [[nodiscard]] TReportWriter Writer(const TCompareReport& report) const;
    [[nodiscard]] TReportWriter Writer(const TBatchReport& report) const;
    [[nodiscard]] TReportWriter Writer(const TArchiveCheckReport& report) const;
    /// A keyword count has no web page: Html writes its text summary.
    [[nodiscard]] TReportWriter Writer(const TDensityReport& report) const;

    friend constexpr bool operator==(TReportFormat, TReportFormat) = default;

private:
    TKind kind_;
};

/// Every format: what comparisons and batches are written in.
inline constexpr std::array<TReportFormat, 3> kAllFormats{TReportFormat::Text, TReportFormat::Json,
                                                          TReportFormat::Html};
/// The formats of a keyword count.
inline constexpr std::array<TReportFormat, 2> kSummaryFormats{TReportFormat::Text, TReportFormat::Json};

} // namespace glenvary::report
