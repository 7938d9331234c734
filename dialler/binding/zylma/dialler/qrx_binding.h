// The program's side of the modem dialler: QRXdll.dll from the application folder, loaded on
// the first call and kept, its QRX called with the text in Windows-1252.
#pragma once

#include <cstdint>
#include <string>

namespace zylma::dialler {

struct QrxResult {
    bool called = false;  // false: the library or its QRX could not be found; see error
    std::int32_t result = 0;
    std::string error;  // for a "ZYLMA" message box, naming the file
};

// Blocks until the library has placed the call and told the user the outcome itself.
QrxResult callQRX(const std::string& appFolder, const std::string& utf8Text);

}  // namespace zylma::dialler
