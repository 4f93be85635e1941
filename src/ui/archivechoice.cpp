// SPDX-License-Identifier: MIT
#include "ui/archivechoice.h"

#include "archive/store.h"

#include <QLocale>
#include <QSettings>

#include <algorithm>
#include <utility>

namespace glenvary::ui {
namespace {

const QString kAddressKey = QStringLiteral("archive/address");
const QString kTopKey = QStringLiteral("archive/topDocuments");

QString Percent(double value)
{
    // The C locale, as the window's own figures: a point, whatever the
    // desktop's language.
    return QLocale::c().toString(value, 'f', 1) + QLatin1Char('%');
}

QString Quoted(const std::string& name)
{
    return QLatin1Char('"') + QString::fromStdString(name) + QLatin1Char('"');
}

} // namespace

TArchiveChoice ReadArchiveChoice(const QSettings& settings)
{
    TArchiveChoice choice;
    const QString address = settings.value(kAddressKey).toString();
    if (!RefuseAddress(address)) {
        choice.address = address;
    }
    bool ok = false;
    const int top = settings.value(kTopKey, kDefaultTopDocuments).toInt(&ok);
    choice.topDocuments = ok ? std::clamp(top, 1, kMaxTopDocuments) : kDefaultTopDocuments;
    return choice;
}

void WriteArchiveChoice(QSettings& settings, const TArchiveChoice& choice)
{
    settings.setValue(kAddressKey, choice.address);
    settings.setValue(kTopKey, choice.topDocuments);
}

std::optional<QString> RefuseAddress(const QString& address)
{
    if (address.trimmed().isEmpty()) {
        return QStringLiteral("Choose an archive file or type a postgresql:// address.");
    }
    if (address.size() > kMaxArchiveAddress) {
        return QStringLiteral("The address is longer than %1 characters.").arg(kMaxArchiveAddress);
    }
    if (address.contains(QLatin1Char('\n')) || address.contains(QLatin1Char('\r'))) {
        return QStringLiteral("The address holds a line break.");
    }
    return std::nullopt;
}

QString PrintableArchive(const QString& address)
{
    return QString::fromStdString(archive::PrintableAddress(address.toStdString()));
}

QString ArchiveDocumentName(const QString& sourceName, int side, const QDateTime& when)
{
    if (!sourceName.isEmpty()) {
        return sourceName;
    }
    return QStringLiteral("Article %1 (%2)").arg(side).arg(when.toString(QStringLiteral("yyyy-MM-dd HH:mm")));
}

std::vector<TSource> TopSources(archive::TCheckReport report, int topDocuments)
{
    std::vector<TSource> sources;
    for (archive::TCheckedDocument& checked : report.documents) {
        if (std::cmp_greater_equal(sources.size(), std::max(topDocuments, 0))) {
            break;
        }
        if (checked.articleDuplicatedWords <= 0) {
            continue;
        }
        sources.push_back({checked.document.id, QString::fromStdString(checked.document.name),
                           checked.articlePercent, checked.documentPercent, std::move(checked.documentText)});
    }
    return sources;
}

QString DescribeSource(const TSource& source)
{
    return QStringLiteral("%1: %2 of Article 2, %3 of the document")
        .arg(source.name, Percent(source.articlePercent), Percent(source.documentPercent));
}

TAddOutcome DescribeAdd(const archive::TAddReport& report, const QString& article, const QString& address)
{
    const QString archive = PrintableArchive(address);
    if (report.documents.empty()) {
        return {QStringLiteral("%1 was not added to %2: the add was stopped.").arg(article, archive), true};
    }
    const archive::TAddedDocument& added = report.documents.front();
    if (!added.refused.empty()) {
        return {QStringLiteral("%1 was not added to %2: it is %3.")
                    .arg(article, archive, QString::fromStdString(added.refused)),
                true};
    }
    if (added.alreadyStored) {
        return {QStringLiteral("%1 is already stored in %2 as %3.").arg(article, archive, Quoted(added.storedName)),
                false};
    }
    return {QStringLiteral("%1 was added to %2 as %3.").arg(article, archive, Quoted(added.name)), false};
}

} // namespace glenvary::ui
