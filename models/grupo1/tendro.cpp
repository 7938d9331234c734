#include "grupo1/tendro.h"

#include "zylma/app/programa.h"
#include "zylma/app/zyl_for_pri.h"
#include "comun.h"
#include "zylma/app/ida_vuelta.h"
#include "zylma/codec/conversores.h"
#include "zylma/codec/imagen.h"
#include "zylma/records/records.h"

namespace zylma::models::tendro {

using namespace zylma::app;
namespace codec = zylma::codec;

namespace {

constexpr const char* kNombre = "Téndro";
constexpr const char* kPanel = "ZylFraTen";

const codec::ModeloTrama& trama() { return *codec::BuscaModelo("00"); }

}  // namespace

// ---------------------------------------------------------------- codec

std::string NibblesBanderas(std::string_view banderas) {
    int nibble[4] = {0, 0, 0, 0};
    for (const BitRestriccion& b : kBits) {
        const std::size_t k = static_cast<std::size_t>(b.restriccion - 1);
        if (k < banderas.size() && banderas[k] == '1') nibble[b.nibble] |= b.valor;
    }
    std::string out;
    for (int n : nibble) out += codec::DigitoHex(n);
    return out;
}

std::string BanderasDesdeNibbles(std::string_view nibbles) {
    std::string out(6, '0');
    for (const BitRestriccion& b : kBits) {
        const std::size_t i = static_cast<std::size_t>(b.nibble);
        const int v = i < nibbles.size() ? codec::ValorDigitoHex(nibbles[i]) : 0;
        if (v & b.valor) out[static_cast<std::size_t>(b.restriccion - 1)] = '1';
    }
    return out;
}

bool ClaveValida(std::string_view clave) {
    if (clave.size() != 4 || clave[0] == '0') return false;
    for (char c : clave)
        if (c < '0' || c > '9') return false;
    return true;
}

namespace {
Imagen armaImagen(std::string_view modificador, std::string_view clave, std::string_view banderas,
                  std::string_view firmware, std::string_view clase) {
    const std::string bits = NibblesBanderas(banderas);
    Imagen img;
    img.datos = std::string(modificador) + std::string(clave) + "FF" + bits;
    codec::EncabezadoEnvio cab{"05", codec::ByteVersion(firmware), codec::CodigoTipoUsuario(clase),
                               std::string(modificador)};
    img.trama = codec::ArmaTramaEnvio(1, cab, std::string(clave) + "66" + bits + "6E");
    img.mascara = codec::ArmaMascara(trama().longitud);
    return img;
}
}  // namespace

std::optional<Imagen> ArmaImagen(std::string_view modificador, std::string_view clave, std::string_view banderas,
                                 std::string_view firmware, std::string_view clase) {
    // A short key would shrink the data part and move every later byte on the device.
    if (!ClaveValida(clave)) return std::nullopt;
    return armaImagen(modificador, clave, banderas, firmware, clase);
}

Lectura Decodifica(std::string_view mapa) {
    Lectura l = LecturaConCabecera<Lectura>(mapa);
    // "A" is 0, "B" "*", "C" "#", and the no-digit "F" shows as nothing (an unprogrammed key).
    l.clave = codec::DigitosAMarcacion(codec::Posiciones(mapa, kPosClave, kPosClave + 3));
    l.banderas = BanderasDesdeNibbles(codec::Posiciones(mapa, kPosBanderas, kPosBanderas + 3));
    return l;
}

std::string DigitoOpcion(std::string_view valor) { return OpcionCasilla(valor).value_or(""); }

std::optional<std::string> ArmaComando(std::string_view numero, std::string_view valor, std::string_view clave,
                                       std::string_view claveAnterior, std::string_view separador, Falta* falta) {
    static constexpr std::pair<std::string_view, std::string_view> kCodigos[] = {
        {"1", "#1"}, {"2", "#3"}, {"3", "#4"}, {"4", "#5"}, {"5", "#6"}, {"6", "#9"},
    };
    const std::string sep(separador);
    for (auto [n, codigo] : kCodigos) {
        if (numero != n) continue;
        if (!ClaveValida(clave)) return Marca(falta, Falta::Clave), std::nullopt;
        const auto opcion = OpcionCasilla(valor);
        if (!opcion) return Marca(falta, FaltaCasilla(valor)), std::nullopt;
        return std::string(codigo) + sep + std::string(clave) + sep + *opcion;
    }
    if (numero == "10") {
        if (!ClaveValida(clave)) return Marca(falta, Falta::ClaveNueva), std::nullopt;
        return "#2" + sep + std::string(claveAnterior) + sep + std::string(clave);
    }
    return Marca(falta, Falta::SinComando), std::nullopt;
}

// ---------------------------------------------------------------- procedures

void CargaConfTendro(Programa& p) {
    records::Record r;
    if (!AbreConfiguracion(p, kNombre, 6, kPanel, 4, r)) return;
    MuestraConfiguracion(p, kPanel, 4);
}

void LeeEquipoTendro(Programa& p) {
    if (!TomaImagen(p, trama(), SiDanada::Reintenta)) return;
    const std::string mapa = p.MapaLectura;
    ZylForPri& w = p.pri();
    const Lectura l = Decodifica(mapa);
    p.VersionEquipo = l.version;
    CargaConfTendro(p);
    MuestraCabeceraLectura(p, kPanel, l.usuarioGardomelinta, l.modificadorGardomelinta);
    w.ZylTexResCla->setText(l.clave);
    w.ZylTexBan->setText(l.banderas);
    MarcaSi(!ClaveVuelve(codec::Posiciones(mapa, kPosClave, kPosClave + 3), 4), p, "ZylTexResCla", -1, "Clave");
    // Bits the flag bytes have no restriction for are written as 0.
    if (NibblesBanderas(l.banderas) != codec::Posiciones(mapa, kPosBanderas, kPosBanderas + 3))
        MarcaCambioAlEscribir(p, "Restricciones");
    // Byte 9 is written as "FF" whatever the device holds there. A replay of the last write
    // shows the "66" its recorded image carries, which is not what the device got, so only a
    // live read can tell that the device holds something else.
    if (p.LecturaEnVivo == 1 && codec::Posiciones(mapa, 15, 16) != "FF") MarcaCambioAlEscribir(p, "Relleno");
    CierraLectura(p, kPanel, 2);
}

bool PreparaEnvioTendro(Programa& p) {
    ZylForPri& w = p.pri();
    p.ImagenEnvio.clear();
    const std::string clave = w.ZylTexResCla->text();
    const std::string clase = claseInstalacion(w);
    // The key is the one field the builder judges: only a key the device takes is "Activado".
    // A refused write keeps its image in the model's layout, the key fitted to four places with
    // the no-digit "F", as the other units record it: never a digit the user did not type.
    RegistraEscritura(p, ArmaImagen(p.CodigoModificador, clave, w.ZylTexBan->text(), app::FirmwareDeEnvio(p), clase),
                      [&] {
                          return armaImagen(p.CodigoModificador, RellenaF(clave, 4), w.ZylTexBan->text(),
                                            app::FirmwareDeEnvio(p), clase);
                      });
    return true;
}

bool ArmaComandoTendro(Programa& p) {
    const bool restriccion = p.NumeroComando.size() == 1 && p.NumeroComando[0] >= '1' && p.NumeroComando[0] <= '6';
    if (restriccion) p.ImagenEnvio = DigitoOpcion(p.ValorComando);
    // The key is judged here, not taken from the state an earlier write left behind.
    Falta falta = Falta::Ninguna;
    const auto cadena =
        ArmaComando(p.NumeroComando, p.ValorComando, p.pri().ZylTexResCla->text(), p.ClaveAnterior, p.Separador, &falta);
    return cadena ? TomaCadena(p, cadena) : Rehusa(p, falta);
}

app::ModeloEquipo Modelo() {
    app::ModeloEquipo m = Unidad(kNombre, kPanel, "00", CargaConfTendro, LeeEquipoTendro,
                                 PreparaEnvioTendro, ArmaComandoTendro);
    m.camposRechazados = [](Programa& p) { return CamposRechazados(p, {{"ZylTexResCla", -1, ClaveValida}}); };
    m.creaPanel = [](ZylForPri& w, forms::Frame& panel) {
        panel.setCaption("");
        auto& titulo = w.add<forms::Label>("ZylLabTen", -1, &panel);
        titulo.setCaption("Téndro");
        titulo.move(240, 300, 3000, 360);
    };
    return m;
}

}  // namespace zylma::models::tendro
