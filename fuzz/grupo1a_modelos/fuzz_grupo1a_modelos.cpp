// Arbitrary device answers and panel texts through the Plurimandelo and Sonobrisa codecs:
// nothing may read past a text or throw, a built data part always has the model's length, and
// what the decoder makes of a built image builds the very same data part again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "grupo1/plurimandelo.h"
#include "grupo1/sonobrisa.h"

using namespace zylma::models;

namespace {

// The input cut at "|" into panel texts.
std::vector<std::string> partes(std::string_view in) {
    std::vector<std::string> out(1);
    for (char c : in) {
        if (c == '|') out.emplace_back();
        else out.back() += c;
    }
    out.resize(8);
    return out;
}

void plurimandeloUno(std::string_view in, const std::vector<std::string>& t) {
    plurimandelo::Lectura l = plurimandelo::Decodifica(in);
    plurimandelo::Panel p;
    p.clave = t[0];
    p.conmutador = t[1];
    p.duracionLibres = t[2];
    p.duracionProhibidas = t[3];
    p.banderas = t[4];
    p.prefijos = l.panel.prefijos;
    p.servicios = l.panel.servicios;
    for (const plurimandelo::Panel& panel : {p, l.panel}) {
        auto img = plurimandelo::ArmaImagen("0001", panel, t[5], t[6]);
        if (plurimandelo::ArmaImagenAjustada("0001", panel, t[5], t[6]).trama.size() != 134) std::abort();
        if (!img) continue;
        if (img->datos.size() != 39 || img->trama.size() != 134) std::abort();
        auto otra = plurimandelo::ArmaImagen("0001", plurimandelo::Decodifica(img->trama).panel, t[5], t[6]);
        if (!otra || otra->datos != img->datos) std::abort();
    }
    plurimandelo::ArmaComando(t[0], t[1], t[2], t[3], t[4], ",");
}

void sonobrisaUno(std::string_view in, const std::vector<std::string>& t) {
    sonobrisa::Lectura l = sonobrisa::Decodifica(in);
    sonobrisa::Panel p;
    p.aut = t[0];
    p.clave = t[1];
    p.digAler = t[2];
    p.numInter = t[3];
    p.banderas = t[4];
    p.tono = l.panel.tono;
    p.bloqueo = l.panel.bloqueo;
    for (const sonobrisa::Panel& panel : {p, l.panel}) {
        auto img = sonobrisa::ArmaImagen("0001", panel, t[5], t[6]);
        if (sonobrisa::ArmaImagenAjustada("0001", panel, t[5], t[6]).trama.size() != 135) std::abort();
        if (!img) continue;
        if (img->datos.size() != 31 || img->trama.size() != 135) std::abort();
        sonobrisa::Panel leido = sonobrisa::Decodifica(img->trama).panel;
        leido.banderas = panel.banderas;  // the device holds only three of them: compared by the data part
        auto otra = sonobrisa::ArmaImagen("0001", leido, t[5], t[6]);
        if (!otra || otra->datos != img->datos) std::abort();
    }
    sonobrisa::ArmaComando(t[0], t[1], t[2], t[3], t[4]);
    sonobrisa::Separa(in);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view in(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> t = partes(in);
    plurimandeloUno(in, t);
    sonobrisaUno(in, t);
    return 0;
}
