// The few folder and file operations the installer and the start-up form need: existence,
// creation, deletion, copying (whole folders, or files by a "*"/"?" pattern), and rename.
//
// Names are found as the rest of the program finds them (files::resolvePath: exactly, then
// without regard to case), and patterns match without regard to case, so a kit written on a
// case-insensitive disk installs the same. Every operation reports failure with a reason instead
// of ending the program; none follows a symbolic link out of the folder it works in.
#pragma once

#include <string>
#include <vector>

namespace zylma::admin::archivos {

// A name against a pattern: "*" any run of characters, "?" one character, ASCII letters without
// regard to case. "*.*" matches every name, with or without a dot.
bool coincide(const std::string& patron, const std::string& nombre);

bool existeCarpeta(const std::string& ruta);
bool existeArchivo(const std::string& ruta);

// Names (not paths) of the regular files, or of the folders (links to folders too), directly in
// `carpeta`, sorted.
std::vector<std::string> archivosDe(const std::string& carpeta, const std::string& patron = "*");
std::vector<std::string> carpetasDe(const std::string& carpeta);

// Creates one folder (its parent must exist); an existing folder is fine.
bool creaCarpeta(const std::string& ruta, std::string& error);
// Deletes a folder with everything in it; a missing folder is fine. A symbolic link is removed
// as a link, never followed.
bool borraCarpeta(const std::string& ruta, std::string& error);
// Copies folder `origen` into folder `destino` under its own name, replacing files of the same
// name.
bool copiaCarpeta(const std::string& origen, const std::string& destino, std::string& error);
// Copies the files of `carpeta` that match `patron` into folder `destino`, replacing files of the
// same name; `copiados` gets how many.
bool copiaArchivos(const std::string& carpeta, const std::string& patron, const std::string& destino,
                   std::string& error, int* copiados = nullptr);
// Renames a file or folder within one disk, replacing a file of the target name. The source is
// found as above; the target is taken as written.
bool renombra(const std::string& origen, const std::string& destino, std::string& error);

}  // namespace zylma::admin::archivos
