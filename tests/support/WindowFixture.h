#pragma once
// The set-up every test of the main window and of the screens above it shares: a private
// environment, a temporary database the configuration file points at (shared().Cnxn open
// on it), recorders for message boxes and the error dialog, simulated terminals on threads
// of their own, and the main window loaded over them.
//
//     WindowFixture f;
//     f.addTerminal(5, "Front Gate", SimState());
//     f.load();
//     f.connectRow(1);

#include "SimState.h"
#include "SimThread.h"
#include "support/TestSupport.h"
#include "terminals/frm2.h"

#include <memory>
#include <vector>

class QAbstractItemModel;

struct WindowFixture
{
    explicit WindowFixture(bool withDemo = false);
    ~WindowFixture();
    WindowFixture(const WindowFixture&) = delete;
    WindowFixture& operator=(const WindowFixture&) = delete;

    TestEnvironment env;
    TempDatabase database;
    MsgBoxRecorder messages;
    ErrorDialogRecorder errors;
    std::vector<std::unique_ptr<SimThread>> sims;
    std::unique_ptr<frm2> window;

    Db& db() { return database.db(); }

    // A simulated terminal serving `state`, registered as a network terminal on its port.
    SimThread& addTerminal(int id, const QString& description, const SimState& state);
    // A row of Tbl_DeviceMaster (conMode 0 serial, 1 network).
    void registerTerminal(int id, const QString& description, int conMode, const QString& port,
                          const QString& com = QString(), const QString& baud = QString());

    // Builds the main window and runs its Form_Load.
    void load();
    // The operator clicks row `index` (1-based) of the terminal list.
    void select(int index);
    // Selects row `index` and connects it; true when the row then reads "Connected".
    bool connectRow(int index);
    const QAbstractItemModel* list() const;
};

// A terminal user of the simulator.
SimUser simUser(const QString& number, const QString& name);
