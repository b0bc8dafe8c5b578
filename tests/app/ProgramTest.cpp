// The real program, started as a user would, with a probe plugin that
// reports its windows and chooses "E&xit".
#include "tests/support/TestSupport.h"

#include <QProcess>
#include <QStringList>
#include <gtest/gtest.h>

TEST(ProgramTest, StartsWithOnlyTheMainMenuShownAndExitEndsIt)
{
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    const TempDir data;  // copies of saved files would go here, not into the user's own
    env.insert("XDG_DATA_HOME", QString::fromStdString(data.path()));
    env.insert("QT_PLUGIN_PATH", DV2_PROBE_PLUGIN_DIR);
    env.insert("QT_QPA_GENERIC_PLUGINS", "dv2exitprobe");
    program.setProcessEnvironment(env);
    program.start(DV2EDIT_PATH, {});
    ASSERT_TRUE(program.waitForStarted());
    if (!program.waitForFinished(20000)) {
        program.kill();
        program.waitForFinished();
        FAIL() << "Alt+X did not end the program; it printed:\n"
               << program.readAllStandardOutput().toStdString()
               << program.readAllStandardError().toStdString();
    }
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);

    QStringList windows = QString::fromUtf8(program.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    windows.sort();
    EXPECT_EQ(windows, QStringList({
                           "frmDV2Edit hidden Duvari 2 Unit Editor",
                           "frmDV2SGEdit hidden Duvari 2 Save Game Editor",
                           "frmFindUnit hidden Unit Selection",
                           "frmSearch hidden Find Unit",
                           "frmSplash shown Duvari 2 Editor ver 1.5 Main Menu",
                       }))
        << program.readAllStandardError().toStdString();
}
