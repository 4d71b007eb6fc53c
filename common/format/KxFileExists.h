#pragma once
// Whether a path names a file: it exists and is not a folder. A relative path is taken from the
// current directory; an empty or null path names no file.

namespace kx {

bool FileExists(const char* path);

}  // namespace kx
