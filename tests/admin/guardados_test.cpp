// The command table's save from the frame monitor on a file made read-only: refused naming the
// file, the table as it was, its mode kept; writable, the save keeps the mode it had.
#include "acceso_fixture.h"
#include "zylma/app/monitor.h"
#include "zylma/records/records.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace zylma;
namespace zt = zylma::testing;

namespace {

TEST(Guardados, TheMonitorsCommandSaveKeepsTheModeAndRefusesAReadOnlyTable) {
    struct Caso {
        mode_t modo;
        bool graba;
    } casos[] = {{0444, false}, {0400, false}, {0600, true}, {0640, true}};
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.modo);
        zt::AppFolder folder;
        folder.writeSoftware(zt::AppFolder::softwareRecord("Distribuidor"));
        folder.writeCommands({{"Lectura", "L1"}, {"Escritura", "E1"}});
        const std::string tabla = records::pathComandos(folder.path());
        ASSERT_EQ(::chmod(tabla.c_str(), c.modo), 0);
        const std::string antes = zt::bytesDe(tabla);
        zt::ProgramHarness h(folder.path());
        app::ZylForMonitor& m = h.programa->monitor();
        m.ZylComMon->userEdit("Prueba");
        m.ZylTexMon[7]->userEdit("P1");
        m.ZylCmdMon[1]->userClick();
        struct stat st {};
        ASSERT_EQ(::stat(tabla.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, c.modo);
        if (c.graba) {
            EXPECT_TRUE(h.host.messages.empty()) << h.host.lastMessage();
            EXPECT_NE(zt::bytesDe(tabla), antes);
        } else {
            ASSERT_EQ(h.host.messages.size(), 1u);
            EXPECT_NE(h.host.lastMessage().find(tabla), std::string::npos) << h.host.lastMessage();
            EXPECT_NE(h.host.lastMessage().find("solo lectura"), std::string::npos) << h.host.lastMessage();
            EXPECT_EQ(zt::bytesDe(tabla), antes);
        }
    }
}

}  // namespace
