// SPDX-License-Identifier: MIT
// Builds small PDFs in memory, object by object, for the readers' tests.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace glenvary::io::test {

/// A PDF of the objects `objects` (numbered from 1, the first the catalog)
/// with a correct cross-reference table; `trailer` adds to the trailer.
inline std::string HandMadePdf(const std::vector<std::string>& objects, const std::string& trailer = "")
{
    std::string pdf = "%PDF-1.4\n";
    std::string xref = "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (std::size_t i = 0; i < objects.size(); ++i) {
        char entry[21];
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", pdf.size());
        xref += entry;
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const std::size_t start = pdf.size();
    return pdf + xref + "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R " + trailer +
           ">>\nstartxref\n" + std::to_string(start) + "\n%%EOF\n";
}

/// A stream object holding `data`, with `keys` added to its dictionary.
inline std::string PdfStream(const std::string& data, const std::string& keys = "")
{
    return "<< /Length " + std::to_string(data.size()) + " " + keys + " >>\nstream\n" + data + "\nendstream";
}

/// The font every test page writes with.
inline const std::string kPdfFont = "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>";

} // namespace glenvary::io::test
