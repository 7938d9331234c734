#include "grupo1/plurimandelo.h"

#include <algorithm>

#include "zylma/app/programa.h"
#include "zylma/app/zyl_for_pri.h"
#include "comun.h"
#include "zylma/app/ida_vuelta.h"
#include "zylma/codec/conversores.h"
#include "zylma/codec/imagen.h"
#include "zylma/records/records.h"

namespace zylma::models::plurimandelo {

using namespace zylma::app;
namespace codec = zylma::codec;

namespace {

constexpr const char* kNombre = "Plurimandelo";
constexpr const char* kPanel = "ZylFraPlu";
constexpr int kPrefijos = 9, kServicios = 6;

const codec::ModeloTrama& trama() { return *codec::BuscaModelo("03"); }

bool esDigito(char c) { return c >= '0' && c <= '9'; }
bool esMarcable(char c) { return esDigito(c) || c == '*' || c == '#'; }

bool todosDigitos(std::string_view t) {
    for (char c : t)
        if (!esDigito(c)) return false;
    return true;
}

void ponBit(Panel& panel, const Bit& b, bool on) {
    switch (b.grupo) {
    case Grupo::General:
        if (on) panel.banderas[static_cast<std::size_t>(b.indice - 1)] = '1';
        break;
    case Grupo::Prefijo: panel.prefijos[static_cast<std::size_t>(b.indice)] = on; break;
    case Grupo::Servicio: panel.servicios[static_cast<std::size_t>(b.indice)] = on; break;
    }
}

bool bitEncendido(const Panel& panel, const Bit& b) {
    switch (b.grupo) {
    case Grupo::General: {
        const std::size_t k = static_cast<std::size_t>(b.indice - 1);
        return k < panel.banderas.size() && panel.banderas[k] == '1';
    }
    case Grupo::Prefijo: return panel.prefijos[static_cast<std::size_t>(b.indice)];
    case Grupo::Servicio: return panel.servicios[static_cast<std::size_t>(b.indice)];
    }
    return false;
}

// The three characters of a field as the data part carries them: "0" and the character.
// Trunk digits are written as typed, a missing one as the device's "no digit" "F"; a duration
// goes right-aligned with leading zeros, so "30" is the number 30 and not 300.
std::string digitosCampo(Campo campo, std::string_view texto, bool ajustar) {
    std::string tres;
    if (campo == Campo::Conmutador) {
        for (std::size_t i = 0; i < kDigitosCampo; ++i) {
            char c = i < texto.size() ? texto[i] : 'F';
            if (ajustar && c != 'F' && !esMarcable(c)) c = 'F';
            tres += c;
        }
    } else if (!ajustar || DuracionValida(texto)) {
        tres = Ajusta(texto, kDigitosCampo);
    } else {
        tres = std::string(kDigitosCampo, 'F');
    }
    std::string out;
    for (char c : tres) out += std::string("0") + c;
    return out;
}

const std::string& textoCampo(const Panel& panel, Campo campo) {
    switch (campo) {
    case Campo::Conmutador: return panel.conmutador;
    case Campo::DuracionLibres: return panel.duracionLibres;
    case Campo::DuracionProhibidas: break;
    }
    return panel.duracionProhibidas;
}

std::string& textoCampo(Panel& panel, Campo campo) {
    return const_cast<std::string&>(textoCampo(static_cast<const Panel&>(panel), campo));
}

// Map positions 11 to 44 (the model data of block 1 up to the filler).
std::string cuerpo(std::string_view clave, const Panel& panel, bool ajustar) {
    std::string c(kFinDatos - kPosClave + 1, '0');
    // A short key is filled with the device's "no digit", not "0": the record of a refused
    // write must not read back as another, valid-looking key.
    c.replace(0, 4, ajustar ? [&] {
        std::string k(clave.substr(0, 4));
        k.resize(4, 'F');
        return k;
    }() : std::string(clave));
    for (const CampoDigitos& f : kCampos)
        c.replace(f.posicion - kPosClave, 2 * kDigitosCampo, digitosCampo(f.campo, textoCampo(panel, f.campo), ajustar));
    c.replace(kPosBits - kPosClave, kNibblesBits, NibblesBits(panel));
    return c;
}

Imagen arma(std::string_view modificador, const Panel& panel, std::string_view firmware, std::string_view clase,
            bool ajustar) {
    const std::string datos = cuerpo(panel.clave, panel, ajustar);
    Imagen img;
    img.datos = Ajusta(modificador, 4) + datos + "f";
    codec::EncabezadoEnvio cab{"03", codec::ByteVersion(firmware), codec::CodigoTipoUsuario(clase),
                               std::string(modificador)};
    img.trama = codec::ArmaTramaEnvio(1, cab, datos);
    img.mascara = codec::ArmaMascara(trama().longitud);
    return img;
}

// A device duration digit: "A" and "0"-"9" are digits; the "no digit" filler and any other
// nibble show nothing rather than a two-digit number.
std::string digitoDuracion(char c) {
    if (c == 'F') return std::string();
    // Shown as decoded: "A" is 0, "B" to "E" give "11" to "14" (and cannot go back as such).
    return std::to_string(codec::ValorDigitoHex(codec::CambiaAPorCero(std::string_view(&c, 1))));
}

std::string digitoConmutador(char c) {
    const std::string d = codec::DigitosAMarcacion(std::string_view(&c, 1));
    return d.size() == 1 && esMarcable(d[0]) ? d : std::string();
}

// The last element of a box's command: ticked "9", clear "0"; a greyed box has no option the
// device takes.

std::optional<int> indiceEn(std::string_view indice, int cuantos) {
    if (indice.empty() || indice.size() > 2 || !todosDigitos(indice)) return std::nullopt;
    const int i = std::stoi(std::string(indice));
    if (i >= cuantos) return std::nullopt;
    return i;
}


}  // namespace

// ---------------------------------------------------------------- codec

bool ClaveValida(std::string_view clave) { return clave.size() == 4 && clave[0] != '0' && todosDigitos(clave); }

bool ConmutadorValido(std::string_view texto) {
    if (texto.size() > kDigitosCampo) return false;
    for (char c : texto)
        if (!esMarcable(c)) return false;
    return true;
}

bool DuracionValida(std::string_view texto) {
    return !texto.empty() && texto.size() <= kDigitosCampo && todosDigitos(texto) &&
           std::stoi(std::string(texto)) <= 255;
}

std::string NibblesBits(const Panel& panel) {
    int nibble[kNibblesBits] = {};
    for (const Bit& b : kBits)
        if (bitEncendido(panel, b)) nibble[b.posicion - kPosBits] |= b.valor;
    std::string out;
    for (int n : nibble) out += codec::DigitoHex(n);
    return out;
}

std::optional<Imagen> ArmaImagen(std::string_view modificador, const Panel& panel, std::string_view firmware,
                                 std::string_view clase) {
    // Every value has fixed places on the device: one that does not fit would shift or spoil
    // everything behind it.
    if (!ClaveValida(panel.clave) || !ConmutadorValido(panel.conmutador) || !DuracionValida(panel.duracionLibres) ||
        !DuracionValida(panel.duracionProhibidas))
        return std::nullopt;
    return arma(modificador, panel, firmware, clase, false);
}

Imagen ArmaImagenAjustada(std::string_view modificador, const Panel& panel, std::string_view firmware,
                          std::string_view clase) {
    return arma(modificador, panel, firmware, clase, true);
}

Lectura Decodifica(std::string_view mapa) {
    Lectura l = LecturaConCabecera<Lectura>(mapa);
    // "A" is 0; the no-digit "F" shows as nothing (an unprogrammed key).
    l.panel.clave = codec::DigitosAMarcacion(codec::Posiciones(mapa, kPosClave, kPosClave + 3));
    for (const CampoDigitos& f : kCampos) {
        std::string& t = textoCampo(l.panel, f.campo);
        for (std::size_t i = 0; i < kDigitosCampo; ++i) {
            const std::string_view c = codec::Posiciones(mapa, f.posicion + 2 * i + 1, f.posicion + 2 * i + 1);
            if (c.empty()) continue;
            t += f.campo == Campo::Conmutador ? digitoConmutador(c[0]) : digitoDuracion(c[0]);
        }
    }
    l.panel.banderas = "000000";
    for (const Bit& b : kBits) {
        const std::string_view c = codec::Posiciones(mapa, b.posicion, b.posicion);
        ponBit(l.panel, b, !c.empty() && (codec::ValorDigitoHex(c[0]) & b.valor) != 0);
    }
    return l;
}

namespace {
constexpr const char* kCodigosServicio[kServicios] = {"51", "55", "58", "61", "62", "63"};
}  // namespace

std::string CodigoServicio(std::string_view indice) {
    const auto i = indiceEn(indice, kServicios);
    return i ? kCodigosServicio[*i] : "";
}

std::optional<std::string> ArmaComando(std::string_view numero, std::string_view valor, std::string_view indice,
                                       std::string_view clave, std::string_view claveAnterior,
                                       std::string_view separador, Falta* falta) {
    static constexpr std::pair<std::string_view, std::string_view> kGenerales[] = {
        {"1", "#50"}, {"2", "#52"}, {"3", "#64"}, {"4", "#53"}, {"5", "#71"}, {"6", "#54"},
    };
    const auto no = [falta](Falta f) -> std::optional<std::string> {
        Marca(falta, f);
        return std::nullopt;
    };
    const std::string sep(separador);
    const std::string k(clave);
    if (numero == "10") {
        // The new key stands in the key box: one the device would not take is not sent.
        if (!ClaveValida(clave)) return no(Falta::ClaveNueva);
        return "#20" + sep + std::string(claveAnterior) + sep + k;
    }
    const bool conocido = numero == "11" || numero == "12" || numero == "13" || numero == "14" || numero == "15" ||
                          std::any_of(std::begin(kGenerales), std::end(kGenerales),
                                      [&](const auto& g) { return g.first == numero; });
    if (!conocido) return no(Falta::SinComando);
    // The device takes no command without its key.
    if (!ClaveValida(clave)) return no(Falta::Clave);
    for (auto [n, codigo] : kGenerales) {
        if (numero != n) continue;
        const auto v = OpcionCasilla(valor);
        if (!v) return no(FaltaCasilla(valor));
        return std::string(codigo) + sep + k + sep + *v;
    }
    if (numero == "11" || numero == "12") {
        // A duration goes as the number typed: "1" is one, not the "9" of a ticked box.
        if (valor.empty()) return no(Falta::Vacio);
        if (!DuracionValida(valor)) return no(Falta::Valor);
        return std::string(numero == "11" ? "#21" : "#22") + sep + k + sep + std::string(valor);
    }
    if (numero == "13") {
        if (!ConmutadorValido(valor)) return no(Falta::Valor);
        std::string s = "#23" + sep + k;
        for (std::size_t i = 0; i < kDigitosCampo; ++i) s += sep + std::string(valor.substr(std::min(i, valor.size()), 1));
        return s;
    }
    const auto v = OpcionCasilla(valor);
    if (!v) return no(FaltaCasilla(valor));
    std::string codigo;
    if (numero == "14") {
        // An Index beyond the nine groups would land on another command's number.
        const auto i = indiceEn(indice, kPrefijos);
        if (!i) return no(Falta::SinComando);
        codigo = std::to_string(41 + *i);
    } else {
        codigo = CodigoServicio(indice);
        // ArmaComandoPlurimandelo leaves the service's code in `IndiceComando`: a build from
        // that state is the same service, not an unknown Index.
        for (const char* c : kCodigosServicio)
            if (indice == c) codigo = c;
        if (codigo.empty()) return no(Falta::SinComando);
    }
    return "#" + codigo + sep + k + sep + *v;
}

// ---------------------------------------------------------------- procedures

namespace {

Panel panelDesde(ZylForPri& w) {
    Panel panel;
    panel.clave = w.ZylTexResCla->text();
    panel.banderas = w.ZylTexBan->text();
    panel.conmutador = control<forms::TextBox>(w, "ZylTexPluCon")->text();
    panel.duracionLibres = control<forms::TextBox>(w, "ZylTexPluDurL")->text();
    panel.duracionProhibidas = control<forms::TextBox>(w, "ZylTexPluDurP")->text();
    for (int i = 0; i < kPrefijos; ++i)
        panel.prefijos[static_cast<std::size_t>(i)] = control<forms::CheckBox>(w, "ZylChkPluResNum0XX", i)->value() == 1;
    for (int i = 0; i < kServicios; ++i)
        panel.servicios[static_cast<std::size_t>(i)] = control<forms::CheckBox>(w, "ZylChkPluResLarDis", i)->value() == 1;
    return panel;
}


}  // namespace

void CargaConfPlurimandelo(Programa& p) {
    ZylForPri& w = p.pri();
    records::Record r;
    if (!AbreConfiguracion(p, kNombre, 6, kPanel, 4, r)) return;
    control<forms::Label>(w, "ZylLabPluDurP")->setCaption(r[0]);
    control<forms::TextBox>(w, "ZylTexPluDurP")->setText(r[20]);
    control<forms::Label>(w, "ZylLabPluDurL")->setCaption(r[1]);
    control<forms::TextBox>(w, "ZylTexPluDurL")->setText(r[21]);
    control<forms::Label>(w, "ZylLabPluCon")->setCaption(r[2]);
    control<forms::TextBox>(w, "ZylTexPluCon")->setText(r[22]);
    for (int i = 0; i < kPrefijos; ++i) {
        auto* c = control<forms::CheckBox>(w, "ZylChkPluResNum0XX", i);
        c->setCaption(r[static_cast<std::size_t>(3 + i)]);
        estadoDesde(*c, r[static_cast<std::size_t>(23 + i)]);
    }
    for (int i = 0; i < kServicios; ++i) {
        auto* c = control<forms::CheckBox>(w, "ZylChkPluResLarDis", i);
        c->setCaption(r[static_cast<std::size_t>(12 + i)]);
        estadoDesde(*c, r[static_cast<std::size_t>(32 + i)]);
    }
    MuestraConfiguracion(p, kPanel, 4);
}

void LeeEquipoPlurimandelo(Programa& p) {
    if (!TomaImagen(p, trama(), SiDanada::Reintenta)) return;
    const std::string mapa = p.MapaLectura;
    ZylForPri& w = p.pri();
    const Lectura l = Decodifica(mapa);
    p.VersionEquipo = l.version;
    CargaConfPlurimandelo(p);
    MuestraCabeceraLectura(p, kPanel, l.usuarioGardomelinta, l.modificadorGardomelinta);
    w.ZylTexResCla->setText(l.panel.clave);
    w.ZylTexBan->setText(l.panel.banderas);
    w.panel(kPanel)->setVisible(true);
    w.ZylTexEst->setText("Zylma");
    p.EquipoActual = ModeloLeido(p, kPanel, 4);
    for (int i = 0; i < kPrefijos; ++i)
        control<forms::CheckBox>(w, "ZylChkPluResNum0XX", i)->setValue(l.panel.prefijos[static_cast<std::size_t>(i)] ? 1 : 0);
    for (int i = 0; i < kServicios; ++i)
        control<forms::CheckBox>(w, "ZylChkPluResLarDis", i)->setValue(l.panel.servicios[static_cast<std::size_t>(i)] ? 1 : 0);
    control<forms::TextBox>(w, "ZylTexPluCon")->setText(l.panel.conmutador);
    control<forms::TextBox>(w, "ZylTexPluDurP")->setText(l.panel.duracionProhibidas);
    control<forms::TextBox>(w, "ZylTexPluDurL")->setText(l.panel.duracionLibres);
    MarcaSi(!ClaveVuelve(codec::Posiciones(mapa, kPosClave, kPosClave + 3), 4), p, "ZylTexResCla", -1, "Clave");
    for (const CampoDigitos& f : kCampos) {
        const std::string bajos = Nibbles(mapa, f.posicion + 1, kDigitosCampo);
        const bool altosCero = Nibbles(mapa, f.posicion, kDigitosCampo) == "000";
        const bool vuelve = f.campo == Campo::Conmutador ? altosCero && DigitosVuelven(bajos)
                                                         : altosCero && TresDigitosVuelven(bajos, 255);
        const char* caja = f.campo == Campo::Conmutador       ? "ZylTexPluCon"
                           : f.campo == Campo::DuracionLibres ? "ZylTexPluDurL"
                                                              : "ZylTexPluDurP";
        const char* etiqueta = f.campo == Campo::Conmutador       ? "ZylLabPluCon"
                               : f.campo == Campo::DuracionLibres ? "ZylLabPluDurL"
                                                                  : "ZylLabPluDurP";
        MarcaSi(!vuelve, p, caja, -1, CaptionDe(w, etiqueta));
    }
    // The write clears every bit the flag nibbles hold no box for, and writes "00" at 15-16.
    if (NibblesBits(l.panel) != codec::Posiciones(mapa, kPosBits, kPosBits + kNibblesBits - 1))
        MarcaCambioAlEscribir(p, "Restricciones");
    if (codec::Posiciones(mapa, 15, 16) != "00") MarcaCambioAlEscribir(p, "Relleno");
    w.panel(kPanel)->setVisible(true);
    p.LecturaEnVivo = 1;
    AvisaMarcas(p);
}

bool PreparaEnvioPlurimandelo(Programa& p) {
    ZylForPri& w = p.pri();
    p.ImagenEnvio.clear();
    const Panel panel = panelDesde(w);
    const std::string clase = claseInstalacion(w);
    // "Activado" only when the key and every value fit the device; the write then refuses
    // with "Error en Captura" instead of sending a data part that would shift on the device.
    RegistraEscritura(p, ArmaImagen(p.CodigoModificador, panel, app::FirmwareDeEnvio(p), clase),
                      [&] { return ArmaImagenAjustada(p.CodigoModificador, panel, app::FirmwareDeEnvio(p), clase); });
    return true;
}

bool ArmaComandoPlurimandelo(Programa& p) {
    const std::string& n = p.NumeroComando;
    const bool conValor = (n.size() == 1 && n[0] >= '1' && n[0] <= '6') || n == "11" || n == "12" || n == "13" ||
                          n == "14" || n == "15";
    if (conValor) {
        // The value digit takes the data part's place, as the device's remote programming has it.
        const auto v = OpcionCasilla(p.ValorComando);
        p.ImagenEnvio = (n == "11" || n == "12" || n == "13") ? p.ValorComando : v.value_or(p.ValorComando);
    }
    // A service's Index gives way to the code the device knows it by, whatever the key.
    if (n == "15") {
        const std::string codigo = CodigoServicio(p.IndiceComando);
        if (!codigo.empty()) p.IndiceComando = codigo;
    }
    Falta falta = Falta::Ninguna;
    const auto cadena = ArmaComando(n, p.ValorComando, p.IndiceComando, p.pri().ZylTexResCla->text(), p.ClaveAnterior,
                                    p.Separador, &falta);
    return cadena ? TomaCadena(p, cadena) : Rehusa(p, falta);
}

namespace {
app::Disparador fila(const char* control, int indice, app::Gesto gesto, const char* numero, app::ValorDe valor) {
    return Fila(control, indice, gesto, numero, valor, indice >= 0);
}
}  // namespace

app::ModeloEquipo Modelo() {
    app::ModeloEquipo m = Unidad(kNombre, kPanel, "03", CargaConfPlurimandelo, LeeEquipoPlurimandelo,
                                 PreparaEnvioPlurimandelo, ArmaComandoPlurimandelo);
    // The checks of ArmaImagen, field by field.
    m.camposRechazados = [](Programa& p) {
        return CamposRechazados(p, {{"ZylTexResCla", -1, ClaveValida},
                                    {"ZylTexPluDurP", -1, DuracionValida},
                                    {"ZylTexPluDurL", -1, DuracionValida},
                                    {"ZylTexPluCon", -1, ConmutadorValido}});
    };
    m.creaPanel = [](ZylForPri& w, forms::Frame& panel) {
        using namespace zylma::forms;
        panel.setCaption("");
        auto& titulo = w.add<Label>("ZylLblPlmTit", -1, &panel);
        titulo.setCaption("Plurimandelo");
        titulo.move(240, 120, 3000, 270);

        static constexpr const char* kPrefijosDiseno[kPrefijos] = {
            "Números que inicien en 031", "Números que inicien en 020", "Números que inicien en 030",
            "Números que inicien en 040", "Números que inicien en 050", "Números que inicien en 06X",
            "Números que inicien en 07X", "Números que inicien en 08X", "Números que inicien en 090",
        };
        static constexpr const char* kServiciosDiseno[kServicios] = {
            "01 Lada telefóno a telefóno",
            "001 Larga distancia a CANADA y EUA",
            "00X Larga distancia MUNDIAL, telefóno a telefóno",
            "015 Larga distancia al area METROPOLITANA",
            "01800 Llamadas por cobrar sistema 800",
            "01800/881/888 Sistema por cobrar a EUA y CANADA",
        };
        // Twelve rows of boxes and three of fields share the panel's height.
        constexpr int kFila = 270, kAltoCasilla = 255;

        auto& numeros = w.add<Frame>("ZylFraPluFraResNumXXX", -1, &panel);
        numeros.setCaption("Restringir o liberar");
        numeros.move(120, 420, 6960, kFila + 5 * kFila + 60);
        for (int i = 0; i < kPrefijos; ++i) {
            auto& c = w.add<CheckBox>("ZylChkPluResNum0XX", i, &numeros);
            c.setCaption(kPrefijosDiseno[i]);
            c.move(i < 5 ? 180 : 3600, kFila + (i % 5) * kFila, 3300, kAltoCasilla);
        }

        auto& larga = w.add<Frame>("ZylFraPluFraResLargDist", -1, &panel);
        larga.setCaption("Restringir o liberar");
        larga.move(120, 2160, 6960, kFila + kServicios * kFila + 60);
        for (int i = 0; i < kServicios; ++i) {
            auto& c = w.add<CheckBox>("ZylChkPluResLarDis", i, &larga);
            c.setCaption(kServiciosDiseno[i]);
            c.move(180, kFila + i * kFila, 6600, kAltoCasilla);
        }

        auto& tiempos = w.add<Frame>("ZylFraPluFraTemp", -1, &panel);
        tiempos.setCaption("");
        tiempos.move(120, 4170, 6960, 1230);
        struct Renglon {
            const char *etiqueta, *caja, *diseno;
        };
        const Renglon renglones[] = {
            {"ZylLabPluDurP", "ZylTexPluDurP", "Tiempo de duración para llamadas prohibidas"},
            {"ZylLabPluDurL", "ZylTexPluDurL", "Tiempo de duración para llamadas libres"},
            {"ZylLabPluCon", "ZylTexPluCon", "Dígitos para tomar línea del conmutador"},
        };
        for (int i = 0; i < 3; ++i) {
            auto& e = w.add<Label>(renglones[i].etiqueta, -1, &tiempos);
            e.setCaption(renglones[i].diseno);
            e.move(180, 240 + i * 330, 5040, 300);
            auto& t = w.add<TextBox>(renglones[i].caja, -1, &tiempos);
            t.setMaxLength(3);
            t.move(5400, 210 + i * 330, 900, 300);
        }
    };
    m.disparadores = {
        fila("ZylTexPluDurP", -1, app::Gesto::DobleClic, "11", app::ValorDe::Texto),
        fila("ZylTexPluDurL", -1, app::Gesto::DobleClic, "12", app::ValorDe::Texto),
        fila("ZylTexPluCon", -1, app::Gesto::DobleClic, "13", app::ValorDe::Texto),
    };
    for (int i = 0; i < kPrefijos; ++i)
        m.disparadores.push_back(fila("ZylChkPluResNum0XX", i, app::Gesto::PulsacionDerecha, "14", app::ValorDe::Estado));
    for (int i = 0; i < kServicios; ++i)
        m.disparadores.push_back(fila("ZylChkPluResLarDis", i, app::Gesto::PulsacionDerecha, "15", app::ValorDe::Estado));
    m.validadores = {
        {"ZylTexPluCon", -1, app::Regla::DigitosEstrellaGato, ""},
        {"ZylTexPluDurP", -1, app::Regla::Tiempo, "ZYLMA"},
        {"ZylTexPluDurL", -1, app::Regla::Tiempo, "ZYLMA"},
    };
    return m;
}

}  // namespace zylma::models::plurimandelo
