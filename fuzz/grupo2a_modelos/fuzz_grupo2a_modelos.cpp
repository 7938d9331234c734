// Arbitrary device answers and panel texts through the Fenzo and Tresmolina codecs: nothing may
// read past a text or throw, a built data part always has the model's length, a panel the
// builder takes reads back from its own image as it was written, and the command builders
// never put a separator or an end marker of their own into a value.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "grupo2/fenzo.h"
#include "grupo2/tresmolina.h"

using namespace zylma::models;

namespace {

// The input cut at "|" into panel texts.
std::vector<std::string> partes(std::string_view in) {
    std::vector<std::string> out(1);
    for (char c : in) {
        if (c == '|') out.emplace_back();
        else out.back() += c;
    }
    out.resize(12);
    return out;
}

// What a panel box shows of a three-digit setting that was written right-aligned.
std::string tresDigitos(const std::string& t) { return std::string(3 - t.size(), '0') + t; }

void fenzoUno(std::string_view in, const std::vector<std::string>& t) {
    const fenzo::Lectura l = fenzo::Decodifica(in);
    fenzo::Panel p;
    p.modificador = "0001";
    p.clave = t[0];
    p.banderas = t[1];
    p.troncal = t[2];
    p.contador = t[3];
    p.duracionProhibidas = t[4];
    p.duracionLibres = t[5];
    p.memorias = l.memorias;
    p.memorias[static_cast<std::size_t>(t[6].size() % 10)] = t[7];
    p.claves = l.claves;
    p.claves[t[8].size() % 4] = t[9];
    p.version = t[10].size() % 2 ? "30" : "8";
    p.firmware = p.version;
    p.clase = t[11];
    const fenzo::Imagen img = fenzo::ArmaImagen(p);
    const bool nuevo = p.version == "30";
    if (img.datos.size() != (nuevo ? 224u : 194u) || img.trama.size() != 266) std::abort();
    if (fenzo::Rechazo(p).empty()) {
        const fenzo::Lectura v = fenzo::Decodifica(img.trama);
        if (v.clave != p.clave || v.memorias != p.memorias || v.contador != tresDigitos(p.contador) ||
            v.duracionLibres != tresDigitos(p.duracionLibres))
            std::abort();
        if (nuevo && v.claves != p.claves) std::abort();
    }
    for (const char* n : {"1", "10", "12", "14", "15", "16"}) {
        auto a = fenzo::ArmaComando({n, t[7], t[8], t[0], t[9], ",", p.version});
        if (a && a->cadena.find('f') != std::string::npos) std::abort();
    }
}

void tresmolinaUno(std::string_view in, const std::vector<std::string>& t) {
    const tresmolina::Lectura l = tresmolina::Decodifica(in);
    tresmolina::Panel p;
    p.modificador = "0001";
    p.clave = t[0];
    p.banderas = t[1];
    p.troncal = t[2];
    p.contador = t[3];
    p.duracionProhibidas = t[4];
    p.duracionLibres = t[5];
    p.memorias = l.memorias;
    p.memorias[t[6].size() % 4] = t[7];
    p.claves = l.claves;
    p.claves[t[8].size() % 24] = t[9];
    p.firmware = t[10];
    p.clase = t[11];
    const tresmolina::Imagen img = tresmolina::ArmaImagen(p);
    if (img.datos.size() != 249 || img.datos.back() != 'f' || img.trama.size() != 266) std::abort();
    if (tresmolina::Rechazo(p).empty()) {
        const tresmolina::Lectura v = tresmolina::Decodifica(img.trama);
        if (v.clave != p.clave || v.memorias != p.memorias || v.claves != p.claves ||
            v.duracionProhibidas != tresDigitos(p.duracionProhibidas))
            std::abort();
    }
    for (const char* n : {"1", "10", "13", "14", "15", "16"}) {
        auto a = tresmolina::ArmaComando({n, t[7], t[8], t[0], t[9], ",", "30"});
        // One "f", the last character, and nothing else of the value's own.
        if (a && !a->cadena.empty() && a->cadena.find('f') != a->cadena.size() - 1) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> t = partes(in);
    fenzoUno(in, t);
    tresmolinaUno(in, t);
    return 0;
}
