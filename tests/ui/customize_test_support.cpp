// The customization tests' helpers.
#include "ui/customize_test_support.h"

#include <sys/stat.h>

#include <QApplication>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "app/application_app.h"
#include "content/biff8_writer.h"
#include "ui/controls/t_button_picture.h"
#include "ui/controls/t_static_gdiplus.h"
#include "ui/note_dlg.h"

#if defined(__SANITIZE_THREAD__)
// QProcess (Qt 6.4) starts a child with clone(CLONE_VM | CLONE_VFORK). TSan's
// clone interceptor takes that for a fork, and since the child shares the
// parent's memory, the parent is left looking like a forked child of a
// multi-threaded process: the next thread it starts (a transmit worker, after
// the spreadsheet program ran) ends the test. The children here only exec.
extern "C" const char* __tsan_default_options() {
    return "die_after_fork=0";
}
#endif

namespace plindar::test {

const char kCustomizeConfigXml[] =
    "<Config Name=\"ROOT\">\r\n"
    "<Value Name=\"LOID\" Value=\"cfg-loid\"/>\r\n"
    "<Value Name=\"SUSER_PASSWORD\" Value=\"cfg-admin\"/>\r\n"
    "<Value Name=\"ssid\" Value=\"cfg-ssid\"/>\r\n"
    "<Value Name=\"WLAN_WPA_PSK\" Value=\"cfg-psk-123\"/>\r\n"
    "</Config>\r\n";

ProgramFolderScope::ProgramFolderScope() {
    CApplicationApp* app = CApplicationApp::GetApp();
    saved_ = app->program_folder;
    app->program_folder = folder_.Path();
    std::filesystem::create_directories(folder_.Path() + "ExcelTemplate");
    std::filesystem::copy_file(StageFolder() + kBatchTemplatePath,
                               folder_.Path() + kBatchTemplatePath);
}

ProgramFolderScope::~ProgramFolderScope() {
    CApplicationApp::GetApp()->program_folder = saved_;
}

NoteRecorder::NoteRecorder(std::deque<int> answers) : answers_(std::move(answers)) {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start();
}

NoteRecorder::~NoteRecorder() = default;

void NoteRecorder::Poll() {
    auto* note = qobject_cast<CNoteDlg*>(QApplication::activeModalWidget());
    if (note == nullptr || note == last_) {
        return;
    }
    last_ = note;
    note_seen seen;
    seen.shown = true;
    seen.title = note->TitleLabel()->text();
    seen.text = note->MessageLabel()->text();
    seen.cancel_visible = note->CancelButton()->isVisible();
    seen_.push_back(seen);
    int answer = kNoteOk;
    if (!answers_.empty()) {
        answer = answers_.front();
        answers_.pop_front();
    }
    QTest::mouseClick(answer == kNoteOk ? note->OkButton() : note->CancelButton(), Qt::LeftButton);
}

std::vector<QString> NoteRecorder::Texts() const {
    std::vector<QString> texts;
    for (const note_seen& seen : seen_) {
        texts.push_back(seen.text);
    }
    return texts;
}

std::string WriteScript(const std::string& folder, const std::string& name,
                        const std::string& body) {
    const std::string path = folder + name;
    std::ofstream(path, std::ios::trunc) << "#!/bin/sh\n" << body;
    chmod(path.c_str(), 0755);
    return path;
}

std::string WriteSheetFiller(const std::string& folder, const std::string& filled,
                             const std::string& count_file, const std::string& release_file) {
    return WriteScript(folder, "sheet-filler.sh",
                       "cp '" + filled +
                           "' \"$1\" || exit 3\n"
                           "echo \"$1\" >> '" +
                           count_file +
                           "'\n"
                           "while [ ! -e '" +
                           release_file + "' ]; do sleep 0.02; done\n");
}

int CountLines(const std::string& path) {
    std::ifstream in(path);
    int lines = 0;
    for (std::string line; std::getline(in, line);) {
        ++lines;
    }
    return lines;
}

bool WriteFilledSheet(const std::string& path, const custom_value_stu& templ, bool wireless,
                      const std::vector<std::string>& macs,
                      const std::vector<sheet_row_values>& rows) {
    const std::vector<batch_column_stu> columns =
        BatchSheetColumns(templ, templ.wanCount, wireless);
    CBiff8Workbook book;
    const int sheet = book.AddSheet("Sheet1");
    for (uint32_t c = 0; c < columns.size(); ++c) {
        book.SetText(sheet, 0, c, columns[c].header);
    }
    for (uint32_t r = 0; r < macs.size(); ++r) {
        for (uint32_t c = 0; c < columns.size(); ++c) {
            const batch_column_stu& column = columns[c];
            std::string value;
            if (auto given = rows[r].find(column.field); given != rows[r].end()) {
                value = given->second;
            } else if (column.field == BATCH_FIELD_MAC) {
                value = macs[r];
            } else if (column.field == BATCH_FIELD_WAN_NAME) {
                value = templ.WanName[column.wan];
            }
            book.SetText(sheet, r + 1, c, value);
        }
    }
    return book.Save(path);
}

}  // namespace plindar::test
