// The program: owns every window (created on first use) and the module-wide state shared by the
// main window, the link, the model units and the administration windows. Procedures take it as
// their one context, so a test builds a fresh program in one line.
#pragma once

#include "zylma/app/enlace.h"
#include "zylma/app/ida_vuelta.h"
#include "zylma/app/modelos.h"
#include "zylma/forms/form.h"
#include "zylma/forms/host.h"
#include "zylma/records/records.h"
#include "zylma/serial/serial_port.h"

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>
#include <typeindex>
#include <vector>

namespace zylma::app {

class ZylForPri;
class ZylForMonitor;

class Programa {
public:
    using FabricaPuerto = std::function<std::unique_ptr<serial::SerialPort>()>;

    Programa(forms::Host& host, std::string appFolder, FabricaPuerto fabricaPuerto);
    ~Programa();
    Programa(const Programa&) = delete;
    Programa& operator=(const Programa&) = delete;

    forms::Host& host() const { return host_; }
    RegistroModelos& modelos() { return modelos_; }

    // Windows, each a single instance created (and loaded) on first use.
    ZylForPri& pri();
    ZylForMonitor& monitor();
    bool priExiste() const { return pri_ != nullptr; }
    bool monitorExiste() const { return monitor_ != nullptr; }
    // Windows of the units built on this one (login, port choice, editors): one instance of each
    // class, made from this program and loaded on first use, like pri() and monitor().
    template <class T>
    T& ventana() {
        std::unique_ptr<forms::Form>& w = ventanas_[std::type_index(typeid(T))];
        // A window that unloaded itself is made anew, as on its first use.
        if (w && !w->loaded()) w.reset();
        if (!w) {
            w = std::make_unique<T>(*this);
            w->load();
        }
        return static_cast<T&>(*w);
    }
    // The window when it has been made, without making it.
    template <class T>
    T* ventanaSiExiste() const {
        auto it = ventanas_.find(std::type_index(typeid(T)));
        return it == ventanas_.end() ? nullptr : static_cast<T*>(it->second.get());
    }

    // A modal "ZYLMA" message (or another title).
    int mensaje(const std::string& texto, int estilo = forms::vbOKOnly, const std::string& titulo = "ZYLMA");

    // The serial port of the main window (`MSComm1`).
    serial::SerialPort& puerto();

    // Opens `MSComm1` on port `NumPuerto`; a port that will not open is reported and the link
    // stays closed.
    bool abrePuerto();
    // Runs at the main window's load before anything else (the port choice hides itself).
    std::function<void()> alCargarPrincipal;

    // "PC" installations: `TimerPID` hands `CadenaComando` to the modem window, or to this
    // when it is set.
    std::function<void()> alMarcarModem;

    // Ends the program, closing every window.
    void termina(int codigo = 0);

    // ---- module-wide state, under the system's names ----
    std::string RutaAplicacion;          // application folder, no trailing "/"
    std::string CarpetaUtilerias = "/Utilerias";
    std::string RutaArchivo;             // the file about to be opened
    std::string NivelUsuario = "Ingenieria";
    std::string ClaseInstalacion;        // first two characters of the installation class
    int NumPuerto = 1;

    std::string EquipoActual;
    std::string CodigoEquipo;
    std::string VersionEquipo;
    std::array<std::string, 14> ListaModelos{};
    std::array<int, 9> BanderasRestrictor{};
    int Reintentos = 0;
    int ContadorReintentos = 0;
    std::string CodigoModificador;
    bool EnvioConEscritura = true;
    std::string EnviaImagen = "0";
    std::string Separador = ",";
    std::string NumeroComando = "0";
    std::string ValorComando = "0";
    std::string IndiceComando;
    std::string ParametroSelvarindo;
    // The caption of the field the pending command carries, as the trigger found it on the
    // panel; and why the model's command builder built nothing (a sentence for the refusal).
    std::string CampoComando;
    std::string RechazoComando;
    // The captions of the fields the last image build refused ("Error en Captura" names them).
    std::vector<std::string> CamposCaptura;

    // The link.
    std::string ComandoSerie;
    int IndiceEnvio = 1;
    std::string RespuestaOK;
    std::string CaracterRecibido;
    std::string CadenaComando;
    std::string CadenaAuxiliar, CadenaAuxiliar2;

    // Images.
    std::string ImagenEnvio, TramaEnvio, MascaraEnvio, TramaRecibida, MapaLectura, UltimaLectura;
    std::string EstadoCaptura = "Activado";
    int LecturaEnVivo = 1;
    std::string ClaveAnterior;
    // The switchboard-trunk bit of the last Quintavo, Fenzo and Tresmolina image read in this
    // run ("" before any).
    std::string TroncalQuintavo, TroncalFenzo, TroncalTresmolina;
    // What the last read showed that cannot go back to the device as it stands, and the
    // places a write will change (ida_vuelta.h).
    std::vector<CampoNoEscribible> CamposNoEscribibles;
    std::vector<std::string> CambiosAlEscribir;
    // The control (and element) whose trigger raised the pending remote command.
    std::string ControlComando;
    int ElementoComando = -1;
    // The model code that came with the kept read, for "Ult.&Leído".
    std::string CodigoLectura;
    // What a replay puts in the reception box (the kept reception, or the recorded mask).
    std::string RecepcionReplay;

    // What the link is doing (its states and transitions live in enlace.cpp alone).
    Enlace enlace;

    // The fixed device commands, each the stored text followed by "f".
    std::string ComandoLectura, ComandoEscritura, ComandoResetFabrica, ComandoVerificar, ComandoColgado;

private:
    forms::Host& host_;
    FabricaPuerto fabricaPuerto_;
    RegistroModelos modelos_;
    std::unique_ptr<serial::SerialPort> puerto_;
    std::unique_ptr<ZylForPri> pri_;
    std::unique_ptr<ZylForMonitor> monitor_;
    // Declared last: dropped before the port and the models, after the main window.
    std::map<std::type_index, std::unique_ptr<forms::Form>> ventanas_;
};

// Reads record 1 of a single-record file into `r` (`RutaArchivo` := the path). When it cannot,
// tells the user which file and why ("No existe el archivo de <que> <ruta>" or "No se puede
// leer el archivo de <que> <ruta> (<why>)", then `cola`) and returns false.
bool LeeRegistro(Programa& p, const std::string& ruta, const records::RecordKind& kind, records::Record& r,
                 const std::string& que, const std::string& cola = ".", int estilo = forms::vbExclamation);

// A whole number from a record field, or false (never throws): optional sign, digits only.
bool enteroDeTexto(const std::string& s, long& out);

}  // namespace zylma::app
