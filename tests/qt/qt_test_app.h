// One QApplication for a whole test program, made on first use.
#pragma once

class QApplication;

namespace zylma::qt::testing {
QApplication& app();
}
