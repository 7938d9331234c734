#include "sim_line.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace zylma::testing {

SimLine::SimLine(const sim::Options& options) {
    std::string error;
    pty_ = sim::PtyDevice::open(error);
    if (!pty_) throw std::runtime_error("pty: " + error);
    device_ = sim::Restrictor::create(options, error);
    if (!device_) throw std::runtime_error("simulator: " + error);
    start();
}

SimLine::~SimLine() { stop(); }

void SimLine::start() {
    if (thread_.joinable()) return;
    stop_ = 0;
    thread_ = std::thread([this] { pty_->serve(*device_, -1, stop_); });
}

void SimLine::stop() {
    if (!thread_.joinable()) return;
    stop_ = 1;
    thread_.join();
}

LiveProgram::LiveProgram(const std::string& appFolder, const std::string& device) {
    ::setenv("ZYLMA_COM1", device.c_str(), 1);
    programa = std::make_unique<app::Programa>(host, appFolder, [this] { return serial::makePosixSerialPort(host); });
}

LiveProgram::~LiveProgram() {
    programa.reset();
    ::unsetenv("ZYLMA_COM1");
}

}  // namespace zylma::testing
