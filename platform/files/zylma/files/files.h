// File helpers below the record layer: text conversion at the disk boundary, path mapping and
// existence tests. Nothing here ever creates a file when asked to read one.
#pragma once

#include <string>

namespace zylma::files {

// Windows-1252 bytes on disk, UTF-8 in memory. A character with no Windows-1252 byte becomes "?",
// and so does each byte of malformed UTF-8; the five bytes Windows-1252 leaves undefined
// (0x81 0x8D 0x8F 0x90 0x9D) read as U+0081 U+008D U+008F U+0090 U+009D and are written back as
// those bytes, as Windows does. Every byte reads as one character and
// every character writes as one byte, so a text's length on disk is its length in characters.
std::string utf8ToCp1252(const std::string& utf8);
std::string cp1252ToUtf8(const std::string& bytes);

// The application folder: $ZYLMA_APP when set, else the folder of the running program.
// Never ends with "/".
std::string appFolder();

// Maps a path to the file that is really there: the exact name first, then each component
// matched without regard to case (".Wcon" finds ".WCon"). A path that matches nothing comes
// back as given, so a writer creates it under the name the program uses; when only the last
// components are missing, the folders found come back with their real names. Case folding
// covers ASCII and the Latin-1 letters; of several names that fold alike, the one sorting first.
std::string resolvePath(const std::string& path);

bool fileExists(const std::string& path);    // a regular file, after resolvePath
bool folderExists(const std::string& path);  // a directory, after resolvePath
// Deletes a file; a missing file is not an error.
bool deleteFile(const std::string& path);

}  // namespace zylma::files
