// A fresh application folder in a temporary directory and a program on the test host.
#pragma once

#include "zylma/app/programa.h"
#include "zylma/forms/test_host.h"
#include "zylma/records/records.h"

#include <memory>
#include <string>

namespace zylma::testing {

// A temporary application folder with a software record (and whatever a test adds).
class AppFolder {
public:
    AppFolder();
    ~AppFolder();
    const std::string& path() const { return path_; }
    // The software record: 27 fields; the defaults name the eight models in button order.
    static records::Record softwareRecord(const std::string& clase = "Gardomelinta");
    void writeSoftware(const records::Record& r);
    void writeConfig(const std::string& model, const std::string& version, const records::Record& r);
    void writeCommands(const std::vector<std::pair<std::string, std::string>>& entries);

private:
    std::string path_;
};

// A serial port that records what is written and opens only the devices a test allows.
class FakePort : public serial::SerialPort {
public:
    bool opens = true;
    std::string written;
    int opened = 0, closed = 0;
    std::string openedDevice;
    bool open(const std::string& device, std::string& error) override;
    void close() override;
    bool isOpen() const override { return open_; }
    bool write(const std::string& bytes) override;
    std::string device() const override { return openedDevice; }
    // Delivers characters as if the device had sent them.
    void arrive(const std::string& chars) { deliver(chars.data(), chars.size()); }
    // The device goes away (an adapter unplugged): the port closes and says so.
    void goAway() {
        if (!open_) return;
        open_ = false;
        ++closed;
        report(serial::SerialEvent::Gone);
    }

private:
    bool open_ = false;
};

struct ProgramHarness {
    forms::TestHost host;
    FakePort* port = nullptr;  // owned by the program once created
    bool portOpens = true;
    std::unique_ptr<app::Programa> programa;
    explicit ProgramHarness(const std::string& appFolder);
};

}  // namespace zylma::testing
