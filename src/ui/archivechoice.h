// SPDX-License-Identifier: MIT
// Glenvary: what the window's archive commands decide, apart from widgets:
// the archive chosen, the names articles are added under, which documents
// Find Sources lists and what each command says when it is over.
#pragma once

#include "archive/archive.h"

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class QSettings;

namespace glenvary::ui {

/// Documents Find Sources compares exactly and lists at most: each is a
/// whole comparison with article 2, so a hundred already takes seconds on a
/// long article.
inline constexpr int kMaxTopDocuments = 100;
inline constexpr int kDefaultTopDocuments = 10;
/// Longest archive address taken, in characters: a path or a PostgreSQL
/// address is far shorter; anything longer is a paste gone wrong.
inline constexpr int kMaxArchiveAddress = 4096;

/// The archive the window's commands use and how many documents Find
/// Sources lists. Remembered between runs.
struct TArchiveChoice {
    /// A SQLite archive's file name or a postgresql:// address; empty when
    /// none has been chosen.
    QString address;
    /// 1 to kMaxTopDocuments.
    int topDocuments = kDefaultTopDocuments;

    friend bool operator==(const TArchiveChoice&, const TArchiveChoice&) = default;
};

/// The choice stored in `settings`; a missing or unusable address reads as
/// none, a count out of range as the nearest one allowed.
[[nodiscard]] TArchiveChoice ReadArchiveChoice(const QSettings& settings);
/// Stores `choice` in `settings`.
void WriteArchiveChoice(QSettings& settings, const TArchiveChoice& choice);

/// Why `address` cannot name an archive (blank, too long, a line break in
/// it), in words for the settings dialog; nothing when it can be tried.
/// Whether the archive is there is known only once it is opened.
[[nodiscard]] std::optional<QString> RefuseAddress(const QString& address);

/// `address` as messages show it: a PostgreSQL address without its
/// password, a file by its path.
[[nodiscard]] QString PrintableArchive(const QString& address);

/// The name an article is added to the archive under: the name of the file
/// it was imported from, or, for typed or pasted text (`sourceName` empty),
/// "Article N (yyyy-MM-dd HH:mm)" with the side's number and `when`.
[[nodiscard]] QString ArchiveDocumentName(const QString& sourceName, int side, const QDateTime& when);

/// One document Find Sources lists.
struct TSource {
    std::int64_t id = 0;
    QString name;
    /// Share of article 2 that duplicates the document, and share of the
    /// document that article 2 duplicates, in per cent.
    double articlePercent = 0.0;
    double documentPercent = 0.0;
    /// The document's text, to load as article 1.
    std::u16string text;
};

/// The documents of `report` to list, the most duplicated first: those of
/// which the comparison marked at least one word of article 2 (a candidate
/// that shares only a chance fingerprint is left out), at most
/// `topDocuments` of them.
[[nodiscard]] std::vector<TSource> TopSources(archive::TCheckReport report, int topDocuments);

/// One line of the sources list: "name: 41.7% of Article 2, 12.0% of the
/// document".
[[nodiscard]] QString DescribeSource(const TSource& source);

/// What became of an article given to Add to Archive, in one line.
struct TAddOutcome {
    QString message;
    /// The archive refused the article: shown as a warning, else as
    /// information.
    bool refused = false;
};
/// Describes the add of `article` ("Article 1") under `name` to `address`
/// from its report.
[[nodiscard]] TAddOutcome DescribeAdd(const archive::TAddReport& report, const QString& article,
                                      const QString& address);

} // namespace glenvary::ui
