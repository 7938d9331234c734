#include "grupo2/fenzo.h"

#include "zylma/app/programa.h"
#include "zylma/app/zyl_for_pri.h"
#include "comun.h"
#include "zylma/app/ida_vuelta.h"
#include "zylma/codec/conversores.h"
#include "zylma/codec/imagen.h"
#include "zylma/forms/control.h"
#include "zylma/records/records.h"

namespace zylma::models::fenzo {

using namespace zylma::app;
namespace codec = zylma::codec;

namespace {

constexpr const char* kNombre = "Fenzo";
constexpr const char* kPanel = "ZylFraFen";

const codec::ModeloTrama& trama() { return *codec::BuscaModelo("0:"); }

bool esDigito(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string ModificadorCuatro(std::string_view m) { return Ajusta(m, 4); }

std::string DigitosDeCampo(std::string_view campo, std::size_t n) {
    return codec::DigitosAMarcacion(campo.substr(0, std::min(n, campo.size())));
}

// ---------------------------------------------------------------- shared layout pieces

std::string DatosDesdeMapa(std::string_view mapa) {
    return std::string(codec::Posiciones(mapa, 7, 128)) + std::string(codec::Posiciones(mapa, 133, 260));
}

static_assert(kDatosEnBloque1 == kDatosPrimerBloque);
std::size_t PosicionMapa(std::size_t i) { return PosicionDatos(i); }

std::size_t Ancho(Dato d) {
    switch (d) {
        case Dato::Modificador: return 4;
        case Dato::Memoria: return 16;
        default: return 6;
    }
}

std::string CampoBanderas(std::string_view banderas, std::string_view troncal) {
    int nibble[6] = {0, 0, 0, 0, 0, 0};
    for (const BitBandera& b : kBits) {
        const bool on = b.restriccion == 0
                            ? troncal == "1"
                            : static_cast<std::size_t>(b.restriccion) <= banderas.size() &&
                                  banderas[static_cast<std::size_t>(b.restriccion - 1)] == '1';
        if (on) nibble[b.caracter - 1] |= b.valor;
    }
    std::string out;
    for (int n : nibble) out += codec::DigitoHex(n);
    return out;
}

std::string BanderasDesdeCampo(std::string_view campo) {
    std::string out(6, '0');
    for (const BitBandera& b : kBits) {
        if (b.restriccion == 0) continue;
        const int v = b.caracter <= campo.size() ? codec::ValorDigitoHex(campo[b.caracter - 1]) : 0;
        if (v & b.valor) out[static_cast<std::size_t>(b.restriccion - 1)] = '1';
    }
    return out;
}

bool TroncalDesdeCampo(std::string_view campo) {
    for (const BitBandera& b : kBits)
        if (b.restriccion == 0)
            return b.caracter <= campo.size() && (codec::ValorDigitoHex(campo[b.caracter - 1]) & b.valor);
    return false;
}

bool ClaveValida(std::string_view clave) {
    if (clave.size() != 5 || clave[0] == '0') return false;
    for (char c : clave)
        if (!esDigito(c)) return false;
    return true;
}

bool TresDigitosValido(std::string_view texto) { return CabeEnCampo(texto, 3); }

std::string CodificaTresDigitos(std::string_view texto) {
    std::string t(texto.substr(0, std::min<std::size_t>(3, texto.size())));
    t.insert(0, 3 - t.size(), '0');
    std::string out;
    for (char c : t) out += std::string("0") + (esDigito(c) ? c : '0');
    return out;
}

std::string DecodificaTresDigitos(std::string_view campo) {
    std::string out;
    for (std::size_t i = 1; i < 6 && i < campo.size(); i += 2)
        out += std::to_string(codec::ValorDigitoHex(codec::CambiaAPorCero(campo.substr(i, 1))));
    return out;
}

bool DigitosValidos(std::string_view texto, std::size_t maximo) { return CabeEnCampo(texto, maximo, "*#"); }

std::optional<std::string> OpcionEstado(std::string_view valor) { return OpcionCasilla(valor); }

std::optional<std::string> OpcionTexto(std::string_view valor) {
    if (!DigitosValidos(valor, valor.size())) return std::nullopt;
    return std::string(valor);
}

std::optional<std::string> OpcionAncho(std::string_view valor, std::size_t ancho, Falta* falta) {
    if (!DigitosValidos(valor, ancho)) {
        Marca(falta, Falta::Valor);
        return std::nullopt;
    }
    return std::string(valor);
}

std::optional<std::string> OpcionDuracion(std::string_view valor, Falta* falta) {
    if (valor.empty() || !TresDigitosValido(valor)) {
        Marca(falta, valor.empty() ? Falta::Vacio : Falta::Valor);
        return std::nullopt;
    }
    return std::string(valor);
}

std::optional<int> Indice(std::string_view texto, int minimo, int maximo) {
    if (texto.empty() || texto.size() > 3) return std::nullopt;
    int v = 0;
    for (char c : texto) {
        if (!esDigito(c)) return std::nullopt;
        v = v * 10 + (c - '0');
    }
    if (v < minimo || v > maximo) return std::nullopt;
    return v;
}

// ---------------------------------------------------------------- the Fenzo's codec

const std::array<Campo, 21> kCampos = {{
    {Dato::Modificador, 0, 1, false},         // map 7-10
    {Dato::Clave, 0, 5, false},               // map 11-16, the Kalmoro's key
    {Dato::Banderas, 0, 11, false},           // map 17-22: C, B, "0", A, "00"
    {Dato::Contador, 0, 17, false},           // map 23-28, digits at 24, 26, 28
    {Dato::DuracionProhibidas, 0, 23, false}, // map 29-34
    {Dato::DuracionLibres, 0, 29, false},     // map 35-40
    {Dato::Memoria, 0, 35, false},            // map 41, memory 01
    {Dato::Memoria, 1, 51, false},            // map 57, memory 02
    {Dato::Memoria, 2, 67, false},            // map 73, memory 03
    {Dato::Memoria, 3, 83, false},            // map 89, memory 04
    {Dato::Memoria, 4, 99, false},            // map 105, memory 05
    {Dato::Memoria, 5, 115, false},           // map 121-128 and 133-140, memory 06
    {Dato::Memoria, 6, 131, false},           // map 141, memory 07
    {Dato::Memoria, 7, 147, false},           // map 157, memory 08
    {Dato::Memoria, 8, 163, false},           // map 173, memory 09
    {Dato::Memoria, 9, 179, false},           // map 189, memory 00
    {Dato::Clave, 1, 195, true},              // map 205-210, the Travesolin's key
    {Dato::ClaveOperacion, 0, 201, true},     // map 211, key #02
    {Dato::ClaveOperacion, 1, 207, true},     // map 217, key #03
    {Dato::ClaveOperacion, 2, 213, true},     // map 223, key #04
    {Dato::ClaveOperacion, 3, 219, true},     // map 229, key #05
}};

bool EsTravesolin(std::string_view version) { return codec::ValorDecimal(version, 0) > 23; }

std::string Rechazo(const Panel& panel) {
    if (!ClaveValida(panel.clave)) return "clave";
    for (const std::string* t : {&panel.contador, &panel.duracionProhibidas, &panel.duracionLibres})
        if (!TresDigitosValido(*t)) return "tres digitos";
    for (const std::string& m : panel.memorias)
        if (!DigitosValidos(m, 16)) return "memoria";
    if (EsTravesolin(panel.version))
        for (const std::string& k : panel.claves)
            if (!DigitosValidos(k, 5)) return "clave de operacion";
    return "";
}

std::string ValorCampo(const Panel& panel, const Campo& c) {
    switch (c.dato) {
        case Dato::Modificador: return ModificadorCuatro(panel.modificador);
        case Dato::Clave: return RellenaF(panel.clave, 5) + "F";
        case Dato::Banderas: return CampoBanderas(panel.banderas, panel.troncal);
        case Dato::Contador: return CodificaTresDigitos(panel.contador);
        case Dato::DuracionProhibidas: return CodificaTresDigitos(panel.duracionProhibidas);
        case Dato::DuracionLibres: return CodificaTresDigitos(panel.duracionLibres);
        case Dato::Memoria: return RellenaF(panel.memorias[static_cast<std::size_t>(c.elemento)], 16);
        case Dato::ClaveOperacion: return RellenaF(panel.claves[static_cast<std::size_t>(c.elemento)], 5) + "F";
    }
    return "";
}

bool CampoValido(const Panel& panel, const Campo& c) {
    switch (c.dato) {
        case Dato::Clave: return ClaveValida(panel.clave);
        case Dato::Contador: return TresDigitosValido(panel.contador);
        case Dato::DuracionProhibidas: return TresDigitosValido(panel.duracionProhibidas);
        // The box takes no more than 255.
        case Dato::DuracionLibres:
            return TresDigitosValido(panel.duracionLibres) && codec::ValorDecimal(panel.duracionLibres, 0) <= 255;
        case Dato::Memoria: return DigitosValidos(panel.memorias[static_cast<std::size_t>(c.elemento)], 16);
        case Dato::ClaveOperacion: return DigitosValidos(panel.claves[static_cast<std::size_t>(c.elemento)], 5);
        default: return true;
    }
}

Imagen ArmaImagen(const Panel& panel) {
    const bool nuevo = EsTravesolin(panel.version);
    Imagen img;
    EscribeCampos(img.datos, kCampos, nuevo, [&](const Campo& c) { return ValorCampo(panel, c); });
    // Block 2 closes with "6E" and 24 "F" after the data. For the Kalmoro, whose data ends
    // early, the block is still filled to its 64 bytes, so the recorded image keeps the frame's
    // length and a replay of it decodes.
    codec::EncabezadoEnvio cab{"05", codec::ByteVersion(panel.firmware), codec::CodigoTipoUsuario(panel.clase),
                               ModificadorCuatro(panel.modificador)};
    const std::string_view d = img.datos;
    img.trama = codec::ArmaTramaEnvio(2, cab, d.substr(4, kDatosEnBloque1 - 4),
                                      std::string(d.substr(kDatosEnBloque1)) + "6E" + std::string(24, 'F'));
    img.mascara = codec::ArmaMascara(trama().longitud);
    return img;
}

Lectura Decodifica(std::string_view mapa) {
    Lectura l = LecturaConCabecera<Lectura>(mapa);
    l.travesolin = codec::ValorDecimal(l.version, 0) >= 24;
    const std::string datos = DatosDesdeMapa(mapa);
    // Each variant reads its own copy of the key; both read the operation keys.
    LeeCampos(datos, kCampos, l.travesolin ? 1 : 0, l);
    return l;
}

std::optional<OpcionFila> FilaOpcion(std::string_view numero, std::string_view valor) {
    static constexpr std::pair<std::string_view, std::string_view> kEstados[] = {
        {"1", "#5"}, {"3", "#2"}, {"4", "#4"}, {"5", "#3"}, {"6", "#*"}, {"11", "#0"},
    };
    static constexpr std::pair<std::string_view, std::string_view> kTextos[] = {{"12", "#6"}, {"13", "#9"}};
    for (auto [n, codigo] : kEstados)
        if (numero == n) return OpcionFila{codigo, OpcionEstado(valor), FaltaCasilla(valor)};
    for (auto [n, codigo] : kTextos) {
        if (numero != n) continue;
        OpcionFila f{codigo, std::nullopt};
        f.opcion = OpcionDuracion(valor, &f.falta);
        return f;
    }
    return std::nullopt;
}

std::optional<ComandoArmado> ArmaComando(const Comando& c) {
    const std::string& S = c.separador;
    const std::string& K = c.clave;
    ComandoArmado a;
    if (c.numero == "10") {
        // The key change is built whatever the key state; but a new key the device cannot take,
        // or an old one that would break the string, builds nothing.
        if (!ClaveValida(K)) a.falta = Falta::ClaveNueva;
        else if (c.claveAnterior.empty() || !DigitosValidos(c.claveAnterior, 5)) a.falta = Falta::ClaveActual;
        else
            a.cadena = c.version == "8" ? "#1" + S + c.claveAnterior + S + S + S + K
                                        : "#1" + S + c.claveAnterior + S + "1" + S + S + K;
        return a;
    }
    std::optional<std::string> opcion;
    std::string cadena;
    Falta falta = Falta::Ninguna;
    bool conocido = false;
    if (const auto f = FilaOpcion(c.numero, c.valor)) {
        conocido = true;
        opcion = f->opcion;
        falta = f->falta;
        if (opcion) cadena = std::string(f->codigo) + S + K + S + *opcion;
    }
    if (c.numero == "14") {
        conocido = true;
        opcion = OpcionAncho(c.valor, 5, &falta);
        if (auto i = Indice(c.indice, 1, 4)) {
            a.indice = std::to_string(*i + 1);
            if (opcion) cadena = "#1" + K + S + *a.indice + S + *opcion;
        } else if (opcion) {
            falta = Falta::SinComando;
        }
    }
    if (c.numero == "15") {
        conocido = true;
        opcion = OpcionAncho(c.valor, 16, &falta);
        if (auto i = Indice(c.indice, 0, 9); i && opcion)
            cadena = "#8" + K + S + (*i == 9 ? std::string("0") : std::to_string(*i + 1)) + S + *opcion;
        else if (opcion)
            falta = Falta::SinComando;
    }
    if (c.numero == "16") {
        conocido = true;
        cadena = "#7" + K;
    }
    if (!conocido) return std::nullopt;
    // The option goes to `ImagenEnvio` before the key is looked at.
    if (c.numero != "16") a.imagen = opcion.value_or(c.valor);
    // Every command but the key change needs a key the device takes.
    if (!ClaveValida(K)) a.falta = Falta::Clave;
    else if (cadena.empty()) a.falta = falta;
    else a.cadena = cadena;
    return a;
}

std::string& TroncalFenzo(Programa& p) { return p.TroncalFenzo; }

// ---------------------------------------------------------------- procedures

namespace {

}  // namespace

void CargaConfFenzo(Programa& p) {
    ZylForPri& w = p.pri();
    records::Record r;
    if (!AbreConfiguracion(p, kNombre, 6, kPanel, 5, r)) return;
    w.ZylChkFenResC->setCaption(r[0]);
    estadoDesde(*w.ZylChkFenResC, r[20]);
    ponCaption(w, "ZylLabFenDurP", r[3]);
    ponTexto(w, "ZylTexFenDurP", r[23]);
    ponCaption(w, "ZylFraFenFraNumTel", r[5]);
    ponCaption(w, "ZylLabFenLimSerMed", r[6]);
    ponTexto(w, "ZylTexFenLimSerMed", r[26]);
    MuestraConfiguracion(p, kPanel, 5);
}

void LeeEquipoFenzo(Programa& p) {
    // Live, the watchdog ends a damaged read with its message; a stored image has no watchdog.
    if (!TomaImagen(p, trama(), SiDanada::ReintentaGuardada)) return;
    const std::string mapa = p.MapaLectura;
    ZylForPri& w = p.pri();
    const Lectura l = Decodifica(mapa);
    p.VersionEquipo = l.version;
    w.ZylLabFenTit->setCaption(l.travesolin ? " Fenzo Travesolin" : " Fenzo Kalmoro");
    CargaConfFenzo(p);
    MuestraCabeceraLectura(p, kPanel, l.usuarioGardomelinta, l.modificadorGardomelinta);
    w.ZylTexBan->setText(l.banderas);
    TroncalFenzo(p) = l.troncal ? "1" : "0";
    w.ZylChkFenResC->setValue(l.troncal ? 1 : 0);
    ponTexto(w, "ZylTexFenDurP", l.duracionProhibidas);
    ponTexto(w, "ZylTexFenLimSerMed", l.duracionLibres);
    ponTexto(w, "ZylTexFenCon", l.contador);
    for (int i = 0; i < 10; ++i) {
        ponTexto(w, "ZylTexFenNumTel", "", i);
        ponTexto(w, "ZylTexFenNumTel", l.memorias[static_cast<std::size_t>(i)], i);
    }
    w.ZylFraFenFraClv->setVisible(l.travesolin);
    w.ZylChkFenResC->setVisible(l.travesolin);
    // The key is set once, from the variant's own copy: the other copy may hold anything.
    w.ZylTexResCla->setText(l.clave);
    for (int k = 1; k <= 4; ++k) ponTexto(w, "ZylTexFenClv", l.claves[static_cast<std::size_t>(k - 1)], k);
    MarcaLectura(p, mapa, kCampos, l.travesolin);
    CierraLectura(p, kPanel, 5);
}

namespace {
Panel panelDe(Programa& p) {
    ZylForPri& w = p.pri();
    Panel d;
    d.modificador = p.CodigoModificador;
    d.clave = w.ZylTexResCla->text();
    d.banderas = w.ZylTexBan->text();
    // The trunk bit is the panel's box, which every read sets (the Kalmoro's box too, hidden):
    // a trunk changed by the box or by a remote command is what the write sends.
    d.troncal = w.ZylChkFenResC->value() == 1 ? "1" : "0";
    d.contador = leeTexto(w, "ZylTexFenCon");
    d.duracionProhibidas = leeTexto(w, "ZylTexFenDurP");
    d.duracionLibres = leeTexto(w, "ZylTexFenLimSerMed");
    for (int i = 0; i < 10; ++i) d.memorias[static_cast<std::size_t>(i)] = leeTexto(w, "ZylTexFenNumTel", i);
    for (int k = 1; k <= 4; ++k) d.claves[static_cast<std::size_t>(k - 1)] = leeTexto(w, "ZylTexFenClv", k);
    d.version = p.VersionEquipo;
    d.firmware = app::FirmwareDeEnvio(p);
    d.clase = claseInstalacion(w);
    return d;
}
}  // namespace

void MarcaLectura(Programa& p, std::string_view mapa, std::span<const Campo> tabla, bool nuevo) {
    ZylForPri& w = p.pri();
    const Panel d = panelDe(p);
    const std::string datos = DatosDesdeMapa(mapa);
    const int copiaClave = nuevo ? 1 : 0;
    for (const Campo& c : tabla) {
        // Only what the write carries: the Kalmoro's data part ends before its second key.
        if (c.soloNuevo && !nuevo) continue;
        std::string crudo(codec::Posiciones(datos, c.inicio, c.inicio + Ancho(c.dato) - 1));
        std::string escrito = ValorCampo(d, c);
        // A key's sixth character is the write's own "F": another one there is changed, not lost.
        if ((c.dato == Dato::Clave || c.dato == Dato::ClaveOperacion) && crudo.size() == 6) {
            if (crudo[5] != 'F') MarcaCambioAlEscribir(p, "Relleno de las claves");
            crudo.pop_back();
            escrito.pop_back();
        }
        const bool vuelve = CampoValido(d, c) && MismoEnEquipo(escrito, crudo);
        if (vuelve) continue;
        const auto e = c.elemento;
        switch (c.dato) {
            case Dato::Modificador: break;
            case Dato::Banderas: MarcaCambioAlEscribir(p, "Restricciones"); break;
            case Dato::Clave:
                // The box shows the variant's own copy; the write puts the box in the other too.
                if (e == copiaClave) MarcaNoEscribible(p, "ZylTexResCla", -1, "Clave");
                else if (ClaveValida(d.clave)) MarcaCambioAlEscribir(p, "Clave (primera copia)");
                break;
            case Dato::Contador: MarcaNoEscribible(p, "ZylTexFenCon", -1, CaptionDe(w, "ZylLabFenCon")); break;
            case Dato::DuracionProhibidas:
                MarcaNoEscribible(p, "ZylTexFenDurP", -1, CaptionDe(w, "ZylLabFenDurP"));
                break;
            case Dato::DuracionLibres:
                MarcaNoEscribible(p, "ZylTexFenLimSerMed", -1, CaptionDe(w, "ZylLabFenLimSerMed"));
                break;
            case Dato::Memoria: {
                const int etiqueta = e == 8 ? 0 : (e == 9 ? 9 : e + 1);
                MarcaNoEscribible(p, "ZylTexFenNumTel", e,
                                  CaptionDe(w, "ZylFraFenFraNumTel") + " " + CaptionDe(w, "ZylLabFenNumTel", etiqueta));
                break;
            }
            case Dato::ClaveOperacion:
                MarcaNoEscribible(p, "ZylTexFenClv", e + 1, CaptionDe(w, "ZylLabFenClv", e + 1));
                break;
        }
    }
}

bool PreparaEnvioFenzo(Programa& p) {
    p.ImagenEnvio.clear();
    const Panel d = panelDe(p);
    // Only a panel whose every field fits its place is "Activado"; anything else would move or
    // spoil the bytes after it on the device.
    p.EstadoCaptura = Rechazo(d).empty() ? "Activado" : "DesActivado";
    const Imagen img = ArmaImagen(d);
    // A refused write still records its image (fields fitted to their places); nothing of it
    // may go out.
    RegistraEnvio(p, p.EstadoCaptura == "Activado" ? img.datos : std::string(), img.trama, img.mascara);
    return true;
}

Comando ComandoDe(Programa& p) {
    return {p.NumeroComando, p.ValorComando, p.IndiceComando, p.pri().ZylTexResCla->text(),
            p.ClaveAnterior, p.Separador, p.VersionEquipo};
}

bool TomaComando(Programa& p, const std::optional<ComandoArmado>& a) {
    if (!a) return Rehusa(p, Falta::SinComando);
    if (a->indice) p.IndiceComando = *a->indice;
    if (a->imagen) p.ImagenEnvio = *a->imagen;
    if (a->cadena.empty()) return Rehusa(p, a->falta);
    p.CadenaComando = a->cadena;
    return true;
}

bool ArmaComandoFenzo(Programa& p) { return TomaComando(p, ArmaComando(ComandoDe(p))); }

// ---------------------------------------------------------------- the panel

app::ModeloEquipo Modelo() {
    app::ModeloEquipo m = Unidad(kNombre, kPanel, "0:", CargaConfFenzo, LeeEquipoFenzo,
                                 PreparaEnvioFenzo, ArmaComandoFenzo);
    // The checks of Rechazo, field by field; the operation keys only where the variant has them.
    m.camposRechazados = [](Programa& p) {
        const auto tres = [](std::string_view t) { return TresDigitosValido(t); };
        std::vector<Revision> r = {{"ZylTexResCla", -1, ClaveValida},
                                   {"ZylTexFenCon", -1, tres},
                                   {"ZylTexFenDurP", -1, tres},
                                   {"ZylTexFenLimSerMed", -1, tres}};
        for (int i = 0; i < 10; ++i)
            r.push_back({"ZylTexFenNumTel", i, [](std::string_view t) { return DigitosValidos(t, 16); }});
        if (EsTravesolin(p.VersionEquipo))
            for (int k = 1; k <= 4; ++k)
                r.push_back({"ZylTexFenClv", k, [](std::string_view t) { return DigitosValidos(t, 5); }});
        return CamposRechazados(p, r);
    };
    m.creaPanel = [](ZylForPri& w, forms::Frame& panel) {
        using namespace zylma::forms;
        panel.setCaption("");
        w.ZylLabFenTit->move(240, 300, 3240, 300);
        w.ZylChkFenResC->move(3600, 270, 3360, 330);

        // Telephone memories: 01 to 05 on the left, 06 to 09 and 00 on the right. Label element
        // j ("0j") stands beside box j - 1; label 0 ("09") beside box 8; label 9 ("00") beside 9.
        auto& numTel = w.add<Frame>("ZylFraFenFraNumTel", -1, &panel);
        numTel.setCaption("Números de teléfono");
        numTel.move(240, 720, 6720, 2160);
        for (int i = 0; i < 10; ++i) {
            const int col = i < 5 ? 0 : 1, fila = i % 5;
            const int x = 180 + col * 3300, y = 300 + fila * 360;
            auto& caja = w.add<TextBox>("ZylTexFenNumTel", i, &numTel);
            caja.setMaxLength(16);
            caja.move(x + 420, y, 2640, 315);
            const int etiqueta = i == 8 ? 0 : (i == 9 ? 9 : i + 1);
            auto& lab = w.add<Label>("ZylLabFenNumTel", etiqueta, &numTel);
            lab.setCaption(etiqueta == 0 ? "09" : etiqueta == 9 ? "00" : "0" + std::to_string(etiqueta));
            lab.move(x, y + 30, 360, 285);
        }

        auto& tem = w.add<Frame>("ZylFraFenFraTem", -1, &panel);
        tem.setCaption("");
        tem.move(240, 2940, 6720, 960);
        auto fila = [&](Frame& f, const char* lab, const char* caption, const char* caja, int y) {
            auto& l = w.add<Label>(lab, -1, &f);
            l.setCaption(caption);
            l.move(120, y + 30, 5400, 285);
            auto& t = w.add<TextBox>(caja, -1, &f);
            t.setMaxLength(3);
            t.move(5640, y, 720, 315);
        };
        fila(tem, "ZylLabFenDurP", "Tiempo de duración para llamadas prohibidas", "ZylTexFenDurP", 210);
        fila(tem, "ZylLabFenLimSerMed", "Tiempo de duración para llamadas libres", "ZylTexFenLimSerMed", 570);

        auto& resOp = w.add<Frame>("ZylFraFenFraResOp", -1, &panel);
        resOp.setCaption("");
        resOp.move(240, 3960, 3240, 1380);
        auto& labCon = w.add<Label>("ZylLabFenCon", -1, &resOp);
        labCon.setCaption("Contador");
        labCon.move(120, 330, 1200, 285);
        auto& con = w.add<TextBox>("ZylTexFenCon", -1, &resOp);
        con.setMaxLength(3);
        con.move(1440, 300, 720, 315);
        auto& borr = w.add<Button>("ZylCmdFenBorr", -1, &resOp);
        borr.setCaption("Borrar el contador de llamadas");
        borr.move(120, 780, 3000, 420);

        // Operation keys #02 to #05, in two columns.
        w.ZylFraFenFraClv->setCaption("Claves de operación");
        w.ZylFraFenFraClv->move(3600, 3960, 3360, 1380);
        for (int k = 1; k <= 4; ++k) {
            const int x = 120 + ((k - 1) % 2) * 1620, y = 330 + ((k - 1) / 2) * 480;
            auto& lab = w.add<Label>("ZylLabFenClv", k, w.ZylFraFenFraClv);
            lab.setCaption("Clave #0" + std::to_string(k + 1));
            lab.move(x, y + 30, 900, 285);
            auto& caja = w.add<TextBox>("ZylTexFenClv", k, w.ZylFraFenFraClv);
            caja.setMaxLength(5);
            caja.move(x + 900, y, 660, 315);
        }
    };
    // The trunk box is the main window's single "ZylChkFenResC".
    m.disparadores = {
        Fila("ZylChkFenResC", -1, Gesto::PulsacionDerecha, "11", ValorDe::Estado),
        Fila("ZylTexFenDurP", -1, Gesto::DobleClic, "12", ValorDe::Texto),
        Fila("ZylTexFenLimSerMed", -1, Gesto::DobleClic, "13", ValorDe::Texto),
    };
    for (int k = 1; k <= 4; ++k)
        m.disparadores.push_back(Fila("ZylTexFenClv", k, Gesto::DobleClic, "14", ValorDe::Texto, true));
    for (int i = 0; i < 10; ++i)
        m.disparadores.push_back(Fila("ZylTexFenNumTel", i, Gesto::DobleClic, "15", ValorDe::Texto, true));
    m.disparadores.push_back(Fila("ZylCmdFenBorr", -1, Gesto::Clic, "16", ValorDe::Nada));
    for (int k = 1; k <= 4; ++k) m.validadores.push_back({"ZylTexFenClv", k, Regla::Digitos, "ERROR EN LA CLAVE"});
    m.validadores.push_back({"ZylTexFenCon", -1, Regla::Digitos, "ERROR EN LA CLAVE"});
    m.validadores.push_back({"ZylTexFenDurP", -1, Regla::Digitos, "ERROR EN LA CLAVE"});
    m.validadores.push_back({"ZylTexFenLimSerMed", -1, Regla::Tiempo, "ERROR EN LA CLAVE"});
    for (int i = 0; i < 10; ++i) m.validadores.push_back({"ZylTexFenNumTel", i, Regla::DigitosEstrella, ""});
    return m;
}

}  // namespace zylma::models::fenzo
