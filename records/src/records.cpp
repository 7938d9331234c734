// The record file: fixed-length records of length-prefixed Windows-1252 texts.
#include "zylma/records/records.h"

#include "zylma/files/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace zylma::records {
namespace {

using files::cp1252ToUtf8;
using files::resolvePath;
using files::utf8ToCp1252;

// The credentials hold a password in plain text: only the owner may read them.
mode_t modeFor(const RecordKind& kind) {
    return std::strcmp(kind.name, RegistroCredenciales.name) == 0 ? 0600 : 0644;
}

Status openError(int err) { return err == ENOENT || err == ENOTDIR ? Status::Missing : Status::IoError; }

bool readFully(int fd, char* buf, size_t want, off_t at, size_t& got) {
    got = 0;
    while (got < want) {
        const ssize_t n = ::pread(fd, buf + got, want - got, at + static_cast<off_t>(got));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            break;
        got += static_cast<size_t>(n);
    }
    return true;
}

bool writeFully(int fd, const char* buf, size_t len, off_t at) {
    size_t done = 0;
    while (done < len) {
        const ssize_t n = ::pwrite(fd, buf + done, len - done, at + static_cast<off_t>(done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

// A file that is there but may not be opened for writing is read-only to us.
Status writeOpenError(int err, const std::string& real) {
    struct stat st;
    if ((err == EACCES || err == EPERM || err == EROFS) && ::stat(real.c_str(), &st) == 0)
        return Status::ReadOnly;
    return openError(err);
}

// The mode a replacement takes: the old file's, but credentials never readable by others.
mode_t keptMode(const RecordKind& kind, mode_t old) {
    mode_t m = old & 07777;
    if (modeFor(kind) == 0600)
        m &= ~static_cast<mode_t>(077);
    return m;
}

// Rewrites an existing file in place, for when a replacement could not be given its owner.
Status rewriteInPlace(const std::string& real, const std::string& bytes) {
    const int fd = ::open(real.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return writeOpenError(errno, real);
    bool ok = writeFully(fd, bytes.data(), bytes.size(), 0) &&
              ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    return ok ? Status::Ok : Status::IoError;
}

bool validKind(const RecordKind& kind) { return kind.fields >= 0 && kind.length > 0; }

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

}  // namespace

const char* describe(Status s) {
    switch (s) {
    case Status::Ok: return "correcto";
    case Status::Missing: return "no existe el archivo";
    case Status::Damaged: return "el archivo está dañado";
    case Status::TooLong: return "los datos no caben en el registro";
    case Status::IoError: return "error de lectura o escritura del archivo";
    case Status::BadNumber: return "número de registro no válido";
    case Status::Taken: return "el número ya pertenece a otro registro";
    case Status::Unmappable: return "un texto tiene caracteres que no se pueden guardar";
    case Status::ReadOnly: return "el archivo es de solo lectura";
    }
    return "error desconocido";
}

Status encodeRecord(const RecordKind& kind, const Record& r, std::string& bytes) {
    bytes.clear();
    if (!validKind(kind) || r.size() > static_cast<size_t>(kind.fields))
        return Status::TooLong;
    std::string out;
    out.reserve(static_cast<size_t>(kind.length));
    for (int k = 0; k < kind.fields; ++k) {
        const std::string text = k < static_cast<int>(r.size()) ? utf8ToCp1252(r[k]) : std::string();
        // A character the file's code page has not would be stored as "?": a name or password
        // saved so could never be matched again.
        if (k < static_cast<int>(r.size()) && cp1252ToUtf8(text) != r[k])
            return Status::Unmappable;
        if (text.size() > 0xFFFF || out.size() + 2 + text.size() > static_cast<size_t>(kind.length))
            return Status::TooLong;
        out += static_cast<char>(text.size() & 0xFF);
        out += static_cast<char>((text.size() >> 8) & 0xFF);
        out += text;
    }
    out.resize(static_cast<size_t>(kind.length), '\0');
    bytes = std::move(out);
    return Status::Ok;
}

Status decodeRecord(const RecordKind& kind, const std::string& bytes, Record& r) {
    r.assign(kind.fields > 0 ? static_cast<size_t>(kind.fields) : 0, std::string());
    const size_t limit = kind.length > 0 ? std::min(bytes.size(), static_cast<size_t>(kind.length)) : 0;
    size_t pos = 0;
    for (size_t k = 0; k < r.size(); ++k) {
        // A partial record at the end of the file that stops cleanly between fields leaves the
        // remaining fields empty, as the past-the-end record does, provided their empty counts
        // would have fitted the record: a whole record has room for every count, so running
        // out inside one is damage.
        if (pos == limit && pos + 2 * (r.size() - k) <= static_cast<size_t>(kind.length) &&
            limit < static_cast<size_t>(kind.length))
            return Status::Ok;
        if (pos + 2 > limit) {
            r.assign(r.size(), std::string());
            return Status::Damaged;
        }
        const size_t count = static_cast<unsigned char>(bytes[pos]) |
                             (static_cast<size_t>(static_cast<unsigned char>(bytes[pos + 1])) << 8);
        pos += 2;
        if (count > limit - pos) {
            r.assign(r.size(), std::string());
            return Status::Damaged;
        }
        r[k] = cp1252ToUtf8(bytes.substr(pos, count));
        pos += count;
    }
    return Status::Ok;
}

// ---- ArchivoRegistros ----

ArchivoRegistros::~ArchivoRegistros() { close(); }

Status ArchivoRegistros::openRead(const std::string& path, const RecordKind& kind) {
    close();
    if (!validKind(kind))
        return Status::IoError;
    const std::string real = resolvePath(path);
    const int fd = ::open(real.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return openError(errno);
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return Status::IoError;
    }
    fd_ = fd;
    kind_ = kind;
    path_ = real;
    writable_ = false;
    eof_ = false;
    return Status::Ok;
}

Status ArchivoRegistros::openWrite(const std::string& path, const RecordKind& kind) {
    close();
    if (!validKind(kind))
        return Status::IoError;
    const std::string real = resolvePath(path);
    if (const Status s = checkWritable(real); s != Status::Ok)
        return s;
    const mode_t mode = modeFor(kind);
    const int fd = ::open(real.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, mode);
    if (fd < 0)
        return writeOpenError(errno, real);
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return Status::IoError;
    }
    // An older credentials file may have been made readable by all; tighten it.
    if (mode == 0600 && (st.st_mode & 077) != 0)
        ::fchmod(fd, 0600);
    fd_ = fd;
    kind_ = kind;
    path_ = real;
    writable_ = true;
    eof_ = false;
    return Status::Ok;
}

Status ArchivoRegistros::read(int n, Record& r) {
    r.assign(kind_.fields > 0 ? static_cast<size_t>(kind_.fields) : 0, std::string());
    if (fd_ < 0)
        return Status::IoError;
    if (n < 1)
        return Status::BadNumber;
    std::string bytes(static_cast<size_t>(kind_.length), '\0');
    size_t got = 0;
    const off_t at = static_cast<off_t>(n - 1) * kind_.length;
    if (!readFully(fd_, bytes.data(), bytes.size(), at, got))
        return Status::IoError;
    // As the original runtime does: end-of-file once a read cannot fill a whole record.
    eof_ = got < bytes.size();
    bytes.resize(got);
    if (got == 0)
        return Status::Ok;
    return decodeRecord(kind_, bytes, r);
}

Status ArchivoRegistros::write(int n, const Record& r) {
    if (fd_ < 0 || !writable_)
        return Status::IoError;
    if (n < 1 || n > kMaxRecordNumber)
        return Status::BadNumber;
    std::string bytes;
    if (const Status s = encodeRecord(kind_, r, bytes); s != Status::Ok)
        return s;
    // Writing past the end leaves a hole that reads as zeros: the records in the gap read as
    // all-empty records, which the lists skip.
    const off_t at = static_cast<off_t>(n - 1) * kind_.length;
    if (!writeFully(fd_, bytes.data(), bytes.size(), at))
        return Status::IoError;
    dirty_ = true;
    return Status::Ok;
}

int ArchivoRegistros::recordCount() const {
    if (fd_ < 0)
        return 0;
    struct stat st;
    if (::fstat(fd_, &st) != 0 || st.st_size <= 0)
        return 0;
    const off_t count = (st.st_size + kind_.length - 1) / kind_.length;
    return count > INT32_MAX ? INT32_MAX : static_cast<int>(count);
}

Status ArchivoRegistros::close() {
    Status st = Status::Ok;
    if (fd_ >= 0) {
        if (dirty_ && ::fdatasync(fd_) != 0)
            st = Status::IoError;
        if (::close(fd_) != 0 && dirty_)
            st = Status::IoError;
    }
    fd_ = -1;
    eof_ = false;
    writable_ = false;
    dirty_ = false;
    return st;
}

Status checkWritable(const std::string& path) {
    const std::string real = resolvePath(path);
    struct stat st;
    if (::stat(real.c_str(), &st) != 0)
        return Status::Ok;  // nothing there yet: the write itself reports a folder that is not
    if (!S_ISREG(st.st_mode))
        return Status::IoError;
    return (st.st_mode & S_IWUSR) ? Status::Ok : Status::ReadOnly;
}

// ---- single-record files ----

Status readSingle(const std::string& path, const RecordKind& kind, Record& r) {
    r.assign(kind.fields > 0 ? static_cast<size_t>(kind.fields) : 0, std::string());
    ArchivoRegistros f;
    if (const Status s = f.openRead(path, kind); s != Status::Ok)
        return s;
    return f.read(1, r);
}

Status writeSingle(const std::string& path, const RecordKind& kind, const Record& r) {
    std::string bytes;
    if (const Status s = encodeRecord(kind, r, bytes); s != Status::Ok)
        return s;
    ArchivoRegistros f;
    if (const Status s = f.openWrite(path, kind); s != Status::Ok)
        return s;
    if (const Status s = f.write(1, r); s != Status::Ok)
        return s;
    return f.close();
}

Status rewriteWhole(const std::string& path, const RecordKind& kind, const Record& r) {
    std::string bytes;
    if (const Status s = encodeRecord(kind, r, bytes); s != Status::Ok)
        return s;
    std::string real = resolvePath(path);
    // A link stays a link: its target is the file replaced.
    struct stat link;
    if (::lstat(real.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        if (char* target = ::realpath(real.c_str(), nullptr)) {
            real = target;
            std::free(target);
        }
    }
    if (const Status s = checkWritable(real); s != Status::Ok)
        return s;
    struct stat old;
    const bool replaces = ::stat(real.c_str(), &old) == 0;
    const std::string folder = folderOf(real);
    std::string tmpl = real + ".tmp.XXXXXX";
    const int fd = ::mkostemp(tmpl.data(), O_CLOEXEC);
    if (fd < 0)
        return openError(errno);
    // Owner first: a change of owner clears the set-id bits that the mode then puts back.
    struct stat made;
    bool ok = ::fstat(fd, &made) == 0;
    if (ok && replaces && (made.st_uid != old.st_uid || made.st_gid != old.st_gid) &&
        ::fchown(fd, old.st_uid, old.st_gid) != 0) {
        // Only the file's owner or the administrator could give it back its owner: the old
        // file is written over where it stands instead.
        ::close(fd);
        ::unlink(tmpl.c_str());
        return rewriteInPlace(real, bytes);
    }
    ok = ok && ::fchmod(fd, replaces ? keptMode(kind, old.st_mode) : modeFor(kind)) == 0 &&
         writeFully(fd, bytes.data(), bytes.size(), 0) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (!ok || ::rename(tmpl.c_str(), real.c_str()) != 0) {
        ::unlink(tmpl.c_str());
        return Status::IoError;
    }
    // The rename itself must survive a power cut, or the old file could come back.
    const int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return Status::Ok;
}

// ---- tables ----

Status scanTable(const std::string& path, const RecordKind& kind,
                 const std::function<bool(int n, const Record& r)>& visit, int* lastRead) {
    if (lastRead)
        *lastRead = 0;
    ArchivoRegistros f;
    if (const Status s = f.openRead(path, kind); s != Status::Ok)
        return s;
    Record r;
    for (int n = 1;; ++n) {
        const Status s = f.read(n, r);
        if (lastRead)
            *lastRead = n;
        if (s != Status::Ok)
            return s;
        const bool more = visit ? visit(n, r) : true;
        if (f.eof() || !more)
            return Status::Ok;
    }
}

namespace {

enum class Match { First, Last };

// Looks up the first (or last) entry whose key fields equal those of `r`; `found` stays 0 when
// none does. `count` gets the number of records in the file (0 when it is missing).
Status lookUp(const std::string& path, const RecordKind& kind, const Record& r, int keyFields,
              int& found, int& count, bool& missing, Match match = Match::First) {
    found = 0;
    count = 0;
    missing = false;
    auto key = [&](const Record& x, int k) { return k < static_cast<int>(x.size()) ? x[k] : std::string(); };
    const Status s = scanTable(path, kind, [&](int n, const Record& x) {
        if (key(x, 0).empty())
            return true;
        for (int k = 0; k < keyFields; ++k)
            if (key(x, k) != key(r, k))
                return true;
        found = n;
        return match == Match::Last;
    });
    if (s == Status::Missing) {
        missing = true;
        return Status::Ok;
    }
    if (s != Status::Ok)
        return s;
    ArchivoRegistros f;
    if (f.openRead(path, kind) == Status::Ok)
        count = f.recordCount();
    return Status::Ok;
}

Status saveAtFor(const std::string& path, const RecordKind& kind, const Record& r, int n, int* savedAt) {
    ArchivoRegistros f;
    if (const Status s = f.openWrite(path, kind); s != Status::Ok)
        return s;
    if (const Status s = f.write(n, r); s != Status::Ok)
        return s;
    if (const Status s = f.close(); s != Status::Ok)
        return s;
    if (savedAt)
        *savedAt = n;
    return Status::Ok;
}

Status saveKeyed(const std::string& path, const RecordKind& kind, const Record& r, int keyFields,
                 int* savedAt, Match match = Match::First) {
    if (savedAt)
        *savedAt = 0;
    std::string bytes;
    if (const Status s = encodeRecord(kind, r, bytes); s != Status::Ok)
        return s;
    int found, count;
    bool missing;
    if (const Status s = lookUp(path, kind, r, keyFields, found, count, missing, match); s != Status::Ok)
        return s;
    // Appending goes right after the last record in the file: never a gap before the new entry.
    const int n = found > 0 ? found : count + 1;
    return saveAtFor(path, kind, r, n, savedAt);
}

}  // namespace

Status saveAt(const std::string& path, const RecordKind& kind, const Record& r, int n) {
    std::string bytes;
    if (const Status s = encodeRecord(kind, r, bytes); s != Status::Ok)
        return s;
    return saveAtFor(path, kind, r, n, nullptr);
}

Status saveByName(const std::string& path, const RecordKind& kind, const Record& r, int* savedAt) {
    // Readers of a named table take the last entry of a name: a save goes there, or it would
    // never be seen.
    return saveKeyed(path, kind, r, 1, savedAt, Match::Last);
}

Status saveEquipo(const std::string& path, const Record& r, int* savedAt) {
    return saveKeyed(path, RegistroEquipo, r, 2, savedAt);
}

Status saveUser(const std::string& path, const Record& r, int userNumber, int* savedAt, std::string* holder) {
    if (savedAt)
        *savedAt = 0;
    if (holder)
        holder->clear();
    std::string bytes;
    if (const Status s = encodeRecord(RegistroUsuario, r, bytes); s != Status::Ok)
        return s;
    if (userNumber < 1 || userNumber > kMaxRecordNumber)
        return Status::BadNumber;
    // The entry at that number may be this user's own (saved again) or nobody's; another
    // user's entry is never overwritten by a number typed without a search.
    ArchivoRegistros f;
    const Status open = f.openRead(path, RegistroUsuario);
    if (open != Status::Ok && open != Status::Missing)
        return open;
    if (open == Status::Ok) {
        Record there;
        if (const Status s = f.read(userNumber, there); s != Status::Ok)
            return s;
        const std::string name = r.empty() ? std::string() : r[0];
        if (!there.empty() && !there[0].empty() && there[0] != name) {
            if (holder)
                *holder = there[0];
            return Status::Taken;
        }
    }
    f.close();
    return saveAtFor(path, RegistroUsuario, r, userNumber, savedAt);
}

}  // namespace zylma::records
