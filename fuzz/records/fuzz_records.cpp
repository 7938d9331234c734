// Arbitrary bytes as a record file: the decoder and the table scan must neither crash nor read
// outside a record, and whatever decodes must encode again into the same record length.
#include "zylma/records/records.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace zylma::records;

namespace {

const RecordKind kKinds[] = {RegistroConfiguracion, RegistroSoftware, RegistroUltEnvio,
                             RegistroComando, RegistroEquipo, RegistroUsuario, RegistroCredenciales};

std::string scratchFile() {
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp && *tmp ? tmp : "/tmp") + "/zylma-fuzz-records-" + std::to_string(::getpid());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const RecordKind& kind = kKinds[data[0] % (sizeof kKinds / sizeof kKinds[0])];
    const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);

    for (size_t at = 0; at < bytes.size(); at += static_cast<size_t>(kind.length)) {
        Record r;
        if (decodeRecord(kind, bytes.substr(at, static_cast<size_t>(kind.length)), r) == Status::Ok) {
            std::string again;
            if (encodeRecord(kind, r, again) != Status::Ok || again.size() != static_cast<size_t>(kind.length))
                std::abort();
        }
    }

    static const std::string path = scratchFile();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0)
        return 0;
    const bool written = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    ::close(fd);
    if (written) {
        int last = 0;
        const Status s = scanTable(path, kind, [](int, const Record& r) { return r.size() == r.size(); }, &last);
        const int records = static_cast<int>((bytes.size() + kind.length - 1) / kind.length);
        if (s == Status::Ok && last != records + (bytes.size() % kind.length == 0 ? 1 : 0))
            std::abort();
    }
    return 0;
}
