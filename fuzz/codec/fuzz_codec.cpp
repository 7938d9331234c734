// Arbitrary bytes through the frame functions and into the simulated device: nothing may read
// past a text, throw or hang, and the two routes to the map form must agree.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "zylma/codec/conversores.h"
#include "zylma/codec/imagen.h"
#include "zylma/sim/restrictor.h"

using namespace zylma;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view in(reinterpret_cast<const char*>(data), size);

    std::string mapa = codec::MapaDesdeRecepcion(in);
    if (mapa != codec::MapaDesdeCodigo(codec::FormaCodigo(in))) std::abort();
    for (const auto& m : codec::ModelosTrama()) {
        codec::RecepcionCompleta(in, m);
        codec::SumasCorrectas(mapa, m);
        std::string copia = mapa;
        if (codec::RecalculaSumas(copia, m) && m.bloques > 0 && !codec::SumasCorrectas(copia, m)) {
            std::abort();
        }
    }
    codec::VersionDesdeMapa(mapa);
    codec::MuestraTipoUsuario(mapa);
    codec::MuestraModificador(mapa);
    codec::JuzgaClave(in);
    codec::ByteVersion(in);
    codec::SumaVerificacion(in);
    codec::DecimalAHex2(in);
    codec::DecimalAHex4(in);
    codec::HexADecimal(in);
    codec::VerificaNumeroSin3(in);
    codec::DigitosAMarcacion(in);
    codec::HexABinario(in.substr(0, 2));
    codec::BinarioAHex(in.substr(0, 4));
    std::string wire = codec::RecepcionDesdeMapa(in);
    if (wire.size() != in.size() + 4) std::abort();

    codec::EncabezadoEnvio e{std::string(in.substr(0, 2)), codec::ByteVersion(in),
                             codec::CodigoTipoUsuario(in), std::string(in.substr(0, 4))};
    for (int bloques = 0; bloques <= 3; ++bloques) {
        std::string t = codec::ArmaTramaEnvio(bloques, e, in.substr(0, size / 2), in.substr(size / 2));
        if (!t.empty() && t.size() != 134 && t.size() != 266) std::abort();
    }

    // The device: the first byte picks the model and the fault, the rest is the line, one
    // character per millisecond.
    if (size == 0) return 0;
    const auto modelos = codec::ModelosTrama();
    sim::Options o;
    o.model = std::string(modelos[data[0] % modelos.size()].codigo);
    o.strict = data[0] & 0x80;
    o.fault = static_cast<sim::Fault>((data[0] >> 4) % 6);
    std::string error;
    auto device = sim::Restrictor::create(o, error);
    if (!device) std::abort();
    uint32_t now = 0xFFFFFF00u;  // run across the clock's wrap
    for (size_t i = 1; i < size; ++i) {
        device->receive(static_cast<char>(data[i]), now);
        now += 1;
        device->takeOutput(now);
    }
    if (auto next = device->nextEventMs()) device->takeOutput(*next);
    if (device->image().size() != codec::LongitudMapa(device->model())) std::abort();
    return 0;
}
