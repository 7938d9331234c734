#include "fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace zylma::testing {

namespace fs = std::filesystem;

AppFolder::AppFolder() {
    std::random_device rd;
    auto dir = fs::temp_directory_path() / ("zylma-test-" + std::to_string(rd()) + std::to_string(rd()));
    fs::create_directories(dir / "Utilerias" / "Generales" / "Equipos");
    path_ = dir.string();
}

AppFolder::~AppFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

records::Record AppFolder::softwareRecord(const std::string& clase) {
    records::Record r(27);
    const char* nombres[] = {"Zylma",    "Sonobrisa",  "Téndro",     "Omnivelda",    "Plurimandelo",
                             "Fenzo",    "Quintavo",   "Selvarindo", "Tresmolina",   " Fenzo Kalmoro",
                             "Con voz"};
    for (int i = 0; i < 11; ++i) r[i] = nombres[i];
    r[20] = std::string(20, '0');
    r[21] = "0";
    r[22] = "10/12/2026";
    r[23] = "3";
    r[24] = "10";
    r[25] = "0001";
    r[26] = clase;
    return r;
}

void AppFolder::writeSoftware(const records::Record& r) {
    ASSERT_EQ(records::writeSingle(records::pathSoftware(path_), records::RegistroSoftware, r), records::Status::Ok);
}

void AppFolder::writeConfig(const std::string& model, const std::string& version, const records::Record& r) {
    std::string p = records::pathConfiguracion(path_, model, version);
    fs::create_directories(fs::path(p).parent_path());
    ASSERT_EQ(records::writeSingle(p, records::RegistroConfiguracion, r), records::Status::Ok);
}

void AppFolder::writeCommands(const std::vector<std::pair<std::string, std::string>>& entries) {
    std::string p = records::pathComandos(path_);
    records::ArchivoRegistros f;
    ASSERT_EQ(f.openWrite(p, records::RegistroComando), records::Status::Ok);
    int n = 1;
    for (auto& [name, text] : entries) ASSERT_EQ(f.write(n++, {name, text, "10/12/2026"}), records::Status::Ok);
}

bool FakePort::open(const std::string& device, std::string& error) {
    if (!opens) {
        error = "No such file or directory";
        return false;
    }
    open_ = true;
    ++opened;
    openedDevice = device;
    return true;
}

void FakePort::close() {
    if (!open_) return;
    open_ = false;
    ++closed;
}

bool FakePort::write(const std::string& bytes) {
    if (!open_) return false;
    written += bytes;
    return true;
}

ProgramHarness::ProgramHarness(const std::string& appFolder) {
    programa = std::make_unique<app::Programa>(host, appFolder, [this] {
        auto p = std::make_unique<FakePort>();
        p->opens = portOpens;
        port = p.get();
        return p;
    });
}

}  // namespace zylma::testing
