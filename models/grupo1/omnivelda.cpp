#include "grupo1/omnivelda.h"

#include "zylma/app/enlace.h"
#include "zylma/app/lectura.h"
#include "zylma/app/monitor.h"
#include "zylma/app/programa.h"
#include "zylma/app/zyl_for_pri.h"
#include "comun.h"
#include "zylma/app/ida_vuelta.h"
#include "zylma/codec/conversores.h"
#include "zylma/codec/imagen.h"
#include "zylma/records/records.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace zylma::models::omnivelda {

using namespace zylma::app;
namespace codec = zylma::codec;

namespace {

constexpr const char* kNombre = "Omnivelda";
constexpr const char* kPanel = "ZylFraOmn";

const codec::ModeloTrama& trama() { return *codec::BuscaModelo("05"); }

// The table covers the data part after the flags without a gap or an overlap.
constexpr bool tablaContigua() {
    std::size_t siguiente = 11;
    for (const Campo& c : kTabla) {
        if (c.inicio != siguiente) return false;
        siguiente += Ancho(c);
    }
    return siguiente == kLongitudDatos + 1;
}
static_assert(tablaContigua(), "the field table must cover data characters 11 to 248");
static_assert(PosicionMapa(kDatosBloque1) == 128 && PosicionMapa(kDatosBloque1 + 1) == 133);
static_assert(PosicionMapa(kLongitudDatos) == 258);

bool soloDe(std::string_view t, std::string_view admitidos) {
    for (char c : t)
        if (!(c >= '0' && c <= '9') && admitidos.find(c) == std::string_view::npos) return false;
    return true;
}

// The character at a map position, or 0 past the end of the image.
char en(std::string_view mapa, std::size_t posicion) {
    std::string_view c = codec::Posiciones(mapa, posicion, posicion);
    return c.empty() ? '\0' : c[0];
}

}  // namespace

// ---------------------------------------------------------------- codec

bool ClaveValida(std::string_view clave) {
    return clave.size() == 4 && clave[0] != '0' && soloDe(clave, "");
}

std::optional<std::string> CodificaCampo(const Campo& c, std::string_view texto) {
    std::string out;
    switch (c.forma) {
    case Forma::Tiempo: {
        // A number of up to three digits: a short text is the same number, not a shifted one.
        if (!soloDe(texto, "")) return std::nullopt;
        long valor = 0;
        for (char d : texto) {
            valor = valor * 10 + (d - '0');
            if (valor > 255) return std::nullopt;
        }
        const char digitos[3] = {static_cast<char>('0' + valor / 100), static_cast<char>('0' + valor / 10 % 10),
                                 static_cast<char>('0' + valor % 10)};
        for (char d : digitos) (out += '0') += d;
        return out;
    }
    case Forma::Marcacion: {
        if (texto.size() > c.digitos || !soloDe(texto, "*#")) return std::nullopt;
        std::string digitos(texto);
        digitos.resize(c.digitos, 'F');
        for (char d : digitos) (out += '0') += d;
        return out;
    }
    case Forma::Clave:
        if (!ClaveValida(texto)) return std::nullopt;
        return std::string(texto);
    case Forma::Memoria: {
        std::string_view digitos = texto.substr(0, std::min(texto.size(), c.digitos));
        if (!soloDe(digitos, "*#")) return std::nullopt;
        out = std::string(digitos);
        out.resize(c.digitos, 'F');
        return out;
    }
    }
    return std::nullopt;
}

std::string NibblesBanderas(std::string_view banderas) {
    int nibble[3] = {0, 0, 1};  // data characters 6, 7 and 8
    for (const BitRestriccion& b : kBits) {
        const std::size_t k = static_cast<std::size_t>(b.restriccion - 1);
        if (k < banderas.size() && banderas[k] == '1') nibble[b.caracter - 6] |= b.valor;
    }
    std::string out;
    for (int n : nibble) out += codec::DigitoHex(n);
    return out;
}

namespace {

// A field that cannot stand, fitted to its place: what its place can hold, "F" elsewhere.
std::string ajustaCampo(const Campo& c, std::string_view texto) {
    if (auto campo = CodificaCampo(c, texto)) return *campo;
    std::string digitos(texto.substr(0, std::min(texto.size(), c.digitos)));
    const std::string_view otros = c.forma == Forma::Marcacion || c.forma == Forma::Memoria ? "*#" : "";
    for (char& d : digitos)
        if (c.forma == Forma::Tiempo || !soloDe(std::string_view(&d, 1), otros)) d = 'F';
    digitos.resize(c.digitos, 'F');
    if (Ancho(c) == c.digitos) return digitos;
    std::string out;
    for (char d : digitos) (out += '0') += d;
    return out;
}

// The image from the panel's fields, each through `campo`; nothing when one cannot stand.
template <class Codifica>
std::optional<Imagen> arma(std::string_view modificador, const Valores& v, std::string_view firmware,
                           std::string_view clase, Codifica campo) {
    Imagen img;
    const std::string mod = Ajusta(modificador, 4);
    img.datos = mod + "2" + NibblesBanderas(v.banderas) + "00";
    for (std::size_t i = 0; i < kCampos; ++i) {
        std::optional<std::string> c = campo(kTabla[i], v.campos[i]);
        if (!c) return std::nullopt;
        img.datos += *c;
    }
    if (img.datos.size() != kLongitudDatos) return std::nullopt;
    codec::EncabezadoEnvio cab{"05", codec::ByteVersion(firmware), codec::CodigoTipoUsuario(clase), mod};
    img.trama = codec::ArmaTramaEnvio(2, cab, std::string_view(img.datos).substr(4, kDatosBloque1 - 4),
                                      img.datos.substr(kDatosBloque1) + "6E");
    if (img.trama.empty()) return std::nullopt;
    img.mascara = codec::ArmaMascara(trama().longitud);
    return img;
}

}  // namespace

std::optional<Imagen> ArmaImagen(std::string_view modificador, const Valores& v, std::string_view firmware,
                                 std::string_view clase) {
    return arma(modificador, v, firmware, clase, CodificaCampo);
}

Imagen ArmaImagenAjustada(std::string_view modificador, const Valores& v, std::string_view firmware,
                          std::string_view clase) {
    // Every field fitted has its exact width, so the image is always whole.
    return *arma(modificador, v, firmware, clase,
                 [](const Campo& c, std::string_view t) -> std::optional<std::string> { return ajustaCampo(c, t); });
}

Lectura Decodifica(std::string_view mapa) {
    Lectura l = LecturaConCabecera<Lectura>(mapa);
    for (std::size_t i = 0; i < kCampos; ++i) {
        const Campo& c = kTabla[i];
        std::string crudo;  // the field's device characters
        std::string texto;
        for (std::size_t j = 0; j < c.digitos; ++j) {
            // One digit per byte (its low nibble) or one per nibble.
            const std::size_t dato = Ancho(c) == c.digitos ? c.inicio + j : c.inicio + 2 * j + 1;
            const char ch = en(mapa, PosicionMapa(dato));
            if (c.forma == Forma::Tiempo)
                texto += std::to_string(codec::ValorDigitoHex(ch));
            else if (ch)
                crudo += ch;
        }
        if (c.forma == Forma::Clave)
            texto = codec::DigitosAMarcacion(crudo);  // the no-digit "F" of an unprogrammed key is nothing
        else if (c.forma != Forma::Tiempo)
            texto = codec::DigitosAMarcacion(crudo);
        l.campos[i] = texto;
    }
    l.banderas = "0000";
    for (const BitRestriccion& b : kBits)
        if (codec::ValorDigitoHex(en(mapa, PosicionMapa(b.caracter))) & b.valor)
            l.banderas[static_cast<std::size_t>(b.restriccion - 1)] = '1';
    const int a = codec::ValorDigitoHex(en(mapa, PosicionMapa(6)));
    if (a == 1) l.libera = true;
    if (a == 0) l.libera = false;
    return l;
}

std::string OpcionCasilla(std::string_view valor) { return models::OpcionCasilla(valor).value_or(""); }

Comando ArmaComando(std::string_view numero, std::string_view valor, std::string_view indice,
                    std::string_view clave, std::string_view claveAnterior, std::string_view separador,
                    bool claveActiva) {
    static constexpr std::pair<std::string_view, std::string_view> kCasillas[] = {
        {"1", "#24"}, {"2", "#25"}, {"6", "#26"}, {"11", "#28"},
    };
    static constexpr std::pair<std::string_view, std::string_view> kTiempos[] = {
        {"12", "#21"}, {"13", "#22"},
    };
    const std::string S(separador);
    const std::string key(clave);
    Comando c;
    // The command is built only from a key the device takes and a value its place can hold.
    auto arma = [&](Falta porValor, std::string cadena) {
        if (!claveActiva) c.falta = Falta::Clave;
        else if (porValor != Falta::Ninguna) c.falta = porValor;
        else c.cadena = std::move(cadena);
    };
    for (auto [n, codigo] : kCasillas) {
        if (numero != n) continue;
        // Only a ticked or a clear box is a setting the device can take.
        c.atendido = true;
        const std::string opcion = OpcionCasilla(valor);
        c.imagen = opcion;
        arma(opcion.empty() ? FaltaCasilla(valor) : Falta::Ninguna, std::string(codigo) + S + key + S + opcion);
        return c;
    }
    for (auto [n, codigo] : kTiempos) {
        if (numero != n) continue;
        // A time goes as typed: a time of 1 is 1, not the "9" of a ticked box.
        c.atendido = true;
        c.imagen = std::string(valor);
        const Falta f = valor.empty() ? Falta::Vacio
                        : valor.size() > 3 || !CodificaCampo(kTabla[0], valor) ? Falta::Valor
                                                                              : Falta::Ninguna;
        arma(f, std::string(codigo) + S + key + S + std::string(valor));
        return c;
    }
    if (numero == "14") {
        c.atendido = true;
        c.imagen = std::string(valor);
        // Characters 1, 2 and 3 of the code, each empty where the code is shorter: the device
        // keeps an empty place as "no digit", so "9" is the one digit 9.
        std::string cadena = "#23" + S + key;
        for (std::size_t i = 0; i < 3; ++i) cadena += S + std::string(valor.substr(std::min(i, valor.size()), 1));
        arma(CodificaCampo(kTabla[2], valor) ? Falta::Ninguna : Falta::Valor, cadena);
        return c;
    }
    if (numero == "15" || numero == "16") {
        c.atendido = true;
        // The element index of the trigger; a memory outside the table is no command.
        if (indice.empty() || indice.size() > 2 || !soloDe(indice, "")) {
            c.falta = Falta::SinComando;
            return c;
        }
        int n = std::stoi(std::string(indice));
        if (numero == "15" ? n > 13 : (n < 13 || n > 22)) {
            c.falta = Falta::SinComando;
            return c;
        }
        if (numero == "16") n += 1;
        char memoria[3];
        std::snprintf(memoria, sizeof memoria, "%02d", n);
        c.indice = memoria;
        c.imagen = std::string(valor);
        const std::size_t ancho = numero == "15" ? 4 : 16;
        arma(valor.size() <= ancho && soloDe(valor, "*#") ? Falta::Ninguna : Falta::Valor,
             "#27" + key + S + memoria + S + std::string(valor));
        return c;
    }
    if (numero == "17") {
        c.atendido = true;
        arma(Falta::Ninguna, "#30" + key);
        return c;
    }
    if (numero == "10") {
        c.atendido = true;
        // The new key stands in the key box: one the device would not take is not sent.
        if (claveActiva) c.cadena = "#20" + std::string(claveAnterior) + S + key;
        else c.falta = Falta::ClaveNueva;
        return c;
    }
    c.falta = Falta::SinComando;
    return c;
}

// ---------------------------------------------------------------- procedures

void CargaConfOmnivelda(Programa& p) {
    ZylForPri& w = p.pri();
    records::Record r;
    if (!AbreConfiguracion(p, kNombre, 6, kPanel, 4, r)) return;
    auto texto = [&w](const char* nombre) { return w.findAs<forms::TextBox>(nombre); };
    auto etiqueta = [&w](const char* nombre) { return w.find(nombre); };
    auto* libera = w.findAs<forms::CheckBox>("ZylChkOmnLib");
    libera->setCaption(r[3]);
    if (r[23] == "1") libera->setValue(forms::CheckBox::Checked);
    if (r[23] == "0") libera->setValue(forms::CheckBox::Unchecked);
    etiqueta("ZylLabOmnDurP")->setCaption(r[0]);
    texto("ZylTexOmnDurP")->setText(r[20]);
    etiqueta("ZylLabOmnDurL")->setCaption(r[1]);
    texto("ZylTexOmnDurL")->setText(r[21]);
    etiqueta("ZylLabOmnCon")->setCaption(r[2]);
    texto("ZylTexOmnCon")->setText(r[22]);
    etiqueta("ZylFraOmnFraMe4")->setCaption(r[5]);
    etiqueta("ZylFraOmnFraM16")->setCaption(r[6]);
    for (std::size_t k = 0; k < kMemorias4; ++k)
        w.findAs<forms::TextBox>("ZylTxtOmnMe4", static_cast<int>(k))->setText("");
    for (std::size_t k = 0; k < kMemorias16; ++k)
        w.findAs<forms::TextBox>("ZylTxtOmnMe16", static_cast<int>(k))->setText("");
    MuestraConfiguracion(p, kPanel, 4);
}

void LeeEquipoOmnivelda(Programa& p) {
    if (!LecturaLista(p, trama())) return;
    ZylForPri& w = p.pri();
    const std::string mapa = p.MapaLectura;
    const bool enVivo = p.LecturaEnVivo == 1;
    for (int bloque : {1, 2}) {
        if (codec::SumaBloqueCorrecta(mapa, bloque)) continue;
        if (bloque == 2) p.ContadorReintentos = 0;
        // The failure is reported here, once: the read ends (the watchdog stops, the reception
        // closes, the model shown before stays known), so no second message follows and a
        // later answer is read afresh.
        const std::string texto = bloque == 1 ? "Error de Comunicación1!" : "Error de Comunicación2!";
        if (enVivo) {
            TerminaConFalla(p, texto);
        } else {
            p.mensaje(texto);
            w.ZylTexEst->setText("Zylma");
        }
        p.LecturaEnVivo = 1;
        return;
    }
    LecturaCompleta(p);
    const Lectura l = Decodifica(mapa);
    p.VersionEquipo = l.version;
    CargaConfOmnivelda(p);
    MuestraCabeceraLectura(p, kPanel, l.usuarioGardomelinta, l.modificadorGardomelinta);
    w.ZylTexResCla->setText(l.campos[kCampoClave]);
    if (l.libera)
        w.findAs<forms::CheckBox>("ZylChkOmnLib")
            ->setValue(*l.libera ? forms::CheckBox::Checked : forms::CheckBox::Unchecked);
    for (std::size_t i = 0; i < kCampos; ++i) {
        if (i == kCampoClave) continue;
        auto* caja = w.findAs<forms::TextBox>(std::string(kTabla[i].control), kTabla[i].indice);
        if (kTabla[i].forma == Forma::Memoria) caja->setText("");
        caja->setText(l.campos[i]);
    }
    w.ZylTexBan->setText(l.banderas);
    // Each field goes back as the builder would write the box: the same device characters, the
    // device's "A", "B", "C" standing for the "0", "*", "#" the builder writes as typed.
    auto codigoEquipo = [](std::string t) {
        for (char& c : t) c = c == '0' ? 'A' : c == '*' ? 'B' : c == '#' ? 'C' : c;
        return t;
    };
    for (std::size_t i = 0; i < kCampos; ++i) {
        const Campo& c = kTabla[i];
        std::string crudo;
        for (std::size_t j = 1; j <= Ancho(c); ++j) crudo += en(mapa, PosicionMapa(c.inicio + j - 1));
        const auto texto = i == kCampoClave ? w.ZylTexResCla->text() : leeTexto(w, std::string(c.control).c_str(), c.indice);
        const auto escrito = CodificaCampo(c, texto);
        const bool vuelve = escrito && (c.forma == Forma::Tiempo ? *escrito == crudo
                                                                 : codigoEquipo(*escrito) == codigoEquipo(crudo));
        std::string nombre;
        if (i == kCampoClave) nombre = "Clave";
        else if (c.forma == Forma::Memoria)
            nombre = CaptionDe(w, c.digitos == 4 ? "ZylFraOmnFraMe4" : "ZylFraOmnFraM16") + " " +
                     CaptionDe(w, c.digitos == 4 ? "ZylLabOmnMe4" : "ZylLabOmnMe16", c.indice);
        else nombre = CaptionDe(w, c.control == "ZylTexOmnCon" ? "ZylLabOmnCon" : c.control == "ZylTexOmnDurL" ? "ZylLabOmnDurL" : "ZylLabOmnDurP");
        MarcaSi(!vuelve, p, std::string(c.control).c_str(), c.indice, nombre);
    }
    // The flag bytes' other bits are fixed by the write ("2", value 1 always set, "00").
    std::string banderas;
    for (std::size_t j = 5; j <= 10; ++j) banderas += en(mapa, PosicionMapa(j));
    if (banderas != "2" + NibblesBanderas(l.banderas) + "00") MarcaCambioAlEscribir(p, "Restricciones");
    CierraLectura(p, kPanel, 3);
}

bool PreparaEnvioOmnivelda(Programa& p) {
    ZylForPri& w = p.pri();
    p.ImagenEnvio.clear();
    Valores v;
    for (std::size_t i = 0; i < kCampos; ++i)
        if (auto* caja = w.findAs<forms::TextBox>(std::string(kTabla[i].control), kTabla[i].indice))
            v.campos[i] = caja->text();
    v.banderas = w.ZylTexBan->text();
    const std::string clase = claseInstalacion(w);
    // A field that cannot stand in the layout (an empty key would leave four characters out of
    // the data part and move every later byte on the device): a write sends nothing ("Error en
    // Captura"), but is recorded with every field fitted.
    RegistraEscritura(p, ArmaImagen(p.CodigoModificador, v, app::FirmwareDeEnvio(p), clase),
                      [&] { return ArmaImagenAjustada(p.CodigoModificador, v, app::FirmwareDeEnvio(p), clase); });
    // A remote command does not carry the image: it goes on with the key's state alone.
    if (p.EnviaImagen != "1")
        p.EstadoCaptura = ClaveValida(w.ZylTexResCla->text()) ? "Activado" : "DesActivado";
    return true;
}

bool ArmaComandoOmnivelda(Programa& p) {
    // The key is judged here, not taken from the state an earlier write left behind.
    const std::string clave = p.pri().ZylTexResCla->text();
    const Comando c = ArmaComando(p.NumeroComando, p.ValorComando, p.IndiceComando, clave, p.ClaveAnterior,
                                  p.Separador, ClaveValida(clave));
    if (c.indice) p.IndiceComando = *c.indice;
    if (c.imagen) p.ImagenEnvio = *c.imagen;
    if (!c.cadena) return Rehusa(p, c.falta);
    p.CadenaComando = *c.cadena;
    return true;
}

// ---------------------------------------------------------------- panel

namespace {

// Geometry in twips inside the 7200 x 5460 panel.
void creaPanel(ZylForPri& w, forms::Frame& panel) {
    using namespace zylma::forms;
    panel.setCaption("");
    auto& titulo = w.add<Label>("ZylLblOmnTit", -1, &panel);
    titulo.setCaption("Omnivelda");
    titulo.move(120, 60, 3000, 285);

    auto& tie = w.add<Frame>("ZylFraOmnFraTie", -1, &panel);
    tie.setCaption("");
    tie.move(120, 360, 6960, 1080);
    struct Fila {
        const char *caja, *etiqueta, *caption;
    };
    const Fila filas[] = {
        {"ZylTexOmnCon", "ZylLabOmnCon", "Dígitos para salir del conmutador"},
        {"ZylTexOmnDurL", "ZylLabOmnDurL", "Tiempo de duración para llamadas libres"},
        {"ZylTexOmnDurP", "ZylLabOmnDurP", "Tiempo de duración para llamadas prohibidas"},
    };
    int arriba = 150;
    for (const Fila& f : filas) {
        auto& e = w.add<Label>(f.etiqueta, -1, &tie);
        e.setCaption(f.caption);
        e.move(180, arriba + 30, 5400, 255);
        auto& t = w.add<TextBox>(f.caja, -1, &tie);
        t.setMaxLength(3);
        t.move(5760, arriba, 840, 285);
        arriba += 300;
    }

    auto& me4 = w.add<Frame>("ZylFraOmnFraMe4", -1, &panel);
    me4.setCaption("Memorias de 4 dígitos");
    me4.move(120, 1500, 6960, 1560);
    for (int k = 0; k < static_cast<int>(kMemorias4); ++k) {
        const int col = k / 4, fila = k % 4;
        const int izq = 180 + col * 1680, top = 270 + fila * 300;
        auto& e = w.add<Label>("ZylLabOmnMe4", k, &me4);
        char n[3];
        std::snprintf(n, sizeof n, "%02d", k);
        e.setCaption(n);
        e.move(izq, top + 30, 360, 255);
        auto& t = w.add<TextBox>("ZylTxtOmnMe4", k, &me4);
        t.setMaxLength(4);
        t.move(izq + 420, top, 960, 285);
    }

    auto& m16 = w.add<Frame>("ZylFraOmnFraM16", -1, &panel);
    m16.setCaption("Memorias de 16 dígitos");
    m16.move(120, 3120, 6960, 1800);
    for (int k = 0; k < static_cast<int>(kMemorias16); ++k) {
        const int col = k / 5, fila = k % 5;
        const int izq = 180 + col * 3420, top = 270 + fila * 300;
        auto& e = w.add<Label>("ZylLabOmnMe16", k, &m16);
        e.setCaption("0" + std::to_string(k));
        e.move(izq, top + 30, 360, 255);
        auto& t = w.add<TextBox>("ZylTxtOmnMe16", k, &m16);
        t.setMaxLength(16);
        t.move(izq + 420, top, 2760, 285);
    }

    auto& lib = w.add<Frame>("ZylFraOmnFraLib", -1, &panel);
    lib.setCaption("");
    lib.move(120, 4980, 6960, 420);
    auto& borra = w.add<Button>("ZylCmdOmnBor", -1, &lib);
    borra.setCaption("Borrar Memorias");
    borra.move(60, 60, 1500, 315);
    auto& libera = w.add<CheckBox>("ZylChkOmnLib", -1, &lib);
    libera.setCaption("Liberar la tabla de memorias de números telfónicos");
    libera.move(1620, 75, 5280, 285);
}

Disparador fila(const char* control, int indice, Gesto gesto, const char* numero, ValorDe valor) {
    return Fila(control, indice, gesto, numero, valor);
}

std::vector<Disparador> disparadores() {
    std::vector<Disparador> d;
    d.push_back(fila("ZylChkOmnLib", -1, Gesto::PulsacionDerecha, "11", ValorDe::Estado));
    d.push_back(fila("ZylTexOmnDurP", -1, Gesto::DobleClic, "12", ValorDe::Texto));
    d.push_back(fila("ZylTexOmnDurL", -1, Gesto::DobleClic, "13", ValorDe::Texto));
    d.push_back(fila("ZylTexOmnCon", -1, Gesto::DobleClic, "14", ValorDe::Texto));
    for (int k = 0; k < static_cast<int>(kMemorias4); ++k) {
        Disparador m = fila("ZylTxtOmnMe4", k, Gesto::DobleClic, "15", ValorDe::Texto);
        m.pasaIndice = true;
        d.push_back(m);
    }
    for (int k = 0; k < static_cast<int>(kMemorias16); ++k) {
        Disparador m = fila("ZylTxtOmnMe16", k, Gesto::DobleClic, "16", ValorDe::Texto);
        m.pasaIndice = true;
        m.desplazamientoIndice = 13;
        d.push_back(m);
    }
    // Only the click erases the memories: a right press on the button is no command of its own.
    d.push_back(fila("ZylCmdOmnBor", -1, Gesto::Clic, "17", ValorDe::Nada));
    return d;
}

std::vector<Validador> validadores() {
    std::vector<Validador> v;
    v.push_back({"ZylTexOmnCon", -1, Regla::DigitosEstrellaGato, ""});
    v.push_back({"ZylTexOmnDurP", -1, Regla::Tiempo, "ZYLMA"});
    v.push_back({"ZylTexOmnDurL", -1, Regla::Tiempo, "ZYLMA"});
    for (int k = 0; k < static_cast<int>(kMemorias4); ++k)
        v.push_back({"ZylTxtOmnMe4", k, Regla::DigitosEstrella, ""});
    for (int k = 0; k < static_cast<int>(kMemorias16); ++k)
        v.push_back({"ZylTxtOmnMe16", k, Regla::Digitos, "ERROR EN LA CLAVE"});
    return v;
}

}  // namespace

app::ModeloEquipo Modelo() {
    app::ModeloEquipo m = Unidad(kNombre, kPanel, "05", CargaConfOmnivelda, LeeEquipoOmnivelda,
                                 PreparaEnvioOmnivelda, ArmaComandoOmnivelda);
    // The checks of ArmaImagen: every row of the layout table.
    m.camposRechazados = [](Programa& p) {
        std::vector<Revision> r;
        for (const Campo& c : kTabla)
            r.push_back({c.control.data(), c.indice, [&c](std::string_view t) { return CodificaCampo(c, t).has_value(); }});
        return CamposRechazados(p, r);
    };
    m.creaPanel = creaPanel;
    m.disparadores = disparadores();
    m.validadores = validadores();
    return m;
}

}  // namespace zylma::models::omnivelda
