#include "grupo1/sonobrisa.h"

#include <algorithm>

#include "zylma/app/programa.h"
#include "zylma/app/zyl_for_pri.h"
#include "comun.h"
#include "zylma/app/ida_vuelta.h"
#include "zylma/codec/conversores.h"
#include "zylma/codec/imagen.h"
#include "zylma/records/records.h"

namespace zylma::models::sonobrisa {

using namespace zylma::app;
namespace codec = zylma::codec;

namespace {

constexpr const char* kNombre = "Sonobrisa";
constexpr const char* kPanel = "ZylFraSon";
// The programming image ends in a fixed tail, written as the device's nibble characters.
const std::string kCola = std::string(86, '?') + "040;03<2";

const codec::ModeloTrama& trama() { return *codec::BuscaModelo("04"); }

bool esDigito(char c) { return c >= '0' && c <= '9'; }
bool esMarcable(char c) { return esDigito(c) || c == '*' || c == '#'; }

// Two digits, "*", two digits: the shape of the key and of the Aut code.
bool formaConEstrella(std::string_view t) {
    return t.size() == 5 && esDigito(t[0]) && esDigito(t[1]) && t[2] == '*' && esDigito(t[3]) && esDigito(t[4]);
}

std::string_view sinBlancos(std::string_view t) {
    while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.remove_suffix(1);
    return t;
}

// A field's characters as they go into its bytes: the key and the Aut code as typed, the alert
// digit as typed or the device's "no digit" "F", the interventions with leading zeros. Fitted
// for a refused write, a missing or bad character of the key or the Aut code is that "F" too,
// so the record reads back as short as it was typed, not as another valid-looking code.
std::string caracteresCampo(Campo campo, const Panel& panel, bool ajustar) {
    switch (campo) {
    case Campo::Aut:
    case Campo::Clave: {
        std::string t(campo == Campo::Aut ? panel.aut : panel.clave);
        if (!ajustar) return t;
        t.resize(5, 'F');
        for (char& c : t)
            if (!esMarcable(c)) c = 'F';
        return t;
    }
    case Campo::DigAler: {
        const std::string_view d = sinBlancos(panel.digAler);
        if (d.empty() || (ajustar && (d.size() != 1 || !esMarcable(d[0])))) return "F";
        return std::string(d);
    }
    case Campo::NumInter:
        if (ajustar && !NumInterValido(panel.numInter)) return "000";
        return Ajusta(panel.numInter, 3);
    }
    return "";
}

// Map positions 11 to 40.
std::string cuerpo(const Panel& panel, bool ajustar) {
    std::string c(kFinDatos - kPosDatos + 1, '0');
    for (const CampoCaracteres& f : kCampos) {
        const std::string t = caracteresCampo(f.campo, panel, ajustar);
        for (std::size_t i = 0; i < f.caracteres && i < t.size(); ++i) c[f.posicion - kPosDatos + 2 * i + 1] = t[i];
    }
    c.replace(kPosBanderas - kPosDatos, 2, NibblesBanderas(panel));
    return c;
}

Imagen arma(std::string_view modificador, const Panel& panel, std::string_view firmware, std::string_view clase,
            bool ajustar) {
    Imagen img;
    img.datos = cuerpo(panel, ajustar) + "f";
    // Never sent: shown and recorded. No checksum; the tail is the device's own.
    img.trama = "04" + codec::ByteVersion(firmware) + codec::CodigoTipoUsuario(clase) + Ajusta(modificador, 4) +
                img.datos + kCola;
    img.mascara = codec::ArmaMascara(trama().longitud);
    return img;
}

bool bitEncendido(const Panel& panel, const BitBandera& b) {
    switch (b.opcion) {
    case Opcion::Tono: return panel.tono;
    case Opcion::Bloqueo: return panel.bloqueo;
    case Opcion::Restriccion: break;
    }
    const std::size_t k = static_cast<std::size_t>(b.restriccion - 1);
    return k < panel.banderas.size() && panel.banderas[k] == '1';
}

void ponBit(Panel& panel, const BitBandera& b, bool on) {
    switch (b.opcion) {
    case Opcion::Tono: panel.tono = on; break;
    case Opcion::Bloqueo: panel.bloqueo = on; break;
    case Opcion::Restriccion:
        if (on) panel.banderas[static_cast<std::size_t>(b.restriccion - 1)] = '1';
        break;
    }
}

char caracter(std::string_view mapa, std::size_t pos) {
    const std::string_view c = codec::Posiciones(mapa, pos, pos);
    return c.empty() ? 'F' : c[0];
}

// An interventions digit ("A" for 0) as the panel shows it; any other nibble shows nothing.
std::string digito(char c) {
    const std::string d = codec::CambiaAPorCero(std::string_view(&c, 1));
    return esDigito(d[0]) ? d : std::string();
}


}  // namespace

// ---------------------------------------------------------------- codec

bool ClaveValida(std::string_view clave) { return formaConEstrella(clave) && clave[0] != '0'; }

bool AutValido(std::string_view aut) { return formaConEstrella(aut); }

bool DigAlerValido(std::string_view digAler) {
    const std::string_view d = sinBlancos(digAler);
    return d.empty() || (d.size() == 1 && esMarcable(d[0]));
}

bool NumInterValido(std::string_view numInter) {
    if (numInter.size() > 3) return false;
    for (char c : numInter)
        if (!esDigito(c)) return false;
    return true;
}

std::string NibblesBanderas(const Panel& panel) {
    int nibble[2] = {0, 0};
    for (const BitBandera& b : kBits)
        if (bitEncendido(panel, b)) nibble[b.posicion - kPosBanderas] |= b.valor;
    return codec::DigitoHex(nibble[0]) + codec::DigitoHex(nibble[1]);
}

std::optional<Imagen> ArmaImagen(std::string_view modificador, const Panel& panel, std::string_view firmware,
                                 std::string_view clase) {
    // Every field has fixed bytes on the device: a short one would move everything behind it.
    if (!ClaveValida(panel.clave) || !AutValido(panel.aut) || !DigAlerValido(panel.digAler) ||
        !NumInterValido(panel.numInter))
        return std::nullopt;
    return arma(modificador, panel, firmware, clase, false);
}

Imagen ArmaImagenAjustada(std::string_view modificador, const Panel& panel, std::string_view firmware,
                          std::string_view clase) {
    return arma(modificador, panel, firmware, clase, true);
}

Lectura Decodifica(std::string_view mapa) {
    Lectura l = LecturaConCabecera<Lectura>(mapa);
    for (const CampoCaracteres& f : kCampos) {
        std::string t;
        for (std::size_t i = 0; i < f.caracteres; ++i) {
            const char c = caracter(mapa, f.posicion + 2 * i + 1);
            if ((f.campo == Campo::Aut || f.campo == Campo::Clave) && i == 2) {
                t += '*';  // the third character is always the device's "*"
            } else if (f.campo == Campo::Aut || f.campo == Campo::Clave) {
                // "A" is 0; the no-digit "F" of an unprogrammed code shows as nothing, and such a
                // code is marked as one the write cannot give back.
                t += codec::DigitosAMarcacion(std::string_view(&c, 1));
            } else if (f.campo == Campo::DigAler) {
                const std::string d = codec::DigitosAMarcacion(std::string_view(&c, 1));
                if (d.size() == 1 && esMarcable(d[0])) t += d;
            } else {
                t += digito(c);
            }
        }
        switch (f.campo) {
        case Campo::Aut: l.panel.aut = t; break;
        case Campo::Clave: l.panel.clave = t; break;
        case Campo::DigAler: l.panel.digAler = t; break;
        case Campo::NumInter: l.panel.numInter = t; break;
        }
    }
    l.panel.banderas = "0000000";
    for (const BitBandera& b : kBits)
        ponBit(l.panel, b, (codec::ValorDigitoHex(caracter(mapa, b.posicion)) & b.valor) != 0);
    return l;
}

std::optional<std::string> ArmaComando(std::string_view numero, std::string_view clave,
                                       std::string_view claveAnterior, std::string_view aut,
                                       std::string_view digAler, Falta* falta) {
    static constexpr std::pair<std::string_view, char> kDigitos[] = {
        {"1", '1'}, {"4", '7'}, {"7", '5'}, {"11", '8'}, {"12", '9'},
    };
    const auto no = [falta](Falta f) -> std::optional<std::string> {
        Marca(falta, f);
        return std::nullopt;
    };
    const bool conocido = numero == "10" || numero == "13" || numero == "14" ||
                          std::any_of(std::begin(kDigitos), std::end(kDigitos),
                                      [&](const auto& d) { return d.first == numero; });
    if (!conocido) return no(Falta::SinComando);
    // The device takes nothing without its key; the key change gives it the new one.
    if (!ClaveValida(clave)) return no(numero == "10" ? Falta::ClaveNueva : Falta::Clave);
    const std::string k(clave);
    for (auto [n, d] : kDigitos)
        if (numero == n) return k + d + "f";
    if (numero == "10") {
        // The device reads the old key by position: one of another length would shift the rest.
        if (!formaConEstrella(claveAnterior)) return no(Falta::ClaveActual);
        return std::string(claveAnterior) + "3" + k + "f";
    }
    if (numero == "13") {
        if (aut.empty()) return no(Falta::Vacio);
        if (!AutValido(aut)) return no(Falta::Valor);
        return k + "2" + std::string(aut) + "f";
    }
    const std::string_view d = sinBlancos(digAler);
    if (d.empty()) return no(Falta::Vacio);
    if (d.size() != 1 || !esMarcable(d[0])) return no(Falta::Valor);
    return k + "6" + std::string(d) + "f";
}

std::string Separa(std::string_view cadena) {
    std::string out;
    for (char c : cadena) {
        if (!out.empty()) out += ',';
        out += c;
    }
    return out;
}

// ---------------------------------------------------------------- procedures

namespace {

Panel panelDesde(ZylForPri& w) {
    Panel panel;
    panel.clave = w.ZylTexResCla->text();
    panel.banderas = w.ZylTexBan->text();
    panel.aut = control<forms::TextBox>(w, "ZylTxtSonAut")->text();
    panel.digAler = control<forms::TextBox>(w, "ZylTxtSonDigAler")->text();
    panel.numInter = control<forms::TextBox>(w, "ZylTexSonNumInter")->text();
    panel.tono = control<forms::CheckBox>(w, "ZylChkSonTono")->value() == 1;
    panel.bloqueo = control<forms::CheckBox>(w, "ZylChkSonBlqGrb")->value() == 1;
    return panel;
}


}  // namespace

void CargaConfSonobrisa(Programa& p) {
    ZylForPri& w = p.pri();
    records::Record r;
    if (!AbreConfiguracion(p, kNombre, 9, kPanel, 5, r)) return;
    control<forms::TextBox>(w, "ZylTxtSonAut")->setText(r[20]);
    control<forms::Label>(w, "ZyllblSonAut")->setCaption(r[0]);
    control<forms::TextBox>(w, "ZylTxtSonDigAler")->setText(r[21]);
    control<forms::Label>(w, "ZyllblSonDigAler")->setCaption(r[1]);
    auto* tono = control<forms::CheckBox>(w, "ZylChkSonTono");
    tono->setCaption(r[2]);
    estadoDesde(*tono, r[22]);
    auto* bloqueo = control<forms::CheckBox>(w, "ZylChkSonBlqGrb");
    bloqueo->setCaption(r[3]);
    estadoDesde(*bloqueo, r[23]);
    MuestraConfiguracion(p, kPanel, 5);
}

void LeeEquipoSonobrisa(Programa& p) {
    if (!TomaImagen(p, trama(), SiDanada::NoHaySumas)) return;
    ZylForPri& w = p.pri();
    const Lectura l = Decodifica(p.MapaLectura);
    p.VersionEquipo = l.version;
    CargaConfSonobrisa(p);
    MuestraCabeceraLectura(p, kPanel, l.usuarioGardomelinta, l.modificadorGardomelinta);
    w.ZylTexResCla->setText(l.panel.clave);
    w.ZylTexBan->setText(l.panel.banderas);
    control<forms::CheckBox>(w, "ZylChkSonTono")->setValue(l.panel.tono ? 1 : 0);
    control<forms::CheckBox>(w, "ZylChkSonBlqGrb")->setValue(l.panel.bloqueo ? 1 : 0);
    control<forms::TextBox>(w, "ZylTxtSonAut")->setText(l.panel.aut);
    control<forms::TextBox>(w, "ZylTexSonNumInter")->setText(l.panel.numInter);
    control<forms::TextBox>(w, "ZylTxtSonDigAler")->setText(l.panel.digAler);
    // Each field goes back as the builder writes the box (the third character of the key and of
    // the Aut code is the write's own "*").
    const Panel panel = panelDesde(w);
    const std::string escrito =
        ArmaImagenAjustada(p.CodigoModificador, panel, app::FirmwareDeEnvio(p), claseInstalacion(w)).datos;
    for (const CampoCaracteres& f : kCampos) {
        bool valido = true;
        const char* caja = "ZylTexResCla";
        std::string nombre = "Clave";
        switch (f.campo) {
        case Campo::Clave: valido = ClaveValida(panel.clave); break;
        case Campo::Aut:
            valido = AutValido(panel.aut);
            caja = "ZylTxtSonAut";
            nombre = CaptionDe(w, "ZyllblSonAut");
            break;
        case Campo::DigAler:
            valido = DigAlerValido(panel.digAler);
            caja = "ZylTxtSonDigAler";
            nombre = CaptionDe(w, "ZyllblSonDigAler");
            break;
        case Campo::NumInter:
            valido = NumInterValido(panel.numInter);
            caja = "ZylTexSonNumInter";
            nombre = CaptionDe(w, "Frame4");
            break;
        }
        for (std::size_t i = 0; valido && i < f.caracteres; ++i) {
            const std::size_t pos = f.posicion + 2 * i;  // map position of the byte
            const std::string crudo(codec::Posiciones(p.MapaLectura, pos, pos + 1));
            const std::size_t d = pos - kCampos[0].posicion;  // the same byte in the data part
            const bool igual = d + 2 <= escrito.size() && MismoEnEquipo(escrito.substr(d, 2), crudo);
            if ((f.campo == Campo::Aut || f.campo == Campo::Clave) && i == 2) {
                // The box always shows the write's own "*" there: a device holding anything
                // else is told that the write will change it.
                if (!igual) MarcaCambioAlEscribir(p, nombre + " (tercer carácter)");
                continue;
            }
            valido = igual;
        }
        MarcaSi(!valido, p, caja, -1, nombre);
    }
    CierraLectura(p, kPanel, 1);
}

bool PreparaEnvioSonobrisa(Programa& p) {
    ZylForPri& w = p.pri();
    p.ImagenEnvio.clear();
    const Panel panel = panelDesde(w);
    const std::string clase = claseInstalacion(w);
    // "Activado" only for a key and fields the device takes; an empty key is refused too
    // instead of keeping whatever state the previous build left.
    RegistraEscritura(p, ArmaImagen(p.CodigoModificador, panel, app::FirmwareDeEnvio(p), clase),
                      [&] { return ArmaImagenAjustada(p.CodigoModificador, panel, app::FirmwareDeEnvio(p), clase); });
    return true;
}

bool ArmaComandoSonobrisa(Programa& p) {
    ZylForPri& w = p.pri();
    const std::string& n = p.NumeroComando;
    if (n == "1" || n == "4" || n == "7" || n == "11" || n == "12") p.ImagenEnvio.clear();
    p.CadenaAuxiliar.clear();
    p.CadenaAuxiliar2.clear();
    // A greyed restriction box is neither on nor off: no command, whatever it would carry.
    if ((n == "1" || n == "4" || n == "7") && p.ValorComando == "2") return Rehusa(p, Falta::Gris);
    Falta falta = Falta::Ninguna;
    auto cmd = ArmaComando(n, w.ZylTexResCla->text(), p.ClaveAnterior,
                           control<forms::TextBox>(w, "ZylTxtSonAut")->text(),
                           control<forms::TextBox>(w, "ZylTxtSonDigAler")->text(), &falta);
    // Nothing built means nothing to send: the previous string is not separated and sent again.
    if (!cmd) return Rehusa(p, falta);
    p.CadenaComando = Separa(*cmd);
    return true;
}

app::ModeloEquipo Modelo() {
    app::ModeloEquipo m = Unidad(kNombre, kPanel, "04", CargaConfSonobrisa, LeeEquipoSonobrisa,
                                 PreparaEnvioSonobrisa, ArmaComandoSonobrisa);
    // The checks of ArmaImagen, field by field.
    m.camposRechazados = [](Programa& p) {
        return CamposRechazados(p, {{"ZylTexResCla", -1, ClaveValida},
                                    {"ZylTxtSonAut", -1, AutValido},
                                    {"ZylTxtSonDigAler", -1, DigAlerValido},
                                    {"ZylTexSonNumInter", -1, NumInterValido}});
    };
    m.creaPanel = [](ZylForPri& w, forms::Frame& panel) {
        using namespace zylma::forms;
        panel.setCaption("");
        auto& titulo = w.add<Label>("ZylLabSon", -1, &panel);
        titulo.setCaption("Sonobrisa");
        titulo.move(240, 240, 3000, 300);

        auto& opciones = w.add<Frame>("Frame3", -1, &panel);
        opciones.setCaption("Opciones de programación");
        opciones.move(120, 660, 6960, 1260);
        auto& lblAut = w.add<Label>("ZyllblSonAut", -1, &opciones);
        lblAut.setCaption("Lab02");
        lblAut.move(240, 360, 3960, 315);
        auto& aut = w.add<TextBox>("ZylTxtSonAut", -1, &opciones);
        aut.move(4320, 330, 1500, 315);
        auto& lblDig = w.add<Label>("ZyllblSonDigAler", -1, &opciones);
        lblDig.setCaption("Label3");
        lblDig.move(240, 780, 3960, 315);
        auto& dig = w.add<TextBox>("ZylTxtSonDigAler", -1, &opciones);
        dig.setMaxLength(1);
        dig.move(4320, 750, 600, 315);

        auto& casillas = w.add<Frame>("Frame2", -1, &panel);
        casillas.setCaption("");
        casillas.move(120, 2040, 6960, 1020);
        auto& tono = w.add<CheckBox>("ZylChkSonTono", -1, &casillas);
        tono.setCaption("Check1");
        tono.move(240, 240, 6000, 300);
        auto& bloqueo = w.add<CheckBox>("ZylChkSonBlqGrb", -1, &casillas);
        bloqueo.setCaption("Check2");
        bloqueo.move(240, 600, 6000, 300);

        auto& intervenciones = w.add<Frame>("Frame4", -1, &panel);
        intervenciones.setCaption("Numero de Intervenciones");
        intervenciones.move(120, 3180, 3600, 780);
        auto& num = w.add<TextBox>("ZylTexSonNumInter", -1, &intervenciones);
        num.setMaxLength(3);
        num.move(240, 330, 900, 315);
    };
    auto fila = [](const char* control, Gesto gesto, const char* numero, ValorDe valor) {
        return Fila(control, -1, gesto, numero, valor);
    };
    m.disparadores = {
        fila("ZylChkSonTono", Gesto::PulsacionDerecha, "11", ValorDe::Nada),
        fila("ZylChkSonBlqGrb", Gesto::PulsacionDerecha, "12", ValorDe::Nada),
        fila("ZylTxtSonAut", Gesto::DobleClic, "13", ValorDe::Texto),
        fila("ZylTxtSonDigAler", Gesto::DobleClic, "14", ValorDe::Texto),
    };
    // The Sonobrisa's own fields have no keystroke check: the builder judges them.
    return m;
}

}  // namespace zylma::models::sonobrisa
