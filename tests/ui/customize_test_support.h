// What the customization tests share: a program folder of their own, messages
// answered in sequence, stand-in spreadsheet programs and filled batch sheets.
#pragma once

#include <QPointer>
#include <QString>
#include <QTimer>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "content/batch_sheet.h"
#include "support/temp_folder.h"
#include "ui/ui_test_support.h"

namespace plindar {
class CNoteDlg;
}

namespace plindar::test {

// A configuration file with the entries a batch sheet personalises: identity,
// login password and one wireless interface.
extern const char kCustomizeConfigXml[];

// A temporary program folder with the shipped sheet template, made the
// application object's program folder for the fixture's life.
class ProgramFolderScope {
public:
    ProgramFolderScope();
    ~ProgramFolderScope();
    const std::string& Path() const { return folder_.Path(); }

private:
    TempFolder folder_;
    std::string saved_;
};

// Answers every message box that comes up, in order, from `answers` (then Ok),
// and records what each said.
class NoteRecorder {
public:
    explicit NoteRecorder(std::deque<int> answers = {});
    ~NoteRecorder();
    const std::vector<note_seen>& Seen() const { return seen_; }
    std::vector<QString> Texts() const;

private:
    void Poll();

    std::deque<int> answers_;
    std::vector<note_seen> seen_;
    QPointer<CNoteDlg> last_;
    QTimer timer_;
};

// An executable shell script in `folder`; returns its path.
std::string WriteScript(const std::string& folder, const std::string& name,
                        const std::string& body);

// A stand-in spreadsheet program: copies `filled` over the sheet it is given and
// appends a line to `count_file`; it ends once `release_file` exists.
std::string WriteSheetFiller(const std::string& folder, const std::string& filled,
                             const std::string& count_file, const std::string& release_file);

// Lines in a file (0 when it is missing).
int CountLines(const std::string& path);

// A filled batch sheet as the operator would save it: the header the page writes
// for `templ` and `wireless`, and one row per MAC text with the given values per
// field (fields left out keep the template's value, or stay empty).
using sheet_row_values = std::map<BatchField, std::string>;
bool WriteFilledSheet(const std::string& path, const custom_value_stu& templ, bool wireless,
                      const std::vector<std::string>& macs,
                      const std::vector<sheet_row_values>& rows);

}  // namespace plindar::test
