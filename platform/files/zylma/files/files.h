// File helpers below the record layer: text conversion at the disk boundary, path mapping and
// existence tests. Nothing here ever creates a file when asked to read one.
#pragma once

#include <string>

namespace zylma::files {

// Windows-1252 bytes on disk, UTF-8 in memory. A character with no Windows-1252 byte becomes "?";
// the five bytes Windows-1252 leaves undefined come back as U+FFFD on reading.
std::string utf8ToCp1252(const std::string& utf8);
std::string cp1252ToUtf8(const std::string& bytes);

// The application folder: $ZYLMA_APP when set, else the folder of the running program.
// Never ends with "/".
std::string appFolder();

// Maps a path to the file that is really there: the exact name first, then each component
// matched without regard to case (".Wcon" finds ".WCon"). A path that matches nothing comes
// back as given, so a writer creates it under the name the program uses.
std::string resolvePath(const std::string& path);

bool fileExists(const std::string& path);    // a regular file, after resolvePath
bool folderExists(const std::string& path);  // a directory, after resolvePath
// Deletes a file; a missing file is not an error.
bool deleteFile(const std::string& path);

}  // namespace zylma::files
