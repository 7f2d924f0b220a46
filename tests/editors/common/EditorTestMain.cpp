// The main of the editors' window tests: one QApplication on the offscreen platform, modal dialogs guarded, the
// core's boxes routed to the prompts, and a prompt service that fails every prompt no test scripted.
#include "editors/common/ModalAnswers.h"
#include "editors/common/ScriptedPrompts.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests (CTest's discovery, run outside the tests' environment) needs no window system.
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    CModalGuard guard;
    CCoreMessageBoxes coreBoxes;
    CScriptedPrompts noPrompts;
    return RUN_ALL_TESTS();
}
