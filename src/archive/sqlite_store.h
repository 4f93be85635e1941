// SPDX-License-Identifier: MIT
// Glenvary archive: the store in one SQLite file.
#pragma once

#include "store.h"

namespace glenvary::archive {

/// The "application id" in every archive file's header ("Glnv"), which
/// tells a Glenvary archive from any other SQLite database.
inline constexpr std::int32_t kSqliteApplicationId = 0x476C6E76;

/// Opens or makes the archive file `path` (see OpenStore).
[[nodiscard]] base::TResult<std::unique_ptr<TArchiveStore>> OpenSqliteStore(const std::string& path, TOpenMode mode);

} // namespace glenvary::archive
