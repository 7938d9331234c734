// The device image frame that every restrictor model shares: its three forms, the model table,
// the header fields, the block checksums, the outgoing image, the write mask and the key verdict.
// Every model's decoder and builder call these instead of keeping a copy of their own.
//
// Forms of one image:
//  - wire form: what the device sends, one character 0x30 + nibble per nibble, high nibble
//    first ("0"-"9", ":"-"?" for 10-15), starting with the "0245" of the frame start 0x02 0x45;
//  - code form: two hex digits (the character code) per received character, as the monitor's
//    "HEX" box shows it;
//  - map form: two upper-case hex digits per byte, without the leading 0x02 0x45.
// Positions in the map form are counted from 1: 1-2 model code, 3-4 version, 5-6 user type,
// 7-10 modifier code, 11-128 model data of block 1, 129-130 its checksum; two-block models go on
// with 131-132 "45", 133-260 block 2, 261-262 its checksum; then "03" "FE".
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace zylma::codec {

// Hex digits of one 64-byte block.
inline constexpr std::size_t kDigitosBloque = 128;

struct ModeloTrama {
    std::string_view nombre;      // UTF-8, as the model list spells it
    std::string_view codigo;      // wire form, as `CodigoEquipo` holds it ("0:" for the Fenzo)
    std::string_view codigoMapa;  // map form ("0A" for the Fenzo)
    int bloques;                  // 1 or 2; 0 for a frame of its own (the Selvarindo)
    std::size_t longitud;         // wire length of the device's answer
    bool pruebaSuma;              // whether the decoder tests the block checksums
};

// Every model the frame knows, in the order of the model codes.
std::span<const ModeloTrama> ModelosTrama();
// The model of a wire-form code ("00", "0:"); nullptr for any other text.
const ModeloTrama* BuscaModelo(std::string_view codigo);
// The model of a map-form code ("00", "0A"); nullptr for any other text.
const ModeloTrama* BuscaModeloMapa(std::string_view codigoMapa);

// Map-form length of a model's whole image (wire length less the four "0245" characters).
std::size_t LongitudMapa(const ModeloTrama& m);
// Whether a reception holds exactly the model's wire length: the decoders act only then.
bool RecepcionCompleta(std::string_view recepcion, const ModeloTrama& m);

// --- forms -------------------------------------------------------------------------------

// Code form of one received character: DecimalAHex2 of its code (bytes 0-255).
std::string FormaCodigo(char c);
// Code form of a whole reception.
std::string FormaCodigo(std::string_view recepcion);
// Map form from the code form: every second character (the nibble of each received character),
// then the first four ("0245") dropped; at most `maximo` characters are kept.
std::string MapaDesdeCodigo(std::string_view codigo, std::size_t maximo = std::string_view::npos);
// The same straight from the wire form: the low nibble of each character as a hex digit.
// For any input it equals MapaDesdeCodigo(FormaCodigo(recepcion), maximo).
std::string MapaDesdeRecepcion(std::string_view recepcion,
                               std::size_t maximo = std::string_view::npos);
// Wire form of a map-form image, frame start included: "0245" & map, one character per digit.
// A character that is not an upper-case hex digit goes out as the nibble 0 ("0").
std::string RecepcionDesdeMapa(std::string_view mapa);

// Characters `desde` to `hasta` of a text (from 1, both included); whatever part of the range
// lies past the end is simply missing, so a short image never reads past its end. The result
// views `texto`: use it while that text lives.
std::string_view Posiciones(std::string_view texto, std::size_t desde, std::size_t hasta);

// --- header fields ------------------------------------------------------------------------

inline constexpr std::string_view kTextoGardomelinta = "Gardomelinta";

// `VersionEquipo` from an image: HexADecimal of map positions 3-4 ("1E" gives "30").
std::string VersionDesdeMapa(std::string_view mapa);
// Version byte of an outgoing image: DecimalAHex2 of the first two characters of the firmware
// box ("30" gives "1E"); always two digits ("00" for a box that holds no number).
std::string ByteVersion(std::string_view firmware);
// User-type byte for an installation class: "09" "Gardomelinta", "01" "Distribuidor",
// "02" "GrandeUsuario". Any other class ("PC" among them) gets "00", so the model data after
// the header stays where the device expects it.
std::string CodigoTipoUsuario(std::string_view clase);
// Whether the decoder shows "Gardomelinta" as the user type (byte value 9).
bool MuestraTipoUsuario(std::string_view mapa);
// Whether the decoder shows "Gardomelinta" as the modifier (map positions 7-10 "0001").
bool MuestraModificador(std::string_view mapa);

// --- checksums ----------------------------------------------------------------------------

// Whether block 1 or 2 of a map-form image carries its SumaVerificacion, compared as text.
// A block that the image is too short to hold, or another block number, is not correct.
bool SumaBloqueCorrecta(std::string_view mapa, int bloque);
// Whether every block of the model's frame is correct (a frame without blocks has none to fail).
bool SumasCorrectas(std::string_view mapa, const ModeloTrama& m);
// Writes the checksum of every block of the model's frame into a map-form image that holds
// them all; a shorter image is left as it is. Returns whether it wrote them.
bool RecalculaSumas(std::string& mapa, const ModeloTrama& m);

// --- outgoing image -----------------------------------------------------------------------

struct EncabezadoEnvio {
    std::string modelo;       // the builder's own model byte ("05" for the Téndro, not "00")
    std::string version;      // ByteVersion of the firmware box
    std::string tipoUsuario;  // CodigoTipoUsuario of the installation class
    std::string modificador;  // `CodigoModificador`, four characters
};

// `TramaEnvio` in map form: the header and `datos1` in block 1, `datos2` in block 2 of a
// two-block model, each block filled up to its 64 bytes with `relleno`, then its checksum,
// "45" between the blocks and "03" "FE" at the end: 134 characters for one block, 266 for two.
// Each header field is fitted to its width (cut, or padded with "0" in front), so a short
// modifier code cannot move the data. Data that does not fit its block, or a block count other
// than 1 or 2, builds nothing: the result is empty.
std::string ArmaTramaEnvio(int bloques, const EncabezadoEnvio& encabezado, std::string_view datos1,
                           std::string_view datos2 = {}, char relleno = 'F');

// Room for model data after the header in block 1 (118 digits) and in block 2 (128).
inline constexpr std::size_t kDatosBloque1 = kDigitosBloque - 10;
inline constexpr std::size_t kDatosBloque2 = kDigitosBloque;

// `MascaraEnvio`: one "1" per wire character of the image (138, 270; 136 for the Selvarindo).
std::string ArmaMascara(std::size_t caracteres);

// --- the data part a write sends ---------------------------------------------------------

// The length of the data part `ImagenEnvio` of a model's write, for the firmware version the
// write's header carries (decimal): Téndro 14, Plurimandelo 39, Sonobrisa 31, Omnivelda 248,
// Tresmolina 249, Quintavo 165, Fenzo 194 up to version 23 (Kalmoro) and 224 above
// (Travesolin); 0 for a model that has no write (the Selvarindo).
std::size_t LongitudDatosEnvio(const ModeloTrama& m, long version);
// Why a data part cannot go out to a device of this model and version, in Spanish for the
// user ("" when it can): not exactly its length, or a character no device layout takes (hex
// digits, "*", "#", and the closing "f" of the models whose part ends in one).
std::string RevisaDatosEnvio(const ModeloTrama& m, long version, std::string_view datos);

// --- key verdict --------------------------------------------------------------------------

inline constexpr std::string_view kActivado = "Activado";
inline constexpr std::string_view kDesActivado = "DesActivado";

enum class VeredictoClave { SinVeredicto, Activado, DesActivado };

// Verdict on a key box: VerificaNumero of its first four characters ("OK" Activado, "MAL"
// DesActivado), then a first character "0" makes it DesActivado. An empty key gets no verdict;
// each model decides what that means.
VeredictoClave JuzgaClave(std::string_view clave);
// `EstadoCaptura` after a verdict: "Activado"/"DesActivado", or `siSinVeredicto` for an empty
// key (the previous state for the models that keep it, "Activado" for those that set it first).
std::string EstadoCaptura(VeredictoClave v, std::string_view siSinVeredicto);

}  // namespace zylma::codec
