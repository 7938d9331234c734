#include "zylma/codec/imagen.h"

#include <algorithm>
#include <array>

#include "zylma/codec/conversores.h"

namespace zylma::codec {

namespace {

constexpr std::array<ModeloTrama, 8> kModelos{{
    {"Téndro", "00", "00", 1, 138, true},
    {"Quintavo", "02", "02", 2, 270, true},
    {"Plurimandelo", "03", "03", 1, 138, true},
    {"Sonobrisa", "04", "04", 1, 138, false},  // fixed tail instead of a checksum
    {"Omnivelda", "05", "05", 2, 270, true},
    {"Tresmolina", "06", "06", 2, 270, true},
    {"Selvarindo", "08", "08", 0, 140, false},  // a short frame of its own, no blocks
    {"Fenzo", "0:", "0A", 2, 270, true},
}};

constexpr char kHex[] = "0123456789ABCDEF";

// Where block n (1 or 2) starts in the map form, 0-based.
std::size_t inicioBloque(int bloque) { return bloque == 1 ? 0 : kDigitosBloque + 4; }

// The first n characters of a UTF-8 text (the key box may hold any typed character).
std::string_view primerosCaracteres(std::string_view texto, std::size_t n) {
    std::size_t i = 0, contados = 0;
    while (i < texto.size() && contados < n) {
        ++i;
        while (i < texto.size() && (static_cast<unsigned char>(texto[i]) & 0xC0) == 0x80) ++i;
        ++contados;
    }
    return texto.substr(0, i);
}

std::string ajusta(std::string_view campo, std::size_t ancho) {
    if (campo.size() >= ancho) return std::string(campo.substr(0, ancho));
    return std::string(ancho - campo.size(), '0') + std::string(campo);
}

}  // namespace

std::span<const ModeloTrama> ModelosTrama() { return kModelos; }

const ModeloTrama* BuscaModelo(std::string_view codigo) {
    for (const auto& m : kModelos) {
        if (m.codigo == codigo) return &m;
    }
    return nullptr;
}

const ModeloTrama* BuscaModeloMapa(std::string_view codigoMapa) {
    for (const auto& m : kModelos) {
        if (m.codigoMapa == codigoMapa) return &m;
    }
    return nullptr;
}

std::size_t LongitudMapa(const ModeloTrama& m) { return m.longitud - 4; }

bool RecepcionCompleta(std::string_view recepcion, const ModeloTrama& m) {
    return recepcion.size() == m.longitud;
}

std::string FormaCodigo(char c) { return DecimalAHex2(static_cast<unsigned char>(c)); }

std::string FormaCodigo(std::string_view recepcion) {
    std::string r;
    r.reserve(recepcion.size() * 2);
    for (char c : recepcion) r += FormaCodigo(c);
    return r;
}

std::string MapaDesdeCodigo(std::string_view codigo, std::size_t maximo) {
    std::string nibbles;
    nibbles.reserve(codigo.size() / 2);
    for (std::size_t i = 1; i < codigo.size(); i += 2) nibbles += codigo[i];
    if (nibbles.size() <= 4) return "";
    return nibbles.substr(4, maximo);
}

std::string MapaDesdeRecepcion(std::string_view recepcion, std::size_t maximo) {
    if (recepcion.size() <= 4) return "";
    std::string r;
    std::size_t n = std::min(recepcion.size() - 4, maximo);
    r.reserve(n);
    for (std::size_t i = 4; i < 4 + n; ++i) r += kHex[static_cast<unsigned char>(recepcion[i]) & 0x0F];
    return r;
}

std::string RecepcionDesdeMapa(std::string_view mapa) {
    std::string r = "0245";
    r.reserve(mapa.size() + 4);
    for (char c : mapa) r += static_cast<char>(0x30 + ValorDigitoHex(c));
    return r;
}

std::string_view Posiciones(std::string_view texto, std::size_t desde, std::size_t hasta) {
    if (desde < 1 || hasta < desde || desde > texto.size()) return {};
    return texto.substr(desde - 1, hasta - desde + 1);
}

std::string VersionDesdeMapa(std::string_view mapa) { return HexADecimal(Posiciones(mapa, 3, 4)); }

std::string ByteVersion(std::string_view firmware) {
    return ajusta(DecimalAHex2(primerosCaracteres(firmware, 2)), 2);
}

std::string CodigoTipoUsuario(std::string_view clase) {
    if (clase == "Gardomelinta") return "09";
    if (clase == "Distribuidor") return "01";
    if (clase == "GrandeUsuario") return "02";
    return "00";
}

bool MuestraTipoUsuario(std::string_view mapa) {
    return Posiciones(mapa, 5, 6).size() == 2 && HexADecimal(Posiciones(mapa, 5, 6)) == "9";
}

bool MuestraModificador(std::string_view mapa) { return Posiciones(mapa, 7, 10) == "0001"; }

bool SumaBloqueCorrecta(std::string_view mapa, int bloque) {
    if (bloque != 1 && bloque != 2) return false;
    std::size_t inicio = inicioBloque(bloque);
    if (mapa.size() < inicio + kDigitosBloque + 2) return false;
    return SumaVerificacion(mapa.substr(inicio, kDigitosBloque)) ==
           mapa.substr(inicio + kDigitosBloque, 2);
}

bool SumasCorrectas(std::string_view mapa, const ModeloTrama& m) {
    for (int b = 1; b <= m.bloques; ++b) {
        if (!SumaBloqueCorrecta(mapa, b)) return false;
    }
    return true;
}

bool RecalculaSumas(std::string& mapa, const ModeloTrama& m) {
    if (mapa.size() < LongitudMapa(m)) return false;
    for (int b = 1; b <= m.bloques; ++b) {
        std::size_t inicio = inicioBloque(b);
        mapa.replace(inicio + kDigitosBloque, 2,
                     SumaVerificacion(std::string_view(mapa).substr(inicio, kDigitosBloque)));
    }
    return true;
}

std::string ArmaTramaEnvio(int bloques, const EncabezadoEnvio& e, std::string_view datos1,
                           std::string_view datos2, char relleno) {
    if (bloques != 1 && bloques != 2) return "";
    if (datos1.size() > kDatosBloque1) return "";
    if (bloques == 1 && !datos2.empty()) return "";
    if (datos2.size() > kDatosBloque2) return "";

    std::string bloque1 = ajusta(e.modelo, 2) + ajusta(e.version, 2) + ajusta(e.tipoUsuario, 2) +
                          ajusta(e.modificador, 4) + std::string(datos1);
    bloque1.resize(kDigitosBloque, relleno);
    std::string trama = bloque1 + SumaVerificacion(bloque1);
    if (bloques == 2) {
        std::string bloque2(datos2);
        bloque2.resize(kDigitosBloque, relleno);
        trama += "45" + bloque2 + SumaVerificacion(bloque2);
    }
    return trama + "03FE";
}

std::size_t LongitudDatosEnvio(const ModeloTrama& m, long version) {
    const std::string_view c = m.codigo;
    if (c == "00") return 14;
    if (c == "03") return 39;
    if (c == "04") return 31;
    if (c == "05") return 248;
    if (c == "06") return 249;
    if (c == "02") return 165;
    if (c == "0:") return version > 23 ? 224 : 194;
    return 0;
}

std::string RevisaDatosEnvio(const ModeloTrama& m, long version, std::string_view datos) {
    const std::size_t largo = LongitudDatosEnvio(m, version);
    const std::string nombre(m.nombre);
    if (largo == 0) return "el " + nombre + " no se programa con una escritura.";
    if (datos.size() != largo)
        return "los datos para el " + nombre + " de firmware " + std::to_string(version) + " son de " +
               std::to_string(largo) + " caracteres y la imagen preparada tiene " + std::to_string(datos.size()) + ".";
    // The models whose data part closes with "f".
    const std::string_view c = m.codigo;
    const bool conF = c == "03" || c == "04" || c == "06" || c == "02";
    for (std::size_t i = 0; i < datos.size(); ++i) {
        const char d = datos[i];
        const bool cierre = conF && i + 1 == datos.size();
        const bool bien = cierre ? d == 'f' : ((d >= '0' && d <= '9') || (d >= 'A' && d <= 'F') || d == '*' || d == '#');
        if (!bien)
            return "la imagen preparada para el " + nombre + " lleva \"" + std::string(1, d) + "\" en el carácter " +
                   std::to_string(i + 1) + ", que el equipo no admite.";
    }
    return "";
}

std::string ArmaMascara(std::size_t caracteres) { return std::string(caracteres, '1'); }

VeredictoClave JuzgaClave(std::string_view clave) {
    std::string v = VerificaNumero(primerosCaracteres(clave, 4));
    if (v.empty()) return VeredictoClave::SinVeredicto;
    if (clave.front() == '0') return VeredictoClave::DesActivado;
    return v == "OK" ? VeredictoClave::Activado : VeredictoClave::DesActivado;
}

std::string EstadoCaptura(VeredictoClave v, std::string_view siSinVeredicto) {
    switch (v) {
        case VeredictoClave::Activado: return std::string(kActivado);
        case VeredictoClave::DesActivado: return std::string(kDesActivado);
        case VeredictoClave::SinVeredicto: break;
    }
    return std::string(siSinVeredicto);
}

}  // namespace zylma::codec
