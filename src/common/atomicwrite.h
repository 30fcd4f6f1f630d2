#pragma once
// Replacing a file's contents so that a failure at any point leaves either the
// old file or the new one, never a half-written file.

#include <string>

namespace korvel {

// Writes bytes to path: into a temporary file in the target's own folder,
// flushed to disk, then renamed over the target. When path is a symbolic link
// (or a chain of them) the file it names is replaced and the link stays; a
// link to a file not there yet creates that file. An existing target keeps
// its permission bits. Missing folders are created. False (with *error) on
// any failure; the target is then untouched and no temporary file is left.
bool writeFileAtomically(const std::string& path, const std::string& bytes,
                         std::string* error = nullptr);

}  // namespace korvel
