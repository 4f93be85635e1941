// SPDX-License-Identifier: MIT
// Glenvary: a developer's driver that measures the archive at scale.
//
//   glenvary_archive_bench --corpus DIR --archive ADDRESS --documents N
//                          [--words 2000] [--checks 20] [--batch 1000] [--seed 1]
//                          [--skip-add]
//   glenvary_archive_bench --corpus DIR --write FOLDER --documents N [--words 2000] [--seed 1]
//
// Makes N documents of about --words words each from a word-pair model of
// the real prose in DIR (scripts/make-corpus.sh), every tenth with a passage
// of 30 to 150 words copied from an earlier document, and adds them to the
// archive ADDRESS (a SQLite file or a postgresql:// address), timing the
// add. Then checks --checks fresh articles of the same length, each with
// five passages of 30 to 150 words planted from known archive documents,
// and reports the time of a check of each (the first in the process apart:
// it also reads the index's directory and maps its first pages) and whether
// every planted source was found: among the candidates, and among the compared documents with a
// share above 0. With --skip-add the archive is taken as it is (made by an
// earlier run with the same settings). Prints one line "key: value" each.
// With --write, the N documents are written to FOLDER as UTF-8 files
// doc-00001.txt... (for a batch run over them) and nothing is measured.
#include "archive/archive.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

using glenvary::archive::TArchive;
using glenvary::archive::TNewDocument;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Words follow each other as they do in the corpus: the next word is drawn
// from the words that followed the current one there.
class TWordPairModel {
public:
    explicit TWordPairModel(const std::string& folder)
    {
        std::unordered_map<std::string, std::uint32_t> ids;
        std::uint32_t previous = UINT32_MAX;
        for (const char* name : {"a-1m.txt", "c-1m.txt", "d-1m.txt"}) {
            std::ifstream in(folder + "/" + name);
            if (!in) {
                std::cerr << "cannot read " << folder << "/" << name << " (run scripts/make-corpus.sh)\n";
                std::exit(2);
            }
            std::string word;
            while (in >> word) {
                auto [it, added] = ids.emplace(word, static_cast<std::uint32_t>(words_.size()));
                if (added) {
                    words_.emplace_back(word.begin(), word.end());
                    next_.emplace_back();
                }
                if (previous != UINT32_MAX) {
                    next_[previous].push_back(it->second);
                }
                previous = it->second;
            }
        }
    }

    [[nodiscard]] std::size_t Words() const { return words_.size(); }

    // About `count` words, deterministic in `seed`; a paragraph break now
    // and then after a full stop.
    [[nodiscard]] std::u16string Text(std::uint64_t seed, int count) const
    {
        std::mt19937_64 random(seed);
        std::u16string text;
        text.reserve(static_cast<std::size_t>(count) * 7);
        std::uint32_t word = static_cast<std::uint32_t>(random() % words_.size());
        for (int i = 0; i < count; ++i) {
            const std::u16string& spelling = words_[word];
            text += spelling;
            text += spelling.back() == u'.' && random() % 6 == 0 ? u'\n' : u' ';
            const std::vector<std::uint32_t>& after = next_[word];
            word = after.empty() ? static_cast<std::uint32_t>(random() % words_.size())
                                 : after[random() % after.size()];
        }
        return text;
    }

private:
    std::vector<std::u16string> words_;
    std::vector<std::vector<std::uint32_t>> next_;
};

// Words [first, first + count) of a text whose words are separated by one
// delimiter each, as TWordPairModel writes them.
std::u16string Words(const std::u16string& text, std::size_t first, std::size_t count)
{
    std::size_t start = 0;
    for (std::size_t w = 0; w < first && start != std::u16string::npos; ++w) {
        start = text.find_first_of(u" \n", start);
        start = start == std::u16string::npos ? start : start + 1;
    }
    if (start == std::u16string::npos) {
        return {};
    }
    std::size_t end = start;
    for (std::size_t w = 0; w < count && end != std::u16string::npos; ++w) {
        end = text.find_first_of(u" \n", end);
        end = end == std::u16string::npos ? end : end + 1;
    }
    return text.substr(start, end == std::u16string::npos ? std::u16string::npos : end - start);
}

// Puts `passage` into `text` after a word boundary near `at`.
void Plant(std::u16string& text, const std::u16string& passage, std::size_t at)
{
    std::size_t place = text.find(u' ', std::min(at, text.size()));
    place = place == std::u16string::npos ? text.size() : place + 1;
    text.insert(place, passage + u' ');
}

struct TSettings {
    std::string corpus;
    std::string archive;
    std::int64_t documents = 1000;
    int words = 2000;
    int checks = 20;
    int batch = 1000;
    std::uint64_t seed = 1;
    bool skipAdd = false;
    std::string write;
};

class TCollection {
public:
    TCollection(const TWordPairModel& model, const TSettings& settings) : model_(model), settings_(settings) {}

    [[nodiscard]] int Length(std::int64_t index) const
    {
        return settings_.words * 9 / 10 + static_cast<int>(Mix(index, 1) % static_cast<std::uint64_t>(settings_.words / 5 + 1));
    }

    // Document `index` (from 0; its archive id is index + 1): every tenth
    // holds a passage of 30 to 150 words of an earlier one.
    [[nodiscard]] std::u16string Document(std::int64_t index) const
    {
        std::u16string text = model_.Text(Mix(index, 2), Length(index));
        if (index % 10 == 9) {
            const std::int64_t source = static_cast<std::int64_t>(Mix(index, 3) % static_cast<std::uint64_t>(index));
            text.insert(0, u"");
            Plant(text, PassageOf(source, Mix(index, 4)), Mix(index, 5) % text.size());
        }
        return text;
    }

    // A passage of 30 to 150 words from document `source`.
    [[nodiscard]] std::u16string PassageOf(std::int64_t source, std::uint64_t pick) const
    {
        const std::u16string from = model_.Text(Mix(source, 2), Length(source));
        const std::size_t length = 30 + pick % 121;
        const std::size_t first = (pick >> 8U) % static_cast<std::size_t>(Length(source) - 160);
        return Words(from, first, length);
    }

    [[nodiscard]] std::uint64_t Mix(std::int64_t index, std::uint64_t salt) const
    {
        std::uint64_t z = settings_.seed * 0x9E3779B97F4A7C15ULL + static_cast<std::uint64_t>(index) * 0xBF58476D1CE4E5B9ULL
            + salt * 0x94D049BB133111EBULL;
        z = (z ^ (z >> 30U)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27U)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31U);
    }

private:
    const TWordPairModel& model_;
    const TSettings& settings_;
};

// Writes the documents as UTF-8 files, their names in index order.
int WriteDocuments(const TCollection& collection, const TSettings& settings)
{
    std::filesystem::create_directories(settings.write);
    for (std::int64_t i = 0; i < settings.documents; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "doc-%05lld.txt", static_cast<long long>(i + 1));
        std::ofstream out(std::filesystem::path(settings.write) / name, std::ios::binary);
        for (const char16_t c : collection.Document(i)) {
            // The model's words come from UTF-8 files read byte by byte, so
            // every unit is one byte.
            out.put(static_cast<char>(c));
        }
        if (!out) {
            std::cerr << "cannot write " << settings.write << "/" << name << "\n";
            return 1;
        }
    }
    std::cout << "documents_written: " << settings.documents << "\n";
    return 0;
}

double Median(std::vector<double> values)
{
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    TSettings settings;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                std::cerr << arg << " needs a value\n";
                std::exit(2);
            }
            return argv[++i];
        };
        if (arg == "--corpus") {
            settings.corpus = value();
        } else if (arg == "--archive") {
            settings.archive = value();
        } else if (arg == "--documents") {
            settings.documents = std::stoll(value());
        } else if (arg == "--words") {
            settings.words = std::stoi(value());
        } else if (arg == "--checks") {
            settings.checks = std::stoi(value());
        } else if (arg == "--batch") {
            settings.batch = std::stoi(value());
        } else if (arg == "--seed") {
            settings.seed = std::stoull(value());
        } else if (arg == "--write") {
            settings.write = value();
        } else if (arg == "--skip-add") {
            settings.skipAdd = true;
        } else {
            std::cerr << "unknown argument " << arg << "\n";
            return 2;
        }
    }
    if (settings.corpus.empty() || (settings.archive.empty() == settings.write.empty()) || settings.words < 200) {
        std::cerr << "usage: glenvary_archive_bench --corpus DIR --archive ADDRESS --documents N [--words W] "
                     "[--checks C] [--batch B] [--seed S] [--skip-add]\n"
                     "       glenvary_archive_bench --corpus DIR --write FOLDER --documents N [--words W] [--seed S]\n";
        return 2;
    }
    const TWordPairModel model(settings.corpus);
    const TCollection collection(model, settings);
    std::cout << "model_words: " << model.Words() << "\n";
    if (!settings.write.empty()) {
        return WriteDocuments(collection, settings);
    }

    auto opened = TArchive::Open(settings.archive, glenvary::archive::TOpenMode::CreateIfMissing);
    if (!opened.Ok()) {
        std::cerr << opened.Error() << "\n";
        return 1;
    }
    std::optional<TArchive> archive(std::move(opened).Value());

    if (!settings.skipAdd) {
        Clock::duration generating{};
        Clock::duration adding{};
        for (std::int64_t start = 0; start < settings.documents; start += settings.batch) {
            const auto began = Clock::now();
            std::vector<TNewDocument> batch;
            for (std::int64_t i = start; i < std::min(settings.documents, start + settings.batch); ++i) {
                batch.push_back(TNewDocument{"doc-" + std::to_string(i + 1) + ".txt", collection.Document(i)});
            }
            const auto made = Clock::now();
            auto added = archive->Add(batch, glenvary::archive::TAddOptions{.batchDocuments = settings.batch});
            const auto stored = Clock::now();
            if (!added.Ok()) {
                std::cerr << added.Error() << "\n";
                return 1;
            }
            generating += made - began;
            adding += stored - made;
            if ((start / settings.batch) % 10 == 9) {
                std::cerr << "added " << start + settings.batch << " documents in " << Seconds(adding) << " s\n";
            }
        }
        std::cout << "generate_seconds: " << Seconds(generating) << "\n";
        std::cout << "add_seconds: " << Seconds(adding) << "\n";
    }
    // Sizes and look-ups as a later program finds the archive: closed (the
    // journal folded in) and opened again.
    archive.reset();
    const auto opening = Clock::now();
    opened = TArchive::Open(settings.archive, glenvary::archive::TOpenMode::Existing);
    if (!opened.Ok()) {
        std::cerr << opened.Error() << "\n";
        return 1;
    }
    std::cout << "open_seconds: " << Seconds(Clock::now() - opening) << "\n";
    archive.emplace(std::move(opened).Value());
    auto stats = archive->Stats();
    if (!stats.Ok()) {
        std::cerr << stats.Error() << "\n";
        return 1;
    }
    const auto& s = stats.Value();
    std::cout << "documents: " << s.documents << "\nwords: " << s.words << "\nfingerprints: " << s.fingerprints
              << "\nsegments: " << s.segments << "\nbytes: " << s.size.bytes << "\nused_bytes: " << s.size.usedBytes
              << "\nbytes_per_word: " << static_cast<double>(s.size.bytes) / static_cast<double>(s.words)
              << "\nused_bytes_per_word: " << static_cast<double>(s.size.usedBytes) / static_cast<double>(s.words)
              << "\n";

    // Fresh articles with five planted sources each.
    std::vector<double> times;
    std::vector<double> repeats;
    double first = 0;
    std::int64_t planted = 0;
    std::int64_t inCandidates = 0;
    std::int64_t inCompared = 0;
    std::int64_t candidateCount = 0;
    for (int q = 0; q < settings.checks; ++q) {
        std::u16string article = model.Text(collection.Mix(-1 - q, 6), settings.words - 450);
        std::vector<std::int64_t> sources;
        for (int p = 0; p < 5; ++p) {
            const auto source = static_cast<std::int64_t>(collection.Mix(-1 - q, 10 + static_cast<std::uint64_t>(p))
                                                          % static_cast<std::uint64_t>(settings.documents));
            sources.push_back(source + 1);
            Plant(article, collection.PassageOf(source, collection.Mix(-1 - q, 20 + static_cast<std::uint64_t>(p))),
                  collection.Mix(-1 - q, 30 + static_cast<std::uint64_t>(p)) % article.size());
        }
        // One check of an article the process has not seen: its look-up
        // touches blocks it never read. The same check again shows what is
        // left once they are mapped.
        const auto began = Clock::now();
        auto checked = archive->Check(article);
        const auto once = Clock::now();
        auto again = archive->Check(article);
        const auto twice = Clock::now();
        if (!checked.Ok() || !again.Ok()) {
            std::cerr << (checked.Ok() ? again.Error() : checked.Error()) << "\n";
            return 1;
        }
        if (q == 0) {
            first = Seconds(once - began);
        } else {
            times.push_back(Seconds(once - began));
        }
        repeats.push_back(Seconds(twice - once));
        candidateCount += static_cast<std::int64_t>(checked.Value().candidates.size());
        for (const std::int64_t source : sources) {
            ++planted;
            const auto& list = checked.Value().candidates;
            inCandidates += std::any_of(list.begin(), list.end(), [&](const auto& c) { return c.id == source; });
            const auto& compared = checked.Value().documents;
            const bool found = std::any_of(compared.begin(), compared.end(), [&](const auto& d) {
                return d.document.id == source && d.articleDuplicatedWords > 0;
            });
            inCompared += found;
            if (!found) {
                std::cerr << "check " << q << ": source " << source << " not among the compared documents\n";
            }
        }
    }
    std::cout << "first_check_seconds: " << first << "\ncheck_median_seconds: " << Median(times)
              << "\ncheck_max_seconds: " << (times.empty() ? 0 : *std::max_element(times.begin(), times.end()))
              << "\nrepeated_check_median_seconds: " << Median(repeats)              << "\ncandidates_mean: " << static_cast<double>(candidateCount) / std::max(1, settings.checks)
              << "\nplanted: " << planted << "\nfound_in_candidates: " << inCandidates
              << "\nfound_in_compared: " << inCompared << "\n";
    return inCandidates == planted ? 0 : 1;
}
