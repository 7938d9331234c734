#include "grupo2/selvarindo.h"

#include "zylma/app/cambio_clave.h"
#include "zylma/app/monitor.h"
#include "zylma/app/programa.h"
#include "zylma/app/zyl_for_pri.h"
#include "comun.h"
#include "zylma/codec/conversores.h"
#include "zylma/codec/imagen.h"
#include "zylma/records/records.h"

namespace zylma::models::selvarindo {

using namespace zylma::app;
namespace codec = zylma::codec;

namespace {

constexpr const char* kNombre = "Selvarindo";
constexpr const char* kPanel = "ZylFraSvd";
constexpr std::size_t kMascara = 136;

const codec::ModeloTrama& trama() { return *codec::BuscaModelo("08"); }

bool cuatroDigitos(std::string_view t) {
    if (t.size() != 4) return false;
    for (char c : t)
        if (c < '0' || c > '9') return false;
    return true;
}

// The decimal texts of the device digits at `desde`, `desde` + 2, ... (four of them).
std::string campoDigitos(std::string_view mapa, std::size_t desde) {
    std::string out;
    for (std::size_t i = 0; i < 4; ++i) {
        std::string_view c = codec::Posiciones(mapa, desde + 2 * i, desde + 2 * i);
        // The no-digit "F" shows as nothing (an unprogrammed key); "B" to "E" as "11" to "14".
        if (c.empty() || c == "F") continue;
        out += std::to_string(codec::ValorDigitoHex(codec::CambiaAPorCero(c)));
    }
    return out;
}

// "0" before each of four digits; a short key keeps its place with "F" (no digit).
std::string digitosEnBytes(std::string_view clave) {
    std::string out;
    for (std::size_t i = 0; i < 4; ++i) {
        out += '0';
        out += i < clave.size() ? clave[i] : 'F';
    }
    return out;
}

}  // namespace

// ---------------------------------------------------------------- codec

Variante VariantePorVersion(std::string_view version) {
    long n = 0;
    if (!enteroDeTexto(std::string(version), n)) return Variante::Ninguna;
    if (n > 70) return Variante::SinVoz;
    if (n == 2) return Variante::ConVoz;
    return Variante::Ninguna;
}

Disposicion DisposicionDe(Variante v) {
    switch (v) {
    case Variante::SinVoz: return {11, 13, 16, 24};
    case Variante::ConVoz: return {0, 0, 14, 0};
    case Variante::Ninguna: break;
    }
    return {};
}

bool ClaveValida(std::string_view clave) { return cuatroDigitos(clave) && clave[0] != '0'; }
bool ClaveSalidaValida(std::string_view clave) { return cuatroDigitos(clave); }

Lectura Decodifica(std::string_view recepcion, std::string_view mapa) {
    Lectura l;
    l.version = std::string(codec::Posiciones(recepcion, 7, 8));
    l.variante = VariantePorVersion(l.version);
    const Disposicion d = DisposicionDe(l.variante);
    if (d.elimina1) l.elimina1 = codec::Posiciones(mapa, d.elimina1, d.elimina1 + 1) == "09";
    if (d.bloquea9) l.bloquea9 = codec::Posiciones(mapa, d.bloquea9, d.bloquea9 + 1) == "09";
    if (d.clave) l.clave = campoDigitos(mapa, d.clave);
    if (d.claveSalida) l.claveSalida = campoDigitos(mapa, d.claveSalida);
    return l;
}

std::optional<std::string> ArmaTrama(std::string_view version, bool elimina1, bool bloquea9, std::string_view clave,
                                     std::string_view claveSalida) {
    long n = 0;
    const bool numero = enteroDeTexto(std::string(version), n);
    std::string t = "0809FFFF";
    if (numero && n == 2) {
        t += "0A0A" + digitosEnBytes(clave) + "000000" + std::string(100, 'F') + "0203<4";
        return t;
    }
    if (version == "72") {
        t += elimina1 ? "09" : "0A";
        t += bloquea9 ? "09" : "0A";
        t += digitosEnBytes(clave) + digitosEnBytes(claveSalida) + std::string(98, 'F') + "4803<4";
        return t;
    }
    return std::nullopt;
}

std::optional<std::string> DatoParametro(std::string_view parametro, int elimina1, int bloquea9,
                                         std::string_view clave, std::string_view claveSalida) {
    auto interruptor = [](int v) -> std::optional<std::string> {
        if (v == 1) return "9999f";
        if (v == 0) return "0000f";
        return std::nullopt;
    };
    if (parametro == "1") return interruptor(elimina1);
    if (parametro == "2") return std::string(clave);
    if (parametro == "3") return std::string(claveSalida) + "f";
    if (parametro == "4") return interruptor(bloquea9);
    return std::nullopt;
}

std::optional<std::string> ArmaComando(std::string_view numero, std::string_view valor, std::string_view clave,
                                       std::string_view claveSalida, std::string_view claveAnterior,
                                       std::string_view claveNueva, std::string_view separador, Falta* falta) {
    const std::string S(separador), K(clave);
    const auto no = [falta](Falta f) -> std::optional<std::string> {
        Marca(falta, f);
        return std::nullopt;
    };
    if (numero == "10") {
        // The device keeps four digits: a new key of another length would leave it with a key
        // that no command could carry.
        if (!ClaveValida(claveNueva)) return no(Falta::ClaveNueva);
        return "#2" + S + std::string(claveAnterior) + S + std::string(claveNueva) + "f";
    }
    if (numero != "11" && numero != "12" && numero != "13") return no(Falta::SinComando);
    // The device's own key has to be one it takes, whatever another model left as key state.
    if (!ClaveValida(clave)) return no(Falta::Clave);
    if (numero == "11") {
        if (claveSalida.empty()) return no(Falta::Vacio);
        if (!ClaveSalidaValida(claveSalida)) return no(Falta::Valor);
        return "#3" + S + K + S + std::string(claveSalida) + "f";
    }
    // A switch is on ("9") or off ("0"); a greyed box is neither.
    std::string op;
    if (valor == "1") op = "9";
    else if (valor == "0") op = "0";
    else return no(FaltaCasilla(valor));
    return std::string(numero == "12" ? "#1" : "#5") + S + K + S + op + "f";
}

// ---------------------------------------------------------------- procedures

namespace {

forms::CheckBox& elimina1(ZylForPri& w) { return *w.findAs<forms::CheckBox>("ZylFraSvdElim1"); }
forms::CheckBox& bloquea9(ZylForPri& w) { return *w.findAs<forms::CheckBox>("ZylFraSvdNum9"); }
forms::TextBox& claveSalida(ZylForPri& w) { return *w.findAs<forms::TextBox>("ZylTxtSvdClvSal"); }
forms::Label& etiquetaSalida(ZylForPri& w) { return *w.findAs<forms::Label>("ZylLblSvdClvSal"); }

void interruptorDesde(forms::CheckBox& c, const std::string& campo) {
    if (campo == "9") c.setValue(1);
    else if (campo == "0") c.setValue(0);
}

}  // namespace

void CargaConfSelvarindo(Programa& p) {
    ZylForPri& w = p.pri();
    records::Record r;
    if (AbreConfiguracion(p, kNombre, 6, kPanel, 4, r)) {
        interruptorDesde(elimina1(w), r[20]);
        claveSalida(w).setText(r[21]);
        interruptorDesde(bloquea9(w), r[22]);
        MuestraConfiguracion(p, kPanel, 4);
    }
    // The Selvarindo has no write: however its panel is shown (a model button, a read,
    // "&Default"), "&Enviar" stays off, instead of offering a write that has nothing to send.
    w.comando(4).setEnabled(false);
}

void LeeEquipoSelvarindo(Programa& p) {
    // No checksum: any answer of the whole length is decoded.
    if (!TomaImagen(p, trama(), SiDanada::NoHaySumas)) return;
    ZylForPri& w = p.pri();
    const Lectura l = Decodifica(p.monitor().ZylTexMon[4]->text(), p.MapaLectura);
    p.VersionEquipo = l.version;
    CargaConfSelvarindo(p);
    if (l.variante == Variante::SinVoz) {
        w.ZylLblSvdIdent->setCaption("Sin Voz");
        w.ZylFraSvdClv->setVisible(true);
        claveSalida(w).setVisible(true);
        etiquetaSalida(w).setVisible(true);
        w.ZylFraSvdRes->setVisible(true);
        elimina1(w).setVisible(false);
        elimina1(w).setValue(l.elimina1 ? 1 : 0);
        bloquea9(w).setValue(l.bloquea9 ? 1 : 0);
        claveSalida(w).setText(l.claveSalida);
        w.ZylTexResCla->setText("");
        w.ZylTexResCla->setText(l.clave);
    } else if (l.variante == Variante::ConVoz) {
        w.ZylLblSvdIdent->setCaption("Con Voz");
        w.ZylFraSvdClv->setVisible(true);
        claveSalida(w).setVisible(false);
        etiquetaSalida(w).setVisible(false);
        w.ZylFraSvdRes->setVisible(false);
        w.ZylTexResCla->setText("");
        w.ZylTexResCla->setText(l.clave);
    }
    // The keys go back only in remote commands: one the device could not take as it is read
    // is marked, so no command carries it until the user types one.
    const Disposicion d = DisposicionDe(l.variante);
    if (d.clave) MarcaSi(!ClaveVuelve(Nibbles(p.MapaLectura, d.clave, 4), 4), p, "ZylTexResCla", -1, "Clave");
    if (d.claveSalida && !ClaveVuelve(Nibbles(p.MapaLectura, d.claveSalida, 4), 4) &&
        Nibbles(p.MapaLectura, d.claveSalida, 4).find_first_not_of("0123456789A") != std::string::npos)
        MarcaNoEscribible(p, "ZylTxtSvdClvSal", -1, CaptionDe(w, "ZylLblSvdClvSal"));
    w.comando(4).setEnabled(false);
    w.panel(kPanel)->setVisible(false);
    w.ZylTexResFirm->setText(p.VersionEquipo);
    CierraLectura(p, kPanel, 7);
}

void PreparaEnvioSelvarindo(Programa& p) {
    ZylForPri& w = p.pri();
    const std::string clave = w.ZylTexResCla->text();
    const std::string salida = claveSalida(w).text();
    if (auto d = DatoParametro(p.ParametroSelvarindo, elimina1(w).value(), bloquea9(w).value(), clave, salida))
        p.ImagenEnvio = *d;
    auto t = ArmaTrama(p.VersionEquipo, elimina1(w).value() == 1, bloquea9(w).value() == 1, clave, salida);
    if (!t) return;
    p.TramaEnvio = *t;
    p.MascaraEnvio = codec::ArmaMascara(kMascara);
}

bool TramaComandoSelvarindo(Programa& p) {
    ZylForPri& w = p.pri();
    const std::string clave = w.ZylTexResCla->text();
    const std::string salida = claveSalida(w).text();
    // The setting the command carries, as its trigger will put it into the data part.
    static constexpr std::pair<std::string_view, std::string_view> kParametros[] = {
        {"10", "2"}, {"11", "3"}, {"12", "1"}, {"13", "4"},
    };
    for (auto [n, parametro] : kParametros)
        if (p.NumeroComando == n)
            if (auto d = DatoParametro(parametro, elimina1(w).value(), bloquea9(w).value(), clave, salida))
                p.ImagenEnvio = *d;
    // A version of neither variant has no image: the record then holds none, rather than the
    // image another model left behind.
    p.TramaEnvio = ArmaTrama(p.VersionEquipo, elimina1(w).value() == 1, bloquea9(w).value() == 1, clave, salida)
                       .value_or(std::string());
    p.MascaraEnvio = codec::ArmaMascara(kMascara);
    return true;
}

bool ArmaComandoSelvarindo(Programa& p) {
    ZylForPri& w = p.pri();
    std::string nueva;
    if (p.NumeroComando == "10") {
        auto* v = p.ventanaSiExiste<ZylForCamCla>();
        if (!v) return Rehusa(p, Falta::SinComando);
        nueva = v->ZylTextCanCka->text();
    }
    Falta falta = Falta::Ninguna;
    const auto cadena = ArmaComando(p.NumeroComando, p.ValorComando, w.ZylTexResCla->text(), claveSalida(w).text(),
                                    p.ClaveAnterior, nueva, p.Separador, &falta);
    return cadena ? TomaCadena(p, cadena) : Rehusa(p, falta);
}

// ---------------------------------------------------------------- panel

namespace {

void creaPanel(ZylForPri& w, forms::Frame& panel) {
    using namespace zylma::forms;
    panel.setCaption("");
    auto& titulo = w.add<Label>("ZylLblSvd", -1, &panel);
    titulo.setCaption("Selvarindo");
    titulo.move(240, 300, 2400, 300);
    w.ZylLblSvdIdent->move(2760, 300, 2000, 300);

    w.ZylFraSvdRes->setCaption("Restrictores");
    w.ZylFraSvdRes->move(240, 900, 6720, 1140);
    auto& num9 = w.add<CheckBox>("ZylFraSvdNum9", -1, w.ZylFraSvdRes);
    num9.setCaption("Bloquea números que inicien en 9");
    num9.move(240, 330, 6240, 300);
    auto& elim = w.add<CheckBox>("ZylFraSvdElim1", -1, w.ZylFraSvdRes);
    elim.setCaption("Elimina el primer 1 marcado en el sistema");
    elim.move(240, 720, 6240, 300);

    w.ZylFraSvdClv->setCaption("Clave");
    w.ZylFraSvdClv->move(240, 2280, 3600, 900);
    auto& lbl = w.add<Label>("ZylLblSvdClvSal", -1, w.ZylFraSvdClv);
    lbl.setCaption("Clave de Salida");
    lbl.move(240, 390, 1800, 300);
    auto& txt = w.add<TextBox>("ZylTxtSvdClvSal", -1, w.ZylFraSvdClv);
    txt.setMaxLength(4);
    txt.move(2160, 360, 1080, 315);
}

std::vector<Disparador> disparadores() {
    std::vector<Disparador> f(3);
    f[0].control = "ZylTxtSvdClvSal";
    f[0].gesto = Gesto::DobleClic;
    f[0].numero = "11";
    f[0].valor = ValorDe::Texto;
    f[0].parametroSelvarindo = "3";
    f[1].control = "ZylFraSvdElim1";
    f[1].gesto = Gesto::PulsacionDerecha;
    f[1].numero = "12";
    f[1].valor = ValorDe::Estado;
    f[1].parametroSelvarindo = "1";
    f[1].cualquierBoton = true;
    f[2].control = "ZylFraSvdNum9";
    f[2].gesto = Gesto::PulsacionDerecha;
    f[2].numero = "13";
    f[2].valor = ValorDe::Estado;
    f[2].parametroSelvarindo = "4";
    f[2].cualquierBoton = true;
    return f;
}

}  // namespace

app::ModeloEquipo Modelo() {
    // No write preparation: the Selvarindo is programmed by remote commands.
    app::ModeloEquipo m = Unidad(kNombre, kPanel, "08", CargaConfSelvarindo, LeeEquipoSelvarindo,
                                 nullptr, ArmaComandoSelvarindo);
    m.creaPanel = creaPanel;
    m.preparaParametro = PreparaEnvioSelvarindo;
    m.preparaTrama = TramaComandoSelvarindo;
    m.disparadores = disparadores();
    m.validadores = {{"ZylTxtSvdClvSal", -1, Regla::ClaveSalida, "ERROR EN LA CLAVE"}};
    return m;
}

}  // namespace zylma::models::selvarindo
