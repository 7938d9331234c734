#include "zylma/codec/imagen.h"

#include <gtest/gtest.h>

#include <string>

#include "zylma/codec/conversores.h"

namespace zylma::codec {
namespace {

// A Téndro programming image, checksum worked out by hand:
//   header 05 1E 09 00 01, key 12 34, 66, flags 30 10, 6E, then 53 bytes FF.
//   05+1E+09+00+01 = 2D; +12 = 3F; +34 = 73; +66 = D9; +30 = 109; +10 = 119; +6E = 187;
//   53 x FF = 34CB; 187 + 34CB = 3652; modulo 256 = 52; FF - 52 = AD.
const std::string kTendroBloque = "051E090001" "12346630106E" + std::string(106, 'F');
const std::string kTendroTrama = kTendroBloque + "AD" + "03FE";

TEST(ImagenTrama, OneBlockImageMatchesHandWorkedVector) {
    EncabezadoEnvio e{"05", ByteVersion("30"), CodigoTipoUsuario("Gardomelinta"), "0001"};
    std::string trama = ArmaTramaEnvio(1, e, "12346630106E");
    EXPECT_EQ(trama, kTendroTrama);
    EXPECT_EQ(trama.size(), 134u);
    EXPECT_TRUE(SumaBloqueCorrecta(trama, 1));
}

// Two blocks, hand-worked:
//   block 1: 05 18 01 00 01 then 59 x FF: 1F + 3AC5 = 3AE4 -> E4 -> FF - E4 = 1B;
//   block 2: 64 x FF = 3FC0 -> C0 -> FF - C0 = 3F.
TEST(ImagenTrama, TwoBlockImageMatchesHandWorkedVector) {
    EncabezadoEnvio e{"05", ByteVersion("24"), CodigoTipoUsuario("Distribuidor"), "0001"};
    std::string trama = ArmaTramaEnvio(2, e, "", "");
    std::string esperado = "0518010001" + std::string(118, 'F') + "1B" + "45" +
                           std::string(128, 'F') + "3F" + "03FE";
    EXPECT_EQ(trama, esperado);
    EXPECT_EQ(trama.size(), 266u);
    EXPECT_TRUE(SumasCorrectas(trama, *BuscaModelo("0:")));
}

TEST(ImagenTrama, ChecksumExamples) {
    EXPECT_EQ(SumaVerificacion(std::string(128, '0')), "FF");
    EXPECT_EQ(SumaVerificacion("FFFF" + std::string(124, '0')), "01");  // sum 0x1FE

    std::string mapa = kTendroTrama;
    mapa[20] = 'E';  // one digit of the data changed, checksum kept
    EXPECT_FALSE(SumaBloqueCorrecta(mapa, 1));
    EXPECT_FALSE(SumaBloqueCorrecta(kTendroTrama.substr(0, 129), 1));  // checksum cut off
    EXPECT_FALSE(SumaBloqueCorrecta(kTendroTrama, 2));                 // no second block
    EXPECT_FALSE(SumaBloqueCorrecta(kTendroTrama, 3));
    ASSERT_TRUE(RecalculaSumas(mapa, *BuscaModelo("00")));
    EXPECT_TRUE(SumaBloqueCorrecta(mapa, 1));
}

// A user type that is not one of the three classes still takes its byte, so the modifier and
// the data stay at their positions and the frame keeps its length.
TEST(ImagenTrama, EveryClassKeepsTheHeaderWidth) {
    struct { const char* clase; const char* byte; } casos[] = {
        {"Gardomelinta", "09"}, {"Distribuidor", "01"}, {"GrandeUsuario", "02"},
        {"PC", "00"}, {"", "00"}, {"gardomelinta", "00"},
    };
    for (const auto& c : casos) {
        EXPECT_EQ(CodigoTipoUsuario(c.clase), c.byte) << c.clase;
        EncabezadoEnvio e{"05", "1E", CodigoTipoUsuario(c.clase), "0001"};
        std::string trama = ArmaTramaEnvio(1, e, "12346630106E");
        ASSERT_EQ(trama.size(), 134u) << c.clase;
        EXPECT_EQ(Posiciones(trama, 5, 6), c.byte) << c.clase;
        EXPECT_EQ(Posiciones(trama, 7, 14), "00011234") << c.clase;
        EXPECT_TRUE(SumaBloqueCorrecta(trama, 1)) << c.clase;
    }
}

TEST(ImagenTrama, HeaderFieldsAreFittedAndOverflowBuildsNothing) {
    EncabezadoEnvio corto{"05", "1E", "09", "1"};  // a modifier code typed short in the record
    std::string trama = ArmaTramaEnvio(1, corto, "1234");
    EXPECT_EQ(Posiciones(trama, 7, 14), "00011234");

    EncabezadoEnvio e{"05", "1E", "09", "0001"};
    EXPECT_EQ(ArmaTramaEnvio(1, e, std::string(kDatosBloque1, '0')).size(), 134u);
    EXPECT_EQ(ArmaTramaEnvio(1, e, std::string(kDatosBloque1 + 1, '0')), "");
    EXPECT_EQ(ArmaTramaEnvio(2, e, "", std::string(kDatosBloque2 + 1, '0')), "");
    EXPECT_EQ(ArmaTramaEnvio(1, e, "", "12"), "");  // a second block a one-block model lacks
    EXPECT_EQ(ArmaTramaEnvio(3, e, ""), "");
    EXPECT_EQ(ArmaTramaEnvio(1, e, "", {}, '0').substr(10, 118), std::string(118, '0'));
}

TEST(ImagenTrama, VersionByteBothWays) {
    EXPECT_EQ(VersionDesdeMapa("001E"), "30");
    EXPECT_EQ(ByteVersion("30"), "1E");
    EXPECT_EQ(ByteVersion("300"), "1E");  // only the first two characters count
    EXPECT_EQ(ByteVersion("2"), "02");
    EXPECT_EQ(ByteVersion(""), "00");
    EXPECT_EQ(ByteVersion("ab"), "00");
    EXPECT_EQ(VersionDesdeMapa("00"), "0");  // an image cut short reads as version 0
}

TEST(ImagenTrama, UserTypeAndModifierDisplayRules) {
    EXPECT_TRUE(MuestraTipoUsuario("001E090001"));
    EXPECT_FALSE(MuestraTipoUsuario("001E010001"));
    EXPECT_FALSE(MuestraTipoUsuario("001E0"));
    EXPECT_TRUE(MuestraModificador("001E090001"));
    EXPECT_FALSE(MuestraModificador("001E090002"));
    EXPECT_FALSE(MuestraModificador("001E09000"));
}

// The Fenzo's code carries the nibble 10, which the device sends as ":".
TEST(ImagenFormas, WireCodeAndMapFormsAgree) {
    std::string recepcion = "02450:1>";
    EXPECT_EQ(FormaCodigo(recepcion), "3032343530" "3A" "313E");
    EXPECT_EQ(MapaDesdeCodigo(FormaCodigo(recepcion)), "0A1E");
    EXPECT_EQ(MapaDesdeRecepcion(recepcion), "0A1E");
    EXPECT_EQ(RecepcionDesdeMapa("0A1E"), recepcion);
    EXPECT_EQ(BuscaModeloMapa(MapaDesdeRecepcion(recepcion).substr(0, 2))->codigo, "0:");

    // A "T" or any other stray character inside an answer keeps its low nibble, as the code
    // form does; both routes give the same text for every byte value.
    std::string todos = "0245";
    for (int c = 0; c < 256; ++c) todos += static_cast<char>(c);
    EXPECT_EQ(MapaDesdeRecepcion(todos), MapaDesdeCodigo(FormaCodigo(todos)));
    EXPECT_EQ(MapaDesdeRecepcion(todos, 3), "012");
    EXPECT_EQ(MapaDesdeRecepcion("024"), "");
}

TEST(ImagenFormas, ImageSurvivesTheWire) {
    std::string wire = RecepcionDesdeMapa(kTendroTrama);
    ASSERT_EQ(wire.size(), 138u);
    EXPECT_EQ(wire.substr(0, 6), "024505");
    EXPECT_EQ(wire.substr(132, 2), ":=");  // checksum AD
    EXPECT_EQ(wire.substr(134), "03?>");
    EXPECT_EQ(MapaDesdeRecepcion(wire), kTendroTrama);
}

TEST(ImagenModelos, TableAndExactLengths) {
    struct { const char* codigo; const char* mapa; int bloques; std::size_t largo; bool suma; } casos[] = {
        {"00", "00", 1, 138, true}, {"02", "02", 2, 270, true}, {"03", "03", 1, 138, true},
        {"04", "04", 1, 138, false}, {"05", "05", 2, 270, true}, {"06", "06", 2, 270, true},
        {"08", "08", 0, 140, false}, {"0:", "0A", 2, 270, true},
    };
    ASSERT_EQ(ModelosTrama().size(), std::size(casos));
    for (const auto& c : casos) {
        const ModeloTrama* m = BuscaModelo(c.codigo);
        ASSERT_NE(m, nullptr) << c.codigo;
        EXPECT_EQ(m->codigoMapa, c.mapa);
        EXPECT_EQ(m->bloques, c.bloques);
        EXPECT_EQ(m->longitud, c.largo);
        EXPECT_EQ(m->pruebaSuma, c.suma);
        EXPECT_EQ(BuscaModeloMapa(c.mapa), m);
        EXPECT_FALSE(RecepcionCompleta(std::string(c.largo - 1, '0'), *m));
        EXPECT_TRUE(RecepcionCompleta(std::string(c.largo, '0'), *m));
        EXPECT_FALSE(RecepcionCompleta(std::string(c.largo + 1, '0'), *m));
    }
    EXPECT_EQ(BuscaModelo("0A"), nullptr);  // the Fenzo's map code is not a wire code
    EXPECT_EQ(BuscaModelo("07"), nullptr);
    EXPECT_EQ(BuscaModelo(""), nullptr);
    EXPECT_EQ(ArmaMascara(138), std::string(138, '1'));
    EXPECT_EQ(ArmaMascara(136).size(), 136u);
}

TEST(ImagenClave, VerdictOnTheKey) {
    struct { const char* clave; VeredictoClave v; } casos[] = {
        {"1234", VeredictoClave::Activado},
        {"0123", VeredictoClave::DesActivado},  // a leading 0 refuses a key VerificaNumero accepts
        {"123a", VeredictoClave::DesActivado},
        {"12a4", VeredictoClave::Activado},     // only the fourth character is judged
        {"12345a", VeredictoClave::Activado},   // beyond four characters nothing counts
        {"9", VeredictoClave::Activado},
        {"0", VeredictoClave::DesActivado},
        {"", VeredictoClave::SinVeredicto},
        {"12\xC3\xB1" "4", VeredictoClave::Activado},  // "12ñ4": characters, not bytes
    };
    for (const auto& c : casos) EXPECT_EQ(JuzgaClave(c.clave), c.v) << c.clave;

    EXPECT_EQ(EstadoCaptura(VeredictoClave::Activado, "DesActivado"), "Activado");
    EXPECT_EQ(EstadoCaptura(VeredictoClave::DesActivado, "Activado"), "DesActivado");
    EXPECT_EQ(EstadoCaptura(VeredictoClave::SinVeredicto, "DesActivado"), "DesActivado");
    EXPECT_EQ(EstadoCaptura(VeredictoClave::SinVeredicto, "Activado"), "Activado");
}

TEST(ImagenFormas, PositionsNeverReadPastTheEnd) {
    EXPECT_EQ(Posiciones("0A1E09", 3, 4), "1E");
    EXPECT_EQ(Posiciones("0A1E09", 5, 10), "09");
    EXPECT_EQ(Posiciones("0A1E09", 7, 8), "");
    EXPECT_EQ(Posiciones("0A1E09", 0, 2), "");
    EXPECT_EQ(Posiciones("0A1E09", 4, 3), "");
}

}  // namespace
}  // namespace zylma::codec
