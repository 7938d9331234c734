// Record files: fixed-length records numbered from 1; each record a fixed number of text fields,
// each field a 16-bit little-endian byte count and that many Windows-1252 bytes, back to back.
//
// The layer never ends the program and never reads outside a record: a missing file, a short
// record or a count that runs past the record is reported to the caller. Writing a record never
// truncates the file and zero-fills any gap; a whole-file rewrite goes through a temporary file.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace zylma::records {

// A record in memory: its fields as UTF-8 texts.
using Record = std::vector<std::string>;

enum class Status {
    Ok,
    Missing,   // no such file
    Damaged,   // a field count runs past the record or the file
    TooLong,   // the fields do not fit the record length: nothing written
    IoError,   // open, read, write or rename failed
    BadNumber, // a record number below 1 or beyond the largest a table may hold: nothing written
    Taken,     // saveUser: the user number's record holds another user: nothing written
    Unmappable,  // a text holds a character Windows-1252 has not: nothing written
    ReadOnly,  // the file's mode gives its owner no write permission: nothing written
};

// Message-ready description, e.g. for "No se pudo leer el archivo ...".
const char* describe(Status s);

// One kind of record: its field count and record length.
struct RecordKind {
    const char* name;
    int fields;
    int length;
};

inline constexpr RecordKind RegistroConfiguracion{"RegistroConfiguracion", 57, 1000};
inline constexpr RecordKind RegistroSoftware{"RegistroSoftware", 27, 1000};
inline constexpr RecordKind RegistroUltEnvio{"RegistroUltEnvio", 7, 1500};
inline constexpr RecordKind RegistroComando{"RegistroComando", 3, 1000};
inline constexpr RecordKind RegistroEquipo{"RegistroEquipo", 2, 50};
inline constexpr RecordKind RegistroUsuario{"RegistroUsuario", 4, 1000};
inline constexpr RecordKind RegistroCredenciales{"RegistroCredenciales", 2, 1000};

// Encodes a record into exactly kind.length bytes (zeros after the last field);
// TooLong when it does not fit. A record with fewer fields than the kind gets empty ones;
// one with more fields than the kind is TooLong too (the extra fields would be lost).
Status encodeRecord(const RecordKind& kind, const Record& r, std::string& bytes);
// Decodes kind.fields fields from the bytes of one record (which may be shorter than the
// record length at the end of a file): Damaged when a count runs past them.
Status decodeRecord(const RecordKind& kind, const std::string& bytes, Record& r);

// A record file open on one path (`ArchivoRegistros`). One file is open at a time per object.
class ArchivoRegistros {
public:
    ArchivoRegistros() = default;
    ~ArchivoRegistros();
    ArchivoRegistros(const ArchivoRegistros&) = delete;
    ArchivoRegistros& operator=(const ArchivoRegistros&) = delete;

    // For reading: never creates the file (Missing when absent).
    Status openRead(const std::string& path, const RecordKind& kind);
    // For writing: creates the file when missing.
    Status openWrite(const std::string& path, const RecordKind& kind);
    // Record n (from 1). Past the end: all fields empty, eof() set, Ok. `r` always comes back
    // with the kind's field count, all empty on any error, so callers may index it freely.
    Status read(int n, Record& r);
    // Writes record n; the file keeps its other records and a gap before n is zero-filled.
    Status write(int n, const Record& r);
    bool eof() const { return eof_; }
    // Number of whole or partial records in the file.
    int recordCount() const;
    // Flushes what was written; IoError when the disk did not keep it.
    Status close();
    bool isOpen() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }

private:
    int fd_ = -1;
    bool eof_ = false;
    bool writable_ = false;
    bool dirty_ = false;  // written since opened: flushed to disk on close
    RecordKind kind_{"", 0, 1};
    std::string path_;
};

// Ok when `path` may be written: it does not exist yet, or it is a file whose mode lets its
// owner write. ReadOnly when the owner has no write bit: someone made the file read-only on
// purpose, and no save replaces it, not even one running with the rights to.
Status checkWritable(const std::string& path);

// Record 1 of a single-record file.
Status readSingle(const std::string& path, const RecordKind& kind, Record& r);
Status writeSingle(const std::string& path, const RecordKind& kind, const Record& r);
// Replaces the whole file by one holding only record 1, through a temporary file renamed into
// place: a failed write leaves the old file as it was. The new file keeps the mode and owner of
// the one it replaces (the credentials never more open than their owner); a file nobody may make
// ours is rewritten in place instead, so its owner stays.
Status rewriteWhole(const std::string& path, const RecordKind& kind, const Record& r);

// Table scan: reads records 1, 2, 3 ... and calls `visit(n, record)` for each, including the
// empty record past the end, stopping after the record that set end-of-file (or when visit
// returns false). `lastRead` gets the number of the record read last (N+1 for a full scan).
// A damaged record is reported (Damaged) after the records before it were visited.
Status scanTable(const std::string& path, const RecordKind& kind,
                 const std::function<bool(int n, const Record& r)>& visit, int* lastRead = nullptr);

// The largest record number a write accepts: the program counts records in a 16-bit integer,
// and a typed user number of a billion must not make a file of a terabyte.
inline constexpr int kMaxRecordNumber = 32767;

// Every write below keeps the file's mode and owner and refuses a read-only file (ReadOnly).

// Writes record n of a table (1..kMaxRecordNumber, else BadNumber), keeping the others.
Status saveAt(const std::string& path, const RecordKind& kind, const Record& r, int n);

// Keyed saves into tables. Each does its own look-up first; entries with an empty key are not
// entries (lists skip them) and never match. A damaged table is reported and left alone.
// Command table: key field 0; found: rewrite the last record of that name (the one its readers
// take); else append after the last record.
Status saveByName(const std::string& path, const RecordKind& kind, const Record& r, int* savedAt = nullptr);
// User table: writes the entry as record `userNumber` (BadNumber outside 1..kMaxRecordNumber),
// unless that record holds another user's name: Taken, and `holder` gets that name. The entry
// found by a search is rewritten with saveAt instead, whatever its name has become.
Status saveUser(const std::string& path, const Record& r, int userNumber, int* savedAt = nullptr,
                std::string* holder = nullptr);
// Equipment list: key fields 0 and 1; found: rewrite in place; else append after the last.
Status saveEquipo(const std::string& path, const Record& r, int* savedAt = nullptr);

// ---- Paths (app: the application folder, no trailing "/") ----

// Configuration folder and file stem of a model: its literal name without accents, and
// "Tresmolinas" for the Tresmolina ("Téndro" -> "Tendro").
std::string configFolder(const std::string& modelName);
// app/<folder>/Configuracion/<folder><version>.Wcon
std::string pathConfiguracion(const std::string& app, const std::string& modelName, const std::string& version);
// The shared folder: app + "/Utilerias/Generales/Equipos".
std::string sharedFolder(const std::string& app);
std::string pathSoftware(const std::string& app);      // shared/Software.WCon
std::string pathUltEnvio(const std::string& app);      // shared/UltEnvio.WCon
std::string pathComandos(const std::string& app);      // shared/Comandos.WCon
std::string pathEquipo(const std::string& app);        // shared/Equipo.WGe
std::string pathUsuarios(const std::string& app);      // shared/Usuarios.WCon
std::string pathCredenciales(const std::string& app);  // app/qaltro6.dll

}  // namespace zylma::records
