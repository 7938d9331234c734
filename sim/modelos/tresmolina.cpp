// The simulated Tresmolina: its factory image and its remote commands, as the device itself
// keeps them.
#include "modelos/modelos_propios.h"
#include "modelos/comun.h"

#include "zylma/codec/conversores.h"

#include <string>
#include <vector>

namespace zylma::sim {

namespace {

// The device's memory in map positions (from 1): key at 11 and again at 105 (the copy it
// answers with and checks); flags C at 17, B at 18, A at 20; counter and the two durations at
// 23, 29 and 35 (digits on the even positions); memories 01 to 04 from 41, 16 digits each;
// operation keys #02 to #04 from 111 and #05 to #25 from 133, six apart.
constexpr std::size_t kPosClave = 105;


std::size_t posClaveOperacion(int n) { return n <= 4 ? 111 + 6 * static_cast<std::size_t>(n - 2) : 133 + 6 * static_cast<std::size_t>(n - 5); }

std::string tresmolinaRemote(std::string& image, std::string_view command) {
    if (command.empty() || command.back() != 'f') return "";
    command.remove_suffix(1);
    const std::vector<std::string> p = Partes(command);
    const std::string clave = codec::DigitosAMarcacion(image.substr(kPosClave - 1, 5));
    const std::string& c0 = p[0];
    if (p.size() == 3 && c0.size() == 2) {
        if (p[1] != clave) return "remote command refused: wrong key \"" + p[1] + "\"";
        return DuracionOBanderaFenzo(image, p);
    }
    if (c0.size() <= 2 || (c0.rfind("#1", 0) != 0 && c0.rfind("#8", 0) != 0 && c0.rfind("#7", 0) != 0)) return "";
    if (c0.substr(2) != clave) return "remote command refused: wrong key \"" + c0.substr(2) + "\"";
    const std::string codigo = c0.substr(0, 2);
    if (codigo == "#7" && p.size() == 1) {
        for (std::size_t pos : {24u, 26u, 28u}) image[pos - 1] = '0';
        return "call counter cleared";
    }
    if (p.size() != 3 || !SoloDigitos(p[1]) || p[1].empty() || p[1].size() > 2 || !SoloDigitos(p[2], "*#"))
        return "remote command refused: \"" + std::string(command) + "\"";
    const int n = std::stoi(p[1]);
    if (codigo == "#1" && p[1] == "01") {  // "#1<old>,01,<new>": the key change
        if (p[2].size() != 5 || !SoloDigitos(p[2])) return "key change refused: \"" + p[2] + "\"";
        EscribeDigitos(image, 11, 5, p[2]);
        EscribeDigitos(image, kPosClave, 5, p[2]);
        return "key changed to " + p[2];
    }
    if (codigo == "#1") {
        if (n < 2 || n > 25 || p[2].size() > 5) return "operation key refused: \"" + std::string(command) + "\"";
        EscribeDigitos(image, posClaveOperacion(n), 5, p[2]);
        return "operation key #" + p[1] + " set to " + p[2];
    }
    if (codigo == "#8") {
        if (n < 1 || n > 4 || p[2].size() > 16) return "memory refused: \"" + std::string(command) + "\"";
        EscribeDigitos(image, 41 + 16 * static_cast<std::size_t>(n - 1), 16, p[2]);
        return "memory 0" + p[1] + " set to " + p[2];
    }
    return "";
}

// A Tresmolina as it leaves the factory: key 12345, nothing restricted, durations 5 and 180.
std::string tresmolinaDefaultImage(const codec::ModeloTrama& m, int version) {
    std::string mapa = genericDefaultImage(m, version);
    mapa.replace(10, 6, "12345F");
    mapa.replace(16, 24, "000000" "000000" "000005" "010800");
    for (std::size_t pos = 41; pos <= 260; ++pos)
        if (pos < 129 || pos > 132) mapa[pos - 1] = 'F';
    mapa.replace(kPosClave - 1, 6, "12345F");
    codec::RecalculaSumas(mapa, m);
    return mapa;
}

}  // namespace

ModelHooks tresmolinaHooks() {
    ModelHooks h;
    h.defaultImage = tresmolinaDefaultImage;
    // Data character i lands on map position i + 6, on past block 1's checksum and the "45",
    // as the generic placement puts it; 248 characters and the closing "f".
    h.dataPartLength = 249;
    // Keys and memories in the device's digit code: data characters 5-9 (the key) and 35-248
    // (the memories, the key again and the operation keys, with their "F").
    h.placeDataPart = [](std::string& image, const codec::ModeloTrama& m, std::string_view data, bool strict) {
        return placeWithDigits(image, m, data, strict, 249, {{5, 9}, {35, 248}});
    };
    h.remoteCommand = tresmolinaRemote;
    return h;
}

}  // namespace zylma::sim
