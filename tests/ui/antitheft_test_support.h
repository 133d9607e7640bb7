// What the anti-theft page and template dialog tests share: a program folder of
// their own for the template file, answering modal windows from inside their
// nested event loops, and the page's values compared as a whole.
#pragma once

#include <QApplication>
#include <QString>
#include <QTimer>
#include <functional>
#include <ostream>
#include <string>

#include "content/antitheft_command.h"

#include "ui/note_dlg.h"
#include "ui/ui_test_support.h"

namespace plindar::test {

// The program folder of the test program: a temporary folder exported as
// PLINDAR_HOME before main, so that no test writes into the staged or source
// resources other tests read. Removed at exit.
const std::string& AntiTheftHome();

// The template file in that folder; Write creates the folder first.
std::string TemplateFile();
void WriteTemplateFile(const std::string& content);
void RemoveTemplateFile();
std::string ReadTemplateFile();

// Runs `act` on the next modal window of type T once it is the active modal
// window, that is, once the code under test waits inside its nested event loop.
template <typename T>
void OnNextModal(std::function<void(T*)> act) {
    auto* poll = new QTimer(qApp);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        if (auto* modal = qobject_cast<T*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            act(modal);
        }
    });
    poll->start();
}

// The page's values side by side, for readable failures.
bool SameValues(const antitheft_values& a, const antitheft_values& b);
std::string Describe(const antitheft_values& values);

}  // namespace plindar::test
