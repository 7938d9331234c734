#include "grupo2/quintavo.h"

#include <algorithm>

#include "zylma/app/cambio_clave.h"
#include "zylma/app/programa.h"
#include "zylma/app/zyl_for_pri.h"
#include "comun.h"
#include "zylma/app/ida_vuelta.h"
#include "zylma/codec/conversores.h"
#include "zylma/codec/imagen.h"
#include "zylma/records/records.h"

namespace zylma::models::quintavo {

using namespace zylma::app;
namespace codec = zylma::codec;


namespace {

constexpr const char* kNombre = "Quintavo";
constexpr const char* kPanel = "ZylFraQui";
constexpr const char* kDigitosLocal[] = {"5", "6", "7", "8"};

const codec::ModeloTrama& trama() { return *codec::BuscaModelo("02"); }

bool esDigito(char c) { return c >= '0' && c <= '9'; }

bool esClave(const Campo& c) { return std::string_view(c.control) == "ZylTexResCla"; }

// A three-digit setting: a shorter number is the same number with zeros in front, so the
// following settings stay in their bytes.
std::string tresDigitos(std::string_view t) {
    std::string d(t.size() > 3 ? t.substr(t.size() - 3) : t);
    d.insert(0, 3 - d.size(), '0');
    return std::string("0") + d[0] + "0" + d[1] + "0" + d[2];
}

// The flag nibble of a data character from the flag text and the trunk bit.
char nibble(std::size_t pos, std::string_view banderas, std::string_view troncal) {
    int v = 0;
    for (const BitBandera& b : kBits) {
        if (b.nibble != pos) continue;
        bool on;
        if (b.restriccion == 0) on = troncal == "1";
        else if (b.restriccion == 1) on = true;  // the device keeps it set
        else {
            const std::size_t k = static_cast<std::size_t>(b.restriccion - 1);
            on = k < banderas.size() && banderas[k] == '1';
        }
        if (on) v |= b.valor;
    }
    return codec::DigitoHex(v)[0];
}

// The data part with every field at its width. The key and the digits of a local call are
// taken as given; the callers decide whether they are fit to go out.
std::string datos(const Valores& v, std::string_view clave, std::string_view local) {
    std::string d = Ajusta(v.modificador, 4) + std::string(clave) + "F";
    d += nibble(kPosNibbleC, v.banderas, v.troncal);
    d += nibble(kPosNibbleB, v.banderas, v.troncal);
    d += "0";
    d += nibble(kPosNibbleA, v.banderas, v.troncal);
    d += "0";
    d += std::string(local) + "00";
    for (std::size_t i = 0; i < kCampos_n; ++i) {
        const Campo& c = kCampos[i];
        if (d.size() + 1 != c.inicio) return {};  // the table and the builder disagree
        const std::string_view t = esClave(c) ? clave : std::string_view(v.campos[i]);
        switch (c.codigo) {
        case Codigo::Tres: d += tresDigitos(t); break;
        case Codigo::Memoria: d += RellenaF(t, 16); break;
        case Codigo::ClaveF: d += RellenaF(t, 5) + "F"; break;
        }
    }
    return d + "f";
}

Imagen arma(const Valores& v, std::string_view clave, std::string_view local, std::string_view firmware,
            std::string_view clase) {
    Imagen img;
    img.datos = datos(v, clave, local);
    std::string version(firmware.substr(0, std::min<std::size_t>(2, firmware.size())));
    // The version goes as typed (no conversion); a short box is fitted so the rest stays put.
    version.insert(0, 2 - version.size(), '0');
    codec::EncabezadoEnvio cab{"02", version, codec::CodigoTipoUsuario(clase), img.datos.substr(0, 4)};
    std::string bloque2 = img.datos.substr(kFinBloque1, kLargoDatos - 1 - kFinBloque1) + "6E" + std::string(84, '0');
    img.trama = codec::ArmaTramaEnvio(2, cab, img.datos.substr(4, kFinBloque1 - 4), bloque2);
    img.mascara = codec::ArmaMascara(trama().longitud);
    return img;
}

// Decimal digit texts of the device digits at the given map positions.
std::string digitosDecimales(std::string_view mapa, std::initializer_list<std::size_t> posiciones) {
    std::string out;
    for (std::size_t pos : posiciones) {
        std::string_view c = codec::Posiciones(mapa, pos, pos);
        if (c.empty()) continue;
        out += std::to_string(codec::ValorDigitoHex(codec::CambiaAPorCero(c)));
    }
    return out;
}

// Map-form text of a data-part field.
std::string_view campoMapa(std::string_view mapa, std::size_t inicio, std::size_t ancho, std::string& buffer) {
    buffer.clear();
    for (std::size_t i = inicio; i < inicio + ancho; ++i) buffer += codec::Posiciones(mapa, PosicionMapa(i), PosicionMapa(i));
    return buffer;
}

}  // namespace

// ---------------------------------------------------------------- codec

static_assert(kFinBloque1 == kDatosPrimerBloque);
std::size_t PosicionMapa(std::size_t i) { return PosicionDatos(i); }

bool ClaveValida(std::string_view clave) {
    if (clave.size() != 5 || clave[0] == '0') return false;
    for (char c : clave)
        if (!esDigito(c)) return false;
    return true;
}

bool DigitosLocalValidos(std::string_view d) {
    for (const char* s : kDigitosLocal)
        if (d == s) return true;
    return false;
}

namespace {
bool campoValido(const Campo& c, std::string_view texto) {
    switch (c.codigo) {
    case Codigo::Tres: return CabeEnCampo(texto, 3);
    case Codigo::Memoria: return CabeEnCampo(texto, 16, "*");
    case Codigo::ClaveF: return CabeEnCampo(texto, 5);
    }
    return false;
}
}  // namespace

std::optional<Imagen> ArmaImagen(const Valores& v, std::string_view firmware, std::string_view clase) {
    // A key or a local-call digit of another width would move every later byte on the device.
    if (!ClaveValida(v.clave) || !DigitosLocalValidos(v.digitosLocal)) return std::nullopt;
    // A field with a character its place cannot hold, or too long for it, is not written.
    for (std::size_t i = 0; i < kCampos_n; ++i)
        if (!esClave(kCampos[i]) && !campoValido(kCampos[i], v.campos[i])) return std::nullopt;
    return arma(v, v.clave, v.digitosLocal, firmware, clase);
}

Imagen ArmaImagenAjustada(const Valores& v, std::string_view firmware, std::string_view clase) {
    std::string clave = v.clave.size() > 5 ? v.clave.substr(v.clave.size() - 5) : v.clave;
    clave.resize(5, 'F');
    const std::string local = DigitosLocalValidos(v.digitosLocal) ? v.digitosLocal : "F";
    return arma(v, clave, local, firmware, clase);
}

Lectura Decodifica(std::string_view mapa) {
    Lectura l;
    l.version = std::string(codec::Posiciones(mapa, 3, 4));
    l.usuarioGardomelinta = codec::MuestraTipoUsuario(mapa);
    l.modificadorGardomelinta = codec::MuestraModificador(mapa);
    Valores& v = l.valores;
    v.modificador = std::string(codec::Posiciones(mapa, 7, 10));
    std::string buf;

    // The flag text: character k is restriction k; restriction 2 has no bit and reads "0".
    v.banderas = std::string(6, '0');
    for (const BitBandera& b : kBits) {
        const std::string_view c = codec::Posiciones(mapa, PosicionMapa(b.nibble), PosicionMapa(b.nibble));
        const bool on = !c.empty() && (codec::ValorDigitoHex(c) & b.valor);
        if (b.restriccion == 0) v.troncal = on ? "1" : "0";
        else if (on) v.banderas[static_cast<std::size_t>(b.restriccion - 1)] = '1';
    }
    v.digitosLocal = std::string(codec::Posiciones(mapa, PosicionMapa(kPosDigitosLocal), PosicionMapa(kPosDigitosLocal)));

    for (std::size_t i = 0; i < kCampos_n; ++i) {
        const Campo& c = kCampos[i];
        const std::size_t p0 = PosicionMapa(c.inicio);
        switch (c.codigo) {
        case Codigo::Tres: v.campos[i] = digitosDecimales(mapa, {p0 + 1, p0 + 3, p0 + 5}); break;
        case Codigo::Memoria: v.campos[i] = codec::DigitosAMarcacion(campoMapa(mapa, c.inicio, 16, buf)); break;
        case Codigo::ClaveF: v.campos[i] = codec::DigitosAMarcacion(campoMapa(mapa, c.inicio, 5, buf)); break;
        }
        // The panel shows the second copy of the key.
        if (esClave(c)) v.clave = v.campos[i];
    }
    return l;
}

std::optional<std::string> DigitoOpcion(std::string_view valor) { return OpcionCasilla(valor); }

std::optional<std::string> ArmaComando(std::string_view numero, std::string_view valor, std::string_view clave,
                                       std::string_view indice, std::string_view claveAnterior,
                                       std::string_view claveNueva, std::string_view separador, Falta* falta) {
    const std::string S(separador), K(clave), V(valor), I(indice);
    const auto no = [falta](Falta f) -> std::optional<std::string> {
        Marca(falta, f);
        return std::nullopt;
    };
    if (numero == "10") {
        // The new key must be one the device takes, or the device would be left with a key
        // that no later write could carry.
        if (!ClaveValida(claveNueva)) return no(Falta::ClaveNueva);
        return "*1" + std::string(claveAnterior) + S + "1" + S + std::string(claveNueva) + "f";
    }
    // Check boxes carry their state as "9" or "0".
    static constexpr std::pair<std::string_view, std::string_view> kCasillas[] = {
        {"1", "*2"}, {"3", "*4"}, {"4", "*3"}, {"6", "#4"}, {"11", "*5"},
    };
    // Fields carry their text as typed: a setting of 1 is 1, not 9. Only a text its place can
    // hold is dialled: a letter would reach the line as a dial modifier.
    static constexpr std::pair<std::string_view, std::string_view> kCampos2[] = {
        {"12", "*7"}, {"14", "*8"}, {"15", "*0"}, {"16", "*6"},
    };
    const auto es = [&](const auto& tabla) {
        return std::any_of(std::begin(tabla), std::end(tabla), [&](const auto& f) { return f.first == numero; });
    };
    const bool conocido =
        es(kCasillas) || es(kCampos2) || numero == "13" || numero == "17" || numero == "18" || numero == "19" ||
        numero == "20";
    if (!conocido) return no(Falta::SinComando);
    if (!ClaveValida(clave)) return no(Falta::Clave);
    for (auto [n, codigo] : kCasillas) {
        if (numero != n) continue;
        auto op = DigitoOpcion(valor);
        if (!op) return no(FaltaCasilla(valor));
        return std::string(codigo) + K + S + *op + "f";
    }
    // A number of calls or a duration: one to three digits; an empty one is no setting.
    const bool tres = !valor.empty() && CabeEnCampo(valor, 3);
    const Falta porTres = valor.empty() ? Falta::Vacio : Falta::Valor;
    for (auto [n, codigo] : kCampos2) {
        if (numero != n) continue;
        if (n == "16" ? !DigitosLocalValidos(valor) : !tres) return no(n == "16" && !valor.empty() ? Falta::Valor : porTres);
        return std::string(codigo) + K + S + V + "f";
    }
    if (numero == "13") return tres ? std::optional("*9" + S + K + S + V + "f") : no(porTres);
    if (numero == "17") return CabeEnCampo(valor, 5) ? std::optional("*1" + K + S + I + S + V + "f") : no(Falta::Valor);
    if (numero == "18") return CabeEnCampo(valor, 16, "*") ? std::optional("#3" + K + S + I + S + V + "f") : no(Falta::Valor);
    if (numero == "19") return "#1" + K + "f";
    return "#2" + K + "f";
}

// ---------------------------------------------------------------- procedures

namespace {

forms::TextBox& caja(ZylForPri& w, const char* nombre, int indice = -1) {
    return *w.findAs<forms::TextBox>(nombre, indice);
}
forms::ComboBox& combo(ZylForPri& w) { return *w.findAs<forms::ComboBox>("ZylComQuiDLL"); }
forms::CheckBox& troncal(ZylForPri& w) { return *w.findAs<forms::CheckBox>("ZylChkQuiCon", 3); }
forms::Label& etiqueta(ZylForPri& w, const char* nombre) { return *w.findAs<forms::Label>(nombre); }

// Selects item 0, 1, 2, 3 in turn and stops at the first of that text.
void seleccionaDigitos(ZylForPri& w, const std::string& texto) {
    forms::ComboBox& c = combo(w);
    for (int i = 0; i < c.listCount(); ++i) {
        c.setListIndex(i);
        if (c.text() == texto) return;
    }
    // A value none of the items holds is shown as it is, not as the last item tried ("8"):
    // the write is then refused naming the box until the user picks one.
    c.setText(texto);
}

// Emptied, then one character at a time, as typing would fill it. Once the box's check refuses
// a character the rest is not put after what is left: a number with a character taken out of
// its middle is another number, which a later write would program into the device.
void escribePorCaracter(forms::TextBox& t, const std::string& texto) {
    t.setText("");
    for (std::size_t i = 0; i < texto.size(); ++i) {
        t.setText(t.text() + texto[i]);
        if (t.text() != texto.substr(0, i + 1)) break;
    }
}

Valores valoresDelPanel(Programa& p) {
    ZylForPri& w = p.pri();
    Valores v;
    v.modificador = p.CodigoModificador;
    v.clave = w.ZylTexResCla->text();
    v.banderas = w.ZylTexBan->text();
    // The trunk bit is the panel's box, which every read sets: a trunk changed by the box or by
    // a remote command is what the write sends.
    v.troncal = troncal(w).value() == 1 ? "1" : "0";
    v.digitosLocal = combo(w).text();
    for (std::size_t i = 0; i < kCampos_n; ++i)
        if (!esClave(kCampos[i])) v.campos[i] = caja(w, kCampos[i].control, kCampos[i].indice).text();
    return v;
}

}  // namespace

namespace {

// The caption a message names a field by: its frame's and its label's.
std::string nombreDe(ZylForPri& w, const Campo& c) {
    const std::string_view n = c.control;
    if (n == "ZylTexResCla") return "Clave";
    if (n == "ZylTexQuiSMC") return CaptionDe(w, "ZylFraQuiSM") + " " + CaptionDe(w, "ZylLabQuiSMC", 1);
    if (n == "ZylTexQuiLDC") return CaptionDe(w, "ZylFraQuiLD") + " " + CaptionDe(w, "ZylLabQuiLDC", 0);
    if (n == "ZylTexQuiSMNP") return CaptionDe(w, "ZylFraQuiSM") + " " + CaptionDe(w, "ZylLabQuiSMNP");
    if (n == "ZylTexQuiLDNP") return CaptionDe(w, "ZylFraQuiLD") + " " + CaptionDe(w, "ZylLabQuiLDNP");
    if (n == "ZylTexQuiSMT") return CaptionDe(w, "ZylFraQuiSM") + " " + CaptionDe(w, "ZylLabQuiSMT");
    if (n == "ZylTexQuiLDT") return CaptionDe(w, "ZylFraQuiLD") + " " + CaptionDe(w, "ZylLabQuiLDT");
    if (n == "ZylTexQuiNumTel") return CaptionDe(w, "ZylFraQuiNumTel") + " " + CaptionDe(w, "ZylLabQuiNumTel", 18 - c.indice);
    static constexpr int kEtiquetaClave[] = {0, 0, 5, 6, 7};
    return CaptionDe(w, "ZylLabQuiClv", kEtiquetaClave[c.indice]);
}

// After a read: each field whose value cannot go back as the read gave it is marked; the
// permitted-call numbers, which a read does not show, and the places the write fixes are named
// when the device holds another value there.
void marcaLectura(Programa& p, std::string_view mapa) {
    ZylForPri& w = p.pri();
    const Valores v = valoresDelPanel(p);
    // Fitted as the record of a refused write is, so every field keeps its place.
    const std::string escrito =
        datos(v, RellenaF(v.clave, 5), v.digitosLocal.size() == 1 ? v.digitosLocal : std::string("F"));
    std::string buffer;
    auto crudo = [&](std::size_t inicio, std::size_t ancho) { return std::string(campoMapa(mapa, inicio, ancho, buffer)); };
    auto escritoEn = [&](std::size_t inicio, std::size_t ancho) {
        return inicio - 1 + ancho <= escrito.size() ? escrito.substr(inicio - 1, ancho) : std::string();
    };
    for (std::size_t i = 0; i < kCampos_n; ++i) {
        const Campo& c = kCampos[i];
        const std::size_t ancho = c.codigo == Codigo::Memoria ? 16 : 6;
        const std::string& texto = esClave(c) ? v.clave : v.campos[i];
        bool valido = esClave(c) ? ClaveValida(texto) : campoValido(c, texto);
        // The durations' boxes take no more than 255.
        const std::string_view n = c.control;
        if (valido && (n == "ZylTexQuiSMT" || n == "ZylTexQuiLDT")) valido = codec::ValorDecimal(texto, 0) <= 255;
        // A key's sixth character is the write's own "F": another one there is changed, not lost.
        const std::size_t propios = c.codigo == Codigo::ClaveF ? 5 : ancho;
        if (propios < ancho && crudo(c.inicio + propios, 1) != "F") MarcaCambioAlEscribir(p, "Relleno de las claves");
        if (valido && MismoEnEquipo(escritoEn(c.inicio, propios), crudo(c.inicio, propios))) continue;
        if (n == "ZylTexQuiSMNP" || n == "ZylTexQuiLDNP") MarcaCambioAlEscribir(p, nombreDe(w, c));
        else MarcaNoEscribible(p, c.control, c.indice, nombreDe(w, c));
    }
    // The key's first copy is written from the box too.
    if (ClaveValida(v.clave) && !MismoEnEquipo(escritoEn(kPosClave, 5), crudo(kPosClave, 5)))
        MarcaCambioAlEscribir(p, "Clave (primera copia)");
    if (crudo(kPosClave + 5, 1) != "F") MarcaCambioAlEscribir(p, "Relleno de las claves");
    // The flag nibbles: restriction 1's bit is always set by a write.
    if (escritoEn(kPosNibbleC, 5) != crudo(kPosNibbleC, 5)) MarcaCambioAlEscribir(p, "Restricciones");
    if (!DigitosLocalValidos(v.digitosLocal) || escritoEn(kPosDigitosLocal, 1) != crudo(kPosDigitosLocal, 1))
        MarcaNoEscribible(p, "ZylComQuiDLL", -1, CaptionDe(w, "ZylLabQuiDLL"));
}

}  // namespace

void CargaConfQuintavo(Programa& p) {
    ZylForPri& w = p.pri();
    records::Record r;
    if (!AbreConfiguracion(p, kNombre, 6, kPanel, 5, r)) return;
    troncal(w).setCaption(r[0]);
    estadoDesde(troncal(w), r[20]);
    seleccionaDigitos(w, r[21]);
    etiqueta(w, "ZylLabQuiSMNP").setCaption(r[2]);
    caja(w, "ZylTexQuiSMNP").setText(r[22]);
    etiqueta(w, "ZylLabQuiLDNP").setCaption(r[3]);
    caja(w, "ZylTexQuiLDNP").setText(r[23]);
    etiqueta(w, "ZylLabQuiSMT").setCaption(r[4]);
    caja(w, "ZylTexQuiSMT").setText(r[24]);
    etiqueta(w, "ZylLabQuiLDT").setCaption(r[5]);
    caja(w, "ZylTexQuiLDT").setText(r[25]);
    caja(w, "ZylTexQuiSMC").setText(r[26]);
    caja(w, "ZylTexQuiLDC").setText(r[27]);
    MuestraConfiguracion(p, kPanel, 5);
}

void LeeEquipoQuintavo(Programa& p) {
    // A damaged image changes nothing: the watchdog ends the read with its message.
    if (!TomaImagen(p, trama(), SiDanada::EsperaVigilante)) return;
    const std::string mapa = p.MapaLectura;
    ZylForPri& w = p.pri();
    const Lectura l = Decodifica(mapa);
    p.VersionEquipo = l.version;
    CargaConfQuintavo(p);
    MuestraCabeceraLectura(p, kPanel, l.usuarioGardomelinta, l.modificadorGardomelinta);
    const Valores& v = l.valores;
    w.ZylTexBan->setText(v.banderas);
    p.TroncalQuintavo = v.troncal;
    troncal(w).setValue(v.troncal == "1" ? 1 : 0);
    for (std::size_t i = 0; i < kCampos_n; ++i) {
        if (esClave(kCampos[i])) continue;
        forms::TextBox& t = caja(w, kCampos[i].control, kCampos[i].indice);
        if (kCampos[i].codigo == Codigo::Tres) t.setText(v.campos[i]);
        else escribePorCaracter(t, v.campos[i]);
    }
    // The key box is emptied first, so a key its check refuses leaves it empty, not stale.
    w.ZylTexResCla->setText("");
    w.ZylTexResCla->setText(v.clave);
    seleccionaDigitos(w, v.digitosLocal);
    marcaLectura(p, mapa);
    CierraLectura(p, kPanel, 6);
}

bool PreparaEnvioQuintavo(Programa& p) {
    ZylForPri& w = p.pri();
    p.ImagenEnvio.clear();
    const Valores v = valoresDelPanel(p);
    const std::string clase = claseInstalacion(w);
    // Only a key the device takes, and a local-call digit it knows, let the write go out.
    RegistraEscritura(p, ArmaImagen(v, app::FirmwareDeEnvio(p), clase),
                      [&] { return ArmaImagenAjustada(v, app::FirmwareDeEnvio(p), clase); });
    return true;
}

bool ArmaComandoQuintavo(Programa& p) {
    const std::string& n = p.NumeroComando;
    Falta falta = Falta::Ninguna;
    if (n == "10") {
        std::string nueva = p.pri().ZylTexResCla->text();
        if (auto* v = p.ventanaSiExiste<ZylForCamCla>()) nueva = v->ZylTextCanCka->text();
        const auto cadena =
            ArmaComando(n, p.ValorComando, p.pri().ZylTexResCla->text(), "", p.ClaveAnterior, nueva, p.Separador, &falta);
        return cadena ? TomaCadena(p, cadena) : Rehusa(p, falta);
    }
    static const char* kConImagen[] = {"1", "3", "4", "6", "11", "12", "13", "14", "15", "16", "17", "18"};
    bool conImagen = false;
    for (const char* c : kConImagen) conImagen = conImagen || n == c;
    if (!conImagen && n != "19" && n != "20") return Rehusa(p, Falta::SinComando);
    const bool casilla = n == "1" || n == "3" || n == "4" || n == "6" || n == "11";
    if (n == "17" || n == "18") {
        long i = 0;
        if (!enteroDeTexto(p.IndiceComando, i)) return Rehusa(p, Falta::SinComando);
        p.IndiceComando = std::to_string(i + 1);
    }
    if (conImagen) p.ImagenEnvio = casilla ? DigitoOpcion(p.ValorComando).value_or(p.ValorComando) : p.ValorComando;
    // The command is judged by its key and its own value, not by the state a write of the whole
    // panel left: one counter the device could not take does not stop "Borrar Contador".
    const auto cadena = ArmaComando(n, p.ValorComando, p.pri().ZylTexResCla->text(), p.IndiceComando, p.ClaveAnterior,
                                    "", p.Separador, &falta);
    return cadena ? TomaCadena(p, cadena) : Rehusa(p, falta);
}

// ---------------------------------------------------------------- panel

namespace {

void creaPanel(ZylForPri& w, forms::Frame& panel) {
    using namespace zylma::forms;
    panel.setCaption("");
    auto& titulo = w.add<Label>("ZylLabQuiTit", -1, &panel);
    titulo.setCaption("Quintavo");
    titulo.move(240, 180, 3000, 300);

    // The two metering groups side by side.
    auto grupo = [&](const char* fra, const char* cap, const char* sufijo, int izq, int idxContador,
                     const char* boton) {
        auto& f = w.add<Frame>(fra, -1, &panel);
        f.setCaption(cap);
        f.move(izq, 540, 3510, 1680);
        const std::string s(sufijo);
        auto& lc = w.add<Label>("ZylLab" + s + "C", idxContador, &f);
        lc.setCaption("Contador");
        lc.move(90, 300, 2760, 300);
        auto& tc = w.add<TextBox>("ZylTex" + s + "C", -1, &f);
        tc.setMaxLength(3);
        tc.move(2880, 270, 540, 315);
        auto& lnp = w.add<Label>("ZylLab" + s + "NP", -1, &f);
        lnp.setCaption("Número de llamadas permitidas");
        lnp.move(90, 660, 2760, 300);
        auto& tnp = w.add<TextBox>("ZylTex" + s + "NP", -1, &f);
        tnp.setMaxLength(3);
        tnp.move(2880, 630, 540, 315);
        auto& lt = w.add<Label>("ZylLab" + s + "T", -1, &f);
        lt.setCaption("Tiempo de duración");
        lt.move(90, 1020, 2760, 300);
        auto& tt = w.add<TextBox>("ZylTex" + s + "T", -1, &f);
        tt.setMaxLength(3);
        tt.move(2880, 990, 540, 315);
        auto& b = w.add<Button>(boton, -1, &f);
        b.setCaption("Borrar Contador");
        b.move(90, 1350, 1800, 270);
    };
    grupo("ZylFraQuiSM", "Servicio Medido", "QuiSM", 60, 1, "ZylCmdQuiSMB");
    grupo("ZylFraQuiLD", "Larga Distancia", "QuiLD", 3630, 0, "ZylCmdQuiLDB");

    // Operation keys: element k is key number k + 1.
    auto& claves = w.add<Frame>("Frame1", -1, &panel);
    claves.setCaption("Claves de operación");
    claves.move(60, 2340, 3510, 1680);
    const int etiquetas[] = {0, 5, 6, 7};
    for (int k = 1; k <= 4; ++k) {
        auto& l = w.add<Label>("ZylLabQuiClv", etiquetas[k - 1], &claves);
        l.setCaption("Clave #0" + std::to_string(k + 1));
        l.move(240, 300 + (k - 1) * 330, 1200, 300);
        auto& t = w.add<TextBox>("ZylTexQuiClv", k, &claves);
        t.setMaxLength(5);
        t.move(1560, 270 + (k - 1) * 330, 1080, 315);
    }

    auto& par = w.add<Frame>("ZylFraQuiPar", -1, &panel);
    par.setCaption("");
    par.move(3630, 2340, 3510, 1680);
    auto& ldll = w.add<Label>("ZylLabQuiDLL", -1, &par);
    ldll.setCaption("Dígitos para llamada local");
    ldll.move(120, 330, 2400, 300);
    auto& c = w.add<ComboBox>("ZylComQuiDLL", -1, &par);
    c.style = ComboBox::DropDownList;  // only the four lengths the device knows
    for (const char* d : kDigitosLocal) c.addItem(d);
    c.setText("Combo1");
    c.move(2580, 300, 720, 315);
    auto& con = w.add<CheckBox>("ZylChkQuiCon", 3, &par);
    con.setCaption("Troncal de conmutador");
    con.move(120, 840, 3180, 300);

    auto& tel = w.add<Frame>("ZylFraQuiNumTel", -1, &panel);
    tel.setCaption("Números de teléfono");
    tel.move(60, 4140, 7080, 1260);
    const int etiquetasTel[] = {18, 17, 16, 15, 14};
    for (int i = 0; i < 5; ++i) {
        const int col = i / 3, fila = i % 3;
        auto& l = w.add<Label>("ZylLabQuiNumTel", etiquetasTel[i], &tel);
        l.setCaption("0" + std::to_string(i + 1));
        l.move(240 + col * 3420, 300 + fila * 315, 360, 300);
        auto& t = w.add<TextBox>("ZylTexQuiNumTel", i, &tel);
        t.setMaxLength(16);
        t.move(660 + col * 3420, 270 + fila * 315, 2520, 300);
    }
}

std::vector<Disparador> disparadores() {
    std::vector<Disparador> f;
    auto fila = [&](const char* control, int indice, Gesto g, const char* numero, ValorDe valor, bool pasaIndice = false) {
        f.push_back(Fila(control, indice, g, numero, valor, pasaIndice));
        return &f.back();
    };
    fila("ZylChkQuiCon", 3, Gesto::PulsacionDerecha, "11", ValorDe::Estado);
    fila("ZylTexQuiSMNP", -1, Gesto::DobleClic, "12", ValorDe::Texto);
    fila("ZylTexQuiSMT", -1, Gesto::DobleClic, "13", ValorDe::Texto);
    fila("ZylTexQuiLDNP", -1, Gesto::DobleClic, "14", ValorDe::Texto);
    fila("ZylTexQuiLDT", -1, Gesto::DobleClic, "15", ValorDe::Texto);
    fila("ZylLabQuiDLL", -1, Gesto::DobleClic, "16", ValorDe::TextoDe)->origen = "ZylComQuiDLL";
    for (int k = 1; k <= 4; ++k) fila("ZylTexQuiClv", k, Gesto::DobleClic, "17", ValorDe::Texto, true);
    for (int i = 0; i <= 4; ++i) fila("ZylTexQuiNumTel", i, Gesto::DobleClic, "18", ValorDe::Texto, true);
    fila("ZylCmdQuiSMB", -1, Gesto::Clic, "19", ValorDe::Nada);
    fila("ZylCmdQuiLDB", -1, Gesto::Clic, "20", ValorDe::Nada);
    return f;
}

std::vector<Validador> validadores() {
    constexpr const char* kClave = "ERROR EN LA CLAVE";
    constexpr const char* kContador = "ERROR EN EL CONTADOR";
    std::vector<Validador> v;
    for (int k = 1; k <= 4; ++k) v.push_back({"ZylTexQuiClv", k, Regla::Digitos, kClave});
    v.push_back({"ZylTexQuiLDC", -1, Regla::Digitos, kContador});
    v.push_back({"ZylTexQuiLDNP", -1, Regla::Digitos, kContador});
    v.push_back({"ZylTexQuiLDT", -1, Regla::Tiempo, kClave});
    v.push_back({"ZylTexQuiSMC", -1, Regla::Digitos, kClave});
    v.push_back({"ZylTexQuiSMNP", -1, Regla::Digitos, kClave});
    v.push_back({"ZylTexQuiSMT", -1, Regla::Tiempo, kClave});
    for (int i = 0; i <= 4; ++i) v.push_back({"ZylTexQuiNumTel", i, Regla::DigitosEstrella, ""});
    return v;
}

}  // namespace

app::ModeloEquipo Modelo() {
    app::ModeloEquipo m = Unidad(kNombre, kPanel, "02", CargaConfQuintavo, LeeEquipoQuintavo,
                                 PreparaEnvioQuintavo, ArmaComandoQuintavo);
    // The checks of ArmaImagen: the key, the local-call digits, then every field of the layout.
    m.camposRechazados = [](Programa& p) {
        std::vector<Revision> r = {{"ZylTexResCla", -1, ClaveValida}, {"ZylComQuiDLL", -1, DigitosLocalValidos}};
        for (const Campo& c : kCampos)
            if (!esClave(c)) r.push_back({c.control, c.indice, [&c](std::string_view t) { return campoValido(c, t); }});
        return CamposRechazados(p, r);
    };
    m.creaPanel = creaPanel;
    m.disparadores = disparadores();
    m.validadores = validadores();
    return m;
}

}  // namespace zylma::models::quintavo
