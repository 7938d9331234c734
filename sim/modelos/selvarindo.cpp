// The simulated Selvarindo: its short answer in both variants and its remote commands (it takes
// no written image). Map positions (from 1): 1-2 "08", 3-4 version as two decimal characters,
// 5-6 user type, 7-10 modifier; Sin Voz (above 70): 11-12 drop-first-1 switch, 13-14 block-9
// switch ("09" on, "0A" off), 15-22 key and 23-30 outgoing-call key, one digit a byte;
// Con Voz (version 2): 13-20 key. The rest up to 132 is "F", then "03FE".
#include "modelos/modelos_propios.h"

#include <cstdio>
#include <string>
#include <vector>

namespace zylma::sim {

namespace {

bool conVoz(const std::string& image) { return image.substr(2, 2) == "02"; }
std::size_t posClave(const std::string& image) { return conVoz(image) ? 13 : 15; }

std::string digitos(const std::string& image, std::size_t pos) {
    std::string out;
    for (std::size_t i = 0; i < 4; ++i) {
        const char c = image[pos + 2 * i];  // the low nibble of byte i
        out += c == 'A' ? '0' : c;
    }
    return out;
}

void escribe(std::string& image, std::size_t pos, const std::string& cuatro) {
    for (std::size_t i = 0; i < 4; ++i) {
        image[pos - 1 + 2 * i] = '0';
        image[pos + 2 * i] = cuatro[i] == '0' ? 'A' : cuatro[i];
    }
}

bool cuatroDigitos(const std::string& s) { return s.size() == 4 && s.find_first_not_of("0123456789") == std::string::npos; }

std::string selvarindoRemote(std::string& image, std::string_view command) {
    if (command.size() < 3 || command.back() != 'f') return "";
    std::vector<std::string> p(1);
    for (char c : command.substr(0, command.size() - 1)) {
        if (c == ',') p.emplace_back();
        else p.back() += c;
    }
    if (p.size() != 3) return "";
    if (p[1] != digitos(image, posClave(image))) return "remote command refused: wrong key \"" + p[1] + "\"";
    const std::string& v = p[2];
    if (p[0] == "#2") {
        if (!cuatroDigitos(v)) return "key change refused: \"" + v + "\"";
        escribe(image, posClave(image), v);
        return "key changed to " + v;
    }
    if (conVoz(image)) return "remote command refused: not in the Con Voz variant";
    if (p[0] == "#3") {
        if (!cuatroDigitos(v)) return "outgoing-call key refused: \"" + v + "\"";
        escribe(image, 23, v);
        return "outgoing-call key set to " + v;
    }
    if (p[0] == "#1" || p[0] == "#5") {
        if (v != "9" && v != "0") return "switch " + p[0] + " refused: option \"" + v + "\"";
        image.replace(p[0] == "#1" ? 10 : 12, 2, v == "9" ? "09" : "0A");
        return "switch " + p[0] + (v == "9" ? " on" : " off");
    }
    return "";
}

// Key 1234, outgoing-call key 0000, both switches off.
std::string selvarindoDefaultImage(const codec::ModeloTrama&, int version) {
    char v[3];
    std::snprintf(v, sizeof v, "%02d", ((version % 100) + 100) % 100);
    std::string mapa = std::string("08") + v + "09" + "0001";
    if (version == 2) mapa += "0A" "01020304";
    else mapa += "0A" "0A" "01020304" "0A0A0A0A";
    mapa.resize(132, 'F');
    return mapa + "03FE";
}

}  // namespace

ModelHooks selvarindoHooks() {
    ModelHooks h;
    h.defaultImage = selvarindoDefaultImage;
    h.remoteCommand = selvarindoRemote;
    return h;
}

}  // namespace zylma::sim
