// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

// Reading a file of the user's whole, whatever lies at its path.
namespace tickwell {

inline constexpr const char* notRegularFileReason = "it is not a regular file";
// "it is larger than 64 MB".
std::string tooLargeReason(std::uintmax_t limit);

// Reads a regular file whole, of at most `limit` bytes, without ever
// blocking (a FIFO or a device in its place is refused, not waited on).
// False, with the reason in words, otherwise.
bool readWholeFile(
    const std::filesystem::path& path, std::uintmax_t limit, std::string& bytes, std::string& failure);

// The file a chain of symbolic links ends at (or would be created at): a
// file rewritten through a new one replaces the file the link names, not
// the link.
std::filesystem::path resolveLinks(std::filesystem::path path);

} // namespace tickwell
