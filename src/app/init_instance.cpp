// Start-up and shutdown of the window: the steps in their order, each mapped to
// what Linux and Qt need.
#include <QMetaObject>
#include <QTimer>
#include <memory>

#include "app/application_app.h"
#include "app/engine_run.h"
#include "app/main_window.h"
#include "app/run_options.h"
#include "app/single_instance.h"
#include "records/diagnostic_log.h"
#include "records/language.h"
#include "records/program_folder.h"
#include "ui/note_dlg.h"
#include "ui/translate_window.h"

namespace plindar {

namespace {

// Engine messages may come from any thread; the note is shown on the UI thread.
operator_message_fn NoteSink() {
    return [](const std::string& text) {
        QString message = QString::fromStdString(text);
        QMetaObject::invokeMethod(
            qApp,
            [message] {
                CApplicationApp* app = CApplicationApp::GetApp();
                QWidget* owner = app != nullptr && app->main_window != nullptr
                                     ? dynamic_cast<QWidget*>(app->main_window)
                                     : nullptr;
                ShowNote(TrText("Note"), message, NoteButtons::kOkOnly, owner);
            },
            Qt::QueuedConnection);
    };
}

}  // namespace

int CApplicationApp::InitInstance(const run_options_stu& options) {
    // There is no socket layer, control library, drawing runtime or COM to start
    // on Linux; Qt was started when this object was made.
    CSingleInstanceGuard guard;
    switch (guard.TryAcquire()) {
        case InstanceLock::Acquired:
            break;
        case InstanceLock::Taken:
            return 0;  // a copy runs already: end silently, leave it alone
        case InstanceLock::Failed:
            // Nothing to guard with; one copy more is better than none at all.
            WRITE_DIAGNOSTIC(DIAGNOSTIC_ERROR, "single instance lock fail: %s",
                             guard.ErrorText().c_str());
            break;
    }

    UseProgramFolder(options.home);
    InitLanguage(GetProgramFolder());
    LoadLookAndFeel(GetProgramFolder());

    CEngineRun engine;
    std::string error;
    if (!engine.Start(options, NoteSink(), NoteSink(), &error)) {
        ShowNote(
            TrText("Note"),
            TrText("Cannot start the simulated devices.") + "\n" + QString::fromStdString(error),
            NoteButtons::kOkOnly, nullptr);
        return 1;
    }
    preselected_adapter = options.adapter;
    transmit_manager = engine.Manager();
    results_store = engine.Store();

    int result = 0;
    {
        auto window = std::make_unique<CApplicationDlg>();
        main_window = window.get();
        setQuitOnLastWindowClosed(false);
        connect(window.get(), &QDialog::finished, this, &QCoreApplication::quit);
        window->show();
        // Once the first frame is up; start-up time is measured against this line.
        QTimer::singleShot(0, window.get(),
                           [] { WRITE_DIAGNOSTIC(DIAGNOSTIC_INFO, "main window shown"); });
        result = exec();
        main_window = nullptr;
    }

    // Shutdown: the window and its pages (and their timers) are gone; every worker
    // and listener thread is told to stop and joined before the store closes.
    transmit_manager = nullptr;
    results_store = nullptr;
    engine.Stop();
    return result;
}

}  // namespace plindar
