// SPDX-License-Identifier: MIT
// Glenvary archive: the fingerprints of an article's words as the archive
// indexes them and as a check looks them up (the engine's, core/
// fingerprint.h), and the hash that tells stored texts apart.
#pragma once

#include "core/fingerprint.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace glenvary::archive {

using core::Fingerprints;
using core::GramHash;
using core::kFingerprintBits;
using core::kGramWords;
using core::kGuaranteeWords;
using core::kWindowGrams;
using core::TFingerprint;
using core::WordHash;

/// Normalises `text` as the window does (core::NormaliseArticle), the form
/// in which the archive keeps and compares every text.
[[nodiscard]] std::u16string NormalisedText(std::u16string text);

/// The hash that tells texts apart for "already stored": FNV-1a over the
/// code units of the normalised text, then the splitmix64 finaliser. Equal
/// hashes are confirmed by comparing the texts.
[[nodiscard]] std::uint64_t ContentHash(std::u16string_view normalisedText) noexcept;

} // namespace glenvary::archive
