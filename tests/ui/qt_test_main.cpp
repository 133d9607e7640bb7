// main of the widget tests: GoogleTest inside the application object the windows
// read their look from, on the offscreen platform unless one is chosen.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QtGlobal>

#include "app/application_app.h"
#include "ui/ui_test_support.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    testing::InitGoogleTest(&argc, argv);
    plindar::CApplicationApp app(argc, argv);
    app.LoadLookAndFeel(plindar::test::StageFolder());
    return RUN_ALL_TESTS();
}
