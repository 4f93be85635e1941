// SPDX-License-Identifier: MIT
#include "report/report_format.h"

#include "report/html_writer.h"
#include "report/json_writer.h"
#include "report/text_writer.h"

#include <algorithm>

namespace glenvary::report {
namespace {

bool SameLetters(std::string_view a, std::string_view b) noexcept
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [&lower](char x, char y) { return lower(x) == lower(y); });
}

} // namespace

std::string_view TReportFormat::Name() const noexcept
{
    switch (kind_) {
    case Text: return "text";
    case Json: return "json";
    case Html: return "html";
    }
    return "text";
}

std::optional<TReportFormat> TReportFormat::FromName(std::string_view name, std::span<const TReportFormat> allowed)
{
    for (const TReportFormat format : allowed) {
        if (SameLetters(name, format.Name())) {
            return format;
        }
    }
    return std::nullopt;
}

TReportFormat TReportFormat::FromFileName(std::string_view path) noexcept
{
    const std::size_t slash = path.find_last_of('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.find_last_of('.');
    const std::string_view suffix = dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
    if (SameLetters(suffix, "json")) {
        return Json;
    }
    if (SameLetters(suffix, "txt")) {
        return Text;
    }
    return Html;
}

std::string TReportFormat::Names(std::span<const TReportFormat> formats, std::string_view separator)
{
    std::string names;
    for (const TReportFormat format : formats) {
        if (!names.empty()) {
            names += separator;
        }
        names += format.Name();
    }
    return names;
}

TReportWriter TReportFormat::Writer(const TCompareReport& report) const
{
    switch (kind_) {
    case Json: return [&report](std::ostream& out) { WriteCompareJson(out, report); };
    case Html: return [&report](std::ostream& out) { WriteCompareHtml(out, report); };
    case Text: break;
    }
    return [&report](std::ostream& out) { WriteCompareText(out, report); };
}

TReportWriter TReportFormat::Writer(const TBatchReport& report) const
{
    switch (kind_) {
    case Json: return [&report](std::ostream& out) { WriteBatchJson(out, report); };
    case Html: return [&report](std::ostream& out) { WriteBatchHtml(out, report); };
    case Text: break;
    }
    return [&report](std::ostream& out) { WriteBatchText(out, report); };
}

TReportWriter TReportFormat::Writer(const TArchiveCheckReport& report) const
{
    switch (kind_) {
    case Json: return [&report](std::ostream& out) { WriteArchiveCheckJson(out, report); };
    case Html: return [&report](std::ostream& out) { WriteArchiveCheckHtml(out, report); };
    case Text: break;
    }
    return [&report](std::ostream& out) { WriteArchiveCheckText(out, report); };
}

TReportWriter TReportFormat::Writer(const TDensityReport& report) const
{
    if (kind_ == Json) {
        return [&report](std::ostream& out) { WriteDensityJson(out, report); };
    }
    return [&report](std::ostream& out) { WriteDensityText(out, report); };
}

} // namespace glenvary::report
